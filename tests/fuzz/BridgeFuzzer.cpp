// Fuzzes page requests through the real dispatcher and every handler of the
// 61 functions, as the browser delivers them to a running main window: the
// fake user interface of the unit tests, the fake browser runtime and a
// fake platform. Each line of the input is one request. Every reply must be
// JSON that the page can read.
//
// The handlers really write and delete files, so every text the page sends
// is first kept inside the scratch folder (no leading "/", no ".."); the
// request text itself goes through unchanged when nothing needed keeping.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "FakeRuntime.h"
#include "FakeUI.h"
#include "FuzzPlatform.h"
#include "com/Utf.h"
#include "core/BridgeProtocol.h"
#include "core/Calculations.h"
#include "core/ZipWriter.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/browser/EdgeLoader.h"
#include "host/browser/MainForm.h"
#include "host/startup/ExeZipLoader.h"

extern "C" zel::fake::IFakeRuntime* ZelFakeRuntime();

namespace {

using zel::test::TFakeUI;

constexpr const char* kIni = "[App]\nID=fuzz\nName=Fuzz App\nDirName=app\nWidth=640\nHeight=480\n";

std::string Package() {
  zel::TZipWriter writer(zel::CalculateWidth(zel::kPasswordText, zel::kPasswordKey));
  const auto time = zel::TZipWriter::DosTimeFromUnix(1700000000);
  writer.AddFile("zel.ini", kIni, time);
  writer.AddFile("app/index.html", "<p>fuzz</p>", time);
  writer.AddFile("app/data.txt", "entry\r\n", time);
  writer.AddFolder("app/sub/", time);
  return writer.Finish();
}

// The main window of a packaged application, made once: building it runs
// the whole browser creation.
struct TApp {
  TApp() {
    zel::WebView2LoaderPath = "linked";
    Fake().Reset();
    zel::OpenPackage(Package(), {});
    Main = std::make_unique<zel::TMainForm>();
    UI.Pump([] { return Fake().ControllersRequested() > 0; }, 1000);
    Fake().RunPending();
    if (!Main->FBrowserForm->FEdgeBrowser) std::abort();
  }
  static zel::fake::IFakeRuntime& Fake() { return *ZelFakeRuntime(); }

  TFakeUI UI;
  std::unique_ptr<zel::TMainForm> Main;
};

TApp& App() {
  static TApp* app = new TApp;  // lives to the end: its teardown is not fuzzed
  return *app;
}

// Keeps a text from naming anything outside the scratch folder; true when
// it changed.
bool Confine(std::string& text) {
  const std::string before = text;
  std::size_t start = text.find_first_not_of('/');
  text.erase(0, start == std::string::npos ? text.size() : start);
  for (std::size_t at; (at = text.find("..")) != std::string::npos;) text.replace(at, 2, "__");
  return text != before;
}

bool ConfineAll(nlohmann::json& value) {
  bool changed = false;
  if (value.is_string()) {
    changed = Confine(value.get_ref<std::string&>());
  } else if (value.is_structured()) {
    for (auto item = value.begin(); item != value.end(); ++item) {
      // An entry name of the package, never a path: "/data/list.json".
      if (value.is_object() && item.key() == "sourceFile") continue;
      changed = ConfineAll(*item) || changed;
    }
  }
  return changed;
}

void FreshScratchFolder() {
  const std::string& dir = zel::fuzz::ScratchDir();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directories(dir + "app/sub", ec);
}

void Send(std::string_view line) {
  // The text as the host will read it: the runtime hands messages over as
  // UTF-16, which turns invalid UTF-8 into U+FFFD.
  std::string message = zel::Utf16ToUtf8(zel::Utf8ToUtf16(line));
  try {
    zel::TBridgeRequest request = zel::ParseBridgeRequest(message);
    bool changed = ConfineAll(request.Data);
    // extractFile takes its target as it is, relative to the working folder
    // (which the fuzzer cannot move: libFuzzer reads its corpus from there).
    const auto target = request.Data.find("targetFile");
    if (target != request.Data.end() && !target->is_null() && !target->is_structured()) {
      std::string path = target->is_string() ? target->get<std::string>() : target->dump();
      *target = zel::fuzz::ScratchDir() + path;
      changed = true;
    }
    if (Confine(request.Uuid) || Confine(request.IdText) || changed) {
      const nlohmann::json rebuilt = {
          {"id", request.IdText}, {"uuid", request.Uuid}, {"data", request.Data}};
      message = rebuilt.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
  } catch (const zel::EBridgeArgument&) {
    // Not a request: the dispatcher reads it alike and ignores it, so only
    // the reading itself is fuzzed (above); it is not sent.
    return;
  }
  TApp::Fake().RaiseWebMessage("file:///index.html", message);
}

void CheckReplies() {
  static const bool trace = std::getenv("ZEL_FUZZ_TRACE") != nullptr;
  for (const std::string& call : TApp::Fake().Calls()) {
    if (trace) std::fprintf(stderr, "%s\n", call.c_str());
    if (!call.starts_with("PostWebMessageAsJson ")) continue;
    const std::string reply = call.substr(21);
    const auto json = nlohmann::json::parse(reply, nullptr, false);
    if (json.is_discarded() || !json.is_object() || !json.contains("result")) {
      std::fprintf(stderr, "unreadable reply: %s\n", reply.c_str());
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TApp& app = App();
  FreshScratchFolder();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    Send(text.substr(0, end));
    text = end == text.npos ? std::string_view() : text.substr(end + 1);
  }
  app.UI.PumpPending();
  TApp::Fake().RunPending();
  CheckReplies();
  if (!app.UI.Exceptions.empty()) {
    std::fprintf(stderr, "escaped to the message loop: %s\n", app.UI.Exceptions[0].c_str());
    std::abort();
  }
  // What the fakes record is dropped, so a long run does not grow.
  TApp::Fake().ClearCalls();
  app.UI.Dialogs.clear();
  app.UI.Notifications.clear();
  app.UI.Forms.back()->PostedCloses = 0;
  return 0;
}

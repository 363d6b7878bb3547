// A main window on the fake runtime with the start-up's values set as a
// packaged application would have them.
#pragma once

#include "BrowserFixture.h"
#include "TestFiles.h"
#include "core/Calculations.h"
#include "host/browser/MainForm.h"
#include "host/startup/ExeZipLoader.h"

namespace zel::test {

class AppFixture : public BrowserFixture {
 protected:
  void TearDown() override {
    Main.reset();
    FinalizeExeZipLoader();
    BrowserFixture::TearDown();
  }

  // Builds the main window for a configuration and a package, and lets the
  // browser finish its creation.
  TMainForm& Open(const std::string& ini, TEntries entries = {},
                  std::vector<std::string> args = {}) {
    Main.reset();
    const int requested = Fake().ControllersRequested();
    entries.try_emplace("zel.ini", ini);
    OpenPackage(MakeArchive(entries), std::move(args));
    Main = std::make_unique<TMainForm>();
    UI.Pump([&] { return Fake().ControllersRequested() > requested; });
    Fake().RunPending();
    return *Main;
  }

  TFakeFormPeer& Form() { return *UI.Forms.back(); }
  TBrowserExternalModule& Bridge() { return *Main->FBrowserExternalModule; }

  // Posts a request from a local page; returns the replies it produced.
  std::vector<std::string> Call(const std::string& json,
                                const std::string& source = "file:///index.html") {
    Fake().ClearCalls();
    Fake().RaiseWebMessage(source, json);
    std::vector<std::string> replies;
    for (const std::string& c : Fake().Calls())
      if (c.starts_with("PostWebMessageAsJson ")) replies.push_back(c.substr(21));
    return replies;
  }

  std::unique_ptr<TMainForm> Main;
};

inline const char* kAppIni = "[App]\nID=demo\nName=Demo App\nDirName=app\n";

}  // namespace zel::test

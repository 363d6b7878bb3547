// Scripts and messages between the host and the page.
#include <nlohmann/json.hpp>

#include "com/Utf.h"

#include "Harness.h"

namespace zel::test {
namespace {

using nlohmann::json;
using ScriptTest = TBrowserTest;

// Each document reports, from its own script, what ran before it.
constexpr const char* kReportOrder =
    "<script>window.__order.push(location.pathname.split('/').pop()); "
    "chrome.webview.postMessage({order: window.__order, frame: location.pathname});</script>";

std::string AddScript(ICoreWebView2* webView, const std::string& script) {
  std::string id;
  bool done = false;
  EXPECT_EQ(webView->AddScriptToExecuteOnDocumentCreated(
                Wide(script).c_str(),
                Handler<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler>(
                    [&](HRESULT hr, LPCWSTR made) {
                      EXPECT_EQ(hr, S_OK);
                      id = Utf16ToUtf8(made);
                      done = true;
                      return S_OK;
                    })
                    .Get()),
            S_OK);
  EXPECT_FALSE(done) << "the completion arrives later";
  EXPECT_TRUE(PumpUntil([&] { return done; }));
  return id;
}

TEST_F(ScriptTest, DocumentScriptsRunFirstInOrderInEveryFrame) {
  std::string first = AddScript(
      FWebView.Get(), "window.__order = ['first:' + (typeof chrome.webview.postMessage)];");
  std::string removed = AddScript(FWebView.Get(), "window.__order.push('removed');");
  std::string second = AddScript(FWebView.Get(), "window.__order.push('second');");
  EXPECT_NE(first, second);
  EXPECT_EQ(FWebView->RemoveScriptToExecuteOnDocumentCreated(Wide(removed).c_str()), S_OK);
  FPages.Write("o/main.html", std::string(kReportOrder) + "<iframe src='sub.html'></iframe>");
  FPages.Write("o/sub.html", kReportOrder);
  ASSERT_TRUE(Navigate(FPages.FileUri("o/main.html")));
  for (const char* frame : {"main.html", "sub.html"}) {
    TMessage message = WaitForMessage(std::string("/o/") + frame);
    EXPECT_EQ(json::parse(message.Json)["order"], json({"first:function", "second", frame}));
    EXPECT_EQ(message.Source, FPages.FileUri(std::string("o/") + frame));
  }
}

TEST_F(ScriptTest, PageMessagesArriveAsJsonWithTheirSource) {
  FPages.Write(
      "m/index.html",
      "<script>chrome.webview.postMessage({a: [1, 'x']}); chrome.webview.postMessage('plain');"
      "</script>");
  std::vector<std::pair<std::string, HRESULT>> strings;
  EventRegistrationToken token{};
  FWebView->add_WebMessageReceived(
      Handler<ICoreWebView2WebMessageReceivedEventHandler>(
          [&](ICoreWebView2* sender, ICoreWebView2WebMessageReceivedEventArgs* args) {
            EXPECT_EQ(sender, FWebView.Get());
            LPWSTR text = nullptr;
            HRESULT hr = args->TryGetWebMessageAsString(&text);
            strings.emplace_back(TakeRuntimeString(text), hr);
            return S_OK;
          })
          .Get(),
      &token);
  ASSERT_TRUE(Navigate(FPages.FileUri("m/index.html")));
  TMessage object = WaitForMessage("\"a\"");
  EXPECT_EQ(object.Json, R"({"a":[1,"x"]})");
  EXPECT_EQ(object.Source, FPages.FileUri("m/index.html"));
  EXPECT_EQ(WaitForMessage("plain").Json, "\"plain\"");
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_EQ(strings[0].second, E_INVALIDARG);
  EXPECT_EQ(strings[1], std::make_pair(std::string("plain"), S_OK));
}

TEST_F(ScriptTest, SourceIsTheDocumentAddressAsWebKitHasIt) {
  FPages.Write("s/index.html",
               "<script>Object.defineProperty(document, 'URL', {get: () => 'https://elsewhere/'});"
               "chrome.webview.postMessage({from: 'page'});"
               "history.replaceState(null, '', 'moved.html');"
               "chrome.webview.postMessage({from: 'moved'});</script>");
  ASSERT_TRUE(Navigate(FPages.FileUri("s/index.html")));
  EXPECT_EQ(WaitForMessage("page").Source, FPages.FileUri("s/index.html"));
  EXPECT_EQ(WaitForMessage("moved").Source, FPages.FileUri("s/moved.html"));
  FWebView->NavigateToString(u"<script>chrome.webview.postMessage('from string')</script>");
  EXPECT_EQ(WaitForMessage("from string").Source, "about:blank");
}

TEST_F(ScriptTest, HostMessagesReachTheMainFrameParsed) {
  FPages.Write("h/index.html",
               "<script>chrome.webview.addEventListener('message', e => "
               "chrome.webview.postMessage({echo: e.data, type: e.constructor.name}));"
               "chrome.webview.postMessage('ready');</script>");
  ASSERT_TRUE(Navigate(FPages.FileUri("h/index.html")));
  WaitForMessage("ready");
  EXPECT_EQ(FWebView->PostWebMessageAsJson(u"{not json"), E_INVALIDARG);
  EXPECT_EQ(FWebView->PostWebMessageAsJson(u"{\"x\": [1, 2, {\"y\": null}]}"), S_OK);
  EXPECT_EQ(WaitForMessage("echo").Json,
            R"({"echo":{"x":[1,2,{"y":null}]},"type":"MessageEvent"})");
  EXPECT_EQ(FWebView->PostWebMessageAsString(u"h\u00e9 \"quoted\""), S_OK);
  EXPECT_EQ(json::parse(WaitForMessage("echo").Json)["echo"], "h\u00e9 \"quoted\"");
  PumpFor(100ms);
  EXPECT_EQ(FMessages.size(), 3u) << "the invalid message delivered nothing";
}

TEST_F(ScriptTest, DisabledWebMessagesGoNowhere) {
  FPages.Write(
      "d/index.html",
      "<script>chrome.webview.addEventListener('message', e => chrome.webview.postMessage('got'));"
      "chrome.webview.postMessage('first');</script>");
  FSettings->put_IsWebMessageEnabled(FALSE);
  ASSERT_TRUE(Navigate(FPages.FileUri("d/index.html")));
  FWebView->PostWebMessageAsString(u"hello");
  PumpFor(300ms);
  EXPECT_TRUE(FMessages.empty());
  FSettings->put_IsWebMessageEnabled(TRUE);
  FWebView->PostWebMessageAsString(u"hello");
  WaitForMessage("got");
}

TEST_F(ScriptTest, ExecuteScriptAnswersJson) {
  ASSERT_TRUE(ShowHtml("<p>x</p>"));
  const std::pair<const char*, const char*> cases[] = {
      {"1 + 1", "2"},
      {"'text'", "\"text\""},
      {"undefined", "null"},
      {"null", "null"},
      {"({a: [true, 1.5]})", R"({"a":[true,1.5]})"},
      {"var v = 3; v * 2", "6"},
      {"throw new Error('boom')", "error"},
      {"typeof chrome.webview", "\"object\""},
  };
  for (const auto& [script, expected] : cases) EXPECT_EQ(Eval(script), expected) << script;
}

TEST_F(ScriptTest, ScriptSwitchStopsPageScriptsOnly) {
  FPages.Write("n/index.html", "<title>t</title><script>document.title = 'ran';</script>");
  FSettings->put_IsScriptEnabled(FALSE);
  BOOL enabled = TRUE;
  FSettings->get_IsScriptEnabled(&enabled);
  EXPECT_FALSE(enabled);
  AddScript(FWebView.Get(), "window.__host = 'yes';");
  ASSERT_TRUE(Navigate(FPages.FileUri("n/index.html")));
  EXPECT_EQ(Eval("document.title"), "\"t\"");
  EXPECT_EQ(Eval("window.__host + ':' + typeof chrome.webview"), "\"yes:object\"");
}

TEST_F(ScriptTest, CapturePreviewWritesPngAndJpeg) {
  ASSERT_TRUE(ShowHtml("<body style='background:#0a0'>preview</body>"));
  const std::pair<COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT, std::string> formats[] = {
      {COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG, "\x89PNG\r\n\x1a\n"},
      {COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG, "\xff\xd8\xff"},
  };
  for (const auto& [format, signature] : formats) {
    TComPtr<IStream> stream = MemoryStream();
    HRESULT result = E_ABORT;
    ASSERT_EQ(FWebView->CapturePreview(
                  format, stream.Get(),
                  Handler<ICoreWebView2CapturePreviewCompletedHandler>([&](HRESULT hr) {
                    result = hr;
                    return S_OK;
                  }).Get()),
              S_OK);
    ASSERT_TRUE(PumpUntil([&] { return result != E_ABORT; }));
    EXPECT_EQ(result, S_OK);
    std::string bytes = StreamBytes(stream.Get());
    EXPECT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes.substr(0, signature.size()), signature) << format;
  }
  EXPECT_EQ(
      FWebView->CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG, nullptr, nullptr),
      E_INVALIDARG);
}

}  // namespace
}  // namespace zel::test

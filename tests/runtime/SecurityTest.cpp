// Pages from the network stay away from local files; local pages keep their
// data in the host's user-data folder.
#include <nlohmann/json.hpp>

#include "Harness.h"

namespace zel::test {
namespace {

using nlohmann::json;
using SecurityTest = TBrowserTest;

std::string ProbePage(const std::string& secret) {
  return R"(<!doctype html><script>
    async function viaFetch(u) { try { const r = await fetch(u); return 'read:' + await r.text(); }
                                 catch (e) { return 'refused'; } }
    function viaXhr(u) { return new Promise(done => { try { const x = new XMLHttpRequest(); x.open('GET', u);
      x.onload = () => done('read:' + x.responseText); x.onerror = () => done('refused'); x.send(); }
      catch (e) { done('refused'); } }); }
    (async () => chrome.webview.postMessage({probe: [
      await viaFetch('file://)" +
         secret + R"('), await viaFetch('app://)" + secret + R"('),
      await viaXhr('file://)" +
         secret + R"('), await viaXhr('app://)" + secret + R"(')]}))();
    </script>)";
}

TEST_F(SecurityTest, NetworkPagesCannotReadLocalFiles) {
  FPages.Write("secret.txt", "TOP SECRET");
  std::string secret = FPages.Path("secret.txt");
  THttpServer server(ProbePage(secret));
  int secretRequests = 0;
  EventRegistrationToken token{};
  FWebView->AddWebResourceRequestedFilter(u"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
  FWebView->add_WebResourceRequested(
      Handler<ICoreWebView2WebResourceRequestedEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs*) {
            ++secretRequests;
            return S_OK;
          })
          .Get(),
      &token);
  ASSERT_TRUE(Navigate(server.Url("/probe.html")));
  TMessage message = WaitForMessage("probe");
  EXPECT_EQ(json::parse(message.Json)["probe"], json({"refused", "refused", "refused", "refused"}));
  EXPECT_EQ(message.Source, server.Url("/probe.html")) << "an http page's messages say so";
  EXPECT_EQ(secretRequests, 0) << "no local request was even made";

  // The same probe from a local page reads the file: the difference is the page.
  FPages.Write("local/probe.html", ProbePage(secret));
  ASSERT_TRUE(Navigate(FPages.FileUri("local/probe.html")));
  EXPECT_EQ(json::parse(WaitForMessage("probe").Json)["probe"][0], "read:TOP SECRET");
}

// As under WebView2, whose string pages have an opaque origin.
TEST_F(SecurityTest, PageFromAStringCannotReadLocalFiles) {
  FPages.Write("data.txt", "string page data");
  FWebView->NavigateToString(
      Wide("<script>fetch('" + FPages.FileUri("data.txt") +
           "').then(r => r.text()).then(t => chrome.webview.postMessage({got: t}),"
           "e => chrome.webview.postMessage({got: String(e)}));</script>")
          .c_str());
  EXPECT_EQ(json::parse(WaitForMessage("got").Json)["got"], "TypeError: Load failed");
}

TEST_F(SecurityTest, LocalStorageLivesInTheUserDataFolder) {
  const std::filesystem::path& folder = Runtime().UserDataFolder;
  ASSERT_FALSE(folder.empty());
  FPages.Write(
      "store.html",
      "<script>localStorage.setItem('k', 'v'); chrome.webview.postMessage('stored');</script>");
  ASSERT_TRUE(Navigate(FPages.FileUri("store.html")));
  WaitForMessage("stored");
  EXPECT_TRUE(
      PumpUntil([&] { return std::filesystem::exists(folder / "WebKitGTK" / "Data"); }, 10s))
      << "website data goes below " << folder;
}

// The host's browser arguments reach the environment made after they are set.
class WebSecurityOffTest : public TBrowserTest {
 protected:
  TComPtr<ICoreWebView2Environment> Environment() override {
    std::string saved = g_getenv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS");
    g_setenv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", "--disable-web-security", TRUE);
    TComPtr<ICoreWebView2Environment> environment = NewEnvironment();
    g_setenv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", saved.c_str(), TRUE);
    return environment;
  }
};

std::string CrossOriginPage(const THttpServer& other) {
  return "<script>fetch('" + other.Url("/data") +
         "').then(r => r.text())"
         ".then(t => chrome.webview.postMessage({cross: 'read'}), e => "
         "chrome.webview.postMessage({cross: 'refused'}));"
         "</script>";
}

TEST_F(SecurityTest, CrossOriginReadsNeedCors) {
  THttpServer other("plain data");
  THttpServer pages(CrossOriginPage(other));
  ASSERT_TRUE(Navigate(pages.Url("/")));
  EXPECT_EQ(WaitForMessage("cross").Json, R"({"cross":"refused"})");
}

TEST_F(WebSecurityOffTest, DisableWebSecurityArgumentLiftsCors) {
  THttpServer other("plain data");
  THttpServer pages(CrossOriginPage(other));
  ASSERT_TRUE(Navigate(pages.Url("/")));
  EXPECT_EQ(WaitForMessage("cross").Json, R"({"cross":"read"})");
}

}  // namespace
}  // namespace zel::test

// Local pages: file: addresses served through WebResourceRequested, or from
// the disk when the host does not answer.
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>

#include "Harness.h"

namespace zel::test {
namespace {

using nlohmann::json;

struct TSeenRequest {
  std::string Uri, Method, Accept;
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT Context;
};

class ResourceTest : public TBrowserTest {
 protected:
  // Answers the named addresses from memory; records every request.
  void AnswerFromMemory(std::map<std::string, std::pair<std::string, std::string>> answers) {
    FWebView->AddWebResourceRequestedFilter(u"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
    FWebView->add_WebResourceRequested(
        Handler<ICoreWebView2WebResourceRequestedEventHandler>(
            [this, answers](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) {
              TComPtr<ICoreWebView2WebResourceRequest> request;
              args->get_Request(request.Put());
              TSeenRequest seen;
              LPWSTR text = nullptr;
              request->get_Uri(&text);
              seen.Uri = TakeRuntimeString(text);
              request->get_Method(&text);
              seen.Method = TakeRuntimeString(text);
              TComPtr<ICoreWebView2HttpRequestHeaders> headers;
              request->get_Headers(headers.Put());
              if (SUCCEEDED(headers->GetHeader(u"Accept", &text)))
                seen.Accept = TakeRuntimeString(text);
              args->get_ResourceContext(&seen.Context);
              FSeen.push_back(seen);
              auto answer = answers.find(seen.Uri);
              if (answer == answers.end()) return S_OK;
              TComPtr<ICoreWebView2WebResourceResponse> response;
              std::string headerText =
                  "Content-Type: " + answer->second.first + "\r\nX-Served-By: test";
              Runtime().Environment->CreateWebResourceResponse(
                  MemoryStream(answer->second.second).Get(), 200, u"OK", Wide(headerText).c_str(),
                  response.Put());
              args->put_Response(response.Get());
              return S_OK;
            })
            .Get(),
        &FToken);
  }
  const TSeenRequest* Seen(const std::string& uri) const {
    for (const auto& s : FSeen)
      if (s.Uri == uri) return &s;
    return nullptr;
  }

  std::vector<TSeenRequest> FSeen;
  EventRegistrationToken FToken{};
};

constexpr const char* kFetchScript = R"(
  async function get(u) {
    try { const r = await fetch(u);
          return {status: r.status, text: await r.text(), by: r.headers.get('X-Served-By'),
                  type: r.headers.get('Content-Type')}; }
    catch (e) { return {error: String(e)}; }
  })";

TEST_F(ResourceTest, HostAnswersThePageAndItsFetches) {
  // Neither file exists: only the handler can answer.
  std::string page = FPages.FileUri("app/index.html"), data = FPages.FileUri("app/data.json");
  AnswerFromMemory({
      {page,
       {"text/html; charset=utf-8",
        std::string("<title>Hé</title><script>") + kFetchScript +
            "get('data.json').then(r => chrome.webview.postMessage({fetched: r, "
            "charset: document.characterSet, title: document.title}));</script>"}},
      {data, {"application/json", R"({"answer":42})"}},
  });
  ASSERT_TRUE(Navigate(page));
  json reply = json::parse(WaitForMessage("fetched").Json);
  EXPECT_EQ(reply["fetched"]["status"], 200);
  EXPECT_EQ(reply["fetched"]["text"], R"({"answer":42})");
  EXPECT_EQ(reply["fetched"]["by"], "test");
  EXPECT_EQ(reply["fetched"]["type"], "application/json");
  EXPECT_EQ(reply["charset"], "UTF-8");
  EXPECT_EQ(reply["title"], "Hé");
  const TSeenRequest* document = Seen(page);
  ASSERT_TRUE(document);
  EXPECT_EQ(document->Method, "GET");
  EXPECT_EQ(document->Context, COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT);
  EXPECT_NE(document->Accept.find("text/html"), std::string::npos);
  ASSERT_TRUE(Seen(data));
  LPWSTR source = nullptr;
  FWebView->get_Source(&source);
  EXPECT_EQ(TakeRuntimeString(source), page);
}

TEST_F(ResourceTest, UnansweredRequestsLoadTheFileAndMissingOnesAre404) {
  FPages.Write("site/index.html",
               std::string("<script>") + kFetchScript +
                   "Promise.all([get('data.txt?v=1'), get('missing.txt'), "
                   "get('" +
                   FPages.FileUri("site/data.txt") +
                   "')])"
                   ".then(r => chrome.webview.postMessage({results: r}));</script>");
  FPages.Write("site/data.txt", "from disk");
  AnswerFromMemory({});
  ASSERT_TRUE(Navigate(FPages.FileUri("site/index.html")));
  json results = json::parse(WaitForMessage("results").Json)["results"];
  EXPECT_EQ(results[0]["status"], 200);
  EXPECT_EQ(results[0]["text"], "from disk");
  EXPECT_EQ(results[0]["type"], "text/plain");
  EXPECT_EQ(results[1]["status"], 404);
  EXPECT_EQ(results[2]["text"], "from disk") << "a file: fetch of a local page is served too";
  EXPECT_TRUE(Seen(FPages.FileUri("site/data.txt?v=1"))) << "the host sees the query";
  EXPECT_TRUE(Seen(FPages.FileUri("site/missing.txt")));
}

TEST_F(ResourceTest, FiltersChooseWhichRequestsTheHostSees) {
  FPages.Write("f/index.html",
               "<link rel=stylesheet href='a.css'><img src='b.png'>"
               "<script>chrome.webview.postMessage('done')</script>");
  FPages.Write("f/a.css", "body{}");
  AnswerFromMemory({});
  FWebView->RemoveWebResourceRequestedFilter(u"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
  EXPECT_EQ(FWebView->RemoveWebResourceRequestedFilter(u"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL),
            E_INVALIDARG);
  FWebView->AddWebResourceRequestedFilter(Wide("file://" + FPages.Path("f") + "/*.css").c_str(),
                                          COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
  FWebView->AddWebResourceRequestedFilter(u"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_IMAGE);
  ASSERT_TRUE(Navigate(FPages.FileUri("f/index.html")));
  WaitForMessage("done");
  PumpFor(200ms);
  EXPECT_FALSE(Seen(FPages.FileUri("f/index.html")));
  ASSERT_TRUE(Seen(FPages.FileUri("f/a.css")));
  ASSERT_TRUE(Seen(FPages.FileUri("f/b.png")));
  EXPECT_EQ(Seen(FPages.FileUri("f/b.png"))->Context, COREWEBVIEW2_WEB_RESOURCE_CONTEXT_IMAGE);
}

TEST_F(ResourceTest, MissingPageFailsTheNavigation) {
  FPages.Write("before.html", "<title>before</title>");
  ASSERT_TRUE(Navigate(FPages.FileUri("before.html")));
  FSettings->put_IsBuiltInErrorPageEnabled(FALSE);
  EXPECT_FALSE(Navigate(FPages.FileUri("nothing-here.html")));
  PumpFor(300ms);
  EXPECT_EQ(Eval("document.title"), "\"before\"") << "no error page: the old page stays";
  FSettings->put_IsBuiltInErrorPageEnabled(TRUE);
  EXPECT_FALSE(Navigate(FPages.FileUri("nothing-here.html")));
  ASSERT_TRUE(PumpUntil([&] { return Eval("document.title") != "\"before\""; }, 5s))
      << "WebKit's error page replaces it";
  LPWSTR source = nullptr;
  FWebView->get_Source(&source);
  EXPECT_EQ(TakeRuntimeString(source), FPages.FileUri("nothing-here.html"));
}

TEST_F(ResourceTest, DeferredAnswerArrivesWhenCompleted) {
  std::string page = FPages.FileUri("deferred.html");
  FWebView->AddWebResourceRequestedFilter(u"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
  TComPtr<ICoreWebView2Deferral> deferral;
  TComPtr<ICoreWebView2WebResourceRequestedEventArgs> held;
  FWebView->add_WebResourceRequested(
      Handler<ICoreWebView2WebResourceRequestedEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) {
            held = TComPtr<ICoreWebView2WebResourceRequestedEventArgs>(args);
            return args->GetDeferral(deferral.Put());
          })
          .Get(),
      &FToken);
  bool completed = false;
  EventRegistrationToken token{};
  FWebView->add_NavigationCompleted(
      Handler<ICoreWebView2NavigationCompletedEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs*) {
            completed = true;
            return S_OK;
          })
          .Get(),
      &token);
  FWebView->Navigate(Wide(page).c_str());
  ASSERT_TRUE(PumpUntil([&] { return static_cast<bool>(deferral); }));
  PumpFor(200ms);
  EXPECT_FALSE(completed) << "the page waits for the deferral";
  TComPtr<ICoreWebView2WebResourceResponse> response;
  Runtime().Environment->CreateWebResourceResponse(
      MemoryStream("<script>chrome.webview.postMessage('late')</script>").Get(), 200, u"OK",
      u"Content-Type: text/html", response.Put());
  held->put_Response(response.Get());
  EXPECT_EQ(deferral->Complete(), S_OK);
  EXPECT_EQ(deferral->Complete(), static_cast<HRESULT>(0x8007139F)) << "once only";
  WaitForMessage("late");
}

// The engine's media player loads no app: addresses; a local page's video
// comes through the relay, which hands it to the host as a media request
// and, unanswered, reads it from the disk.
TEST_F(ResourceTest, MediaOfLocalPagesReachTheHostAndPlayAndSeek) {
  const std::string clip = FPages.Path("m/clip.webm");
  const std::string make =
      "gst-launch-1.0 -q videotestsrc num-buffers=60 ! "
      "video/x-raw,width=64,height=48,framerate=30/1 ! vp8enc deadline=1 "
      "keyframe-max-dist=10 ! webmmux ! filesink location=" +
      clip + " >/dev/null 2>&1";
  FPages.Write("m/index.html", R"(<video muted src="clip.webm"></video><script>
    const v = document.querySelector('video');
    v.onerror = () => chrome.webview.postMessage({media: 'error ' + v.error.code});
    v.onloadedmetadata = () => { v.onseeked = () => chrome.webview.postMessage(
        {media: 'seeked', time: v.currentTime, src: v.src}); v.currentTime = 1; };
  </script>)");
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "gst-launch-1.0 cannot make a clip";
  AnswerFromMemory({});
  ASSERT_TRUE(Navigate(FPages.FileUri("m/index.html")));
  json reply = json::parse(WaitForMessage("media").Json);
  EXPECT_EQ(reply["media"], "seeked");
  EXPECT_NEAR(reply.value("time", 0.0), 1.0, 0.1);
  EXPECT_EQ(reply["src"], "app" + FPages.FileUri("m/clip.webm").substr(4));
  const TSeenRequest* media = Seen(FPages.FileUri("m/clip.webm"));
  ASSERT_TRUE(media);
  EXPECT_EQ(media->Context, COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MEDIA);
  EXPECT_EQ(media->Method, "GET");
}

}  // namespace
}  // namespace zel::test

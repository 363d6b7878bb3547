// The web view's events, raised from WebKit's signals.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "com/Utf.h"

#include "Harness.h"

namespace zel::test {
namespace {

using EventsTest = TBrowserTest;

// Records the navigation events of the fixture's web view as text.
class NavigationEventsTest : public TBrowserTest {
 protected:
  void SetUp() override {
    TBrowserTest::SetUp();
    FWebView->add_NavigationStarting(
        Handler<ICoreWebView2NavigationStartingEventHandler>(
            [this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
              LPWSTR uri = nullptr;
              args->get_Uri(&uri);
              args->get_NavigationId(&FIds[0]);
              FLog.push_back("starting " + TakeRuntimeString(uri));
              return S_OK;
            })
            .Get(),
        &FToken);
    FWebView->add_ContentLoading(
        Handler<ICoreWebView2ContentLoadingEventHandler>(
            [this](ICoreWebView2*, ICoreWebView2ContentLoadingEventArgs* args) {
              args->get_NavigationId(&FIds[1]);
              FLog.push_back("loading");
              return S_OK;
            })
            .Get(),
        &FToken);
    FWebView->add_SourceChanged(
        Handler<ICoreWebView2SourceChangedEventHandler>(
            [this](ICoreWebView2*, ICoreWebView2SourceChangedEventArgs* args) {
              BOOL isNew = FALSE;
              args->get_IsNewDocument(&isNew);
              FLog.push_back(isNew ? "source new" : "source same");
              return S_OK;
            })
            .Get(),
        &FToken);
    FWebView->add_NavigationCompleted(
        Handler<ICoreWebView2NavigationCompletedEventHandler>(
            [this](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
              args->get_NavigationId(&FIds[2]);
              FLog.push_back("completed");
              return S_OK;
            })
            .Get(),
        &FToken);
  }
  std::string Source() {
    LPWSTR source = nullptr;
    FWebView->get_Source(&source);
    return TakeRuntimeString(source);
  }

  std::vector<std::string> FLog;
  UINT64 FIds[3] = {};  // starting, loading, completed
  EventRegistrationToken FToken{};
};

TEST_F(NavigationEventsTest, ComeInOrderWithOneId) {
  FPages.Write("n/index.html", "<title>First</title>");
  ASSERT_TRUE(Navigate(FPages.FileUri("n/index.html")));
  EXPECT_EQ(FLog, (std::vector<std::string>{"starting " + FPages.FileUri("n/index.html"), "loading",
                                            "source new", "completed"}));
  EXPECT_NE(FIds[0], 0u);
  EXPECT_EQ(FIds[1], FIds[0]);
  EXPECT_EQ(FIds[2], FIds[0]);
}

TEST_F(NavigationEventsTest, FragmentsChangeTheSourceWithoutANavigation) {
  FPages.Write("n/index.html", "<title>First</title>");
  int history = 0;
  FWebView->add_HistoryChanged(
      Handler<ICoreWebView2HistoryChangedEventHandler>([&](ICoreWebView2*, IUnknown*) {
        ++history;
        return S_OK;
      }).Get(),
      &FToken);
  ASSERT_TRUE(Navigate(FPages.FileUri("n/index.html")));
  FLog.clear();
  history = 0;
  Eval("location.hash = 'part'");
  ASSERT_TRUE(PumpUntil([&] { return FLog == std::vector<std::string>{"source same"}; }));
  EXPECT_EQ(Source(), FPages.FileUri("n/index.html") + "#part");
  EXPECT_TRUE(PumpUntil([&] { return history > 0; }));
  BOOL canGoBack = FALSE;
  FWebView->get_CanGoBack(&canGoBack);
  EXPECT_TRUE(canGoBack);
}

TEST_F(EventsTest, CancelledNavigationLeavesThePageAlone) {
  FPages.Write("c/index.html", "<title>stay</title>");
  FPages.Write("c/other.html",
               "<title>leave</title><script>chrome.webview.postMessage('left')</script>");
  ASSERT_TRUE(Navigate(FPages.FileUri("c/index.html")));
  EventRegistrationToken token{};
  FWebView->add_NavigationStarting(
      Handler<ICoreWebView2NavigationStartingEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
            return args->put_Cancel(TRUE);
          })
          .Get(),
      &token);
  COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
  FWebView->add_NavigationCompleted(
      Handler<ICoreWebView2NavigationCompletedEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
            return args->get_WebErrorStatus(&status);
          })
          .Get(),
      &token);
  EXPECT_FALSE(Navigate(FPages.FileUri("c/other.html")));
  EXPECT_EQ(status, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED);
  PumpFor(200ms);
  EXPECT_EQ(Eval("document.title"), "\"stay\"");
  EXPECT_TRUE(FMessages.empty());
  LPWSTR source = nullptr;
  FWebView->get_Source(&source);
  EXPECT_EQ(TakeRuntimeString(source), FPages.FileUri("c/index.html"));
}

TEST_F(EventsTest, TitleChangesAreReported) {
  FPages.Write("t/index.html", "<title>One</title>");
  std::vector<std::string> titles;
  EventRegistrationToken token{};
  FWebView->add_DocumentTitleChanged(
      Handler<ICoreWebView2DocumentTitleChangedEventHandler>([&](ICoreWebView2* sender, IUnknown*) {
        LPWSTR title = nullptr;
        sender->get_DocumentTitle(&title);
        titles.push_back(TakeRuntimeString(title));
        return S_OK;
      }).Get(),
      &token);
  ASSERT_TRUE(Navigate(FPages.FileUri("t/index.html")));
  Eval("setTimeout(() => document.title = 'Two', 50)");
  ASSERT_TRUE(PumpUntil([&] { return !titles.empty() && titles.back() == "Two"; }));
  EXPECT_NE(std::find(titles.begin(), titles.end(), "One"), titles.end());
}

TEST_F(EventsTest, NewWindowRequestsCanBeTakenOrLeftToTheRuntime) {
  FPages.Write("w/index.html", "<title>opener</title>");
  FPages.Write("w/popup.html", "<title>popup</title>");
  ASSERT_TRUE(Navigate(FPages.FileUri("w/index.html")));
  std::vector<std::string> uris;
  bool handle = true;
  EventRegistrationToken token{};
  FWebView->add_NewWindowRequested(
      Handler<ICoreWebView2NewWindowRequestedEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) {
            LPWSTR uri = nullptr;
            args->get_Uri(&uri);
            uris.push_back(TakeRuntimeString(uri));
            return args->put_Handled(handle);
          })
          .Get(),
      &token);
  int before = VisibleToplevels();
  EXPECT_EQ(Eval("window.open('popup.html') === null"), "true");
  ASSERT_EQ(uris.size(), 1u);
  EXPECT_EQ(uris[0], FPages.FileUri("w/popup.html"));
  PumpFor(300ms);
  EXPECT_EQ(VisibleToplevels(), before);

  handle = false;
  Eval("setTimeout(() => window.open('popup.html'), 10)");  // without a user gesture
  ASSERT_TRUE(PumpUntil([&] { return VisibleToplevels() == before + 1; }))
      << "the runtime opens a window of its own";
  EXPECT_EQ(uris.size(), 2u);
}

TEST_F(EventsTest, PermissionRequestsGetTheHostsAnswer) {
  FPages.Write("p/index.html",
               "<script>function ask() { navigator.geolocation.getCurrentPosition("
               "p => chrome.webview.postMessage({geo: 'position'}),"
               "e => chrome.webview.postMessage({geo: e.code}), {timeout: 3000}); }</script>");
  ASSERT_TRUE(Navigate(FPages.FileUri("p/index.html")));
  COREWEBVIEW2_PERMISSION_STATE answer = COREWEBVIEW2_PERMISSION_STATE_ALLOW;
  std::vector<std::pair<COREWEBVIEW2_PERMISSION_KIND, std::string>> asked;
  EventRegistrationToken token{};
  FWebView->add_PermissionRequested(
      Handler<ICoreWebView2PermissionRequestedEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2PermissionRequestedEventArgs* args) {
            COREWEBVIEW2_PERMISSION_KIND kind{};
            args->get_PermissionKind(&kind);
            LPWSTR uri = nullptr;
            args->get_Uri(&uri);
            asked.emplace_back(kind, TakeRuntimeString(uri));
            return args->put_State(answer);
          })
          .Get(),
      &token);
  Eval("ask()");
  std::string allowed = WaitForMessage("geo").Json;
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].first, COREWEBVIEW2_PERMISSION_KIND_GEOLOCATION);
  EXPECT_EQ(asked[0].second, FPages.FileUri("p/index.html"));
  // Allowed, the page gets a position or "unavailable" (no location service
  // here), never "denied" (code 1).
  EXPECT_NE(allowed, R"({"geo":1})");
  ASSERT_TRUE(Navigate(FPages.FileUri("p/index.html")));  // WebKit remembers an answer per page
  answer = COREWEBVIEW2_PERMISSION_STATE_DEFAULT;
  Eval("ask()");
  EXPECT_EQ(WaitForMessage("geo").Json, R"({"geo":1})") << "no answer means no";
}

TEST_F(EventsTest, ScriptDialogsGoToTheHostWhenDefaultsAreOff) {
  ASSERT_TRUE(ShowHtml("<p>dialogs</p>"));
  FSettings->put_AreDefaultScriptDialogsEnabled(FALSE);
  std::vector<std::pair<COREWEBVIEW2_SCRIPT_DIALOG_KIND, std::string>> seen;
  EventRegistrationToken token{};
  FWebView->add_ScriptDialogOpening(
      Handler<ICoreWebView2ScriptDialogOpeningEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2ScriptDialogOpeningEventArgs* args) {
            COREWEBVIEW2_SCRIPT_DIALOG_KIND kind{};
            args->get_Kind(&kind);
            LPWSTR message = nullptr, defaultText = nullptr;
            args->get_Message(&message);
            args->get_DefaultText(&defaultText);
            seen.emplace_back(kind,
                              TakeRuntimeString(message) + "|" + TakeRuntimeString(defaultText));
            if (kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT) args->put_ResultText(u"typed");
            return kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT ? S_OK : args->Accept();
          })
          .Get(),
      &token);
  EXPECT_EQ(Eval("alert('hi'); [confirm('sure?'), prompt('name?', 'def')]"), R"([true,"typed"])");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], std::make_pair(COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT, std::string("hi|")));
  EXPECT_EQ(seen[1].first, COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM);
  EXPECT_EQ(seen[2],
            std::make_pair(COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT, std::string("name?|def")));
}

TEST_F(EventsTest, DeferredScriptDialogWaitsForComplete) {
  ASSERT_TRUE(ShowHtml("<p>dialogs</p>"));
  FSettings->put_AreDefaultScriptDialogsEnabled(FALSE);
  EventRegistrationToken token{};
  TComPtr<ICoreWebView2ScriptDialogOpeningEventArgs> pending;
  TComPtr<ICoreWebView2Deferral> deferral;
  FWebView->add_ScriptDialogOpening(
      Handler<ICoreWebView2ScriptDialogOpeningEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2ScriptDialogOpeningEventArgs* args) {
            pending = TComPtr<ICoreWebView2ScriptDialogOpeningEventArgs>(args);
            return args->GetDeferral(deferral.Put());
          })
          .Get(),
      &token);
  std::string answer;
  FWebView->ExecuteScript(
      u"confirm('later?')",
      Handler<ICoreWebView2ExecuteScriptCompletedHandler>([&](HRESULT, LPCWSTR json) {
        answer = Utf16ToUtf8(json);
        return S_OK;
      }).Get());
  ASSERT_TRUE(PumpUntil([&] { return static_cast<bool>(deferral); }));
  PumpFor(200ms);
  EXPECT_EQ(answer, "") << "the script waits for the dialog";
  pending->Accept();
  deferral->Complete();
  ASSERT_TRUE(PumpUntil([&] { return !answer.empty(); }));
  EXPECT_EQ(answer, "true");
}

TEST_F(EventsTest, FullScreenAndCloseRequestsAreReported) {
  ASSERT_TRUE(ShowHtml("<div id=d>big</div>"));
  std::vector<BOOL> fullScreen;
  int closeRequests = 0;
  EventRegistrationToken token{};
  FWebView->add_ContainsFullScreenElementChanged(
      Handler<ICoreWebView2ContainsFullScreenElementChangedEventHandler>([&](ICoreWebView2* sender,
                                                                             IUnknown*) {
        BOOL value = FALSE;
        sender->get_ContainsFullScreenElement(&value);
        fullScreen.push_back(value);
        return S_OK;
      }).Get(),
      &token);
  FWebView->add_WindowCloseRequested(
      Handler<ICoreWebView2WindowCloseRequestedEventHandler>([&](ICoreWebView2*, IUnknown*) {
        ++closeRequests;
        return S_OK;
      }).Get(),
      &token);
  Eval("document.getElementById('d').requestFullscreen()");
  ASSERT_TRUE(PumpUntil([&] { return fullScreen.size() == 1; }));
  EXPECT_EQ(fullScreen[0], TRUE);
  GdkWindowState state = gdk_window_get_state(gtk_widget_get_window(FWindow));
  EXPECT_FALSE(state & GDK_WINDOW_STATE_FULLSCREEN) << "the window is the host's business";
  Eval("document.exitFullscreen()");
  ASSERT_TRUE(PumpUntil([&] { return fullScreen.size() == 2; }));
  EXPECT_EQ(fullScreen[1], FALSE);
  Eval("window.close()");
  EXPECT_TRUE(PumpUntil([&] { return closeRequests == 1; }));
}

// Ends this process's WebKit web processes (the test started them).
int KillWebProcesses() {
  int killed = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string pid, name, state, parent;
    if (!(stat >> pid >> name >> state >> parent) || parent != std::to_string(getpid())) continue;
    if (name.find("WebKitWebProc") == std::string::npos) continue;
    kill(std::stoi(pid), SIGKILL);
    ++killed;
  }
  return killed;
}

TEST_F(EventsTest, ProcessFailedWhenTheWebProcessDies) {
  ASSERT_TRUE(ShowHtml("<p>alive</p>"));
  std::vector<COREWEBVIEW2_PROCESS_FAILED_KIND> failures;
  EventRegistrationToken token{};
  FWebView->add_ProcessFailed(Handler<ICoreWebView2ProcessFailedEventHandler>(
                                  [&](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) {
                                    COREWEBVIEW2_PROCESS_FAILED_KIND kind{};
                                    args->get_ProcessFailedKind(&kind);
                                    failures.push_back(kind);
                                    return S_OK;
                                  })
                                  .Get(),
                              &token);
  ASSERT_GT(KillWebProcesses(), 0);
  ASSERT_TRUE(PumpUntil([&] { return !failures.empty(); }));
  EXPECT_EQ(failures[0], COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED);
  EXPECT_TRUE(ShowHtml("<p>again</p>")) << "the view loads again in a new process";
}

TEST_F(EventsTest, RemovedHandlersAreNotCalled) {
  int calls = 0;
  auto handler =
      Handler<ICoreWebView2DocumentTitleChangedEventHandler>([&](ICoreWebView2*, IUnknown*) {
        ++calls;
        return S_OK;
      });
  EventRegistrationToken first{}, second{};
  FWebView->add_DocumentTitleChanged(handler.Get(), &first);
  FWebView->add_DocumentTitleChanged(handler.Get(), &second);
  EXPECT_NE(first.value, second.value);
  EXPECT_EQ(FWebView->remove_DocumentTitleChanged(first), S_OK);
  EXPECT_EQ(FWebView->add_DocumentTitleChanged(nullptr, &first), E_POINTER);
  Eval("document.title = 'changed'");
  ASSERT_TRUE(PumpUntil([&] { return calls > 0; }));
  PumpFor(100ms);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace zel::test

#include <algorithm>

#include "BrowserFixture.h"
#include "TestFiles.h"
#include "com/ComStreams.h"
#include "com/Utf.h"

using namespace zel;
using namespace zel::test;

using EdgeBrowserTest = BrowserFixture;

TEST_F(EdgeBrowserTest, CreationStates) {
  TEdgeBrowser unparented;
  EXPECT_EQ(unparented.BrowserControlState(), TBrowserControlState::None);
  EXPECT_EQ(Fake().EnvironmentsCreated(), 0);

  auto browser = std::make_unique<TEdgeBrowser>();
  browser->OnCreateWebViewCompleted = [&](TCustomEdgeBrowser&, HRESULT hr) {
    ++FCompletions;
    LastResult = hr;
  };
  StartCreation(*browser);
  EXPECT_EQ(browser->BrowserControlState(), TBrowserControlState::Creating);
  browser->CreateWebView();  // ignored while creating
  UI.PumpPending();
  EXPECT_EQ(Fake().EnvironmentsCreated(), 1);
  EXPECT_EQ(FCompletions, 0);
  Fake().RunPending();
  EXPECT_EQ(browser->BrowserControlState(), TBrowserControlState::Created);
  EXPECT_TRUE(browser->WebViewCreated());
  EXPECT_EQ(FCompletions, 1);
  EXPECT_EQ(LastResult, S_OK);
  EXPECT_TRUE(Fake().Called("CreateCoreWebView2Controller parent"));

  browser->CloseWebView();
  EXPECT_FALSE(browser->WebViewCreated());
  EXPECT_EQ(browser->BrowserControlState(), TBrowserControlState::Created);
  EXPECT_TRUE(Fake().Called("Close"));
  browser->CreateWebView();
  UI.Pump([&] { return Fake().EnvironmentsCreated() == 2; });
  EXPECT_EQ(browser->BrowserControlState(), TBrowserControlState::Creating);
}

TEST_F(EdgeBrowserTest, CreationFailures) {
  struct Case {
    const char* what;
    HRESULT envReturned, envCompleted, controllerReturned, controller, webView, settings;
    TBrowserControlState state;
  } cases[] = {
      {"environment refused", E_ACCESSDENIED, S_OK, S_OK, S_OK, S_OK, S_OK,
       TBrowserControlState::Creating},
      {"environment failed later", S_OK, E_ABORT, S_OK, S_OK, S_OK, S_OK,
       TBrowserControlState::Creating},
      {"controller refused", S_OK, S_OK, E_INVALIDARG, S_OK, S_OK, S_OK,
       TBrowserControlState::Failed},
      {"controller failed", S_OK, S_OK, S_OK, E_OUTOFMEMORY, S_OK, S_OK,
       TBrowserControlState::Failed},
      {"no web view", S_OK, S_OK, S_OK, S_OK, E_NOINTERFACE, S_OK, TBrowserControlState::Failed},
      {"no settings", S_OK, S_OK, S_OK, S_OK, S_OK, E_UNEXPECTED, TBrowserControlState::Failed},
  };
  for (const Case& c : cases) {
    Fake().Reset();
    Fake().SetEnvironmentResults(c.envReturned, c.envCompleted);
    Fake().SetControllerReturned(c.controllerReturned);
    Fake().SetControllerResult(c.controller);
    Fake().SetWebViewResults(c.webView, c.settings);
    FCompletions = 0;
    auto browser = CreatedBrowser();
    UI.Pump([&] { return FCompletions > 0; });
    EXPECT_EQ(browser->BrowserControlState(), c.state) << c.what;
    EXPECT_EQ(FCompletions, 1) << c.what;
    EXPECT_TRUE(FAILED(LastResult)) << c.what;
    EXPECT_EQ(LastResult, browser->LastErrorCode()) << c.what;
  }
}

// Without a handler for the outcome, a failed controller raises the control's
// exception from the UI thread's queue, where the application reports it.
TEST_F(EdgeBrowserTest, UnhandledControllerFailureRaises) {
  Fake().SetControllerResult(E_OUTOFMEMORY);
  TEdgeBrowser browser;
  StartCreation(browser);
  Fake().RunPending();
  UI.PumpPending();
  ASSERT_EQ(UI.Exceptions.size(), 1u);
  EXPECT_EQ(UI.Exceptions[0], "Failed to create Edge browser control");
}

// The outcome of the controller's creation runs as a UI call, not inside the
// runtime's callback: what its handler throws reaches the exception report.
TEST_F(EdgeBrowserTest, ControllerOutcomeHandlersReportTheirExceptions) {
  for (HRESULT controller : {E_OUTOFMEMORY, S_OK}) {
    Fake().Reset();
    Fake().SetControllerResult(controller);
    UI.Exceptions.clear();
    TEdgeBrowser browser;
    browser.OnCreateWebViewCompleted = [](TCustomEdgeBrowser&, HRESULT hr) {
      throw std::runtime_error(FAILED(hr) ? "failure seen" : "success seen");
    };
    StartCreation(browser);
    Fake().RunPending();
    UI.PumpPending();
    ASSERT_EQ(UI.Exceptions.size(), 1u) << controller;
    EXPECT_EQ(UI.Exceptions[0], FAILED(controller) ? "failure seen" : "success seen");
  }
}

// A controller refused at once, without a handler for the outcome, is
// reported as one that fails later.
TEST_F(EdgeBrowserTest, UnhandledControllerRefusalRaises) {
  Fake().SetControllerReturned(E_INVALIDARG);
  TEdgeBrowser browser;
  StartCreation(browser);
  UI.PumpPending();
  EXPECT_EQ(browser.BrowserControlState(), TBrowserControlState::Failed);
  EXPECT_EQ(browser.LastErrorCode(), E_INVALIDARG);
  ASSERT_EQ(UI.Exceptions.size(), 1u);
  EXPECT_EQ(UI.Exceptions[0], "Failed to create Edge browser control");
}

TEST_F(EdgeBrowserTest, LoaderPathWithoutLibrary) {
  WebView2LoaderPath = "/nonexistent/loader.so";
  TEdgeBrowser browser;
  browser.OnCreateWebViewCompleted = [&](TCustomEdgeBrowser&, HRESULT hr) {
    ++FCompletions;
    LastResult = hr;
  };
  StartCreation(browser);
  ASSERT_EQ(FCompletions, 1);
  EXPECT_EQ(LastResult, E_FAIL);
  EXPECT_EQ(browser.BrowserControlState(), TBrowserControlState::Creating);
  EXPECT_EQ(browser.BrowserVersionInfo(), "");
}

TEST_F(EdgeBrowserTest, NavigationBeforeCreationIsRemembered) {
  TEdgeBrowser browser;
  browser.Navigate(" \t ");
  EXPECT_EQ(browser.LastURL(), "");
  browser.Navigate("  file:///start.html ");
  EXPECT_EQ(browser.LastURL(), "  file:///start.html ");
  browser.NavigateToString("<p>lost</p>");
  browser.OnCreateWebViewCompleted = [](TCustomEdgeBrowser& b, HRESULT) {
    b.ExecuteScript("created");
  };
  StartCreation(browser);
  Fake().RunPending();
  const auto calls = Fake().Calls();
  const auto created = std::find(calls.begin(), calls.end(), "ExecuteScript created");
  const auto navigated = std::find(calls.begin(), calls.end(), "Navigate   file:///start.html ");
  ASSERT_NE(navigated, calls.end());
  EXPECT_LT(created, navigated);
  EXPECT_FALSE(Fake().Called("NavigateToString <p>lost</p>"));
  EXPECT_EQ(browser.LastURL(), "  file:///start.html ");
}

TEST_F(EdgeBrowserTest, SizeRatioLayout) {
  auto browser = CreatedBrowser();
  struct Case {
    int width, height;
    double ratio;
    const char* bounds;
  } cases[] = {{800, 600, 1.0, "put_Bounds 0,0,800,600"},
               {800, 600, 0.5, "put_Bounds 0,0,400,300"},
               {100, 100, 0.3333, "put_Bounds 0,0,33,33"}};
  for (const Case& c : cases) {
    UI.Hosts.back()->Client = {0, 0, c.width, c.height};
    Fake().ClearCalls();
    browser->SetSizeRatio(c.ratio);
    EXPECT_TRUE(Fake().Called(c.bounds)) << c.bounds;
  }
  Fake().ClearCalls();
  UI.Hosts.back()->Resize(200, 100);
  EXPECT_TRUE(Fake().Called("put_Bounds 0,0,66,33"));
}

TEST_F(EdgeBrowserTest, SettingsNeedAWebView) {
  TEdgeBrowser browser;
  try {
    browser.ScriptEnabled();
    FAIL();
  } catch (const EEdgeError& e) {
    EXPECT_STREQ(e.what(), "WebView2 not instantiated");
    EXPECT_EQ(static_cast<std::uint32_t>(e.ErrorCode), 0x80004005u);
  }
  EXPECT_THROW(browser.SetDevToolsEnabled(false), EEdgeError);
  EXPECT_EQ(browser.ZoomFactor(), 0.0);
  EXPECT_FALSE(browser.CanGoBack());
  EXPECT_EQ(browser.LocationURL(), "");

  auto created = CreatedBrowser();
  created->SetDevToolsEnabled(false);
  EXPECT_FALSE(created->DevToolsEnabled());
  EXPECT_TRUE(created->ScriptEnabled());
  EXPECT_TRUE(Fake().Called("put_AreDevToolsEnabled 0"));
}

TEST_F(EdgeBrowserTest, EventsAreReadOnlyWithAHandler) {
  auto browser = CreatedBrowser();
  EXPECT_EQ(Fake().HandlerCount("WebMessageReceived"), 1);
  Fake().RaiseWebMessage("file:///index.html", "{}");
  EXPECT_FALSE(Fake().LastArgsRead());
  Fake().RaiseNewWindowRequested("file:///x.html");
  EXPECT_FALSE(Fake().LastArgsRead());

  std::string json;
  browser->OnWebMessageReceived = [&](TCustomEdgeBrowser&, TWebMessageReceivedEventArgs& args) {
    LPWSTR text = nullptr;
    args.ArgsInterface()->get_WebMessageAsJson(&text);
    json = Utf16ToUtf8(text);
    CoTaskMemFree(text);
  };
  Fake().RaiseWebMessage("file:///index.html", R"({"id":1})");
  EXPECT_TRUE(Fake().LastArgsRead());
  EXPECT_EQ(json, R"({"id":1})");

  std::string title = "unset";
  browser->OnDocumentTitleChanged = [&](TCustomEdgeBrowser&, const std::string& t) { title = t; };
  Fake().RaiseDocumentTitleChanged("");
  EXPECT_EQ(title, "");
  Fake().RaiseDocumentTitleChanged("Hello");
  EXPECT_EQ(title, "Hello");
}

TEST_F(EdgeBrowserTest, DevToolsSubscriptions) {
  auto browser = CreatedBrowser();
  std::vector<std::string> received;
  browser->OnDevToolsProtocolEventReceived = [&](TCustomEdgeBrowser&, const std::string& name,
                                                 const std::string& json) {
    received.push_back(name + " " + json);
  };
  browser->SubscribeToCDPEvent("Network.requestWillBeSent");
  browser->SubscribeToCDPEvent("Network.requestWillBeSent");
  EXPECT_EQ(Fake().HandlerCount("Network.requestWillBeSent"), 1);
  Fake().RaiseDevToolsEvent("Network.requestWillBeSent", R"({"a":1})");
  EXPECT_EQ(received, std::vector<std::string>{R"(Network.requestWillBeSent {"a":1})"});
  browser->CloseWebView();
  EXPECT_EQ(Fake().HandlerCount("Network.requestWillBeSent"), 0);
}

TEST_F(EdgeBrowserTest, SystemCommandsAndVisibility) {
  auto browser = CreatedBrowser();
  struct Case {
    TSysCommand command;
    const char* call;
  } cases[] = {{TSysCommand::Minimize, "put_IsVisible 0"},
               {TSysCommand::Restore, "put_IsVisible 1"},
               {TSysCommand::Maximize, nullptr},
               {TSysCommand::Other, nullptr}};
  for (const Case& c : cases) {
    Fake().ClearCalls();
    browser->SysCommand(c.command);
    if (c.call)
      EXPECT_EQ(Fake().Calls(), std::vector<std::string>{c.call});
    else
      EXPECT_TRUE(Fake().Calls().empty());
  }
  Fake().ClearCalls();
  UI.Hosts.back()->SetVisible(false);
  EXPECT_TRUE(Fake().Called("put_IsVisible 0"));
}

TEST_F(EdgeBrowserTest, FocusAndShortcuts) {
  auto browser = CreatedBrowser();
  int entered = 0;
  browser->OnEnter = [&](TCustomEdgeBrowser&) { ++entered; };
  Fake().ClearCalls();
  Fake().Raise("GotFocus");  // the browser took focus: do not push it back
  EXPECT_EQ(entered, 1);
  EXPECT_FALSE(Fake().Called("MoveFocus 0"));
  browser->SetFocus();
  EXPECT_TRUE(Fake().Called("MoveFocus 0"));

  auto* host = UI.Hosts.back();
  EXPECT_FALSE(Fake().RaiseAcceleratorKey(0, 'S', 7));
  host->AcceptShortCuts = true;
  EXPECT_TRUE(Fake().RaiseAcceleratorKey(2, 'S', 9));
  EXPECT_EQ(host->ShortCuts.back(),
            (std::vector<unsigned>{COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN, 'S', 9}));
  Fake().RaiseMoveFocusRequested(COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS);
  Fake().RaiseMoveFocusRequested(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC);
  EXPECT_EQ(host->SelectNextCalls, std::vector<bool>{false});
}

TEST_F(EdgeBrowserTest, RecreatedWindowRecreatesTheBrowser) {
  auto browser = CreatedBrowser();
  ASSERT_EQ(FCompletions, 1);
  UI.Hosts.back()->Events.ControlRecreated();
  UI.PumpPending();
  Fake().RunPending();
  EXPECT_EQ(FCompletions, 2);
  EXPECT_TRUE(browser->WebViewCreated());
}

TEST_F(EdgeBrowserTest, InformationProperties) {
  auto browser = CreatedBrowser();
  Fake().SetSource("ABOUT:BLANK");
  EXPECT_EQ(browser->LocationURL(), "");
  Fake().SetSource("file:///index.html");
  EXPECT_EQ(browser->LocationURL(), "file:///index.html");
  EXPECT_EQ(browser->BrowserVersionInfo(), "fake 1.0 (environment)");
  EXPECT_TRUE(browser->CanGoBack());
  browser->CloseWebView();
  EXPECT_FALSE(browser->CanGoBack());
  EXPECT_FALSE(browser->CanGoForward());
  EXPECT_FALSE(browser->ContainsFullScreenElement());
  EXPECT_EQ(browser->BrowserVersionInfo(), "fake 1.0");
}

TEST_F(EdgeBrowserTest, CapturePreviewReplacesTheFile) {
  TTempDir dir;
  const auto file = dir.Path() / "shot.png";
  WriteText(file, std::string(5000, 'x'));
  auto browser = CreatedBrowser();
  HRESULT completed = E_FAIL;
  browser->OnCapturePreviewCompleted = [&](TCustomEdgeBrowser&, HRESULT hr) { completed = hr; };
  browser->CapturePreview(file.string(), TPreviewFormat::PNG);
  Fake().RunPending();
  EXPECT_EQ(completed, S_OK);
  EXPECT_EQ(ReadText(file), std::string("\x89PNG\r\n\x1a\n", 8));

  TEdgeBrowser none;
  none.CapturePreview(file.string(), TPreviewFormat::JPEG);
  EXPECT_TRUE(FAILED(none.LastErrorCode()));
}

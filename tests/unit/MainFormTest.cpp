#include <algorithm>

#include "AppFixture.h"
#include "host/browser/Resources.h"

using namespace zel;
using namespace zel::test;

using MainFormTest = AppFixture;

TEST_F(MainFormTest, GeometryAndStyleFromTheConfiguration) {
  struct Case {
    const char* settings;
    TFormBorderStyle border;
    TWindowState state;
    bool onTop, fullscreen;
    TPosition position;
  } cases[] = {
      {"", TFormBorderStyle::bsSizeable, TWindowState::wsNormal, false, false,
       TPosition::poDesktopCenter},
      {"WindowStyle=1\nWindowBorder=3\nWindowState=0\n", TFormBorderStyle::bsNone,
       TWindowState::wsMaximized, false, true, TPosition::poDesktopCenter},
      {"WindowBorder=3\nWindowState=1\nWindowOrder=1\nWindowPosition=7\n",
       TFormBorderStyle::bsDialog, TWindowState::wsMaximized, true, false,
       TPosition::poDefaultPosOnly},
      {"WindowBorder=0\nWindowState=2\n", TFormBorderStyle::bsNone, TWindowState::wsNormal, false,
       false, TPosition::poDesktopCenter},
      {"WindowBorder=9\n", TFormBorderStyle::bsSizeable, TWindowState::wsNormal, false, false,
       TPosition::poDesktopCenter},
  };
  for (const Case& c : cases) {
    Open(std::string(kAppIni) + c.settings);
    EXPECT_EQ(Form().Border, c.border) << c.settings;
    EXPECT_EQ(Form().State, c.state) << c.settings;
    EXPECT_EQ(Form().OnTop, c.onTop) << c.settings;
    EXPECT_EQ(Bridge().FInFullscreen, c.fullscreen) << c.settings;
    EXPECT_EQ(Form().Position, c.position) << c.settings;
    EXPECT_EQ(Form().Caption(), "Demo App");
  }
  Open(std::string(kAppIni) +
       "Top=10\nLeft=20\nWidth=$320\nHeight=300\nMinWidth=200\nMaxHeight=900\n");
  EXPECT_EQ(Form().Bounds(), (TRect{20, 10, 820, 310}));
  EXPECT_EQ(Form().Constraints, (std::vector<int>{0, 900, 200, 0}));
  EXPECT_EQ(UI.AppTitle, "Demo App");
}

TEST_F(MainFormTest, StartsTheBrowserAsAPackagedApplication) {
  Open(std::string(kAppIni) + "AllowDebug=1\nIndexHtml=start.html\n",
       {{"zel-webviewjs", "window.appScript = 1;"}});
  const auto calls = Fake().Calls();
  auto at = [&](const std::string& line) {
    return std::find(calls.begin(), calls.end(), line) - calls.begin();
  };
  const std::string script = "AddScriptToExecuteOnDocumentCreated \r" +
                             std::string(resources::ZEL_EXTERNAL_JAVASCRIPT) +
                             "\rwindow.addEventListener(\"dragover\", "
                             "function(e){e.preventDefault();},false);"
                             "\rwindow.addEventListener(\"drop\", "
                             "function(e){e.preventDefault();}, false);"
                             "\rwindow.appScript = 1;";
  const std::vector<std::string> order = {
      script,
      "put_IsScriptEnabled 1",
      "put_IsStatusBarEnabled 0",
      "put_IsWebMessageEnabled 1",
      "put_IsBuiltInErrorPageEnabled 1",
      "put_IsZoomControlEnabled 0",
      "put_AreDevToolsEnabled 1",
      "put_AreDefaultContextMenusEnabled 0",
      "AddWebResourceRequestedFilter * 0",
      "Navigate file:///start.html",
  };
  for (size_t i = 0; i < order.size(); ++i) {
    ASSERT_LT(at(order[i]), static_cast<long>(calls.size())) << order[i];
    if (i) {
      EXPECT_LT(at(order[i - 1]), at(order[i])) << order[i];
    }
  }
}

TEST_F(MainFormTest, BlankApplicationScriptAddsNothing) {
  Open(kAppIni, {{"zel-webviewjs", " \r\n\t "}});
  for (const std::string& c : Fake().Calls())
    if (c.starts_with("AddScriptToExecuteOnDocumentCreated")) {
      EXPECT_TRUE(c.ends_with("function(e){e.preventDefault();}, false);"));
    }
}

TEST_F(MainFormTest, StartAddressOfASecondWindow) {
  struct Case {
    std::vector<std::string> args;
    const char* address;
  } cases[] = {
      {{"demo", "file:///other.html"}, "Navigate file:///other.html"},
      {{"Demo", "file:///other.html"}, "Navigate file:///index.html"},
      {{"demo"}, "Navigate file:///index.html"},
      {{"demo", "file:///a.html", "x"}, "Navigate file:///index.html"},
  };
  for (const Case& c : cases) {
    Fake().Reset();
    Open(kAppIni, {}, c.args);
    EXPECT_TRUE(Fake().Called(c.address)) << c.address;
  }
}

TEST_F(MainFormTest, ServesThePackageAndGrantsPermissions) {
  Open(kAppIni, {{"app/index.html", "<p>hello</p>"}});
  const fake::TResponse r = Fake().RaiseWebResourceRequested("file:///index.html");
  ASSERT_TRUE(r.Set);
  EXPECT_EQ(r.Status, 200);
  EXPECT_EQ(r.Reason, "OK");
  EXPECT_EQ(r.Headers, "Content-Type: text/html; charset=utf-8\nAccept-Ranges: bytes");
  EXPECT_EQ(r.Body, "<p>hello</p>");
  EXPECT_FALSE(Fake().RaiseWebResourceRequested("file:///missing.html").Set);
  EXPECT_FALSE(Fake().RaiseWebResourceRequested("https://example.com/").Set);
  EXPECT_EQ(Fake().RaisePermissionRequested(COREWEBVIEW2_PERMISSION_KIND_GEOLOCATION),
            COREWEBVIEW2_PERMISSION_STATE_ALLOW);
  EXPECT_FALSE(Fake().RaiseNewWindowRequested("https://example.com/"));
  EXPECT_TRUE(UI.BrowserForms.back()->Progress);
  Fake().RaiseNavigationCompleted(false, COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT);
  EXPECT_FALSE(UI.BrowserForms.back()->Progress);
}

// Local files go only to local pages: a remote page shown in the application
// must read neither the package nor the disk, yet navigating back to the
// application's own page from there still works.
TEST_F(MainFormTest, LocalFilesOnlyForLocalPages) {
  Open(kAppIni, {{"app/index.html", "<p>hello</p>"}});
  const int document = COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT;
  const int fetch = COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FETCH;
  struct Case {
    const char* source;
    const char* navigating;  // the top-level navigation in progress, if any
    int context;
    int status;  // 0: left to the runtime
  } cases[] = {
      {"", nullptr, document, 200},
      {"about:blank", nullptr, fetch, 200},
      {"file:///index.html", nullptr, fetch, 200},
      {"FILE:///index.html#top", nullptr, document, 200},
      {"https://example.com/", nullptr, fetch, 403},
      {"https://example.com/", nullptr, document, 403},
      {"http://localhost/", "file:///other.html", document, 403},
      {"https://example.com/", "file:///index.html#x", fetch, 403},
      {"https://example.com/", "file:///index.html#x", document, 200},
      {"data:text/html,<p>", nullptr, fetch, 403},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " " + (c.navigating ? c.navigating : "-"));
    Fake().SetSource(c.source);
    if (c.navigating) Fake().RaiseNavigationStarting(c.navigating);
    const fake::TResponse r = Fake().RaiseWebResourceRequested("file:///index.html", c.context);
    EXPECT_EQ(r.Status, c.status);
    EXPECT_EQ(r.Body, c.status == 200 ? "<p>hello</p>" : "");
    Fake().RaiseNavigationCompleted(true, 0);
  }
  // Addresses that are not files stay with the runtime whatever the page.
  Fake().SetSource("https://example.com/");
  EXPECT_FALSE(Fake().RaiseWebResourceRequested("https://example.com/a.js").Set);
}

TEST_F(MainFormTest, DynamicTitle) {
  for (const char* flag : {"0", "1"}) {
    Open(std::string(kAppIni) + "DynamicAppTitle=" + flag + "\n");
    Fake().RaiseDocumentTitleChanged("Page Title");
    EXPECT_EQ(Form().Caption(), std::string(flag) == "1" ? "Page Title" : "Demo App");
    EXPECT_EQ(UI.AppTitle, "Demo App");
  }
}

TEST_F(MainFormTest, CloseHandshake) {
  Open(kAppIni);
  Fake().ClearCalls();
  Form().UserClose();
  EXPECT_FALSE(Form().Closed);
  EXPECT_TRUE(Fake().Called("ExecuteScript zel.events.onCloseQuery();"));
  Form().UserClose();
  EXPECT_FALSE(Form().Closed);

  // The page agrees: app.close, which answers nothing.
  EXPECT_TRUE(Call(R"({"id": 50001, "uuid": "u", "data": {}})").empty());
  EXPECT_FALSE(Form().Closed);  // closing waits for the message loop
  UI.Running = true;
  Form().ProcessCloses();
  EXPECT_TRUE(Form().Closed);
  EXPECT_FALSE(UI.Running);
  EXPECT_FALSE(Main->FBrowserForm);
  EXPECT_FALSE(Main->FBrowserExternalModule);
}

TEST_F(MainFormTest, RoundedCornerPreference) {
  Open(kAppIni);
  EXPECT_EQ(Form().CornerPreference, 2);  // the module default asks for round corners
  struct Case {
    TRoundedCornerType form, module;
    int value;
  } cases[] = {
      {TRoundedCornerType::rcOff, TRoundedCornerType::rcOn, 1},
      {TRoundedCornerType::rcSmall, TRoundedCornerType::rcOn, 3},
      {TRoundedCornerType::rcDefault, TRoundedCornerType::rcOff, 1},
      {TRoundedCornerType::rcDefault, TRoundedCornerType::rcDefault, 0},
  };
  for (const Case& c : cases) {
    DefaultRoundedCorners = c.module;
    Main->SetRoundedCorners(c.form);
    EXPECT_EQ(Form().CornerPreference, c.value);
  }
  DefaultRoundedCorners = TRoundedCornerType::rcOn;
}

// The controller: placement in the host's container, zoom, keys and focus.
#include <algorithm>
#include <limits>
#include <tuple>

#include "Harness.h"

namespace zel::test {
namespace {

using ControllerTest = TBrowserTest;

GtkWidget* ViewOf(GtkWidget* layout) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
  GtkWidget* view = children ? GTK_WIDGET(children->data) : nullptr;
  g_list_free(children);
  return view;
}

TEST_F(ControllerTest, BoundsAndVisibilityPlaceTheViewInTheLayout) {
  GtkWidget* view = ViewOf(FLayout);
  ASSERT_TRUE(view);
  ASSERT_EQ(FController->put_Bounds(RECT{10, 20, 310, 220}), S_OK);
  int x = -1, y = -1, width = -1, height = -1;
  gtk_container_child_get(GTK_CONTAINER(FLayout), view, "x", &x, "y", &y, nullptr);
  gtk_widget_get_size_request(view, &width, &height);
  EXPECT_EQ(std::make_tuple(x, y, width, height), std::make_tuple(10, 20, 300, 200));
  RECT bounds{};
  FController->get_Bounds(&bounds);
  EXPECT_EQ(std::make_tuple(bounds.left, bounds.top, bounds.right, bounds.bottom),
            std::make_tuple(10, 20, 310, 220));
  FController->put_IsVisible(FALSE);
  EXPECT_FALSE(gtk_widget_get_visible(view));
  BOOL visible = TRUE;
  FController->get_IsVisible(&visible);
  EXPECT_FALSE(visible);
  FController->put_IsVisible(TRUE);
  EXPECT_TRUE(gtk_widget_get_visible(view));
}

TEST_F(ControllerTest, ParentWindowMovesTheView) {
  GtkWidget* view = ViewOf(FLayout);
  GtkWidget* other = gtk_layout_new(nullptr, nullptr);
  g_object_ref_sink(other);
  ASSERT_EQ(FController->put_ParentWindow(other), S_OK);
  EXPECT_EQ(gtk_widget_get_parent(view), other);
  HWND parent = nullptr;
  FController->get_ParentWindow(&parent);
  EXPECT_EQ(parent, other);
  ASSERT_EQ(FController->put_ParentWindow(FLayout), S_OK);
  EXPECT_EQ(gtk_widget_get_parent(view), FLayout);
  g_object_unref(other);
}

TEST_F(ControllerTest, ZoomFactorAndItsShortcuts) {
  ASSERT_TRUE(ShowHtml("<p>zoom</p>"));
  int changes = 0;
  EventRegistrationToken token{};
  FController->add_ZoomFactorChanged(
      Handler<ICoreWebView2ZoomFactorChangedEventHandler>([&](ICoreWebView2Controller* sender,
                                                              IUnknown*) {
        EXPECT_EQ(sender, FController.Get());
        ++changes;
        return S_OK;
      }).Get(),
      &token);
  ASSERT_EQ(FController->put_ZoomFactor(1.5), S_OK);
  double zoom = 0;
  FController->get_ZoomFactor(&zoom);
  EXPECT_DOUBLE_EQ(zoom, 1.5);
  EXPECT_EQ(changes, 1);
  FController->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC);
  SendKey(GDK_KEY_equal, 21, GDK_CONTROL_MASK);
  FController->get_ZoomFactor(&zoom);
  EXPECT_DOUBLE_EQ(zoom, 1.75) << "Ctrl+= steps up";
  SendKey(GDK_KEY_0, 19, GDK_CONTROL_MASK);
  FController->get_ZoomFactor(&zoom);
  EXPECT_DOUBLE_EQ(zoom, 1.0) << "Ctrl+0 resets";
  FSettings->put_IsZoomControlEnabled(FALSE);
  SendKey(GDK_KEY_minus, 20, GDK_CONTROL_MASK);
  FController->get_ZoomFactor(&zoom);
  EXPECT_DOUBLE_EQ(zoom, 1.0) << "off: the shortcut does nothing";
}

TEST_F(ControllerTest, RefusesZoomFactorsItCannotShow) {
  ASSERT_TRUE(ShowHtml("<p>zoom</p>"));
  ASSERT_EQ(FController->put_ZoomFactor(1.25), S_OK);
  for (double bad : {0.0, -1.0, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(FController->put_ZoomFactor(bad), E_INVALIDARG) << bad;
    double zoom = 0;
    FController->get_ZoomFactor(&zoom);
    EXPECT_DOUBLE_EQ(zoom, 1.25) << bad;
  }
}

struct TKeyCase {
  guint Keyval;
  guint16 Keycode;
  GdkModifierType State;
  bool Raised;
  UINT VirtualKey;
  COREWEBVIEW2_KEY_EVENT_KIND Kind;
};

TEST_F(ControllerTest, AcceleratorKeysComeBeforeThePage) {
  FPages.Write("k/index.html",
               "<script>addEventListener('keydown', e => chrome.webview.postMessage({key: "
               "e.key}));</script>");
  ASSERT_TRUE(Navigate(FPages.FileUri("k/index.html")));
  FController->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC);
  std::vector<std::tuple<COREWEBVIEW2_KEY_EVENT_KIND, UINT, INT>> events;
  bool handle = false;
  EventRegistrationToken token{};
  FController->add_AcceleratorKeyPressed(
      Handler<ICoreWebView2AcceleratorKeyPressedEventHandler>(
          [&](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
            COREWEBVIEW2_KEY_EVENT_KIND kind{};
            UINT key = 0;
            INT lParam = 0;
            args->get_KeyEventKind(&kind);
            args->get_VirtualKey(&key);
            args->get_KeyEventLParam(&lParam);
            events.emplace_back(kind, key, lParam);
            return args->put_Handled(handle);
          })
          .Get(),
      &token);
  const TKeyCase cases[] = {
      {GDK_KEY_a, 38, GdkModifierType(0), false, 0, COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN},
      {GDK_KEY_F5, 71, GdkModifierType(0), true, 0x74, COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN},
      {GDK_KEY_b, 56, GDK_CONTROL_MASK, true, 'B', COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN},
      {GDK_KEY_x, 53, GDK_MOD1_MASK, true, 'X', COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN},
      {GDK_KEY_Left, 113, GdkModifierType(0), true, 0x25, COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN},
      {GDK_KEY_Delete, 119, GdkModifierType(0), true, 0x2E, COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN},
      {GDK_KEY_7, 16, GDK_CONTROL_MASK, true, '7', COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN},
  };
  for (const TKeyCase& c : cases) {
    events.clear();
    SendKey(c.Keyval, c.Keycode, c.State);
    if (!c.Raised) {
      EXPECT_TRUE(events.empty()) << gdk_keyval_name(c.Keyval);
      continue;
    }
    ASSERT_EQ(events.size(), 2u) << "down and up for " << gdk_keyval_name(c.Keyval);
    EXPECT_EQ(std::get<0>(events[0]), c.Kind);
    EXPECT_EQ(std::get<1>(events[0]), c.VirtualKey) << gdk_keyval_name(c.Keyval);
    EXPECT_EQ((std::get<2>(events[0]) >> 16) & 0xFF, c.Keycode - 8) << "scan code";
    EXPECT_EQ(std::get<2>(events[1]) < 0, true) << "key up sets the transition bit";
  }
  // Unhandled keys reach the page once; handled ones never.
  FMessages.clear();
  SendKey(GDK_KEY_F2, 68, GdkModifierType(0));
  WaitForMessage("F2");
  handle = true;
  SendKey(GDK_KEY_F3, 69, GdkModifierType(0));
  PumpFor(300ms);
  for (const TMessage& m : FMessages) EXPECT_EQ(m.Json.find("F3"), std::string::npos);
  EXPECT_EQ(std::count_if(FMessages.begin(), FMessages.end(),
                          [](const TMessage& m) { return m.Json.find("F2") != std::string::npos; }),
            1);
}

TEST_F(ControllerTest, FocusMovesIntoTheViewAndOut) {
  ASSERT_TRUE(ShowHtml("<input id=i>"));
  GtkWidget* other = gtk_entry_new();
  gtk_layout_put(GTK_LAYOUT(FLayout), other, 0, 0);
  gtk_widget_show(other);
  std::vector<std::string> events;
  EventRegistrationToken token{};
  auto record = [&](const char* what) {
    return Handler<ICoreWebView2FocusChangedEventHandler>(
        [&events, what](ICoreWebView2Controller*, IUnknown*) {
          events.push_back(what);
          return S_OK;
        });
  };
  FController->add_GotFocus(record("got").Get(), &token);
  FController->add_LostFocus(record("lost").Get(), &token);
  gtk_window_present(GTK_WINDOW(FWindow));
  FController->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC);
  ASSERT_TRUE(PumpUntil([&] { return events == std::vector<std::string>{"got"}; }, 5s));
  gtk_widget_grab_focus(other);
  EXPECT_TRUE(PumpUntil([&] { return events == std::vector<std::string>{"got", "lost"}; }, 5s));
}

TEST_F(ControllerTest, CloseReleasesEveryHandler) {
  auto title = Handler<ICoreWebView2DocumentTitleChangedEventHandler>(
      [](ICoreWebView2*, IUnknown*) { return S_OK; });
  auto zoom = Handler<ICoreWebView2ZoomFactorChangedEventHandler>(
      [](ICoreWebView2Controller*, IUnknown*) { return S_OK; });
  EventRegistrationToken token{};
  FWebView->add_DocumentTitleChanged(title.Get(), &token);
  FController->add_ZoomFactorChanged(zoom.Get(), &token);
  auto references = [](IUnknown* object) {
    object->AddRef();
    return object->Release();
  };
  EXPECT_EQ(references(title.Get()), 2u);
  EXPECT_EQ(references(zoom.Get()), 2u);
  ASSERT_EQ(FController->Close(), S_OK);
  EXPECT_EQ(references(title.Get()), 1u);
  EXPECT_EQ(references(zoom.Get()), 1u);
  EXPECT_EQ(gtk_container_get_children(GTK_CONTAINER(FLayout)), nullptr) << "the view is gone";
  EXPECT_EQ(FWebView->Navigate(u"about:blank"), static_cast<HRESULT>(0x8007139F));
  EXPECT_EQ(FController->put_IsVisible(TRUE), static_cast<HRESULT>(0x8007139F));
}

TEST_F(ControllerTest, SettingsStartAsWebView2sAndRoundTrip) {
  using TGet = HRESULT (ICoreWebView2Settings::*)(BOOL*);
  using TPut = HRESULT (ICoreWebView2Settings::*)(BOOL);
  const std::tuple<const char*, TGet, TPut> settings[] = {
      {"script", &ICoreWebView2Settings::get_IsScriptEnabled,
       &ICoreWebView2Settings::put_IsScriptEnabled},
      {"messages", &ICoreWebView2Settings::get_IsWebMessageEnabled,
       &ICoreWebView2Settings::put_IsWebMessageEnabled},
      {"dialogs", &ICoreWebView2Settings::get_AreDefaultScriptDialogsEnabled,
       &ICoreWebView2Settings::put_AreDefaultScriptDialogsEnabled},
      {"status bar", &ICoreWebView2Settings::get_IsStatusBarEnabled,
       &ICoreWebView2Settings::put_IsStatusBarEnabled},
      {"devtools", &ICoreWebView2Settings::get_AreDevToolsEnabled,
       &ICoreWebView2Settings::put_AreDevToolsEnabled},
      {"context menus", &ICoreWebView2Settings::get_AreDefaultContextMenusEnabled,
       &ICoreWebView2Settings::put_AreDefaultContextMenusEnabled},
      {"host objects", &ICoreWebView2Settings::get_AreHostObjectsAllowed,
       &ICoreWebView2Settings::put_AreHostObjectsAllowed},
      {"zoom", &ICoreWebView2Settings::get_IsZoomControlEnabled,
       &ICoreWebView2Settings::put_IsZoomControlEnabled},
      {"error page", &ICoreWebView2Settings::get_IsBuiltInErrorPageEnabled,
       &ICoreWebView2Settings::put_IsBuiltInErrorPageEnabled},
  };
  for (const auto& [name, get, put] : settings) {
    BOOL value = FALSE;
    ASSERT_EQ((FSettings.Get()->*get)(&value), S_OK);
    EXPECT_TRUE(value) << name << " starts enabled";
    (FSettings.Get()->*put)(FALSE);
    (FSettings.Get()->*get)(&value);
    EXPECT_FALSE(value) << name;
    EXPECT_EQ((FSettings.Get()->*get)(nullptr), E_POINTER) << name;
  }
}

}  // namespace
}  // namespace zel::test

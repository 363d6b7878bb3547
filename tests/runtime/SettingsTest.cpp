// Settings that change what the user can reach: context menus, DevTools and
// zoom by wheel.
#include "Harness.h"

namespace zel::test {
namespace {

using SettingsTest = TBrowserTest;

GtkWidget* WebKitView(GtkWidget* layout) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
  GtkWidget* view = children ? GTK_WIDGET(children->data) : nullptr;
  g_list_free(children);
  return view;
}

// Visible popup windows: GTK shows a menu in one.
int VisiblePopups() {
  int count = 0;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next)
    if (gtk_window_get_window_type(GTK_WINDOW(w->data)) == GTK_WINDOW_POPUP &&
        gtk_widget_get_visible(GTK_WIDGET(w->data)))
      ++count;
  g_list_free(windows);
  return count;
}

void SendButton(GtkWidget* view, guint button, GdkEventType type) {
  GdkEvent* event = gdk_event_new(type);
  event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(view)));
  event->button.send_event = TRUE;
  event->button.time = GDK_CURRENT_TIME;
  event->button.x = event->button.y = 50;
  event->button.button = button;
  gdk_event_set_device(
      event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
  gtk_main_do_event(event);
  gdk_event_free(event);
}

void SendScroll(GtkWidget* view, GdkScrollDirection direction, GdkModifierType state) {
  GdkEvent* event = gdk_event_new(GDK_SCROLL);
  event->scroll.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(view)));
  event->scroll.send_event = TRUE;
  event->scroll.direction = direction;
  event->scroll.state = state;
  event->scroll.x = event->scroll.y = 50;
  gdk_event_set_device(
      event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
  gtk_main_do_event(event);
  gdk_event_free(event);
}

TEST_F(SettingsTest, ContextMenusFollowTheSetting) {
  ASSERT_TRUE(ShowHtml("<body style='height:100vh'>right-click here</body>"));
  GtkWidget* view = WebKitView(FLayout);
  for (BOOL enabled : {BOOL{0}, BOOL{1}}) {
    FSettings->put_AreDefaultContextMenusEnabled(enabled);
    SendButton(view, GDK_BUTTON_SECONDARY, GDK_BUTTON_PRESS);
    SendButton(view, GDK_BUTTON_SECONDARY, GDK_BUTTON_RELEASE);
    bool shown = PumpUntil([] { return VisiblePopups() > 0; }, 2s);
    EXPECT_EQ(shown, enabled != 0) << "menus enabled: " << enabled;
  }
}

// WebKit shows the inspector in a window of its own, or attached inside the
// view when the view is large enough.
TEST_F(SettingsTest, DevToolsOpenOnlyWhenEnabled) {
  ASSERT_TRUE(ShowHtml("<p>inspect me</p>"));
  GtkWidget* view = WebKitView(FLayout);
  auto parts = [view] {  // an attached inspector is an inner child of the view
    int count = 0;
    gtk_container_forall(
        GTK_CONTAINER(view), [](GtkWidget*, gpointer n) { ++*static_cast<int*>(n); }, &count);
    return count;
  };
  int windowsBefore = VisibleToplevels(), partsBefore = parts();
  auto inspectorShown = [&] { return parts() > partsBefore || VisibleToplevels() > windowsBefore; };
  FSettings->put_AreDevToolsEnabled(FALSE);
  EXPECT_EQ(FWebView->OpenDevToolsWindow(), S_OK);
  PumpFor(500ms);
  EXPECT_FALSE(inspectorShown()) << "no inspector while DevTools are off";
  FSettings->put_AreDevToolsEnabled(TRUE);
  FWebView->OpenDevToolsWindow();
  EXPECT_TRUE(PumpUntil(inspectorShown, 10s));
}

TEST_F(SettingsTest, CtrlWheelZoomsOnlyWhenZoomControlIsOn) {
  ASSERT_TRUE(ShowHtml("<p>wheel</p>"));
  GtkWidget* view = WebKitView(FLayout);
  double zoom = 0;
  SendScroll(view, GDK_SCROLL_UP, GDK_CONTROL_MASK);
  FController->get_ZoomFactor(&zoom);
  EXPECT_DOUBLE_EQ(zoom, 1.1);
  SendScroll(view, GDK_SCROLL_DOWN, GDK_CONTROL_MASK);
  SendScroll(view, GDK_SCROLL_DOWN, GDK_CONTROL_MASK);
  FController->get_ZoomFactor(&zoom);
  EXPECT_DOUBLE_EQ(zoom, 0.9);
  FSettings->put_IsZoomControlEnabled(FALSE);
  SendScroll(view, GDK_SCROLL_UP, GDK_CONTROL_MASK);
  FController->get_ZoomFactor(&zoom);
  EXPECT_DOUBLE_EQ(zoom, 0.9);
}

}  // namespace
}  // namespace zel::test

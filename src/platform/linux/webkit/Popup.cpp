#include "platform/linux/webkit/Popup.h"

#include "platform/linux/webkit/ComUtils.h"

namespace zel::webkit {

namespace {

constexpr int kDefaultWidth = 800, kDefaultHeight = 600;

GtkWindow* WindowOf(WebKitWebView* view) {
  return GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(view)));
}

void OnReadyToShow(WebKitWebView* view, gpointer) {
  GuardCallback([&] {
    GtkWindow* window = WindowOf(view);
    GdkRectangle geometry{};
    webkit_window_properties_get_geometry(webkit_web_view_get_window_properties(view), &geometry);
    gtk_window_set_default_size(window, geometry.width > 0 ? geometry.width : kDefaultWidth,
                                geometry.height > 0 ? geometry.height : kDefaultHeight);
    gtk_widget_show_all(GTK_WIDGET(window));
  });
}

void OnTitle(WebKitWebView* view, GParamSpec*, gpointer) {
  const char* title = webkit_web_view_get_title(view);
  gtk_window_set_title(WindowOf(view), title ? title : "");
}

void OnClose(WebKitWebView* view, gpointer) {
  gtk_widget_destroy(GTK_WIDGET(WindowOf(view)));
}

GtkWidget* OnCreate(WebKitWebView* view, WebKitNavigationAction*, gpointer) {
  return GuardCallback<GtkWidget*>(nullptr, [&] { return OpenRuntimeWindow(view); });
}

}  // namespace

GtkWidget* OpenRuntimeWindow(WebKitWebView* opener) {
  GtkWidget* view = webkit_web_view_new_with_related_view(opener);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_container_add(GTK_CONTAINER(window), view);  // the window owns the view
  g_signal_connect(view, "ready-to-show", G_CALLBACK(OnReadyToShow), nullptr);
  g_signal_connect(view, "notify::title", G_CALLBACK(OnTitle), nullptr);
  g_signal_connect(view, "close", G_CALLBACK(OnClose), nullptr);
  g_signal_connect(view, "create", G_CALLBACK(OnCreate), nullptr);
  return view;
}

}  // namespace zel::webkit

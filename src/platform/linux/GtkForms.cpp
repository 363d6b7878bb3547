#include "platform/linux/GtkForms.h"

#include <climits>

#include "platform/linux/GtkCommon.h"

namespace zel::gtk {

// ---- Main window -----------------------------------------------------------

TGtkFormPeer::TGtkFormPeer(IFormEvents& Events) : FEvents(Events) {
  FWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(FWindow);
  FContent = GTK_BOX(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0));
  gtk_container_add(GTK_CONTAINER(FWindow), GTK_WIDGET(FContent));
  gtk_widget_show(GTK_WIDGET(FContent));
  g_signal_connect(FWindow, "delete-event", G_CALLBACK(OnDeleteEvent), this);
  g_signal_connect(FWindow, "window-state-event", G_CALLBACK(OnWindowState), this);
}

TGtkFormPeer::~TGtkFormPeer() {
  if (FPendingClose) g_source_remove(FPendingClose);
  g_signal_handlers_disconnect_by_data(FWindow, this);
  gtk_widget_destroy(FWindow);
  g_object_unref(FWindow);
}

void TGtkFormPeer::SetCaption(const std::string& Caption) {
  gtk_window_set_title(GTK_WINDOW(FWindow), Caption.c_str());
}

std::string TGtkFormPeer::Caption() const {
  const char* title = gtk_window_get_title(GTK_WINDOW(FWindow));
  return title ? title : "";
}

void TGtkFormPeer::SetBounds(int Left, int Top, int Width, int Height) {
  // Before the first show the position mode places the window; the
  // configured left and top do not.
  if (gtk_widget_get_visible(FWindow)) gtk_window_move(GTK_WINDOW(FWindow), Left, Top);
  gtk_window_set_default_size(GTK_WINDOW(FWindow), Width, Height);
  gtk_window_resize(GTK_WINDOW(FWindow), Width, Height);
}

TRect TGtkFormPeer::Bounds() const {
  int x = 0, y = 0, w = 0, h = 0;
  gtk_window_get_position(GTK_WINDOW(FWindow), &x, &y);
  gtk_window_get_size(GTK_WINDOW(FWindow), &w, &h);
  return {x, y, x + w, y + h};
}

void TGtkFormPeer::SetConstraints(int MaxWidth, int MaxHeight, int MinWidth, int MinHeight) {
  GdkGeometry geometry{};
  int mask = 0;
  if (MinWidth > 0 || MinHeight > 0) {
    geometry.min_width = MinWidth > 0 ? MinWidth : 1;
    geometry.min_height = MinHeight > 0 ? MinHeight : 1;
    mask |= GDK_HINT_MIN_SIZE;
  }
  if (MaxWidth > 0 || MaxHeight > 0) {
    geometry.max_width = MaxWidth > 0 ? MaxWidth : SHRT_MAX;
    geometry.max_height = MaxHeight > 0 ? MaxHeight : SHRT_MAX;
    mask |= GDK_HINT_MAX_SIZE;
  }
  gtk_window_set_geometry_hints(GTK_WINDOW(FWindow), nullptr, mask ? &geometry : nullptr,
                                static_cast<GdkWindowHints>(mask));
}

void TGtkFormPeer::SetPosition(TPosition Position) {
  // Centred on the screen at first show, or placed by the window manager.
  gtk_window_set_position(GTK_WINDOW(FWindow), Position == TPosition::poDesktopCenter
                                                   ? GTK_WIN_POS_CENTER
                                                   : GTK_WIN_POS_NONE);
}

void TGtkFormPeer::SetBorderStyle(TFormBorderStyle Style) {
  GtkWindow* w = GTK_WINDOW(FWindow);
  const bool tool =
      Style == TFormBorderStyle::bsToolWindow || Style == TFormBorderStyle::bsSizeToolWin;
  gtk_window_set_decorated(w, Style != TFormBorderStyle::bsNone);
  gtk_window_set_resizable(w, Style == TFormBorderStyle::bsSizeable ||
                                  Style == TFormBorderStyle::bsSizeToolWin ||
                                  Style == TFormBorderStyle::bsNone);
  gtk_window_set_type_hint(w, tool                                  ? GDK_WINDOW_TYPE_HINT_UTILITY
                              : Style == TFormBorderStyle::bsDialog ? GDK_WINDOW_TYPE_HINT_DIALOG
                                                                    : GDK_WINDOW_TYPE_HINT_NORMAL);
}

void TGtkFormPeer::SetWindowState(TWindowState State) {
  GtkWindow* w = GTK_WINDOW(FWindow);
  switch (State) {
    case TWindowState::wsMaximized:
      gtk_window_maximize(w);
      break;
    case TWindowState::wsMinimized:
      gtk_window_iconify(w);
      break;
    case TWindowState::wsNormal:
      gtk_window_unmaximize(w);
      gtk_window_deiconify(w);
      break;
  }
  FState = State;
}

TWindowState TGtkFormPeer::WindowState() const {
  return FState;
}

void TGtkFormPeer::SetStayOnTop(bool StayOnTop) {
  gtk_window_set_keep_above(GTK_WINDOW(FWindow), StayOnTop);
}

void TGtkFormPeer::Show() {
  gtk_widget_show(FWindow);
}

void TGtkFormPeer::Close() {
  if (FPendingClose || FClosed) return;
  FPendingClose = g_idle_add(
      [](gpointer self) -> gboolean {
        auto* form = static_cast<TGtkFormPeer*>(self);
        form->FPendingClose = 0;
        form->TryClose();
        return G_SOURCE_REMOVE;
      },
      this);
}

void TGtkFormPeer::TryClose() {
  if (FClosed) return;
  Guarded([&] {
    if (!FEvents.FormCloseQuery()) return;
    FClosed = true;
    gtk_widget_hide(FWindow);
    FEvents.FormClose();
  });
}

gboolean TGtkFormPeer::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<TGtkFormPeer*>(self)->TryClose();
  return TRUE;  // the window goes with its owner, not with GTK's default
}

gboolean TGtkFormPeer::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
  auto* form = static_cast<TGtkFormPeer*>(self);
  const auto s = event->new_window_state;
  form->FState = (s & GDK_WINDOW_STATE_ICONIFIED)   ? TWindowState::wsMinimized
                 : (s & GDK_WINDOW_STATE_MAXIMIZED) ? TWindowState::wsMaximized
                                                    : TWindowState::wsNormal;
  return FALSE;
}

// ---- Browser form ----------------------------------------------------------

TGtkBrowserFormPeer::TGtkBrowserFormPeer(TGtkFormPeer& Parent) {
  FBox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  FProgressBar = gtk_progress_bar_new();
  // A thin marquee bar along the bottom edge.
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(
      css, "progressbar trough, progressbar progress { min-height: 4px; }", -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(FProgressBar),
                                 GTK_STYLE_PROVIDER(css), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
  gtk_progress_bar_set_pulse_step(GTK_PROGRESS_BAR(FProgressBar), 0.05);
  gtk_box_pack_end(GTK_BOX(FBox), FProgressBar, FALSE, FALSE, 0);
  gtk_box_pack_start(Parent.Content(), FBox, TRUE, TRUE, 0);
  gtk_widget_show(FBox);
  SetProgressBarVisible(true);
}

TGtkBrowserFormPeer::~TGtkBrowserFormPeer() {
  SetProgressBarVisible(false);
  gtk_widget_destroy(FBox);
}

void TGtkBrowserFormPeer::SetProgressBarVisible(bool Visible) {
  gtk_widget_set_visible(FProgressBar, Visible);
  if (Visible && !FPulse) {
    FPulse = g_timeout_add(
        50,
        [](gpointer bar) -> gboolean {
          gtk_progress_bar_pulse(GTK_PROGRESS_BAR(bar));
          return G_SOURCE_CONTINUE;
        },
        FProgressBar);
  } else if (!Visible && FPulse) {
    g_source_remove(FPulse);
    FPulse = 0;
  }
}

bool TGtkBrowserFormPeer::ProgressBarVisible() const {
  return gtk_widget_get_visible(FProgressBar);
}

// ---- The browser's control -------------------------------------------------

TGtkBrowserHostPeer::TGtkBrowserHostPeer(TGtkBrowserFormPeer& Parent, IControlEvents& Events)
    : FEvents(Events) {
  FLayout = gtk_layout_new(nullptr, nullptr);
  gtk_widget_set_can_focus(FLayout, TRUE);
  gtk_box_pack_start(Parent.Box(), FLayout, TRUE, TRUE, 0);
  g_signal_connect(FLayout, "size-allocate", G_CALLBACK(OnSizeAllocate), this);
  g_signal_connect(FLayout, "notify::visible", G_CALLBACK(OnVisible), this);
  g_signal_connect(FLayout, "focus-in-event", G_CALLBACK(OnFocusIn), this);
  g_signal_connect(FLayout, "focus-out-event", G_CALLBACK(OnFocusOut), this);
  g_signal_connect(FLayout, "hierarchy-changed", G_CALLBACK(OnHierarchyChanged), this);
  OnHierarchyChanged(FLayout, nullptr, this);
  gtk_widget_show(FLayout);
}

TGtkBrowserHostPeer::~TGtkBrowserHostPeer() {
  if (FToplevel && FToplevelHandler) g_signal_handler_disconnect(FToplevel, FToplevelHandler);
  g_signal_handlers_disconnect_by_data(FLayout, this);
  gtk_widget_destroy(FLayout);
}

TRect TGtkBrowserHostPeer::ClientRect() const {
  return FClient;
}

bool TGtkBrowserHostPeer::Visible() const {
  return gtk_widget_get_visible(FLayout);
}

void TGtkBrowserHostPeer::SetVisible(bool Visible) {
  gtk_widget_set_visible(FLayout, Visible);
}

void TGtkBrowserHostPeer::SetFocus() {
  gtk_widget_grab_focus(FLayout);
}

void TGtkBrowserHostPeer::SelectNext(bool Forward) {
  if (GtkWidget* top = gtk_widget_get_toplevel(FLayout))
    gtk_widget_child_focus(top, Forward ? GTK_DIR_TAB_FORWARD : GTK_DIR_TAB_BACKWARD);
}

bool TGtkBrowserHostPeer::IsShortCut(COREWEBVIEW2_KEY_EVENT_KIND, unsigned, int) {
  // GTK activates a window's accelerators before the focused widget sees
  // the key, so nothing is left to offer here.
  return false;
}

void TGtkBrowserHostPeer::OnSizeAllocate(GtkWidget*, GdkRectangle* a, gpointer self) {
  auto* host = static_cast<TGtkBrowserHostPeer*>(self);
  const TRect client{0, 0, a->width, a->height};
  if (client == host->FClient) return;
  host->FClient = client;
  Guarded([&] { host->FEvents.ControlResized(); });
}

void TGtkBrowserHostPeer::OnVisible(GObject*, GParamSpec*, gpointer self) {
  Guarded([&] { static_cast<TGtkBrowserHostPeer*>(self)->FEvents.ControlVisibilityChanged(); });
}

gboolean TGtkBrowserHostPeer::OnFocusIn(GtkWidget*, GdkEvent*, gpointer self) {
  Guarded([&] { static_cast<TGtkBrowserHostPeer*>(self)->FEvents.ControlEnter(); });
  return FALSE;
}

gboolean TGtkBrowserHostPeer::OnFocusOut(GtkWidget*, GdkEvent*, gpointer self) {
  Guarded([&] { static_cast<TGtkBrowserHostPeer*>(self)->FEvents.ControlExit(); });
  return FALSE;
}

void TGtkBrowserHostPeer::OnHierarchyChanged(GtkWidget*, GtkWidget*, gpointer self) {
  auto* host = static_cast<TGtkBrowserHostPeer*>(self);
  GtkWidget* top = gtk_widget_get_toplevel(host->FLayout);
  if (!gtk_widget_is_toplevel(top) || top == host->FToplevel) return;
  if (host->FToplevel && host->FToplevelHandler)
    g_signal_handler_disconnect(host->FToplevel, host->FToplevelHandler);
  host->FToplevel = top;
  host->FToplevelHandler =
      g_signal_connect(top, "window-state-event", G_CALLBACK(OnToplevelState), host);
}

// Minimizing and restoring the window hide and show the browser.
gboolean TGtkBrowserHostPeer::OnToplevelState(GtkWidget*, GdkEventWindowState* event,
                                              gpointer self) {
  if (!(event->changed_mask & GDK_WINDOW_STATE_ICONIFIED)) return FALSE;
  const bool iconified = event->new_window_state & GDK_WINDOW_STATE_ICONIFIED;
  Guarded([&] {
    static_cast<TGtkBrowserHostPeer*>(self)->FEvents.ControlSysCommand(
        iconified ? TSysCommand::Minimize : TSysCommand::Restore);
  });
  return FALSE;
}

}  // namespace zel::gtk

#include "platform/linux/GtkForms.h"

#include <climits>

#include "platform/linux/GtkCommon.h"

namespace zel::gtk {

// ---- Main window -----------------------------------------------------------

namespace {

struct TFrame {
  int Decorations;
  int Functions;
};

// What the window manager draws and allows for each border style; changed
// on a mapped window at once (type hints only count before mapping).
TFrame FrameOf(TFormBorderStyle Style) {
  constexpr int kCaption = GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU;
  constexpr int kFixed = GDK_FUNC_MOVE | GDK_FUNC_CLOSE;
  switch (Style) {
    case TFormBorderStyle::bsNone:
      return {0, GDK_FUNC_ALL};
    case TFormBorderStyle::bsSingle:
      return {kCaption | GDK_DECOR_MINIMIZE | GDK_DECOR_MAXIMIZE,
              kFixed | GDK_FUNC_MINIMIZE | GDK_FUNC_MAXIMIZE};
    case TFormBorderStyle::bsSizeable:
      break;
    case TFormBorderStyle::bsDialog:
    case TFormBorderStyle::bsToolWindow:
      return {kCaption, kFixed};
    case TFormBorderStyle::bsSizeToolWin:
      return {kCaption | GDK_DECOR_RESIZEH, kFixed | GDK_FUNC_RESIZE};
  }
  return {GDK_DECOR_ALL, GDK_FUNC_ALL};
}

int Clamp16(int value, int low) {
  return CLAMP(value, low, SHRT_MAX);
}

// What all monitors cover together, in GTK's units.
GdkRectangle DesktopExtent(GtkWidget* Window) {
  GdkDisplay* display = gtk_widget_get_display(Window);
  GdkRectangle all{0, 0, SHRT_MAX, SHRT_MAX};
  for (int i = 0, n = gdk_display_get_n_monitors(display); i < n; ++i) {
    GdkRectangle r{};
    gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &r);
    if (i == 0)
      all = r;
    else
      gdk_rectangle_union(&all, &r, &all);
  }
  return all;
}

}  // namespace

TGtkFormPeer::TGtkFormPeer(IFormEvents& Events) : FEvents(Events) {
  FWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(FWindow);
  FContent = GTK_BOX(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0));
  gtk_container_add(GTK_CONTAINER(FWindow), GTK_WIDGET(FContent));
  gtk_widget_show(GTK_WIDGET(FContent));
  gtk_widget_add_events(FWindow, GDK_STRUCTURE_MASK | GDK_PROPERTY_CHANGE_MASK);
  g_signal_connect(FWindow, "delete-event", G_CALLBACK(OnDeleteEvent), this);
  g_signal_connect(FWindow, "window-state-event", G_CALLBACK(OnWindowState), this);
  g_signal_connect(FWindow, "configure-event", G_CALLBACK(OnConfigure), this);
  g_signal_connect(FWindow, "property-notify-event", G_CALLBACK(OnProperty), this);
  g_signal_connect(FWindow, "realize", G_CALLBACK(OnRealize), this);
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

// X11 takes 16-bit positions and sizes up to 32767, and GTK refuses sizes
// below 1; out-of-range values would wrap or be dropped with a warning.
void TGtkFormPeer::SetBounds(int Left, int Top, int Width, int Height) {
  Left = Clamp16(Left, SHRT_MIN), Top = Clamp16(Top, SHRT_MIN);
  Width = Clamp16(Width, 1), Height = Clamp16(Height, 1);
  GtkWindow* w = GTK_WINDOW(FWindow);
  GdkWindow* gdk = gtk_widget_get_window(FWindow);
  if (!gdk || !gtk_widget_get_visible(FWindow)) {
    // Before the first show the position mode places the window and the
    // frame is not known yet: the size is the client's.
    FClientWidth = Width, FClientHeight = Height;
    LimitClientSize();
    Width = FClientWidth, Height = FClientHeight;
    FBounds = {Left, Top, Left + Width, Top + Height};
    ApplyGeometryHints();
    gtk_window_set_default_size(w, Width, Height);
    gtk_window_resize(w, Width, Height);
    return;
  }
  const int scale = gdk_window_get_scale_factor(gdk);
  GdkRectangle frame{};
  gdk_window_get_frame_extents(gdk, &frame);
  // The frame's own width and height, in GTK's units.
  const int extraWidth = frame.width - gdk_window_get_width(gdk);
  const int extraHeight = frame.height - gdk_window_get_height(gdk);
  FClientWidth = MAX(1, Width / scale - extraWidth);
  FClientHeight = MAX(1, Height / scale - extraHeight);
  LimitClientSize();
  Width = MIN(Width, (FClientWidth + extraWidth) * scale);
  Height = MIN(Height, (FClientHeight + extraHeight) * scale);
  FRequested = {Left, Top, Left + Width, Top + Height};
  FRequestedUntil = g_get_monotonic_time() + G_USEC_PER_SEC;
  ApplyGeometryHints();
  // With north-west gravity the window manager puts the frame's corner there.
  gtk_window_move(w, Left / scale, Top / scale);
  gtk_window_resize(w, FClientWidth, FClientHeight);
}

// As on Windows, whose largest tracking size is the desktop's, a window
// is never made bigger than all monitors together (or the application's
// own larger maximum). A page asking for 30000 pixels square would
// otherwise have the X server, GTK and the browser allocate gigabytes each.
void TGtkFormPeer::LimitClientSize() {
  const GdkRectangle desktop = DesktopExtent(FWindow);
  FClientWidth = MIN(FClientWidth, MAX(desktop.width, FMaxWidth));
  FClientHeight = MIN(FClientHeight, MAX(desktop.height, FMaxHeight));
}

TRect TGtkFormPeer::Bounds() const {
  return FRequestedUntil && g_get_monotonic_time() < FRequestedUntil ? FRequested : FBounds;
}

void TGtkFormPeer::UpdateBounds() {
  GdkWindow* gdk = gtk_widget_get_window(FWindow);
  if (!gdk || !gtk_widget_get_mapped(FWindow)) return;
  const int scale = gdk_window_get_scale_factor(gdk);
  GdkRectangle frame{};
  gdk_window_get_frame_extents(gdk, &frame);
  FBounds = {frame.x * scale, frame.y * scale, (frame.x + frame.width) * scale,
             (frame.y + frame.height) * scale};
  if (FBounds == FRequested) FRequestedUntil = 0;
  if (!FixedSize()) gtk_window_get_size(GTK_WINDOW(FWindow), &FClientWidth, &FClientHeight);
}

void TGtkFormPeer::SetConstraints(int MaxWidth, int MaxHeight, int MinWidth, int MinHeight) {
  FMaxWidth = MaxWidth, FMaxHeight = MaxHeight, FMinWidth = MinWidth, FMinHeight = MinHeight;
  ApplyGeometryHints();
}

bool TGtkFormPeer::FixedSize() const {
  return FBorderStyle == TFormBorderStyle::bsSingle || FBorderStyle == TFormBorderStyle::bsDialog ||
         FBorderStyle == TFormBorderStyle::bsToolWindow;
}

// A fixed border holds the client size with equal minimum and maximum
// hints: gtk_window_set_resizable(FALSE) would shrink the window to the
// browser's small size request.
void TGtkFormPeer::ApplyGeometryHints() {
  GdkGeometry geometry{};
  int mask = 0;
  if (FixedSize() && FClientWidth > 0 && FClientHeight > 0) {
    geometry.min_width = geometry.max_width = FClientWidth;
    geometry.min_height = geometry.max_height = FClientHeight;
    mask = GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE;
  } else {
    if (FMinWidth > 0 || FMinHeight > 0) {
      geometry.min_width = FMinWidth > 0 ? FMinWidth : 1;
      geometry.min_height = FMinHeight > 0 ? FMinHeight : 1;
      mask |= GDK_HINT_MIN_SIZE;
    }
    if (FMaxWidth > 0 || FMaxHeight > 0) {
      geometry.max_width = FMaxWidth > 0 ? FMaxWidth : SHRT_MAX;
      geometry.max_height = FMaxHeight > 0 ? FMaxHeight : SHRT_MAX;
      mask |= GDK_HINT_MAX_SIZE;
    }
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
  if (!FixedSize()) gtk_window_get_size(w, &FClientWidth, &FClientHeight);
  FBorderStyle = Style;
  gtk_window_set_decorated(w, Style != TFormBorderStyle::bsNone);
  if (!gtk_widget_get_realized(FWindow)) {
    const bool tool =
        Style == TFormBorderStyle::bsToolWindow || Style == TFormBorderStyle::bsSizeToolWin;
    gtk_window_set_type_hint(w, tool ? GDK_WINDOW_TYPE_HINT_UTILITY
                                : Style == TFormBorderStyle::bsDialog
                                    ? GDK_WINDOW_TYPE_HINT_DIALOG
                                    : GDK_WINDOW_TYPE_HINT_NORMAL);
  }
  ApplyGeometryHints();
  ApplyFrame();
}

void TGtkFormPeer::ApplyFrame() {
  GdkWindow* gdk = gtk_widget_get_window(FWindow);
  if (!gdk) return;  // OnRealize applies it
  const TFrame frame = FrameOf(FBorderStyle);
  gdk_window_set_decorations(gdk, static_cast<GdkWMDecoration>(frame.Decorations));
  gdk_window_set_functions(gdk, static_cast<GdkWMFunction>(frame.Functions));
}

void TGtkFormPeer::OnRealize(GtkWidget*, gpointer self) {
  static_cast<TGtkFormPeer*>(self)->ApplyFrame();
}

namespace {

constexpr const char* kWantsMaximized = "zel-wants-maximized";

// Runs once, after the frame's layout has sent the window's new size hints.
void MaximizeAfterLayout(GdkFrameClock* Clock, gpointer Window) {
  g_signal_handlers_disconnect_by_func(Clock, reinterpret_cast<gpointer>(&MaximizeAfterLayout),
                                       Window);
  if (g_object_get_data(G_OBJECT(Window), kWantsMaximized)) gtk_window_maximize(GTK_WINDOW(Window));
}

// A shown window that was fixed-size until now (a dialog border made
// resizable for full screen) sends its new size hints only with the next
// layout; a window manager that still sees it fixed-size refuses to
// maximize it, so the request is repeated once after that layout.
void MaximizeAgainAfterLayout(GtkWidget* Window) {
  GdkFrameClock* clock = gtk_widget_get_frame_clock(Window);
  if (!clock || !gtk_widget_get_mapped(Window)) return;
  g_signal_handlers_disconnect_by_func(clock, reinterpret_cast<gpointer>(&MaximizeAfterLayout),
                                       Window);
  g_signal_connect_object(clock, "after-paint", G_CALLBACK(&MaximizeAfterLayout), Window,
                          G_CONNECT_DEFAULT);
  gtk_widget_queue_resize(Window);
}

}  // namespace

void TGtkFormPeer::SetWindowState(TWindowState State) {
  GtkWindow* w = GTK_WINDOW(FWindow);
  g_object_set_data(G_OBJECT(FWindow), kWantsMaximized,
                    GINT_TO_POINTER(State == TWindowState::wsMaximized));
  switch (State) {
    case TWindowState::wsMaximized:
      gtk_window_deiconify(w);
      gtk_window_maximize(w);
      MaximizeAgainAfterLayout(FWindow);
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
  FStayOnTop = StayOnTop;
}

bool TGtkFormPeer::Visible() const {
  return gtk_widget_get_visible(FWindow);
}

void TGtkFormPeer::Hide() {
  gtk_widget_hide(FWindow);
}

void TGtkFormPeer::Present() {
  gtk_widget_show(FWindow);
  gtk_window_present(GTK_WINDOW(FWindow));
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
  if (event->changed_mask & GDK_WINDOW_STATE_ABOVE) form->FStayOnTop = s & GDK_WINDOW_STATE_ABOVE;
  // A hidden window keeps the state it was hidden in.
  if (s & GDK_WINDOW_STATE_WITHDRAWN) return FALSE;
  form->FState = (s & GDK_WINDOW_STATE_ICONIFIED)   ? TWindowState::wsMinimized
                 : (s & GDK_WINDOW_STATE_MAXIMIZED) ? TWindowState::wsMaximized
                                                    : TWindowState::wsNormal;
  return FALSE;
}

gboolean TGtkFormPeer::OnConfigure(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<TGtkFormPeer*>(self)->UpdateBounds();
  return FALSE;
}

// The frame changes size when the window manager redecorates the window.
gboolean TGtkFormPeer::OnProperty(GtkWidget*, GdkEventProperty* event, gpointer self) {
  static const GdkAtom kFrameExtents = gdk_atom_intern_static_string("_NET_FRAME_EXTENTS");
  if (event->atom == kFrameExtents) static_cast<TGtkFormPeer*>(self)->UpdateBounds();
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

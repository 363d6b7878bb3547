// The two start-up windows on GTK: the password prompt and the progress
// window shown while the browser runtime installs.
#include <cmath>
#include <string>

#include "core/ActivityIndicator.h"
#include "core/Colors.h"
#include "platform/linux/GtkCommon.h"
#include "platform/linux/GtkUI.h"

namespace zel::gtk {
namespace {

constexpr int kProgressSize = 80;
constexpr int kIndicatorSize = 64;
constexpr int kIndicatorLeft = 9, kIndicatorTop = 8;

class TGtkInstallerProgress : public IInstallerProgressPeer {
 public:
  explicit TGtkInstallerProgress(const TInstallerProgressParams& params)
      : FBack(ColorToRGB(params.Color)),
        FWhite(params.IndicatorColor == TActivityIndicatorColor::aicWhite),
        FType(static_cast<int>(params.IndicatorType)),
        FStart(g_get_monotonic_time()) {
    FWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* w = GTK_WINDOW(FWindow);
    // Never shown, but lets tests and window lists tell the window apart.
    gtk_window_set_title(w, "EdgeInstallerForm");
    gtk_window_set_decorated(w, FALSE);
    gtk_window_set_resizable(w, FALSE);
    gtk_window_set_skip_taskbar_hint(w, TRUE);
    gtk_window_set_skip_pager_hint(w, TRUE);
    gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
    gtk_widget_set_size_request(FWindow, kProgressSize, kProgressSize);
    gtk_window_set_position(w, GTK_WIN_POS_CENTER);
    gtk_widget_set_app_paintable(FWindow, TRUE);
    g_signal_connect(FWindow, "draw", G_CALLBACK(OnDraw), this);
    // Alt+F4 and the window manager's close do nothing.
    g_signal_connect(FWindow, "delete-event", G_CALLBACK(gtk_true), nullptr);
    g_signal_connect(FWindow, "realize", G_CALLBACK(OnRealize), nullptr);
    ShapeCorners();
    gtk_widget_show(FWindow);
    FTimer = g_timeout_add(kActivityIndicatorFrameMs, OnTick, FWindow);
  }
  ~TGtkInstallerProgress() override {
    g_source_remove(FTimer);
    gtk_widget_destroy(FWindow);
  }

 private:
  // Round corners of a 4 x 4 ellipse: one pixel off each corner.
  void ShapeCorners() {
    const int s = kProgressSize;
    const cairo_rectangle_int_t rows[] = {{1, 0, s - 2, 1}, {0, 1, s, s - 2}, {1, s - 1, s - 2, 1}};
    cairo_region_t* region = cairo_region_create();
    for (const cairo_rectangle_int_t& r : rows) cairo_region_union_rectangle(region, &r);
    gtk_widget_shape_combine_region(FWindow, region);
    cairo_region_destroy(region);
  }

  static void OnRealize(GtkWidget* widget, gpointer) {
    GdkWindow* window = gtk_widget_get_window(widget);
    GdkCursor* cursor = gdk_cursor_new_from_name(gdk_window_get_display(window), "progress");
    gdk_window_set_cursor(window, cursor);
    if (cursor) g_object_unref(cursor);
  }

  static gboolean OnTick(gpointer widget) {
    gtk_widget_queue_draw(GTK_WIDGET(widget));
    return G_SOURCE_CONTINUE;
  }

  static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
    static_cast<TGtkInstallerProgress*>(self)->Paint(cr);
    return TRUE;
  }

  void Paint(cairo_t* cr) const {
    cairo_set_source_rgb(cr, FBack.R / 255.0, FBack.G / 255.0, FBack.B / 255.0);
    cairo_paint(cr);
    const double seconds = static_cast<double>(g_get_monotonic_time() - FStart) / 1e6;
    const double ink = FWhite ? 1.0 : 0.0;
    cairo_translate(cr, kIndicatorLeft, kIndicatorTop);
    for (const TIndicatorShape& s : ActivityIndicatorFrame(FType, seconds, kIndicatorSize)) {
      cairo_set_source_rgba(cr, ink, ink, ink, s.Opacity);
      cairo_new_path(cr);
      if (s.Kind == TIndicatorShape::Dot) {
        cairo_arc(cr, s.X, s.Y, s.Radius, 0, 2 * G_PI);
      } else {
        cairo_arc(cr, s.X, s.Y, s.Radius, s.StartAngle, s.EndAngle);
        cairo_arc_negative(cr, s.X, s.Y, s.InnerRadius, s.EndAngle, s.StartAngle);
        cairo_close_path(cr);
      }
      cairo_fill(cr);
    }
  }

  TRGB FBack;
  bool FWhite;
  int FType;
  gint64 FStart;
  GtkWidget* FWindow = nullptr;
  guint FTimer = 0;
};

constexpr int kPromptWidth = 308, kPromptHeight = 71;
constexpr int kFieldLeft = 24, kFieldWidth = 257;

// The password prompt's state while its own loop runs.
struct TPasswordPrompt {
  std::string Password;
  GMainLoop* Loop = nullptr;
  bool Accepted = false;
};

gboolean OnPasswordKeyRelease(GtkWidget* entry, GdkEvent*, gpointer data) {
  auto* prompt = static_cast<TPasswordPrompt*>(data);
  // The whole text, exactly: no trimming, no case folding, no normalising.
  if (prompt->Password == gtk_entry_get_text(GTK_ENTRY(entry)) && !prompt->Accepted) {
    prompt->Accepted = true;
    g_main_loop_quit(prompt->Loop);
  }
  return FALSE;
}

gboolean OnPasswordDelete(GtkWidget*, GdkEvent*, gpointer data) {
  g_main_loop_quit(static_cast<TPasswordPrompt*>(data)->Loop);
  return TRUE;
}

GtkWidget* NewPasswordField(TPasswordPrompt& prompt) {
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
  gtk_entry_set_invisible_char(GTK_ENTRY(entry), '*');
  // Enter must not reach a default button: it has no meaning here.
  gtk_entry_set_activates_default(GTK_ENTRY(entry), FALSE);
  gtk_entry_set_icon_from_icon_name(GTK_ENTRY(entry), GTK_ENTRY_ICON_PRIMARY, "dialog-password");
  gtk_entry_set_icon_activatable(GTK_ENTRY(entry), GTK_ENTRY_ICON_PRIMARY, FALSE);
  gtk_widget_set_size_request(entry, kFieldWidth, -1);
  gtk_widget_set_halign(entry, GTK_ALIGN_START);
  gtk_widget_set_valign(entry, GTK_ALIGN_CENTER);
  gtk_widget_set_margin_start(entry, kFieldLeft);
  gtk_widget_set_margin_end(entry, kPromptWidth - kFieldLeft - kFieldWidth);
  g_signal_connect(entry, "key-release-event", G_CALLBACK(OnPasswordKeyRelease), &prompt);
  return entry;
}

}  // namespace

bool TGtkUI::RequirePassword(const std::string& Caption, const std::string& Password) {
  if (!EnsureGtk()) return false;
  TPasswordPrompt prompt{Password, g_main_loop_new(nullptr, FALSE)};
  // A plain window, not a GtkDialog: the dialog's Escape binding would close
  // it, and closing ends the program.
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* w = GTK_WINDOW(window);
  gtk_window_set_title(w, Caption.c_str());
  gtk_window_set_modal(w, TRUE);
  gtk_window_set_transient_for(w, ActiveWindow());
  gtk_window_set_resizable(w, FALSE);
  gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_position(w, GTK_WIN_POS_CENTER);
  gtk_widget_set_size_request(window, kPromptWidth, kPromptHeight);
  g_signal_connect(window, "delete-event", G_CALLBACK(OnPasswordDelete), &prompt);
  GtkWidget* entry = NewPasswordField(prompt);
  gtk_container_add(GTK_CONTAINER(window), entry);
  gtk_widget_show_all(window);
  gtk_widget_grab_focus(entry);
  gtk_window_present(w);
  g_main_loop_run(prompt.Loop);
  g_main_loop_unref(prompt.Loop);
  gtk_widget_destroy(window);
  // Let the window disappear before the start-up goes on.
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  return prompt.Accepted;
}

std::unique_ptr<IInstallerProgressPeer> TGtkUI::ShowInstallerProgress(
    const TInstallerProgressParams& Params) {
  if (!EnsureGtk()) return std::make_unique<IInstallerProgressPeer>();
  return std::make_unique<TGtkInstallerProgress>(Params);
}

}  // namespace zel::gtk

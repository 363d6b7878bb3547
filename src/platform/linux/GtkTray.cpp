#include "platform/linux/GtkTray.h"

#include "platform/linux/GtkCommon.h"
#include "platform/linux/GtkForms.h"

namespace zel::gtk {

namespace {

// The application's icon: the window's, else the theme's icon for programs,
// else a plain square so that the icon can still be found and clicked.
GdkPixbuf* ApplicationIcon(TGtkFormPeer* window) {
  if (window)
    if (GdkPixbuf* icon = gtk_window_get_icon(GTK_WINDOW(window->Window())))
      return GDK_PIXBUF(g_object_ref(icon));
  GdkPixbuf* icon =
      gtk_icon_theme_load_icon(gtk_icon_theme_get_default(), "application-x-executable", 48,
                               GTK_ICON_LOOKUP_FORCE_SIZE, nullptr);
  if (icon) return icon;
  icon = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 48, 48);
  gdk_pixbuf_fill(icon, 0x3465a4ff);
  return icon;
}

}  // namespace

TGtkTrayIcon::TGtkTrayIcon(const std::string& Hint, TGtkFormPeer* Window, ITrayIconEvents& Events)
    : FHint(Hint),
      FWindow(Window),
      FEvents(Events),
      FMenuPeer(GTK_MENU_SHELL(gtk_menu_new()), Events),
      FIcon(ApplicationIcon(Window)) {
  FMenuPeer.OnChanged = [this] {
    if (FNotifierItem) FNotifierItem->UpdateImages();
  };
  FWatch = g_bus_watch_name(G_BUS_TYPE_SESSION, "org.kde.StatusNotifierWatcher",
                            G_BUS_NAME_WATCHER_FLAGS_NONE, &OnWatcherAppeared, &OnWatcherVanished,
                            this, nullptr);
}

TGtkTrayIcon::~TGtkTrayIcon() {
  g_bus_unwatch_name(FWatch);
  FNotifierItem.reset();
  if (FStatusIcon) {
    g_signal_handlers_disconnect_by_data(FStatusIcon, this);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_status_icon_set_visible(FStatusIcon, FALSE);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_object_unref(FStatusIcon);
  }
  g_object_unref(FIcon);
}

void TGtkTrayIcon::SetVisible(bool Visible) {
  FVisible = Visible;
  Update();
}

// Shows the icon on the route the desktop offers now, and only there.
void TGtkTrayIcon::Update() {
  const bool notifier = FVisible && FWatcher;
  if (notifier && !FNotifierItem) {
    FNotifierItem = std::make_unique<TStatusNotifierItem>(
        GTK_MENU(FMenuPeer.Shell()), FHint, FIcon,
        TStatusNotifierItem::TActions{[this] { FEvents.TrayIconClick(); },
                                      [this] { PopupMenu(); }});
    if (!FNotifierItem->Exported()) FNotifierItem.reset();
  } else if (!notifier) {
    FNotifierItem.reset();
  }
  const bool xembed = FVisible && !FNotifierItem;
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  if (xembed && !FStatusIcon) {
    FStatusIcon = gtk_status_icon_new();
    gtk_status_icon_set_visible(FStatusIcon, FALSE);
    gtk_status_icon_set_from_pixbuf(FStatusIcon, FIcon);
    gtk_status_icon_set_tooltip_text(FStatusIcon, FHint.c_str());
    gtk_status_icon_set_title(FStatusIcon, FHint.c_str());
    g_signal_connect(FStatusIcon, "activate", G_CALLBACK(OnActivate), this);
    g_signal_connect(FStatusIcon, "popup-menu", G_CALLBACK(OnPopupMenu), this);
  }
  if (FStatusIcon) gtk_status_icon_set_visible(FStatusIcon, xembed);
  G_GNUC_END_IGNORE_DEPRECATIONS
}

void TGtkTrayIcon::PopupMenu() {
  // The application comes forward first, as a menu of a background
  // application would lose the focus at once.
  if (FWindow) gtk_window_present(GTK_WINDOW(FWindow->Window()));
  if (FMenuPeer.Empty()) return;
  gtk_menu_popup_at_pointer(GTK_MENU(FMenuPeer.Shell()), nullptr);
}

void TGtkTrayIcon::OnWatcherAppeared(GDBusConnection*, const char*, const char*, gpointer self) {
  auto* tray = static_cast<TGtkTrayIcon*>(self);
  tray->FWatcher = true;
  // A watcher that (re)starts knows no items: announce ours again.
  if (tray->FNotifierItem) tray->FNotifierItem->Register();
  tray->Update();
}

void TGtkTrayIcon::OnWatcherVanished(GDBusConnection*, const char*, gpointer self) {
  auto* tray = static_cast<TGtkTrayIcon*>(self);
  tray->FWatcher = false;
  tray->Update();
}

void TGtkTrayIcon::OnActivate(GtkStatusIcon*, gpointer self) {
  Guarded([&] { static_cast<TGtkTrayIcon*>(self)->FEvents.TrayIconClick(); });
}

void TGtkTrayIcon::OnPopupMenu(GtkStatusIcon*, guint, guint, gpointer self) {
  Guarded([&] { static_cast<TGtkTrayIcon*>(self)->PopupMenu(); });
}

}  // namespace zel::gtk

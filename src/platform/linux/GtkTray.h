// The tray icon: a StatusNotifierItem while a watcher owns its name on the
// session bus, else an XEmbed icon (GtkStatusIcon) for older trays.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "platform/linux/GtkMenus.h"
#include "platform/linux/GtkStatusNotifier.h"
#include "ports/UI.h"

namespace zel::gtk {

class TGtkFormPeer;

class TGtkTrayIcon : public ITrayIconPeer {
 public:
  TGtkTrayIcon(const std::string& Hint, TGtkFormPeer* Window, ITrayIconEvents& Events);
  ~TGtkTrayIcon() override;

  void SetVisible(bool Visible) override;
  bool Visible() const override { return FVisible; }
  IMenuPeer& Menu() override { return FMenuPeer; }

 private:
  void Update();
  void PopupMenu();
  static void OnWatcherAppeared(GDBusConnection*, const char*, const char*, gpointer self);
  static void OnWatcherVanished(GDBusConnection*, const char*, gpointer self);
  static void OnActivate(GtkStatusIcon*, gpointer self);
  static void OnPopupMenu(GtkStatusIcon*, guint button, guint time, gpointer self);

  std::string FHint;
  TGtkFormPeer* FWindow;
  ITrayIconEvents& FEvents;
  TGtkMenuPeer FMenuPeer;
  GdkPixbuf* FIcon;
  GtkStatusIcon* FStatusIcon = nullptr;
  std::unique_ptr<TStatusNotifierItem> FNotifierItem;
  guint FWatch = 0;
  bool FWatcher = false;
  bool FVisible = false;
};

}  // namespace zel::gtk

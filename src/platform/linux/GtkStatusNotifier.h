// A tray icon as a StatusNotifierItem on the session bus, with its menu
// exported through dbusmenu: what KDE Plasma, GNOME's AppIndicator extension
// and most current panels show.
#pragma once

#include <gio/gio.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>

struct _DbusmenuServer;

namespace zel::gtk {

class TStatusNotifierItem {
 public:
  struct TActions {
    std::function<void()> Activate;     // primary click
    std::function<void()> ContextMenu;  // a host that draws no menu itself
  };
  // Exports the item and its menu and registers it with the watcher; Menu
  // and Icon are referenced, not copied.
  TStatusNotifierItem(GtkMenu* Menu, const std::string& Title, GdkPixbuf* Icon, TActions Actions);
  ~TStatusNotifierItem();
  TStatusNotifierItem(const TStatusNotifierItem&) = delete;
  TStatusNotifierItem& operator=(const TStatusNotifierItem&) = delete;

  // False when there is no session bus.
  bool Exported() const { return FObjectId != 0; }
  // Registers with the watcher that now owns its name.
  void Register();
  // Copies the menu items' images into the exported menu (dbusmenu's
  // parser takes images only from GtkImageMenuItem, which we do not use).
  void UpdateImages();

 private:
  static void OnMethod(GDBusConnection*, const char* sender, const char* path,
                       const char* interface, const char* method, GVariant* parameters,
                       GDBusMethodInvocation* invocation, gpointer self);
  static GVariant* OnGetProperty(GDBusConnection*, const char* sender, const char* path,
                                 const char* interface, const char* property, GError** error,
                                 gpointer self);
  static void OnNameAcquired(GDBusConnection*, const char* name, gpointer self);
  GVariant* Pixmaps() const;

  GtkMenu* FMenu;
  std::string FTitle;
  GdkPixbuf* FIcon;
  TActions FActions;
  GDBusConnection* FConnection = nullptr;
  _DbusmenuServer* FMenuServer = nullptr;
  std::string FBusName;
  guint FObjectId = 0;
  guint FNameId = 0;
  bool FNameAcquired = false;
};

}  // namespace zel::gtk

// GTK menus behind the host's menu components: the main window's menu bar
// and the tray icon's pop-up menu.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ports/UI.h"

namespace zel::gtk {

// Items of a GtkMenuShell (a menu bar or a menu), keyed as the host keys them.
class TGtkMenuPeer : public IMenuPeer {
 public:
  // Takes a reference to Shell for its lifetime.
  TGtkMenuPeer(GtkMenuShell* Shell, IMenuEvents& Events);
  ~TGtkMenuPeer() override;

  void Clear() override;
  void AddItem(int ParentKey, const TMenuItemView& Item) override;
  void UpdateItem(const TMenuItemView& Item) override;
  bool AddImage(const std::string& Data) override;
  void ClearImages() override;

  GtkMenuShell* Shell() const { return FShell; }
  bool Empty() const { return FItems.empty(); }
  // Called after an item was added or changed.
  std::function<void()> OnChanged;

 private:
  struct TEntry {
    GtkWidget* Item = nullptr;
    TMenuItemView View;
  };
  GtkWidget* MakeItem(const TMenuItemView& Item);
  static void OnActivate(GtkMenuItem* item, gpointer self);

  GtkMenuShell* FShell;
  IMenuEvents& FEvents;
  std::unordered_map<int, TEntry> FItems;
  std::vector<GdkPixbuf*> FImages;  // at menu icon size times the scale
  int FScale = 1;
};

// The image an item shows (grey when disabled), at its pixel size; null for
// none. For exporters that copy the menu.
GdkPixbuf* MenuItemImage(GtkWidget* Item);

// Decodes image data into a pixbuf that fits Size x Size pixels; null when
// the data is not a whole image the loaders know, or is absurdly large.
GdkPixbuf* DecodeIconImage(const std::string& Data, int Size);

// The main window's menu bar, packed above the window's content.
class TGtkMenuBarPeer : public TGtkMenuPeer {
 public:
  TGtkMenuBarPeer(GtkBox* Content, IMenuEvents& Events);
  ~TGtkMenuBarPeer() override;
};

}  // namespace zel::gtk

// Win32 menus behind the host's menu components: the main window's menu bar
// and the tray icon with its pop-up menu.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/windows/Win32Window.h"
#include "ports/UI.h"

namespace zel::win {

class TWin32FormPeer;

// The items of a menu handle. WM_COMMAND carries 16-bit ids, so every item
// gets a command id of our own, mapped back to the host's key.
class TWin32MenuPeer : public IMenuPeer {
 public:
  TWin32MenuPeer(HMENU Menu, IMenuEvents& Events);
  ~TWin32MenuPeer() override;

  void Clear() override;
  void AddItem(int ParentKey, const TMenuItemView& Item) override;
  void UpdateItem(const TMenuItemView& Item) override;
  bool AddImage(const std::string& Data) override;
  void ClearImages() override;

  HMENU Menu() const { return FMenu; }
  bool Empty() const { return FItems.empty(); }
  // A chosen command id; false when it is none of this menu's.
  bool Command(unsigned Id);
  // Called after the items changed.
  virtual void Changed() {}

 private:
  struct TEntry {
    UINT CommandId = 0;
    HMENU Parent = nullptr;
    HMENU Submenu = nullptr;
    TMenuItemView View;
  };
  void Describe(const TMenuItemView& Item, MENUITEMINFOW& info, std::wstring& text);

  HMENU FMenu;
  IMenuEvents& FEvents;
  std::unordered_map<int, TEntry> FItems;
  std::unordered_map<UINT, int> FKeys;  // command id -> key
  std::vector<HBITMAP> FImages;
  std::vector<HBITMAP> FGreyImages;  // the same images for disabled items
  UINT FNextId = kFirstCommandId;
  static constexpr UINT kFirstCommandId = 0x100;
};

// Decodes image data with WIC into a 32-bpp premultiplied DIB section that
// fits Size x Size; null when the data is no image WIC reads.
HBITMAP DecodeMenuBitmap(const std::string& Data, int Size);

// A light grey copy of a DIB section made by DecodeMenuBitmap, for disabled
// items: themed menus draw a 32-bpp item bitmap unchanged whatever the
// item's state (Wine too), and classic menus emboss it into a flat mask, so
// the disabled look is ours, as in the GTK menus.
HBITMAP GreyMenuBitmap(HBITMAP Source);

// The message the tray icon's window receives for mouse events on the icon.
constexpr UINT kTrayCallbackMessage = WM_APP + 0x51;

// Up to 127 UTF-16 units, never ending inside a surrogate pair.
std::wstring TrayTip(const std::string& Hint);

class TWin32MenuBarPeer final : public TWin32MenuPeer {
 public:
  TWin32MenuBarPeer(TWin32FormPeer& Form, IMenuEvents& Events);
  ~TWin32MenuBarPeer() override;
  void Changed() override;

 private:
  TWin32FormPeer& FForm;
};

class TWin32TrayIcon final : public ITrayIconPeer, public TWindow {
 public:
  TWin32TrayIcon(const std::string& Hint, TWin32FormPeer* Window, ITrayIconEvents& Events);
  ~TWin32TrayIcon() override;
  void SetVisible(bool Visible) override;
  bool Visible() const override { return FVisible; }
  IMenuPeer& Menu() override { return FMenu; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Add();
  void PopupMenu();

  std::wstring FTip;
  TWin32FormPeer* FWindow;
  ITrayIconEvents& FEvents;
  TWin32MenuPeer FMenu;
  HICON FIcon = nullptr;
  bool FVisible = false;
  UINT FTaskbarCreated = 0;
};

}  // namespace zel::win

// TBrowserExternalForm: the components behind the page's menus: the main
// window's menu bar, the tray icon and the tray icon's menu, each menu with
// its collection of images. The toolkit's widgets are made on first use.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/MenuItems.h"
#include "ports/UI.h"

namespace zel {

class TBrowserExternalModule;

struct TMenuItem {
  int Key = 0;
  int32_t Tag = 0;  // the page's id
  std::string Caption;
  bool Enabled = true;
  int ImageIndex = -1;
  std::string ImageName;
  bool HasSubmenu = false;
  std::vector<TMenuItem> Items;
};

// One menu: its items, its image collection and the statement that its
// clicks raise in the page.
class TMenuComponent : public IMenuEvents {
 public:
  TMenuComponent(const char* imageNameFormat, const char* clickEvent);

  // The peer that shows the menu; items already built are added to it.
  void SetPeer(IMenuPeer* Peer);
  // Runs a statement in the page.
  std::function<void(const std::string&)> FRunScript;
  // Reads the bytes of an image path; empty when there is none.
  std::function<std::string(const std::string&)> FReadImage;

  const std::vector<TMenuItem>& Items() const { return FItems; }
  const std::vector<std::string>& ImageNames() const { return FImageNames; }
  // Removes every item.
  void Clear();
  // Removes every item and image, then builds the tree.
  void Rebuild(const std::vector<TMenuItemData>& Items);
  // The first item with the tag, searched depth first; null when none.
  TMenuItem* FindByTag(int32_t Tag);
  // Loads an image into the collection and gives it to the item; nothing
  // changes when the path gives no data or the data cannot be decoded.
  void AttachImage(TMenuItem& Item, const std::string& Path);
  // Shows the item's changed properties.
  void Refresh(const TMenuItem& Item);
  void MenuItemClick(int Key) override;

 private:
  void Fill(TMenuItem& Item, const TMenuItemData& Data);
  void AddToPeer(int ParentKey, const std::vector<TMenuItem>& Items);
  void Index(std::vector<TMenuItem>& Items);

  const char* FImageNameFormat;
  const char* FClickEvent;
  IMenuPeer* FPeer = nullptr;
  std::vector<TMenuItem> FItems;
  std::vector<TMenuItem*> FByKey;  // Key - 1 -> item
  std::vector<std::string> FImageNames;
  int FNextKey = 1;
};

class TBrowserExternalForm : private ITrayIconEvents {
 public:
  explicit TBrowserExternalForm(TBrowserExternalModule& Module);
  ~TBrowserExternalForm() override;

  TMenuComponent MainMenu;
  TMenuComponent TrayMenu;

  // Makes the menu bar the main window's, once.
  void AttachMainMenu();
  bool MainMenuAttached() const { return FMainMenuPeer != nullptr; }
  void SetTrayIconVisible(bool Visible);
  // The tray icon, made hidden on first use; the tray menu shows in it.
  ITrayIconPeer& TrayIcon();

 private:
  void MenuItemClick(int Key) override;
  void TrayIconClick() override;
  std::string ReadImage(const std::string& Path) const;

  TBrowserExternalModule& FModule;
  std::unique_ptr<IMenuPeer> FMainMenuPeer;
  std::unique_ptr<ITrayIconPeer> FTrayIcon;
};

// Image files larger than this are not menu images; the cap keeps a wrong
// path from reading a huge file into memory.
constexpr size_t kMaxMenuImageBytes = 4 * 1024 * 1024;

// The bytes of a menu image: the package entry of that name, else the file at
// the executable's folder joined with the path, else the file at the path.
// Only regular files up to kMaxMenuImageBytes are read, so a device or a pipe
// never blocks or floods the host. Empty when nothing qualifies.
class TAbZipKit;
std::string ReadMenuImage(const TAbZipKit* Zip, const std::string& AppDirPath,
                          const std::string& Path);

}  // namespace zel

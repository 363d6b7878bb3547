#include "host/bridge/BrowserExternalForm.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/Paths.h"
#include "core/ZipArchive.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/browser/BrowserForm.h"
#include "host/browser/MainForm.h"
#include "host/startup/ExeZipLoader.h"

namespace fs = std::filesystem;

namespace zel {

namespace {

TMenuItemView View(const TMenuItem& item) {
  return {item.Key, item.Caption, item.Enabled, item.ImageIndex, item.HasSubmenu};
}

std::string ReadRegularFile(const std::string& path) {
  std::error_code ec;
  const fs::path p = ToFsPath(path);
  // Checked before opening: opening a FIFO for reading waits for a writer.
  if (!fs::is_regular_file(p, ec)) return {};
  const auto size = fs::file_size(p, ec);
  if (ec || size > kMaxMenuImageBytes) return {};
  std::ifstream in(p, std::ios::binary);
  std::string data(static_cast<size_t>(size), '\0');
  if (!in.read(data.data(), static_cast<std::streamsize>(size))) return {};
  return data;
}

}  // namespace

std::string ReadMenuImage(const TAbZipKit* Zip, const std::string& AppDirPath,
                          const std::string& Path) {
  const int index = Zip ? Zip->FindFile(Path) : -1;
  if (index >= 0) {
    std::string data;
    const bool whole = Zip->ExtractTo(index, [&](const char* bytes, size_t size) {
      if (data.size() + size > kMaxMenuImageBytes) return false;
      data.append(bytes, size);
      return true;
    });
    return whole ? data : std::string();
  }
  std::string data = ReadRegularFile(AppDirPath + Path);
  if (data.empty()) data = ReadRegularFile(Path);
  return data;
}

// ---- TMenuComponent --------------------------------------------------------

TMenuComponent::TMenuComponent(const char* imageNameFormat, const char* clickEvent)
    : FImageNameFormat(imageNameFormat), FClickEvent(clickEvent) {}

void TMenuComponent::SetPeer(IMenuPeer* Peer) {
  FPeer = Peer;
  if (FPeer) AddToPeer(0, FItems);
}

void TMenuComponent::Clear() {
  FItems.clear();
  FByKey.clear();
  FNextKey = 1;
  if (FPeer) FPeer->Clear();
}

void TMenuComponent::Rebuild(const std::vector<TMenuItemData>& Items) {
  Clear();
  FImageNames.clear();
  if (FPeer) FPeer->ClearImages();
  FItems.resize(Items.size());
  for (size_t i = 0; i < Items.size(); ++i) Fill(FItems[i], Items[i]);
  Index(FItems);
  if (FPeer) AddToPeer(0, FItems);
}

void TMenuComponent::Fill(TMenuItem& Item, const TMenuItemData& Data) {
  Item.Key = FNextKey++;
  Item.Tag = Data.Id;
  Item.Caption = Data.Caption;
  if (Data.Enabled) Item.Enabled = *Data.Enabled;
  if (!Data.Image.empty()) AttachImage(Item, Data.Image);
  Item.HasSubmenu = Data.HasSubmenu;
  Item.Items.resize(Data.Items.size());
  for (size_t i = 0; i < Data.Items.size(); ++i) Fill(Item.Items[i], Data.Items[i]);
}

void TMenuComponent::Index(std::vector<TMenuItem>& Items) {
  for (TMenuItem& item : Items) {
    if (FByKey.size() < static_cast<size_t>(item.Key)) FByKey.resize(item.Key);
    FByKey[item.Key - 1] = &item;
    Index(item.Items);
  }
}

void TMenuComponent::AddToPeer(int ParentKey, const std::vector<TMenuItem>& Items) {
  for (const TMenuItem& item : Items) {
    FPeer->AddItem(ParentKey, View(item));
    AddToPeer(item.Key, item.Items);
  }
}

void TMenuComponent::AttachImage(TMenuItem& Item, const std::string& Path) {
  const std::string data = FReadImage ? FReadImage(Path) : std::string();
  if (data.empty()) return;
  // Data the platform cannot decode is no image: the numbering of the
  // collection stays that of the images it holds.
  if (FPeer && !FPeer->AddImage(data)) return;
  const int n = static_cast<int>(FImageNames.size());
  char name[48];
  std::snprintf(name, sizeof name, FImageNameFormat, n);
  FImageNames.push_back(name);
  Item.ImageName = name;
  Item.ImageIndex = n;
}

TMenuItem* TMenuComponent::FindByTag(int32_t Tag) {
  // Keys follow the depth-first order of the tree, so the first hit by key
  // is the first in the search order.
  for (TMenuItem* item : FByKey)
    if (item && item->Tag == Tag) return item;
  return nullptr;
}

void TMenuComponent::Refresh(const TMenuItem& Item) {
  if (FPeer) FPeer->UpdateItem(View(Item));
}

void TMenuComponent::MenuItemClick(int Key) {
  if (Key < 1 || static_cast<size_t>(Key) > FByKey.size() || !FByKey[Key - 1]) return;
  const TMenuItem& item = *FByKey[Key - 1];
  if (item.HasSubmenu) return;
  if (FRunScript) FRunScript(FClickEvent + std::to_string(item.Tag) + "\");");
}

// ---- TBrowserExternalForm --------------------------------------------------

TBrowserExternalForm::TBrowserExternalForm(TBrowserExternalModule& Module)
    : MainMenu("MainMenuImg%d", "zel.events.onMainMenuItemClick(\""),
      TrayMenu("TrayMenuImg%d", "zel.events.onTrayMenuItemClick(\""),
      FModule(Module) {
  for (TMenuComponent* menu : {&MainMenu, &TrayMenu}) {
    menu->FRunScript = [this](const std::string& script) {
      if (FModule.FBrowserForm && FModule.FBrowserForm->FEdgeBrowser)
        FModule.FBrowserForm->FEdgeBrowser->ExecuteScript(script);
    };
    menu->FReadImage = [this](const std::string& path) { return ReadImage(path); };
  }
}

TBrowserExternalForm::~TBrowserExternalForm() {
  MainMenu.SetPeer(nullptr);
  TrayMenu.SetPeer(nullptr);
}

std::string TBrowserExternalForm::ReadImage(const std::string& Path) const {
  return ReadMenuImage(FModule.FExeZip, FModule.AppDirPath(), Path);
}

void TBrowserExternalForm::AttachMainMenu() {
  if (FMainMenuPeer || !FModule.FMainForm) return;
  FMainMenuPeer = UI().CreateMenuBar(FModule.FMainForm->Peer(), MainMenu);
  MainMenu.SetPeer(FMainMenuPeer.get());
}

ITrayIconPeer& TBrowserExternalForm::TrayIcon() {
  if (!FTrayIcon) {
    // The tooltip holds at most 127 characters.
    FTrayIcon =
        UI().CreateTrayIcon(TruncateUtf8(AppName, 127),
                            FModule.FMainForm ? &FModule.FMainForm->Peer() : nullptr, *this);
    TrayMenu.SetPeer(&FTrayIcon->Menu());
  }
  return *FTrayIcon;
}

void TBrowserExternalForm::SetTrayIconVisible(bool Visible) {
  if (!Visible && !FTrayIcon) return;
  TrayIcon().SetVisible(Visible);
}

void TBrowserExternalForm::MenuItemClick(int Key) {
  TrayMenu.MenuItemClick(Key);
}

void TBrowserExternalForm::TrayIconClick() {
  if (FModule.FBrowserForm && FModule.FBrowserForm->FEdgeBrowser)
    FModule.FBrowserForm->FEdgeBrowser->ExecuteScript("zel.events.onTrayIconClick();");
}

}  // namespace zel

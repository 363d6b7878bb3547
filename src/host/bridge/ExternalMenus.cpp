// Bridge functions: mainMenu and trayMenu.
#include "core/BridgeProtocol.h"
#include "core/MenuItems.h"
#include "core/Text.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalForm.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"

namespace zel {

namespace {

void SetItems(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data,
              TMenuComponent& menu) {
  const std::string items = ReadTextField(data, "items");
  if (items.empty()) return Module.SendError(uuid, "\"Missing menu items\"");
  TBrowserExternalForm& form = Module.BrowserExternalForm();
  if (&menu == &form.MainMenu)
    form.AttachMainMenu();
  else
    form.TrayIcon();
  const nlohmann::json list = nlohmann::json::parse(items, nullptr, false);
  if (list.is_discarded() || !list.is_array()) {
    menu.Clear();
    return Module.SendError(uuid, "\"Wrong menu items JSON\"");
  }
  // A menu once built stays until the page empties it with [].
  if (!menu.Items().empty() && !list.empty()) return Module.SendSuccess(uuid, "true");
  std::vector<TMenuItemData> tree;
  // The whole list is read before the menu changes, so a bad item anywhere
  // leaves an empty menu and one error reply, never a part-built one.
  if (!ParseMenuItems(list, tree)) {
    menu.Rebuild({});
    return Module.SendError(uuid, "\"Wrong menu item JSON\"");
  }
  menu.Rebuild(tree);
  Module.SendSuccess(uuid, "true");
}

void UpdateItem(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data,
                TMenuComponent& menu) {
  const std::string idText = ReadTextField(data, "id");
  if (idText.empty()) return Module.SendError(uuid, Missing("item ID"));
  int id = -1;
  if (!TryStrToInt(idText, id)) id = -1;
  if (id == -1) return Module.SendError(uuid, "\"Wrong item ID\"");
  if (menu.Items().empty()) return Module.SendError(uuid, "\"No menu items\"");
  if (TMenuItem* item = menu.FindByTag(id)) {
    const std::string caption = ReadTextField(data, "caption");
    if (!caption.empty()) item->Caption = caption;
    // An enabled text that says neither yes nor no changes nothing.
    const std::string enabled = ReadTextField(data, "enabled");
    if (const auto value = ParseMenuEnabled(enabled); !enabled.empty() && value)
      item->Enabled = *value;
    const std::string image = ReadTextField(data, "image");
    if (!image.empty()) menu.AttachImage(*item, image);
    menu.Refresh(*item);
  }
  Module.SendSuccess(uuid, "true");
}

void MainSetItems(TBrowserExternalModule& Module, const std::string& uuid,
                  const nlohmann::json& data) {
  SetItems(Module, uuid, data, Module.BrowserExternalForm().MainMenu);
}

void MainUpdateItem(TBrowserExternalModule& Module, const std::string& uuid,
                    const nlohmann::json& data) {
  UpdateItem(Module, uuid, data, Module.BrowserExternalForm().MainMenu);
}

void ShowIcon(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.BrowserExternalForm().SetTrayIconVisible(true);
  Module.FTrayIconVisible = true;
  Module.SendSuccess(uuid, "true");
}

void HideIcon(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.BrowserExternalForm().SetTrayIconVisible(false);
  Module.FTrayIconVisible = false;
  Module.SendSuccess(uuid, "true");
}

void TraySetItems(TBrowserExternalModule& Module, const std::string& uuid,
                  const nlohmann::json& data) {
  SetItems(Module, uuid, data, Module.BrowserExternalForm().TrayMenu);
}

void TrayUpdateItem(TBrowserExternalModule& Module, const std::string& uuid,
                    const nlohmann::json& data) {
  UpdateItem(Module, uuid, data, Module.BrowserExternalForm().TrayMenu);
}

const TBridgeHandlerEntry kMainEntries[] = {
    {"setItems", &MainSetItems},
    {"updateItem", &MainUpdateItem},
};

const TBridgeHandlerEntry kTrayEntries[] = {
    {"showIcon", &ShowIcon},
    {"hideIcon", &HideIcon},
    {"setItems", &TraySetItems},
    {"updateItem", &TrayUpdateItem},
};

}  // namespace

const TBridgeHandlerGroup kMainMenuHandlers = {"mainMenu", kMainEntries};
const TBridgeHandlerGroup kTrayMenuHandlers = {"trayMenu", kTrayEntries};

}  // namespace zel

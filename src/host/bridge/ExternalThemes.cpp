// Bridge functions: the host's visual theme.
#include "core/BridgeProtocol.h"
#include "core/StrUtils.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"
#include "host/startup/StyleManager.h"

namespace zel {

namespace {

void GetTheme(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(TStyleManager::ActiveStyleName()));
}

void GetThemes(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  std::string list = "[";
  for (const std::string& name : TStyleManager::StyleNames()) {
    if (list.size() > 1) list += ",";
    list += TStrUtils::StringToJsonString(name);
  }
  Module.SendSuccess(uuid, list + "]");
}

void SetTheme(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  const std::string name = ReadTextField(data, "name");
  TStyleManager::TrySetStyle(name, false);
  Module.SendSuccess(uuid, Bool(TStyleManager::ActiveStyleName() == name));
}

const TBridgeHandlerEntry kEntries[] = {
    {"getTheme", &GetTheme},
    {"getThemes", &GetThemes},
    {"setTheme", &SetTheme},
};

}  // namespace

const TBridgeHandlerGroup kThemeHandlers = {"themes", kEntries};

}  // namespace zel

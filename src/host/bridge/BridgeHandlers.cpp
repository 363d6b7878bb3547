#include "host/bridge/BridgeHandlers.h"

#include <array>
#include <stdexcept>

#include "core/BridgeProtocol.h"

namespace zel {

std::span<const TBridgeHandlerGroup* const> BridgeHandlerGroups() {
  static const std::array<const TBridgeHandlerGroup*, 13> groups = {
      &kCoreHandlers,  &kDialogHandlers,   &kBase64Handlers,   &kFileHandlers,   &kFolderHandlers,
      &kAppHandlers,   &kRegistryHandlers, &kShellHandlers,    &kWindowHandlers, &kSystemHandlers,
      &kThemeHandlers, &kMainMenuHandlers, &kTrayMenuHandlers,
  };
  return groups;
}

std::map<int, TBridgeHandler> BuildBridgeHandlerMap(
    std::span<const TBridgeHandlerGroup* const> Groups) {
  std::map<int, TBridgeHandler> map;
  for (const TBridgeHandlerGroup* group : Groups) {
    for (const TBridgeHandlerEntry& entry : group->Entries) {
      const TBridgeFunction* function = FindBridgeFunction(group->Group, entry.Name);
      const std::string name = std::string(group->Group) + "." + std::string(entry.Name);
      if (!function) throw std::logic_error("no bridge function " + name);
      if (!map.emplace(function->Id, entry.Handler).second)
        throw std::logic_error("two handlers for " + name);
    }
  }
  return map;
}

}  // namespace zel

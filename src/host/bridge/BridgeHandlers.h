// The bridge's handlers, one group per file. Each group names its functions
// as the page script does; the dispatcher takes their ids from the function
// catalogue, so a handler can only answer the function it is named after.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <string_view>

namespace zel {

class TBrowserExternalModule;

using TBridgeHandler = void (*)(TBrowserExternalModule& Module, const std::string& uuid,
                                const nlohmann::json& data);

struct TBridgeHandlerEntry {
  std::string_view Name;  // as in the page script: "fileExists"
  TBridgeHandler Handler;
};

struct TBridgeHandlerGroup {
  std::string_view Group;  // "files"; empty for the top level
  std::span<const TBridgeHandlerEntry> Entries;
};

extern const TBridgeHandlerGroup kCoreHandlers;
extern const TBridgeHandlerGroup kDialogHandlers;
extern const TBridgeHandlerGroup kBase64Handlers;
extern const TBridgeHandlerGroup kFileHandlers;
extern const TBridgeHandlerGroup kFolderHandlers;
extern const TBridgeHandlerGroup kAppHandlers;
extern const TBridgeHandlerGroup kRegistryHandlers;
extern const TBridgeHandlerGroup kShellHandlers;
extern const TBridgeHandlerGroup kWindowHandlers;
extern const TBridgeHandlerGroup kSystemHandlers;
extern const TBridgeHandlerGroup kThemeHandlers;
extern const TBridgeHandlerGroup kMainMenuHandlers;
extern const TBridgeHandlerGroup kTrayMenuHandlers;

// Every group that has handlers.
std::span<const TBridgeHandlerGroup* const> BridgeHandlerGroups();

// The handlers by function id, built from the groups and the catalogue;
// throws std::logic_error when a group names a function the catalogue does
// not know, or names one twice.
std::map<int, TBridgeHandler> BuildBridgeHandlerMap(
    std::span<const TBridgeHandlerGroup* const> Groups);

}  // namespace zel

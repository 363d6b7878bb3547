// Bridge functions: string values in the current user's registry.
#include <optional>

#include "core/BridgeProtocol.h"
#include "core/RegistryPath.h"
#include "core/StrUtils.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"
#include "ports/Registry.h"

namespace zel {

namespace {

constexpr const char* kMissingKey = "\"Missing registry key.\"";
constexpr const char* kMissingName = "\"Missing value name.\"";

// The checked arguments of one call. A key path that can name no key (an
// empty name, too long or too deep) is kept as nothing: such a key cannot
// be opened, so the call gives its failure result.
struct TRegistryArgs {
  std::optional<TRegistryKeyPath> Key;
  std::string Name;
};

// Reads key (and name) and answers a missing one; false when answered.
bool ReadArgs(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data,
              bool withName, TRegistryArgs& args) {
  const std::string key = ReadTextField(data, "key");
  if (key.empty()) {
    Module.SendError(uuid, kMissingKey);
    return false;
  }
  if (withName) {
    args.Name = ReadTextField(data, "name");
    if (args.Name.empty()) {
      Module.SendError(uuid, kMissingName);
      return false;
    }
  }
  args.Key = ParseRegistryKeyPath(key);
  return true;
}

bool NameUsable(const TRegistryArgs& args) {
  return args.Key && IsValidRegistryValueName(args.Name);
}

void WriteValue(TBrowserExternalModule& Module, const std::string& uuid,
                const nlohmann::json& data) {
  TRegistryArgs args;
  if (!ReadArgs(Module, uuid, data, true, args)) return;
  // Read before anything is created, so a value of the wrong type leaves
  // no keys behind.
  const std::string value = ReadTextField(data, "value");
  if (!NameUsable(args)) return Module.SendSuccess(uuid, "false");
  Module.SendSuccess(uuid, Bool(OpenUserRegistry()->WriteValue(*args.Key, args.Name, value)));
}

void ReadValue(TBrowserExternalModule& Module, const std::string& uuid,
               const nlohmann::json& data) {
  TRegistryArgs args;
  if (!ReadArgs(Module, uuid, data, true, args)) return;
  const std::string value =
      NameUsable(args) ? OpenUserRegistry()->ReadValue(*args.Key, args.Name) : std::string();
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(value));
}

void ValueExist(TBrowserExternalModule& Module, const std::string& uuid,
                const nlohmann::json& data) {
  TRegistryArgs args;
  if (!ReadArgs(Module, uuid, data, true, args)) return;
  Module.SendSuccess(
      uuid, Bool(NameUsable(args) && OpenUserRegistry()->ValueExists(*args.Key, args.Name)));
}

void DeleteValue(TBrowserExternalModule& Module, const std::string& uuid,
                 const nlohmann::json& data) {
  TRegistryArgs args;
  if (!ReadArgs(Module, uuid, data, true, args)) return;
  Module.SendSuccess(
      uuid, Bool(NameUsable(args) && OpenUserRegistry()->DeleteValue(*args.Key, args.Name)));
}

void KeyExist(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  TRegistryArgs args;
  if (!ReadArgs(Module, uuid, data, false, args)) return;
  Module.SendSuccess(uuid, Bool(args.Key && OpenUserRegistry()->KeyExists(*args.Key)));
}

void DeleteKey(TBrowserExternalModule& Module, const std::string& uuid,
               const nlohmann::json& data) {
  TRegistryArgs args;
  if (!ReadArgs(Module, uuid, data, false, args)) return;
  // A path of backslashes names the root: the user's whole registry is
  // never deleted through a page.
  const bool deleted =
      args.Key && !args.Key->IsRoot() && OpenUserRegistry()->DeleteKeyTree(*args.Key);
  Module.SendSuccess(uuid, Bool(deleted));
}

const TBridgeHandlerEntry kEntries[] = {
    {"writeValue", &WriteValue},   {"readValue", &ReadValue}, {"valueExist", &ValueExist},
    {"deleteValue", &DeleteValue}, {"keyExist", &KeyExist},   {"deleteKey", &DeleteKey},
};

}  // namespace

const TBridgeHandlerGroup kRegistryHandlers = {"registry", kEntries};

}  // namespace zel

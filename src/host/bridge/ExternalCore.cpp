// Bridge functions: the top level (version and runtime flag).
#include "core/StrUtils.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"

namespace zel {

namespace {

constexpr const char* kVersion = "2025.2";

void Hello(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(kVersion));
}

void IsRuntime(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.SendSuccess(uuid, Module.FExeZip ? "true" : "false");
}

const TBridgeHandlerEntry kEntries[] = {
    {"hello", &Hello},
    {"isRuntime", &IsRuntime},
};

}  // namespace

const TBridgeHandlerGroup kCoreHandlers = {"", kEntries};

}  // namespace zel

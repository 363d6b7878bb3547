// Bridge functions: the top level (version and runtime flag).
#include "core/StrUtils.h"
#include "host/BrowserExternalModule.h"

namespace zel {

namespace {
constexpr const char* kVersion = "2025.2";
}

void TBrowserExternalModule::Hello(const std::string& uuid, const nlohmann::json&) {
  SendSuccess(uuid, TStrUtils::StringToJsonString(kVersion));
}

void TBrowserExternalModule::IsRuntime(const std::string& uuid, const nlohmann::json&) {
  SendSuccess(uuid, FExeZip ? "true" : "false");
}

}  // namespace zel

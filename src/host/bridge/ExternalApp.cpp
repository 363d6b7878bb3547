// Bridge functions: the application.
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"

namespace zel {

namespace {

void AppClose(TBrowserExternalModule& Module, const std::string&, const nlohmann::json&) {
  if (Module.FOnAppCloseRequest) Module.FOnAppCloseRequest();
}

const TBridgeHandlerEntry kEntries[] = {
    {"close", &AppClose},
};

}  // namespace

const TBridgeHandlerGroup kAppHandlers = {"app", kEntries};

}  // namespace zel

// Bridge functions: log-off, restart and shutdown, the network adapters'
// hardware addresses, and desktop notifications.
#include "core/BridgeProtocol.h"
#include "core/StrUtils.h"
#include "core/SystemText.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"
#include "ports/SysUtils.h"

namespace zel {

namespace {

// ExitWindowsEx flags, each with EWX_FORCE.
constexpr unsigned kLogoffFlags = 4;
constexpr unsigned kShutdownFlags = 5;
constexpr unsigned kRebootFlags = 6;

void RequestExit(TBrowserExternalModule& Module, const std::string& uuid, unsigned flags) {
  std::string message;
  if (TSysUtils::ExitWindows(flags, message))
    Module.SendSuccess(uuid, "true");
  else
    Module.SendError(uuid, TStrUtils::StringToJsonString(TrimSystemMessage(message)));
}

void Logoff(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  RequestExit(Module, uuid, kLogoffFlags);
}

void Reboot(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  RequestExit(Module, uuid, kRebootFlags);
}

void Shutdown(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  RequestExit(Module, uuid, kShutdownFlags);
}

void MacAddresses(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  std::string list = "[";
  for (const std::string& entry : TSysUtils::GetMacAddresses()) {
    if (list.size() > 1) list += ",";
    list += TStrUtils::StringToJsonString(entry);
  }
  Module.SendSuccess(uuid, list + "]");
}

void Notification(TBrowserExternalModule& Module, const std::string& uuid,
                  const nlohmann::json& data) {
  const std::string name = ReadTextField(data, "name");
  const std::string title = ReadTextField(data, "title");
  const std::string body = ReadTextField(data, "body");
  INotificationCenter& center = Module.NotificationCenter();
  // A notification that could not be shown is "cannot notify" too.
  Module.SendSuccess(uuid, Bool(center.Supported() && center.Present(name, title, body)));
}

const TBridgeHandlerEntry kEntries[] = {
    {"logoff", &Logoff},
    {"reboot", &Reboot},
    {"shutdown", &Shutdown},
    {"macAddresses", &MacAddresses},
    {"notification", &Notification},
};

}  // namespace

const TBridgeHandlerGroup kSystemHandlers = {"system", kEntries};

}  // namespace zel

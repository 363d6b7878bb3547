// Bridge functions: the desktop shell. filePath goes to the shell as the
// page gave it (a program, document, folder or address), never resolved
// against the executable's folder.
#include "core/BridgeProtocol.h"
#include "core/ShellText.h"
#include "core/StrUtils.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"
#include "ports/UI.h"

namespace zel {

namespace {

// The system's message as an error reply; never an empty text.
void SendFailure(TBrowserExternalModule& Module, const std::string& uuid,
                 const std::string& message) {
  Module.SendError(uuid, TStrUtils::StringToJsonString(message.empty() ? "Failed" : message));
}

void Execute(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  const std::string arguments = ReadTextField(data, "arguments");
  if (filePath.empty()) return Module.SendError(uuid, Missing("filePath"));
  std::string error;
  if (!UI().Shell().Execute(filePath, arguments, error)) return SendFailure(Module, uuid, error);
  Module.SendSuccess(uuid, "true");
}

void Explore(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return Module.SendError(uuid, Missing("filePath"));
  std::string error;
  if (!UI().Shell().Explore(filePath, error)) return SendFailure(Module, uuid, error);
  Module.SendSuccess(uuid, "true");
}

void Command(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  const std::string command = ReadTextField(data, "command");
  if (command.empty()) return Module.SendError(uuid, Missing("command"));
  const std::string workingDir = ReadTextField(data, "workingDir");
  const bool showWindow = ReadTextField(data, "showWindow", "false") == "true";
  const std::string output = UI().Shell().Command(command, workingDir, showWindow);
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(output));
}

void Windows(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.SendSuccess(uuid, JsonStringArray(UI().Shell().WindowTitles()));
}

const TBridgeHandlerEntry kEntries[] = {
    {"execute", &Execute},
    {"explore", &Explore},
    {"command", &Command},
    {"windows", &Windows},
};

}  // namespace

const TBridgeHandlerGroup kShellHandlers = {"shell", kEntries};

}  // namespace zel

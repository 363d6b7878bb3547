// Bridge functions: the application.
#include "core/BridgeProtocol.h"
#include "core/ShellText.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"
#include "host/browser/MainForm.h"
#include "host/startup/ExeZipLoader.h"
#include "ports/System.h"

namespace zel {

namespace {

void AppClose(TBrowserExternalModule& Module, const std::string&, const nlohmann::json&) {
  if (Module.FOnAppCloseRequest) Module.FOnAppCloseRequest();
}

void InFullscreen(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.SendSuccess(uuid, Bool(Module.FInFullscreen));
}

void EnterFullscreen(TBrowserExternalModule& Module, const std::string&, const nlohmann::json&) {
  if (Module.FInFullscreen || !Module.FMainForm) return;
  Module.FInFullscreen = true;
  IFormPeer& form = Module.FMainForm->Peer();
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetWindowState(TWindowState::wsMaximized);
}

void ExitFullscreen(TBrowserExternalModule& Module, const std::string&, const nlohmann::json&) {
  if (!Module.FInFullscreen || !Module.FMainForm) return;
  Module.FInFullscreen = false;
  IFormPeer& form = Module.FMainForm->Peer();
  form.SetWindowState(TWindowState::wsNormal);
  // A number outside the six styles gets the default, a sizeable border.
  const int border =
      Module.FProjectINI ? Module.FProjectINI->ReadInteger("App", "WindowBorder", 2) : 2;
  form.SetBorderStyle(border >= 0 && border <= 5 ? static_cast<TFormBorderStyle>(border)
                                                 : TFormBorderStyle::bsSizeable);
}

void GetArgs(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  std::vector<std::string> args{sys::GetExecutablePath()};
  args.insert(args.end(), ProgramArgs.begin(), ProgramArgs.end());
  Module.SendSuccess(uuid, JsonStringArray(args));
}

void Navigate(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  const std::string url = ReadTextField(data, "url");
  if (url.empty()) return Module.SendError(uuid, Missing("url"));
  if (Module.FBrowserForm) Module.FBrowserForm->FEdgeBrowser->Navigate(url);
  Module.SendSuccess(uuid, "true");
}

const TBridgeHandlerEntry kEntries[] = {
    {"close", &AppClose},
    {"inFullscreen", &InFullscreen},
    {"enterFullscreen", &EnterFullscreen},
    {"exitFullscreen", &ExitFullscreen},
    {"getArgs", &GetArgs},
    {"navigate", &Navigate},
};

}  // namespace

const TBridgeHandlerGroup kAppHandlers = {"app", kEntries};

}  // namespace zel

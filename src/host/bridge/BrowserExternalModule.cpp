#include "host/bridge/BrowserExternalModule.h"

#include "com/ComHandlers.h"
#include "com/ComStrings.h"
#include "com/Utf.h"
#include "core/BridgeProtocol.h"
#include "core/Paths.h"
#include "core/SystemText.h"
#include "core/Text.h"
#include "host/bridge/BrowserExternalForm.h"
#include "host/browser/BrowserForm.h"
#include "host/startup/ExeZipLoader.h"
#include "ports/System.h"

namespace zel {

TBrowserExternalModule::TBrowserExternalModule()
    : FBrowserExternalForm(std::make_unique<TBrowserExternalForm>(*this)) {}

TBrowserExternalModule::~TBrowserExternalModule() {
  // No click may reach a module that is gone.
  FNotificationCenter.reset();
  FBrowserExternalForm.reset();
  FMainForm = nullptr;
  FBrowserForm = nullptr;
  FExeZip = nullptr;
  FProjectINI = nullptr;
}

TBrowserExternalForm& TBrowserExternalModule::BrowserExternalForm() {
  return *FBrowserExternalForm;
}

const std::map<int, TBridgeHandler>& TBrowserExternalModule::Handlers() {
  static const std::map<int, TBridgeHandler> handlers =
      BuildBridgeHandlerMap(BridgeHandlerGroups());
  return handlers;
}

void TBrowserExternalModule::EdgeBrowserWebMessageReceived(TCustomEdgeBrowser&,
                                                           TWebMessageReceivedEventArgs& Args) {
  LPWSTR source = nullptr;
  LPWSTR json = nullptr;
  Args.ArgsInterface()->get_Source(&source);
  const std::string sourceText = TakeRuntimeString(source);
  // A message from a page that may not use the host is not even read.
  if (!MayUseHost(sourceText)) return;
  Args.ArgsInterface()->get_WebMessageAsJson(&json);
  Dispatch(sourceText, TakeRuntimeString(json));
}

bool TBrowserExternalModule::MayUseHost(const std::string& source) {
  // Only local documents; pages from the network get no answers.
  return StartsTextAscii(source, "file:");
}

void TBrowserExternalModule::Dispatch(const std::string& source, const std::string& json) {
  if (!MayUseHost(source)) return;
  try {
    const TBridgeRequest request = ParseBridgeRequest(json);
    int id = 0;
    if (!TryStrToInt(request.IdText, id)) return;
    const auto it = Handlers().find(id);
    if (it == Handlers().end()) return;
    it->second(*this, request.Uuid, request.Data);
  } catch (...) {
    // A request that fails outside its handler's own error replies is left
    // without a reply; the host goes on.
  }
}

void TBrowserExternalModule::SendResponse(const std::string& uuid, const std::string& result,
                                          bool success) {
  if (FBrowserForm && FBrowserForm->FEdgeBrowser)
    FBrowserForm->FEdgeBrowser->PostWebMessageAsJson(FormatBridgeReply(uuid, result, success));
}

std::string TBrowserExternalModule::AppDirPath() const {
  return FBrowserForm ? FBrowserForm->FAppDirPath : ExtractFilePath(sys::GetExecutablePath());
}

std::string TBrowserExternalModule::ResolveLocalPath(const std::string& path) const {
  return zel::ResolveLocalPath(path, AppDirPath(), sys::PathDelim());
}

INotificationCenter& TBrowserExternalModule::NotificationCenter() {
  if (!FNotificationCenter)
    FNotificationCenter = UI().CreateNotificationCenter(AppName, [this](const std::string& Name) {
      NotificationCenterReceiveLocalNotification(Name);
    });
  return *FNotificationCenter;
}

void TBrowserExternalModule::NotificationCenterReceiveLocalNotification(const std::string& Name) {
  // The browser wants its scripts started on the UI thread, wherever the
  // platform reported the click.
  UI().Queue(
      [this, alive = std::weak_ptr<int>(FAlive), statement = NotificationClickStatement(Name)] {
        if (alive.expired()) return;
        if (FBrowserForm && FBrowserForm->FEdgeBrowser)
          FBrowserForm->FEdgeBrowser->ExecuteScript(statement);
      });
}

}  // namespace zel

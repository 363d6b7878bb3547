#include "host/BrowserExternalModule.h"

#include "core/BridgeProtocol.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "core/Utf.h"
#include "host/BrowserForm.h"
#include "host/ComHandlers.h"
#include "ports/System.h"

namespace zel {

TBrowserExternalModule::TBrowserExternalModule() = default;

TBrowserExternalModule::~TBrowserExternalModule() {
  FMainForm = nullptr;
  FBrowserForm = nullptr;
  FExeZip = nullptr;
  FProjectINI = nullptr;
}

const std::map<int, TBrowserExternalModule::THandler>& TBrowserExternalModule::Handlers() {
  using M = TBrowserExternalModule;
  static const std::map<int, THandler> handlers = {
      {10001, &M::Hello},
      {10002, &M::IsRuntime},
      {20001, &M::OpenFile},
      {20002, &M::SaveFile},
      {20003, &M::SelFolder},
      {30001, &M::FileExists},
      {30002, &M::DeleteFile},
      {30003, &M::WriteTextFile},
      {30004, &M::ExtractFile},
      {40001, &M::DirExists},
      {40002, &M::CreateDir},
      {40003, &M::DeleteDir},
      {40004, &M::ListFiles},
      {40005, &M::GetTempDir},
      {40006, &M::GetUserDocumentsDir},
      {40007, &M::GetUserDesktopDir},
      {40008, &M::GetAppExecutableDir},
      {40009, &M::GetAppDataDir},
      {50001, &M::AppClose},
      {90001, &M::DecodeToFile},
  };
  return handlers;
}

void TBrowserExternalModule::EdgeBrowserWebMessageReceived(TCustomEdgeBrowser&,
                                                           TWebMessageReceivedEventArgs& Args) {
  LPWSTR source = nullptr;
  LPWSTR json = nullptr;
  Args.ArgsInterface()->get_Source(&source);
  const std::string sourceText = TakeRuntimeString(source);
  // Only local documents may use the host; nothing else is even read.
  if (!StartsTextAscii(sourceText, "file:")) return;
  Args.ArgsInterface()->get_WebMessageAsJson(&json);
  Dispatch(sourceText, TakeRuntimeString(json));
}

void TBrowserExternalModule::Dispatch(const std::string& source, const std::string& json) {
  if (!StartsTextAscii(source, "file:")) return;
  try {
    const TBridgeRequest request = ParseBridgeRequest(json);
    int id = 0;
    if (!TryStrToInt(request.IdText, id)) return;
    const auto it = Handlers().find(id);
    if (it == Handlers().end()) return;
    (this->*(it->second))(request.Uuid, request.Data);
  } catch (...) {
    // A request that fails outside its handler's own error replies is left
    // without a reply; the host goes on.
  }
}

void TBrowserExternalModule::SendResponse(const std::string& uuid, const std::string& result,
                                          bool success) {
  if (!FBrowserForm || !FBrowserForm->FEdgeBrowser) return;
  if (ICoreWebView2* webView = FBrowserForm->FEdgeBrowser->DefaultInterface())
    webView->PostWebMessageAsJson(Utf8ToUtf16(FormatBridgeReply(uuid, result, success)).c_str());
}

std::string TBrowserExternalModule::AppDirPath() const {
  return FBrowserForm ? FBrowserForm->FAppDirPath : ExtractFilePath(sys::GetExecutablePath());
}

std::string TBrowserExternalModule::ResolveLocalPath(const std::string& path) const {
  return zel::ResolveLocalPath(path, AppDirPath(), sys::PathDelim());
}

void TBrowserExternalModule::AppClose(const std::string&, const nlohmann::json&) {
  if (FOnAppCloseRequest) FOnAppCloseRequest();
}

}  // namespace zel

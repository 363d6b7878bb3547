// TBrowserExternalModule: the host end of window.zel. It receives every web
// message of the browser, dispatches requests by function id and answers
// each with one reply.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "core/IniFile.h"
#include "core/ZipArchive.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/browser/EdgeBrowser.h"
#include "ports/UI.h"

namespace zel {

class TBrowserExternalForm;
class TBrowserForm;
class TMainForm;

class TBrowserExternalModule {
 public:
  TBrowserExternalModule();   // DataModuleCreate
  ~TBrowserExternalModule();  // DataModuleDestroy
  TBrowserExternalModule(const TBrowserExternalModule&) = delete;
  TBrowserExternalModule& operator=(const TBrowserExternalModule&) = delete;

  TMainForm* FMainForm = nullptr;
  TAbZipKit* FExeZip = nullptr;
  bool FInFullscreen = false;
  TMemIniFile* FProjectINI = nullptr;
  TBrowserForm* FBrowserForm = nullptr;
  std::function<void()> FOnAppCloseRequest;

  // The browser control's OnWebMessageReceived handler.
  void EdgeBrowserWebMessageReceived(TCustomEdgeBrowser& Sender,
                                     TWebMessageReceivedEventArgs& Args);
  // True for documents at addresses that may call the host.
  static bool MayUseHost(const std::string& source);
  // Handles one request text from a document at `source`; exposed for tests.
  void Dispatch(const std::string& source, const std::string& json);

  void SendResponse(const std::string& uuid, const std::string& result, bool success);
  void SendSuccess(const std::string& uuid, const std::string& result) {
    SendResponse(uuid, result, true);
  }
  void SendError(const std::string& uuid, const std::string& result) {
    SendResponse(uuid, result, false);
  }

  // The executable's folder, the base of relative paths.
  std::string AppDirPath() const;
  std::string ResolveLocalPath(const std::string& path) const;

  // The handlers by function id; ids without one are known but not answered.
  static const std::map<int, TBridgeHandler>& Handlers();

  // The dialog components keep their settings between calls.
  std::unique_ptr<IFileDialogPeer> FileOpenDialog;
  std::unique_ptr<IFileDialogPeer> FileSaveDialog;
  std::unique_ptr<IFileDialogPeer> FolderOpenDialog;

  // Whether the tray icon shows (set by showIcon and hideIcon).
  bool TrayIconVisible() const { return FTrayIconVisible; }
  bool FTrayIconVisible = false;

  // The menu bar, the tray icon and the tray menu.
  TBrowserExternalForm& BrowserExternalForm();
  std::unique_ptr<TBrowserExternalForm> FBrowserExternalForm;
};

}  // namespace zel

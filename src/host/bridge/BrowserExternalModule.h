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
  // Set by the tray icon; while it shows, minimizing hides the main window.
  bool FTrayIconVisible = false;
  bool TrayIconVisible() const { return FTrayIconVisible; }

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

  // The menu bar, the tray icon and the tray menu.
  TBrowserExternalForm& BrowserExternalForm();
  std::unique_ptr<TBrowserExternalForm> FBrowserExternalForm;

  // The platform's notification centre, created on first use.
  INotificationCenter& NotificationCenter();
  // A click on one of this host's notifications: the page hears of it.
  void NotificationCenterReceiveLocalNotification(const std::string& Name);

 private:
  std::unique_ptr<INotificationCenter> FNotificationCenter;
  // Expires with the module, for work queued before it went.
  std::shared_ptr<int> FAlive = std::make_shared<int>(0);
};

}  // namespace zel

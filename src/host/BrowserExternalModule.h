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
#include "host/EdgeBrowser.h"
#include "ports/UI.h"

namespace zel {

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

  // Ids that have a handler; the others are known but not answered.
  using THandler = void (TBrowserExternalModule::*)(const std::string& uuid,
                                                    const nlohmann::json& data);
  static const std::map<int, THandler>& Handlers();

 private:
  // Core, dialogs and base64.
  void Hello(const std::string& uuid, const nlohmann::json& data);
  void IsRuntime(const std::string& uuid, const nlohmann::json& data);
  void OpenFile(const std::string& uuid, const nlohmann::json& data);
  void SaveFile(const std::string& uuid, const nlohmann::json& data);
  void SelFolder(const std::string& uuid, const nlohmann::json& data);
  void DecodeToFile(const std::string& uuid, const nlohmann::json& data);
  // Files.
  void FileExists(const std::string& uuid, const nlohmann::json& data);
  void DeleteFile(const std::string& uuid, const nlohmann::json& data);
  void WriteTextFile(const std::string& uuid, const nlohmann::json& data);
  void ExtractFile(const std::string& uuid, const nlohmann::json& data);
  // Folders.
  void DirExists(const std::string& uuid, const nlohmann::json& data);
  void CreateDir(const std::string& uuid, const nlohmann::json& data);
  void DeleteDir(const std::string& uuid, const nlohmann::json& data);
  void ListFiles(const std::string& uuid, const nlohmann::json& data);
  void GetTempDir(const std::string& uuid, const nlohmann::json& data);
  void GetUserDocumentsDir(const std::string& uuid, const nlohmann::json& data);
  void GetUserDesktopDir(const std::string& uuid, const nlohmann::json& data);
  void GetAppExecutableDir(const std::string& uuid, const nlohmann::json& data);
  void GetAppDataDir(const std::string& uuid, const nlohmann::json& data);
  // Application.
  void AppClose(const std::string& uuid, const nlohmann::json& data);

  IFileDialogPeer& Dialog(std::unique_ptr<IFileDialogPeer>& dialog, TFileDialogKind kind);
  void RunFileDialog(const std::string& uuid, const nlohmann::json& data,
                     std::unique_ptr<IFileDialogPeer>& dialog, TFileDialogKind kind,
                     const char* defaultTitle);

  // The dialog components keep their settings between calls.
  std::unique_ptr<IFileDialogPeer> FileOpenDialog;
  std::unique_ptr<IFileDialogPeer> FileSaveDialog;
  std::unique_ptr<IFileDialogPeer> FolderOpenDialog;
};

}  // namespace zel

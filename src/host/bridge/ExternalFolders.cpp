// Bridge functions: folders.
#include <filesystem>

#include "core/BridgeProtocol.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/StrUtils.h"
#include "core/Text.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

namespace fs = std::filesystem;

namespace zel {

namespace {

void DirExists(TBrowserExternalModule& Module, const std::string& uuid,
               const nlohmann::json& data) {
  const std::string dirPath = ReadTextField(data, "dirPath");
  if (dirPath.empty()) return Module.SendError(uuid, Missing("dirPath"));
  std::error_code ec;
  Module.SendSuccess(uuid, Bool(fs::is_directory(ToFsPath(Module.ResolveLocalPath(dirPath)), ec)));
}

void CreateDir(TBrowserExternalModule& Module, const std::string& uuid,
               const nlohmann::json& data) {
  const std::string dirPath = ReadTextField(data, "dirPath");
  if (dirPath.empty()) return Module.SendError(uuid, Missing("dirPath"));
  std::error_code ec;
  const fs::path path = ToFsPath(Module.ResolveLocalPath(dirPath));
  if (fs::is_directory(path, ec)) return Module.SendSuccess(uuid, "true");
  Module.SendSuccess(uuid, Bool(fs::create_directory(path, ec) && !ec));
}

void DeleteDir(TBrowserExternalModule& Module, const std::string& uuid,
               const nlohmann::json& data) {
  const std::string dirPath = ReadTextField(data, "dirPath");
  if (dirPath.empty()) return Module.SendError(uuid, Missing("dirPath"));
  Module.SendSuccess(uuid, Bool(TSysUtils::DeleteDirectory(Module.ResolveLocalPath(dirPath))));
}

void ListFiles(TBrowserExternalModule& Module, const std::string& uuid,
               const nlohmann::json& data) {
  const std::string dirPath = ReadTextField(data, "dirPath");
  if (dirPath.empty()) return Module.SendError(uuid, Missing("dirPath"));
  const std::string fileMask = ReadTextField(data, "fileMask");
  if (fileMask.empty()) return Module.SendError(uuid, Missing("fileMask"));
  const std::string allDirs = ReadTextField(data, "allDirs");
  if (allDirs.empty()) return Module.SendError(uuid, Missing("allDirs"));
  const std::string folder = Module.ResolveLocalPath(dirPath);
  std::error_code ec;
  if (!fs::is_directory(ToFsPath(folder), ec))
    return Module.SendError(uuid, "\"The specified folder does not exist.\"");
  const auto files =
      zel::ListFiles(folder, fileMask, LowerAscii(allDirs) == "true", sys::PathDelim());
  std::string result = "[";
  for (size_t i = 0; i < files.size(); ++i) {
    if (i) result += ", ";
    result += TStrUtils::StringToJsonString(files[i]);
  }
  Module.SendSuccess(uuid, result + "]");
}

void GetTempDir(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(TSysUtils::GetTempDirPath()));
}

void GetUserDocumentsDir(TBrowserExternalModule& Module, const std::string& uuid,
                         const nlohmann::json&) {
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(TSysUtils::GetUserDocumentsDirPath()));
}

void GetUserDesktopDir(TBrowserExternalModule& Module, const std::string& uuid,
                       const nlohmann::json&) {
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(TSysUtils::GetUserDesktopDirPath()));
}

void GetAppExecutableDir(TBrowserExternalModule& Module, const std::string& uuid,
                         const nlohmann::json&) {
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(Module.AppDirPath()));
}

void GetAppDataDir(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(TSysUtils::GetUserAppDataDirPath()));
}

const TBridgeHandlerEntry kEntries[] = {
    {"dirExists", &DirExists},
    {"createDir", &CreateDir},
    {"deleteDir", &DeleteDir},
    {"listFiles", &ListFiles},
    {"getTempDir", &GetTempDir},
    {"getUserDocumentsDir", &GetUserDocumentsDir},
    {"getUserDesktopDir", &GetUserDesktopDir},
    {"getAppExecutableDir", &GetAppExecutableDir},
    {"getAppDataDir", &GetAppDataDir},
};

}  // namespace

const TBridgeHandlerGroup kFolderHandlers = {"folders", kEntries};

}  // namespace zel

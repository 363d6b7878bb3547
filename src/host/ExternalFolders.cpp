// Bridge functions: folders.
#include <filesystem>

#include "core/BridgeProtocol.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/StrUtils.h"
#include "core/Text.h"
#include "host/BrowserExternalModule.h"
#include "host/ExternalHelpers.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

namespace fs = std::filesystem;

namespace zel {

void TBrowserExternalModule::DirExists(const std::string& uuid, const nlohmann::json& data) {
  const std::string dirPath = ReadTextField(data, "dirPath");
  if (dirPath.empty()) return SendError(uuid, Missing("dirPath"));
  std::error_code ec;
  SendSuccess(uuid, Bool(fs::is_directory(ToFsPath(ResolveLocalPath(dirPath)), ec)));
}

void TBrowserExternalModule::CreateDir(const std::string& uuid, const nlohmann::json& data) {
  const std::string dirPath = ReadTextField(data, "dirPath");
  if (dirPath.empty()) return SendError(uuid, Missing("dirPath"));
  std::error_code ec;
  const fs::path path = ToFsPath(ResolveLocalPath(dirPath));
  if (fs::is_directory(path, ec)) return SendSuccess(uuid, "true");
  SendSuccess(uuid, Bool(fs::create_directory(path, ec) && !ec));
}

void TBrowserExternalModule::DeleteDir(const std::string& uuid, const nlohmann::json& data) {
  const std::string dirPath = ReadTextField(data, "dirPath");
  if (dirPath.empty()) return SendError(uuid, Missing("dirPath"));
  SendSuccess(uuid, Bool(TSysUtils::DeleteDirectory(ResolveLocalPath(dirPath))));
}

void TBrowserExternalModule::ListFiles(const std::string& uuid, const nlohmann::json& data) {
  const std::string dirPath = ReadTextField(data, "dirPath");
  if (dirPath.empty()) return SendError(uuid, Missing("dirPath"));
  const std::string fileMask = ReadTextField(data, "fileMask");
  if (fileMask.empty()) return SendError(uuid, Missing("fileMask"));
  const std::string allDirs = ReadTextField(data, "allDirs");
  if (allDirs.empty()) return SendError(uuid, Missing("allDirs"));
  const std::string folder = ResolveLocalPath(dirPath);
  std::error_code ec;
  if (!fs::is_directory(ToFsPath(folder), ec))
    return SendError(uuid, "\"The specified folder does not exist.\"");
  const auto files =
      zel::ListFiles(folder, fileMask, LowerAscii(allDirs) == "true", sys::PathDelim());
  std::string result = "[";
  for (size_t i = 0; i < files.size(); ++i) {
    if (i) result += ", ";
    result += TStrUtils::StringToJsonString(files[i]);
  }
  SendSuccess(uuid, result + "]");
}

void TBrowserExternalModule::GetTempDir(const std::string& uuid, const nlohmann::json&) {
  SendSuccess(uuid, TStrUtils::StringToJsonString(TSysUtils::GetTempDirPath()));
}

void TBrowserExternalModule::GetUserDocumentsDir(const std::string& uuid, const nlohmann::json&) {
  SendSuccess(uuid, TStrUtils::StringToJsonString(TSysUtils::GetUserDocumentsDirPath()));
}

void TBrowserExternalModule::GetUserDesktopDir(const std::string& uuid, const nlohmann::json&) {
  SendSuccess(uuid, TStrUtils::StringToJsonString(TSysUtils::GetUserDesktopDirPath()));
}

void TBrowserExternalModule::GetAppExecutableDir(const std::string& uuid, const nlohmann::json&) {
  SendSuccess(uuid, TStrUtils::StringToJsonString(AppDirPath()));
}

void TBrowserExternalModule::GetAppDataDir(const std::string& uuid, const nlohmann::json&) {
  SendSuccess(uuid, TStrUtils::StringToJsonString(TSysUtils::GetUserAppDataDirPath()));
}

}  // namespace zel

// Bridge functions: files and folders.
#include <filesystem>
#include <fstream>

#include "core/BridgeProtocol.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/StrUtils.h"
#include "core/Text.h"
#include "host/BrowserExternalModule.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

namespace fs = std::filesystem;

namespace zel {

namespace {

std::string Bool(bool value) {
  return value ? "true" : "false";
}
std::string Missing(const char* field) {
  return "\"Missing " + std::string(field) + "\"";
}

// The content of a text file: UTF-8 with its mark, every line ended by CR LF.
std::string TextFileContent(const std::string& contents) {
  std::string out = "\xEF\xBB\xBF";
  for (const std::string& line : SplitLines(contents)) out += line + "\r\n";
  return out;
}

}  // namespace

void TBrowserExternalModule::FileExists(const std::string& uuid, const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return SendError(uuid, Missing("filePath"));
  std::error_code ec;
  SendSuccess(uuid, Bool(fs::is_regular_file(ToFsPath(ResolveLocalPath(filePath)), ec)));
}

void TBrowserExternalModule::DeleteFile(const std::string& uuid, const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return SendError(uuid, Missing("filePath"));
  std::error_code ec;
  const fs::path path = ToFsPath(ResolveLocalPath(filePath));
  // Folders are not files: removing one here would be a surprise.
  const bool isFolder = fs::is_directory(fs::symlink_status(path, ec));
  SendSuccess(uuid, Bool(!isFolder && fs::remove(path, ec) && !ec));
}

void TBrowserExternalModule::WriteTextFile(const std::string& uuid, const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return SendError(uuid, Missing("filePath"));
  const std::string path = ResolveLocalPath(filePath);
  CreateParentFolders(path);
  const std::string error =
      WriteFileAtomically(path, TextFileContent(ReadTextField(data, "contents")));
  if (!error.empty()) return SendError(uuid, TStrUtils::StringToJsonString(error));
  SendSuccess(uuid, "true");
}

void TBrowserExternalModule::ExtractFile(const std::string& uuid, const nlohmann::json& data) {
  const std::string sourceFile = ReadTextField(data, "sourceFile");
  if (sourceFile.empty()) return SendError(uuid, Missing("sourceFile"));
  const std::string targetFile = ReadTextField(data, "targetFile");
  if (targetFile.empty()) return SendError(uuid, Missing("targetFile"));
  const std::string dirName = FProjectINI ? FProjectINI->ReadString("App", "DirName", "") : "";
  // The entry is looked up before the target is touched, so a missing entry
  // never empties an existing file.
  const int index = FExeZip ? FExeZip->FindFile(dirName + sourceFile) : -1;
  if (index < 0) return SendError(uuid, "\"File not found\"");
  std::string content;
  const bool read = FExeZip->ExtractTo(index, [&](const char* bytes, size_t size) {
    content.append(bytes, size);
    return true;
  });
  if (!read) return SendError(uuid, TStrUtils::StringToJsonString("Cannot extract " + sourceFile));
  const std::string error = WriteFileAtomically(targetFile, content);
  if (!error.empty()) return SendError(uuid, TStrUtils::StringToJsonString(error));
  SendSuccess(uuid, "true");
}

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

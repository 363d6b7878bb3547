// Bridge functions: files.
#include <filesystem>

#include "core/BridgeProtocol.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/StrUtils.h"
#include "host/BrowserExternalModule.h"
#include "host/ExternalHelpers.h"

namespace fs = std::filesystem;

namespace zel {

namespace {

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

}  // namespace zel

// Bridge functions: files.
#include <filesystem>

#include "core/BridgeProtocol.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/StrUtils.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"

namespace fs = std::filesystem;

namespace zel {

namespace {

// The content of a text file: UTF-8 with its mark, every line ended by CR LF.
std::string TextFileContent(const std::string& contents) {
  std::string out = "\xEF\xBB\xBF";
  for (const std::string& line : SplitLines(contents)) out += line + "\r\n";
  return out;
}

void FileExists(TBrowserExternalModule& Module, const std::string& uuid,
                const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return Module.SendError(uuid, Missing("filePath"));
  std::error_code ec;
  Module.SendSuccess(uuid,
                     Bool(fs::is_regular_file(ToFsPath(Module.ResolveLocalPath(filePath)), ec)));
}

void DeleteFile(TBrowserExternalModule& Module, const std::string& uuid,
                const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return Module.SendError(uuid, Missing("filePath"));
  std::error_code ec;
  const fs::path path = ToFsPath(Module.ResolveLocalPath(filePath));
  // Folders are not files: removing one here would be a surprise.
  const bool isFolder = fs::is_directory(fs::symlink_status(path, ec));
  Module.SendSuccess(uuid, Bool(!isFolder && fs::remove(path, ec) && !ec));
}

void WriteTextFile(TBrowserExternalModule& Module, const std::string& uuid,
                   const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return Module.SendError(uuid, Missing("filePath"));
  const std::string path = Module.ResolveLocalPath(filePath);
  CreateParentFolders(path);
  const std::string error =
      WriteFileAtomically(path, TextFileContent(ReadTextField(data, "contents")));
  if (!error.empty()) return Module.SendError(uuid, TStrUtils::StringToJsonString(error));
  Module.SendSuccess(uuid, "true");
}

void ExtractFile(TBrowserExternalModule& Module, const std::string& uuid,
                 const nlohmann::json& data) {
  const std::string sourceFile = ReadTextField(data, "sourceFile");
  if (sourceFile.empty()) return Module.SendError(uuid, Missing("sourceFile"));
  const std::string targetFile = ReadTextField(data, "targetFile");
  if (targetFile.empty()) return Module.SendError(uuid, Missing("targetFile"));
  const std::string dirName =
      Module.FProjectINI ? Module.FProjectINI->ReadString("App", "DirName", "") : "";
  // The entry is looked up before the target is touched, so a missing entry
  // never empties an existing file.
  const int index = Module.FExeZip ? Module.FExeZip->FindFile(dirName + sourceFile) : -1;
  if (index < 0) return Module.SendError(uuid, "\"File not found\"");
  const std::optional<std::string> content = Module.FExeZip->ExtractToString(index);
  if (!content)
    return Module.SendError(uuid, TStrUtils::StringToJsonString("Cannot extract " + sourceFile));
  const std::string error = WriteFileAtomically(targetFile, *content);
  if (!error.empty()) return Module.SendError(uuid, TStrUtils::StringToJsonString(error));
  Module.SendSuccess(uuid, "true");
}

const TBridgeHandlerEntry kEntries[] = {
    {"fileExists", &FileExists},
    {"deleteFile", &DeleteFile},
    {"writeTextFile", &WriteTextFile},
    {"extractFile", &ExtractFile},
};

}  // namespace

const TBridgeHandlerGroup kFileHandlers = {"files", kEntries};

}  // namespace zel

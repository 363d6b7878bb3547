// Bridge functions: version, runtime flag, file dialogs, base64 to file.
#include "core/Base64.h"
#include "core/BridgeProtocol.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/StrUtils.h"
#include "core/Text.h"
#include "host/BrowserExternalModule.h"
#include "ports/System.h"

namespace zel {

namespace {
constexpr const char* kVersion = "2025.2";
}

void TBrowserExternalModule::Hello(const std::string& uuid, const nlohmann::json&) {
  SendSuccess(uuid, TStrUtils::StringToJsonString(kVersion));
}

void TBrowserExternalModule::IsRuntime(const std::string& uuid, const nlohmann::json&) {
  SendSuccess(uuid, FExeZip ? "true" : "false");
}

IFileDialogPeer& TBrowserExternalModule::Dialog(std::unique_ptr<IFileDialogPeer>& dialog,
                                                TFileDialogKind kind) {
  if (!dialog) dialog = UI().CreateFileDialog(kind);
  return *dialog;
}

void TBrowserExternalModule::RunFileDialog(const std::string& uuid, const nlohmann::json& data,
                                           std::unique_ptr<IFileDialogPeer>& component,
                                           TFileDialogKind kind, const char* defaultTitle) {
  IFileDialogPeer& dialog = Dialog(component, kind);
  dialog.ClearFileTypes();
  dialog.SetFileName(ReadTextField(data, "fileName"));
  dialog.SetTitle(ReadTextField(data, "title", defaultTitle));
  for (const std::string& entry :
       TStrUtils::ExplodeStrings(";", ReadTextField(data, "fileTypes"))) {
    const TArrayStrings parts = TStrUtils::ExplodeStrings("|", entry);
    if (parts.size() == 2) dialog.AddFileType(parts[0], parts[1]);
  }
  if (kind == TFileDialogKind::Save)
    dialog.SetOverwritePrompt(ReadBoolField(data, "overwritePrompt", false));
  const bool chosen = dialog.Execute();
  SendSuccess(uuid, TStrUtils::StringToJsonString(chosen ? dialog.FileName() : ""));
}

void TBrowserExternalModule::OpenFile(const std::string& uuid, const nlohmann::json& data) {
  RunFileDialog(uuid, data, FileOpenDialog, TFileDialogKind::Open, "Open file");
}

void TBrowserExternalModule::SaveFile(const std::string& uuid, const nlohmann::json& data) {
  RunFileDialog(uuid, data, FileSaveDialog, TFileDialogKind::Save, "Save file");
}

void TBrowserExternalModule::SelFolder(const std::string& uuid, const nlohmann::json& data) {
  IFileDialogPeer& dialog = Dialog(FolderOpenDialog, TFileDialogKind::Folder);
  dialog.SetTitle(ReadTextField(data, "title", "Save file"));
  std::string folder;
  if (dialog.Execute()) folder = IncludeTrailingPathDelimiter(dialog.FileName(), sys::PathDelim());
  SendSuccess(uuid, TStrUtils::StringToJsonString(folder));
}

void TBrowserExternalModule::DecodeToFile(const std::string& uuid, const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return SendError(uuid, "\"Missing filePath\"");
  const std::string path = ResolveLocalPath(filePath);
  CreateParentFolders(path);
  const std::optional<std::string> bytes = DecodeBase64(ReadTextField(data, "contents"));
  if (!bytes) return SendError(uuid, TStrUtils::StringToJsonString("Invalid base64 data"));
  const std::string error = WriteFileAtomically(path, *bytes);
  if (!error.empty()) return SendError(uuid, TStrUtils::StringToJsonString(error));
  SendSuccess(uuid, "true");
}

}  // namespace zel

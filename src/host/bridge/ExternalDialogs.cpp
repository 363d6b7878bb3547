// Bridge functions: the file and folder dialogs.
#include "core/BridgeProtocol.h"
#include "core/Paths.h"
#include "core/StrUtils.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "ports/System.h"

namespace zel {

namespace {

IFileDialogPeer& Dialog(std::unique_ptr<IFileDialogPeer>& dialog, TFileDialogKind kind) {
  if (!dialog) dialog = UI().CreateFileDialog(kind);
  return *dialog;
}

void RunFileDialog(TBrowserExternalModule& Module, const std::string& uuid,
                   const nlohmann::json& data, std::unique_ptr<IFileDialogPeer>& component,
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
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(chosen ? dialog.FileName() : ""));
}

void OpenFile(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  RunFileDialog(Module, uuid, data, Module.FileOpenDialog, TFileDialogKind::Open, "Open file");
}

void SaveFile(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  RunFileDialog(Module, uuid, data, Module.FileSaveDialog, TFileDialogKind::Save, "Save file");
}

void SelFolder(TBrowserExternalModule& Module, const std::string& uuid,
               const nlohmann::json& data) {
  IFileDialogPeer& dialog = Dialog(Module.FolderOpenDialog, TFileDialogKind::Folder);
  dialog.SetTitle(ReadTextField(data, "title", "Save file"));
  std::string folder;
  if (dialog.Execute()) folder = IncludeTrailingPathDelimiter(dialog.FileName(), sys::PathDelim());
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(folder));
}

const TBridgeHandlerEntry kEntries[] = {
    {"openFile", &OpenFile},
    {"saveFile", &SaveFile},
    {"selFolder", &SelFolder},
};

}  // namespace

const TBridgeHandlerGroup kDialogHandlers = {"dialogs", kEntries};

}  // namespace zel

#include <windows.h>

#include <shobjidl.h>

#include "platform/windows/Win32FileDialog.h"

#include "platform/windows/WinHandle.h"
#include "platform/windows/WinStr.h"

namespace zel::win {
namespace {

TComRef<IFileDialog> NewFileDialog(TFileDialogKind kind) {
  IFileDialog* dialog = nullptr;
  const CLSID& clsid = kind == TFileDialogKind::Save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IFileDialog,
                              reinterpret_cast<void**>(&dialog))))
    return nullptr;
  return TComRef<IFileDialog>(dialog);
}

// The file-system path of the dialog's result; empty when there is none.
std::string ResultPath(IFileDialog& dialog) {
  IShellItem* raw = nullptr;
  if (FAILED(dialog.GetResult(&raw))) return {};
  const TComRef<IShellItem> item(raw);
  PWSTR path = nullptr;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) return {};
  std::string result = Narrow(path);
  CoTaskMemFree(path);
  return result;
}

}  // namespace

bool TWin32FileDialogPeer::Execute() {
  // A dialog object shows once; the settings live here between uses.
  const TComRef<IFileDialog> dialog = NewFileDialog(FKind);
  if (!dialog) return false;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  options |= FOS_FORCEFILESYSTEM;
  if (FKind == TFileDialogKind::Folder) options |= FOS_PICKFOLDERS | FOS_PATHMUSTEXIST;
  if (FKind == TFileDialogKind::Save) {
    options = FOverwritePrompt ? options | FOS_OVERWRITEPROMPT : options & ~FOS_OVERWRITEPROMPT;
  }
  dialog->SetOptions(options);
  if (!FTitle.empty()) dialog->SetTitle(Widen(FTitle).c_str());
  if (FKind != TFileDialogKind::Folder) {
    if (!FFileName.empty()) dialog->SetFileName(Widen(FFileName).c_str());
    std::vector<std::wstring> texts;
    for (const auto& [name, mask] : FFileTypes) {
      texts.push_back(Widen(name));
      texts.push_back(Widen(mask));
    }
    std::vector<COMDLG_FILTERSPEC> specs;
    for (size_t i = 0; i + 1 < texts.size(); i += 2)
      specs.push_back({texts[i].c_str(), texts[i + 1].c_str()});
    if (!specs.empty()) {
      dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
      dialog->SetFileTypeIndex(1);  // one-based: the first type
    }
  }
  if (FAILED(dialog->Show(GetActiveWindow()))) return false;
  std::string chosen = ResultPath(*dialog);
  if (chosen.empty()) return false;
  FFileName = std::move(chosen);
  return true;
}

}  // namespace zel::win

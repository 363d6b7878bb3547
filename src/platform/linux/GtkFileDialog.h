// File and folder dialogs: GTK file choosers that keep their settings
// between uses, as the bridge's dialog components do.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ports/UI.h"

namespace zel::gtk {

class TGtkFileDialog : public IFileDialogPeer {
 public:
  explicit TGtkFileDialog(TFileDialogKind Kind) : FKind(Kind) {}
  void SetTitle(const std::string& Title) override { FTitle = Title; }
  void SetFileName(const std::string& FileName) override { FFileName = FileName; }
  void ClearFileTypes() override { FTypes.clear(); }
  void AddFileType(const std::string& DisplayName, const std::string& Mask) override {
    FTypes.emplace_back(DisplayName, Mask);
  }
  void SetOverwritePrompt(bool Prompt) override { FOverwritePrompt = Prompt; }
  bool Execute() override;
  std::string FileName() const override { return FFileName; }

 private:
  TFileDialogKind FKind;
  std::string FTitle;
  std::string FFileName;
  std::string FFolder;  // where the last choice was made
  std::vector<std::pair<std::string, std::string>> FTypes;
  bool FOverwritePrompt = false;
};

// A glob that matches a file-name mask without regard to ASCII case, as
// file dialogs on Windows do: "*.txt" gives "*.[tT][xX][tT]".
std::string CaseInsensitiveGlob(const std::string& mask);

}  // namespace zel::gtk

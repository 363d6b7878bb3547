// IFileDialogPeer on Win32: the common item dialogs (open, save, pick folder).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "ports/UI.h"

namespace zel::win {

class TWin32FileDialogPeer final : public IFileDialogPeer {
 public:
  explicit TWin32FileDialogPeer(TFileDialogKind Kind) : FKind(Kind) {}

  void SetTitle(const std::string& Title) override { FTitle = Title; }
  void SetFileName(const std::string& FileName) override { FFileName = FileName; }
  void ClearFileTypes() override { FFileTypes.clear(); }
  void AddFileType(const std::string& DisplayName, const std::string& Mask) override {
    FFileTypes.emplace_back(DisplayName, Mask);
  }
  void SetOverwritePrompt(bool Prompt) override { FOverwritePrompt = Prompt; }
  bool Execute() override;
  std::string FileName() const override { return FFileName; }

 private:
  TFileDialogKind FKind;
  std::string FTitle;
  std::string FFileName;
  std::vector<std::pair<std::string, std::string>> FFileTypes;
  bool FOverwritePrompt = false;
};

}  // namespace zel::win

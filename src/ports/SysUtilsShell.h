// The platforms' IShell: TSysUtils and the thread's last system error.
// Only the platforms' UIs include it, so programs without them (the unit
// tests) need not link the helpers.
#pragma once

#include "ports/Shell.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

namespace zel {

class TSysUtilsShell : public IShell {
 public:
  bool Execute(const std::string& FilePath, const std::string& Arguments,
               std::string& Error) override {
    if (TSysUtils::ShellExec(FilePath, Arguments)) return true;
    Error = sys::LastSystemErrorMessage();
    return false;
  }
  bool Explore(const std::string& FilePath, std::string& Error) override {
    if (TSysUtils::ShellExplore(FilePath)) return true;
    Error = sys::LastSystemErrorMessage();
    return false;
  }
  std::string Command(const std::string& CommandLine, const std::string& WorkingDir,
                      bool ShowWindow) override {
    return TSysUtils::GetDosOutput(CommandLine, WorkingDir, ShowWindow);
  }
  std::vector<std::string> WindowTitles() override {
    std::vector<std::string> titles;
    TSysUtils::GetWindowsCaptions(titles);
    return titles;
  }
};

}  // namespace zel

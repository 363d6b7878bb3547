// What the start-up does when the browser runtime is missing: report it, or
// offer the installer carried in the package, run it elevated behind a
// progress window and start the application afresh.
#pragma once

#include <functional>
#include <string>

namespace zel {

// The system services the runtime flow uses; tests replace them.
struct TRuntimeInstallerOps {
  std::function<bool(const std::string& EdgeLoaderDllPath)> CheckEdgeIsInstalled;
  std::function<int(const std::string& FilePath, const std::string& Params)>
      ShellExecAsAdminAndWait;
  std::function<bool(const std::string& FilePath, const std::string& Arguments)> ShellExec;
  // The operating system's services.
  static TRuntimeInstallerOps System();
};
TRuntimeInstallerOps& RuntimeInstallerOps();

// Runs the flow for the start-up's application; never returns (every
// outcome ends the process through EHalt with exit code 0).
[[noreturn]] void RunRuntimeFlow();

// Deletes AppDataDirPath with its content, but only when it is what the
// start-up made it: the local application-data folder followed by AppID,
// AppID one plain folder name, and the folder itself no link. Anything else
// is refused (false), so an odd ID can never reach a parent folder.
bool DeleteAppDataDir();

}  // namespace zel

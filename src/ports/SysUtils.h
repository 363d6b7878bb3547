// TSysUtils: helpers over operating-system calls, one implementation per
// platform. Every method reports failure through its result and never throws.
#pragma once

#include <string>

namespace zel {

class TSysUtils {
 public:
  TSysUtils() = delete;

  // The user's local application-data folder with a trailing delimiter
  // (Linux: $XDG_DATA_HOME, else ~/.local/share).
  static std::string GetLocalAppDataDirPath();

  // Starts FilePath with Arguments (Linux: a detached child process).
  static bool ShellExec(const std::string& FilePath, const std::string& Arguments);

  // Starts FilePath with Params elevated (Windows: "runas"; Linux: directly
  // as root, else through pkexec) and waits for it while the UI goes on
  // handling events. Its exit code; 0 when it could not start or the
  // elevation was refused.
  static int ShellExecAsAdminAndWait(const std::string& FilePath, const std::string& Params);

  // True when the browser runtime's loader library at that path reports an
  // available runtime (a non-empty version). A library that cannot be
  // loaded, such as the Linux runtime without WebKitGTK, counts as missing.
  static bool CheckEdgeIsInstalled(const std::string& EdgeLoaderDllPath);

  // Deletes a folder and everything in it, permanently.
  static bool DeleteDirectory(const std::string& DirPath);

  // Special folders, each with a trailing delimiter.
  static std::string GetTempDirPath();
  static std::string GetUserDesktopDirPath();
  static std::string GetUserDocumentsDirPath();
  static std::string GetUserAppDataDirPath();
};

}  // namespace zel

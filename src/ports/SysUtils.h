// TSysUtils: helpers over operating-system calls, one implementation per
// platform. Every method reports failure through its result and never throws.
#pragma once

#include <string>
#include <vector>

namespace zel {

class TSysUtils {
 public:
  TSysUtils() = delete;

  // The user's local application-data folder with a trailing delimiter
  // (Linux: $XDG_DATA_HOME, else ~/.local/share).
  static std::string GetLocalAppDataDirPath();

  // Starts FilePath with Arguments (Linux: a detached child process).
  static bool ShellExec(const std::string& FilePath, const std::string& Arguments);

  // Deletes a folder and everything in it, permanently.
  static bool DeleteDirectory(const std::string& DirPath);

  // Special folders, each with a trailing delimiter.
  static std::string GetTempDirPath();
  static std::string GetUserDesktopDirPath();
  static std::string GetUserDocumentsDirPath();
  static std::string GetUserAppDataDirPath();

  // One "<kind>,xx:xx:xx:xx:xx:xx" entry per network adapter with a non-zero
  // hardware address, in the order the system lists them.
  static std::vector<std::string> GetMacAddresses();

  // Asks the system to log off (flags 4), restart (6) or shut down (5).
  // False when refused; SystemMessage then holds the system's reason.
  // The name in parentheses: <windows.h> defines ExitWindows(a, b) as a macro.
  static bool(ExitWindows)(unsigned RebootParam, std::string& SystemMessage);
};

}  // namespace zel

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

  // Opens FilePath with the desktop's "open" action: a program starts with
  // Arguments (split by SplitCommandLine on Linux, never through a shell);
  // documents, folders and addresses open in their default application. On
  // failure the reason is the thread's last system error.
  static bool ShellExec(const std::string& FilePath, const std::string& Arguments);

  // Shows FilePath selected in a file-manager window (Linux: the session's
  // FileManager1 service, else the parent folder in its default
  // application). On failure the reason is the thread's last system error.
  static bool ShellExplore(const std::string& FilePath);

  // Runs CommandLine through the command interpreter (cmd.exe /C, Linux
  // /bin/sh -c) in WorkingDir (empty: the current folder), with no input,
  // and returns all it wrote to standard output and standard error, decoded
  // once as valid UTF-8; empty when it cannot start. The exit code is not
  // reported. ShowWindow shows the console window (Windows only).
  static std::string GetDosOutput(const std::string& CommandLine, const std::string& WorkingDir,
                                  bool ShowWindow);

  // Replaces List with the titles of all top-level windows, visible or not,
  // top of the Z order first; titles blank after trimming are left out, the
  // others kept untrimmed, duplicates included. Linux: X11 only, empty
  // elsewhere.
  static void GetWindowsCaptions(std::vector<std::string>& List);

  // Starts FilePath with Params elevated (Windows: "runas"; Linux: directly
  // as root, else through pkexec) and waits for it while the UI goes on
  // handling events. Its exit code; 0 when it could not start or the
  // elevation was refused.
  static int ShellExecAsAdminAndWait(const std::string& FilePath, const std::string& Params);

  // True when the browser runtime's loader library at that path reports an
  // available runtime (a non-empty version). A library that cannot be
  // loaded, such as the Linux runtime without WebKitGTK, counts as missing.
  static bool CheckEdgeIsInstalled(const std::string& EdgeLoaderDllPath);

  // Deletes a folder and everything in it, permanently, never following a
  // symbolic link out of it; false for a missing folder (and on Windows for
  // a path with wildcards).
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

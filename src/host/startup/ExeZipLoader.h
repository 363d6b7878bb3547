// The start-up: finds the appended archive, reads the configuration, prepares
// the per-user folders and the browser's environment. The values it sets
// are fixed for the rest of the run.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/IniFile.h"
#include "core/ZipArchive.h"
#include "host/startup/ExeUtils.h"

namespace zel {

// Owned by the start-up until the process ends (FinalizeExeZipLoader).
extern std::unique_ptr<TExeUtils> ExeUtils;
extern std::unique_ptr<TAbZipKit> ExeZip;
extern std::unique_ptr<TMemIniFile> ProjectINI;
extern std::string AppID;
extern std::string AppName;
extern std::string AppDirName;
extern std::string AppIndexHtml;
extern std::string AppDataDirPath;
extern std::string AppWin64DirPath;
// The command line after the program name.
extern std::vector<std::string> ProgramArgs;

// The browser's extra arguments when [App] WebviewArguments is blank.
extern const char* const kDefaultWebviewArguments;

// Where the start-up reads its executable and command line; tests point it
// at packaged files.
struct TStartupEnvironment {
  std::string ExePath;
  std::vector<std::string> Args;
  static TStartupEnvironment Current();
};

// Returns only when the start-up succeeded; every failure throws EHalt.
void LoadExeZip(const TStartupEnvironment& Env = TStartupEnvironment::Current());
void LoadProjectINI();

// Opens archive bytes with the run-time password and sets ExeZip,
// ProjectINI, the application's names and ProgramArgs from them, as the
// start-up does with the archive it finds (tests use it directly).
void OpenPackage(std::string Archive, std::vector<std::string> Args);
// The same on bytes that Owner keeps alive (the executable's mapped tail).
void OpenPackageBytes(std::span<const std::byte> Archive, std::shared_ptr<const void> Owner,
                      std::vector<std::string> Args);

// True when the command line is the second-window form for this application.
bool IsSecondWindowLaunch();

// Frees the start-up values (at process end, and between tests).
void FinalizeExeZipLoader();

}  // namespace zel

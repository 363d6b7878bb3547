#include "host/startup/EdgeInstaller.h"

#include <filesystem>
#include <fstream>
#include <random>

#include "core/LocalizedMessages.h"
#include "core/Paths.h"
#include "host/browser/EdgeLoader.h"
#include "host/startup/ExeZipLoader.h"
#include "host/startup/Halt.h"
#include "host/startup/LocalizedDialogs.h"
#include "ports/PlatformNames.h"
#include "ports/SysUtils.h"
#include "ports/System.h"
#include "ports/UI.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kDefaultInstallFormColor = 0xFF00001A;  // system colour 26, hot-track

// Writes the installer beside its final name and renames it into place, so
// a crash mid-write never leaves a truncated program that later starts would
// run unchanged. Owner-only and executable.
bool WriteInstaller(const std::string& target, const std::string& content) {
  const fs::path final = ToFsPath(target);
  fs::path temp = final;
  temp += ".part" + std::to_string(std::random_device{}());
  std::error_code ec;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::permissions(temp, fs::perms::owner_all, fs::perm_options::replace, ec);
  fs::rename(temp, final, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

// The installer in the data folder, taken from the package unless a file is
// already there (that one is run unchanged). False when there is nothing
// to run: no entry in the package, or an empty file.
bool PlaceInstaller(const std::string& target) {
  std::error_code ec;
  if (!fs::exists(ToFsPath(target), ec)) {
    std::string content;
    ExeZip->ExtractToStream(names::InstallerEntryName(), content);
    if (content.empty() || !WriteInstaller(target, content)) return false;
  }
  return fs::is_regular_file(ToFsPath(target), ec) && fs::file_size(ToFsPath(target), ec) > 0 &&
         !ec;
}

TInstallerProgressParams ReadProgressParams() {
  TInstallerProgressParams p;
  p.Color = static_cast<unsigned>(ProjectINI->ReadInteger(
      "App", "InstallFormColor", static_cast<int>(kDefaultInstallFormColor)));
  // Values outside the listed ones keep the defaults.
  if (ProjectINI->ReadInteger("App", "InstallIndicatorColor", 1) == 0)
    p.IndicatorColor = TActivityIndicatorColor::aicBlack;
  switch (ProjectINI->ReadInteger("App", "InstallIndicatorType", 0)) {
    case 1:
      p.IndicatorType = TActivityIndicatorType::aitRotatingSector;
      break;
    case 2:
      p.IndicatorType = TActivityIndicatorType::aitSectorRing;
      break;
    default:
      break;
  }
  return p;
}

[[noreturn]] void EndWithoutRuntime(int MessageIndex) {
  DeleteAppDataDir();
  ShowLocalizedError(MessageIndex);
  Halt(0);
}

}  // namespace

TRuntimeInstallerOps TRuntimeInstallerOps::System() {
  return {&TSysUtils::CheckEdgeIsInstalled, &TSysUtils::ShellExecAsAdminAndWait,
          &TSysUtils::ShellExec};
}

TRuntimeInstallerOps& RuntimeInstallerOps() {
  static TRuntimeInstallerOps ops = TRuntimeInstallerOps::System();
  return ops;
}

bool DeleteAppDataDir() {
  if (!IsPlainPathComponent(AppID)) return false;
  const std::string expected =
      TSysUtils::GetLocalAppDataDirPath() + AppID + std::string(1, sys::PathDelim());
  if (AppDataDirPath != expected) return false;
  const std::string folder = AppDataDirPath.substr(0, AppDataDirPath.size() - 1);
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(ToFsPath(folder), ec);
  if (ec || fs::is_symlink(status) || !fs::is_directory(status)) return false;
  return TSysUtils::DeleteDirectory(folder);
}

void RunRuntimeFlow() {
  const TRuntimeInstallerOps& ops = RuntimeInstallerOps();
  if (!ProjectINI->ReadBool("App", "EdgeInstaller", true)) {
    ShowLocalizedError(lmRuntimeRequired);
    Halt(0);
  }
  if (!AskLocalizedQuestion(lmRuntimeInstallQuestion)) EndWithoutRuntime(lmCannotContinue);
  const std::string installer = AppDataDirPath + names::InstallerEntryName();
  // Running an empty file elevated would ask for rights to do nothing.
  if (!PlaceInstaller(installer)) EndWithoutRuntime(lmInstallationCancelled);

  // Shown until the process ends.
  const auto progress = UI().ShowInstallerProgress(ReadProgressParams());
  ops.ShellExecAsAdminAndWait(installer, "/silent /install");
  if (!ops.CheckEdgeIsInstalled(WebView2LoaderPath)) EndWithoutRuntime(lmInstallationCancelled);
  std::error_code ec;
  fs::remove(ToFsPath(installer), ec);
  ops.ShellExec(sys::GetExecutablePath(), "");
  Halt(0);
}

}  // namespace zel

#include "host/startup/ExeZipLoader.h"

#include <filesystem>

#include "core/Calculations.h"
#include "core/FileSystem.h"
#include "core/LocalizedMessages.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "host/browser/EdgeLoader.h"
#include "host/startup/EdgeInstaller.h"
#include "host/startup/Halt.h"
#include "host/startup/LocalizedDialogs.h"
#include "host/startup/StyleManager.h"
#include "ports/PlatformNames.h"
#include "ports/SysUtils.h"
#include "ports/System.h"
#include "ports/UI.h"

namespace zel {

std::unique_ptr<TExeUtils> ExeUtils;
std::unique_ptr<TAbZipKit> ExeZip;
std::unique_ptr<TMemIniFile> ProjectINI;
std::string AppID;
std::string AppName;
std::string AppDirName;
std::string AppIndexHtml;
std::string AppDataDirPath;
std::string AppWin64DirPath;
std::vector<std::string> ProgramArgs;

const char* const kDefaultWebviewArguments =
    "--disable-logging --disable-web-security --disable-features=RendererCodeIntegrity "
    "--enable-features=msSpeechRecognition --autoplay-policy=no-user-gesture-required";

namespace {

// Extracts an archive entry into a new file. The file appears whole or not
// at all, so an interrupted start never leaves a truncated library that
// later starts would take as valid; an existing file is left alone.
void ExtractNewFile(const std::string& entry, const std::string& target) {
  // An extraction killed half way leaves its temporary file, which no later
  // write clears once the file exists.
  ClearWriteLeftovers(target);
  std::error_code ec;
  if (std::filesystem::exists(ToFsPath(target), ec)) return;
  CreateParentFolders(target);
  std::string content;
  ExeZip->ExtractToStream(entry, content);
  WriteFileAtomically(target, content);
}

void SetBrowserEnvironment() {
  sys::SetEnv("WEBVIEW2_USER_DATA_FOLDER", AppWin64DirPath);
  const std::string args = ProjectINI->ReadString("App", "WebviewArguments", "");
  sys::SetEnv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS",
              IsBlank(args) ? std::string(kDefaultWebviewArguments) : args);
  sys::UnsetEnv("WEBVIEW2_BROWSER_EXECUTABLE_FOLDER");
  sys::UnsetEnv("WEBVIEW2_RELEASE_CHANNEL_PREFERENCE");
}

}  // namespace

TStartupEnvironment TStartupEnvironment::Current() {
  return {sys::GetExecutablePath(), sys::GetCommandLineArgs()};
}

void LoadProjectINI() {
  std::string bytes;
  ExeZip->ExtractToStream("zel.ini", bytes);
  ProjectINI->SetStrings(SplitLines(DecodeConfigText(bytes, sys::DecodeAnsi)));
}

bool IsSecondWindowLaunch() {
  return ProgramArgs.size() == 2 && ProgramArgs[0] == AppID;
}

void OpenPackage(std::string Archive, std::vector<std::string> Args) {
  auto bytes = std::make_shared<const std::string>(std::move(Archive));
  const auto view = std::as_bytes(std::span(*bytes));
  OpenPackageBytes(view, std::move(bytes), std::move(Args));
}

void OpenPackageBytes(std::span<const std::byte> Archive, std::shared_ptr<const void> Owner,
                      std::vector<std::string> Args) {
  ProgramArgs = std::move(Args);
  ExeZip = std::make_unique<TAbZipKit>();
  ExeZip->SetPassword(CalculateWidth(kPasswordText, kPasswordKey));
  ExeZip->Open(Archive, std::move(Owner));
  ProjectINI = std::make_unique<TMemIniFile>();
  LoadProjectINI();
  AppID = ProjectINI->ReadString("App", "ID", "");
  AppName = ProjectINI->ReadString("App", "Name", "");
  AppDirName = ProjectINI->ReadString("App", "DirName", "");
  AppIndexHtml = ProjectINI->ReadString("App", "IndexHtml", "index.html");
}

void LoadExeZip(const TStartupEnvironment& Env) {
  FinalizeExeZipLoader();
  ExeUtils = std::make_unique<TExeUtils>(Env.ExePath);
  if (!ExeUtils->ExeHasAttachedStub()) {
    ShowLocalizedError(lmNotAValidApplication);
    Halt(0);
  }
  // The archive is read in place, so a large package costs neither start-up
  // time nor memory for its size.
  TExeUtils::TMappedZip archive = ExeUtils->MapZipFromExe();
  OpenPackageBytes(archive.Bytes, std::move(archive.Owner), Env.Args);
  // The ID names the application's folder of per-user data, so it must be
  // one plain folder name; anything else ends as quietly as a missing ID.
  if (!IsPlainPathComponent(AppID) || AppName.empty() || AppDirName.empty()) Halt(0);

  const std::string theme = ProjectINI->ReadString("App", "Theme", "Windows");
  if (theme != "Windows") TStyleManager::TrySetStyle(theme, true);
  TStyleManager::RemoveMenuHook();

  const char delim = sys::PathDelim();
  std::error_code ec;
  AppDataDirPath = TSysUtils::GetLocalAppDataDirPath() + AppID + delim;
  std::filesystem::create_directories(ToFsPath(AppDataDirPath), ec);
  AppWin64DirPath = AppDataDirPath + names::RuntimeFolder();
  WebView2LoaderPath = AppWin64DirPath + names::LoaderFileName();
  std::filesystem::create_directories(ToFsPath(AppWin64DirPath), ec);
  ExtractNewFile(names::LoaderEntryName(), WebView2LoaderPath);

  SetBrowserEnvironment();

  if (!RuntimeInstallerOps().CheckEdgeIsInstalled(WebView2LoaderPath)) RunRuntimeFlow();
  if (!ProgramArgs.empty() && ProgramArgs[0] == AppID) return;

  const std::string password = ProjectINI->ReadString("App", "Password", "");
  if (!password.empty() && !UI().RequirePassword(AppName, password)) Halt(0);
}

void FinalizeExeZipLoader() {
  // The archive object (and any entry stream still read) holds its bytes.
  ExeZip.reset();
  ExeUtils.reset();
  ProjectINI.reset();
  AppID.clear();
  AppName.clear();
  AppDirName.clear();
  AppIndexHtml.clear();
  AppDataDirPath.clear();
  AppWin64DirPath.clear();
  ProgramArgs.clear();
  WebView2LoaderPath.clear();
}

}  // namespace zel

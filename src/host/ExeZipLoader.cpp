#include "host/ExeZipLoader.h"

#include <filesystem>

#include "core/Calculations.h"
#include "core/FileSystem.h"
#include "core/LocalizedMessages.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "host/EdgeLoader.h"
#include "host/Halt.h"
#include "host/LocalizedDialogs.h"
#include "host/StyleManager.h"
#include "ports/PlatformNames.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

namespace zel {

TExeUtils* ExeUtils = nullptr;
TAbZipKit* ExeZip = nullptr;
TMemIniFile* ProjectINI = nullptr;
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

// The archive bytes; the archive object reads them for the whole run.
std::string gArchiveBuffer;

// Extracts an archive entry into a new file. The file appears whole or not
// at all, so an interrupted start never leaves a truncated library that
// later starts would take as valid; an existing file is left alone.
void ExtractNewFile(const std::string& entry, const std::string& target) {
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

void DefaultRuntimeMissing() {
  ShowLocalizedError(lmRuntimeRequired);
  Halt(0);
}

}  // namespace

TStartupEnvironment TStartupEnvironment::Current() {
  return {sys::GetExecutablePath(), sys::GetCommandLineArgs()};
}

TStartupHooks& StartupHooks() {
  static TStartupHooks hooks;
  return hooks;
}

void LoadProjectINI() {
  std::string bytes;
  ExeZip->ExtractToStream("zel.ini", bytes);
  ProjectINI->SetStrings(SplitLines(DecodeConfigText(bytes, sys::DecodeAnsi)));
}

bool IsSecondWindowLaunch() {
  return ProgramArgs.size() == 2 && ProgramArgs[0] == AppID;
}

void LoadExeZip(const TStartupEnvironment& Env) {
  FinalizeExeZipLoader();
  ProgramArgs = Env.Args;
  ExeUtils = new TExeUtils(Env.ExePath);
  ExeZip = new TAbZipKit();
  ProjectINI = new TMemIniFile();

  if (!ExeUtils->ExeHasAttachedStub()) {
    ShowLocalizedError(lmNotAValidApplication);
    Halt(0);
  }
  ExeZip->SetPassword(CalculateWidth(kPasswordText, kPasswordKey));
  ExeUtils->GetZipFromExe(gArchiveBuffer);
  ExeZip->Open(std::as_bytes(std::span(gArchiveBuffer)));
  LoadProjectINI();

  AppID = ProjectINI->ReadString("App", "ID", "");
  AppName = ProjectINI->ReadString("App", "Name", "");
  AppDirName = ProjectINI->ReadString("App", "DirName", "");
  AppIndexHtml = ProjectINI->ReadString("App", "IndexHtml", "index.html");
  if (AppID.empty() || AppName.empty() || AppDirName.empty()) Halt(0);

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

  if (!CheckEdgeIsInstalled(WebView2LoaderPath)) {
    if (StartupHooks().RuntimeMissing)
      StartupHooks().RuntimeMissing();
    else
      DefaultRuntimeMissing();
  }
  if (!ProgramArgs.empty() && ProgramArgs[0] == AppID) return;

  const std::string password = ProjectINI->ReadString("App", "Password", "");
  if (!password.empty() && StartupHooks().RequirePassword &&
      !StartupHooks().RequirePassword(AppName, password))
    Halt(0);
}

void FinalizeExeZipLoader() {
  delete ExeZip;
  ExeZip = nullptr;
  delete ExeUtils;
  ExeUtils = nullptr;
  delete ProjectINI;
  ProjectINI = nullptr;
  gArchiveBuffer.clear();
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

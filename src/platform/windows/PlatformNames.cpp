#include "ports/PlatformNames.h"

namespace zel::names {

std::string RuntimeFolder() {
  return "Win64\\";
}

std::string LoaderEntryName() {
  return "WebView2LoaderWin64.dll";
}

std::string LoaderFileName() {
  return "WebView2LoaderWin64.dll";
}

std::string InstallerEntryName() {
  return "WebView2Installer.exe";
}

}  // namespace zel::names

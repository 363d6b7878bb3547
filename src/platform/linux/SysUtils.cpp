// TSysUtils on Linux: XDG folders and folder deletion (the shell's part is
// in ShellUtils.cpp).
#include "ports/SysUtils.h"

#include <filesystem>
#include <fstream>

#include "core/Paths.h"
#include "core/Text.h"
#include "ports/System.h"

namespace zel {
namespace {

std::string HomeDir() {
  std::string home = sys::GetEnv("HOME");
  return home.empty() ? "/" : home;
}

// $VAR when it names an absolute folder, else the fallback below $HOME.
std::string XdgBaseDir(const char* var, const char* fallback) {
  const std::string value = sys::GetEnv(var);
  if (!value.empty() && value.front() == '/') return value;
  return IncludeTrailingPathDelimiter(HomeDir(), '/') + fallback;
}

// Reads XDG_<KEY>_DIR from user-dirs.dirs, as xdg-user-dir does.
std::string XdgUserDir(const std::string& key, const std::string& fallback) {
  std::ifstream in(XdgBaseDir("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
  const std::string prefix = "XDG_" + key + "_DIR=";
  for (std::string line; std::getline(in, line);) {
    std::string_view l = Trim(line);
    if (!l.starts_with(prefix)) continue;
    l.remove_prefix(prefix.size());
    if (l.size() >= 2 && l.front() == '"' && l.back() == '"') l = l.substr(1, l.size() - 2);
    std::string value(l);
    if (value.starts_with("$HOME")) value = HomeDir() + value.substr(5);
    if (!value.empty() && value.front() == '/') return value;
  }
  return fallback;
}

}  // namespace

std::string TSysUtils::GetLocalAppDataDirPath() {
  return IncludeTrailingPathDelimiter(XdgBaseDir("XDG_DATA_HOME", ".local/share"), '/');
}

bool TSysUtils::DeleteDirectory(const std::string& DirPath) {
  // A link is never followed: not as DirPath (symlink_status), nor inside
  // the tree, where remove_all removes links themselves.
  std::error_code ec;
  const std::filesystem::path path = ToFsPath(DirPath);
  if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, ec))) return false;
  std::filesystem::remove_all(path, ec);
  return !ec;
}

std::string TSysUtils::GetTempDirPath() {
  std::string tmp = sys::GetEnv("TMPDIR");
  if (tmp.empty()) tmp = "/tmp";
  return IncludeTrailingPathDelimiter(tmp, '/');
}

std::string TSysUtils::GetUserDesktopDirPath() {
  return IncludeTrailingPathDelimiter(XdgUserDir("DESKTOP", HomeDir() + "/Desktop"), '/');
}

std::string TSysUtils::GetUserDocumentsDirPath() {
  return IncludeTrailingPathDelimiter(XdgUserDir("DOCUMENTS", HomeDir()), '/');
}

std::string TSysUtils::GetUserAppDataDirPath() {
  return IncludeTrailingPathDelimiter(XdgBaseDir("XDG_CONFIG_HOME", ".config"), '/');
}

}  // namespace zel

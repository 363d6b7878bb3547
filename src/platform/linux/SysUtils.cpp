// TSysUtils on Linux: XDG folders and folder deletion (the shell's part is
// in ShellUtils.cpp).
#include "ports/SysUtils.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "core/Paths.h"
#include "core/Text.h"
#include "platform/linux/Platform.h"
#include "ports/System.h"
#include "ports/WebView2.h"

namespace zel {

namespace gtk {

std::string HomeDir() {
  std::string home = sys::GetEnv("HOME");
  if (!home.empty()) return home;
  const passwd* pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "/";
}

std::string XdgBaseDir(const char* var, const char* fallback) {
  const std::string value = sys::GetEnv(var);
  if (!value.empty() && value.front() == '/') return value;
  return IncludeTrailingPathDelimiter(HomeDir(), '/') + fallback;
}

}  // namespace gtk

namespace {

using gtk::HomeDir;
using gtk::XdgBaseDir;

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

// Loads the library (kept mapped: a WebKitGTK-linked library does not unload
// cleanly) and asks it for the available runtime's version.
bool QueryRuntimeVersion(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) return false;
  const auto getVersion = reinterpret_cast<TGetAvailableCoreWebView2BrowserVersionString>(
      dlsym(handle, "GetAvailableCoreWebView2BrowserVersionString"));
  bool installed = false;
  if (getVersion) {
    LPWSTR version = nullptr;
    getVersion(nullptr, &version);
    installed = version && *version;
    if (version) CoTaskMemFree(version);
  }
  dlclose(handle);
  return installed;
}

// The dynamic linker hands back a library it loaded before under the same
// name, even when the file was replaced since (as an installer may do), so
// a second question goes to a private copy of the current file.
bool QueryRuntimeVersionOfCopy(const std::string& path) {
  std::string temp = ExtractFilePath(path) + ".zel-check-XXXXXX";
  const int out = mkostemp(temp.data(), O_CLOEXEC);
  if (out < 0) return false;
  const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  bool copied = in >= 0;
  char buf[65536];
  for (ssize_t n; copied && (n = read(in, buf, sizeof buf)) != 0;)
    copied = n > 0 && write(out, buf, static_cast<size_t>(n)) == n;
  if (in >= 0) close(in);
  copied = close(out) == 0 && copied;
  const bool installed = copied && QueryRuntimeVersion(temp);
  unlink(temp.c_str());
  return installed;
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

bool TSysUtils::CheckEdgeIsInstalled(const std::string& EdgeLoaderDllPath) {
  struct stat st {};
  if (stat(EdgeLoaderDllPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (void* loaded = dlopen(EdgeLoaderDllPath.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
    dlclose(loaded);
    return QueryRuntimeVersionOfCopy(EdgeLoaderDllPath);
  }
  return QueryRuntimeVersion(EdgeLoaderDllPath);
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

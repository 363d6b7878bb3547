// TSysUtils on Windows: the shell's folders, program start and folder deletion.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "core/Paths.h"
#include "platform/windows/WinStr.h"
#include "ports/SysUtils.h"

namespace zel {
namespace {

using win::Narrow;
using win::Widen;

// The current path of a shell folder; empty when the shell has none.
std::string GetSpecialFolderPath(int csidl) {
  wchar_t buf[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf))) return {};
  return Narrow(buf);
}

// A failed lookup gives a single backslash, never an empty text.
std::string WithDelimiter(const std::string& path) {
  return IncludeTrailingPathDelimiter(path, '\\');
}

}  // namespace

std::string TSysUtils::GetLocalAppDataDirPath() {
  return WithDelimiter(GetSpecialFolderPath(CSIDL_LOCAL_APPDATA));
}

bool TSysUtils::ShellExec(const std::string& FilePath, const std::string& Arguments) {
  const HINSTANCE result = ShellExecuteW(GetActiveWindow(), L"open", Widen(FilePath).c_str(),
                                         Widen(Arguments).c_str(), nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool TSysUtils::DeleteDirectory(const std::string& DirPath) {
  // The source is a list of paths, each NUL-terminated, closed by one more NUL.
  std::wstring from = Widen(DirPath);
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  return SHFileOperationW(&op) == 0;
}

std::string TSysUtils::GetTempDirPath() {
  wchar_t shortPath[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, shortPath);
  std::wstring path;
  if (n > 0 && n <= MAX_PATH) {
    // The variable may hold an 8.3 name (C:\Users\ADMINI~1\...).
    path = win::ReadGrowing([&](wchar_t* buf, size_t size) -> size_t {
      return GetLongPathNameW(shortPath, buf, static_cast<DWORD>(size));
    });
    if (path.empty()) path = shortPath;
  }
  return WithDelimiter(Narrow(path));
}

std::string TSysUtils::GetUserDesktopDirPath() {
  return WithDelimiter(GetSpecialFolderPath(CSIDL_DESKTOP));
}

std::string TSysUtils::GetUserDocumentsDirPath() {
  return WithDelimiter(GetSpecialFolderPath(CSIDL_PERSONAL));
}

std::string TSysUtils::GetUserAppDataDirPath() {
  return WithDelimiter(GetSpecialFolderPath(CSIDL_APPDATA));
}

}  // namespace zel

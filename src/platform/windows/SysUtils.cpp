// TSysUtils on Windows: the shell's folders, program start and folder deletion.
#include <windows.h>

#include <objbase.h>
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

// The Win32 error for a ShellExecuteW result of 32 or less, when the call
// left no last error of its own.
DWORD ShellResultError(INT_PTR result) {
  switch (result) {
    case 0:
    case SE_ERR_OOM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_FNF:
      return ERROR_FILE_NOT_FOUND;
    case SE_ERR_PNF:
      return ERROR_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED:
      return ERROR_ACCESS_DENIED;
    case SE_ERR_SHARE:
      return ERROR_SHARING_VIOLATION;
    case SE_ERR_DLLNOTFOUND:
      return ERROR_DLL_NOT_FOUND;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
      return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
      return ERROR_DDE_FAIL;
    default:
      return ERROR_BAD_FORMAT;
  }
}

// ShellExecuteW "open", shown normally, owned by the active window. On
// failure the thread's last error holds the reason, never "success".
bool OpenWithShell(const std::wstring& File, const std::wstring& Parameters) {
  SetLastError(ERROR_SUCCESS);
  const INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteW(
      GetActiveWindow(), L"open", File.c_str(), Parameters.c_str(), nullptr, SW_SHOWNORMAL));
  // Read at once: later calls may reset it.
  const DWORD error = GetLastError();
  if (result > 32) return true;
  SetLastError(error != ERROR_SUCCESS ? error : ShellResultError(result));
  return false;
}

}  // namespace

std::string TSysUtils::GetLocalAppDataDirPath() {
  return WithDelimiter(GetSpecialFolderPath(CSIDL_LOCAL_APPDATA));
}

bool TSysUtils::ShellExec(const std::string& FilePath, const std::string& Arguments) {
  return OpenWithShell(Widen(FilePath), Widen(Arguments));
}

bool TSysUtils::ShellExplore(const std::string& FilePath) {
  return OpenWithShell(L"explorer.exe", L"/select, \"" + Widen(FilePath) + L"\"");
}

int TSysUtils::ShellExecAsAdminAndWait(const std::string& FilePath, const std::string& Params) {
  const std::wstring file = Widen(FilePath);
  const std::wstring params = Widen(Params);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.hwnd = GetActiveWindow();
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = params.empty() ? nullptr : params.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExW(&info) || !info.hProcess) return 0;
  // Waits on the handle itself (an exit code of 259 is a real exit code,
  // not "still running") while the windows keep handling their messages.
  bool quit = false;
  int quitCode = 0;
  while (!quit) {
    const DWORD r = MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, INFINITE, QS_ALLINPUT);
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(msg.wParam);
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  DWORD code = 0;
  if (!quit) GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  // The message loop that follows must see the request to end as well.
  if (quit) PostQuitMessage(quitCode);
  return static_cast<int>(code);
}

bool TSysUtils::CheckEdgeIsInstalled(const std::string& EdgeLoaderDllPath) {
  const std::wstring path = Widen(EdgeLoaderDllPath);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  HMODULE library = LoadLibraryW(path.c_str());
  if (!library) return false;
  using TGetVersion = HRESULT(WINAPI*)(LPCWSTR, LPWSTR*);
  const auto getVersion = reinterpret_cast<TGetVersion>(reinterpret_cast<void*>(
      GetProcAddress(library, "GetAvailableCoreWebView2BrowserVersionString")));
  bool installed = false;
  if (getVersion) {
    LPWSTR version = nullptr;
    getVersion(nullptr, &version);
    installed = version && *version;
    if (version) CoTaskMemFree(version);
  }
  FreeLibrary(library);
  return installed;
}

bool TSysUtils::DeleteDirectory(const std::string& DirPath) {
  // The shell expands wildcards in its source list, and no folder name
  // holds them: such a path would delete every match.
  if (DirPath.find_first_of("*?") != std::string::npos) return false;
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

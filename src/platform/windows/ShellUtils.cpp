// TSysUtils on Windows, the shell's part: commands through cmd.exe and the
// titles of the desktop's windows.
#include <windows.h>

#include "com/Utf.h"
#include "core/Text.h"
#include "platform/windows/WinHandle.h"
#include "platform/windows/WinStr.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

namespace zel {
namespace {

using win::Narrow;
using win::Widen;

// The system's own interpreter, never one that the search path would find
// first in the current or the executable's folder.
std::wstring SystemCmdPath() {
  const std::wstring dir = win::ReadGrowing(
      [](wchar_t* buf, size_t size) -> size_t {
        return GetSystemDirectoryW(buf, static_cast<UINT>(size));
      },
      MAX_PATH);
  return dir.empty() ? L"cmd.exe" : dir + L"\\cmd.exe";
}

std::string ReadAll(HANDLE Pipe) {
  std::string bytes;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(Pipe, buf, sizeof buf, &n, nullptr) && n > 0) bytes.append(buf, n);
  return bytes;
}

BOOL CALLBACK AddWindowTitle(HWND Window, LPARAM List) {
  const int length = GetWindowTextLengthW(Window);
  if (length <= 0) return TRUE;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(Window, text.data(), length + 1)));
  std::string title = Narrow(text);
  if (!IsBlank(title)) reinterpret_cast<std::vector<std::string>*>(List)->push_back(title);
  return TRUE;
}

}  // namespace

std::string TSysUtils::GetDosOutput(const std::string& CommandLine, const std::string& WorkingDir,
                                    bool ShowWindow) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
  win::THandle reader(readEnd), writer(writeEnd);
  // Only the write end goes to the child: a child holding the read end too
  // would keep the pipe open after the command ends.
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = ShowWindow ? SW_SHOWNORMAL : SW_HIDE;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  const std::wstring application = SystemCmdPath();
  std::wstring commandLine = L"cmd.exe /C " + Widen(CommandLine);
  const std::wstring folder = Widen(WorkingDir);
  PROCESS_INFORMATION process{};
  const bool started =
      CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  writer.reset();
  if (!started) return {};
  win::THandle processHandle(process.hProcess), thread(process.hThread);
  // All bytes first, decoded once: a double-byte character split between
  // reads stays whole, and nothing after a NUL is lost.
  const std::string bytes = ReadAll(readEnd);
  WaitForSingleObject(process.hProcess, INFINITE);
  return SanitizeUtf8(sys::DecodeAnsi(bytes));
}

void TSysUtils::GetWindowsCaptions(std::vector<std::string>& List) {
  std::vector<std::string> titles;
  EnumWindows(&AddWindowTitle, reinterpret_cast<LPARAM>(&titles));
  List = std::move(titles);
}

}  // namespace zel

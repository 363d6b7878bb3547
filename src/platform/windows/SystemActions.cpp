// TSysUtils on Windows: the network adapters' hardware addresses and
// log-off, restart and shutdown.
#include <windows.h>
#include <winsock2.h>

#include <iphlpapi.h>

#include <vector>

#include "core/SystemText.h"
#include "platform/windows/SystemActions.h"
#include "platform/windows/WinStr.h"
#include "ports/SysUtils.h"

namespace zel {

namespace win {

TExitWindowsApi& ExitWindowsApi() {
  static TExitWindowsApi api = {&::OpenProcessToken, &::LookupPrivilegeValueW,
                                &::AdjustTokenPrivileges, &::ExitWindowsEx};
  return api;
}

std::string SystemErrorMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = n && text ? Narrow(std::wstring(text, n)) : std::string();
  if (text) LocalFree(text);
  return message;
}

}  // namespace win

std::vector<std::string> TSysUtils::GetMacAddresses() {
  std::vector<std::string> list;
  // The size first: a buffer guessed from the interface count may be too
  // small, and then nothing at all is filled in.
  ULONG size = 0;
  DWORD result = GetAdaptersInfo(nullptr, &size);
  std::vector<unsigned char> buffer;
  for (int attempt = 0; result == ERROR_BUFFER_OVERFLOW && attempt < 3; ++attempt) {
    buffer.assign(size, 0);
    result = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
  }
  // ERROR_NO_DATA: no adapters, the empty list.
  if (result != NO_ERROR || buffer.empty()) return list;
  for (const auto* a = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
    if (auto entry =
            MacAddressEntry(MacAddressPrefix(a->Type), std::span(a->Address, sizeof a->Address)))
      list.push_back(std::move(*entry));
  }
  return list;
}

bool(TSysUtils::ExitWindows)(unsigned RebootParam, std::string& SystemMessage) {
  const win::TExitWindowsApi& api = win::ExitWindowsApi();
  HANDLE token = nullptr;
  if (api.OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges{};
    if (api.LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege",
                                  &privileges.Privileges[0].Luid)) {
      privileges.PrivilegeCount = 1;
      privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      api.AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
  }
  if (api.ExitWindowsEx(RebootParam, 0)) return true;
  SystemMessage = win::SystemErrorMessage(GetLastError());
  return false;
}

}  // namespace zel

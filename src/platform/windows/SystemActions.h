// The calls behind TSysUtils::ExitWindows, replaceable by tests: a real
// ExitWindowsEx would end every process of the session (under Wine: every
// process of the prefix, the test runner included).
#pragma once

#include <windows.h>

#include <string>

namespace zel::win {

struct TExitWindowsApi {
  BOOL(WINAPI* OpenProcessToken)(HANDLE, DWORD, PHANDLE);
  BOOL(WINAPI* LookupPrivilegeValueW)(LPCWSTR, LPCWSTR, PLUID);
  BOOL(WINAPI* AdjustTokenPrivileges)
  (HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);
  BOOL(WINAPI* ExitWindowsEx)(UINT, DWORD);
};

// The table in use; the system's functions unless a test replaced them.
TExitWindowsApi& ExitWindowsApi();

// The system's message for an error code, untrimmed; empty when none.
std::string SystemErrorMessage(DWORD code);

}  // namespace zel::win

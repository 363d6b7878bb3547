// Helpers shared by the Windows platform tests.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "core/Paths.h"
#include "ports/SysUtils.h"

namespace zel::wintest {

// A fresh folder below the temporary folder, deleted with the object.
class TTempDir {
 public:
  TTempDir() {
    static int counter = 0;
    FPath =
        ToFsPath(TSysUtils::GetTempDirPath()) /
        ("zel-wintest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(FPath);
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  const std::filesystem::path& Path() const { return FPath; }
  std::string Utf8() const { return FromFsPath(FPath); }

 private:
  std::filesystem::path FPath;
};

// Waits up to timeoutMs for cond() to become true, sleeping between looks.
template <class TCond>
bool WaitUntil(TCond cond, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!cond()) {
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
  return true;
}

// Runs queued messages of this thread until none is left.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace zel::wintest

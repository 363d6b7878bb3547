// The atomic writer's temporary files on Windows. A file that a writer has
// open cannot be deleted (the runtime library opens files without
// FILE_SHARE_DELETE), so a temporary file that deletes is one that an
// interrupted write left behind. No handle is held beyond the writer's own:
// one would also stop the final rename. Between closing its file and
// renaming it a writer is unprotected; a second host clearing leftovers at
// that instant makes the write fail, reported, with the target unchanged.
#include <windows.h>

#include <cerrno>

#include "core/FileSystem.h"
#include "platform/windows/TempFileGuard.h"
#include "platform/windows/WinStr.h"

namespace zel::win {

namespace {

std::shared_ptr<void> CreateHeld(const std::string& path) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    errno = GetLastError() == ERROR_FILE_EXISTS ? EEXIST : EACCES;
    return nullptr;
  }
  CloseHandle(file);
  return std::make_shared<int>(0);
}

bool RemoveAbandoned(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  return DeleteFileW(wide.c_str()) != 0;
}

}  // namespace

void InstallTempFileGuard() {
  SetTempFileGuard({.CreateHeld = &CreateHeld, .RemoveAbandoned = &RemoveAbandoned});
}

}  // namespace zel::win

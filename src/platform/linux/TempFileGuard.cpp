// The atomic writer's temporary files on Linux: a writer holds an exclusive
// flock on its file for as long as it writes it. A lock is released when
// its holder ends, even by SIGKILL, so an unlocked temporary file is one
// that an interrupted write left behind. flock locks belong to an open file
// description, so they also keep apart two writers in the same process.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/FileSystem.h"
#include "platform/linux/Platform.h"

namespace zel::gtk {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the file open as `fd` is still the one named `path`.
bool StillNamed(int fd, const std::string& path) {
  struct stat held {
  }, named{};
  return fstat(fd, &held) == 0 && held.st_nlink > 0 && lstat(path.c_str(), &named) == 0 &&
         SameFile(held, named);
}

std::shared_ptr<void> CreateHeld(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  // Between creating and locking, another writer may have taken the new
  // file for a leftover and removed it; it removes only under the lock, so
  // once locked the file is still there or was already gone.
  if (flock(fd, LOCK_EX) != 0 || !StillNamed(fd, path)) {
    close(fd);
    errno = EEXIST;  // the name was lost: the caller tries another one
    return nullptr;
  }
  return std::shared_ptr<void>(new int(fd), [](void* p) {
    close(*static_cast<int*>(p));
    delete static_cast<int*>(p);
  });
}

bool RemoveAbandoned(const std::string& path) {
  // No links followed, no device or pipe opened for long.
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const bool ours = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
  // Removed while locked, so a writer that locks it afterwards sees it gone.
  const bool removed = ours && flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, path) &&
                       unlink(path.c_str()) == 0;
  close(fd);
  return removed;
}

}  // namespace

TTempFileGuard TempFileGuard() {
  return {.CreateHeld = &CreateHeld, .RemoveAbandoned = &RemoveAbandoned};
}

void InstallTempFileGuard() {
  SetTempFileGuard(TempFileGuard());
}

}  // namespace zel::gtk

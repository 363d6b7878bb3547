// A file the user may not write is kept by the atomic writer, although the
// folder would let it be replaced. The tests run as root in the CI, so the
// check runs in a child that has given up root.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "TestFiles.h"
#include "core/FileSystem.h"

using namespace zel;
using namespace zel::test;

namespace {

// Runs `body` without root (as "nobody" in a child process) and returns its
// result: 0 for success.
int RunUnprivileged(const std::function<int()>& body) {
  if (geteuid() != 0) return body();
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST(ReadOnlyFileTest, AtomicWriterKeepsAFileTheUserMayNotWrite) {
  TTempDir dir;
  const std::filesystem::path folder = dir.Path() / "shared";
  std::filesystem::create_directories(folder);
  chmod(folder.c_str(), 0777);
  chmod(dir.Path().c_str(), 0755);
  const std::string file = (folder / "locked.txt").string();
  const std::string free = (folder / "free.txt").string();
  const int result = RunUnprivileged([&] {
    WriteText(file, "old");
    WriteText(free, "old");
    chmod(file.c_str(), 0444);
    const std::string error = WriteFileAtomically(file, "new");
    if (error.empty() || error.find("locked.txt") == std::string::npos) return 1;
    if (ReadText(file) != "old") return 2;
    if (!WriteFileAtomically(free, "new").empty() || ReadText(free) != "new") return 3;
    // Nothing is left beside the kept file.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++entries;
    return entries == 2 ? 0 : 4;
  });
  EXPECT_EQ(result, 0);
}

}  // namespace

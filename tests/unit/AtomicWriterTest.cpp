// The atomic writer's temporary files on Linux: what interrupted writes
// left is removed by the next write of the same file, and nothing else is:
// not other names, not links, not folders, not other users' files, and never
// a file that a writer (in this process or another) is still filling.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <thread>

#include "TestFiles.h"
#include "core/FileSystem.h"
#include "platform/linux/Platform.h"

using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;

namespace {

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

class AtomicWriterTest : public testing::Test {
 protected:
  void SetUp() override { gtk::InstallTempFileGuard(); }
  void TearDown() override { SetTempFileGuard({}); }
  TTempDir FDir;
};

TEST(TempNameTest, OnlyTheWritersOwnNamesForTheTarget) {
  const struct {
    const char* name;
    bool matches;
  } cases[] = {
      {"a.txt.zel-1", true},   {"a.txt.zel-4294967295", true},
      {"a.txt.zel-", false},   {"a.txt.zel-12x", false},
      {"a.txt.zel--1", false}, {"a.txt.zel-12345678901", false},
      {"b.txt.zel-1", false},  {"xa.txt.zel-1", false},
      {"a.txt.ZEL-1", false},  {"a.txt.zel-1.zel-2", false},
      {"a.txt", false},        {"a.txt.zel-1 ", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsTempNameOf(c.name, "a.txt"), c.matches) << c.name;
  EXPECT_FALSE(IsTempNameOf(".zel-1", ""));
}

TEST_F(AtomicWriterTest, NextWriteRemovesLeftoversOfTheSameFileOnly) {
  const fs::path dir = FDir.Path();
  WriteText(dir / "a.txt.zel-11", "left by a killed write");
  WriteText(dir / "a.txt.zel-22", "another");
  WriteText(dir / "b.txt.zel-33", "another file's");
  WriteText(dir / "a.txt.zel-4x", "not our pattern");
  WriteText(dir / "victim", "kept");
  fs::create_symlink(dir / "victim", dir / "a.txt.zel-55");
  fs::create_directory(dir / "a.txt.zel-66");
  ASSERT_EQ(WriteFileAtomically((dir / "a.txt").string(), "new"), "");
  EXPECT_EQ(ReadText(dir / "a.txt"), "new");
  EXPECT_EQ(Names(dir), (std::set<std::string>{"a.txt", "a.txt.zel-4x", "a.txt.zel-55",
                                               "a.txt.zel-66", "b.txt.zel-33", "victim"}));
  EXPECT_EQ(ReadText(dir / "victim"), "kept");
}

TEST_F(AtomicWriterTest, KeepsOtherUsersFiles) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a file away";
  const fs::path other = FDir.Path() / "a.txt.zel-7";
  WriteText(other, "someone else's");
  ASSERT_EQ(chown(other.c_str(), 65534, 65534), 0);
  ASSERT_EQ(WriteFileAtomically((FDir.Path() / "a.txt").string(), "new"), "");
  EXPECT_TRUE(fs::exists(other));
}

TEST_F(AtomicWriterTest, KeepsFilesHeldByAWriterHereOrInAnotherProcess) {
  const std::string target = (FDir.Path() / "a.txt").string();
  const TTempFileGuard guard = gtk::TempFileGuard();
  // A second writer in this process, filling its file.
  const std::shared_ptr<void> own = guard.CreateHeld(target + ".zel-1");
  ASSERT_TRUE(own);
  EXPECT_FALSE(guard.CreateHeld(target + ".zel-1")) << "a taken name is refused";
  // Another host, filling its file until it is killed.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    const std::shared_ptr<void> hold = guard.CreateHeld(target + ".zel-2");
    if (write(ready[1], hold ? "y" : "n", 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char answer = 0;
  ASSERT_EQ(read(ready[0], &answer, 1), 1);
  close(ready[0]);
  close(ready[1]);
  ASSERT_EQ(answer, 'y');
  ASSERT_EQ(WriteFileAtomically(target, "new"), "");
  EXPECT_EQ(Names(FDir.Path()), (std::set<std::string>{"a.txt", "a.txt.zel-1", "a.txt.zel-2"}));
  // Killed, the other host leaves its file; the next write clears it.
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_EQ(WriteFileAtomically(target, "newer"), "");
  EXPECT_EQ(Names(FDir.Path()), (std::set<std::string>{"a.txt", "a.txt.zel-1"}));
}

TEST_F(AtomicWriterTest, ConcurrentWritersNeverTakeEachOthersFiles) {
  // Two processes with two threads each write one file as fast as they can;
  // a writer whose file another removed would fail to rename it.
  const std::string target = (FDir.Path() / "a.txt").string();
  auto writeMany = [&](char mark) {
    int failures = 0;
    for (int i = 0; i < 300; ++i)
      failures += !WriteFileAtomically(target, std::string(4096, mark)).empty();
    return failures;
  };
  auto twoThreads = [&](char a, char b) {
    int first = 0;
    std::thread other([&] { first = writeMany(a); });
    const int second = writeMany(b);
    other.join();
    return first + second;
  };
  const pid_t child = fork();
  if (child == 0) _exit(twoThreads('c', 'd') == 0 ? 0 : 1);
  EXPECT_EQ(twoThreads('a', 'b'), 0);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Names(FDir.Path()), (std::set<std::string>{"a.txt"}));
  const std::string content = ReadText(target);
  ASSERT_EQ(content.size(), 4096u);
  EXPECT_EQ(content, std::string(4096, content[0]));
}

}  // namespace

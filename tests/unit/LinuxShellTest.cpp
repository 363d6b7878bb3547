// The Linux shell helpers that need no display: commands through /bin/sh,
// program start, the last-error text and folder deletion.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TestFiles.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;

TEST(LinuxShell, CommandOutput) {
  EXPECT_EQ(TSysUtils::GetDosOutput("echo hello", "", false), "hello\n");
  EXPECT_EQ(TSysUtils::GetDosOutput("printf '\"q\"\\n'", "", false), "\"q\"\n");
  // Standard error in the same pipe, in the order written.
  EXPECT_EQ(TSysUtils::GetDosOutput("echo a; echo b >&2; echo c", "", false), "a\nb\nc\n");
  EXPECT_NE(TSysUtils::GetDosOutput("nosuchcommand_zel", "", false).find("not found"),
            std::string::npos);
  // Input is empty: a command that reads does not wait for a terminal.
  EXPECT_EQ(TSysUtils::GetDosOutput("cat; echo done", "", false), "done\n");
  // Bytes after a NUL survive; a character split between reads stays whole;
  // invalid bytes become U+FFFD.
  EXPECT_EQ(TSysUtils::GetDosOutput("printf 'a\\000b\\377'", "", false),
            std::string("a") + '\0' + "b\xef\xbf\xbd");
  const std::string big = TSysUtils::GetDosOutput(
      "i=0; while [ $i -lt 30000 ]; do printf '\\344\\270\\255'; i=$((i+1)); done", "", false);
  EXPECT_EQ(big.size(), 90000u);
  EXPECT_EQ(big.find("\xef\xbf\xbd"), std::string::npos);
}

TEST(LinuxShell, CommandWorkingDir) {
  TTempDir dir;
  EXPECT_EQ(TSysUtils::GetDosOutput("pwd", dir.Str(), false),
            fs::canonical(dir.Path()).string() + "\n");
  // The folder is the child's working directory, never part of the command.
  const std::string marker = dir.Str() + "/pwned";
  EXPECT_EQ(TSysUtils::GetDosOutput("echo x", dir.Str() + "; touch " + marker, false), "");
  EXPECT_FALSE(fs::exists(marker));
}

TEST(LinuxShell, ShellExecRunsProgramsWithoutAShell) {
  TTempDir dir;
  const std::string marker = dir.Str() + "/made";
  // The arguments are split into argv; ";" is an ordinary character.
  ASSERT_TRUE(TSysUtils::ShellExec("touch", "\"" + marker + " x\" " + marker + ";y"));
  for (int i = 0; i < 200 && !fs::exists(marker + ";y"); ++i) usleep(10000);
  EXPECT_TRUE(fs::exists(marker + " x"));
  EXPECT_TRUE(fs::exists(marker + ";y"));

  EXPECT_FALSE(TSysUtils::ShellExec("/bin/true; touch " + marker, ""));
  EXPECT_FALSE(sys::LastSystemErrorMessage().empty());
  EXPECT_FALSE(TSysUtils::ShellExec(dir.Str() + "/missing.txt", ""));
  const std::string message = sys::LastSystemErrorMessage();
  EXPECT_FALSE(message.empty());
  EXPECT_NE(message.back(), '.');
  usleep(100000);
  EXPECT_FALSE(fs::exists(marker));
}

TEST(LinuxShell, SystemErrorMessageIsTrimmed) {
  EXPECT_EQ(sys::SystemErrorMessage(ENOENT), "No such file or directory");
}

TEST(LinuxShell, DeleteDirectoryNeverFollowsLinks) {
  TTempDir outside, dir;
  std::ofstream(outside.Str() + "/keep.txt") << "x";
  const fs::path tree = dir.Path() / "tree";
  fs::create_directories(tree / "sub");
  std::ofstream((tree / "sub" / "f.txt").string()) << "x";
  fs::create_directory_symlink(outside.Path(), tree / "sub" / "link");
  fs::create_directory_symlink(outside.Path(), dir.Path() / "toplink");

  EXPECT_FALSE(TSysUtils::DeleteDirectory((dir.Path() / "toplink").string()));
  EXPECT_TRUE(fs::exists(outside.Path() / "keep.txt"));
  EXPECT_TRUE(TSysUtils::DeleteDirectory(tree.string()));
  EXPECT_FALSE(fs::exists(tree));
  EXPECT_TRUE(fs::exists(outside.Path() / "keep.txt"));
  EXPECT_FALSE(TSysUtils::DeleteDirectory(tree.string()));
}

// The single-instance lock on Linux when the user has no runtime folder: the
// lock lives in a folder of the user's own below the temporary folder, and a
// folder someone else could have prepared is not trusted.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "TestFiles.h"
#include "ports/System.h"

using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;

namespace {

// Sets an environment variable (or removes it) for the life of the object.
class TEnvOverride {
 public:
  TEnvOverride(const char* name, const std::optional<std::string>& value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~TEnvOverride() {
    if (FOld)
      setenv(FName, FOld->c_str(), 1);
    else
      unsetenv(FName);
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

class InstanceLockTest : public ::testing::Test {
 protected:
  TTempDir Dir;
  TEnvOverride NoRuntimeDir{"XDG_RUNTIME_DIR", std::nullopt};
  TEnvOverride Tmp{"TMPDIR", Dir.Str()};
  fs::path LockDir = Dir.Path() / ("zel-" + std::to_string(getuid()));

  // A name no other test uses, claimed once.
  sys::TInstanceClaim Claim(const std::string& name) {
    return sys::ClaimInstanceName(name + "-" + std::to_string(getpid()) + "-" + Dir.Str());
  }
};

TEST_F(InstanceLockTest, OwnFolderIsCreatedPrivateAndHoldsTheLock) {
  EXPECT_EQ(Claim("a"), sys::TInstanceClaim::Created);
  struct stat st {};
  ASSERT_EQ(lstat(LockDir.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(Claim("a"), sys::TInstanceClaim::AlreadyExists);
  EXPECT_EQ(Claim("b"), sys::TInstanceClaim::Created);
}

// Whatever another user could have planted, the application starts: a held
// lock in an untrusted folder must never make it quit.
TEST_F(InstanceLockTest, UntrustedFoldersAreNotUsed) {
  const fs::path elsewhere = Dir.Path() / "elsewhere";
  fs::create_directories(elsewhere);
  chmod(elsewhere.c_str(), 0700);
  struct Case {
    const char* what;
    void (*prepare)(const fs::path& lockDir, const fs::path& elsewhere);
  } cases[] = {
      {"writable by all",
       [](const fs::path& d, const fs::path&) {
         fs::create_directory(d);
         chmod(d.c_str(), 0777);
       }},
      {"writable by the group",
       [](const fs::path& d, const fs::path&) {
         fs::create_directory(d);
         chmod(d.c_str(), 0770);
       }},
      {"a link", [](const fs::path& d, const fs::path& e) { fs::create_directory_symlink(e, d); }},
      {"a file", [](const fs::path& d, const fs::path&) { WriteText(d, ""); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::error_code ec;
    fs::remove_all(LockDir, ec);
    c.prepare(LockDir, elsewhere);
    const std::string name = std::string("untrusted ") + c.what;
    EXPECT_NE(Claim(name), sys::TInstanceClaim::AlreadyExists);
    EXPECT_NE(Claim(name), sys::TInstanceClaim::AlreadyExists);
  }
  if (getuid() == 0) {
    SCOPED_TRACE("owned by someone else");
    std::error_code ec;
    fs::remove_all(LockDir, ec);
    fs::create_directory(LockDir);
    chmod(LockDir.c_str(), 0700);
    ASSERT_EQ(chown(LockDir.c_str(), 12345, 12345), 0);
    EXPECT_NE(Claim("foreign"), sys::TInstanceClaim::AlreadyExists);
    EXPECT_NE(Claim("foreign"), sys::TInstanceClaim::AlreadyExists);
  }
}

}  // namespace

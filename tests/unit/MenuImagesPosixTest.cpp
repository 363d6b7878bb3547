// Menu image files on a POSIX file system: FIFOs and devices are never read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestFiles.h"
#include "host/bridge/BrowserExternalForm.h"

namespace zel::test {
namespace {

// ---- Image lookup ----------------------------------------------------------

TEST(MenuImages, ReadsRegularFilesOnlyAndCapsTheSize) {
  TTempDir dir;
  const std::string base = dir.Str() + "/";
  WriteText(dir.Path() / "beside.png", "beside");
  WriteText(dir.Path() / "big.png", std::string(kMaxMenuImageBytes + 1, 'x'));
  ASSERT_EQ(mkfifo((base + "pipe.png").c_str(), 0600), 0);
  EXPECT_EQ(ReadMenuImage(nullptr, base, "beside.png"), "beside");
  EXPECT_EQ(ReadMenuImage(nullptr, "/nowhere/", base + "beside.png"), "beside");
  EXPECT_EQ(ReadMenuImage(nullptr, base, "big.png"), "");
  EXPECT_EQ(ReadMenuImage(nullptr, base, "pipe.png"), "");
  EXPECT_EQ(ReadMenuImage(nullptr, base, "/dev/zero"), "");
  EXPECT_EQ(ReadMenuImage(nullptr, base, "missing.png"), "");
  EXPECT_EQ(ReadMenuImage(nullptr, base, base), "");  // a folder
}

}  // namespace
}  // namespace zel::test

#include <gtest/gtest.h>

#include "FakeUI.h"
#include "TestFiles.h"
#include "host/startup/ExeUtils.h"
#include "host/startup/Halt.h"

using namespace zel;
using namespace zel::test;

TEST(ExeUtilsTest, FindsTheAppendedArchive) {
  TTempDir dir;
  TFakeUI ui;
  const auto app = dir.Path() / "app";
  struct Case {
    const char* what;
    std::string tail;
    bool attached;
  } cases[] = {
      {"bare host", "", false},
      {"one empty entry", MakeArchive({{"empty", ""}}), true},
      {"any byte at all", "x", true},
  };
  for (const Case& c : cases) {
    MakeApp(app, c.tail);
    TExeUtils exe(app.string());
    EXPECT_EQ(exe.ExeHasAttachedStub(), c.attached) << c.what;
    if (!c.attached) continue;
    std::vector<std::int64_t> progress;
    exe.FOnProgressMax = [&](TExeUtils&, std::int64_t v) { progress.push_back(-v); };
    exe.FOnProgressPos = [&](TExeUtils&, std::int64_t v) { progress.push_back(v); };
    std::string copy = "old content";
    exe.GetZipFromExe(copy);
    EXPECT_EQ(copy, c.tail) << c.what;
    const auto size = static_cast<std::int64_t>(c.tail.size());
    EXPECT_EQ(progress, (std::vector<std::int64_t>{-size, size})) << c.what;
    // In place: the same bytes, readable after the object is gone.
    progress.clear();
    std::shared_ptr<const void> owner;
    std::span<const std::byte> mapped;
    {
      TExeUtils other(app.string());
      other.FOnProgressMax = exe.FOnProgressMax;
      other.FOnProgressPos = exe.FOnProgressPos;
      TExeUtils::TMappedZip zip = other.MapZipFromExe();
      owner = zip.Owner;
      mapped = zip.Bytes;
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped.data()), mapped.size()), c.tail)
        << c.what;
    EXPECT_EQ(progress, (std::vector<std::int64_t>{-size, size})) << c.what;
  }
  EXPECT_FALSE(TExeUtils((dir.Path() / "missing").string()).ExeHasAttachedStub());
  EXPECT_EQ(TExeUtils::FileSizeOf((dir.Path() / "missing").string()), -1);
}

// A copy without an archive is refused with the fixed English message.
TEST(ExeUtilsTest, CopyFromABareHostEnds) {
  TFakeUI ui;
  TExeUtils exe(ZEL_TEST_ELF);
  std::string copy;
  EXPECT_THROW(exe.GetZipFromExe(copy), EHalt);
  EXPECT_THROW(exe.MapZipFromExe(), EHalt);
  ASSERT_EQ(ui.Dialogs.size(), 2u);
  EXPECT_EQ(ui.Dialogs[0].Message, "This is not a valid Windows application");
  EXPECT_EQ(ui.Dialogs[0].Title, "Error");
}

TEST(ExeUtilsTest, AppendAndExtractAgree) {
  TTempDir dir;
  TFakeUI ui;
  const std::string archive = MakeArchive({{"zel.ini", "[App]"}});
  const auto host = dir.Path() / "host";
  const auto zip = dir.Path() / "a.zip";
  MakeApp(host, "");
  WriteText(zip, archive);
  TExeUtils().AppendZipToExe(zip.string(), host.string());
  TExeUtils exe(host.string());
  ASSERT_TRUE(exe.ExeHasAttachedStub());
  exe.ExtractZipFromExe((dir.Path() / "out.zip").string());
  EXPECT_EQ(ReadText(dir.Path() / "out.zip"), archive);
}

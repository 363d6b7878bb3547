#include <gtest/gtest.h>

#include "TestFiles.h"
#include "core/Calculations.h"
#include "core/ZipArchive.h"
#include "core/ZipWriter.h"

using namespace zel;
using namespace zel::test;

namespace {

std::span<const std::byte> Bytes(const std::string& s) {
  return std::as_bytes(std::span(s));
}
const std::string kPassword = CalculateWidth(kPasswordText, kPasswordKey);

}  // namespace

TEST(ZipArchiveTest, FindsEntriesIgnoringAsciiCase) {
  const std::string archive =
      MakeArchive({{"app/", ""}, {"app/Index.HTML", "<p>hi</p>"}, {"zel.ini", "[App]"}});
  TAbZipKit zip;
  zip.SetPassword(kPassword);
  ASSERT_TRUE(zip.Open(Bytes(archive)));
  EXPECT_EQ(zip.FindFile("app/index.html"), 1);
  EXPECT_EQ(zip.FindFile("APP/INDEX.html"), 1);
  EXPECT_EQ(zip.FindFile("app/"), 0);
  EXPECT_EQ(zip.FindFile("missing.txt"), -1);
  std::string out = "prefix:";
  zip.ExtractToStream("APP/index.html", out);
  EXPECT_EQ(out, "prefix:<p>hi</p>");
}

TEST(ZipArchiveTest, AbsentAndUndecryptableEntriesExtractNothing) {
  const std::string archive = MakeArchive({{"a.txt", std::string(5000, 'a')}});
  struct Case {
    const char* what;
    std::string password, name;
  } cases[] = {
      {"absent entry", kPassword, "b.txt"},
      {"wrong password", "not the password", "a.txt"},
      {"no password", "", "a.txt"},
  };
  for (const Case& c : cases) {
    TAbZipKit zip;
    zip.SetPassword(c.password);
    ASSERT_TRUE(zip.Open(Bytes(archive)));
    std::string out;
    zip.ExtractToStream(c.name, out);
    EXPECT_EQ(out, "") << c.what;
  }
}

// The check byte of the traditional cipher lets 1 in 256 wrong passwords
// through; the content check must still refuse them all.
TEST(ZipArchiveTest, NoWrongPasswordYieldsData) {
  const std::string archive = MakeArchive({{"a.txt", "secret content"}});
  for (int i = 0; i < 2000; ++i) {
    TAbZipKit zip;
    zip.SetPassword("guess" + std::to_string(i));
    ASSERT_TRUE(zip.Open(Bytes(archive)));
    std::string out;
    zip.ExtractToStream("a.txt", out);
    ASSERT_EQ(out, "") << i;
  }
}

TEST(ZipArchiveTest, DamagedArchives) {
  const std::string archive = MakeArchive({{"a.txt", "content"}, {"b.txt", "more"}});
  TAbZipKit zip;
  EXPECT_FALSE(zip.Open(Bytes(std::string("garbage, not a zip file"))));
  zip.Open({});  // libzip reads zero bytes as an empty archive
  EXPECT_TRUE(zip.EntryNames().empty());
  EXPECT_FALSE(zip.Open(Bytes(archive.substr(0, archive.size() / 2))));
  EXPECT_EQ(zip.FindFile("a.txt"), -1);
  // A flipped byte in the data: the entry is refused, the others still read.
  std::string damaged = archive;
  damaged[30 + 5 + 12 + 2] ^= 0x55;
  zip.SetPassword(kPassword);
  ASSERT_TRUE(zip.Open(Bytes(damaged)));
  std::string a, b;
  zip.ExtractToStream("a.txt", a);
  zip.ExtractToStream("b.txt", b);
  EXPECT_EQ(a, "");
  EXPECT_EQ(b, "more");
}

// An entry marked with strong encryption, which the reader does not know,
// extracts as nothing (and, under the sanitizers, leaks nothing).
TEST(ZipArchiveTest, UnknownEncryptionMethod) {
  std::string archive = MakeArchive({{"a.txt", "content"}});
  archive[6] |= 0x40;
  archive[archive.find("PK\1\2") + 8] |= 0x40;
  TAbZipKit zip;
  zip.SetPassword(kPassword);
  ASSERT_TRUE(zip.Open(Bytes(archive)));
  std::string out;
  zip.ExtractToStream("a.txt", out);
  EXPECT_EQ(out, "");
}

TEST(ZipArchiveTest, WriterRecordsWhatOtherReadersNeed) {
  const std::string archive = MakeArchive({{"dir/", ""}, {"dir/f.bin", std::string("\0\1\2", 3)}});
  // Local header of the folder: version 20, flags encrypted|descriptor|UTF-8, stored.
  EXPECT_EQ(archive.substr(0, 4), "PK\3\4");
  EXPECT_EQ(static_cast<unsigned char>(archive[6]), 0x09);
  EXPECT_EQ(static_cast<unsigned char>(archive[7]), 0x08);
  EXPECT_EQ(archive[8], 0);
  TAbZipKit zip;
  zip.SetPassword(kPassword);
  ASSERT_TRUE(zip.Open(Bytes(archive)));
  EXPECT_EQ(zip.EntryNames(), (std::vector<std::string>{"dir/", "dir/f.bin"}));
  std::string out;
  zip.ExtractToStream("dir/f.bin", out);
  EXPECT_EQ(out, std::string("\0\1\2", 3));
}

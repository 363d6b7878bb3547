#include <gtest/gtest.h>

#include "core/RegistryPath.h"

namespace zel {
namespace {

using TNames = std::vector<std::string>;

TEST(RegistryPath, SplitsAtBackslashesAfterStrippingOneAtEachEnd) {
  const struct {
    const char* Key;
    TNames Names;
  } cases[] = {
      {"Software", {"Software"}},
      {"Software\\ZelTest\\Sub", {"Software", "ZelTest", "Sub"}},
      {"\\Software\\ZelTest", {"Software", "ZelTest"}},
      {"Software\\ZelTest\\", {"Software", "ZelTest"}},
      {"\\Software\\", {"Software"}},
      {"a/b\\c", {"a/b", "c"}},  // only the backslash separates
      {".\\..\\x", {".", "..", "x"}},
      {" \\ ", {" ", " "}},
      {"\xC3\x84rger", {"\xC3\x84rger"}},
  };
  for (const auto& c : cases) {
    const auto path = ParseRegistryKeyPath(c.Key);
    ASSERT_TRUE(path) << c.Key;
    EXPECT_EQ(path->Names, c.Names) << c.Key;
  }
}

TEST(RegistryPath, BackslashesAloneNameTheRoot) {
  for (const char* key : {"\\", "\\\\", "\\\\\\", "\\\\\\\\\\"}) {
    const auto path = ParseRegistryKeyPath(key);
    ASSERT_TRUE(path) << key;
    EXPECT_TRUE(path->IsRoot()) << key;
  }
}

TEST(RegistryPath, PathsThatCanNameNoKey) {
  const std::string longName(256, 'k');
  std::string deep;
  for (size_t i = 0; i < kMaxRegistryKeyDepth + 1; ++i) deep += "d\\";
  std::string astral;  // 128 characters outside the BMP: 256 UTF-16 units
  for (int i = 0; i < 128; ++i) astral += "\xF0\x90\x90\x80";
  const std::string cases[] = {
      "a\\\\b", "\\\\a",          "a\\\\", "\\\\a\\\\", std::string("a\0b", 3),
      longName, "x\\" + longName, deep,    astral,
  };
  for (const std::string& key : cases) EXPECT_FALSE(ParseRegistryKeyPath(key)) << key.substr(0, 40);
}

TEST(RegistryPath, LimitsAreCountedInUtf16Units) {
  EXPECT_TRUE(ParseRegistryKeyPath(std::string(kMaxRegistryKeyNameLength, 'k')));
  std::string umlauts;  // two bytes each, one unit each
  for (size_t i = 0; i < kMaxRegistryKeyNameLength; ++i) umlauts += "\xC3\xA4";
  EXPECT_TRUE(ParseRegistryKeyPath(umlauts));
  std::string deep = "d";
  for (size_t i = 1; i < kMaxRegistryKeyDepth; ++i) deep += "\\d";
  const auto path = ParseRegistryKeyPath("\\" + deep + "\\");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->Names.size(), kMaxRegistryKeyDepth);

  EXPECT_EQ(Utf16Length("a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"), 5u);
  EXPECT_TRUE(IsValidRegistryValueName(std::string(kMaxRegistryValueNameLength, 'v')));
  EXPECT_FALSE(IsValidRegistryValueName(std::string(kMaxRegistryValueNameLength + 1, 'v')));
  EXPECT_FALSE(IsValidRegistryValueName(""));
  EXPECT_FALSE(IsValidRegistryValueName(std::string("a\0b", 3)));
  EXPECT_TRUE(IsValidRegistryValueName("a\\b/c"));  // value names may hold backslashes
}

}  // namespace
}  // namespace zel

#include <gtest/gtest.h>

#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/Text.h"

using namespace zel;

TEST(TextTest, TryStrToInt) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"800", true, 800},
      {"-1", true, -1},
      {"+7", true, 7},
      {"0x320", true, 800},
      {"0X320", true, 800},
      {"$320", true, 800},
      {"0x", false, 0},
      {"$", false, 0},
      {"", false, 0},
      {"true", false, 0},
      {"12a", false, 0},
      {"$FF00001A", true, -16777190},
      {"2147483647", true, 2147483647},
      {"2147483648", false, 0},
      {"-2147483648", true, INT32_MIN},
      {"$100000000", false, 0},
      {" 5", false, 0},
  };
  for (const Case& c : cases) {
    int v = 0;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(TextTest, ShortenUtf8CutsBetweenCharacters) {
  const struct {
    const char* text;
    size_t max;
    const char* expected;
  } cases[] = {
      {"short", 5, "short"},
      {"longer", 5, "lo\xE2\x80\xA6"},
      {"\xC3\xA4\xC3\xA4\xC3\xA4", 6, "\xC3\xA4\xC3\xA4\xC3\xA4"},
      {"\xC3\xA4\xC3\xA4\xC3\xA4x", 6, "\xC3\xA4\xE2\x80\xA6"},
      {"a\xF0\x9F\x98\x80"
       "bc",
       6, "a\xE2\x80\xA6"},
      {"abcdef", 2, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortenUtf8(c.text, c.max), c.expected) << c.text;
}

TEST(TextTest, IsPlainPathComponent) {
  for (const char* name : {"demo", "com.example.app", " a b ", "é", "...", ".hidden", "a..b"})
    EXPECT_TRUE(IsPlainPathComponent(name)) << name;
  for (const char* name :
       {"", "  ", ".", "..", " .. ", "a/b", "/", "a\\b", "\\", "a\tb", "a\nb", "a\x7f", "a\x01"})
    EXPECT_FALSE(IsPlainPathComponent(name)) << name;
}

TEST(TextTest, FileMasks) {
  struct Case {
    const char* mask;
    const char* name;
    bool match;
  } cases[] = {
      {"*.*", "noext", true},
      {"*.txt", "A.TXT", true},
      {"*.txt", "a.txt.bak", false},
      {"?.md", "c.md", true},
      {"?.md", ".md", false},
      {"[a-c]*", "B.txt", true},
      {"[a-c]*", "d.txt", false},
      {"[xyz]", "Y", true},
      {"[a-c", "a", false},
      {"*[0-9].log", "x7.log", true},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYcZ", false},
      {"**", "", true},
      {"*?", "", false},
      {"x*", "x", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.match) << c.mask << " ~ " << c.name;
}

// A mask of many stars over a long name that almost matches must still answer
// at once; a matcher that tries every split never finishes.
TEST(TextTest, ManyStarsOverALongName) {
  const std::string name(5000, 'a');
  EXPECT_FALSE(MatchesFileMask(name, "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(MatchesFileMask(name + "b", "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
}

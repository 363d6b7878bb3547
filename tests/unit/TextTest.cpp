#include <gtest/gtest.h>

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

TEST(TextTest, IsPlainPathComponent) {
  for (const char* name : {"demo", "com.example.app", " a b ", "é", "...", ".hidden", "a..b"})
    EXPECT_TRUE(IsPlainPathComponent(name)) << name;
  for (const char* name :
       {"", "  ", ".", "..", " .. ", "a/b", "/", "a\\b", "\\", "a\tb", "a\nb", "a\x7f", "a\x01"})
    EXPECT_FALSE(IsPlainPathComponent(name)) << name;
}

#include <gtest/gtest.h>

#include "core/Calculations.h"
#include "core/LocalizedMessages.h"

using namespace zel;

TEST(LocalizedMessagesTest, LanguageFallback) {
  struct Case {
    const char* code;
    int index;
    const char* text;
  } cases[] = {
      {"de", 5, "Dies ist keine gültige Windows-Anwendung."},
      {"de", 1, "Error"},
      {"zh", 5, "这不是有效的Windows应用程序。"},
      {"pt", 5, "This is not a valid Windows application."},
      {"en", 3, "Accept"},
      {"fr", 3, "J'accepte"},
      {"es", 0, "es"},
      {"pt", 0, "en"},
      {"DE", 1, "Error"},
      {"it", 4, "Annulla"},
  };
  for (const Case& c : cases) EXPECT_EQ(LocalizedMessageFor(c.index, c.code), c.text) << c.code;
  EXPECT_EQ(LocalizedMessageFor(6, "zh"),
            "运行此应用程序需要Microsoft WebView2运行时。 该应用程序无法继续，将立即关闭。");
}

TEST(LocalizedMessagesTest, IndexOutOfRange) {
  for (int index : {-1, 10, 1000}) {
    try {
      LocalizedMessageFor(index, "en");
      FAIL() << index;
    } catch (const std::out_of_range& e) {
      EXPECT_STREQ(e.what(), "MessageIndex is out of range!");
    }
  }
}

TEST(LocalizedMessagesTest, LanguageOfLocaleName) {
  struct Case {
    const char* locale;
    const char* language;
  } cases[] = {{"zh_TW.UTF-8", "zh"}, {"de_DE.UTF-8", "de"}, {"pt_BR", "pt"},
               {"C", "en"},           {"POSIX", "en"},       {"", "en"},
               {"C.UTF-8", "en"},     {"fr", "fr"},          {"sr@latin", "sr"}};
  for (const Case& c : cases) EXPECT_EQ(LanguageOfLocaleName(c.locale), c.language) << c.locale;
}

TEST(CalculationsTest, CalculateWidth) {
  struct Case {
    const char* text;
    const char* key;
    const char* result;
  } cases[] = {
      {"LXFOPVEFRNHR", "LEMON", "ATTACKATDAWN"},
      {"lxfopv-efrnhr", "LEMON", "attack-srecdf"},  // the key advances over non-letters
      {"Hello, World 123!", "A", "Hello, World 123!"},
      {"ABC", "Z", "BCD"},
      {"", "KEY", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CalculateWidth(c.text, c.key), c.result) << c.text;
  for (const char* key : {"abc", "AB1", "A B", "Ä"}) {
    try {
      CalculateWidth("text", key);
      FAIL() << key;
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(e.what(), "Invalid character in CalculateWidth key.");
    }
  }
  const std::string password = CalculateWidth(kPasswordText, kPasswordKey);
  EXPECT_EQ(password.size(), 26u);
  EXPECT_EQ(kPasswordKey.size(), 21u);
}

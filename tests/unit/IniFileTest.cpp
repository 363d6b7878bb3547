#include <gtest/gtest.h>

#include "core/IniFile.h"

using namespace zel;

namespace {

TMemIniFile Parse(std::string_view bytes) {
  TMemIniFile ini;
  ini.SetStrings(SplitLines(DecodeConfigText(bytes, nullptr)));
  return ini;
}

std::string Utf16(std::string_view ascii, bool big) {
  std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) {
    if (big) out += '\0';
    out += c;
    if (!big) out += '\0';
  }
  return out;
}

}  // namespace

TEST(IniFileTest, EncodingsGiveTheSameSettings) {
  const std::string text = "[App]\r\nID=demo\r\nWidth=0x320\r\n";
  for (const std::string& bytes :
       {text, "\xEF\xBB\xBF" + text, Utf16(text, false), Utf16(text, true)}) {
    const TMemIniFile ini = Parse(bytes);
    EXPECT_EQ(ini.ReadString("App", "ID", ""), "demo");
    EXPECT_EQ(ini.ReadInteger("App", "Width", 0), 800);
  }
  // Without a mark the bytes go to the ANSI decoder.
  TMemIniFile ini;
  ini.SetStrings(SplitLines(DecodeConfigText("[App]\nName=\xE9t\xE9", [](std::string_view b) {
    return std::string(b) == "[App]\nName=\xE9t\xE9" ? "[App]\nName=été" : "wrong";
  })));
  EXPECT_EQ(ini.ReadString("App", "Name", ""), "été");
}

TEST(IniFileTest, Syntax) {
  const TMemIniFile ini = Parse(
      "ID=before-any-section\n"
      "  [ app ]  \n"
      "; comment\n"
      "id = spaced value  \n"
      "NoValue\n"
      "Quoted=\"kept\"\n"
      "Eq=a=b\n"
      "ID=second\n"
      "[Other]\n"
      "X=1\n"
      "[APP]\n"
      "Later=yes\n");
  EXPECT_EQ(ini.ReadString("App", "ID", "?"), "spaced value");
  EXPECT_EQ(ini.ReadString("App", "Quoted", ""), "\"kept\"");
  EXPECT_EQ(ini.ReadString("App", "Eq", ""), "a=b");
  EXPECT_TRUE(ini.ValueExists("App", "NoValue"));
  EXPECT_EQ(ini.ReadString("App", "NoValue", "?"), "");
  EXPECT_EQ(ini.ReadString("app", "LATER", ""), "yes");
  EXPECT_EQ(ini.ReadString("Other", "ID", "none"), "none");
  EXPECT_EQ(ini.ReadString("Missing", "ID", "none"), "none");
}

TEST(IniFileTest, IntegersAndBooleans) {
  const TMemIniFile ini = Parse(
      "[App]\nA=true\nB=1\nC=-1\nD=yes\nE=0\nW1=0x320\nW2=$320\nW3=0x\nW4=12px\nColor=$FF00001A\n");
  struct Case {
    const char* key;
    bool def, expected;
  } bools[] = {{"A", false, false}, {"B", false, true}, {"C", false, true},
               {"D", true, true},   {"E", true, false}, {"Missing", true, true}};
  for (const Case& c : bools) EXPECT_EQ(ini.ReadBool("App", c.key, c.def), c.expected) << c.key;
  EXPECT_EQ(ini.ReadInteger("App", "W1", 800), 800);
  EXPECT_EQ(ini.ReadInteger("App", "W2", 1), 800);
  EXPECT_EQ(ini.ReadInteger("App", "W3", 800), 800);
  EXPECT_EQ(ini.ReadInteger("App", "W4", 7), 7);
  EXPECT_EQ(static_cast<unsigned>(ini.ReadInteger("App", "Color", 0)), 0xFF00001Au);
}

TEST(IniFileTest, RandomBytesGiveNoSettings) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) ^ (i >> 3));
  const TMemIniFile ini = Parse(junk);
  EXPECT_EQ(ini.ReadString("App", "ID", "default"), "default");
  EXPECT_EQ(Parse("").ReadInteger("App", "Width", 800), 800);
}

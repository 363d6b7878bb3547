// The registry port on the real registry below HKEY_CURRENT_USER (Wine's is
// real too), inside a test key that is removed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "ports/Registry.h"

namespace zel {
namespace {

TRegistryKeyPath Key(const char* path) {
  return *ParseRegistryKeyPath(path);
}

class WinRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZelWinTest"); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZelWinTest"); }
  std::unique_ptr<IRegistry> Registry = OpenUserRegistry();
};

TEST_F(WinRegistryTest, CaseInsensitiveKeysAndValues) {
  ASSERT_TRUE(Registry->WriteValue(Key("Software\\ZelWinTest\\Sub\\\xC3\x84"), "Name", "one"));
  EXPECT_EQ(Registry->ReadValue(Key("SOFTWARE\\zelwintest\\SUB\\\xC3\xA4"), "NAME"), "one");
  EXPECT_TRUE(Registry->ValueExists(Key("software\\ZELWINTEST\\sub\\\xC3\x84"), "name"));
  ASSERT_TRUE(Registry->WriteValue(Key("Software\\ZelWinTest\\Sub"), "v",
                                   std::string("a\0b \xE2\x82\xAC", 7)));
  EXPECT_EQ(Registry->ReadValue(Key("Software\\ZelWinTest\\Sub"), "V"),
            std::string("a\0b \xE2\x82\xAC", 7));
  EXPECT_EQ(Registry->ReadValue(Key("Software\\ZelWinTest\\Missing"), "v"), "");
  EXPECT_EQ(Registry->ReadValue(Key("Software\\ZelWinTest\\Sub"), "missing"), "");
  EXPECT_TRUE(Registry->DeleteValue(Key("Software\\ZelWinTest\\Sub"), "V"));
  EXPECT_FALSE(Registry->DeleteValue(Key("Software\\ZelWinTest\\Sub"), "V"));
  EXPECT_FALSE(Registry->ValueExists(Key("Software\\ZelWinTest\\Missing"), "v"));
}

TEST_F(WinRegistryTest, TreeDeletionAndTheRoot) {
  ASSERT_TRUE(Registry->WriteValue(Key("Software\\ZelWinTest\\A\\B\\C"), "v", "deep"));
  ASSERT_TRUE(Registry->WriteValue(Key("Software\\ZelWinTest\\Keep"), "v", "kept"));
  EXPECT_FALSE(Registry->DeleteKeyTree(Key("\\")));
  EXPECT_TRUE(Registry->KeyExists(Key("\\")));
  EXPECT_TRUE(Registry->KeyExists(Key("Software\\ZelWinTest\\A\\B\\C")));
  EXPECT_TRUE(Registry->DeleteKeyTree(Key("software\\zelwintest\\a")));
  EXPECT_FALSE(Registry->KeyExists(Key("Software\\ZelWinTest\\A")));
  EXPECT_FALSE(Registry->DeleteKeyTree(Key("Software\\ZelWinTest\\A")));
  EXPECT_EQ(Registry->ReadValue(Key("Software\\ZelWinTest\\Keep"), "v"), "kept");
}

TEST_F(WinRegistryTest, ExpandableStringsStayUnexpandedAndOtherTypesRaise) {
  ASSERT_TRUE(Registry->WriteValue(Key("Software\\ZelWinTest"), "s", "x"));
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\ZelWinTest", 0, KEY_ALL_ACCESS, &raw),
            ERROR_SUCCESS);
  const wchar_t expand[] = L"%WINDIR%\\x";
  RegSetValueExW(raw, L"e", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand),
                 sizeof(expand));
  const DWORD number = 7;
  RegSetValueExW(raw, L"n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  RegCloseKey(raw);
  EXPECT_EQ(Registry->ReadValue(Key("Software\\ZelWinTest"), "e"), "%WINDIR%\\x");
  EXPECT_THROW(Registry->ReadValue(Key("Software\\ZelWinTest"), "n"), std::runtime_error);
  EXPECT_TRUE(Registry->ValueExists(Key("Software\\ZelWinTest"), "n"));
}

}  // namespace
}  // namespace zel

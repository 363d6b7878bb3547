// Log-off, restart and shutdown through the replaceable call table (a real
// ExitWindowsEx would end every process of the Wine prefix), the adapters'
// hardware addresses, and the themes on real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/SystemText.h"
#include "core/Themes.h"
#include "platform/windows/SystemActions.h"
#include "platform/windows/Win32UI.h"
#include "ports/SysUtils.h"

namespace zel {
namespace {

struct TRecorded {
  std::vector<UINT> Flags;
  std::vector<std::wstring> Privileges;
  bool Accept = true;
  DWORD Error = ERROR_PRIVILEGE_NOT_HELD;
};
TRecorded* gRecorded = nullptr;

BOOL WINAPI FakeLookup(LPCWSTR, LPCWSTR name, PLUID luid) {
  gRecorded->Privileges.push_back(name);
  luid->LowPart = 19;
  luid->HighPart = 0;
  return TRUE;
}

BOOL WINAPI FakeExit(UINT flags, DWORD) {
  gRecorded->Flags.push_back(flags);
  if (!gRecorded->Accept) SetLastError(gRecorded->Error);
  return gRecorded->Accept;
}

// Puts the fakes in for one test and the system's calls back after it.
class SystemActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FSaved = win::ExitWindowsApi();
    gRecorded = &Recorded;
    win::ExitWindowsApi().LookupPrivilegeValueW = &FakeLookup;
    win::ExitWindowsApi().ExitWindowsEx = &FakeExit;
  }
  void TearDown() override {
    win::ExitWindowsApi() = FSaved;
    gRecorded = nullptr;
  }
  TRecorded Recorded;

 private:
  win::TExitWindowsApi FSaved{};
};

TEST_F(SystemActionsTest, RequestsGoThroughTheTableWithTheShutdownPrivilege) {
  std::string message;
  for (unsigned flags : {4u, 6u, 5u}) EXPECT_TRUE((TSysUtils::ExitWindows)(flags, message));
  EXPECT_EQ(Recorded.Flags, (std::vector<UINT>{4, 6, 5}));
  ASSERT_FALSE(Recorded.Privileges.empty());
  EXPECT_EQ(Recorded.Privileges[0], L"SeShutdownPrivilege");
}

TEST_F(SystemActionsTest, ARefusalCarriesTheSystemsMessage) {
  Recorded.Accept = false;
  std::string message;
  EXPECT_FALSE((TSysUtils::ExitWindows)(5, message));
  const std::string reason = TrimSystemMessage(message);
  EXPECT_FALSE(reason.empty()) << message;
  EXPECT_NE(reason.back(), '.');
  EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos) << reason;
}

TEST(WinMacAddressesTest, EntriesHaveTheFixedForm) {
  const std::vector<std::string> entries = TSysUtils::GetMacAddresses();
  // Run inside a network namespace with an adapter of known address, the
  // test is told which entry must be there.
  if (const char* expected = std::getenv("ZEL_TEST_EXPECT_MAC")) {
    EXPECT_NE(std::find(entries.begin(), entries.end(), expected), entries.end()) << expected;
  }
  for (const std::string& entry : entries) {
    ASSERT_EQ(entry.size(), 19u) << entry;
    EXPECT_NE(std::string("EWU").find(entry[0]), std::string::npos) << entry;
    EXPECT_EQ(entry[1], ',') << entry;
    EXPECT_NE(entry.substr(2), "00:00:00:00:00:00");
  }
}

TEST(WinThemesTest, EveryPaletteAndTheSystemLookApplyToOpenWindows) {
  HWND window = CreateWindowExW(0, L"STATIC", L"themed", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  win::TWin32UI ui;
  for (const TTheme& theme : Themes()) ui.ApplyTheme(theme.Palette);
  ui.ApplyTheme(nullptr);
  EXPECT_TRUE(IsWindow(window));
  DestroyWindow(window);
}

}  // namespace
}  // namespace zel

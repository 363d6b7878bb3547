// The shell helpers on Windows: commands through cmd.exe, the system's
// failure texts, window titles and folder deletion with wildcards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/Paths.h"
#include "platform/windows/WinStr.h"
#include "ports/SysUtils.h"
#include "ports/System.h"
#include "tests/windows/TestUtil.h"

namespace zel {
namespace {

using wintest::TTempDir;

TEST(WinShellTest, CommandOutputWithStandardError) {
  EXPECT_EQ(TSysUtils::GetDosOutput("echo hello", "", false), "hello\r\n");
  // The interpreter's complaint about an unknown command goes to standard
  // error, which is captured too.
  EXPECT_FALSE(TSysUtils::GetDosOutput("nosuchcommand_zel", "", false).empty());
  TTempDir dir;
  std::ofstream(dir.Path() / "here.txt") << "x";
  const std::string listing = TSysUtils::GetDosOutput("dir /b", dir.Utf8(), false);
  EXPECT_NE(listing.find("here.txt"), std::string::npos) << listing;
  EXPECT_EQ(TSysUtils::GetDosOutput("echo x", dir.Utf8() + "\\missing folder", false), "");
}

TEST(WinShellTest, ShellExecFailureHasAMessage) {
  TTempDir dir;
  EXPECT_FALSE(TSysUtils::ShellExec(dir.Utf8() + "\\no such file.txt", ""));
  const std::string message = sys::LastSystemErrorMessage();
  EXPECT_FALSE(message.empty());
  EXPECT_NE(message.back(), '.');
  EXPECT_NE(message.back(), '\n');
  EXPECT_EQ(sys::SystemErrorMessage(ERROR_FILE_NOT_FOUND).find('\n'), std::string::npos);
}

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

TEST(WinShellTest, WindowTitlesSkipBlankOnesAndKeepLeadingBlanks) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = &PlainWindowProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"ZelTitleTest";
  RegisterClassW(&cls);
  const wchar_t* titles[] = {L"  zel lead \x00e4", L"   ", L"zel \"hi\" \\ ok"};
  std::vector<HWND> windows;
  for (const wchar_t* t : titles)
    windows.push_back(CreateWindowExW(0, cls.lpszClassName, t, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                      nullptr, nullptr, cls.hInstance, nullptr));
  std::vector<std::string> list{"stale"};
  TSysUtils::GetWindowsCaptions(list);
  for (HWND w : windows) DestroyWindow(w);
  EXPECT_EQ(std::count(list.begin(), list.end(), "  zel lead \xc3\xa4"), 1);
  EXPECT_EQ(std::count(list.begin(), list.end(), "zel \"hi\" \\ ok"), 1);
  EXPECT_EQ(std::count(list.begin(), list.end(), "stale"), 0);
  for (const std::string& t : list) EXPECT_NE(t.find_first_not_of(" \t\r\n"), std::string::npos);
}

TEST(WinShellTest, DeleteDirectoryRefusesWildcards) {
  TTempDir dir;
  for (const char* name : {"a1", "a2"}) std::filesystem::create_directory(dir.Path() / name);
  EXPECT_FALSE(TSysUtils::DeleteDirectory(dir.Utf8() + "\\a*"));
  EXPECT_FALSE(TSysUtils::DeleteDirectory(dir.Utf8() + "\\a?"));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "a1"));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "a2"));
}

}  // namespace
}  // namespace zel

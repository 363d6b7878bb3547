// The host's own Windows forms in the colours of the active theme.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/Themes.h"
#include "platform/windows/Win32Theme.h"
#include "platform/windows/Win32UI.h"

namespace zel {
namespace {

struct TPromptColours {
  bool Seen = false;
  COLORREF Back = 0, Field = 0, Text = 0;
};
TPromptColours gSeen;

// Reads the colours the open password prompt paints with, then closes it.
void CALLBACK ReadPrompt(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND prompt = FindWindowW(L"ZelRequirePasswordForm", nullptr);
  if (!prompt || !IsWindowVisible(prompt)) return;
  KillTimer(nullptr, id);
  const HWND edit = FindWindowExW(prompt, nullptr, L"EDIT", nullptr);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(prompt, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  gSeen.Back = GetPixel(dc, 1, 1);
  const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
      prompt, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit)));
  LOGBRUSH info{};
  if (brush && GetObjectW(brush, sizeof info, &info)) gSeen.Field = info.lbColor;
  gSeen.Text = GetTextColor(dc);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  gSeen.Seen = true;
  PostMessageW(prompt, WM_CLOSE, 0, 0);
}

TEST(WinTheme, PasswordPromptTakesThePalette) {
  win::TWin32UI ui;
  const TTheme* theme = FindTheme("Windows10 Dark");
  ASSERT_TRUE(theme && theme->Palette);
  const TThemePalette& palette = *theme->Palette;
  ui.ApplyTheme(&palette);
  EXPECT_EQ(win::ActivePalette(), &palette);
  gSeen = {};
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, ReadPrompt);
  // Closing the prompt counts as a wrong password.
  EXPECT_FALSE(ui.RequirePassword("Themed", "secret"));
  KillTimer(nullptr, timer);
  ui.ApplyTheme(nullptr);
  EXPECT_EQ(win::ActivePalette(), nullptr);
  ASSERT_TRUE(gSeen.Seen);
  EXPECT_EQ(gSeen.Back, win::ToColorRef(palette.Window));
  EXPECT_EQ(gSeen.Field, win::ToColorRef(palette.Control));
  EXPECT_EQ(gSeen.Text, win::ToColorRef(palette.Text));
}

}  // namespace
}  // namespace zel

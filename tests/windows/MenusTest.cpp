// The Win32 menu bar and tray icon built through their peers, read back
// with the system's own menu and notification-area calls.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/windows/Win32Form.h"
#include "platform/windows/Win32Menus.h"
#include "platform/windows/Win32UI.h"
#include "ports/UI.h"
#include "tests/windows/TestUtil.h"

namespace zel {
namespace {

using wintest::Pump;

struct TEvents : ITrayIconEvents {
  std::vector<int> Clicks;
  int IconClicks = 0;
  void MenuItemClick(int Key) override { Clicks.push_back(Key); }
  void TrayIconClick() override { ++IconClicks; }
};

struct TFormEvents : IFormEvents {
  bool FormCloseQuery() override { return true; }
  void FormClose() override {}
};

// A Size x Size bitmap file of one colour (WIC reads BMP as well as PNG).
std::string BmpFile(int Size, BYTE R, BYTE G, BYTE B) {
  const DWORD pixels = static_cast<DWORD>(Size * Size * 3);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + pixels;
  info.biSize = sizeof info;
  info.biWidth = info.biHeight = Size;
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::string data(reinterpret_cast<const char*>(&file), sizeof file);
  data.append(reinterpret_cast<const char*>(&info), sizeof info);
  for (int i = 0; i < Size * Size; ++i)
    data += {static_cast<char>(B), static_cast<char>(G), static_cast<char>(R)};
  return data;
}

struct TItemInfo {
  std::wstring Text;
  UINT Type = 0, State = 0, Id = 0;
  HMENU Submenu = nullptr;
  HBITMAP Bitmap = nullptr;
};

TItemInfo ItemAt(HMENU menu, UINT position) {
  wchar_t text[256] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_BITMAP;
  info.dwTypeData = text;
  info.cch = 255;
  EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info)) << position;
  return {text, info.fType, info.fState, info.wID, info.hSubMenu, info.hbmpItem};
}

// The pixel at (0, 0) of a 32-bpp DIB section as premultiplied BGRA.
DWORD FirstPixel(HBITMAP bitmap) {
  DIBSECTION dib{};
  if (GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) return 0;
  return *static_cast<const DWORD*>(dib.dsBm.bmBits);
}

class WinMenuTest : public testing::Test {
 protected:
  ~WinMenuTest() override { Pump(); }
  win::TWin32UI FUI;
  TFormEvents FFormEvents;
  TEvents FEvents;
};

// Keys above 16 bits, as the host may hand out: WM_COMMAND could not carry them.
constexpr int kFile = 70001, kOpen = 70002, kLine = 70003, kClose = 70004, kMore = 70005,
              kDeep = 70006;

TEST_F(WinMenuTest, MenuBarItemsReadBackAndCommandsReachTheirItems) {
  auto form = FUI.CreateForm(FFormEvents);
  const HWND hwnd = dynamic_cast<win::TWin32FormPeer&>(*form).Handle();
  auto bar = FUI.CreateMenuBar(*form, FEvents);
  const HMENU menu = GetMenu(hwnd);
  ASSERT_TRUE(menu);
  ASSERT_TRUE(bar->AddImage(BmpFile(32, 255, 0, 0)));
  EXPECT_FALSE(bar->AddImage("no image at all"));
  bar->AddItem(0, {kFile, "&File", true, -1, true});
  bar->AddItem(kFile, {kOpen, "&Open", true, 0, false});
  bar->AddItem(kFile, {kLine, "-", true, -1, false});
  bar->AddItem(kFile, {kClose, "Close && exit", false, -1, false});
  bar->AddItem(kFile, {kMore, "More", true, -1, true});
  bar->AddItem(kMore, {kDeep, "Deep", true, -1, false});

  ASSERT_EQ(GetMenuItemCount(menu), 1);
  const TItemInfo file = ItemAt(menu, 0);
  EXPECT_EQ(file.Text, L"&File");
  ASSERT_TRUE(file.Submenu);
  ASSERT_EQ(GetMenuItemCount(file.Submenu), 4);
  const TItemInfo open = ItemAt(file.Submenu, 0), line = ItemAt(file.Submenu, 1),
                  close = ItemAt(file.Submenu, 2), more = ItemAt(file.Submenu, 3);
  EXPECT_EQ(open.Text, L"&Open");
  EXPECT_TRUE(open.Bitmap);
  EXPECT_FALSE(open.State & MFS_DISABLED);
  EXPECT_TRUE(line.Type & MFT_SEPARATOR);
  EXPECT_EQ(close.Text, L"Close && exit");
  EXPECT_TRUE(close.State & MFS_DISABLED);
  ASSERT_TRUE(more.Submenu);
  ASSERT_EQ(GetMenuItemCount(more.Submenu), 1);
  const TItemInfo deep = ItemAt(more.Submenu, 0);
  EXPECT_EQ(deep.Text, L"Deep");

  // Our own 16-bit command ids, one per item.
  const std::vector<UINT> ids{file.Id, open.Id, close.Id, more.Id, deep.Id};
  for (UINT id : ids) {
    EXPECT_GT(id, 0u);
    EXPECT_LE(id, 0xFFFFu);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 1);
  }
  // The menu's WM_COMMAND reaches the item; items that open submenus and
  // unknown ids raise nothing, and neither do control notifications.
  for (UINT id : {open.Id, deep.Id, file.Id, more.Id, 0xFFFFu})
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(open.Id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
  EXPECT_EQ(FEvents.Clicks, (std::vector<int>{kOpen, kDeep}));

  bar->UpdateItem({kClose, "&Quit", true, 0, false});
  const TItemInfo quit = ItemAt(file.Submenu, 2);
  EXPECT_EQ(quit.Text, L"&Quit");
  EXPECT_FALSE(quit.State & MFS_DISABLED);
  EXPECT_EQ(quit.Bitmap, open.Bitmap);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(quit.Id, 0), 0);
  EXPECT_EQ(FEvents.Clicks.back(), kClose);

  bar->Clear();
  EXPECT_EQ(GetMenuItemCount(menu), 0);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(open.Id, 0), 0);
  EXPECT_EQ(FEvents.Clicks.size(), 3u);
}

// Menus draw 32-bpp item bitmaps unchanged in disabled items, so those get
// a light grey copy, and their own image back once enabled.
TEST_F(WinMenuTest, DisabledItemsShowTheirImageInGrey) {
  auto form = FUI.CreateForm(FFormEvents);
  auto bar = FUI.CreateMenuBar(*form, FEvents);
  const HMENU menu = GetMenu(dynamic_cast<win::TWin32FormPeer&>(*form).Handle());
  ASSERT_TRUE(bar->AddImage(BmpFile(32, 255, 0, 0)));
  bar->AddItem(0, {1, "On", true, 0, false});
  bar->AddItem(0, {2, "Off", false, 0, false});
  const HBITMAP on = ItemAt(menu, 0).Bitmap, off = ItemAt(menu, 1).Bitmap;
  ASSERT_TRUE(on && off);
  EXPECT_NE(on, off);
  BITMAP size{};
  GetObjectW(on, sizeof size, &size);
  EXPECT_EQ(size.bmWidth, GetSystemMetricsForDpi(SM_CXSMICON, GetDpiForSystem()));
  EXPECT_EQ(size.bmBitsPixel, 32);
  EXPECT_EQ(FirstPixel(on), 0xFFFF0000u);  // opaque red
  const DWORD grey = FirstPixel(off);
  const BYTE b = grey & 0xFF, g = (grey >> 8) & 0xFF, r = (grey >> 16) & 0xFF, a = grey >> 24;
  EXPECT_EQ(r, g);
  EXPECT_EQ(g, b);
  // Lighter than red's own luminance (76), short of white, still opaque:
  // Wine draws item bitmaps without blending.
  EXPECT_GT(r, 100);
  EXPECT_LT(r, 200);
  EXPECT_EQ(a, 0xFF);
  bar->UpdateItem({2, "Off", true, 0, false});
  EXPECT_EQ(ItemAt(menu, 1).Bitmap, on);
}

TEST(WinTrayTip, CutsAt127UnitsWithoutSplittingAPair) {
  const std::string clef = "\xF0\x9D\x84\x9E";  // U+1D11E, two UTF-16 units
  const struct {
    std::string Hint;
    size_t Units;
  } cases[] = {
      {"short", 5},
      {std::string(127, 'a'), 127},
      {std::string(300, 'a'), 127},
      {std::string(125, 'a') + clef + "b", 127},  // the pair ends at 127
      {std::string(126, 'a') + clef, 126},        // the pair would straddle the end
      {"\xC3\xA9" + std::string(200, 'x'), 127},  // characters, not bytes
  };
  for (const auto& c : cases) {
    const std::wstring tip = win::TrayTip(c.Hint);
    EXPECT_EQ(tip.size(), c.Units) << c.Hint.size();
    EXPECT_FALSE(IS_HIGH_SURROGATE(tip.back())) << c.Hint.size();
  }
}

// Wine's taskbar comes with its desktop process, which the prefix's first
// window starts; on a busy machine that takes a while.
bool WaitForTaskbar() {
  for (int i = 0; i < 300 && !FindWindowW(L"Shell_TrayWnd", nullptr); ++i) Sleep(100);
  return FindWindowW(L"Shell_TrayWnd", nullptr);
}

// Whether the notification area holds our icon: only a present icon can be
// modified.
bool IconPresent(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  data.uFlags = NIF_TIP;
  return Shell_NotifyIconW(NIM_MODIFY, &data);
}

TEST_F(WinMenuTest, TrayIconComesAndGoesAndReportsClicks) {
  auto form = FUI.CreateForm(FFormEvents);
  auto tray = FUI.CreateTrayIcon(std::string(200, 'T'), form.get(), FEvents);
  const HWND window = dynamic_cast<win::TWin32TrayIcon&>(*tray).Handle();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForTaskbar());
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(tray->Visible());
  EXPECT_FALSE(IconPresent(window));

  tray->SetVisible(true);
  EXPECT_TRUE(tray->Visible());
  EXPECT_TRUE(IconPresent(window));
  tray->SetVisible(true);  // once is enough
  EXPECT_TRUE(IconPresent(window));

  SendMessageW(window, win::kTrayCallbackMessage, 1, WM_LBUTTONUP);
  SendMessageW(window, win::kTrayCallbackMessage, 1, WM_LBUTTONDOWN);
  SendMessageW(window, win::kTrayCallbackMessage, 1, WM_MOUSEMOVE);
  EXPECT_EQ(FEvents.IconClicks, 1);

  // A restarted taskbar knows no icons: ours comes back.
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  Shell_NotifyIconW(NIM_DELETE, &data);
  EXPECT_FALSE(IconPresent(window));
  SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(IconPresent(window));

  tray->SetVisible(false);
  EXPECT_FALSE(tray->Visible());
  EXPECT_FALSE(IconPresent(window));
  SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_FALSE(IconPresent(window));
}

// The tray menu opens on a right click; the item chosen in it is reported.
TEST_F(WinMenuTest, TrayMenuOpensOnARightClickAndReportsTheChoice) {
  auto form = FUI.CreateForm(FFormEvents);
  form->Show();
  Pump();
  auto tray = FUI.CreateTrayIcon("tip", form.get(), FEvents);
  tray->Menu().AddItem(0, {80001, "&Show", true, -1, false});
  tray->Menu().AddItem(0, {80002, "&Quit", true, -1, false});
  const HMENU menu = dynamic_cast<win::TWin32MenuPeer&>(tray->Menu()).Menu();
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  EXPECT_EQ(ItemAt(menu, 1).Text, L"&Quit");
  tray->SetVisible(true);
  const HWND window = dynamic_cast<win::TWin32TrayIcon&>(*tray).Handle();
  // While the menu's own loop runs, a timer of this thread picks the
  // second item with the keyboard, as a user would; it closes the menu
  // after five seconds should the keys not arrive.
  static HWND menuWindow;
  static int ticks;
  menuWindow = nullptr;
  ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    if (++ticks > 50) EndMenu();
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (menuWindow || !popup || !IsWindowVisible(popup)) return;
    menuWindow = popup;
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(popup, WM_KEYDOWN, key, 0);
  });
  SendMessageW(window, win::kTrayCallbackMessage, 1, WM_RBUTTONUP);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(menuWindow);
  EXPECT_EQ(FEvents.Clicks, (std::vector<int>{80002}));
  EXPECT_EQ(FEvents.IconClicks, 0);
}

}  // namespace
}  // namespace zel

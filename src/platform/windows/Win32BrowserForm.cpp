#include <windows.h>

#include <commctrl.h>

#include "platform/windows/Win32BrowserForm.h"

#include <stdexcept>

namespace zel::win {
namespace {

RECT ClientOf(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

bool HasStyle(HWND hwnd, DWORD bits) {
  return (static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & bits) != 0;
}

TSysCommand SysCommandOf(WPARAM wParam) {
  switch (wParam & 0xFFF0) {  // the low four bits are the system's own
    case SC_MINIMIZE:
      return TSysCommand::Minimize;
    case SC_MAXIMIZE:
      return TSysCommand::Maximize;
    case SC_RESTORE:
      return TSysCommand::Restore;
    default:
      return TSysCommand::Other;
  }
}

}  // namespace

TWin32BrowserFormPeer::TWin32BrowserFormPeer(HWND Parent) {
  RegisterWindowClass(kClassName, GetSysColorBrush(COLOR_BTNFACE));
  const RECT client = ClientOf(Parent);
  // WS_EX_CONTROLPARENT lets the form's tab order reach the controls inside.
  CreateHandle(kClassName, WS_EX_CONTROLPARENT,
               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, client.right,
               client.bottom, Parent);
  FProgressBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_MARQUEE, 0, 0,
                                 0, 0, Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!FProgressBar) throw std::runtime_error("cannot create the progress bar");
  SendMessageW(FProgressBar, PBM_SETMARQUEE, TRUE, 0);
  Layout();
}

void TWin32BrowserFormPeer::SetProgressBarVisible(bool Visible) {
  ShowWindow(FProgressBar, Visible ? SW_SHOWNA : SW_HIDE);
  Layout();
}

bool TWin32BrowserFormPeer::ProgressBarVisible() const {
  return HasStyle(FProgressBar, WS_VISIBLE);
}

void TWin32BrowserFormPeer::Layout() {
  if (!Handle()) return;
  const RECT client = ClientOf(Handle());
  int bottom = client.bottom;
  if (FProgressBar && HasStyle(FProgressBar, WS_VISIBLE)) {
    const int height = MulDiv(kProgressBarHeight, static_cast<int>(GetDpiForWindow(Handle())), 96);
    bottom = client.bottom > height ? client.bottom - height : 0;
    MoveWindow(FProgressBar, 0, bottom, client.right, client.bottom - bottom, TRUE);
  }
  // Every other child (the browser host) fills the rest.
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (child != FProgressBar) MoveWindow(child, 0, 0, client.right, bottom, TRUE);
}

LRESULT TWin32BrowserFormPeer::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_PARENTNOTIFY:
      // A browser host was created inside: give it its place.
      if (LOWORD(wParam) == WM_CREATE) Layout();
      return 0;
    case WM_NCDESTROY:
      FProgressBar = nullptr;
      break;
  }
  return TWindow::WndProc(msg, wParam, lParam);
}

TWin32BrowserHostPeer::TWin32BrowserHostPeer(HWND Parent, IControlEvents& Events)
    : FEvents(Events) {
  // The colour of an empty page until the browser paints.
  RegisterWindowClass(kClassName, GetSysColorBrush(COLOR_WINDOW));
  const RECT client = ClientOf(Parent);
  CreateHandle(kClassName, 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, 0, 0,
               client.right, client.bottom, Parent);
}

TRect TWin32BrowserHostPeer::ClientRect() const {
  const RECT r = ClientOf(Handle());
  return {r.left, r.top, r.right, r.bottom};
}

bool TWin32BrowserHostPeer::Visible() const {
  return Handle() && HasStyle(Handle(), WS_VISIBLE);
}

void TWin32BrowserHostPeer::SetVisible(bool Visible) {
  ShowWindow(Handle(), Visible ? SW_SHOWNA : SW_HIDE);
}

void TWin32BrowserHostPeer::SetFocus() {
  ::SetFocus(Handle());
}

void TWin32BrowserHostPeer::SelectNext(bool Forward) {
  HWND top = GetAncestor(Handle(), GA_ROOT);
  HWND next = GetNextDlgTabItem(top, Handle(), Forward ? FALSE : TRUE);
  if (next && next != Handle()) ::SetFocus(next);
}

bool TWin32BrowserHostPeer::IsShortCut(COREWEBVIEW2_KEY_EVENT_KIND, unsigned, int) {
  // The forms have no menus or actions with shortcuts yet.
  return false;
}

LRESULT TWin32BrowserHostPeer::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      FEvents.ControlResized();
      return 0;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) FEvents.ControlVisibilityChanged();
      break;  // DefWindowProc turns it into WM_SIZE and WM_MOVE
    }
    case WM_SETFOCUS:
      FEvents.ControlEnter();
      return 0;
    case WM_KILLFOCUS:
      FEvents.ControlExit();
      return 0;
    case WM_SYSCOMMAND:
      // The keyboard's way into the window's menu bar (F10, Alt with an
      // access key) arrives here while the control has the focus; it must go
      // on to the default handling, which opens the menu of the top window.
      if ((wParam & 0xFFF0) == SC_KEYMENU) break;
      // Minimize and restore hide and show the browser; the control consumes
      // every other command.
      FEvents.ControlSysCommand(SysCommandOf(wParam));
      return 0;
  }
  return TWindow::WndProc(msg, wParam, lParam);
}

}  // namespace zel::win

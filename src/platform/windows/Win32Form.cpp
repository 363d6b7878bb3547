#include <windows.h>

#include "platform/windows/Win32Form.h"

#include <dwmapi.h>

#include <algorithm>

#include "platform/windows/Win32Theme.h"
#include "platform/windows/WinStr.h"

namespace zel::win {

TFrameStyles FrameStylesOf(TFormBorderStyle BorderStyle) {
  constexpr DWORD kCaption = WS_CAPTION | WS_SYSMENU;
  constexpr DWORD kBoxes = WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  switch (BorderStyle) {
    case TFormBorderStyle::bsNone:
      return {WS_POPUP, WS_EX_APPWINDOW};
    case TFormBorderStyle::bsSingle:
      return {WS_OVERLAPPED | kCaption | kBoxes, WS_EX_APPWINDOW};
    case TFormBorderStyle::bsSizeable:
      return {WS_OVERLAPPEDWINDOW, WS_EX_APPWINDOW};
    case TFormBorderStyle::bsDialog:
      return {WS_OVERLAPPED | kCaption | DS_MODALFRAME, WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW};
    case TFormBorderStyle::bsToolWindow:
      return {WS_OVERLAPPED | kCaption, WS_EX_TOOLWINDOW};
    case TFormBorderStyle::bsSizeToolWin:
      return {WS_OVERLAPPED | kCaption | WS_THICKFRAME, WS_EX_TOOLWINDOW};
  }
  return {WS_OVERLAPPEDWINDOW, WS_EX_APPWINDOW};
}

TWin32FormPeer::TWin32FormPeer(IFormEvents& Events) : FEvents(Events) {
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  RegisterWindowClass(kClassName, GetSysColorBrush(COLOR_BTNFACE),
                      icon ? icon : LoadIconW(nullptr, IDI_APPLICATION));
  const TFrameStyles styles = FrameStylesOf(FBorderStyle);
  // The system's default position is only to be had at creation; it is kept
  // for poDefaultPosOnly.
  CreateHandle(kClassName, styles.ExStyle, styles.Style | WS_CLIPCHILDREN, CW_USEDEFAULT,
               CW_USEDEFAULT, 640, 480, nullptr);
  PaintThemeFrame(Handle());
  RECT r{};
  GetWindowRect(Handle(), &r);
  FDefaultPos = {r.left, r.top};
}

TWin32FormPeer::~TWin32FormPeer() {
  *FAlive = false;
}

void TWin32FormPeer::SetCaption(const std::string& Caption) {
  SetWindowTextW(Handle(), Widen(Caption).c_str());
}

std::string TWin32FormPeer::Caption() const {
  const int length = GetWindowTextLengthW(Handle());
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(Handle(), text.data(), length + 1)));
  return Narrow(text);
}

void TWin32FormPeer::SetBounds(int Left, int Top, int Width, int Height) {
  // The system holds framed windows to the largest tracking size (the
  // desktop and a frame); a borderless one gets the same limit here, so a
  // page cannot have the browser draw gigabytes of window.
  Width = std::min(Width, std::max<int>(GetSystemMetrics(SM_CXMAXTRACK), FMaxWidth));
  Height = std::min(Height, std::max<int>(GetSystemMetrics(SM_CYMAXTRACK), FMaxHeight));
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  // A maximized window keeps the bounds for its next restore, as the user expects.
  if (IsZoomed(Handle()) || IsIconic(Handle())) {
    GetWindowPlacement(Handle(), &placement);
    placement.rcNormalPosition = {Left, Top, Left + Width, Top + Height};
    SetWindowPlacement(Handle(), &placement);
    return;
  }
  SetWindowPos(Handle(), nullptr, Left, Top, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

TRect TWin32FormPeer::Bounds() const {
  RECT r{};
  GetWindowRect(Handle(), &r);
  return {r.left, r.top, r.right, r.bottom};
}

void TWin32FormPeer::SetConstraints(int MaxWidth, int MaxHeight, int MinWidth, int MinHeight) {
  FMaxWidth = MaxWidth, FMaxHeight = MaxHeight, FMinWidth = MinWidth, FMinHeight = MinHeight;
  // Brings the current size within the new limits at once.
  const TRect b = Bounds();
  int w = b.Width(), h = b.Height();
  if (FMinWidth > 0) w = std::max(w, FMinWidth);
  if (FMinHeight > 0) h = std::max(h, FMinHeight);
  if (FMaxWidth > 0) w = std::min(w, FMaxWidth);
  if (FMaxHeight > 0) h = std::min(h, FMaxHeight);
  if (w != b.Width() || h != b.Height())
    SetWindowPos(Handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32FormPeer::SetPosition(TPosition Position) {
  FPosition = Position;
}

void TWin32FormPeer::SetBorderStyle(TFormBorderStyle Style) {
  FBorderStyle = Style;
  const TFrameStyles styles = FrameStylesOf(Style);
  constexpr DWORD kFrameBits = WS_POPUP | WS_OVERLAPPEDWINDOW | DS_MODALFRAME;
  constexpr DWORD kFrameExBits = WS_EX_APPWINDOW | WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME;
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
  SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~kFrameBits) | styles.Style);
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, (exStyle & ~kFrameExBits) | styles.ExStyle);
  // The frame is drawn anew and the client area recomputed for the new style.
  // The window itself stays: a new one would lose the browser parented to it.
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  SetCornerPreference(FCornerPreference);
}

void TWin32FormPeer::SetWindowState(TWindowState State) {
  FWindowState = State;
  if (!FShown) return;
  switch (State) {
    case TWindowState::wsNormal:
      ShowWindow(Handle(), SW_RESTORE);
      break;
    case TWindowState::wsMinimized:
      ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case TWindowState::wsMaximized:
      ShowWindow(Handle(), SW_MAXIMIZE);
      break;
  }
}

TWindowState TWin32FormPeer::WindowState() const {
  if (!FShown) return FWindowState;
  if (IsIconic(Handle())) return TWindowState::wsMinimized;
  if (IsZoomed(Handle())) return TWindowState::wsMaximized;
  return TWindowState::wsNormal;
}

void TWin32FormPeer::SetStayOnTop(bool StayOnTop) {
  SetWindowPos(Handle(), StayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TWin32FormPeer::StayOnTop() const {
  return GetWindowLongPtrW(Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST;
}

bool TWin32FormPeer::Visible() const {
  return IsWindowVisible(Handle());
}

void TWin32FormPeer::Hide() {
  ShowWindow(Handle(), SW_HIDE);
}

void TWin32FormPeer::Present() {
  if (!FShown) return Show();
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

void TWin32FormPeer::Show() {
  if (!FShown) PlaceForFirstShow();
  FShown = true;
  int command = SW_SHOW;
  if (FWindowState == TWindowState::wsMaximized) command = SW_SHOWMAXIMIZED;
  if (FWindowState == TWindowState::wsMinimized) command = SW_SHOWMINIMIZED;
  // Only the first call applies the remembered state; later ones just show.
  FWindowState = TWindowState::wsNormal;
  ShowWindow(Handle(), IsWindowVisible(Handle()) ? SW_SHOW : command);
  UpdateWindow(Handle());
  SetForegroundWindow(Handle());
}

// Handled after the current event, as a click on the close button would be.
void TWin32FormPeer::Close() {
  PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TWin32FormPeer::PlaceForFirstShow() {
  const TRect b = Bounds();
  if (FPosition == TPosition::poDefaultPosOnly) {
    SetWindowPos(Handle(), nullptr, FDefaultPos.x, FDefaultPos.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (FPosition == TPosition::poDesktopCenter) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int left = work.left + (work.right - work.left - b.Width()) / 2;
    const int top = work.top + (work.bottom - work.top - b.Height()) / 2;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TWin32FormPeer::LayoutChildren() {
  RECT client{};
  GetClientRect(Handle(), &client);
  // The form's children (the browser form) fill its client area.
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    MoveWindow(child, 0, 0, client.right, client.bottom, TRUE);
}

void TWin32FormPeer::ApplyConstraints(MINMAXINFO& info) const {
  if (FMinWidth > 0) info.ptMinTrackSize.x = FMinWidth;
  if (FMinHeight > 0) info.ptMinTrackSize.y = FMinHeight;
  if (FMaxWidth > 0) info.ptMaxTrackSize.x = info.ptMaxSize.x = FMaxWidth;
  if (FMaxHeight > 0) info.ptMaxTrackSize.y = info.ptMaxSize.y = FMaxHeight;
}

void TWin32FormPeer::RestoreFocus() {
  if (FLastFocus && IsWindow(FLastFocus) && IsChild(Handle(), FLastFocus)) {
    SetFocus(FLastFocus);
  } else if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE)) {
    SetFocus(first);
  }
}

LRESULT TWin32FormPeer::CloseQuery() {
  const std::shared_ptr<bool> alive = FAlive;
  const HWND hwnd = Handle();
  if (!FEvents.FormCloseQuery() || !*alive) return 0;
  FEvents.FormClose();
  // FormClose may have freed this object, and its window with it.
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  return 0;
}

LRESULT TWin32FormPeer::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      return CloseQuery();
    case WM_COMMAND:
      // Menu commands come without a control and with notification code 0.
      if (lParam == 0 && HIWORD(wParam) == 0 && OnMenuCommand && OnMenuCommand(LOWORD(wParam)))
        return 0;
      break;
    case WM_SIZE:
      LayoutChildren();
      return 0;
    case WM_GETMINMAXINFO:
      ApplyConstraints(*reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) FLastFocus = focus;
      }
      return DefWindowProcW(Handle(), msg, wParam, lParam);
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
  }
  return TWindow::WndProc(msg, wParam, lParam);
}

// Windows 11 draws the corners the form asks for; earlier systems refuse
// the attribute and keep square corners, which is fine.
void TWin32FormPeer::SetCornerPreference(int Value) {
  constexpr DWORD kWindowCornerPreference = 33;  // DWMWA_WINDOW_CORNER_PREFERENCE
  FCornerPreference = Value;
  DwmSetWindowAttribute(Handle(), kWindowCornerPreference, &Value, sizeof Value);
}

}  // namespace zel::win

// The two start-up windows on Win32: the password prompt and the progress
// window shown while the browser runtime installs.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/ActivityIndicator.h"
#include "core/Colors.h"
#include "platform/windows/Win32Theme.h"
#include "platform/windows/Win32UI.h"
#include "platform/windows/Win32Window.h"
#include "platform/windows/WinStr.h"

namespace zel::win {
namespace {

constexpr int kProgressSize = 80;
constexpr int kIndicatorSize = 64;
constexpr int kIndicatorLeft = 9, kIndicatorTop = 8;
constexpr UINT_PTR kFrameTimer = 1;

int Scale(int value, UINT dpi) {
  return MulDiv(value, static_cast<int>(dpi), 96);
}

// The primary monitor's work area, where the start-up windows are centred
// (there is no main window yet).
RECT WorkArea() {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

COLORREF ToColorRef(unsigned color) {
  if ((color & 0xFF000000u) == 0xFF000000u && (color & 0xFFFFFFu) <= COLOR_MENUBAR)
    return GetSysColor(static_cast<int>(color & 0xFFu));
  const TRGB rgb = ColorToRGB(color);
  return RGB(rgb.R, rgb.G, rgb.B);
}

COLORREF Blend(COLORREF back, COLORREF ink, double opacity) {
  auto mix = [opacity](int b, int i) {
    return static_cast<int>(std::lround(b + (i - b) * opacity));
  };
  return RGB(mix(GetRValue(back), GetRValue(ink)), mix(GetGValue(back), GetGValue(ink)),
             mix(GetBValue(back), GetBValue(ink)));
}

// A window that exists only to own the progress window: an owned window
// gets no taskbar button, and the owner is never shown.
class THiddenOwner : public TWindow {
 public:
  THiddenOwner() {
    RegisterWindowClass(L"ZelInstallerOwner", nullptr);
    CreateHandle(L"ZelInstallerOwner", 0, WS_POPUP, 0, 0, 0, 0, nullptr);
  }
};

class TWin32InstallerProgress : public IInstallerProgressPeer, public TWindow {
 public:
  explicit TWin32InstallerProgress(const TInstallerProgressParams& params)
      : FBack(ToColorRef(params.Color)),
        FInk(params.IndicatorColor == TActivityIndicatorColor::aicWhite ? RGB(255, 255, 255)
                                                                        : RGB(0, 0, 0)),
        FType(static_cast<int>(params.IndicatorType)),
        FStart(GetTickCount64()) {
    RegisterWindowClass(kClassName, nullptr);
    const UINT dpi = GetDpiForSystem();
    const int size = Scale(kProgressSize, dpi);
    const RECT area = WorkArea();
    CreateHandle(kClassName, 0, WS_POPUP, (area.left + area.right - size) / 2,
                 (area.top + area.bottom - size) / 2, size, size, FOwner.Handle());
    SetWindowTextW(Handle(), L"EdgeInstallerForm");
    SetClassLongPtrW(Handle(), GCL_STYLE, GetClassLongPtrW(Handle(), GCL_STYLE) | CS_DROPSHADOW);
    HRGN region = CreateRoundRectRgn(0, 0, size + 1, size + 1, 4, 4);
    if (!SetWindowRgn(Handle(), region, TRUE)) DeleteObject(region);
    ShowWindow(Handle(), SW_SHOWNORMAL);
    UpdateWindow(Handle());
    SetTimer(Handle(), kFrameTimer, kActivityIndicatorFrameMs, nullptr);
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_CLOSE:
        return 0;  // Alt+F4 and the like do nothing
      case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
      case WM_TIMER:
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        Paint();
        return 0;
      case WM_DESTROY:
        KillTimer(Handle(), kFrameTimer);
        break;
    }
    return TWindow::WndProc(msg, wParam, lParam);
  }

 private:
  static constexpr const wchar_t* kClassName = L"ZelEdgeInstallerForm";

  void Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT client{};
    GetClientRect(Handle(), &client);
    // Drawn off screen, so the animation does not flicker.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    HBRUSH back = CreateSolidBrush(FBack);
    FillRect(mem, &client, back);
    DeleteObject(back);
    DrawIndicator(mem);
    BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
    EndPaint(Handle(), &ps);
  }

  void DrawIndicator(HDC dc) const {
    const double scale = GetDpiForWindow(Handle()) / 96.0;
    const double left = kIndicatorLeft * scale, top = kIndicatorTop * scale;
    const double seconds = static_cast<double>(GetTickCount64() - FStart) / 1000.0;
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    for (const TIndicatorShape& s :
         ActivityIndicatorFrame(FType, seconds, kIndicatorSize * scale)) {
      HBRUSH brush = CreateSolidBrush(Blend(FBack, FInk, s.Opacity));
      HGDIOBJ oldBrush = SelectObject(dc, brush);
      const double x = left + s.X, y = top + s.Y;
      if (s.Kind == TIndicatorShape::Dot) {
        Ellipse(dc, static_cast<int>(std::lround(x - s.Radius)),
                static_cast<int>(std::lround(y - s.Radius)),
                static_cast<int>(std::lround(x + s.Radius)) + 1,
                static_cast<int>(std::lround(y + s.Radius)) + 1);
      } else {
        std::vector<POINT> points = SectorOutline(s, x, y);
        Polygon(dc, points.data(), static_cast<int>(points.size()));
      }
      SelectObject(dc, oldBrush);
      DeleteObject(brush);
    }
    SelectObject(dc, oldPen);
  }

  // The ring piece as a polygon: along the outer arc, back along the inner.
  static std::vector<POINT> SectorOutline(const TIndicatorShape& s, double x, double y) {
    constexpr int kSteps = 48;
    std::vector<POINT> points;
    for (int pass = 0; pass < 2; ++pass) {
      const double r = pass == 0 ? s.Radius : s.InnerRadius;
      for (int i = 0; i <= kSteps; ++i) {
        const double t = pass == 0 ? i : kSteps - i;
        const double a = s.StartAngle + (s.EndAngle - s.StartAngle) * t / kSteps;
        points.push_back({static_cast<LONG>(std::lround(x + r * std::cos(a))),
                          static_cast<LONG>(std::lround(y + r * std::sin(a)))});
      }
    }
    return points;
  }

  THiddenOwner FOwner;
  COLORREF FBack, FInk;
  int FType;
  ULONGLONG FStart;
};

constexpr int kPromptWidth = 308, kPromptHeight = 71;
constexpr int kFieldLeft = 24, kFieldTop = 24, kFieldWidth = 257, kFieldHeight = 21;
constexpr int kKeyId = 100, kEditId = 101;
constexpr UINT_PTR kEditSubclass = 1;

// A key, drawn rather than loaded: a ring for the bow, a shaft and two bits.
void DrawKey(HDC dc, const RECT& r, COLORREF color) {
  const int s = std::min(r.right - r.left, r.bottom - r.top);
  const int x = r.left + (r.right - r.left - s) / 2, y = r.top + (r.bottom - r.top - s) / 2;
  auto px = [s](double v) { return static_cast<int>(std::lround(v * s / 16.0)); };
  HPEN pen = CreatePen(PS_SOLID, std::max(1, px(1.6)), color);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Ellipse(dc, x + px(1), y + px(5), x + px(7), y + px(11));
  MoveToEx(dc, x + px(7), y + px(8), nullptr);
  LineTo(dc, x + px(15), y + px(8));
  MoveToEx(dc, x + px(12), y + px(8), nullptr);
  LineTo(dc, x + px(12), y + px(11));
  MoveToEx(dc, x + px(14), y + px(8), nullptr);
  LineTo(dc, x + px(14), y + px(10));
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

class TWin32PasswordPrompt : public TWindow {
 public:
  TWin32PasswordPrompt(const std::string& caption, const std::string& password)
      : FPassword(password) {
    RegisterWindowClass(kClassName, GetSysColorBrush(COLOR_BTNFACE));
    const UINT dpi = GetDpiForSystem();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, Scale(kPromptWidth, dpi), Scale(kPromptHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    const RECT area = WorkArea();
    CreateHandle(kClassName, exStyle, style, (area.left + area.right - w) / 2,
                 (area.top + area.bottom - h) / 2, w, h, GetActiveWindow());
    SetWindowTextW(Handle(), Widen(caption).c_str());
    CreateControls(dpi);
    UsePalette(ActivePalette());
  }
  ~TWin32PasswordPrompt() override {
    if (FFont) DeleteObject(FFont);
    for (HBRUSH b : {FBackBrush, FFieldBrush})
      if (b) DeleteObject(b);
  }

  // Runs the prompt's own loop; true once the right text was typed.
  bool ShowModal() {
    HWND owner = GetWindow(Handle(), GW_OWNER);
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(Handle());
    SetFocus(FEdit);
    MSG msg;
    // No IsDialogMessage: it would turn Escape into IDCANCEL and Enter into
    // IDOK, and neither means anything here.
    while (!FDone) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got <= 0) {
        // The application is ending: the prompt counts as closed.
        if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (owner) EnableWindow(owner, TRUE);
    ShowWindow(Handle(), SW_HIDE);
    return FAccepted;
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_CLOSE:
        FDone = true;  // the close button is Cancel
        return 0;
      case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != kKeyId) break;
        FillRect(item->hDC, &item->rcItem,
                 FFieldBrush ? FFieldBrush : GetSysColorBrush(COLOR_WINDOW));
        DrawKey(item->hDC, item->rcItem, FFieldBrush ? FMuted : GetSysColor(COLOR_GRAYTEXT));
        return TRUE;
      }
      case WM_ERASEBKGND: {
        if (!FBackBrush) break;
        RECT r{};
        GetClientRect(Handle(), &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, FBackBrush);
        return TRUE;
      }
      case WM_CTLCOLOREDIT:
        if (!FFieldBrush) break;
        SetTextColor(reinterpret_cast<HDC>(wParam), FText);
        SetBkColor(reinterpret_cast<HDC>(wParam), FField);
        return reinterpret_cast<LRESULT>(FFieldBrush);
      case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(FEdit);
        return 0;
    }
    return TWindow::WndProc(msg, wParam, lParam);
  }

 private:
  static constexpr const wchar_t* kClassName = L"ZelRequirePasswordForm";

  void CreateControls(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
      FFont = CreateFontIndirectW(&metrics.lfMessageFont);
    const int left = Scale(kFieldLeft, dpi), top = Scale(kFieldTop, dpi);
    const int height = Scale(kFieldHeight, dpi), keyWidth = height;
    // The key sits at the field's left, inside its frame as a left button would.
    FKey = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, left, top,
                           keyWidth, height, Handle(), reinterpret_cast<HMENU>(kKeyId),
                           GetModuleHandleW(nullptr), nullptr);
    FEdit =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                        left + keyWidth, top, Scale(kFieldWidth, dpi) - keyWidth, height, Handle(),
                        reinterpret_cast<HMENU>(kEditId), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(FEdit, EM_SETPASSWORDCHAR, L'*', 0);
    if (FFont) SendMessageW(FEdit, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
    SetWindowSubclass(FEdit, EditProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(this));
  }

  // The theme's colours for the window, the field and the key; the frame
  // colours come with them.
  void UsePalette(const TThemePalette* palette) {
    if (!palette) return;
    FText = ToColorRef(palette->Text);
    FField = ToColorRef(palette->Control);
    FMuted = ToColorRef(MixColours(palette->Text, palette->Control, 0.55));
    FBackBrush = CreateSolidBrush(ToColorRef(palette->Window));
    FFieldBrush = CreateSolidBrush(FField);
    PaintThemeFrame(Handle());
  }

  void KeyReleased() {
    const int length = GetWindowTextLengthW(FEdit);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(FEdit, text.data(), length + 1)));
    // The whole text, exactly: no trimming, no case folding.
    if (Narrow(text) == FPassword) {
      FAccepted = true;
      FDone = true;
    }
  }

  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data) {
    auto* self = reinterpret_cast<TWin32PasswordPrompt*>(data);
    switch (msg) {
      case WM_KEYUP: {
        const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
        self->KeyReleased();
        return r;
      }
      case WM_CHAR:
        // Enter and Escape mean nothing (and must not beep).
        if (wParam == L'\r' || wParam == 0x1B) return 0;
        break;
      case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, EditProc, id);
        break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }

  std::string FPassword;
  HWND FEdit = nullptr, FKey = nullptr;
  HFONT FFont = nullptr;
  HBRUSH FBackBrush = nullptr, FFieldBrush = nullptr;  // null: the system's colours
  COLORREF FText = 0, FField = 0, FMuted = 0;
  bool FDone = false, FAccepted = false;
};

}  // namespace

bool TWin32UI::RequirePassword(const std::string& Caption, const std::string& Password) {
  TWin32PasswordPrompt prompt(Caption, Password);
  return prompt.ShowModal();
}

std::unique_ptr<IInstallerProgressPeer> TWin32UI::ShowInstallerProgress(
    const TInstallerProgressParams& Params) {
  return std::make_unique<TWin32InstallerProgress>(Params);
}

}  // namespace zel::win

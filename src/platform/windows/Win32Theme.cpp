// The host's themes and notifications on Windows.
#include <windows.h>

#include <dwmapi.h>

#include "platform/windows/Win32Theme.h"
#include "platform/windows/Win32UI.h"

namespace zel::win {

namespace {

// Windows 11 attributes, declared here for older SDK headers.
constexpr DWORD kUseImmersiveDarkMode = 20;
constexpr DWORD kBorderColor = 34;
constexpr DWORD kCaptionColor = 35;
constexpr DWORD kTextColor = 36;
constexpr COLORREF kDefaultColor = 0xFFFFFFFF;

// Catalogue data, alive for the whole run; touched on the UI thread only.
const TThemePalette* gPalette = nullptr;

// The frame colours of one window; systems before Windows 11 ignore them.
void PaintFrame(HWND window, const TThemePalette* palette) {
  const BOOL dark = palette && IsDarkPalette(*palette);
  const COLORREF caption = palette ? ToColorRef(palette->MenuBar) : kDefaultColor;
  const COLORREF text = palette ? ToColorRef(ContrastingText(palette->MenuBar)) : kDefaultColor;
  const COLORREF border = palette ? ToColorRef(palette->Border) : kDefaultColor;
  DwmSetWindowAttribute(window, kUseImmersiveDarkMode, &dark, sizeof dark);
  DwmSetWindowAttribute(window, kCaptionColor, &caption, sizeof caption);
  DwmSetWindowAttribute(window, kTextColor, &text, sizeof text);
  DwmSetWindowAttribute(window, kBorderColor, &border, sizeof border);
  RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// No notification service yet: toasts need an AppUserModelID registered
// for the user (a setting the host would have to write), and Wine has no
// toast factory. Every notification answers "cannot notify".
class TNoNotificationCenter final : public INotificationCenter {
 public:
  bool Supported() override { return false; }
  bool Present(const std::string&, const std::string&, const std::string&) override {
    return false;
  }
};

}  // namespace

const TThemePalette* ActivePalette() {
  return gPalette;
}

void PaintThemeFrame(HWND Window) {
  // The system look needs no call: a new window has it already.
  if (gPalette) PaintFrame(Window, gPalette);
}

std::unique_ptr<INotificationCenter> TWin32UI::CreateNotificationCenter(
    const std::string&, std::function<void(const std::string&)>) {
  return std::make_unique<TNoNotificationCenter>();
}

void TWin32UI::ApplyTheme(const TThemePalette* Palette) {
  gPalette = Palette;
  // The host's own top-level windows, all on this thread.
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM palette) -> BOOL {
        PaintFrame(window, reinterpret_cast<const TThemePalette*>(palette));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(Palette));
}

}  // namespace zel::win

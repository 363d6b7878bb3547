// The active theme on Windows, for windows created after it was chosen.
#pragma once

#include <windows.h>

#include "core/Themes.h"

namespace zel::win {

// The palette of the active theme; null for the system's own look.
const TThemePalette* ActivePalette();

// Gives a new top-level window the active theme's frame colours.
void PaintThemeFrame(HWND Window);

inline COLORREF ToColorRef(std::uint32_t Rgb) {
  return RGB((Rgb >> 16) & 0xFF, (Rgb >> 8) & 0xFF, Rgb & 0xFF);
}

}  // namespace zel::win

// The catalogue of the host's visual themes: forty names, and for every one
// but the built-in "Windows" a palette that the platform paints with.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Colours as 0xRRGGBB.
struct TThemePalette {
  std::uint32_t Window;   // window and dialog background
  std::uint32_t Text;     // text on windows, entries and buttons
  std::uint32_t Control;  // entries, buttons, lists, tooltips
  std::uint32_t Accent;   // selection, focus, default button
  std::uint32_t MenuBar;  // the menu bar and headers
  std::uint32_t Border;   // frames of controls
};

struct TTheme {
  std::string_view Name;
  // Null for "Windows": the system's own look.
  const TThemePalette* Palette;
};

// "Windows" first, then the styles, as the style engine registers them.
std::span<const TTheme> Themes();

// The theme whose name equals `name` ignoring ASCII letter case (the names
// are ASCII, so the user's locale never changes the match); null if none.
const TTheme* FindTheme(std::string_view name);

// All names ordered ignoring ASCII letter case.
std::vector<std::string> SortedThemeNames();

// Relative luminance of a colour, 0 (black) to 1 (white).
double Luminance(std::uint32_t rgb);
// A palette whose window background is dark.
bool IsDarkPalette(const TThemePalette& palette);
// Black or white, whichever reads better on `background`.
std::uint32_t ContrastingText(std::uint32_t background);
// A mix of two colours: weight 0 gives `a`, 1 gives `b`.
std::uint32_t MixColours(std::uint32_t a, std::uint32_t b, double weight);

}  // namespace zel

#include "core/Themes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/Text.h"

namespace zel {

namespace {

// Window, text, control, accent, menu bar, border.
constexpr TThemePalette kAmakrits{0x303030, 0xE6E6E6, 0x3C3C3C, 0xD9822B, 0x252525, 0x505050};
constexpr TThemePalette kAmethystKamri{0xE9E4F0, 0x222222, 0xF7F5FA, 0x8E6BBF, 0xD6CCE6, 0xA997C5};
constexpr TThemePalette kAquaGraphite{0x3A3F44, 0xEDEDED, 0x4A5056, 0x34B3C9, 0x2D3136, 0x5D646B};
constexpr TThemePalette kAquaLightSlate{0xE3E9EE, 0x1E2A33, 0xF5F8FA, 0x2FA4C7, 0xC9D5DE, 0x9AAAB7};
constexpr TThemePalette kAuric{0x2E2A24, 0xF0E6D2, 0x3B352C, 0xD4A52C, 0x221F1A, 0x5A5040};
constexpr TThemePalette kCarbon{0x262626, 0xE0E0E0, 0x333333, 0x2F8FDF, 0x1C1C1C, 0x444444};
constexpr TThemePalette kCharcoalDarkSlate{0x2F3437, 0xDCE3E8, 0x3A4045,
                                           0x6E8FA8, 0x24282B, 0x4C5358};
constexpr TThemePalette kCobaltXEMedia{0x1F2A44, 0xE2E8F5, 0x2A3756, 0x3D7BFF, 0x16203A, 0x3F4D70};
constexpr TThemePalette kCyanDusk{0x23363D, 0xE0F2F5, 0x2E4750, 0x29B6C9, 0x1A2A30, 0x436169};
constexpr TThemePalette kCyanNight{0x15222B, 0xD8EEF3, 0x1F303B, 0x1FC3DB, 0x0E1820, 0x2F4757};
constexpr TThemePalette kEmeraldLightSlate{0xE4EBE7, 0x1F2B25, 0xF6F9F7,
                                           0x2EA66B, 0xCADBD1, 0x98AEA2};
constexpr TThemePalette kGlossy{0x202020, 0xF2F2F2, 0x2E2E2E, 0x4FA3E0, 0x101010, 0x4A4A4A};
constexpr TThemePalette kGlow{0x1E1F26, 0xE9EAF0, 0x2A2C36, 0x5AC8FA, 0x16171D, 0x3D404D};
constexpr TThemePalette kGoldenGraphite{0x34322F, 0xF1E9D8, 0x413E3A, 0xE0B040, 0x282624, 0x57534D};
constexpr TThemePalette kIcebergClassico{0xE8F0F5, 0x1A2630, 0xFFFFFF,
                                         0x4A90C2, 0xD2E1EB, 0xA4BACB};
constexpr TThemePalette kLavenderClassico{0xECE8F3, 0x261F33, 0xFFFFFF,
                                          0x8A6FC0, 0xDCD4EA, 0xB3A6CE};
constexpr TThemePalette kLight{0xF3F3F3, 0x1A1A1A, 0xFFFFFF, 0x3C8DDE, 0xE6E6E6, 0xBDBDBD};
constexpr TThemePalette kLuna{0xECE9D8, 0x000000, 0xFFFFFF, 0x316AC5, 0xD6DFF7, 0x7F9DB9};
constexpr TThemePalette kMetropolisBlack{0x1B1B1B, 0xFFFFFF, 0x262626,
                                         0x1BA1E2, 0x000000, 0x3A3A3A};
constexpr TThemePalette kMetropolisBlue{0x1E4E8C, 0xFFFFFF, 0x2B5E9F, 0xF0A30A, 0x163C6D, 0x4A77B0};
constexpr TThemePalette kMetropolisDark{0x2D2D30, 0xF1F1F1, 0x3E3E42, 0x007ACC, 0x1E1E1E, 0x555555};
constexpr TThemePalette kMetropolisGreen{0x1F5F3A, 0xFFFFFF, 0x2A7048,
                                         0x8CBF26, 0x174A2D, 0x4A8A64};
constexpr TThemePalette kObsidian{0x1C1E22, 0xD5D9DE, 0x262A2F, 0x7289DA, 0x131518, 0x3A3F46};
constexpr TThemePalette kOnyxBlue{0x1A2230, 0xDDE6F2, 0x243044, 0x3A8EE6, 0x121925, 0x36455E};
constexpr TThemePalette kRubyGraphite{0x333031, 0xF0E4E6, 0x403C3D, 0xC8283E, 0x272425, 0x5A5052};
constexpr TThemePalette kSapphireKamri{0xE2E9F4, 0x17243A, 0xF6F9FD, 0x2D5FB8, 0xC7D5EC, 0x90A5CC};
constexpr TThemePalette kSilver{0xE5E5E5, 0x202020, 0xF7F7F7, 0x6B7C93, 0xD0D0D0, 0xA8A8A8};
constexpr TThemePalette kSky{0xDDEEFB, 0x102A43, 0xF7FBFE, 0x2A9DF4, 0xB9DCF6, 0x8CBFE6};
constexpr TThemePalette kSlateClassico{0xD7DCE1, 0x1B232B, 0xF0F2F4, 0x52708F, 0xBFC7CF, 0x8E9AA6};
constexpr TThemePalette kSmokeyQuartzKamri{0xE8E3DE, 0x2A241F, 0xF8F6F4,
                                           0x9C7B5C, 0xD5CCC3, 0xAFA296};
constexpr TThemePalette kTabletDark{0x1F1F1F, 0xFFFFFF, 0x2B2B2B, 0x00A4EF, 0x141414, 0x404040};
constexpr TThemePalette kTabletLight{0xFAFAFA, 0x111111, 0xFFFFFF, 0x0078D7, 0xEFEFEF, 0xCFCFCF};
constexpr TThemePalette kTurquoiseGray{0x4A5157, 0xF2F5F6, 0x575F66, 0x2EC4B6, 0x3C4247, 0x6C757C};
constexpr TThemePalette kWindows10{0xF0F0F0, 0x000000, 0xFFFFFF, 0x0078D7, 0xFFFFFF, 0xADADAD};
constexpr TThemePalette kWindows10Blue{0x1F3A5F, 0xFFFFFF, 0x2A4A75, 0x3D9BFF, 0x17304F, 0x46648C};
constexpr TThemePalette kWindows10Dark{0x2B2B2B, 0xFFFFFF, 0x383838, 0x0078D7, 0x1F1F1F, 0x4D4D4D};
constexpr TThemePalette kWindows10Green{0x1E4B35, 0xFFFFFF, 0x285E44, 0x3CC483, 0x173D2A, 0x447A60};
constexpr TThemePalette kWindows10Purple{0x3B2A5A, 0xFFFFFF, 0x4A376E,
                                         0xB48CFF, 0x30224B, 0x62508A};
constexpr TThemePalette kWindows10SlateGray{0x3E4750, 0xFFFFFF, 0x4B5560,
                                            0x6FA8DC, 0x333B43, 0x646E79};

constexpr std::array<TTheme, 40> kThemes = {{
    {"Windows", nullptr},
    {"Amakrits", &kAmakrits},
    {"Amethyst Kamri", &kAmethystKamri},
    {"Aqua Graphite", &kAquaGraphite},
    {"Aqua Light Slate", &kAquaLightSlate},
    {"Auric", &kAuric},
    {"Carbon", &kCarbon},
    {"Charcoal Dark Slate", &kCharcoalDarkSlate},
    {"Cobalt XEMedia", &kCobaltXEMedia},
    {"Cyan Dusk", &kCyanDusk},
    {"Cyan Night", &kCyanNight},
    {"Emerald Light Slate", &kEmeraldLightSlate},
    {"Glossy", &kGlossy},
    {"Glow", &kGlow},
    {"Golden Graphite", &kGoldenGraphite},
    {"Iceberg Classico", &kIcebergClassico},
    {"Lavender Classico", &kLavenderClassico},
    {"Light", &kLight},
    {"Luna", &kLuna},
    {"Metropolis UI Black", &kMetropolisBlack},
    {"Metropolis UI Blue", &kMetropolisBlue},
    {"Metropolis UI Dark", &kMetropolisDark},
    {"Metropolis UI Green", &kMetropolisGreen},
    {"Obsidian", &kObsidian},
    {"Onyx Blue", &kOnyxBlue},
    {"Ruby Graphite", &kRubyGraphite},
    {"Sapphire Kamri", &kSapphireKamri},
    {"Silver", &kSilver},
    {"Sky", &kSky},
    {"Slate Classico", &kSlateClassico},
    {"Smokey Quartz Kamri", &kSmokeyQuartzKamri},
    {"Tablet Dark", &kTabletDark},
    {"Tablet Light", &kTabletLight},
    {"Turquoise Gray", &kTurquoiseGray},
    {"Windows10", &kWindows10},
    {"Windows10 Blue", &kWindows10Blue},
    {"Windows10 Dark", &kWindows10Dark},
    {"Windows10 Green", &kWindows10Green},
    {"Windows10 Purple", &kWindows10Purple},
    {"Windows10 SlateGray", &kWindows10SlateGray},
}};

double Channel(std::uint32_t rgb, int shift) {
  const double c = ((rgb >> shift) & 0xFF) / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

std::span<const TTheme> Themes() {
  return kThemes;
}

const TTheme* FindTheme(std::string_view name) {
  for (const TTheme& theme : kThemes)
    if (SameTextAscii(theme.Name, name)) return &theme;
  return nullptr;
}

std::vector<std::string> SortedThemeNames() {
  std::vector<std::string> names;
  for (const TTheme& theme : kThemes) names.emplace_back(theme.Name);
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return LowerAscii(a) < LowerAscii(b);
  });
  return names;
}

double Luminance(std::uint32_t rgb) {
  return 0.2126 * Channel(rgb, 16) + 0.7152 * Channel(rgb, 8) + 0.0722 * Channel(rgb, 0);
}

bool IsDarkPalette(const TThemePalette& palette) {
  return Luminance(palette.Window) < 0.25;
}

std::uint32_t ContrastingText(std::uint32_t background) {
  // Against white and black the contrast ratios meet at luminance 0.179.
  return Luminance(background) > 0.179 ? 0x000000 : 0xFFFFFF;
}

std::uint32_t MixColours(std::uint32_t a, std::uint32_t b, double weight) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double ca = (a >> shift) & 0xFF;
    const double cb = (b >> shift) & 0xFF;
    out |= static_cast<std::uint32_t>(std::lround(ca + (cb - ca) * weight)) << shift;
  }
  return out;
}

}  // namespace zel

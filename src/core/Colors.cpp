#include "core/Colors.h"

#include <array>

namespace zel {
namespace {

// COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30), as 0xRRGGBB.
constexpr std::array<std::uint32_t, 31> kSystemColors = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
};

}  // namespace

TRGB ColorToRGB(std::uint32_t Color) {
  if ((Color & 0xFF000000u) == 0xFF000000u) {
    const std::uint32_t index = Color & 0x00FFFFFFu;
    if (index >= kSystemColors.size()) return {};
    const std::uint32_t rgb = kSystemColors[index];
    return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
            static_cast<std::uint8_t>(rgb)};
  }
  return {static_cast<std::uint8_t>(Color), static_cast<std::uint8_t>(Color >> 8),
          static_cast<std::uint8_t>(Color >> 16)};
}

}  // namespace zel

// Colour values as the configuration writes them: 00BBGGRR for a red-green-
// blue colour, FF0000nn for the system colour with index nn.
#pragma once

#include <cstdint>

namespace zel {

struct TRGB {
  std::uint8_t R = 0, G = 0, B = 0;
  bool operator==(const TRGB&) const = default;
};

// The colour to draw. System colours take the Windows 10 defaults, which
// Linux has no equivalent of; an unknown system index gives black.
TRGB ColorToRGB(std::uint32_t Color);

}  // namespace zel

// Fuzzes the texts of the window functions: zoom factors and the numbers
// of setSize.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/WindowValues.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto factor = zel::ParseZoomFactor(text)) {
    if (!std::isfinite(*factor)) std::abort();
    // What getZoom writes, setZoom reads back (to its 15 digits).
    const auto again = zel::ParseZoomFactor(zel::FormatZoomFactor(*factor, "."));
    if (!again || std::abs(*again - *factor) > std::abs(*factor) * 1e-14) std::abort();
    zel::FormatZoomFactor(*factor, ",");
  }
  for (const int current : {0, 800, -5}) {
    const int value =
        zel::WindowBoundsValue(text, current, zel::kMinWindowExtent, zel::kMaxWindowExtent);
    if (value != current && (value < zel::kMinWindowExtent || value > zel::kMaxWindowExtent))
      std::abort();
    const int place =
        zel::WindowBoundsValue(text, current, zel::kMinWindowCoordinate, zel::kMaxWindowCoordinate);
    if (place != current &&
        (place < zel::kMinWindowCoordinate || place > zel::kMaxWindowCoordinate))
      std::abort();
  }
  return 0;
}

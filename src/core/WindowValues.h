// The texts that the window functions read and write: zoom factors and the
// numbers of a window's bounds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zel {

// A zoom factor as decimal text: at most 15 significant digits, no trailing
// zeros, `decimalSeparator` in place of the point ("1.5" -> "1,5"; 1 -> "1").
std::string FormatZoomFactor(double factor, std::string_view decimalSeparator);

// A decimal number whose only separator is the point, whatever the process's
// locale: an optional sign, digits with at most one point, an optional
// exponent; nothing before or after. Infinities, NaN, hexadecimal floats,
// thousands separators and values out of range give nothing.
std::optional<double> ParseZoomFactor(std::string_view text);

// The limits that X11 puts on a window (16-bit coordinates, sizes up to
// 32767); Windows takes the same without complaint.
inline constexpr int kMinWindowExtent = 1;
inline constexpr int kMaxWindowExtent = 32767;
inline constexpr int kMinWindowCoordinate = -32768;
inline constexpr int kMaxWindowCoordinate = 32767;

// One number of the bounds: a whole decimal number (optional sign, digits)
// brought within low..high; any other text keeps `current`.
int WindowBoundsValue(std::string_view text, int current, int low, int high);

}  // namespace zel

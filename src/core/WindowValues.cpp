#include "core/WindowValues.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace zel {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Skips a run of digits; returns how many there were.
size_t SkipDigits(std::string_view text, size_t& pos) {
  const size_t start = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos - start;
}

// True when the whole text is [sign] digits [. digits] [e [sign] digits]
// with at least one digit in the mantissa.
bool IsPlainDecimal(std::string_view text) {
  size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  size_t digits = SkipDigits(text, pos);
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    digits += SkipDigits(text, pos);
  }
  if (digits == 0) return false;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    if (SkipDigits(text, pos) == 0) return false;
  }
  return pos == text.size();
}

}  // namespace

std::string FormatZoomFactor(double factor, std::string_view decimalSeparator) {
  // to_chars with a precision is printf's "%.15g" in the C locale, whatever
  // the process's locale says.
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, factor, std::chars_format::general, 15);
  std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
  if (const size_t point = text.find('.'); point != std::string::npos)
    text.replace(point, 1, decimalSeparator);
  return text;
}

std::optional<double> ParseZoomFactor(std::string_view text) {
  if (!IsPlainDecimal(text)) return std::nullopt;
  // from_chars takes no plus sign and ignores the locale.
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

int WindowBoundsValue(std::string_view text, int current, int low, int high) {
  size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) ++pos;
  const size_t start = pos;
  if (SkipDigits(text, pos) == 0 || pos != text.size()) return current;
  // Saturates instead of overflowing: a huge number is still beyond the limit.
  long long value = 0;
  for (char c : text.substr(start)) value = std::min(value * 10 + (c - '0'), 1LL << 40);
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, low, high));
}

}  // namespace zel

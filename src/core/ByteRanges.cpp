#include "core/ByteRanges.h"

#include <limits>
#include <optional>

#include "core/Text.h"

namespace zel {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Decimal digits only; values past 2^64 - 1 saturate, since any of them is
// past the end of every body.
std::optional<std::uint64_t> Number(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return value;
}

TByteRange Unsatisfiable() {
  return {TByteRange::TKind::Unsatisfiable, 0, 0};
}

TByteRange Partial(std::uint64_t first, std::uint64_t last) {
  return {TByteRange::TKind::Partial, first, last - first + 1};
}

}  // namespace

TByteRange ResolveByteRange(std::string_view rangeHeader, std::uint64_t size) {
  const TByteRange whole{TByteRange::TKind::Whole, 0, size};
  std::string_view ranges = Trimmed(rangeHeader);
  const size_t equals = ranges.find('=');
  if (equals == std::string_view::npos || LowerAscii(Trimmed(ranges.substr(0, equals))) != "bytes")
    return whole;
  ranges = Trimmed(ranges.substr(equals + 1));
  if (ranges.find(',') != std::string_view::npos) return whole;
  const size_t dash = ranges.find('-');
  if (dash == std::string_view::npos) return whole;
  const std::string_view firstText = Trimmed(ranges.substr(0, dash));
  const std::string_view lastText = Trimmed(ranges.substr(dash + 1));

  if (firstText.empty()) {  // a suffix: the last N bytes
    const std::optional<std::uint64_t> suffix = Number(lastText);
    if (!suffix) return whole;
    if (*suffix == 0 || size == 0) return Unsatisfiable();
    return Partial(*suffix >= size ? 0 : size - *suffix, size - 1);
  }
  const std::optional<std::uint64_t> first = Number(firstText);
  if (!first) return whole;
  std::uint64_t last = std::numeric_limits<std::uint64_t>::max();
  if (!lastText.empty()) {
    const std::optional<std::uint64_t> given = Number(lastText);
    if (!given || *given < *first) return whole;
    last = *given;
  }
  if (*first >= size) return Unsatisfiable();
  return Partial(*first, last >= size ? size - 1 : last);
}

std::string ContentRangeValue(const TByteRange& range, std::uint64_t size) {
  switch (range.Kind) {
    case TByteRange::TKind::Partial:
      return "bytes " + std::to_string(range.First) + "-" +
             std::to_string(range.First + range.Length - 1) + "/" + std::to_string(size);
    case TByteRange::TKind::Unsatisfiable:
      return "bytes */" + std::to_string(size);
    case TByteRange::TKind::Whole:
      break;
  }
  return {};
}

}  // namespace zel

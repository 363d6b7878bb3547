#include "core/SystemText.h"

#include <cstdio>

#include "core/StrUtils.h"

namespace zel {

std::string MacAddressPrefix(unsigned adapterType) {
  switch (adapterType) {
    case 6:
      return "E";
    case 71:
      return "W";
    default:
      return "U";
  }
}

std::optional<std::string> MacAddressEntry(std::string_view prefix,
                                           std::span<const std::uint8_t> address) {
  std::uint8_t b[6] = {};
  bool zero = true;
  for (size_t i = 0; i < 6 && i < address.size(); ++i) {
    b[i] = address[i];
    zero = zero && b[i] == 0;
  }
  if (zero) return std::nullopt;
  char hex[18];
  std::snprintf(hex, sizeof hex, "%.2x:%.2x:%.2x:%.2x:%.2x:%.2x", b[0], b[1], b[2], b[3], b[4],
                b[5]);
  return std::string(prefix) + "," + hex;
}

std::string NotificationClickStatement(std::string_view name) {
  // Non-ASCII characters, U+2028 and U+2029 among them, come out as \u
  // escapes, which every JavaScript parser reads inside a string literal.
  return "zel.events.onNotificationClick(" + TStrUtils::StringToJsonString(name) + ");";
}

}  // namespace zel

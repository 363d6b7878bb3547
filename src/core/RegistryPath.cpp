#include "core/RegistryPath.h"

namespace zel {

size_t Utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) == 0x80) continue;  // continuation bytes add nothing
    units += c >= 0xF0 ? 2 : 1;        // four-byte sequences are surrogate pairs
  }
  return units;
}

std::optional<TRegistryKeyPath> ParseRegistryKeyPath(std::string_view key) {
  TRegistryKeyPath path;
  if (key.find_first_not_of('\\') == std::string_view::npos) return path;
  if (key.find('\0') != std::string_view::npos) return std::nullopt;
  if (key.front() == '\\') key.remove_prefix(1);
  if (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  while (true) {
    const size_t end = key.find('\\');
    const std::string_view name = key.substr(0, end);
    if (name.empty() || Utf16Length(name) > kMaxRegistryKeyNameLength) return std::nullopt;
    if (path.Names.size() == kMaxRegistryKeyDepth) return std::nullopt;
    path.Names.emplace_back(name);
    if (end == std::string_view::npos) return path;
    key.remove_prefix(end + 1);
  }
}

bool IsValidRegistryValueName(std::string_view name) {
  return !name.empty() && name.find('\0') == std::string_view::npos &&
         Utf16Length(name) <= kMaxRegistryValueNameLength;
}

}  // namespace zel

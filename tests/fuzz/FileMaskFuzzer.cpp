// Fuzzes the file mask matcher of listFiles: a name, a NUL, then the mask.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/FileSystem.h"

namespace {

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t split = text.find('\0');
  const std::string_view name = text.substr(0, split);
  const std::string_view mask = split == text.npos ? text : text.substr(split + 1);
  const bool matches = zel::MatchesFileMask(name, mask);
  // Without wildcards a mask is a name.
  if (mask.find_first_of("*?[") == mask.npos && matches != EqualIgnoringAsciiCase(name, mask))
    std::abort();
  if (!zel::MatchesFileMask(name, "*") || !zel::MatchesFileMask(name, "*.*")) std::abort();
  return 0;
}

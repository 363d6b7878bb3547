#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zel {

// Decodes standard base64; blanks and line breaks are skipped, padding may
// be missing. Empty when any other character is met or the length is
// impossible.
std::optional<std::string> DecodeBase64(std::string_view text);

}  // namespace zel

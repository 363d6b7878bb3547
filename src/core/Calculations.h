// The run-time construction of the archive password.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// Vigenère decoding of Text with Key (capital letters only, each a shift of
// 0 to 25). Throws std::invalid_argument("Invalid character in CalculateWidth
// key.") for any other key character.
std::string CalculateWidth(std::string_view text, std::string_view key);

// The two stored strings from which the host and the packager build the
// archive password: CalculateWidth(kPasswordText, kPasswordKey).
extern const std::string_view kPasswordText;  // 26 printable characters
extern const std::string_view kPasswordKey;   // 21 letters "A" to "Z"

}  // namespace zel

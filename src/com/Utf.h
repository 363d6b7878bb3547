// Conversions between UTF-8 (the host's text) and UTF-16 (the browser runtime's).
#pragma once

#include <string>
#include <string_view>

namespace zel {

// Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// Decodes raw UTF-16 bytes in the given byte order; an odd last byte is dropped.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

// Replaces every invalid UTF-8 sequence with U+FFFD.
std::string SanitizeUtf8(std::string_view s);

}  // namespace zel

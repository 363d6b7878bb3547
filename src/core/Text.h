// Small text helpers with the semantics the host relies on.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// Removes leading and trailing characters up to the space (control characters
// and blanks), as the configuration and the browser control expect.
std::string_view Trim(std::string_view s);
bool IsBlank(std::string_view s);

std::string LowerAscii(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);
bool StartsTextAscii(std::string_view text, std::string_view prefix);

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// Wildcard matching in time proportional to the pattern's length times the
// text's, whatever the pattern: '*' is any run of characters, '?' any one;
// with `Sets`, "[a-c]" is one character of a set (no closing ']': matches
// nothing); with `IgnoreAsciiCase`, ASCII letters match either case.
struct TWildcardOptions {
  bool IgnoreAsciiCase = false;
  bool Sets = false;
};
bool WildcardMatch(std::string_view pattern, std::string_view text, TWildcardOptions options = {});

// Parses a 32-bit integer: optional sign, then decimal digits or hexadecimal
// digits after "$" or "0x"/"0X" (the latter only when the text is longer than
// two characters). Hexadecimal values up to FFFFFFFF wrap into the signed range.
bool TryStrToInt(std::string_view s, int& value);

// "%d" with std::string.
std::string IntToStr(long long v);

// The text cut to at most `maxBytes` bytes, never inside a UTF-8 sequence,
// with "\u2026" (…) added when something was cut (within the limit).
std::string ShortenUtf8(std::string_view text, size_t maxBytes);

}  // namespace zel

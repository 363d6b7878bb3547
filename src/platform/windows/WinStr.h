// UTF-8 (the host's text) to UTF-16 (Win32's) and back, at the Win32 calls.
#pragma once

#include <string>
#include <string_view>

namespace zel::win {

// Invalid sequences become U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// One command-line argument quoted so that the C runtime's splitting (and
// CommandLineToArgvW) gives it back unchanged.
std::wstring QuoteArgument(std::wstring_view argument);

// Reads a string through a Win32 call of the form "fill this buffer of n
// characters, answer the length" and grows the buffer until it fits. Fill
// returns the characters written, or the size needed when the buffer was too
// small (GetEnvironmentVariableW, GetModuleFileNameW, GetLongPathNameW...).
template <class TFill>
std::wstring ReadGrowing(TFill Fill, size_t initial = 260) {
  std::wstring buf(initial, L'\0');
  for (int tries = 0; tries < 8; ++tries) {
    const size_t n = Fill(buf.data(), buf.size());
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(n > buf.size() ? n + 1 : buf.size() * 2);
  }
  return {};
}

}  // namespace zel::win

#include <windows.h>

#include "platform/windows/WinStr.h"

#include "com/Utf.h"

namespace zel::win {

// wchar_t is a UTF-16 code unit on Windows, so the portable conversions apply.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring Widen(std::string_view utf8) {
  const std::u16string s = Utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

std::string Narrow(std::wstring_view utf16) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

std::wstring QuoteArgument(std::wstring_view argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring_view::npos)
    return std::wstring(argument);
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes double only before a quote.
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

}  // namespace zel::win

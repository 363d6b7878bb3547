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

}  // namespace zel::win

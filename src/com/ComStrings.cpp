#include "com/ComStrings.h"

#include <cstring>
#include <new>

#include "com/Utf.h"

namespace zel {

std::string FromWide(LPCWSTR text) {
  if (!text) return {};
  return Utf16ToUtf8(std::u16string_view(text));
}

std::string TakeRuntimeString(LPWSTR text) {
  std::string result = FromWide(text);
  CoTaskMemFree(text);
  return result;
}

LPWSTR NewWideString(std::string_view text) {
  try {
    const std::u16string wide = Utf8ToUtf16(text);
    auto* buffer = static_cast<LPWSTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(char16_t)));
    if (!buffer) return nullptr;
    std::memcpy(buffer, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    return buffer;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

HRESULT ToWide(std::string_view text, LPWSTR* out) {
  if (!out) return E_POINTER;
  *out = NewWideString(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace zel

#include "platform/linux/webkit/ComUtils.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "core/Utf.h"

namespace zel {

// Strings handed to the host are freed with the host's CoTaskMemFree, which
// on Linux is free(): both sides use the C heap.
void* CoTaskMemAlloc(std::size_t size) {
  return std::malloc(size);
}
void CoTaskMemFree(void* p) {
  std::free(p);
}

std::string FromWide(LPCWSTR text) {
  if (!text) return {};
  return Utf16ToUtf8(std::u16string_view(text));
}

HRESULT ToWide(std::string_view text, LPWSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Guard([&] {
    std::u16string wide = Utf8ToUtf16(text);
    auto* buffer = static_cast<LPWSTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(char16_t)));
    if (!buffer) return E_OUTOFMEMORY;
    std::memcpy(buffer, wide.data(), wide.size() * sizeof(char16_t));
    buffer[wide.size()] = u'\0';
    *out = buffer;
    return S_OK;
  });
}

std::int64_t NewToken() {
  static std::atomic<std::int64_t> next{1};
  return next++;
}

}  // namespace zel

#include <windows.h>

#include "platform/windows/MimeLookup.h"

#include "core/StrUtils.h"
#include "platform/windows/WinHandle.h"
#include "platform/windows/WinStr.h"

namespace zel::win {

std::string RegistryMimeType(std::string_view extension) {
  if (extension.empty()) return {};
  HKEY raw = nullptr;
  const std::wstring keyName = L"." + Widen(extension);
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
    return {};
  TKey key(raw);
  const std::wstring value = ReadGrowing(
      [&](wchar_t* buf, size_t size) -> size_t {
        DWORD bytes = static_cast<DWORD>(size * sizeof(wchar_t));
        const LSTATUS status =
            RegGetValueW(key.get(), nullptr, L"Content Type", RRF_RT_REG_SZ, nullptr, buf, &bytes);
        // Bytes include the terminating NUL on success and the needed size on
        // ERROR_MORE_DATA.
        if (status == ERROR_MORE_DATA) return bytes / sizeof(wchar_t) + 1;
        if (status != ERROR_SUCCESS || bytes < sizeof(wchar_t)) return 0;
        return bytes / sizeof(wchar_t) - 1;
      },
      64);
  return Narrow(value);
}

void InstallSystemMimeLookup() {
  TStrUtils::SetSystemMimeLookup([](std::string_view ext) { return RegistryMimeType(ext); });
}

}  // namespace zel::win

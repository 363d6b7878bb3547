// The user's registry on Windows: the keys below HKEY_CURRENT_USER.
#include "ports/Registry.h"

#include <stdexcept>

#include "platform/windows/WinHandle.h"
#include "platform/windows/WinStr.h"

namespace zel::win {

namespace {

std::wstring SubKey(const TRegistryKeyPath& key) {
  std::wstring path;
  for (const std::string& name : key.Names) {
    if (!path.empty()) path += L'\\';
    path += Widen(name);
  }
  return path;
}

// Keys are opened with full access, so a key the user may only read counts
// as one that cannot be opened.
TKey OpenKey(const TRegistryKeyPath& key, REGSAM access = KEY_ALL_ACCESS) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SubKey(key).c_str(), 0, access, &raw) != ERROR_SUCCESS)
    return nullptr;
  return TKey(raw);
}

class TWinRegistry final : public IRegistry {
 public:
  bool WriteValue(const TRegistryKeyPath& key, const std::string& name,
                  const std::string& value) override {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SubKey(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS)
      return false;
    const TKey opened(raw);
    const std::wstring data = Widen(value);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(opened.get(), Widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
  }

  std::string ReadValue(const TRegistryKeyPath& key, const std::string& name) override {
    const TKey opened = OpenKey(key);
    if (!opened) return {};
    const std::wstring valueName = Widen(name);
    // RRF_NOEXPAND reads expandable strings as stored; RegGetValueW always
    // ends the text with a NUL, which the size includes.
    const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    std::wstring buf;
    for (int tries = 0; tries < 8; ++tries) {
      DWORD bytes = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
      const LSTATUS rc = RegGetValueW(opened.get(), nullptr, valueName.c_str(), flags, nullptr,
                                      buf.empty() ? nullptr : buf.data(), &bytes);
      if (rc == ERROR_FILE_NOT_FOUND) return {};
      if (rc == ERROR_SUCCESS && !buf.empty()) {
        buf.resize(bytes / sizeof(wchar_t));
        if (!buf.empty() && buf.back() == L'\0') buf.pop_back();
        return Narrow(buf);
      }
      if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA)
        throw std::runtime_error("the registry value is not a string");
      buf.assign(bytes / sizeof(wchar_t) + 2, L'\0');
    }
    return {};
  }

  bool ValueExists(const TRegistryKeyPath& key, const std::string& name) override {
    const TKey opened = OpenKey(key);
    return opened && RegQueryValueExW(opened.get(), Widen(name).c_str(), nullptr, nullptr, nullptr,
                                      nullptr) == ERROR_SUCCESS;
  }

  bool DeleteValue(const TRegistryKeyPath& key, const std::string& name) override {
    const TKey opened = OpenKey(key);
    return opened && RegDeleteValueW(opened.get(), Widen(name).c_str()) == ERROR_SUCCESS;
  }

  bool KeyExists(const TRegistryKeyPath& key) override { return OpenKey(key, KEY_READ) != nullptr; }

  bool DeleteKeyTree(const TRegistryKeyPath& key) override {
    // RegDeleteTreeW with an empty sub-key empties HKEY_CURRENT_USER itself.
    if (key.IsRoot()) return false;
    const std::wstring subKey = SubKey(key);
    if (subKey.empty()) return false;
    return RegDeleteTreeW(HKEY_CURRENT_USER, subKey.c_str()) == ERROR_SUCCESS;
  }
};

}  // namespace

}  // namespace zel::win

namespace zel {

std::unique_ptr<IRegistry> OpenUserRegistry() {
  return std::make_unique<win::TWinRegistry>();
}

}  // namespace zel

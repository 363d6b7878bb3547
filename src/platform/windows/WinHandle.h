// Owning wrappers for the Win32 handles of the platform layer.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <memory>

namespace zel::win {

struct TCloseHandle {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
// A kernel handle (file, mapping, mutex, process...). Null means none.
using THandle = std::unique_ptr<void, TCloseHandle>;

// Kernel calls answer failure with null or with INVALID_HANDLE_VALUE.
inline THandle OwnHandle(HANDLE h) {
  return THandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

struct TLocalFree {
  void operator()(void* p) const { LocalFree(p); }
};
template <class T>
using TLocalPtr = std::unique_ptr<T, TLocalFree>;

struct TFreeLibrary {
  void operator()(HMODULE m) const { FreeLibrary(m); }
};
using TModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, TFreeLibrary>;

struct TCloseKey {
  void operator()(HKEY k) const { RegCloseKey(k); }
};
using TKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TCloseKey>;

// A reference to a system COM object (shell items, dialogs...).
struct TComRelease {
  void operator()(::IUnknown* p) const { p->Release(); }
};
template <class T>
using TComRef = std::unique_ptr<T, TComRelease>;

}  // namespace zel::win

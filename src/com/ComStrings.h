// Strings across the runtime interface: UTF-16, allocated with the COM task
// allocator by whoever hands them out and freed by whoever receives them.
#pragma once

#include <string>
#include <string_view>

#include "com/ComBase.h"

namespace zel {

// UTF-8 text from a borrowed interface string; null reads as empty.
std::string FromWide(LPCWSTR text);

// Takes ownership of a string handed out through the interface and frees it.
std::string TakeRuntimeString(LPWSTR text);

// A new CoTaskMemAlloc'd UTF-16 copy of UTF-8 text; null when out of memory.
LPWSTR NewWideString(std::string_view text);

// Hands UTF-8 text to a caller's out parameter as a new UTF-16 string.
HRESULT ToWide(std::string_view text, LPWSTR* out);

}  // namespace zel

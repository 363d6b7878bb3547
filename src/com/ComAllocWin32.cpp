// The COM task allocator, which the browser runtime uses for the strings it
// hands out and expects for the strings it is handed.
#include <windows.h>

#include <objbase.h>

#include "com/ComBase.h"

namespace zel {

void CoTaskMemFree(void* p) {
  ::CoTaskMemFree(p);
}

void* CoTaskMemAlloc(std::size_t size) {
  return ::CoTaskMemAlloc(size);
}

}  // namespace zel

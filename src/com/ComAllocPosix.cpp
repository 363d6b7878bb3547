// The task allocator of Linux binaries: the C heap, so a string allocated in
// one binary (the runtime library) is freed in another (the host).
#include <cstdlib>

#include "com/ComBase.h"

namespace zel {

void* CoTaskMemAlloc(std::size_t size) {
  return std::malloc(size);
}

void CoTaskMemFree(void* p) {
  std::free(p);
}

}  // namespace zel

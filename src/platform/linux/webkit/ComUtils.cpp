#include "platform/linux/webkit/ComUtils.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "com/Utf.h"

namespace zel::webkit {

std::int64_t NewToken() {
  static std::atomic<std::int64_t> next{1};
  return next++;
}

}  // namespace zel::webkit

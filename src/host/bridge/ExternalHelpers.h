// Small pieces of the bridge functions' replies.
#pragma once

#include <string>

namespace zel {

inline std::string Bool(bool value) {
  return value ? "true" : "false";
}

// The error reply text for a required field that is missing or empty.
inline std::string Missing(const char* field) {
  return "\"Missing " + std::string(field) + "\"";
}

}  // namespace zel

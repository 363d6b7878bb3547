// Resources compiled into the host.
#pragma once

#include <string_view>

namespace zel::resources {

// The page script that defines window.zel (UTF-8).
extern const std::string_view ZEL_EXTERNAL_JAVASCRIPT;

}  // namespace zel::resources

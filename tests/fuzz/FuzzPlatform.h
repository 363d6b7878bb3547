// The fuzz build's platform: no system is touched. Files go below a
// scratch folder, the registry lives in memory, the browser runtime is the
// fake one linked into the program.
#pragma once

#include <string>

namespace zel::fuzz {

// The scratch folder (".../zel-fuzz-bridge-XXXXXX/"), created on first
// use; the executable seems to lie in it.
const std::string& ScratchDir();

}  // namespace zel::fuzz

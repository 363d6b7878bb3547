#include "ports/PlatformNames.h"

#include "RuntimeId.h"

namespace zel::names {

// The folder keeps the runtime library apart from other files because
// WebKit loads every shared library in the library's own folder.
std::string RuntimeFolder() {
  return "Linux64/";
}

std::string LoaderEntryName() {
  return "libzelwebkit.so";
}

std::string LoaderFileName() {
  return "runtime-" ZEL_RUNTIME_ID "/libzelwebkit.so";
}

}  // namespace zel::names

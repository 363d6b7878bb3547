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

// Installs WebKitGTK through the system's package manager; zelpack adds the
// copy that sits beside the bare host.
std::string InstallerEntryName() {
  return "zel-runtime-installer.sh";
}

}  // namespace zel::names

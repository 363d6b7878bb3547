// Content types that Windows knows from its file associations.
#pragma once

#include <string>
#include <string_view>

namespace zel::win {

// The "Content Type" value of HKEY_CLASSES_ROOT\.<extension>; empty when the
// extension has none. The extension comes without its dot.
std::string RegistryMimeType(std::string_view extension);

// Hands RegistryMimeType to TStrUtils for the types its own table lacks.
void InstallSystemMimeLookup();

}  // namespace zel::win

// Fuzzes the configuration reader with arbitrary file content.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zel::TMemIniFile ini;
  ini.SetStrings(zel::SplitLines(zel::DecodeConfigText(bytes, nullptr)));
  for (const char* key : {"ID", "Name", "DirName", "Width", "AllowDebug", "InstallFormColor"}) {
    ini.ReadString("App", key, "");
    ini.ReadInteger("App", key, 0);
    ini.ReadBool("App", key, false);
  }
  return 0;
}

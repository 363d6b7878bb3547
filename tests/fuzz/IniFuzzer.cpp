// Fuzzes the configuration reader with arbitrary file content, reading
// every value that the content names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Without a byte-order mark the bytes go to the system's decoder: a
  // stand-in that passes them on.
  const auto passOn = [](std::string_view b) { return std::string(b); };
  const std::string text = zel::DecodeConfigText(bytes, passOn);
  zel::DecodeConfigText(bytes, nullptr);
  zel::TMemIniFile ini;
  ini.SetStrings(zel::SplitLines(text));
  for (const char* key : {"ID", "Name", "DirName", "Width", "AllowDebug", "InstallFormColor"}) {
    ini.ReadString("App", key, "");
    ini.ReadInteger("App", key, 0);
    ini.ReadBool("App", key, false);
  }
  // Every "name=value" line names something: each must read back as present.
  std::string section;
  for (const std::string& line : zel::SplitLines(text)) {
    if (line.starts_with("[") && line.find(']') != line.npos) {
      section = line.substr(1, line.find(']') - 1);
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == line.npos) continue;
    const std::string name = line.substr(0, eq);
    ini.ReadString(section, name, "");
    ini.ValueExists(section, name);
    ini.ReadInteger(section, name, -1);
  }
  return 0;
}

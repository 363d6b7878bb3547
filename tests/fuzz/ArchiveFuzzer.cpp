// Fuzzes what the start-up does with the bytes appended to the executable:
// open them as the archive, read the configuration, extract every entry.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/Calculations.h"
#include "core/IniFile.h"
#include "core/ZipArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string password = zel::CalculateWidth(zel::kPasswordText, zel::kPasswordKey);
  zel::TAbZipKit zip;
  zip.SetPassword(password);
  if (!zip.Open(std::as_bytes(std::span(data, size)))) return 0;
  std::string ini;
  zip.ExtractToStream("zel.ini", ini);
  zel::TMemIniFile config;
  config.SetStrings(zel::SplitLines(zel::DecodeConfigText(ini, nullptr)));
  config.ReadString("App", "ID", "");
  for (const std::string& name : zip.EntryNames()) {
    std::string content;
    zip.ExtractToStream(name, content);
  }
  return 0;
}

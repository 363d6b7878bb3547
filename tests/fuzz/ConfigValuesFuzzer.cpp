// Fuzzes the colour and number values of the configuration: a value read
// as an integer, as a boolean and as a colour, and the theme colour
// arithmetic on the colour read.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/Calculations.h"
#include "core/Colors.h"
#include "core/IniFile.h"
#include "core/Text.h"
#include "core/Themes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int direct = 0;
  const bool isNumber = zel::TryStrToInt(text, direct);

  // The value as the configuration holds it: one line, trimmed by the reader.
  const std::string line(text.substr(0, text.find_first_of("\r\n")));
  zel::TMemIniFile ini;
  ini.SetStrings({"[App]", "InstallFormColor=" + line, "Width=" + line});
  const int color = ini.ReadInteger("App", "InstallFormColor", 0x00FF00);
  if (isNumber && line == text && ini.ReadString("App", "Width", "") == text && color != direct)
    std::abort();
  ini.ReadBool("App", "Width", true);

  const zel::TRGB rgb = zel::ColorToRGB(static_cast<std::uint32_t>(color));
  const std::uint32_t packed = rgb.R << 16 | rgb.G << 8 | rgb.B;
  const double luminance = zel::Luminance(packed);
  if (!(luminance >= 0 && luminance <= 1)) std::abort();
  zel::ContrastingText(packed);
  zel::MixColours(packed, static_cast<std::uint32_t>(direct), size / 64.0);

  // The archive password's construction from a text and a key.
  try {
    const std::size_t half = size / 2;
    zel::CalculateWidth(text.substr(0, half), text.substr(half));
  } catch (const std::invalid_argument&) {
  }
  return 0;
}

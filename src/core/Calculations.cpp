#include "core/Calculations.h"

#include <stdexcept>

namespace zel {

const std::string_view kPasswordText = "Qf7#Lx_vPw2nDk9@ZrTe4mBy!h";
const std::string_view kPasswordKey = "KESTRELWINDOVERMARSHX";

std::string CalculateWidth(std::string_view text, std::string_view key) {
  for (const char k : key)
    if (k < 'A' || k > 'Z') throw std::invalid_argument("Invalid character in CalculateWidth key.");
  std::string result(text);
  if (key.empty()) return result;
  for (size_t i = 0; i < result.size(); ++i) {
    const int shift = key[i % key.size()] - 'A';
    char& c = result[i];
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>('A' + ((c - 'A' - shift) % 26 + 26) % 26);
    else if (c >= 'a' && c <= 'z')
      c = static_cast<char>('a' + ((c - 'a' - shift) % 26 + 26) % 26);
  }
  return result;
}

}  // namespace zel

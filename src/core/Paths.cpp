#include "core/Paths.h"

namespace zel {

std::filesystem::path ToFsPath(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string FromFsPath(const std::filesystem::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

std::string IncludeTrailingPathDelimiter(std::string_view path, char delim) {
  std::string r(path);
  if (r.empty() || r.back() != delim) r += delim;
  return r;
}

std::string ExtractFilePath(std::string_view path) {
  const size_t pos = path.find_last_of("/\\");
  return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

bool IsPlainPathComponent(std::string_view Name) {
  bool blank = true;
  for (const char c : Name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) return false;
    if (c != ' ') blank = false;
  }
  return !blank && Name != "." && Name != "..";
}

}  // namespace zel

#include "core/IniFile.h"

#include "com/Utf.h"
#include "core/Text.h"

namespace zel {

void TMemIniFile::SetStrings(const std::vector<std::string>& lines) {
  FSections.clear();
  TSection* current = nullptr;
  for (const std::string& raw : lines) {
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
      const std::string_view name = Trim(line.substr(1, line.size() - 2));
      current = nullptr;
      for (TSection& s : FSections)
        if (SameTextAscii(s.Name, name)) current = &s;
      if (!current) current = &FSections.emplace_back(TSection{std::string(name), {}});
      continue;
    }
    if (!current) continue;  // lines before the first header
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
      current->Entries.push_back({std::string(line), ""});
    else
      current->Entries.push_back(
          {std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1)))});
  }
}

const TMemIniFile::TEntry* TMemIniFile::Find(std::string_view section,
                                             std::string_view ident) const {
  for (const TSection& s : FSections) {
    if (!SameTextAscii(s.Name, section)) continue;
    for (const TEntry& e : s.Entries)
      if (SameTextAscii(e.Name, ident)) return &e;
  }
  return nullptr;
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view ident,
                                    std::string_view defaultValue) const {
  const TEntry* e = Find(section, ident);
  return std::string(e ? std::string_view(e->Value) : defaultValue);
}

int TMemIniFile::ReadInteger(std::string_view section, std::string_view ident,
                             int defaultValue) const {
  const TEntry* e = Find(section, ident);
  int value;
  return e && TryStrToInt(e->Value, value) ? value : defaultValue;
}

bool TMemIniFile::ReadBool(std::string_view section, std::string_view ident,
                           bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view ident) const {
  return Find(section, ident) != nullptr;
}

std::string DecodeConfigText(std::string_view bytes,
                             const std::function<std::string(std::string_view)>& decodeAnsi) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return SanitizeUtf8(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return Utf16BytesToUtf8(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return Utf16BytesToUtf8(bytes.substr(2), true);
  return decodeAnsi ? decodeAnsi(bytes) : SanitizeUtf8(bytes);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace zel

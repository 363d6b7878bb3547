// TMemIniFile: the in-memory configuration read from "zel.ini".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

class TMemIniFile {
 public:
  // Replaces the content with the given lines (see the syntax in Parse).
  void SetStrings(const std::vector<std::string>& lines);
  void Clear() { FSections.clear(); }

  std::string ReadString(std::string_view section, std::string_view ident,
                         std::string_view defaultValue) const;
  int ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const;
  // An integer: 0 is false, any other valid integer true.
  bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;
  bool ValueExists(std::string_view section, std::string_view ident) const;

 private:
  struct TEntry {
    std::string Name, Value;
  };
  struct TSection {
    std::string Name;
    std::vector<TEntry> Entries;
  };
  const TEntry* Find(std::string_view section, std::string_view ident) const;
  std::vector<TSection> FSections;
};

// Decodes configuration bytes: a UTF-8, UTF-16 LE or UTF-16 BE byte-order
// mark chooses the encoding (the mark is dropped); without one the bytes are
// decoded by `decodeAnsi` (the system's ANSI code page).
std::string DecodeConfigText(std::string_view bytes,
                             const std::function<std::string(std::string_view)>& decodeAnsi);

// Splits text into lines at CR LF, lone CR and lone LF.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace zel

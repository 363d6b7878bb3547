// TStrUtils: the text helpers shared by the page server and the bridge.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

using TArrayStrings = std::vector<std::string>;

class TStrUtils {
 public:
  TStrUtils() = delete;

  // The text as a JSON string literal, quotes included. Characters outside
  // ASCII are written as \u escapes; invalid UTF-8 becomes U+FFFD, so the
  // result is always valid JSON.
  static std::string StringToJsonString(std::string_view value);

  // The MIME type for a file name, decided by its extension;
  // "application/octet-stream" when unknown.
  static std::string GetFileMIMEType(std::string_view fileName);

  // Splits Value at every occurrence of Separator; always one element more
  // than there are separators.
  static TArrayStrings ExplodeStrings(std::string_view separator, std::string_view value);

  // Where the built-in table has no answer, the platform may know the type
  // (shared-mime-info, the registry). Set once at start.
  using TMimeLookup = std::function<std::string(std::string_view lowerExtension)>;
  static void SetSystemMimeLookup(TMimeLookup lookup);
};

}  // namespace zel

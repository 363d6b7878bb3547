#include "core/StrUtils.h"

#include <algorithm>
#include <array>
#include <utility>

#include "com/Utf.h"
#include "core/Text.h"

namespace zel {
namespace {

// The usual web types; a sorted table so the answers are the same on every
// platform whatever the system's own database says.
constexpr std::array<std::pair<std::string_view, std::string_view>, 77> kMimeTable = {{
    {"3gp", "video/3gpp"},
    {"7z", "application/x-7z-compressed"},
    {"aac", "audio/aac"},
    {"apng", "image/apng"},
    {"avi", "video/x-msvideo"},
    {"avif", "image/avif"},
    {"bin", "application/octet-stream"},
    {"bmp", "image/bmp"},
    {"cjs", "application/javascript"},
    {"css", "text/css"},
    {"csv", "text/csv"},
    {"doc", "application/msword"},
    {"docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
    {"eot", "application/vnd.ms-fontobject"},
    {"epub", "application/epub+zip"},
    {"flac", "audio/flac"},
    {"gif", "image/gif"},
    {"gz", "application/gzip"},
    {"htm", "text/html"},
    {"html", "text/html"},
    {"ico", "image/x-icon"},
    {"ics", "text/calendar"},
    {"jpe", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"jpg", "image/jpeg"},
    {"js", "application/javascript"},
    {"json", "application/json"},
    {"jsonld", "application/ld+json"},
    {"m4a", "audio/mp4"},
    {"m4v", "video/mp4"},
    {"map", "application/json"},
    {"md", "text/markdown"},
    {"mid", "audio/midi"},
    {"midi", "audio/midi"},
    {"mjs", "application/javascript"},
    {"mov", "video/quicktime"},
    {"mp3", "audio/mpeg"},
    {"mp4", "video/mp4"},
    {"mpeg", "video/mpeg"},
    {"mpg", "video/mpeg"},
    {"oga", "audio/ogg"},
    {"ogg", "audio/ogg"},
    {"ogv", "video/ogg"},
    {"opus", "audio/opus"},
    {"otf", "font/otf"},
    {"pdf", "application/pdf"},
    {"png", "image/png"},
    {"ppt", "application/vnd.ms-powerpoint"},
    {"pptx", "application/vnd.openxmlformats-officedocument.presentationml.presentation"},
    {"rar", "application/vnd.rar"},
    {"rtf", "application/rtf"},
    {"sfnt", "font/sfnt"},
    {"svg", "image/svg+xml"},
    {"svgz", "image/svg+xml"},
    {"tar", "application/x-tar"},
    {"tif", "image/tiff"},
    {"tiff", "image/tiff"},
    {"ts", "video/mp2t"},
    {"ttc", "font/collection"},
    {"ttf", "font/ttf"},
    {"txt", "text/plain"},
    {"vtt", "text/vtt"},
    {"wasm", "application/wasm"},
    {"wav", "audio/wav"},
    {"weba", "audio/webm"},
    {"webm", "video/webm"},
    {"webmanifest", "application/manifest+json"},
    {"webp", "image/webp"},
    {"woff", "font/woff"},
    {"woff2", "font/woff2"},
    {"xhtml", "application/xhtml+xml"},
    {"xls", "application/vnd.ms-excel"},
    {"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
    {"xml", "application/xml"},
    {"xsl", "application/xml"},
    {"zip", "application/zip"},
    {"zst", "application/zstd"},
}};

static_assert(std::is_sorted(kMimeTable.begin(), kMimeTable.end()));

TStrUtils::TMimeLookup& SystemMimeLookup() {
  static TStrUtils::TMimeLookup lookup;
  return lookup;
}

void AppendEscape(std::string& out, unsigned unit) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

}  // namespace

std::string TStrUtils::StringToJsonString(std::string_view value) {
  const std::u16string units = Utf8ToUtf16(value);
  std::string out;
  out.reserve(value.size() + 2);
  out += '"';
  for (const char16_t u : units) {
    switch (u) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '/':
        out += "\\/";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (u < 0x20 || u > 0x7E)
          AppendEscape(out, u);
        else
          out += static_cast<char>(u);
    }
  }
  out += '"';
  return out;
}

std::string TStrUtils::GetFileMIMEType(std::string_view fileName) {
  const size_t dot = fileName.find_last_of('.');
  const size_t delim = fileName.find_last_of("/\\:");
  if (dot != std::string_view::npos && (delim == std::string_view::npos || dot > delim)) {
    const std::string ext = LowerAscii(fileName.substr(dot + 1));
    const auto it =
        std::lower_bound(kMimeTable.begin(), kMimeTable.end(), ext,
                         [](const auto& row, const std::string& key) { return row.first < key; });
    if (it != kMimeTable.end() && it->first == ext) return std::string(it->second);
    if (SystemMimeLookup() && !ext.empty()) {
      std::string found = SystemMimeLookup()(ext);
      if (!found.empty()) return found;
    }
  }
  return "application/octet-stream";
}

TArrayStrings TStrUtils::ExplodeStrings(std::string_view separator, std::string_view value) {
  TArrayStrings result;
  if (!separator.empty()) {
    for (size_t hit; (hit = value.find(separator)) != std::string_view::npos;) {
      result.emplace_back(value.substr(0, hit));
      value.remove_prefix(hit + separator.size());
    }
  }
  result.emplace_back(value);
  return result;
}

void TStrUtils::SetSystemMimeLookup(TMimeLookup lookup) {
  SystemMimeLookup() = std::move(lookup);
}

}  // namespace zel

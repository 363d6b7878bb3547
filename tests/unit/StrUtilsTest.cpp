#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/StrUtils.h"

using namespace zel;

TEST(StrUtilsTest, StringToJsonString) {
  struct Case {
    std::string text, json;
  } cases[] = {
      {"a\"b\\c", R"("a\"b\\c")"},
      {"line1\r\nline2", R"("line1\r\nline2")"},
      {"C:\\Temp\\", R"("C:\\Temp\\")"},
      {"", R"("")"},
      {"a/b", R"("a\/b")"},
      {std::string("\x01\x1f\b\t\f", 5), R"("\u0001\u001f\b\t\f")"},
  };
  for (const Case& c : cases) EXPECT_EQ(TStrUtils::StringToJsonString(c.text), c.json) << c.text;
  // Everything parses back to the same text, non-ASCII included.
  for (const std::string text : {"été 中文 😀", "tab\tquote\"", "\x7f"}) {
    const std::string json = TStrUtils::StringToJsonString(text);
    EXPECT_EQ(nlohmann::json::parse(json).get<std::string>(), text);
    for (char c : json) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << json;
  }
  // Invalid UTF-8 (a Linux file name may hold any bytes) still gives valid JSON.
  const std::string json = TStrUtils::StringToJsonString("bad\xff\xfe name");
  EXPECT_EQ(nlohmann::json::parse(json).get<std::string>(), "bad\uFFFD\uFFFD name");
}

TEST(StrUtilsTest, ExplodeStrings) {
  struct Case {
    const char* sep;
    const char* value;
    std::vector<std::string> parts;
  } cases[] = {
      {";", "a;b;", {"a", "b", ""}},
      {";", "", {""}},
      {";", "a;;b", {"a", "", "b"}},
      {"", "a;b", {"a;b"}},
      {"|", "Text files|*.txt", {"Text files", "*.txt"}},
      {"ab", "xabyAB", {"x", "yAB"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TStrUtils::ExplodeStrings(c.sep, c.value), c.parts) << c.value;
}

TEST(StrUtilsTest, GetFileMIMEType) {
  struct Case {
    const char* name;
    const char* type;
  } cases[] = {
      {"index.html", "text/html"},
      {"a.HTM", "text/html"},
      {"min.css", "text/css"},
      {"main.js", "application/javascript"},
      {"data.json", "application/json"},
      {"logo.svg", "image/svg+xml"},
      {"p.png", "image/png"},
      {"p.JPG", "image/jpeg"},
      {"p.jpeg", "image/jpeg"},
      {"a.gif", "image/gif"},
      {"a.webp", "image/webp"},
      {"favicon.ico", "image/x-icon"},
      {"f.woff", "font/woff"},
      {"f.woff2", "font/woff2"},
      {"f.ttf", "font/ttf"},
      {"f.otf", "font/otf"},
      {"m.wasm", "application/wasm"},
      {"s.mp3", "audio/mpeg"},
      {"v.mp4", "video/mp4"},
      {"v.webm", "video/webm"},
      {"README", "application/octet-stream"},
      {"dir.d/file", "application/octet-stream"},
      {"trailingdot.", "application/octet-stream"},
  };
  for (const Case& c : cases) EXPECT_EQ(TStrUtils::GetFileMIMEType(c.name), c.type) << c.name;
}

#include <gtest/gtest.h>

#include "core/ShellText.h"

using namespace zel;
using Args = std::vector<std::string>;

TEST(ShellText, SplitCommandLine) {
  const struct {
    std::string text;
    Args args;
  } cases[] = {
      {"", {}},
      {"   \t\r\n", {}},
      {"one", {"one"}},
      {"one \"two words\"", {"one", "two words"}},
      {"  a\t\tb\nc\x01"
       "d  ",
       {"a", "b", "c", "d"}},
      {"\"\"", {""}},
      {"a \"\" b", {"a", "", "b"}},
      {"x\"y z\"w", {"xy zw"}},
      {"\"unclosed quote", {"unclosed quote"}},
      {R"(C:\dir\ "C:\Program Files\x.exe" a\"b)",
       {R"(C:\dir\)", R"(C:\Program Files\x.exe)", R"(a\b)"}},
      {"\"a\tb\" c", {"a\tb", "c"}},
      {"caf\xc3\xa9 \xe4\xb8\xad", {"caf\xc3\xa9", "\xe4\xb8\xad"}},
      {std::string("a\0b", 3), {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.text), c.args) << c.text;
}

TEST(ShellText, TrimSystemMessage) {
  const std::pair<std::string, std::string> cases[] = {
      {"The system cannot find the file specified.\r\n",
       "The system cannot find the file specified"},
      {"No such file or directory", "No such file or directory"},
      {"Ends with dots...  \n.", "Ends with dots"},
      {"v1.2 failed", "v1.2 failed"},
      {"  leading stays.", "  leading stays"},
      {".\r\n", ""},
      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(TrimSystemMessage(in), out) << in;
}

TEST(ShellText, JsonStringArray) {
  EXPECT_EQ(JsonStringArray({}), "[]");
  EXPECT_EQ(JsonStringArray({"a", "He said \"hi\" \\ ok", "  lead"}),
            R"(["a","He said \"hi\" \\ ok","  lead"])");
  // Invalid UTF-8 from the system still makes valid JSON.
  EXPECT_EQ(JsonStringArray({"bad\xff"}), R"(["bad\ufffd"])");
}

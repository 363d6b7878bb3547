// Fuzzes the argument splitter and the reply texts of the shell helpers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "core/ShellText.h"

namespace {

// Every argument quoted and joined with one blank.
std::string Join(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) line += (line.empty() ? "\"" : " \"") + arg + "\"";
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = zel::SplitCommandLine(text);
  // Arguments hold no quote, so quoting them again must give them back.
  for (const std::string& arg : args)
    if (arg.find('"') != std::string::npos) std::abort();
  if (zel::SplitCommandLine(Join(args)) != args) std::abort();

  zel::TrimSystemMessage(text);
  const auto array = nlohmann::json::parse(zel::JsonStringArray(args), nullptr, false);
  if (!array.is_array() || array.size() != args.size()) std::abort();
  return 0;
}

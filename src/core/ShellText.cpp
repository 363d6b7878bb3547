#include "core/ShellText.h"

#include "core/StrUtils.h"

namespace zel {

std::vector<std::string> SplitCommandLine(std::string_view text) {
  std::vector<std::string> args;
  std::string current;
  bool quoted = false;
  bool inArgument = false;  // "" is an argument of its own
  for (const char c : text) {
    const bool separator = static_cast<unsigned char>(c) <= 0x20 && !quoted;
    if (separator) {
      if (inArgument) args.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) args.push_back(std::move(current));
  return args;
}

std::string TrimSystemMessage(std::string_view message) {
  size_t end = message.size();
  while (end > 0) {
    const char c = message[end - 1];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '.') break;
    --end;
  }
  return std::string(message.substr(0, end));
}

std::string JsonStringArray(const std::vector<std::string>& texts) {
  std::string json = "[";
  for (const std::string& text : texts) {
    if (json.size() > 1) json += ',';
    json += TStrUtils::StringToJsonString(text);
  }
  return json + "]";
}

}  // namespace zel

// Text rules shared by the shell helpers of every platform: how a command
// line splits into arguments, how a system message is tidied for a reply,
// and how a list of texts becomes a JSON array.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Splits a command line into arguments: runs of blanks and control
// characters (up to U+0020) separate; double quotes group text that holds
// blanks and are removed; backslashes have no special meaning. "" gives an
// empty argument.
std::vector<std::string> SplitCommandLine(std::string_view text);

// A system's error text as a reply shows it: without trailing blanks, line
// breaks and full stops ("The system cannot find the file specified.\r\n"
// becomes "The system cannot find the file specified").
std::string TrimSystemMessage(std::string_view message);

// "[" + the texts as JSON strings, separated by "," without blanks + "]".
// Invalid UTF-8 in a text becomes U+FFFD.
std::string JsonStringArray(const std::vector<std::string>& texts);

}  // namespace zel

// Linux start-up of process-wide services.
#pragma once

#include <string>
#include <vector>

namespace zel::gtk {

// Splits a command-line argument text: blanks separate, double quotes group.
std::vector<std::string> SplitArguments(const std::string& text);

// Lets TStrUtils::GetFileMIMEType fall back to shared-mime-info.
void InstallSystemMimeLookup();

}  // namespace zel::gtk

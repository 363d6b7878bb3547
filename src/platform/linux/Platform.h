// Linux start-up of process-wide services.
#pragma once

#include <string>

namespace zel::gtk {

// Lets TStrUtils::GetFileMIMEType fall back to shared-mime-info.
void InstallSystemMimeLookup();

// The user's home folder: $HOME, else the password database's entry.
std::string HomeDir();

// $VAR when it names an absolute folder, else `fallback` below the home
// folder (XDG_DATA_HOME and ".local/share", for example).
std::string XdgBaseDir(const char* var, const char* fallback);

}  // namespace zel::gtk

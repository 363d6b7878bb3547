// Linux start-up of process-wide services.
#pragma once

#include <string>

#include "core/FileSystem.h"

namespace zel::gtk {

// Lets TStrUtils::GetFileMIMEType fall back to shared-mime-info.
void InstallSystemMimeLookup();

// Lets the atomic writer hold its temporary files and remove those that
// interrupted writes left behind: installs TempFileGuard().
void InstallTempFileGuard();
TTempFileGuard TempFileGuard();

// The user's home folder: $HOME, else the password database's entry.
std::string HomeDir();

// $VAR when it names an absolute folder, else `fallback` below the home
// folder (XDG_DATA_HOME and ".local/share", for example).
std::string XdgBaseDir(const char* var, const char* fallback);

}  // namespace zel::gtk

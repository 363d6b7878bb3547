// Names that differ between the platforms, each defined once per platform.
#pragma once

#include <string>

namespace zel::names {

// The per-user folder (below the application's data folder) that holds the
// browser loader library and the browser's user data: "Win64\" on Windows.
std::string RuntimeFolder();

// The archive entry that carries the browser loader library:
// "WebView2LoaderWin64.dll" on Windows.
std::string LoaderEntryName();

// Where the loader library is extracted, relative to RuntimeFolder(). On
// Linux the name carries the build's identity, because the library changes
// with every build of the host while an extracted file is never replaced.
std::string LoaderFileName();

// The browser runtime's installer: the archive entry that carries it and its
// file name in the application's data folder ("WebView2Installer.exe" on
// Windows, a shell script on Linux).
std::string InstallerEntryName();

}  // namespace zel::names

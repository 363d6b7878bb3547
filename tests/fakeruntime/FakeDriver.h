// The fake runtime driving itself, for end-to-end runs of a packaged host:
// with ZEL_FAKE_SCRIPT naming a script, it answers navigations by loading the
// page through WebResourceRequested, then raises the script's web messages
// one at a time, and appends every call of the host (replies included) to
// the file that ZEL_FAKE_LOG names. Script lines:
//   {"id": ...}              a web message, raised after the page has loaded
//   await <path>             the following lines wait until that file exists
//   when <script> => {...}   raised whenever the host runs exactly <script>
//   # ...                    a comment
// Without ZEL_FAKE_SCRIPT every function here does nothing.
#pragma once

#include <string>

namespace zel::fake {

// On the UI thread, when the host asks for a controller: starts the driver.
void DriverStart();
// When the controller closes: no more ticks (the library may be unloaded).
void DriverStop();
void DriverNavigate(const std::string& uri);
void DriverScript(const std::string& js);
// Appends one line to the log file (line breaks escaped).
void DriverRecord(const std::string& line);

// Runs tick every few milliseconds on the calling thread's message loop,
// until StopTicks; defined per platform.
void StartTicks(void (*tick)());
void StopTicks();

}  // namespace zel::fake

// The program entry block, shared by both platforms' main functions.
#pragma once

namespace zel {

// Runs the start-up, the single-instance rule and the main window's message
// loop. The platform has installed its IUI (SetUI) before calling this.
// Returns the process exit code, which is 0 in every case.
int RunProgram();

}  // namespace zel

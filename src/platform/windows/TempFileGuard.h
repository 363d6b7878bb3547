// The atomic writer's temporary files on Windows.
#pragma once

namespace zel::win {

// Lets the atomic writer remove the temporary files that interrupted writes
// left behind.
void InstallTempFileGuard();

}  // namespace zel::win

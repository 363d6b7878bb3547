// Ending the process from deep inside the start-up: thrown, and caught by the
// entry block, which then returns the exit code.
#pragma once

namespace zel {

struct EHalt {
  int ExitCode = 0;
};

[[noreturn]] inline void Halt(int exitCode = 0) {
  throw EHalt{exitCode};
}

}  // namespace zel

// zel_win_instance_probe: claims an application's instance name, prints the
// outcome (Created, AlreadyExists or Failed), then holds the claim for the
// given time, or until a file appears when that is given instead.
//   zel_win_instance_probe <name> <hold-ms> [release-file]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ports/System.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: zel_win_instance_probe <name> <hold-ms> [release-file]\n", stderr);
    return 2;
  }
  const char* outcome = "Failed";
  switch (zel::sys::ClaimInstanceName(argv[1])) {
    case zel::sys::TInstanceClaim::Created:
      outcome = "Created";
      break;
    case zel::sys::TInstanceClaim::AlreadyExists:
      outcome = "AlreadyExists";
      break;
    case zel::sys::TInstanceClaim::Failed:
      break;
  }
  std::printf("%s\n", outcome);
  std::fflush(stdout);
  const ULONGLONG end = GetTickCount64() + std::strtoull(argv[2], nullptr, 10);
  while (GetTickCount64() < end) {
    if (argc > 3 && GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(50);
  }
  return 0;
}

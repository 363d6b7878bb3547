// The Windows platform tests. Started as "--print-args <file> ..." the program
// instead writes what GetCommandLineArgs sees into <file>, NUL-separated, so
// that a test can start it with a command line of its choosing; started as
// "--sleep <ms>" it just waits, as a child that hangs.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>

#include "ports/System.h"

int main(int argc, char** argv) {
  if (argc > 2 && std::string_view(argv[1]) == "--print-args") {
    std::ofstream out(argv[2], std::ios::binary);
    for (const std::string& arg : zel::sys::GetCommandLineArgs()) out << arg << '\0';
    return out ? 0 : 1;
  }
  if (argc > 2 && std::string_view(argv[1]) == "--sleep") {
    Sleep(static_cast<DWORD>(std::stoul(argv[2])));
    return 0;
  }
  // The UI thread is a single-threaded apartment, as in the host.
  OleInitialize(nullptr);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}

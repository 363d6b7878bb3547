// zel_win_dialog_probe: waits for a top-level window with the given title and
// prints the class and text of each of its controls, one per line, in UTF-8.
// Exit code 0 when the window appeared, 1 when it did not, 2 on bad usage.
//   zel_win_dialog_probe <title> [timeout-ms]
#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/windows/WinStr.h"
#include "tests/windows/WindowTexts.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: zel_win_dialog_probe <title> [timeout-ms]\n", stderr);
    return 2;
  }
  // The title comes through the UTF-16 command line, not the ANSI argv.
  int wargc = 0;
  LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
  const std::wstring title = wargc > 1 ? wargv[1] : L"";
  LocalFree(wargv);
  const DWORD timeout = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 10000;
  // UTF-8 bytes and plain line feeds, exactly as written.
  _setmode(_fileno(stdout), _O_BINARY);
  HWND window = zel::wintest::WaitForTopLevelWindow(title, timeout);
  if (!window) return 1;
  for (const zel::wintest::TControlText& c : zel::wintest::ControlTexts(window)) {
    const std::string line = zel::win::Narrow(c.ClassName) + "\t" + zel::win::Narrow(c.Text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  std::fflush(stdout);
  return 0;
}

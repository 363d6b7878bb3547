// The Windows entry point: installs the Win32 user interface and runs the host.
#include <windows.h>

#include <ole2.h>

#include "host/startup/Program.h"
#include "platform/windows/MimeLookup.h"
#include "platform/windows/TempFileGuard.h"
#include "platform/windows/Win32UI.h"
#include "ports/UI.h"

namespace {

// The UI thread is a single-threaded apartment: the browser runtime, the
// shell's dialogs and drag and drop require it.
struct TOleSession {
  const bool Initialized = SUCCEEDED(OleInitialize(nullptr));
  ~TOleSession() {
    if (Initialized) OleUninitialize();
  }
};

struct TInstalledUI {
  explicit TInstalledUI(zel::IUI& ui) { zel::SetUI(&ui); }
  ~TInstalledUI() { zel::SetUI(nullptr); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  TOleSession ole;
  zel::win::InstallSystemMimeLookup();
  zel::win::InstallTempFileGuard();
  zel::win::TWin32UI ui;
  TInstalledUI installed(ui);
  return zel::RunProgram();
}

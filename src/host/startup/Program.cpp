#include "host/startup/Program.h"

#include <memory>

#include "host/browser/EdgeLoader.h"
#include "host/browser/MainForm.h"
#include "host/startup/ExeZipLoader.h"
#include "host/startup/Halt.h"
#include "ports/System.h"
#include "ports/UI.h"

namespace zel {

namespace {

// The single-instance rule: a second copy ends unless it is the
// second-window form of the command line.
bool MayRun() {
  if (ProjectINI->ReadBool("App", "AllowInstances", false)) return true;
  if (sys::ClaimInstanceName(AppID) != sys::TInstanceClaim::AlreadyExists) return true;
  return IsSecondWindowLaunch();
}

}  // namespace

int RunProgram() {
  int exitCode = 0;
  try {
    LoadExeZip();
    if (MayRun()) {
      auto mainForm = std::make_unique<TMainForm>();
      mainForm->Show();
      UI().Run();
    }
  } catch (const EHalt& halt) {
    exitCode = halt.ExitCode;
  } catch (...) {
    // Every failure of the start ends quietly.
  }
  UnloadWebView2Loader();
  FinalizeExeZipLoader();
  return exitCode;
}

}  // namespace zel

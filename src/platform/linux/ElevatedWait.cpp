// TSysUtils::ShellExecAsAdminAndWait on Linux: root runs the program itself,
// everyone else through pkexec. The wait runs a nested main loop, so the
// windows (the installer's progress animation) keep drawing, and polls
// nothing: the child watch reports the end.
#include <glib-unix.h>
#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Paths.h"
#include "core/ShellText.h"
#include "platform/linux/Platform.h"
#include "ports/SysUtils.h"

namespace zel {
namespace {

// pkexec's own codes: the dialog was dismissed (126); not authorised, no
// agent or no bus (127). The program never ran.
constexpr int kPkexecDismissed = 126;
constexpr int kPkexecNotAuthorized = 127;

struct TWait {
  GMainLoop* Loop = nullptr;
  int ExitCode = 0;
  bool Ended = false;
  bool Terminated = false;
};

void OnChildEnded(GPid pid, gint status, gpointer data) {
  auto* wait = static_cast<TWait*>(data);
  wait->ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
  wait->Ended = true;
  g_spawn_close_pid(pid);
  g_main_loop_quit(wait->Loop);
}

gboolean OnTerminate(gpointer data) {
  auto* wait = static_cast<TWait*>(data);
  wait->Terminated = true;
  g_main_loop_quit(wait->Loop);
  return G_SOURCE_REMOVE;
}

}  // namespace

int TSysUtils::ShellExecAsAdminAndWait(const std::string& FilePath, const std::string& Params) {
  if (FilePath.empty()) return 0;
  std::error_code ec;
  // pkexec wants an absolute path, and a relative one would be resolved
  // against root's working folder.
  const std::string program = FromFsPath(std::filesystem::absolute(ToFsPath(FilePath), ec));
  if (ec) return 0;
  const bool viaPkexec = geteuid() != 0;
  std::vector<std::string> args;
  if (viaPkexec) args.push_back("pkexec");
  args.push_back(program);
  for (std::string& a : SplitCommandLine(Params)) args.push_back(std::move(a));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  GPid pid = 0;
  const auto flags =
      static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | (viaPkexec ? G_SPAWN_SEARCH_PATH : 0));
  if (!g_spawn_async(nullptr, argv.data(), nullptr, flags, nullptr, nullptr, &pid, nullptr))
    return 0;

  TWait wait;
  wait.Loop = g_main_loop_new(nullptr, FALSE);
  const guint childWatch = g_child_watch_add(pid, OnChildEnded, &wait);
  const guint termWatch = g_unix_signal_add(SIGTERM, OnTerminate, &wait);
  g_main_loop_run(wait.Loop);
  if (!wait.Ended) g_source_remove(childWatch);
  if (!wait.Terminated) g_source_remove(termWatch);
  g_main_loop_unref(wait.Loop);

  if (wait.Terminated) {
    // Told to end while waiting: end as the signal would have ended us.
    std::signal(SIGTERM, SIG_DFL);
    std::raise(SIGTERM);
    return 0;
  }
  if (viaPkexec && (wait.ExitCode == kPkexecDismissed || wait.ExitCode == kPkexecNotAuthorized))
    return 0;
  return wait.ExitCode;
}

}  // namespace zel

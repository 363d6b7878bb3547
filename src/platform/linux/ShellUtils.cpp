// TSysUtils on Linux, the shell's part: programs, documents and addresses
// through GLib and GIO, the file manager over D-Bus, commands through
// /bin/sh. No page text ever reaches a shell except shell.command's own.
#include <fcntl.h>
#include <gio/gio.h>
#include <glib-unix.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "com/Utf.h"
#include "core/ShellText.h"
#include "platform/linux/GlibErrors.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

namespace zel {

namespace gtk {
namespace {
thread_local std::string LastErrorText;
}  // namespace

std::string GErrorText(const GError* Error) {
  if (!Error) return {};
  g_autoptr(GError) copy = g_error_copy(Error);
  g_dbus_error_strip_remote_error(copy);
  return SanitizeUtf8(TrimSystemMessage(copy->message ? copy->message : ""));
}

void SetLastErrorText(std::string Text) {
  LastErrorText = std::move(Text);
}

void SetLastErrorText(const GError* Error) {
  SetLastErrorText(GErrorText(Error));
}
}  // namespace gtk

namespace sys {

std::string SystemErrorMessage(int code) {
  return SanitizeUtf8(TrimSystemMessage(g_strerror(code)));
}

std::string LastSystemErrorMessage() {
  if (gtk::LastErrorText.empty()) return SystemErrorMessage(EIO);
  return gtk::LastErrorText;
}

}  // namespace sys

namespace {

using gtk::SetLastErrorText;

// The program FilePath names, as ShellExecute finds programs: an executable
// regular file, or a bare name found in PATH; empty for anything else.
std::string ProgramPath(const std::string& FilePath) {
  struct stat st {};
  if (stat(FilePath.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || access(FilePath.c_str(), X_OK) != 0) return {};
    // A bare name in the current folder must not be looked up in PATH.
    return FilePath.find('/') == std::string::npos ? "./" + FilePath : FilePath;
  }
  if (FilePath.find('/') != std::string::npos) return {};
  g_autofree char* found = g_find_program_in_path(FilePath.c_str());
  return found ? found : "";
}

bool SpawnProgram(const std::string& Program, const std::string& Arguments) {
  std::vector<std::string> args = SplitCommandLine(Arguments);
  std::vector<char*> argv{const_cast<char*>(Program.c_str())};
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  g_autoptr(GError) error = nullptr;
  // Without DO_NOT_REAP_CHILD GLib reaps the program itself; it reads no
  // input of ours.
  const auto flags = static_cast<GSpawnFlags>(G_SPAWN_STDIN_FROM_DEV_NULL);
  if (g_spawn_async(nullptr, argv.data(), nullptr, flags, nullptr, nullptr, nullptr, &error))
    return true;
  SetLastErrorText(error);
  return false;
}

// Opens a document, folder or address in the default application of its
// type or scheme.
bool LaunchDefault(GFile* File) {
  g_autofree char* uri = g_file_get_uri(File);
  g_autoptr(GError) error = nullptr;
  if (g_app_info_launch_default_for_uri(uri, nullptr, &error)) return true;
  SetLastErrorText(error);
  return false;
}

}  // namespace

bool TSysUtils::ShellExec(const std::string& FilePath, const std::string& Arguments) {
  if (FilePath.empty()) {
    SetLastErrorText(sys::SystemErrorMessage(ENOENT));
    return false;
  }
  const std::string program = ProgramPath(FilePath);
  if (!program.empty()) return SpawnProgram(program, Arguments);
  // Relative paths stay relative to the current folder.
  g_autoptr(GFile) file = g_file_new_for_commandline_arg(FilePath.c_str());
  return LaunchDefault(file);
}

bool TSysUtils::ShellExplore(const std::string& FilePath) {
  if (FilePath.empty()) {
    SetLastErrorText(sys::SystemErrorMessage(ENOENT));
    return false;
  }
  g_autoptr(GFile) file = g_file_new_for_commandline_arg(FilePath.c_str());
  g_autofree char* uri = g_file_get_uri(file);
  g_autoptr(GError) error = nullptr;
  g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (bus) {
    const char* uris[] = {uri, nullptr};
    // Auto-starts an activatable file manager.
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr,
        G_DBUS_CALL_FLAGS_NONE, 15000, nullptr, &error);
    if (reply) return true;
  }
  // No file manager that selects: open the folder that holds the item.
  g_autoptr(GFile) parent = g_file_get_parent(file);
  return LaunchDefault(parent ? parent : file);
}

namespace {

// Reads to end of file, retrying interrupted reads.
std::string ReadAll(int fd) {
  std::string bytes;
  char buf[65536];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      bytes.append(buf, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      return bytes;
    }
  }
}

void WaitForChild(GPid pid) {
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  g_spawn_close_pid(pid);
}

}  // namespace

std::string TSysUtils::GetDosOutput(const std::string& CommandLine, const std::string& WorkingDir,
                                    bool /*ShowWindow*/) {
  int fds[2];
  if (!g_unix_open_pipe(fds, FD_CLOEXEC, nullptr)) return {};
  const char* argv[] = {"/bin/sh", "-c", CommandLine.c_str(), nullptr};
  // Both streams share one pipe, so they interleave as written; the command
  // reads nothing of ours (a terminal would freeze the window for good).
  const auto flags =
      static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDIN_FROM_DEV_NULL);
  GPid pid = 0;
  g_autoptr(GError) error = nullptr;
  const bool started = g_spawn_async_with_pipes_and_fds(
      WorkingDir.empty() ? nullptr : WorkingDir.c_str(), argv, nullptr, flags, nullptr, nullptr, -1,
      fds[1], fds[1], nullptr, nullptr, 0, &pid, nullptr, nullptr, nullptr, &error);
  close(fds[1]);
  std::string output;
  if (started) {
    output = ReadAll(fds[0]);
    WaitForChild(pid);
  }
  close(fds[0]);
  // Decoded once, so a character split between reads stays whole.
  return SanitizeUtf8(output);
}

}  // namespace zel

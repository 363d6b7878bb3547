// Process and operating-system services that the portable code needs. Each
// platform folder implements these functions; paths and texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zel::sys {

// The path separator shown in paths: '\\' on Windows, '/' on Linux.
char PathDelim();

// Full path of the running executable.
std::string GetExecutablePath();

// The command line arguments after the program name.
std::vector<std::string> GetCommandLineArgs();

// The ISO 639 language of the user's locale ("en", "zh", ...).
std::string GetUserLanguageCode();

// The decimal separator of the user's regional settings ("." or ",").
std::string DecimalSeparator();

// Decodes text in the system's ANSI code page (on Linux: the locale's charset).
std::string DecodeAnsi(std::string_view bytes);

// The operating system's message for an error code (Windows: a Win32 error
// code; Linux: an errno value), without trailing blanks, line breaks and
// full stops.
std::string SystemErrorMessage(int code);

// The message for the calling thread's last failed system call or helper
// (Windows: GetLastError; Linux: the text the failing helper recorded),
// trimmed as SystemErrorMessage; never "success".
std::string LastSystemErrorMessage();

std::string GetEnv(const std::string& name);
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// A read-only view of a whole file, released with the object.
class TMappedFile {
 public:
  virtual ~TMappedFile() = default;
  virtual std::span<const std::byte> Bytes() const = 0;
  // Null when the file cannot be opened or mapped.
  static std::unique_ptr<TMappedFile> Open(const std::string& path);
};

// Outcome of claiming the single-instance name of an application.
enum class TInstanceClaim { Created, AlreadyExists, Failed };

// Claims `name` for the life of the process (a named mutex on Windows, a lock
// file on Linux). The claim is never released before the process ends.
TInstanceClaim ClaimInstanceName(const std::string& name);

// Runs the first step of a browser creation (binding the loader and asking
// it for an environment) where the platform's runtime wants it: on Linux a
// short-lived worker thread, whose completion the runtime hands to the UI
// thread; on Windows the calling UI thread itself, because WebView2 objects
// belong to the thread that creates them and complete through its messages.
void StartBrowserCreation(std::function<void()> Body);

// Runs a program with arguments, waits for it and returns its exit code;
// -1 when it cannot be started.
int RunProgramAndWait(const std::string& path, const std::vector<std::string>& args);

// Waits up to timeoutMs for the process to end, then terminates it.
void WaitOrTerminateProcess(unsigned processId, int timeoutMs);

// A loaded shared library, unloaded with the object.
class TDynLib {
 public:
  virtual ~TDynLib() = default;
  virtual void* Symbol(const char* name) const = 0;
  // Null when the library cannot be loaded from that full path.
  static std::unique_ptr<TDynLib> Load(const std::string& path);
};

}  // namespace zel::sys

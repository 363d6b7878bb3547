// Process and system services on Linux.
#include "ports/System.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "com/Utf.h"
#include "core/FileSystem.h"
#include "core/LocalizedMessages.h"

namespace zel::sys {

char PathDelim() {
  return '/';
}

std::string GetExecutablePath() {
  std::string buf(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return {};
  buf.resize(static_cast<size_t>(n));
  return buf;
}

std::vector<std::string> GetCommandLineArgs() {
  // /proc/self/cmdline holds argv as NUL-terminated strings.
  const std::string all = ReadWholeFile("/proc/self/cmdline").value_or("");
  std::vector<std::string> args;
  size_t start = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] != '\0') continue;
    args.emplace_back(all.substr(start, i - start));
    start = i + 1;
  }
  if (!args.empty()) args.erase(args.begin());
  return args;
}

std::string GetUserLanguageCode() {
  // POSIX precedence of the message locale; the locale need not be installed.
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return LanguageOfLocaleName(value);
  }
  return LanguageOfLocaleName("");
}

// The process keeps C rules for numbers, so the user's separator is read
// from a locale object built from the environment.
std::string DecimalSeparator() {
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (!user) return ".";
  const char* radix = nl_langinfo_l(RADIXCHAR, user);
  std::string point = radix ? DecodeAnsi(radix) : "";
  freelocale(user);
  return point.empty() ? "." : point;
}

std::string DecodeAnsi(std::string_view bytes) {
  const char* charset = nl_langinfo(CODESET);
  if (!charset || !*charset || std::strcmp(charset, "UTF-8") == 0 ||
      std::strcmp(charset, "ANSI_X3.4-1968") == 0)
    return SanitizeUtf8(bytes);
  iconv_t cd = iconv_open("UTF-8", charset);
  if (cd == reinterpret_cast<iconv_t>(-1)) return SanitizeUtf8(bytes);
  std::string out(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) break;
    // Skip a byte that has no meaning in the charset.
    ++in, --inLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return SanitizeUtf8(out);
}

std::string GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? v : "";
}

void SetEnv(const std::string& name, const std::string& value) {
  ::setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnv(const std::string& name) {
  ::unsetenv(name.c_str());
}

namespace {

class TLinuxMappedFile : public TMappedFile {
 public:
  TLinuxMappedFile(void* data, size_t size) : FData(data), FSize(size) {}
  ~TLinuxMappedFile() override {
    if (FData) munmap(FData, FSize);
  }
  std::span<const std::byte> Bytes() const override {
    return {static_cast<const std::byte*>(FData), FSize};
  }

 private:
  void* FData;
  size_t FSize;
};

class TLinuxDynLib : public TDynLib {
 public:
  explicit TLinuxDynLib(void* handle) : FHandle(handle) {}
  ~TLinuxDynLib() override { dlclose(FHandle); }
  void* Symbol(const char* name) const override { return dlsym(FHandle, name); }

 private:
  void* FHandle;
};

}  // namespace

std::unique_ptr<TMappedFile> TMappedFile::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  void* data = nullptr;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok && st.st_size > 0) {
    data = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ok = data != MAP_FAILED;
  }
  ::close(fd);
  if (!ok) return nullptr;
  return std::make_unique<TLinuxMappedFile>(data, static_cast<size_t>(st.st_size));
}

namespace {

// A folder only this user can add files to: a real folder (not a link), owned
// by the user, writable by nobody else. Another user who could plant a held
// lock there could keep the application from ever starting.
bool IsPrivateFolder(const std::string& dir) {
  struct stat st {};
  return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The folder of the lock files: the user's runtime folder, else a folder of
// the user's own below the temporary folder; empty when none can be trusted.
std::string LockFolder() {
  std::string dir = GetEnv("XDG_RUNTIME_DIR");
  if (!dir.empty() && access(dir.c_str(), W_OK) == 0) return dir;
  std::string tmp = GetEnv("TMPDIR");
  if (tmp.empty() || tmp.front() != '/') tmp = "/tmp";
  dir = tmp + "/zel-" + std::to_string(getuid());
  mkdir(dir.c_str(), 0700);
  return IsPrivateFolder(dir) ? dir : std::string();
}

}  // namespace

TInstanceClaim ClaimInstanceName(const std::string& name) {
  const std::string dir = LockFolder();
  // Failed lets the application start: better two instances than none.
  if (dir.empty()) return TInstanceClaim::Failed;
  // The name may hold any character, so the lock file is named by a stable
  // 64-bit hash of it (FNV-1a): the same name always meets the same lock.
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
  char file[64];
  std::snprintf(file, sizeof file, "/zel-instance-%016llx.lock",
                static_cast<unsigned long long>(hash));
  const int fd = ::open((dir + file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return TInstanceClaim::Failed;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held ? TInstanceClaim::AlreadyExists : TInstanceClaim::Failed;
  }
  // Kept open (and locked) until the process ends.
  return TInstanceClaim::Created;
}

void StartBrowserCreation(std::function<void()> Body) {
  std::thread(std::move(Body)).detach();
}

int RunProgramAndWait(const std::string& path, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

void WaitOrTerminateProcess(unsigned processId, int timeoutMs) {
  const auto pid = static_cast<pid_t>(processId);
  if (pid <= 0 || pid == getpid()) return;
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    if (kill(pid, 0) != 0) return;
    usleep(10000);
  }
  kill(pid, SIGKILL);
}

std::unique_ptr<TDynLib> TDynLib::Load(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  return std::make_unique<TLinuxDynLib>(handle);
}

}  // namespace zel::sys

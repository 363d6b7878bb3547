// Process and system services on Windows.
#include <windows.h>

#include <shellapi.h>

#include <mutex>

#include "core/ShellText.h"
#include "platform/windows/WinHandle.h"
#include "platform/windows/WinStr.h"
#include "ports/System.h"

namespace zel::sys {

using win::Narrow;
using win::Widen;

char PathDelim() {
  return '\\';
}

std::string GetExecutablePath() {
  // Paths may exceed MAX_PATH; the call truncates silently, so grow until it fits.
  return Narrow(win::ReadGrowing([](wchar_t* buf, size_t size) -> size_t {
    const DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(size));
    return n >= size ? size : n;
  }));
}

std::vector<std::string> GetCommandLineArgs() {
  // The host's own rules (backslashes are plain), the same on every platform.
  std::vector<std::string> args = SplitCommandLine(Narrow(GetCommandLineW()));
  if (!args.empty()) args.erase(args.begin());
  return args;
}

std::string SystemErrorMessage(int code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  win::TLocalPtr<wchar_t> owned(text);
  if (n == 0 || !text) return "System error " + std::to_string(static_cast<unsigned>(code));
  return TrimSystemMessage(Narrow(std::wstring_view(text, n)));
}

std::string LastSystemErrorMessage() {
  const DWORD code = GetLastError();
  return SystemErrorMessage(code == ERROR_SUCCESS ? ERROR_GEN_FAILURE : static_cast<int>(code));
}

std::string GetUserLanguageCode() {
  wchar_t buf[LOCALE_NAME_MAX_LENGTH] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, buf, LOCALE_NAME_MAX_LENGTH) == 0)
    return {};
  return Narrow(buf);
}

std::string DecimalSeparator() {
  wchar_t buf[8] = {};  // at most four characters and the NUL
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) <= 1) return ".";
  return Narrow(buf);
}

std::string DecodeAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), n);
  return Narrow(wide);
}

std::string GetEnv(const std::string& name) {
  const std::wstring wname = Widen(name);
  return Narrow(win::ReadGrowing([&](wchar_t* buf, size_t size) -> size_t {
    return GetEnvironmentVariableW(wname.c_str(), buf, static_cast<DWORD>(size));
  }));
}

void SetEnv(const std::string& name, const std::string& value) {
  SetEnvironmentVariableW(Widen(name).c_str(), Widen(value).c_str());
}

void UnsetEnv(const std::string& name) {
  SetEnvironmentVariableW(Widen(name).c_str(), nullptr);
}

namespace {

class TWinMappedFile final : public TMappedFile {
 public:
  TWinMappedFile(win::THandle file, win::THandle mapping, const void* view, size_t size)
      : FFile(std::move(file)), FMapping(std::move(mapping)), FView(view), FSize(size) {}
  ~TWinMappedFile() override {
    if (FView) UnmapViewOfFile(FView);
  }
  std::span<const std::byte> Bytes() const override {
    return {static_cast<const std::byte*>(FView), FSize};
  }

 private:
  win::THandle FFile;
  win::THandle FMapping;
  const void* FView;
  size_t FSize;
};

}  // namespace

std::unique_ptr<TMappedFile> TMappedFile::Open(const std::string& path) {
  // Others may keep writing, renaming or deleting the file while we read it
  // (the running executable itself, for one).
  win::THandle file = win::OwnHandle(CreateFileW(
      Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) return nullptr;
  // A mapping of an empty file is refused; an empty view serves as well.
  if (size.QuadPart == 0)
    return std::make_unique<TWinMappedFile>(std::move(file), nullptr, nullptr, 0);
  win::THandle mapping =
      win::OwnHandle(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return nullptr;
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (!view) return nullptr;
  return std::make_unique<TWinMappedFile>(std::move(file), std::move(mapping), view,
                                          static_cast<size_t>(size.QuadPart));
}

TInstanceClaim ClaimInstanceName(const std::string& name) {
  // The mutex handles stay open until the process ends: that is the claim.
  static std::mutex guard;
  static std::vector<win::THandle> claims;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, Widen(name).c_str());
  const DWORD error = GetLastError();
  if (!mutex) return TInstanceClaim::Failed;
  {
    std::lock_guard lock(guard);
    claims.emplace_back(mutex);
  }
  return error == ERROR_ALREADY_EXISTS ? TInstanceClaim::AlreadyExists : TInstanceClaim::Created;
}

int RunProgramAndWait(const std::string& path, const std::vector<std::string>& args) {
  // Each argument quoted as the C runtime splits them.
  std::wstring commandLine = win::QuoteArgument(win::Widen(path));
  for (const std::string& a : args) commandLine += L" " + win::QuoteArgument(win::Widen(a));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(win::Widen(path).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &info))
    return -1;
  win::THandle process(info.hProcess);
  win::THandle thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  return GetExitCodeProcess(process.get(), &code) ? static_cast<int>(code) : -1;
}

void WaitOrTerminateProcess(unsigned processId, int timeoutMs) {
  win::THandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
  if (!process) return;  // already gone, or not ours to end
  if (WaitForSingleObject(process.get(),
                          timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs)) == WAIT_TIMEOUT)
    TerminateProcess(process.get(), 1);
}

namespace {

class TWinDynLib final : public TDynLib {
 public:
  explicit TWinDynLib(win::TModule module) : FModule(std::move(module)) {}
  void* Symbol(const char* name) const override {
    return reinterpret_cast<void*>(GetProcAddress(FModule.get(), name));
  }

 private:
  win::TModule FModule;
};

}  // namespace

std::unique_ptr<TDynLib> TDynLib::Load(const std::string& path) {
  win::TModule module(LoadLibraryW(Widen(path).c_str()));
  if (!module) return nullptr;
  return std::make_unique<TWinDynLib>(std::move(module));
}

void StartBrowserCreation(std::function<void()> Body) {
  Body();
}

}  // namespace zel::sys

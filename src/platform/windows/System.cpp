// Process and system services on Windows.
#include <windows.h>

#include <shellapi.h>

#include <mutex>

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
  int argc = 0;
  win::TLocalPtr<LPWSTR> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
  std::vector<std::string> args;
  if (!argv) return args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv.get()[i]));
  return args;
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

#include "FuzzPlatform.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

#include "FakeRuntime.h"
#include "ports/PlatformNames.h"
#include "ports/Registry.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

extern "C" {
zel::HRESULT CreateCoreWebView2Environment(
    zel::ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);
zel::HRESULT GetCoreWebView2BrowserVersionString(zel::LPCWSTR, zel::LPWSTR* version);
zel::HRESULT GetAvailableCoreWebView2BrowserVersionString(zel::LPCWSTR, zel::LPWSTR* version);
zel::fake::IFakeRuntime* ZelFakeRuntime();
}

namespace zel {

namespace fuzz {

const std::string& ScratchDir() {
  static const std::string dir = [] {
    // In memory where there is such a file system: the runs write a lot.
    std::string path = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    path += "/zel-fuzz-bridge-XXXXXX";
    if (!mkdtemp(path.data())) std::abort();
    static const std::string made = path;
    std::atexit([] { std::filesystem::remove_all(made); });
    return made + "/";
  }();
  return dir;
}

}  // namespace fuzz

namespace sys {

char PathDelim() {
  return '/';
}
std::string GetExecutablePath() {
  return fuzz::ScratchDir() + "app";
}
std::vector<std::string> GetCommandLineArgs() {
  return {};
}
std::string GetUserLanguageCode() {
  return "en";
}
std::string DecimalSeparator() {
  return ".";
}
std::string DecodeAnsi(std::string_view bytes) {
  return std::string(bytes);
}
std::string SystemErrorMessage(int code) {
  return "error " + std::to_string(code);
}
std::string LastSystemErrorMessage() {
  return "refused";
}
std::string GetEnv(const std::string&) {
  return {};
}
void SetEnv(const std::string&, const std::string&) {}
void UnsetEnv(const std::string&) {}

std::unique_ptr<TMappedFile> TMappedFile::Open(const std::string&) {
  return nullptr;
}

TInstanceClaim ClaimInstanceName(const std::string&) {
  return TInstanceClaim::Created;
}

// No worker: the fuzzer stays on one thread, so every run repeats alike.
void StartBrowserCreation(std::function<void()> Body) {
  Body();
}

int RunProgramAndWait(const std::string&, const std::vector<std::string>&) {
  return -1;
}
void WaitOrTerminateProcess(unsigned, int) {}

namespace {

class TLinkedRuntime : public TDynLib {
 public:
  void* Symbol(const char* name) const override {
    const std::string_view n = name;
    if (n == "CreateCoreWebView2Environment")
      return reinterpret_cast<void*>(&::CreateCoreWebView2Environment);
    if (n == "GetCoreWebView2BrowserVersionString")
      return reinterpret_cast<void*>(&::GetCoreWebView2BrowserVersionString);
    if (n == "GetAvailableCoreWebView2BrowserVersionString")
      return reinterpret_cast<void*>(&::GetAvailableCoreWebView2BrowserVersionString);
    if (n == "ZelFakeRuntime") return reinterpret_cast<void*>(&::ZelFakeRuntime);
    return nullptr;
  }
};

}  // namespace

std::unique_ptr<TDynLib> TDynLib::Load(const std::string&) {
  return std::make_unique<TLinkedRuntime>();
}

}  // namespace sys

std::string TSysUtils::GetLocalAppDataDirPath() {
  return fuzz::ScratchDir() + "local/";
}
bool TSysUtils::ShellExec(const std::string&, const std::string&) {
  return false;
}
bool TSysUtils::ShellExplore(const std::string&) {
  return false;
}
std::string TSysUtils::GetDosOutput(const std::string&, const std::string&, bool) {
  return {};
}
void TSysUtils::GetWindowsCaptions(std::vector<std::string>& List) {
  List.clear();
}
int TSysUtils::ShellExecAsAdminAndWait(const std::string&, const std::string&) {
  return 0;
}
bool TSysUtils::CheckEdgeIsInstalled(const std::string&) {
  return true;
}
// Only ever inside the scratch folder, whatever the page asked.
bool TSysUtils::DeleteDirectory(const std::string& DirPath) {
  const std::string& scratch = fuzz::ScratchDir();
  if (!DirPath.starts_with(scratch) || DirPath.find("..") != std::string::npos) std::abort();
  std::error_code ec;
  if (!std::filesystem::is_directory(std::filesystem::symlink_status(DirPath, ec))) return false;
  return std::filesystem::remove_all(DirPath, ec) > 0 && !ec;
}
std::string TSysUtils::GetTempDirPath() {
  return fuzz::ScratchDir() + "temp/";
}
std::string TSysUtils::GetUserDesktopDirPath() {
  return fuzz::ScratchDir() + "desktop/";
}
std::string TSysUtils::GetUserDocumentsDirPath() {
  return fuzz::ScratchDir() + "documents/";
}
std::string TSysUtils::GetUserAppDataDirPath() {
  return fuzz::ScratchDir() + "appdata/";
}
std::vector<std::string> TSysUtils::GetMacAddresses() {
  return {"Ethernet,00:11:22:33:44:55"};
}
bool(TSysUtils::ExitWindows)(unsigned RebootParam, std::string& SystemMessage) {
  SystemMessage = "refused " + std::to_string(RebootParam);
  return RebootParam == 4;
}

namespace names {

std::string RuntimeFolder() {
  return "runtime/";
}
std::string LoaderEntryName() {
  return "loader.so";
}
std::string LoaderFileName() {
  return "loader.so";
}
std::string InstallerEntryName() {
  return "installer.sh";
}

}  // namespace names

namespace {

// Keys and value names compared ignoring ASCII case, which is all that the
// handlers see of the store.
std::string Fold(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string KeyName(const TRegistryKeyPath& key) {
  std::string out;
  for (const std::string& name : key.Names) out += Fold(name) + '\\';
  return out;
}

std::map<std::string, std::map<std::string, std::string>>& Store() {
  static std::map<std::string, std::map<std::string, std::string>> store{{"", {}}};
  return store;
}

class TMemoryRegistry : public IRegistry {
 public:
  bool WriteValue(const TRegistryKeyPath& key, const std::string& name,
                  const std::string& value) override {
    TRegistryKeyPath parent;
    for (const std::string& n : key.Names) {
      parent.Names.push_back(n);
      Store()[KeyName(parent)];
    }
    Store()[KeyName(key)][Fold(name)] = value;
    return true;
  }
  std::string ReadValue(const TRegistryKeyPath& key, const std::string& name) override {
    const auto* values = Values(key);
    const auto it = values ? values->find(Fold(name)) : decltype(values->end()){};
    return values && it != values->end() ? it->second : std::string();
  }
  bool ValueExists(const TRegistryKeyPath& key, const std::string& name) override {
    const auto* values = Values(key);
    return values && values->contains(Fold(name));
  }
  bool DeleteValue(const TRegistryKeyPath& key, const std::string& name) override {
    auto* values = Values(key);
    return values && values->erase(Fold(name)) > 0;
  }
  bool KeyExists(const TRegistryKeyPath& key) override { return Values(key) != nullptr; }
  bool DeleteKeyTree(const TRegistryKeyPath& key) override {
    if (key.IsRoot() || !Values(key)) return false;
    const std::string prefix = KeyName(key);
    std::erase_if(Store(), [&](const auto& entry) { return entry.first.starts_with(prefix); });
    return true;
  }

 private:
  static std::map<std::string, std::string>* Values(const TRegistryKeyPath& key) {
    const auto it = Store().find(KeyName(key));
    return it == Store().end() ? nullptr : &it->second;
  }
};

}  // namespace

std::unique_ptr<IRegistry> OpenUserRegistry() {
  return std::make_unique<TMemoryRegistry>();
}

}  // namespace zel

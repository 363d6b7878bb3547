#include "host/browser/EdgeLoader.h"

#include <filesystem>
#include <memory>
#include <mutex>

#include "com/Utf.h"
#include "core/Paths.h"
#include "ports/System.h"

namespace zel {

std::string WebView2LoaderPath;

namespace {

struct TLoader {
  std::mutex Lock;  // binding happens on the creation worker and the UI thread
  std::unique_ptr<sys::TDynLib> Library;
  TCreateCoreWebView2Environment CreateEnvironment = nullptr;
  TGetCoreWebView2BrowserVersionString GetVersion = nullptr;
  TGetAvailableCoreWebView2BrowserVersionString GetAvailableVersion = nullptr;
};

TLoader& Loader() {
  static TLoader loader;
  return loader;
}

template <class T>
T Bind(const sys::TDynLib& lib, const char* name) {
  return reinterpret_cast<T>(lib.Symbol(name));
}

}  // namespace

bool BindWebView2Loader() {
  TLoader& l = Loader();
  std::lock_guard guard(l.Lock);
  if (l.Library) return true;
  auto lib = sys::TDynLib::Load(WebView2LoaderPath);
  if (!lib) return false;
  auto create = Bind<TCreateCoreWebView2Environment>(*lib, "CreateCoreWebView2Environment");
  if (!create) return false;
  l.CreateEnvironment = create;
  l.GetVersion =
      Bind<TGetCoreWebView2BrowserVersionString>(*lib, "GetCoreWebView2BrowserVersionString");
  l.GetAvailableVersion = Bind<TGetAvailableCoreWebView2BrowserVersionString>(
      *lib, "GetAvailableCoreWebView2BrowserVersionString");
  l.Library = std::move(lib);
  return true;
}

void UnloadWebView2Loader() {
  TLoader& l = Loader();
  std::lock_guard guard(l.Lock);
  l.CreateEnvironment = nullptr;
  l.GetVersion = nullptr;
  l.GetAvailableVersion = nullptr;
  l.Library.reset();
}

HRESULT CreateCoreWebView2Environment(
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  if (!BindWebView2Loader()) return E_FAIL;
  return Loader().CreateEnvironment(handler);
}

HRESULT GetCoreWebView2BrowserVersionString(LPCWSTR browserExecutableFolder, LPWSTR* versionInfo) {
  if (!BindWebView2Loader()) return E_FAIL;
  TLoader& l = Loader();
  if (l.GetVersion) return l.GetVersion(browserExecutableFolder, versionInfo);
  if (l.GetAvailableVersion) return l.GetAvailableVersion(nullptr, versionInfo);
  return E_FAIL;
}

}  // namespace zel

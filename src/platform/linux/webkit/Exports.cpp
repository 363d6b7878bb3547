// The three entry points the host binds by name, as it binds those of the
// WebView2 loader on Windows.
#include "platform/linux/webkit/Environment.h"
#include "platform/linux/webkit/MainLoop.h"
#include "platform/linux/webkit/Protocol.h"

namespace zel::webkit {
namespace {

using TEnvironmentHandler = ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;

void CreateEnvironment(const TComPtr<TEnvironmentHandler>& handler) {
  TComPtr<TEnvironment> environment;
  HRESULT hr = Guard([&] {
    environment = TEnvironment::Create();
    return S_OK;
  });
  handler->Invoke(hr, environment.Get());
}

HRESULT VersionString(LPWSTR* versionInfo) {
  if (!versionInfo) return E_POINTER;
  *versionInfo = nullptr;
  return Guard([&] { return ToWide(RuntimeVersion(), versionInfo); });
}

}  // namespace
}  // namespace zel::webkit

// May be called on any thread. The environment is made on the thread that
// runs GLib's default main context, and the handler always runs there later,
// never inside this call.
extern "C" ZEL_EXPORT zel::HRESULT CreateCoreWebView2Environment(
    zel::ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  if (!handler) return zel::E_POINTER;
  return zel::webkit::Guard([&] {
    zel::webkit::RunLater([held = zel::TComPtr<zel::webkit::TEnvironmentHandler>(handler)] {
      zel::webkit::CreateEnvironment(held);
    });
    return zel::S_OK;
  });
}

// No GTK needed: the host asks this before it decides to start at all.
extern "C" ZEL_EXPORT zel::HRESULT GetCoreWebView2BrowserVersionString(
    zel::LPCWSTR /*browserExecutableFolder*/, zel::LPWSTR* versionInfo) {
  return zel::webkit::VersionString(versionInfo);
}

extern "C" ZEL_EXPORT zel::HRESULT GetAvailableCoreWebView2BrowserVersionString(
    zel::LPCWSTR /*browserExecutableFolder*/, zel::LPWSTR* versionInfo) {
  return zel::webkit::VersionString(versionInfo);
}

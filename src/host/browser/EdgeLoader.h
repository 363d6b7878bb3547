// The browser loader library: loaded once from the full path that the
// start-up chose, its exports bound by name.
#pragma once

#include <string>

#include "ports/WebView2.h"

namespace zel {

// Full path of the loader library; set by the start-up, cleared at exit.
extern std::string WebView2LoaderPath;

// Loads the library from WebView2LoaderPath unless already loaded; false when
// it cannot be loaded or lacks CreateCoreWebView2Environment. A failed
// attempt is retried on the next call.
bool BindWebView2Loader();
void UnloadWebView2Loader();

// Forwarders with the loader's signatures; E_FAIL when binding fails. The
// version query falls back to GetAvailableCoreWebView2BrowserVersionString
// with no browser folder when the library lacks the first name.
HRESULT CreateCoreWebView2Environment(
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);
HRESULT GetCoreWebView2BrowserVersionString(LPCWSTR browserExecutableFolder, LPWSTR* versionInfo);

}  // namespace zel

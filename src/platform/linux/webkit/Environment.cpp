#include "platform/linux/webkit/Environment.h"

#include <dlfcn.h>

#include <cstdlib>

#include "core/ShellText.h"
#include "platform/linux/webkit/Controller.h"
#include "platform/linux/webkit/Protocol.h"
#include "platform/linux/webkit/ResourceObjects.h"
#include "platform/linux/webkit/UriMap.h"
#include "platform/linux/webkit/WebView.h"

namespace zel::webkit {

TEnvironmentOptions ParseEnvironmentOptions(const char* userDataFolder, const char* arguments) {
  TEnvironmentOptions options;
  if (userDataFolder) options.UserDataFolder = userDataFolder;
  for (const std::string& argument : SplitCommandLine(arguments ? arguments : "")) {
    if (argument == "--disable-web-security")
      options.DisableWebSecurity = true;
    else if (argument == "--autoplay-policy=no-user-gesture-required")
      options.AutoplayWithoutGesture = true;
  }
  return options;
}

std::string RuntimeVersion() {
  return std::to_string(webkit_get_major_version()) + "." +
         std::to_string(webkit_get_minor_version()) + "." +
         std::to_string(webkit_get_micro_version());
}

namespace {

// WebKit loads every library in this folder into its web processes, ours
// among them: the host gives the library a folder of its own.
std::string OwnFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname) return {};
  TGString folder(g_path_get_dirname(info.dli_fname));
  return folder.get();
}

TGObjectPtr<WebKitWebContext> NewContext(const TEnvironmentOptions& options) {
  if (options.UserDataFolder.empty())
    return TGObjectPtr<WebKitWebContext>::Adopt(webkit_web_context_new());
  TGString data(g_build_filename(options.UserDataFolder.c_str(), "WebKitGTK", "Data", nullptr));
  TGString cache(g_build_filename(options.UserDataFolder.c_str(), "WebKitGTK", "Cache", nullptr));
  auto manager = TGObjectPtr<WebKitWebsiteDataManager>::Adopt(webkit_website_data_manager_new(
      "base-data-directory", data.get(), "base-cache-directory", cache.get(), nullptr));
  return TGObjectPtr<WebKitWebContext>::Adopt(
      webkit_web_context_new_with_website_data_manager(manager.Get()));
}

void RegisterAppScheme(WebKitWebContext* context) {
  webkit_web_context_register_uri_scheme(context, uri::kAppScheme, &TWebView::OnSchemeRequest,
                                         nullptr, nullptr);
  WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
  webkit_security_manager_register_uri_scheme_as_local(security, uri::kAppScheme);
  webkit_security_manager_register_uri_scheme_as_secure(security, uri::kAppScheme);
  webkit_security_manager_register_uri_scheme_as_cors_enabled(security, uri::kAppScheme);
}

}  // namespace

TComPtr<TEnvironment> TEnvironment::Create() {
  TEnvironmentOptions options =
      ParseEnvironmentOptions(std::getenv("WEBVIEW2_USER_DATA_FOLDER"),
                              std::getenv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS"));
  TGObjectPtr<WebKitWebContext> context = NewContext(options);
  std::string folder = OwnFolder();
  if (!folder.empty())
    webkit_web_context_set_web_extensions_directory(context.Get(), folder.c_str());
  RegisterAppScheme(context.Get());
  auto environment =
      TComPtr<TEnvironment>::Attach(new TEnvironment(std::move(context), std::move(options)));
  // The relay lives as long as the environment and never outlives it, so it
  // may call back into it. Without one (no socket to be had) media of local
  // pages simply do not play, as before.
  TEnvironment* self = environment.Get();
  self->FRelay =
      TMediaRelay::Start([self](std::uint64_t pageId, const std::string& hostUri,
                                const TRelayRequest& request, TMediaRelay::TReply reply) {
        self->ServeRelayed(pageId, hostUri, request, std::move(reply));
      });
  webkit_web_context_set_web_extensions_initialization_user_data(
      self->Context(), g_variant_new("(ss)", protocol::kExtensionMarker,
                                     self->FRelay ? self->FRelay->Base().c_str() : ""));
  return environment;
}

void TEnvironment::ServeRelayed(std::uint64_t pageId, const std::string& hostUri,
                                const TRelayRequest& request, TMediaRelay::TReply reply) {
  for (TWebView* view : FViews) {
    if (view->PageId() == pageId) return view->ServeRelayed(hostUri, request, std::move(reply));
  }
  reply(TMediaRelay::StatusAnswer(404));
}

HRESULT TEnvironment::CreateCoreWebView2Controller(
    HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
  if (!handler) return E_POINTER;
  if (!parentWindow || !GTK_IS_CONTAINER(parentWindow)) return E_INVALIDARG;
  return Guard([&] {
    TController::CreateAsync(
        TComPtr<TEnvironment>(this), GTK_WIDGET(parentWindow),
        TComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(handler));
    return S_OK;
  });
}

HRESULT TEnvironment::CreateWebResourceResponse(IStream* content, int statusCode,
                                                LPCWSTR reasonPhrase, LPCWSTR headers,
                                                ICoreWebView2WebResourceResponse** response) {
  if (!response) return E_POINTER;
  *response = nullptr;
  return Guard([&] {
    *response =
        new TWebResourceResponse(TComPtr<IStream>(content), statusCode, FromWide(reasonPhrase),
                                 ParseHeaderText(FromWide(headers)));
    return S_OK;
  });
}

HRESULT TEnvironment::get_BrowserVersionString(LPWSTR* versionInfo) {
  return Guard([&] { return ToWide(RuntimeVersion(), versionInfo); });
}

HRESULT TEnvironment::add_NewBrowserVersionAvailable(
    ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler,
    EventRegistrationToken* token) {
  return FVersionHandlers.Add(eventHandler, token);
}

HRESULT TEnvironment::remove_NewBrowserVersionAvailable(EventRegistrationToken token) {
  return FVersionHandlers.Remove(token);
}

}  // namespace zel::webkit

#include "platform/linux/webkit/WebView.h"

#include <unistd.h>

#include "core/Text.h"
#include "platform/linux/webkit/MainLoop.h"
#include "platform/linux/webkit/SchemeResponses.h"
#include "platform/linux/webkit/UriMap.h"

namespace zel::webkit {

namespace {

// The TWebView of a WebKitWebView, for the scheme handler.
constexpr const char* kSelfKey = "zel-webview";

TGObjectPtr<WebKitSettings> NewSettings(const TEnvironmentOptions& options) {
  auto settings = TGObjectPtr<WebKitSettings>::Adopt(webkit_settings_new());
  // Local pages are loaded through app:, which WebKit treats as local; these
  // let them read each other as file: pages do under WebView2.
  webkit_settings_set_allow_file_access_from_file_urls(settings.Get(), TRUE);
  webkit_settings_set_allow_universal_access_from_file_urls(settings.Get(), TRUE);
  // Otherwise window.open without a user gesture is dropped silently and the
  // host never hears of it.
  webkit_settings_set_javascript_can_open_windows_automatically(settings.Get(), TRUE);
  webkit_settings_set_enable_developer_extras(settings.Get(), TRUE);
  webkit_settings_set_disable_web_security(settings.Get(), options.DisableWebSecurity);
  return settings;
}

// WebKit 2.50 itself leaks a few small objects with every view it makes (a
// reference cycle, 136 bytes); the leak checker's suppressions name this
// function.
TGObjectPtr<WebKitWebView> NewWebKitView(WebKitWebContext* context, WebKitSettings* settings,
                                         WebKitUserContentManager* content,
                                         WebKitWebsitePolicies* policies) {
  return TGObjectPtr<WebKitWebView>::Sink(WEBKIT_WEB_VIEW(
      g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "settings", settings,
                   "user-content-manager", content, "website-policies", policies, nullptr)));
}

}  // namespace

TWebView::TWebView(TComPtr<TEnvironment> environment) : FEnvironment(std::move(environment)) {
  const TEnvironmentOptions& options = FEnvironment->Options();
  TGObjectPtr<WebKitSettings> settings = NewSettings(options);
  auto policies =
      TGObjectPtr<WebKitWebsitePolicies>::Adopt(webkit_website_policies_new_with_policies(
          "autoplay",
          options.AutoplayWithoutGesture ? WEBKIT_AUTOPLAY_ALLOW
                                         : WEBKIT_AUTOPLAY_ALLOW_WITHOUT_SOUND,
          nullptr));
  auto content = TGObjectPtr<WebKitUserContentManager>::Adopt(webkit_user_content_manager_new());
  FView = NewWebKitView(FEnvironment->Context(), settings.Get(), content.Get(), policies.Get());
  FSettings = MakeCom<TSettings>(settings.Get());
  FCancellable = TGObjectPtr<GCancellable>::Adopt(g_cancellable_new());
  g_object_set_data(G_OBJECT(FView.Get()), kSelfKey, this);
  FEnvironment->AddView(this);
  ConnectSignals();
}

TWebView::~TWebView() {
  Close();
}

void TWebView::Close() {
  if (FClosed) return;
  FClosed = true;
  g_cancellable_cancel(FCancellable.Get());
  GObject* view = G_OBJECT(FView.Get());
  g_signal_handlers_disconnect_by_data(view, this);
  g_signal_handlers_disconnect_by_data(webkit_web_view_get_back_forward_list(FView.Get()), this);
  g_signal_handlers_disconnect_by_data(webkit_web_view_get_inspector(FView.Get()), this);
  g_object_set_data(view, kSelfKey, nullptr);
  FEnvironment->RemoveView(this);
  ReleaseHandlers();
  RetireView();
}

void TWebView::ReleaseHandlers() {
  for (auto& [name, receiver] : FDevTools) receiver->Clear();
  FDevTools.clear();
  FNavigationStarting.Clear();
  FFrameNavigationStarting.Clear();
  FContentLoading.Clear();
  FSourceChanged.Clear();
  FHistoryChanged.Clear();
  FNavigationCompleted.Clear();
  FFrameNavigationCompleted.Clear();
  FScriptDialogOpening.Clear();
  FPermissionRequested.Clear();
  FProcessFailed.Clear();
  FWebMessageReceived.Clear();
  FNewWindowRequested.Clear();
  FDocumentTitleChanged.Clear();
  FFullScreenChanged.Clear();
  FWebResourceRequested.Clear();
  FWindowCloseRequested.Clear();
}

// WebKit 2.50 crashes in the UI process when a view that has been full
// screen is destroyed while its web process still finishes that transition
// (a second or more later). Such a view's web process is ended first; the
// host has closed the page anyway.
void TWebView::RetireView() {
  if (FUsedFullScreen) webkit_web_view_terminate_web_process(FView.Get());
  gtk_widget_destroy(Widget());
}

void TWebView::OnSchemeRequest(WebKitURISchemeRequest* request, gpointer) {
  GuardCallback([&] {
    WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
    auto* self =
        view ? static_cast<TWebView*>(g_object_get_data(G_OBJECT(view), kSelfKey)) : nullptr;
    TComPtr<TWebView> keep(self);
    if (self) {
      self->ServeRequest(request);
    } else {
      // The runtime's own windows: plain file loading.
      ServeUnattended(request);
    }
  });
}

HRESULT TWebView::get_Settings(ICoreWebView2Settings** settings) {
  if (!settings) return E_POINTER;
  *settings = TComPtr<ICoreWebView2Settings>(FSettings.Get()).Detach();
  return S_OK;
}

HRESULT TWebView::get_Source(LPWSTR* uri) {
  return Guard([&] { return ToWide(uri::ToHost(FSource), uri); });
}

HRESULT TWebView::Navigate(LPCWSTR uri) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  return Guard([&] {
    std::string target = FromWide(uri);
    if (!g_uri_peek_scheme(target.c_str())) return E_INVALIDARG;  // relative or malformed
    webkit_web_view_load_uri(FView.Get(), uri::ToEngine(target).c_str());
    return S_OK;
  });
}

HRESULT TWebView::NavigateToString(LPCWSTR htmlContent) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  return Guard([&] {
    webkit_web_view_load_html(FView.Get(), FromWide(htmlContent).c_str(), nullptr);
    return S_OK;
  });
}

HRESULT TWebView::Reload() {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  webkit_web_view_reload(FView.Get());
  return S_OK;
}

HRESULT TWebView::Stop() {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  webkit_web_view_stop_loading(FView.Get());
  return S_OK;
}

HRESULT TWebView::get_CanGoBack(BOOL* canGoBack) {
  return PutBool(!FClosed && webkit_web_view_can_go_back(FView.Get()), canGoBack);
}

HRESULT TWebView::get_CanGoForward(BOOL* canGoForward) {
  return PutBool(!FClosed && webkit_web_view_can_go_forward(FView.Get()), canGoForward);
}

HRESULT TWebView::GoBack() {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  if (webkit_web_view_can_go_back(FView.Get())) webkit_web_view_go_back(FView.Get());
  return S_OK;
}

HRESULT TWebView::GoForward() {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  if (webkit_web_view_can_go_forward(FView.Get())) webkit_web_view_go_forward(FView.Get());
  return S_OK;
}

// The web view is driven from this process; its web processes are helpers,
// as WebView2's renderers are helpers of its browser process.
HRESULT TWebView::get_BrowserProcessId(UINT32* value) {
  if (!value) return E_POINTER;
  *value = static_cast<UINT32>(getpid());
  return S_OK;
}

HRESULT TWebView::get_DocumentTitle(LPWSTR* title) {
  const char* text = FClosed ? nullptr : webkit_web_view_get_title(FView.Get());
  return Guard([&] { return ToWide(text ? text : "", title); });
}

// Host objects are COM automation objects; Linux has no such thing.
HRESULT TWebView::AddHostObjectToScript(LPCWSTR, void*) {
  return E_NOTIMPL;
}
HRESULT TWebView::RemoveHostObjectFromScript(LPCWSTR) {
  return E_NOTIMPL;
}

HRESULT TWebView::OpenDevToolsWindow() {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  if (FSettings->DevToolsEnabled())
    webkit_web_inspector_show(webkit_web_view_get_inspector(FView.Get()));
  return S_OK;
}

HRESULT TWebView::get_ContainsFullScreenElement(BOOL* value) {
  return PutBool(FFullScreen, value);
}

HRESULT TWebView::GetDevToolsProtocolEventReceiver(
    LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) {
  if (!receiver) return E_POINTER;
  *receiver = nullptr;
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  return Guard([&] {
    // One receiver per event name, so a later remove finds the handler.
    auto& entry = FDevTools[FromWide(eventName)];
    if (!entry) entry = MakeCom<TDevToolsReceiver>();
    *receiver = TComPtr<ICoreWebView2DevToolsProtocolEventReceiver>(entry.Get()).Detach();
    return S_OK;
  });
}

// WebKitGTK offers programs no DevTools protocol endpoint.
HRESULT TWebView::CallDevToolsProtocolMethod(
    LPCWSTR, LPCWSTR, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) {
  if (HRESULT hr = CheckOpen(); FAILED(hr)) return hr;
  if (!handler) return S_OK;
  return Guard([&] {
    RunLater([handler = TComPtr<ICoreWebView2CallDevToolsProtocolMethodCompletedHandler>(handler)] {
      handler->Invoke(E_NOTIMPL, u"null");
    });
    return S_OK;
  });
}

HRESULT TWebView::AddWebResourceRequestedFilter(LPCWSTR uri,
                                                COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
  if (!uri) return E_INVALIDARG;
  if (context < COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL ||
      context > COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER)
    return E_INVALIDARG;
  return Guard([&] {
    FFilters.push_back({FromWide(uri), context});
    return S_OK;
  });
}

HRESULT TWebView::RemoveWebResourceRequestedFilter(LPCWSTR uri,
                                                   COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
  if (!uri) return E_INVALIDARG;
  return Guard([&] {
    std::string pattern = FromWide(uri);
    auto found = std::find_if(FFilters.begin(), FFilters.end(), [&](const TFilter& f) {
      return f.Pattern == pattern && f.Context == context;
    });
    if (found == FFilters.end()) return E_INVALIDARG;
    FFilters.erase(found);
    return S_OK;
  });
}

bool TWebView::FilterMatches(const std::string& uri,
                             COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) const {
  return std::any_of(FFilters.begin(), FFilters.end(), [&](const TFilter& f) {
    return (f.Context == COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL || f.Context == context) &&
           WildcardMatch(f.Pattern, uri);
  });
}

}  // namespace zel::webkit

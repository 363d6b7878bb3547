#include "platform/linux/webkit/EventArgs.h"

#include <nlohmann/json.hpp>

namespace zel::webkit {

namespace {

template <class T>
HRESULT PutValue(T value, T* out) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

}  // namespace

TNavigationStartingArgs::TNavigationStartingArgs(std::string uri, bool userInitiated,
                                                 bool redirected, THeaderList headers,
                                                 UINT64 navigationId)
    : FUri(std::move(uri)),
      FUserInitiated(userInitiated),
      FRedirected(redirected),
      FHeaders(std::make_shared<THeaderList>(std::move(headers))),
      FNavigationId(navigationId) {}

HRESULT TNavigationStartingArgs::get_Uri(LPWSTR* uri) {
  return ToWide(FUri, uri);
}

HRESULT TNavigationStartingArgs::get_IsUserInitiated(BOOL* value) {
  return PutBool(FUserInitiated, value);
}

HRESULT TNavigationStartingArgs::get_IsRedirected(BOOL* value) {
  return PutBool(FRedirected, value);
}

HRESULT TNavigationStartingArgs::get_RequestHeaders(ICoreWebView2HttpRequestHeaders** value) {
  if (!value) return E_POINTER;
  return Guard([&] {
    *value = new TRequestHeaders(FHeaders);
    return S_OK;
  });
}

HRESULT TNavigationStartingArgs::get_Cancel(BOOL* cancel) {
  return PutBool(FCancel, cancel);
}

HRESULT TNavigationStartingArgs::put_Cancel(BOOL cancel) {
  FCancel = cancel != FALSE;
  return S_OK;
}

HRESULT TNavigationStartingArgs::get_NavigationId(UINT64* value) {
  return PutValue(FNavigationId, value);
}

HRESULT TNavigationCompletedArgs::get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) {
  return PutValue(FStatus, value);
}

HRESULT TNavigationCompletedArgs::get_NavigationId(UINT64* value) {
  return PutValue(FNavigationId, value);
}

HRESULT TContentLoadingArgs::get_NavigationId(UINT64* value) {
  return PutValue(FId, value);
}

HRESULT TProcessFailedArgs::get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* value) {
  return PutValue(FKind, value);
}

HRESULT TWebMessageArgs::TryGetWebMessageAsString(LPWSTR* text) {
  if (!text) return E_POINTER;
  *text = nullptr;
  return Guard([&] {
    auto value = nlohmann::json::parse(FJson, nullptr, false);
    if (!value.is_string()) return E_INVALIDARG;
    return ToWide(value.get_ref<const std::string&>(), text);
  });
}

// A window of the host's choosing cannot stand in for the one WebKit creates:
// WebKit needs a new web view related to the opener.
HRESULT TNewWindowArgs::put_NewWindow(ICoreWebView2*) {
  return E_NOTIMPL;
}

HRESULT TNewWindowArgs::get_NewWindow(ICoreWebView2** newWindow) {
  if (!newWindow) return E_POINTER;
  *newWindow = nullptr;
  return S_OK;
}

HRESULT TNewWindowArgs::put_Handled(BOOL handled) {
  FHandled = handled != FALSE;
  return S_OK;
}

// WebKit wants the new window from inside its signal; it cannot wait.
HRESULT TNewWindowArgs::GetDeferral(ICoreWebView2Deferral** deferral) {
  if (deferral) *deferral = nullptr;
  return E_NOTIMPL;
}

HRESULT TNewWindowArgs::get_WindowFeatures(ICoreWebView2WindowFeatures** value) {
  if (value) *value = nullptr;
  return E_NOTIMPL;
}

TPermissionArgs::TPermissionArgs(std::string uri, COREWEBVIEW2_PERMISSION_KIND kind,
                                 std::function<void(COREWEBVIEW2_PERMISSION_STATE)> apply)
    : FUri(std::move(uri)),
      FKind(kind),
      FOutcome([this, apply = std::move(apply)] { apply(FState); }) {}

HRESULT TPermissionArgs::get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* kind) {
  return PutValue(FKind, kind);
}

HRESULT TPermissionArgs::get_State(COREWEBVIEW2_PERMISSION_STATE* state) {
  return PutValue(FState, state);
}

HRESULT TPermissionArgs::put_State(COREWEBVIEW2_PERMISSION_STATE state) {
  if (state < COREWEBVIEW2_PERMISSION_STATE_DEFAULT || state > COREWEBVIEW2_PERMISSION_STATE_DENY)
    return E_INVALIDARG;
  FState = state;
  return S_OK;
}

HRESULT TPermissionArgs::GetDeferral(ICoreWebView2Deferral** deferral) {
  return FOutcome.Take(static_cast<ICoreWebView2PermissionRequestedEventArgs*>(this), deferral);
}

TScriptDialogArgs::TScriptDialogArgs(std::string uri, COREWEBVIEW2_SCRIPT_DIALOG_KIND kind,
                                     std::string message, std::string defaultText,
                                     std::function<void(const TResult&)> apply)
    : FUri(std::move(uri)),
      FKind(kind),
      FMessage(std::move(message)),
      FDefaultText(std::move(defaultText)),
      FOutcome([this, apply = std::move(apply)] { apply(FResult); }) {}

HRESULT TScriptDialogArgs::get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* kind) {
  return PutValue(FKind, kind);
}

HRESULT TScriptDialogArgs::Accept() {
  FResult.Accepted = true;
  return S_OK;
}

HRESULT TScriptDialogArgs::put_ResultText(LPCWSTR text) {
  return Guard([&] {
    FResult.Text = FromWide(text);
    return S_OK;
  });
}

HRESULT TScriptDialogArgs::GetDeferral(ICoreWebView2Deferral** deferral) {
  return FOutcome.Take(static_cast<ICoreWebView2ScriptDialogOpeningEventArgs*>(this), deferral);
}

HRESULT TAcceleratorKeyArgs::get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* kind) {
  return PutValue(FKind, kind);
}

HRESULT TAcceleratorKeyArgs::get_VirtualKey(UINT* virtualKey) {
  return PutValue(FVirtualKey, virtualKey);
}

HRESULT TAcceleratorKeyArgs::get_KeyEventLParam(INT* lParam) {
  return PutValue(FLParam, lParam);
}

HRESULT TAcceleratorKeyArgs::get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* status) {
  return PutValue(FStatus, status);
}

HRESULT TAcceleratorKeyArgs::put_Handled(BOOL handled) {
  FHandled = handled != FALSE;
  return S_OK;
}

}  // namespace zel::webkit

// Argument objects of the web view's and controller's events.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/linux/webkit/Deferral.h"
#include "platform/linux/webkit/Headers.h"

namespace zel::webkit {

class TNavigationStartingArgs final : public TComObject<ICoreWebView2NavigationStartingEventArgs> {
 public:
  TNavigationStartingArgs(std::string uri, bool userInitiated, bool redirected, THeaderList headers,
                          UINT64 navigationId);
  HRESULT get_Uri(LPWSTR* uri) override;
  HRESULT get_IsUserInitiated(BOOL* value) override;
  HRESULT get_IsRedirected(BOOL* value) override;
  HRESULT get_RequestHeaders(ICoreWebView2HttpRequestHeaders** value) override;
  HRESULT get_Cancel(BOOL* cancel) override;
  HRESULT put_Cancel(BOOL cancel) override;
  HRESULT get_NavigationId(UINT64* value) override;
  bool Cancelled() const { return FCancel; }

 private:
  std::string FUri;
  bool FUserInitiated, FRedirected, FCancel = false;
  TSharedHeaders FHeaders;
  UINT64 FNavigationId;
};

class TNavigationCompletedArgs final
    : public TComObject<ICoreWebView2NavigationCompletedEventArgs> {
 public:
  TNavigationCompletedArgs(bool success, COREWEBVIEW2_WEB_ERROR_STATUS status, UINT64 id)
      : FSuccess(success), FStatus(status), FNavigationId(id) {}
  HRESULT get_IsSuccess(BOOL* value) override { return PutBool(FSuccess, value); }
  HRESULT get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) override;
  HRESULT get_NavigationId(UINT64* value) override;

 private:
  bool FSuccess;
  COREWEBVIEW2_WEB_ERROR_STATUS FStatus;
  UINT64 FNavigationId;
};

class TSourceChangedArgs final : public TComObject<ICoreWebView2SourceChangedEventArgs> {
 public:
  explicit TSourceChangedArgs(bool isNewDocument) : FIsNewDocument(isNewDocument) {}
  HRESULT get_IsNewDocument(BOOL* value) override { return PutBool(FIsNewDocument, value); }

 private:
  bool FIsNewDocument;
};

class TContentLoadingArgs final : public TComObject<ICoreWebView2ContentLoadingEventArgs> {
 public:
  TContentLoadingArgs(bool isErrorPage, UINT64 id) : FIsErrorPage(isErrorPage), FId(id) {}
  HRESULT get_IsErrorPage(BOOL* value) override { return PutBool(FIsErrorPage, value); }
  HRESULT get_NavigationId(UINT64* value) override;

 private:
  bool FIsErrorPage;
  UINT64 FId;
};

class TProcessFailedArgs final : public TComObject<ICoreWebView2ProcessFailedEventArgs> {
 public:
  explicit TProcessFailedArgs(COREWEBVIEW2_PROCESS_FAILED_KIND kind) : FKind(kind) {}
  HRESULT get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* value) override;

 private:
  COREWEBVIEW2_PROCESS_FAILED_KIND FKind;
};

class TWebMessageArgs final : public TComObject<ICoreWebView2WebMessageReceivedEventArgs> {
 public:
  TWebMessageArgs(std::string source, std::string json)
      : FSource(std::move(source)), FJson(std::move(json)) {}
  HRESULT get_Source(LPWSTR* source) override { return ToWide(FSource, source); }
  HRESULT get_WebMessageAsJson(LPWSTR* json) override { return ToWide(FJson, json); }
  HRESULT TryGetWebMessageAsString(LPWSTR* text) override;

 private:
  std::string FSource, FJson;
};

class TNewWindowArgs final : public TComObject<ICoreWebView2NewWindowRequestedEventArgs> {
 public:
  TNewWindowArgs(std::string uri, bool userInitiated)
      : FUri(std::move(uri)), FUserInitiated(userInitiated) {}
  HRESULT get_Uri(LPWSTR* uri) override { return ToWide(FUri, uri); }
  HRESULT put_NewWindow(ICoreWebView2* newWindow) override;
  HRESULT get_NewWindow(ICoreWebView2** newWindow) override;
  HRESULT put_Handled(BOOL handled) override;
  HRESULT get_Handled(BOOL* handled) override { return PutBool(FHandled, handled); }
  HRESULT get_IsUserInitiated(BOOL* value) override { return PutBool(FUserInitiated, value); }
  HRESULT GetDeferral(ICoreWebView2Deferral** deferral) override;
  HRESULT get_WindowFeatures(ICoreWebView2WindowFeatures** value) override;
  bool Handled() const { return FHandled; }

 private:
  std::string FUri;
  bool FUserInitiated, FHandled = false;
};

class TPermissionArgs final : public TComObject<ICoreWebView2PermissionRequestedEventArgs> {
 public:
  // Apply gets the state when the handlers and deferrals are done.
  TPermissionArgs(std::string uri, COREWEBVIEW2_PERMISSION_KIND kind,
                  std::function<void(COREWEBVIEW2_PERMISSION_STATE)> apply);
  HRESULT get_Uri(LPWSTR* uri) override { return ToWide(FUri, uri); }
  HRESULT get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* kind) override;
  HRESULT get_IsUserInitiated(BOOL* value) override { return PutBool(false, value); }
  HRESULT get_State(COREWEBVIEW2_PERMISSION_STATE* state) override;
  HRESULT put_State(COREWEBVIEW2_PERMISSION_STATE state) override;
  HRESULT GetDeferral(ICoreWebView2Deferral** deferral) override;
  void HandlersDone() { FOutcome.HandlersDone(); }

 private:
  std::string FUri;
  COREWEBVIEW2_PERMISSION_KIND FKind;
  COREWEBVIEW2_PERMISSION_STATE FState = COREWEBVIEW2_PERMISSION_STATE_DEFAULT;
  TDeferredOutcome FOutcome;
};

class TScriptDialogArgs final : public TComObject<ICoreWebView2ScriptDialogOpeningEventArgs> {
 public:
  struct TResult {
    bool Accepted;
    std::string Text;
  };
  TScriptDialogArgs(std::string uri, COREWEBVIEW2_SCRIPT_DIALOG_KIND kind, std::string message,
                    std::string defaultText, std::function<void(const TResult&)> apply);
  HRESULT get_Uri(LPWSTR* uri) override { return ToWide(FUri, uri); }
  HRESULT get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* kind) override;
  HRESULT get_Message(LPWSTR* message) override { return ToWide(FMessage, message); }
  HRESULT Accept() override;
  HRESULT get_DefaultText(LPWSTR* text) override { return ToWide(FDefaultText, text); }
  HRESULT get_ResultText(LPWSTR* text) override { return ToWide(FResult.Text, text); }
  HRESULT put_ResultText(LPCWSTR text) override;
  HRESULT GetDeferral(ICoreWebView2Deferral** deferral) override;
  void HandlersDone() { FOutcome.HandlersDone(); }

 private:
  std::string FUri;
  COREWEBVIEW2_SCRIPT_DIALOG_KIND FKind;
  std::string FMessage, FDefaultText;
  TResult FResult{false, {}};
  TDeferredOutcome FOutcome;
};

class TAcceleratorKeyArgs final : public TComObject<ICoreWebView2AcceleratorKeyPressedEventArgs> {
 public:
  TAcceleratorKeyArgs(COREWEBVIEW2_KEY_EVENT_KIND kind, UINT virtualKey, INT lParam,
                      COREWEBVIEW2_PHYSICAL_KEY_STATUS status)
      : FKind(kind), FVirtualKey(virtualKey), FLParam(lParam), FStatus(status) {}
  HRESULT get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* kind) override;
  HRESULT get_VirtualKey(UINT* virtualKey) override;
  HRESULT get_KeyEventLParam(INT* lParam) override;
  HRESULT get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* status) override;
  HRESULT get_Handled(BOOL* handled) override { return PutBool(FHandled, handled); }
  HRESULT put_Handled(BOOL handled) override;
  bool Handled() const { return FHandled; }

 private:
  COREWEBVIEW2_KEY_EVENT_KIND FKind;
  UINT FVirtualKey;
  INT FLParam;
  COREWEBVIEW2_PHYSICAL_KEY_STATUS FStatus;
  bool FHandled = false;
};

// WebKitGTK has no DevTools protocol endpoint for programs: subscriptions are
// kept but never fire.
class TDevToolsReceiver final : public TComObject<ICoreWebView2DevToolsProtocolEventReceiver> {
 public:
  HRESULT add_DevToolsProtocolEventReceived(
      ICoreWebView2DevToolsProtocolEventReceivedEventHandler* handler,
      EventRegistrationToken* token) override {
    return FHandlers.Add(handler, token);
  }
  HRESULT remove_DevToolsProtocolEventReceived(EventRegistrationToken token) override {
    return FHandlers.Remove(token);
  }
  void Clear() { FHandlers.Clear(); }

 private:
  TEventList<ICoreWebView2DevToolsProtocolEventReceivedEventHandler> FHandlers;
};

}  // namespace zel::webkit

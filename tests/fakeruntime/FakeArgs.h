// Event argument, request and response objects of the fake runtime.
#pragma once

#include "FakeObjects.h"
#include "com/ComStreams.h"

namespace zel::fake {

class TFakeResponse : public TComObject<ICoreWebView2WebResourceResponse> {
 public:
  TFakeResponse(IStream* content, int status, std::string reason, std::string headers)
      : FContent(content),
        FStatus(status),
        FReason(std::move(reason)),
        FHeaders(std::move(headers)) {}
  HRESULT get_Content(IStream** c) override {
    *c = FContent.Get();
    if (*c) (*c)->AddRef();
    return S_OK;
  }
  HRESULT put_Content(IStream* c) override {
    FContent = TComPtr<IStream>(c);
    return S_OK;
  }
  HRESULT get_Headers(ICoreWebView2HttpResponseHeaders**) override { return E_NOTIMPL; }
  HRESULT get_StatusCode(int* s) override { return *s = FStatus, S_OK; }
  HRESULT put_StatusCode(int s) override { return FStatus = s, S_OK; }
  HRESULT get_ReasonPhrase(LPWSTR* r) override { return *r = NewWideString(FReason), S_OK; }
  HRESULT put_ReasonPhrase(LPCWSTR r) override { return FReason = FromWide(r), S_OK; }

  TResponse Snapshot() const {
    return {true, FStatus, FReason, FHeaders, ReadWholeStream(FContent.Get()).value_or("")};
  }

 private:
  TComPtr<IStream> FContent;
  int FStatus;
  std::string FReason, FHeaders;
};

class TFakeRequest : public TComObject<ICoreWebView2WebResourceRequest> {
 public:
  explicit TFakeRequest(std::string uri) : FUri(std::move(uri)) {}
  HRESULT get_Uri(LPWSTR* u) override { return Touch(), *u = NewWideString(FUri), S_OK; }
  HRESULT put_Uri(LPCWSTR u) override { return FUri = FromWide(u), S_OK; }
  HRESULT get_Method(LPWSTR* m) override { return *m = NewWideString("GET"), S_OK; }
  HRESULT put_Method(LPCWSTR) override { return S_OK; }
  HRESULT get_Content(IStream** c) override { return *c = nullptr, S_OK; }
  HRESULT put_Content(IStream*) override { return S_OK; }
  HRESULT get_Headers(ICoreWebView2HttpRequestHeaders**) override { return E_NOTIMPL; }

 private:
  std::string FUri;
};

class TFakeResourceArgs : public TComObject<ICoreWebView2WebResourceRequestedEventArgs> {
 public:
  TFakeResourceArgs(const std::string& uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context)
      : FRequest(MakeCom<TFakeRequest, ICoreWebView2WebResourceRequest>(uri)), FContext(context) {}
  HRESULT get_Request(ICoreWebView2WebResourceRequest** r) override {
    Touch();
    *r = FRequest.Get();
    (*r)->AddRef();
    return S_OK;
  }
  HRESULT get_Response(ICoreWebView2WebResourceResponse** r) override {
    *r = FResponse.Get();
    if (*r) (*r)->AddRef();
    return S_OK;
  }
  HRESULT put_Response(ICoreWebView2WebResourceResponse* r) override {
    FResponse = TComPtr<ICoreWebView2WebResourceResponse>(r);
    return S_OK;
  }
  HRESULT GetDeferral(ICoreWebView2Deferral**) override { return E_NOTIMPL; }
  HRESULT get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* c) override {
    return *c = FContext, S_OK;
  }
  TResponse Result() const {
    if (!FResponse) return {};
    return static_cast<TFakeResponse*>(FResponse.Get())->Snapshot();
  }

 private:
  TComPtr<ICoreWebView2WebResourceRequest> FRequest;
  TComPtr<ICoreWebView2WebResourceResponse> FResponse;
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT FContext;
};

class TFakeMessageArgs : public TComObject<ICoreWebView2WebMessageReceivedEventArgs> {
 public:
  TFakeMessageArgs(std::string source, std::string json)
      : FSource(std::move(source)), FJson(std::move(json)) {}
  HRESULT get_Source(LPWSTR* s) override { return Touch(), *s = NewWideString(FSource), S_OK; }
  HRESULT get_WebMessageAsJson(LPWSTR* j) override {
    return Touch(), *j = NewWideString(FJson), S_OK;
  }
  HRESULT TryGetWebMessageAsString(LPWSTR*) override { return Touch(), E_INVALIDARG; }

 private:
  std::string FSource, FJson;
};

class TFakeNewWindowArgs : public TComObject<ICoreWebView2NewWindowRequestedEventArgs> {
 public:
  explicit TFakeNewWindowArgs(std::string uri) : FUri(std::move(uri)) {}
  HRESULT get_Uri(LPWSTR* u) override { return Touch(), *u = NewWideString(FUri), S_OK; }
  HRESULT put_NewWindow(ICoreWebView2*) override { return E_NOTIMPL; }
  HRESULT get_NewWindow(ICoreWebView2** w) override { return *w = nullptr, S_OK; }
  HRESULT put_Handled(BOOL h) override { return Touch(), Handled = h, S_OK; }
  HRESULT get_Handled(BOOL* h) override { return *h = Handled, S_OK; }
  HRESULT get_IsUserInitiated(BOOL* v) override { return *v = FALSE, S_OK; }
  HRESULT GetDeferral(ICoreWebView2Deferral**) override { return E_NOTIMPL; }
  HRESULT get_WindowFeatures(ICoreWebView2WindowFeatures**) override { return E_NOTIMPL; }
  BOOL Handled = FALSE;

 private:
  std::string FUri;
};

class TFakePermissionArgs : public TComObject<ICoreWebView2PermissionRequestedEventArgs> {
 public:
  explicit TFakePermissionArgs(int kind) : FKind(kind) {}
  HRESULT get_Uri(LPWSTR* u) override { return *u = NewWideString(State().Source), S_OK; }
  HRESULT get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* k) override {
    return Touch(), *k = static_cast<COREWEBVIEW2_PERMISSION_KIND>(FKind), S_OK;
  }
  HRESULT get_IsUserInitiated(BOOL* v) override { return *v = FALSE, S_OK; }
  HRESULT get_State(COREWEBVIEW2_PERMISSION_STATE* s) override { return *s = StateValue, S_OK; }
  HRESULT put_State(COREWEBVIEW2_PERMISSION_STATE s) override {
    return Touch(), StateValue = s, S_OK;
  }
  HRESULT GetDeferral(ICoreWebView2Deferral**) override { return E_NOTIMPL; }
  COREWEBVIEW2_PERMISSION_STATE StateValue = COREWEBVIEW2_PERMISSION_STATE_DEFAULT;

 private:
  int FKind;
};

class TFakeNavigationStartingArgs : public TComObject<ICoreWebView2NavigationStartingEventArgs> {
 public:
  explicit TFakeNavigationStartingArgs(std::string uri) : FUri(std::move(uri)) {}
  HRESULT get_Uri(LPWSTR* u) override { return Touch(), *u = NewWideString(FUri), S_OK; }
  HRESULT get_IsUserInitiated(BOOL* v) override { return *v = FALSE, S_OK; }
  HRESULT get_IsRedirected(BOOL* v) override { return *v = FALSE, S_OK; }
  HRESULT get_RequestHeaders(ICoreWebView2HttpRequestHeaders**) override { return E_NOTIMPL; }
  HRESULT get_Cancel(BOOL* c) override { return *c = Cancel, S_OK; }
  HRESULT put_Cancel(BOOL c) override { return Cancel = c, S_OK; }
  HRESULT get_NavigationId(UINT64* id) override { return *id = 1, S_OK; }
  BOOL Cancel = FALSE;

 private:
  std::string FUri;
};

class TFakeNavigationArgs : public TComObject<ICoreWebView2NavigationCompletedEventArgs> {
 public:
  TFakeNavigationArgs(bool success, int status) : FSuccess(success), FStatus(status) {}
  HRESULT get_IsSuccess(BOOL* v) override { return Touch(), *v = FSuccess, S_OK; }
  HRESULT get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* s) override {
    return Touch(), *s = static_cast<COREWEBVIEW2_WEB_ERROR_STATUS>(FStatus), S_OK;
  }
  HRESULT get_NavigationId(UINT64* id) override { return *id = 1, S_OK; }

 private:
  bool FSuccess;
  int FStatus;
};

class TFakeKeyArgs : public TComObject<ICoreWebView2AcceleratorKeyPressedEventArgs> {
 public:
  TFakeKeyArgs(int kind, unsigned key, int lParam) : FKind(kind), FKey(key), FLParam(lParam) {}
  HRESULT get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* k) override {
    return Touch(), *k = static_cast<COREWEBVIEW2_KEY_EVENT_KIND>(FKind), S_OK;
  }
  HRESULT get_VirtualKey(UINT* k) override { return *k = FKey, S_OK; }
  HRESULT get_KeyEventLParam(INT* l) override { return *l = FLParam, S_OK; }
  HRESULT get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* s) override {
    return *s = {}, S_OK;
  }
  HRESULT get_Handled(BOOL* h) override { return *h = Handled, S_OK; }
  HRESULT put_Handled(BOOL h) override { return Handled = h, S_OK; }
  BOOL Handled = FALSE;

 private:
  int FKind;
  unsigned FKey;
  int FLParam;
};

class TFakeFocusArgs : public TComObject<ICoreWebView2MoveFocusRequestedEventArgs> {
 public:
  explicit TFakeFocusArgs(int reason) : FReason(reason) {}
  HRESULT get_Reason(COREWEBVIEW2_MOVE_FOCUS_REASON* r) override {
    return Touch(), *r = static_cast<COREWEBVIEW2_MOVE_FOCUS_REASON>(FReason), S_OK;
  }
  HRESULT get_Handled(BOOL* h) override { return *h = FALSE, S_OK; }
  HRESULT put_Handled(BOOL) override { return S_OK; }

 private:
  int FReason;
};

class TFakeDevToolsArgs : public TComObject<ICoreWebView2DevToolsProtocolEventReceivedEventArgs> {
 public:
  explicit TFakeDevToolsArgs(std::string json) : FJson(std::move(json)) {}
  HRESULT get_ParameterObjectAsJson(LPWSTR* j) override {
    return Touch(), *j = NewWideString(FJson), S_OK;
  }

 private:
  std::string FJson;
};

}  // namespace zel::fake

// Environment, controller, web view and settings of the fake runtime.
#pragma once

#include "FakeArgs.h"

namespace zel::fake {

#define ZEL_FAKE_EVENT(Name, Handler)                                  \
  HRESULT add_##Name(Handler* h, EventRegistrationToken* t) override { \
    return FEvents.Add(#Name, h, t);                                   \
  }                                                                    \
  HRESULT remove_##Name(EventRegistrationToken t) override {           \
    return FEvents.Remove(#Name, t);                                   \
  }

class TFakeSettings : public TComObject<ICoreWebView2Settings> {
 public:
#define ZEL_FAKE_SETTING(G, P, Name) \
  HRESULT G(BOOL* v) override {      \
    return Read(Name, v);            \
  }                                  \
  HRESULT P(BOOL v) override {       \
    return Write(Name, v);           \
  }
  ZEL_FAKE_SETTING(get_IsScriptEnabled, put_IsScriptEnabled, "IsScriptEnabled")
  ZEL_FAKE_SETTING(get_IsWebMessageEnabled, put_IsWebMessageEnabled, "IsWebMessageEnabled")
  ZEL_FAKE_SETTING(get_AreDefaultScriptDialogsEnabled, put_AreDefaultScriptDialogsEnabled,
                   "AreDefaultScriptDialogsEnabled")
  ZEL_FAKE_SETTING(get_IsStatusBarEnabled, put_IsStatusBarEnabled, "IsStatusBarEnabled")
  ZEL_FAKE_SETTING(get_AreDevToolsEnabled, put_AreDevToolsEnabled, "AreDevToolsEnabled")
  ZEL_FAKE_SETTING(get_AreDefaultContextMenusEnabled, put_AreDefaultContextMenusEnabled,
                   "AreDefaultContextMenusEnabled")
  ZEL_FAKE_SETTING(get_AreHostObjectsAllowed, put_AreHostObjectsAllowed, "AreHostObjectsAllowed")
  ZEL_FAKE_SETTING(get_IsZoomControlEnabled, put_IsZoomControlEnabled, "IsZoomControlEnabled")
  ZEL_FAKE_SETTING(get_IsBuiltInErrorPageEnabled, put_IsBuiltInErrorPageEnabled,
                   "IsBuiltInErrorPageEnabled")
#undef ZEL_FAKE_SETTING

 private:
  HRESULT Read(const char* name, BOOL* v);
  HRESULT Write(const char* name, BOOL v);
};

class TFakeReceiver : public TComObject<ICoreWebView2DevToolsProtocolEventReceiver> {
 public:
  explicit TFakeReceiver(std::string name) : FName(std::move(name)) {}
  HRESULT add_DevToolsProtocolEventReceived(
      ICoreWebView2DevToolsProtocolEventReceivedEventHandler* h,
      EventRegistrationToken* t) override {
    return FEvents.Add(FName, h, t);
  }
  HRESULT remove_DevToolsProtocolEventReceived(EventRegistrationToken t) override {
    return FEvents.Remove(FName, t);
  }
  TEventTable& Events() { return FEvents; }

 private:
  std::string FName;
  TEventTable FEvents;
};

class TFakeWebView : public TComObject<ICoreWebView2> {
 public:
  ~TFakeWebView() override;
  TEventTable& Events() { return FEvents; }
  int DevToolsHandlerCount(const std::string& name);
  void RaiseDevTools(const std::string& name, const std::string& json);

  HRESULT get_Settings(ICoreWebView2Settings** s) override;
  HRESULT get_Source(LPWSTR* uri) override { return *uri = NewWideString(State().Source), S_OK; }
  HRESULT Navigate(LPCWSTR uri) override;
  HRESULT NavigateToString(LPCWSTR html) override;
  ZEL_FAKE_EVENT(NavigationStarting, ICoreWebView2NavigationStartingEventHandler)
  ZEL_FAKE_EVENT(ContentLoading, ICoreWebView2ContentLoadingEventHandler)
  ZEL_FAKE_EVENT(SourceChanged, ICoreWebView2SourceChangedEventHandler)
  ZEL_FAKE_EVENT(HistoryChanged, ICoreWebView2HistoryChangedEventHandler)
  ZEL_FAKE_EVENT(NavigationCompleted, ICoreWebView2NavigationCompletedEventHandler)
  ZEL_FAKE_EVENT(FrameNavigationStarting, ICoreWebView2NavigationStartingEventHandler)
  ZEL_FAKE_EVENT(FrameNavigationCompleted, ICoreWebView2NavigationCompletedEventHandler)
  ZEL_FAKE_EVENT(ScriptDialogOpening, ICoreWebView2ScriptDialogOpeningEventHandler)
  ZEL_FAKE_EVENT(PermissionRequested, ICoreWebView2PermissionRequestedEventHandler)
  ZEL_FAKE_EVENT(ProcessFailed, ICoreWebView2ProcessFailedEventHandler)
  HRESULT AddScriptToExecuteOnDocumentCreated(
      LPCWSTR js, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* h) override;
  HRESULT RemoveScriptToExecuteOnDocumentCreated(LPCWSTR) override { return S_OK; }
  HRESULT ExecuteScript(LPCWSTR js, ICoreWebView2ExecuteScriptCompletedHandler* h) override;
  HRESULT CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format, IStream* stream,
                         ICoreWebView2CapturePreviewCompletedHandler* h) override;
  HRESULT Reload() override { return State().Log("Reload"), S_OK; }
  HRESULT PostWebMessageAsJson(LPCWSTR json) override;
  HRESULT PostWebMessageAsString(LPCWSTR s) override;
  ZEL_FAKE_EVENT(WebMessageReceived, ICoreWebView2WebMessageReceivedEventHandler)
  HRESULT CallDevToolsProtocolMethod(
      LPCWSTR, LPCWSTR, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler*) override {
    return E_NOTIMPL;
  }
  HRESULT get_BrowserProcessId(UINT32* v) override { return *v = 0, S_OK; }
  HRESULT get_CanGoBack(BOOL* v) override { return *v = TRUE, S_OK; }
  HRESULT get_CanGoForward(BOOL* v) override { return *v = TRUE, S_OK; }
  HRESULT GoBack() override { return State().Log("GoBack"), S_OK; }
  HRESULT GoForward() override { return State().Log("GoForward"), S_OK; }
  HRESULT GetDevToolsProtocolEventReceiver(
      LPCWSTR name, ICoreWebView2DevToolsProtocolEventReceiver** receiver) override;
  HRESULT Stop() override { return State().Log("Stop"), S_OK; }
  ZEL_FAKE_EVENT(NewWindowRequested, ICoreWebView2NewWindowRequestedEventHandler)
  ZEL_FAKE_EVENT(DocumentTitleChanged, ICoreWebView2DocumentTitleChangedEventHandler)
  HRESULT get_DocumentTitle(LPWSTR* t) override { return *t = NewWideString(State().Title), S_OK; }
  HRESULT AddHostObjectToScript(LPCWSTR, void*) override { return E_NOTIMPL; }
  HRESULT RemoveHostObjectFromScript(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT OpenDevToolsWindow() override { return S_OK; }
  ZEL_FAKE_EVENT(ContainsFullScreenElementChanged,
                 ICoreWebView2ContainsFullScreenElementChangedEventHandler)
  HRESULT get_ContainsFullScreenElement(BOOL* v) override { return *v = State().FullScreen, S_OK; }
  ZEL_FAKE_EVENT(WebResourceRequested, ICoreWebView2WebResourceRequestedEventHandler)
  HRESULT AddWebResourceRequestedFilter(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT c) override;
  HRESULT RemoveWebResourceRequestedFilter(LPCWSTR uri,
                                           COREWEBVIEW2_WEB_RESOURCE_CONTEXT c) override;
  ZEL_FAKE_EVENT(WindowCloseRequested, ICoreWebView2WindowCloseRequestedEventHandler)

 private:
  TEventTable FEvents;
  TComPtr<ICoreWebView2Settings> FSettings;
  std::map<std::string, TComPtr<ICoreWebView2DevToolsProtocolEventReceiver>> FReceivers;
};

class TFakeController : public TComObject<ICoreWebView2Controller> {
 public:
  TFakeController();
  ~TFakeController() override;
  TEventTable& Events() { return FEvents; }
  TFakeWebView* WebView() { return static_cast<TFakeWebView*>(FWebView.Get()); }

  HRESULT get_IsVisible(BOOL* v) override { return *v = FVisible, S_OK; }
  HRESULT put_IsVisible(BOOL v) override;
  HRESULT get_Bounds(RECT* b) override { return *b = FBounds, S_OK; }
  HRESULT put_Bounds(RECT b) override;
  HRESULT get_ZoomFactor(double* z) override { return *z = FZoom, S_OK; }
  HRESULT put_ZoomFactor(double z) override;
  ZEL_FAKE_EVENT(ZoomFactorChanged, ICoreWebView2ZoomFactorChangedEventHandler)
  HRESULT SetBoundsAndZoomFactor(RECT b, double z) override {
    put_Bounds(b);
    return put_ZoomFactor(z);
  }
  HRESULT MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON r) override;
  ZEL_FAKE_EVENT(MoveFocusRequested, ICoreWebView2MoveFocusRequestedEventHandler)
  ZEL_FAKE_EVENT(GotFocus, ICoreWebView2FocusChangedEventHandler)
  ZEL_FAKE_EVENT(LostFocus, ICoreWebView2FocusChangedEventHandler)
  ZEL_FAKE_EVENT(AcceleratorKeyPressed, ICoreWebView2AcceleratorKeyPressedEventHandler)
  HRESULT get_ParentWindow(HWND* p) override { return *p = nullptr, S_OK; }
  HRESULT put_ParentWindow(HWND) override { return S_OK; }
  HRESULT NotifyParentWindowPositionChanged() override { return S_OK; }
  HRESULT Close() override;
  HRESULT get_CoreWebView2(ICoreWebView2** w) override;

 private:
  TEventTable FEvents;
  TComPtr<ICoreWebView2> FWebView;
  BOOL FVisible = TRUE;
  RECT FBounds{};
  double FZoom = 1.0;
};

class TFakeEnvironment : public TComObject<ICoreWebView2Environment> {
 public:
  HRESULT CreateCoreWebView2Controller(
      HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
  HRESULT CreateWebResourceResponse(IStream* content, int status, LPCWSTR reason, LPCWSTR headers,
                                    ICoreWebView2WebResourceResponse** response) override;
  HRESULT get_BrowserVersionString(LPWSTR* v) override;
  HRESULT add_NewBrowserVersionAvailable(ICoreWebView2NewBrowserVersionAvailableEventHandler*,
                                         EventRegistrationToken* t) override {
    return t->value = 1, S_OK;
  }
  HRESULT remove_NewBrowserVersionAvailable(EventRegistrationToken) override { return S_OK; }
};

#undef ZEL_FAKE_EVENT

}  // namespace zel::fake

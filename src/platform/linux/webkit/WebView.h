// ICoreWebView2 over a WebKitWebView.
#pragma once

#include <webkit2/webkit2.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/webkit/ComUtils.h"
#include "platform/linux/webkit/Environment.h"
#include "platform/linux/webkit/EventArgs.h"
#include "platform/linux/webkit/GObjectPtr.h"
#include "platform/linux/webkit/Settings.h"

namespace zel::webkit {

#define ZEL_EVENT_MEMBERS(Name, Handler, List)                                   \
  HRESULT add_##Name(Handler* handler, EventRegistrationToken* token) override { \
    return List.Add(handler, token);                                             \
  }                                                                              \
  HRESULT remove_##Name(EventRegistrationToken token) override {                 \
    return List.Remove(token);                                                   \
  }

class TWebView final : public TComObject<ICoreWebView2> {
 public:
  explicit TWebView(TComPtr<TEnvironment> environment);

  GtkWidget* Widget() const { return GTK_WIDGET(FView.Get()); }
  TSettings& Settings() { return *FSettings.Get(); }
  bool Closed() const { return FClosed; }
  // Disconnects from WebKit, releases every handler and destroys the view.
  void Close();

  // The app: scheme handler of the web context; finds the web view of the
  // request and serves it.
  static void OnSchemeRequest(WebKitURISchemeRequest* request, gpointer);

  // The id the page of this view has in its web process.
  std::uint64_t PageId() const { return webkit_web_view_get_page_id(FView.Get()); }
  // A media request of this view's page that came through the relay.
  void ServeRelayed(const std::string& hostUri, const TRelayRequest& request,
                    TMediaRelay::TReply reply);

  HRESULT get_Settings(ICoreWebView2Settings** settings) override;
  HRESULT get_Source(LPWSTR* uri) override;
  HRESULT Navigate(LPCWSTR uri) override;
  HRESULT NavigateToString(LPCWSTR htmlContent) override;
  ZEL_EVENT_MEMBERS(NavigationStarting, ICoreWebView2NavigationStartingEventHandler,
                    FNavigationStarting)
  ZEL_EVENT_MEMBERS(ContentLoading, ICoreWebView2ContentLoadingEventHandler, FContentLoading)
  ZEL_EVENT_MEMBERS(SourceChanged, ICoreWebView2SourceChangedEventHandler, FSourceChanged)
  ZEL_EVENT_MEMBERS(HistoryChanged, ICoreWebView2HistoryChangedEventHandler, FHistoryChanged)
  ZEL_EVENT_MEMBERS(NavigationCompleted, ICoreWebView2NavigationCompletedEventHandler,
                    FNavigationCompleted)
  // WebKitGTK tells the UI process nothing about navigations of frames, so
  // these two are kept but never raised.
  ZEL_EVENT_MEMBERS(FrameNavigationStarting, ICoreWebView2NavigationStartingEventHandler,
                    FFrameNavigationStarting)
  ZEL_EVENT_MEMBERS(FrameNavigationCompleted, ICoreWebView2NavigationCompletedEventHandler,
                    FFrameNavigationCompleted)
  ZEL_EVENT_MEMBERS(ScriptDialogOpening, ICoreWebView2ScriptDialogOpeningEventHandler,
                    FScriptDialogOpening)
  ZEL_EVENT_MEMBERS(PermissionRequested, ICoreWebView2PermissionRequestedEventHandler,
                    FPermissionRequested)
  ZEL_EVENT_MEMBERS(ProcessFailed, ICoreWebView2ProcessFailedEventHandler, FProcessFailed)
  HRESULT AddScriptToExecuteOnDocumentCreated(
      LPCWSTR javaScript,
      ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) override;
  HRESULT RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) override;
  HRESULT ExecuteScript(LPCWSTR javaScript,
                        ICoreWebView2ExecuteScriptCompletedHandler* handler) override;
  HRESULT CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat,
                         IStream* imageStream,
                         ICoreWebView2CapturePreviewCompletedHandler* handler) override;
  HRESULT Reload() override;
  HRESULT PostWebMessageAsJson(LPCWSTR webMessageAsJson) override;
  HRESULT PostWebMessageAsString(LPCWSTR webMessageAsString) override;
  ZEL_EVENT_MEMBERS(WebMessageReceived, ICoreWebView2WebMessageReceivedEventHandler,
                    FWebMessageReceived)
  HRESULT CallDevToolsProtocolMethod(
      LPCWSTR methodName, LPCWSTR parametersAsJson,
      ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) override;
  HRESULT get_BrowserProcessId(UINT32* value) override;
  HRESULT get_CanGoBack(BOOL* canGoBack) override;
  HRESULT get_CanGoForward(BOOL* canGoForward) override;
  HRESULT GoBack() override;
  HRESULT GoForward() override;
  HRESULT GetDevToolsProtocolEventReceiver(
      LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) override;
  HRESULT Stop() override;
  ZEL_EVENT_MEMBERS(NewWindowRequested, ICoreWebView2NewWindowRequestedEventHandler,
                    FNewWindowRequested)
  ZEL_EVENT_MEMBERS(DocumentTitleChanged, ICoreWebView2DocumentTitleChangedEventHandler,
                    FDocumentTitleChanged)
  HRESULT get_DocumentTitle(LPWSTR* title) override;
  HRESULT AddHostObjectToScript(LPCWSTR name, void* object) override;
  HRESULT RemoveHostObjectFromScript(LPCWSTR name) override;
  HRESULT OpenDevToolsWindow() override;
  ZEL_EVENT_MEMBERS(ContainsFullScreenElementChanged,
                    ICoreWebView2ContainsFullScreenElementChangedEventHandler, FFullScreenChanged)
  HRESULT get_ContainsFullScreenElement(BOOL* value) override;
  ZEL_EVENT_MEMBERS(WebResourceRequested, ICoreWebView2WebResourceRequestedEventHandler,
                    FWebResourceRequested)
  HRESULT AddWebResourceRequestedFilter(LPCWSTR uri,
                                        COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
  HRESULT RemoveWebResourceRequestedFilter(LPCWSTR uri,
                                           COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
  ZEL_EVENT_MEMBERS(WindowCloseRequested, ICoreWebView2WindowCloseRequestedEventHandler,
                    FWindowCloseRequested)

 private:
  struct TUserScriptFree {
    void operator()(WebKitUserScript* s) const { webkit_user_script_unref(s); }
  };
  struct TDocumentScript {
    std::string Id;
    std::unique_ptr<WebKitUserScript, TUserScriptFree> Script;
  };
  struct TFilter {
    std::string Pattern;
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT Context;
  };
  // A navigation WebKit decided to start, remembered until it starts.
  struct TCandidate {
    std::string Uri;
    bool UserGesture = false;
    THeaderList Headers;
  };
  // The main frame's current navigation.
  struct TNavigation {
    UINT64 Id = 0;
    std::string Uri;  // as WebKit loads it
    bool Provisional = false, Cancelled = false, Failed = false, Completed = false;
    // WebKit shows its error page through a second load of the failed address.
    bool ErrorPagePending = false, ErrorPage = false;
    COREWEBVIEW2_WEB_ERROR_STATUS Status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
  };

  ~TWebView() override;
  void ConnectSignals();
  void ConnectNavigationSignals();
  void ConnectPageSignals();
  void ConnectWindowSignals();
  void ReleaseHandlers();
  void RetireView();
  // Runs a signal handler body with the web view kept alive; nothing runs
  // once it is closed, and no exception leaves.
  template <class R, class F>
  static R Dispatch(gpointer self, R fallback, F&& body) {
    TComPtr<TWebView> keep(static_cast<TWebView*>(self));
    if (keep->FClosed) return fallback;
    return GuardCallback(fallback, [&] { return body(*keep.Get()); });
  }
  HRESULT CheckOpen() const { return FClosed ? E_INVALID_STATE : S_OK; }
  ICoreWebView2* Self() { return this; }

  // WebViewNavigation.cpp
  void OnDecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type);
  void OnLoadChanged(WebKitLoadEvent event);
  bool OnLoadFailed(WebKitLoadEvent event, const GError* error);
  void OnUriChanged();
  void StartNavigation(const std::string& uri, bool redirected);
  void CompleteNavigation();
  void UpdateSource(const std::string& uri, bool newDocument);

  // WebViewEvents.cpp
  GtkWidget* OnCreate(WebKitNavigationAction* action);
  bool OnPermissionRequest(WebKitPermissionRequest* request);
  bool OnScriptDialog(WebKitScriptDialog* dialog);
  bool OnContextMenu(WebKitContextMenu* menu);
  bool OnUserMessage(WebKitUserMessage* message);
  void OnFullScreen(bool entered);
  std::string HostSource() const;

  // WebViewResources.cpp
  void ServeRequest(WebKitURISchemeRequest* request);
  bool FilterMatches(const std::string& uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) const;

  // WebViewScripting.cpp
  HRESULT PostJson(const std::string& json);

  TComPtr<TEnvironment> FEnvironment;
  TGObjectPtr<WebKitWebView> FView;
  TComPtr<TSettings> FSettings;
  TGObjectPtr<GCancellable> FCancellable;
  std::vector<TDocumentScript> FScripts;
  UINT64 FNextScriptId = 1;
  std::vector<TFilter> FFilters;
  std::map<std::string, TComPtr<TDevToolsReceiver>> FDevTools;
  std::deque<TCandidate> FCandidates;
  TCandidate TakeCandidate(const std::string& uri);
  TNavigation FNavigation;
  UINT64 FNextNavigationId = 1;
  std::string FSource = "about:blank";  // the committed address, as WebKit has it
  bool FFullScreen = false;
  bool FUsedFullScreen = false;
  bool FClosed = false;

  TEventList<ICoreWebView2NavigationStartingEventHandler> FNavigationStarting,
      FFrameNavigationStarting;
  TEventList<ICoreWebView2ContentLoadingEventHandler> FContentLoading;
  TEventList<ICoreWebView2SourceChangedEventHandler> FSourceChanged;
  TEventList<ICoreWebView2HistoryChangedEventHandler> FHistoryChanged;
  TEventList<ICoreWebView2NavigationCompletedEventHandler> FNavigationCompleted,
      FFrameNavigationCompleted;
  TEventList<ICoreWebView2ScriptDialogOpeningEventHandler> FScriptDialogOpening;
  TEventList<ICoreWebView2PermissionRequestedEventHandler> FPermissionRequested;
  TEventList<ICoreWebView2ProcessFailedEventHandler> FProcessFailed;
  TEventList<ICoreWebView2WebMessageReceivedEventHandler> FWebMessageReceived;
  TEventList<ICoreWebView2NewWindowRequestedEventHandler> FNewWindowRequested;
  TEventList<ICoreWebView2DocumentTitleChangedEventHandler> FDocumentTitleChanged;
  TEventList<ICoreWebView2ContainsFullScreenElementChangedEventHandler> FFullScreenChanged;
  TEventList<ICoreWebView2WebResourceRequestedEventHandler> FWebResourceRequested;
  TEventList<ICoreWebView2WindowCloseRequestedEventHandler> FWindowCloseRequested;
};

#undef ZEL_EVENT_MEMBERS

}  // namespace zel::webkit

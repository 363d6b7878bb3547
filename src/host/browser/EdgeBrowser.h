// TCustomEdgeBrowser: the windowed control that hosts one browser. It loads
// the runtime from WebView2LoaderPath, creates environment, controller and
// web view asynchronously, keeps bounds, visibility and focus in step, and
// turns the runtime's events into typed events.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "host/browser/EdgeLoader.h"
#include "ports/UI.h"
#include "ports/WebView2.h"

namespace zel {

enum class TBrowserControlState { None, Creating, Created, Failed };
enum class TPreviewFormat { PNG, JPEG };

// The browser control's exception: a message and an HRESULT.
class EEdgeError : public std::runtime_error {
 public:
  EEdgeError(const std::string& message, HRESULT errorCode)
      : std::runtime_error(message), ErrorCode(errorCode) {}
  HRESULT ErrorCode;
};

inline constexpr const char* kFailedToCreateMessage = "Failed to create Edge browser control";
inline constexpr const char* kNotInstantiatedMessage = "WebView2 not instantiated";
// HRESULT_FROM_WIN32(ERROR_INVALID_STATE): an operation that needs a web view.
inline constexpr HRESULT kNoWebViewResult = static_cast<HRESULT>(0x8007139Fu);

// Wraps the runtime's argument object for the duration of one event call.
template <class I>
class TEdgeEventArgs {
 public:
  explicit TEdgeEventArgs(I* args) : FArgsInterface(args) {}
  I* ArgsInterface() const { return FArgsInterface.Get(); }

 private:
  TComPtr<I> FArgsInterface;
};

using TNavigationStartingEventArgs = TEdgeEventArgs<ICoreWebView2NavigationStartingEventArgs>;
using TNewWindowRequestedEventArgs = TEdgeEventArgs<ICoreWebView2NewWindowRequestedEventArgs>;
using TPermissionRequestedEventArgs = TEdgeEventArgs<ICoreWebView2PermissionRequestedEventArgs>;
using TScriptDialogOpeningEventArgs = TEdgeEventArgs<ICoreWebView2ScriptDialogOpeningEventArgs>;
using TWebMessageReceivedEventArgs = TEdgeEventArgs<ICoreWebView2WebMessageReceivedEventArgs>;
using TWebResourceRequestedEventArgs = TEdgeEventArgs<ICoreWebView2WebResourceRequestedEventArgs>;

class TCustomEdgeBrowser;
template <class... A>
using TEdgeEvent = std::function<void(TCustomEdgeBrowser& Sender, A...)>;

using TWebViewStatusEvent = TEdgeEvent<HRESULT>;
using TNavigationStartingEvent = TEdgeEvent<TNavigationStartingEventArgs&>;
using TNavigationCompletedEvent = TEdgeEvent<bool, std::int32_t>;
using TSourceChangedEvent = TEdgeEvent<bool>;
using THistoryChangedEvent = TEdgeEvent<>;
using TContentLoadingEvent = TEdgeEvent<bool, std::uint64_t>;
using TDocumentTitleChangedEvent = TEdgeEvent<const std::string&>;
using TNewWindowRequestedEvent = TEdgeEvent<TNewWindowRequestedEventArgs&>;
using TWebResourceRequestedEvent = TEdgeEvent<TWebResourceRequestedEventArgs&>;
using TScriptDialogOpeningEvent = TEdgeEvent<TScriptDialogOpeningEventArgs&>;
using TPermissionRequestedEvent = TEdgeEvent<TPermissionRequestedEventArgs&>;
using TProcessFailedEvent = TEdgeEvent<std::int32_t>;
using TWebMessageReceivedEvent = TEdgeEvent<TWebMessageReceivedEventArgs&>;
using TContainsFullScreenElementChangedEvent = TEdgeEvent<bool>;
using TZoomFactorChangedEvent = TEdgeEvent<double>;
using TExecuteScriptEvent = TEdgeEvent<HRESULT, const std::string&>;
using TDevToolsProtocolEventReceivedEvent = TEdgeEvent<const std::string&, const std::string&>;
using TNotifyEvent = TEdgeEvent<>;

class TCustomEdgeBrowser : private IControlEvents {
 public:
  TCustomEdgeBrowser();
  ~TCustomEdgeBrowser() override;
  TCustomEdgeBrowser(const TCustomEdgeBrowser&) = delete;
  TCustomEdgeBrowser& operator=(const TCustomEdgeBrowser&) = delete;

  // Gives the control its native window inside Parent and starts the
  // browser's creation.
  void SetParent(IBrowserFormPeer& Parent);
  IBrowserHostPeer* Peer() const { return FPeer.get(); }

  // Lifecycle.
  void CreateWebView();
  void ReinitializeWebView();
  void ReinitializeWebViewWithNewBrowser();
  void CloseWebView();
  void CloseBrowserProcess();

  // Properties.
  TBrowserControlState BrowserControlState() const { return FBrowserControlState; }
  ICoreWebView2* DefaultInterface() const { return FWebView.Get(); }
  ICoreWebView2Controller* ControllerInterface() const { return FWebViewController.Get(); }
  ICoreWebView2Environment* EnvironmentInterface() const { return FWebViewEnvironment.Get(); }
  ICoreWebView2Settings* SettingsInterface() const { return FWebViewSettings.Get(); }
  HRESULT LastErrorCode() const { return FLastErrorCode; }
  const std::string& LastURL() const { return FLastURL; }
  void SetLastURL(const std::string& Url) { FLastURL = Url; }
  double SizeRatio() const { return FSizeRatio; }
  void SetSizeRatio(double Value);
  bool WebViewCreated() const;
  double ZoomFactor();
  void SetZoomFactor(double Value);
  std::string BrowserVersionInfo();
  UINT32 BrowserProcessID();
  bool CanGoBack();
  bool CanGoForward();
  bool ContainsFullScreenElement();
  std::string DocumentTitle();
  std::string LocationURL();

  // Settings; getters and setters raise EEdgeError without a web view.
  bool ScriptEnabled();
  void SetScriptEnabled(bool Value);
  bool WebMessageEnabled();
  void SetWebMessageEnabled(bool Value);
  bool DefaultScriptDialogsEnabled();
  void SetDefaultScriptDialogsEnabled(bool Value);
  bool StatusBarEnabled();
  void SetStatusBarEnabled(bool Value);
  bool DevToolsEnabled();
  void SetDevToolsEnabled(bool Value);
  bool DefaultContextMenusEnabled();
  void SetDefaultContextMenusEnabled(bool Value);
  bool ZoomControlEnabled();
  void SetZoomControlEnabled(bool Value);
  bool BuiltInErrorPageEnabled();
  void SetBuiltInErrorPageEnabled(bool Value);

  // Operations on the web view; without one they do nothing, except that
  // Navigate remembers the address for after creation.
  void Navigate(const std::string& AUrl);
  void NavigateToString(const std::string& AHTMLContent);
  void GoBack();
  void GoForward();
  void Refresh();
  void Stop();
  void ExecuteScript(const std::string& JavaScript);
  // Posts a JSON message to the page's chrome.webview "message" listeners.
  void PostWebMessageAsJson(const std::string& WebMessageAsJson);
  void AddWebResourceRequestedFilter(const std::string& URL,
                                     COREWEBVIEW2_WEB_RESOURCE_CONTEXT ResourceContext);
  void RemoveWebResourceRequestedFilter(const std::string& URL,
                                        COREWEBVIEW2_WEB_RESOURCE_CONTEXT ResourceContext);
  void SubscribeToCDPEvent(const std::string& CDPEventName);
  // Writes the visible page as PNG or JPEG into a file (created or emptied)
  // or into a stream; without a web view only LastErrorCode changes.
  void CapturePreview(const std::string& AFilename, TPreviewFormat PreviewFormat);
  void CapturePreview(IStream* Stream, TPreviewFormat PreviewFormat);

  // Framework hooks.
  void SetFocus();
  // Minimize hides the browser and restore shows it again.
  void SysCommand(TSysCommand Command);

  // Events.
  TWebViewStatusEvent OnCapturePreviewCompleted;
  TContainsFullScreenElementChangedEvent OnContainsFullScreenElementChanged;
  TContentLoadingEvent OnContentLoading;
  TWebViewStatusEvent OnCreateWebViewCompleted;
  TDevToolsProtocolEventReceivedEvent OnDevToolsProtocolEventReceived;
  TDocumentTitleChangedEvent OnDocumentTitleChanged;
  TExecuteScriptEvent OnExecuteScript;
  TNavigationStartingEvent OnFrameNavigationStarting;
  TNavigationCompletedEvent OnFrameNavigationCompleted;
  THistoryChangedEvent OnHistoryChanged;
  TNavigationStartingEvent OnNavigationStarting;
  TNavigationCompletedEvent OnNavigationCompleted;
  TNewWindowRequestedEvent OnNewWindowRequested;
  TPermissionRequestedEvent OnPermissionRequested;
  TProcessFailedEvent OnProcessFailed;
  TScriptDialogOpeningEvent OnScriptDialogOpening;
  TSourceChangedEvent OnSourceChanged;
  TWebMessageReceivedEvent OnWebMessageReceived;
  TWebResourceRequestedEvent OnWebResourceRequested;
  TNotifyEvent OnWindowCloseRequested;
  TZoomFactorChangedEvent OnZoomFactorChanged;
  // The framework's focus events of the control.
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 private:
  // One creation attempt. The worker thread and the runtime's handlers hold
  // it; the control detaches itself when a newer attempt starts or when it is
  // destroyed, so late completions find no owner.
  struct TCreation {
    std::mutex Lock;
    TCustomEdgeBrowser* Owner;
    explicit TCreation(TCustomEdgeBrowser* owner) : Owner(owner) {}
  };

  bool RecordResult(HRESULT hr);
  void InitializeWebView(bool onWorker);
  void CreateEnvironmentCompleted(HRESULT AResult, ICoreWebView2Environment* AEnvironment);
  void CreateCoreWebView2ControllerCompleted(HRESULT AResult, ICoreWebView2Controller* AController);
  void ControllerCreationFailed();
  void RaiseCreateWebViewCompleted(HRESULT AResult);
  void AddWebViewHandlers();
  void AddNavigationHandlers();
  void AddPageHandlers();
  void AddProcessHandlers();
  void AddControllerHandlers();
  void RemoveHandlers();
  void Layout();
  void DoEnter();
  bool GetSetting(HRESULT (ICoreWebView2Settings::*getter)(BOOL*));
  void PutSetting(HRESULT (ICoreWebView2Settings::*setter)(BOOL), bool value);
  void AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventArgs* args);
  void MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventArgs* args);
  void StartCapture(IStream* stream, TPreviewFormat format);

  // IControlEvents
  void ControlResized() override { Layout(); }
  void ControlVisibilityChanged() override;
  void ControlEnter() override { DoEnter(); }
  void ControlExit() override;
  void ControlRecreated() override;
  void ControlSysCommand(TSysCommand Command) override;

  TBrowserControlState FBrowserControlState = TBrowserControlState::None;
  TComPtr<ICoreWebView2Environment> FWebViewEnvironment;
  TComPtr<ICoreWebView2Controller> FWebViewController;
  TComPtr<ICoreWebView2> FWebView;
  TComPtr<ICoreWebView2Settings> FWebViewSettings;
  double FSizeRatio = 1.0;
  // Also written by the creation worker when the runtime refuses at once,
  // while the application may read it on the UI thread.
  std::atomic<HRESULT> FLastErrorCode = S_OK;
  bool FWebViewFocusEventActive = false;
  std::string FLastURL;
  std::unique_ptr<IBrowserHostPeer> FPeer;
  std::shared_ptr<TCreation> FCreation;

  EventRegistrationToken FAcceleratorKeyPressedToken{}, FContainsFullScreenElementChangedToken{},
      FContentLoadingToken{}, FDocumentTitleChangedToken{}, FFrameNavigationStartingToken{},
      FFrameNavigationCompletedToken{}, FGotFocusToken{}, FHistoryChangedToken{}, FLostFocusToken{},
      FMoveFocusRequestedToken{}, FNavigationStartingToken{}, FNavigationCompletedToken{},
      FNewWindowRequestedToken{}, FPermissionRequestedToken{}, FProcessFailedToken{},
      FScriptDialogOpeningToken{}, FSourceChangedToken{}, FWebResourceRequestedToken{},
      FWebMessageReceivedToken{}, FWindowCloseRequestedToken{}, FZoomFactorChangedToken{};
  std::map<std::string, EventRegistrationToken> FDevToolsProtocolEventReceivedTokenMap;
};

// The control as the forms use it.
class TEdgeBrowser : public TCustomEdgeBrowser {};

}  // namespace zel

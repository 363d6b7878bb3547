// TCustomEdgeBrowser: creation, layout, focus, visibility and settings.
#include "host/browser/EdgeBrowser.h"

#include <cmath>

#include "com/ComHandlers.h"
#include "core/Text.h"
#include "ports/System.h"

namespace zel {

TCustomEdgeBrowser::TCustomEdgeBrowser() = default;

TCustomEdgeBrowser::~TCustomEdgeBrowser() {
  if (FCreation) {
    std::lock_guard guard(FCreation->Lock);
    FCreation->Owner = nullptr;
  }
  CloseWebView();
  FPeer.reset();
}

void TCustomEdgeBrowser::SetParent(IBrowserFormPeer& Parent) {
  FPeer = UI().CreateBrowserHost(Parent, *this);
  CreateWebView();
}

bool TCustomEdgeBrowser::RecordResult(HRESULT hr) {
  FLastErrorCode = hr;
  return SUCCEEDED(hr);
}

void TCustomEdgeBrowser::CreateWebView() {
  if (FWebView || FBrowserControlState == TBrowserControlState::Creating) return;
  FBrowserControlState = TBrowserControlState::Creating;
  InitializeWebView(true);
}

void TCustomEdgeBrowser::ReinitializeWebView() {
  InitializeWebView(false);
}

void TCustomEdgeBrowser::ReinitializeWebViewWithNewBrowser() {
  CloseBrowserProcess();
  ReinitializeWebView();
}

void TCustomEdgeBrowser::InitializeWebView(bool onWorker) {
  // The earlier web view is closed on the UI thread, where it lives; only
  // the loader call itself runs on the worker.
  CloseWebView();
  FSizeRatio = 1.0;
  FWebViewFocusEventActive = false;
  if (FCreation) {
    std::lock_guard guard(FCreation->Lock);
    FCreation->Owner = nullptr;
  }
  auto creation = std::make_shared<TCreation>(this);
  FCreation = creation;

  auto begin = [creation] {
    auto handler = MakeHandlerFor<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
        [creation](HRESULT result, ICoreWebView2Environment* environment) {
          TComPtr<ICoreWebView2Environment> keep(environment);
          UI().Queue([creation, result, keep] {
            if (creation->Owner) creation->Owner->CreateEnvironmentCompleted(result, keep.Get());
          });
          return S_OK;
        });
    const HRESULT hr = CreateCoreWebView2Environment(handler.Get());
    if (FAILED(hr)) {
      // A success is not recorded: where the completion arrives during the
      // call, its own result is already the newer one.
      {
        std::lock_guard guard(creation->Lock);
        if (creation->Owner) creation->Owner->RecordResult(hr);
      }
      UI().Queue([creation, hr] {
        if (creation->Owner) creation->Owner->RaiseCreateWebViewCompleted(hr);
      });
    }
  };
  if (onWorker)
    sys::StartBrowserCreation(begin);
  else
    begin();
}

void TCustomEdgeBrowser::RaiseCreateWebViewCompleted(HRESULT AResult) {
  if (OnCreateWebViewCompleted) OnCreateWebViewCompleted(*this, AResult);
}

void TCustomEdgeBrowser::CreateEnvironmentCompleted(HRESULT AResult,
                                                    ICoreWebView2Environment* AEnvironment) {
  if (!RecordResult(AResult) || !AEnvironment) {
    RaiseCreateWebViewCompleted(SUCCEEDED(AResult) ? E_POINTER : AResult);
    return;
  }
  FWebViewEnvironment = TComPtr<ICoreWebView2Environment>(AEnvironment);
  auto creation = FCreation;
  // The outcome runs as a queued UI call, never inside the runtime's callback:
  // whatever the creation-completed handlers (or the unhandled-failure
  // report) throw reaches the application's exception report there, instead
  // of vanishing in the handler object that shields the runtime.
  auto handler = MakeHandlerFor<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
      [creation](HRESULT result, ICoreWebView2Controller* controller) {
        TComPtr<ICoreWebView2Controller> keep(controller);
        UI().Queue([creation, result, keep] {
          if (creation->Owner)
            creation->Owner->CreateCoreWebView2ControllerCompleted(result, keep.Get());
        });
        return S_OK;
      });
  // A controller refused at once (a bad parent window, a runtime already
  // gone) fails the creation like one that fails later; otherwise the
  // control would wait for a completion that never comes.
  if (!RecordResult(FWebViewEnvironment->CreateCoreWebView2Controller(
          FPeer ? FPeer->NativeHandle() : nullptr, handler.Get())))
    ControllerCreationFailed();
}

void TCustomEdgeBrowser::CreateCoreWebView2ControllerCompleted(
    HRESULT AResult, ICoreWebView2Controller* AController) {
  if (!RecordResult(AResult) || !AController) return ControllerCreationFailed();
  FWebViewController = TComPtr<ICoreWebView2Controller>(AController);
  if (!RecordResult(FWebViewController->get_CoreWebView2(FWebView.Put())) || !FWebView)
    return ControllerCreationFailed();
  if (!RecordResult(FWebView->get_Settings(FWebViewSettings.Put())) || !FWebViewSettings)
    return ControllerCreationFailed();
  FBrowserControlState = TBrowserControlState::Created;
  RaiseCreateWebViewCompleted(AResult);
  if (FWebView && FWebViewController) {
    AddWebViewHandlers();
    AddControllerHandlers();
    Layout();
    if (!FLastURL.empty()) Navigate(FLastURL);
  }
}

void TCustomEdgeBrowser::ControllerCreationFailed() {
  FBrowserControlState = TBrowserControlState::Failed;
  if (OnCreateWebViewCompleted) {
    OnCreateWebViewCompleted(*this, FLastErrorCode);
    return;
  }
  const HRESULT code = FLastErrorCode;
  UI().Queue([code] { throw EEdgeError(kFailedToCreateMessage, code); });
}

void TCustomEdgeBrowser::CloseWebView() {
  if (FWebView || FWebViewController) RemoveHandlers();
  FWebView = nullptr;
  if (FWebViewController) {
    FWebViewController->Close();
    FWebViewController = nullptr;
  }
}

void TCustomEdgeBrowser::CloseBrowserProcess() {
  const UINT32 processId = BrowserProcessID();
  CloseWebView();
  if (processId != 0) sys::WaitOrTerminateProcess(processId, 2000);
}

bool TCustomEdgeBrowser::WebViewCreated() const {
  return FWebViewEnvironment && FWebViewController && FWebView && FWebViewSettings;
}

// ---- Layout, visibility, focus -------------------------------------------

void TCustomEdgeBrowser::SetSizeRatio(double Value) {
  FSizeRatio = Value;
  Layout();
}

void TCustomEdgeBrowser::Layout() {
  if (!FWebViewController || !FPeer) return;
  const TRect r = FPeer->ClientRect();
  RECT bounds{r.Left, r.Top, r.Right, r.Bottom};
  bounds.right = static_cast<std::int32_t>(std::trunc((r.Right - r.Left) * FSizeRatio + r.Left));
  bounds.bottom = static_cast<std::int32_t>(std::trunc((r.Bottom - r.Top) * FSizeRatio + r.Top));
  RecordResult(FWebViewController->put_Bounds(bounds));
}

void TCustomEdgeBrowser::ControlVisibilityChanged() {
  if (FWebViewController && FPeer)
    RecordResult(FWebViewController->put_IsVisible(FPeer->Visible() ? TRUE : FALSE));
}

void TCustomEdgeBrowser::ControlSysCommand(TSysCommand Command) {
  SysCommand(Command);
}

void TCustomEdgeBrowser::SysCommand(TSysCommand Command) {
  if (!FWebViewController) return;
  if (Command == TSysCommand::Minimize)
    RecordResult(FWebViewController->put_IsVisible(FALSE));
  else if (Command == TSysCommand::Restore)
    RecordResult(FWebViewController->put_IsVisible(TRUE));
}

void TCustomEdgeBrowser::ControlRecreated() {
  if (FWebView) ReinitializeWebView();
}

void TCustomEdgeBrowser::DoEnter() {
  if (OnEnter) OnEnter(*this);
  if (!FWebViewFocusEventActive && FWebViewController)
    RecordResult(FWebViewController->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));
}

void TCustomEdgeBrowser::ControlExit() {
  if (OnExit) OnExit(*this);
}

void TCustomEdgeBrowser::SetFocus() {
  if (FPeer) FPeer->SetFocus();
  if (FWebViewController)
    RecordResult(FWebViewController->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));
}

void TCustomEdgeBrowser::MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventArgs* args) {
  COREWEBVIEW2_MOVE_FOCUS_REASON reason{};
  if (!RecordResult(args->get_Reason(&reason)) || !FPeer) return;
  if (reason == COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT) FPeer->SelectNext(true);
  if (reason == COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS) FPeer->SelectNext(false);
}

void TCustomEdgeBrowser::AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
  COREWEBVIEW2_KEY_EVENT_KIND kind{};
  UINT key = 0;
  INT lParam = 0;
  if (!RecordResult(args->get_KeyEventKind(&kind)) || !RecordResult(args->get_VirtualKey(&key)) ||
      !RecordResult(args->get_KeyEventLParam(&lParam)) || !FPeer)
    return;
  if (FPeer->IsShortCut(kind, key, lParam)) args->put_Handled(TRUE);
}

// ---- Zoom and settings -----------------------------------------------------

double TCustomEdgeBrowser::ZoomFactor() {
  double value = 0.0;
  if (FWebViewController) RecordResult(FWebViewController->get_ZoomFactor(&value));
  return value;
}

void TCustomEdgeBrowser::SetZoomFactor(double Value) {
  if (FWebViewController) RecordResult(FWebViewController->put_ZoomFactor(Value));
}

bool TCustomEdgeBrowser::GetSetting(HRESULT (ICoreWebView2Settings::*getter)(BOOL*)) {
  BOOL value = FALSE;
  if (!FWebViewSettings || FAILED((FWebViewSettings.Get()->*getter)(&value)))
    throw EEdgeError(kNotInstantiatedMessage, E_FAIL);
  return value != FALSE;
}

void TCustomEdgeBrowser::PutSetting(HRESULT (ICoreWebView2Settings::*setter)(BOOL), bool value) {
  if (!FWebViewSettings) throw EEdgeError(kNotInstantiatedMessage, E_FAIL);
  RecordResult((FWebViewSettings.Get()->*setter)(value ? TRUE : FALSE));
}

#define ZEL_SETTING(Property, Getter, Setter)          \
  bool TCustomEdgeBrowser::Property() {                \
    return GetSetting(&ICoreWebView2Settings::Getter); \
  }                                                    \
  void TCustomEdgeBrowser::Set##Property(bool Value) { \
    PutSetting(&ICoreWebView2Settings::Setter, Value); \
  }

ZEL_SETTING(ScriptEnabled, get_IsScriptEnabled, put_IsScriptEnabled)
ZEL_SETTING(WebMessageEnabled, get_IsWebMessageEnabled, put_IsWebMessageEnabled)
ZEL_SETTING(DefaultScriptDialogsEnabled, get_AreDefaultScriptDialogsEnabled,
            put_AreDefaultScriptDialogsEnabled)
ZEL_SETTING(StatusBarEnabled, get_IsStatusBarEnabled, put_IsStatusBarEnabled)
ZEL_SETTING(DevToolsEnabled, get_AreDevToolsEnabled, put_AreDevToolsEnabled)
ZEL_SETTING(DefaultContextMenusEnabled, get_AreDefaultContextMenusEnabled,
            put_AreDefaultContextMenusEnabled)
ZEL_SETTING(ZoomControlEnabled, get_IsZoomControlEnabled, put_IsZoomControlEnabled)
ZEL_SETTING(BuiltInErrorPageEnabled, get_IsBuiltInErrorPageEnabled, put_IsBuiltInErrorPageEnabled)

#undef ZEL_SETTING

}  // namespace zel

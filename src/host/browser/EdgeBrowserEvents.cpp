// TCustomEdgeBrowser: the runtime's events, the operations on the web view
// and the read-only information properties.
#include "com/ComHandlers.h"
#include "com/ComStreams.h"
#include "com/ComStrings.h"
#include "com/Utf.h"
#include "core/Text.h"
#include "host/browser/EdgeBrowser.h"

namespace zel {

namespace {

// Adds a handler built from `fn` with the runtime's add_ method.
template <class Target, class Handler, class F>
void AddHandler(Target* target, HRESULT (Target::*add)(Handler*, EventRegistrationToken*),
                EventRegistrationToken& token, F&& fn) {
  auto handler = MakeHandlerFor<Handler>(std::forward<F>(fn));
  (target->*add)(handler.Get(), &token);
}

// Raises an event whose only parameter is a wrapper around the arguments.
template <class Wrapper, class Event, class Args>
HRESULT RaiseWrapped(TCustomEdgeBrowser& sender, const Event& event, Args* args) {
  if (!event) return S_OK;
  Wrapper wrapper(args);
  event(sender, wrapper);
  return S_OK;
}

HRESULT RaiseCompleted(TCustomEdgeBrowser& sender, const TNavigationCompletedEvent& event,
                       ICoreWebView2NavigationCompletedEventArgs* args) {
  if (!event) return S_OK;
  BOOL success = FALSE;
  COREWEBVIEW2_WEB_ERROR_STATUS status{};
  args->get_IsSuccess(&success);
  args->get_WebErrorStatus(&status);
  event(sender, success != FALSE, status);
  return S_OK;
}

}  // namespace

void TCustomEdgeBrowser::AddWebViewHandlers() {
  AddNavigationHandlers();
  AddPageHandlers();
  AddProcessHandlers();
}

void TCustomEdgeBrowser::AddNavigationHandlers() {
  ICoreWebView2* wv = FWebView.Get();
  AddHandler(wv, &ICoreWebView2::add_NavigationStarting, FNavigationStartingToken,
             [this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* a) {
               return RaiseWrapped<TNavigationStartingEventArgs>(*this, OnNavigationStarting, a);
             });
  AddHandler(wv, &ICoreWebView2::add_NavigationCompleted, FNavigationCompletedToken,
             [this](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* a) {
               return RaiseCompleted(*this, OnNavigationCompleted, a);
             });
  AddHandler(wv, &ICoreWebView2::add_SourceChanged, FSourceChangedToken,
             [this](ICoreWebView2*, ICoreWebView2SourceChangedEventArgs* a) {
               if (!OnSourceChanged) return S_OK;
               BOOL isNew = FALSE;
               a->get_IsNewDocument(&isNew);
               OnSourceChanged(*this, isNew != FALSE);
               return S_OK;
             });
  AddHandler(wv, &ICoreWebView2::add_HistoryChanged, FHistoryChangedToken,
             [this](ICoreWebView2*, IUnknown*) {
               if (OnHistoryChanged) OnHistoryChanged(*this);
               return S_OK;
             });
  AddHandler(wv, &ICoreWebView2::add_ContentLoading, FContentLoadingToken,
             [this](ICoreWebView2*, ICoreWebView2ContentLoadingEventArgs* a) {
               if (!OnContentLoading) return S_OK;
               BOOL isError = FALSE;
               UINT64 id = 0;
               a->get_IsErrorPage(&isError);
               a->get_NavigationId(&id);
               OnContentLoading(*this, isError != FALSE, id);
               return S_OK;
             });
}

void TCustomEdgeBrowser::AddPageHandlers() {
  ICoreWebView2* wv = FWebView.Get();
  AddHandler(wv, &ICoreWebView2::add_DocumentTitleChanged, FDocumentTitleChangedToken,
             [this](ICoreWebView2*, IUnknown*) {
               if (OnDocumentTitleChanged) OnDocumentTitleChanged(*this, DocumentTitle());
               return S_OK;
             });
  AddHandler(wv, &ICoreWebView2::add_NewWindowRequested, FNewWindowRequestedToken,
             [this](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* a) {
               return RaiseWrapped<TNewWindowRequestedEventArgs>(*this, OnNewWindowRequested, a);
             });
  AddHandler(wv, &ICoreWebView2::add_FrameNavigationStarting, FFrameNavigationStartingToken,
             [this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* a) {
               return RaiseWrapped<TNavigationStartingEventArgs>(*this, OnFrameNavigationStarting,
                                                                 a);
             });
  AddHandler(wv, &ICoreWebView2::add_FrameNavigationCompleted, FFrameNavigationCompletedToken,
             [this](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* a) {
               return RaiseCompleted(*this, OnFrameNavigationCompleted, a);
             });
  AddHandler(wv, &ICoreWebView2::add_WebResourceRequested, FWebResourceRequestedToken,
             [this](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* a) {
               return RaiseWrapped<TWebResourceRequestedEventArgs>(*this, OnWebResourceRequested,
                                                                   a);
             });
  AddHandler(wv, &ICoreWebView2::add_ScriptDialogOpening, FScriptDialogOpeningToken,
             [this](ICoreWebView2*, ICoreWebView2ScriptDialogOpeningEventArgs* a) {
               return RaiseWrapped<TScriptDialogOpeningEventArgs>(*this, OnScriptDialogOpening, a);
             });
  AddHandler(wv, &ICoreWebView2::add_PermissionRequested, FPermissionRequestedToken,
             [this](ICoreWebView2*, ICoreWebView2PermissionRequestedEventArgs* a) {
               return RaiseWrapped<TPermissionRequestedEventArgs>(*this, OnPermissionRequested, a);
             });
}

void TCustomEdgeBrowser::AddProcessHandlers() {
  ICoreWebView2* wv = FWebView.Get();
  AddHandler(wv, &ICoreWebView2::add_ProcessFailed, FProcessFailedToken,
             [this](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* a) {
               if (!OnProcessFailed) return S_OK;
               COREWEBVIEW2_PROCESS_FAILED_KIND kind{};
               a->get_ProcessFailedKind(&kind);
               OnProcessFailed(*this, kind);
               return S_OK;
             });
  AddHandler(wv, &ICoreWebView2::add_WebMessageReceived, FWebMessageReceivedToken,
             [this](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* a) {
               return RaiseWrapped<TWebMessageReceivedEventArgs>(*this, OnWebMessageReceived, a);
             });
  AddHandler(wv, &ICoreWebView2::add_ContainsFullScreenElementChanged,
             FContainsFullScreenElementChangedToken, [this](ICoreWebView2* sender, IUnknown*) {
               if (!OnContainsFullScreenElementChanged) return S_OK;
               BOOL value = FALSE;
               if (RecordResult(sender->get_ContainsFullScreenElement(&value)))
                 OnContainsFullScreenElementChanged(*this, value != FALSE);
               return S_OK;
             });
  AddHandler(wv, &ICoreWebView2::add_WindowCloseRequested, FWindowCloseRequestedToken,
             [this](ICoreWebView2*, IUnknown*) {
               if (OnWindowCloseRequested) OnWindowCloseRequested(*this);
               return S_OK;
             });
}

void TCustomEdgeBrowser::AddControllerHandlers() {
  ICoreWebView2Controller* c = FWebViewController.Get();
  AddHandler(c, &ICoreWebView2Controller::add_ZoomFactorChanged, FZoomFactorChangedToken,
             [this](ICoreWebView2Controller*, IUnknown*) {
               if (OnZoomFactorChanged) OnZoomFactorChanged(*this, ZoomFactor());
               return S_OK;
             });
  AddHandler(c, &ICoreWebView2Controller::add_MoveFocusRequested, FMoveFocusRequestedToken,
             [this](ICoreWebView2Controller*, ICoreWebView2MoveFocusRequestedEventArgs* a) {
               MoveFocusRequested(a);
               return S_OK;
             });
  AddHandler(c, &ICoreWebView2Controller::add_AcceleratorKeyPressed, FAcceleratorKeyPressedToken,
             [this](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* a) {
               AcceleratorKeyPressed(a);
               return S_OK;
             });
  AddHandler(c, &ICoreWebView2Controller::add_GotFocus, FGotFocusToken,
             [this](ICoreWebView2Controller*, IUnknown*) {
               FWebViewFocusEventActive = true;
               DoEnter();
               FWebViewFocusEventActive = false;
               return S_OK;
             });
  AddHandler(c, &ICoreWebView2Controller::add_LostFocus, FLostFocusToken,
             [this](ICoreWebView2Controller*, IUnknown*) {
               ControlExit();
               return S_OK;
             });
}

void TCustomEdgeBrowser::RemoveHandlers() {
  if (ICoreWebView2* wv = FWebView.Get()) {
    wv->remove_NavigationStarting(FNavigationStartingToken);
    wv->remove_NavigationCompleted(FNavigationCompletedToken);
    wv->remove_SourceChanged(FSourceChangedToken);
    wv->remove_HistoryChanged(FHistoryChangedToken);
    wv->remove_ContentLoading(FContentLoadingToken);
    wv->remove_DocumentTitleChanged(FDocumentTitleChangedToken);
    wv->remove_NewWindowRequested(FNewWindowRequestedToken);
    wv->remove_FrameNavigationStarting(FFrameNavigationStartingToken);
    wv->remove_FrameNavigationCompleted(FFrameNavigationCompletedToken);
    wv->remove_WebResourceRequested(FWebResourceRequestedToken);
    wv->remove_ScriptDialogOpening(FScriptDialogOpeningToken);
    wv->remove_PermissionRequested(FPermissionRequestedToken);
    wv->remove_ProcessFailed(FProcessFailedToken);
    wv->remove_WebMessageReceived(FWebMessageReceivedToken);
    wv->remove_WindowCloseRequested(FWindowCloseRequestedToken);
    wv->remove_ContainsFullScreenElementChanged(FContainsFullScreenElementChangedToken);
    for (const auto& [name, token] : FDevToolsProtocolEventReceivedTokenMap) {
      TComPtr<ICoreWebView2DevToolsProtocolEventReceiver> receiver;
      if (RecordResult(
              wv->GetDevToolsProtocolEventReceiver(Utf8ToUtf16(name).c_str(), receiver.Put())) &&
          receiver)
        receiver->remove_DevToolsProtocolEventReceived(token);
    }
    FDevToolsProtocolEventReceivedTokenMap.clear();
  }
  if (ICoreWebView2Controller* c = FWebViewController.Get()) {
    c->remove_AcceleratorKeyPressed(FAcceleratorKeyPressedToken);
    c->remove_GotFocus(FGotFocusToken);
    c->remove_LostFocus(FLostFocusToken);
    c->remove_MoveFocusRequested(FMoveFocusRequestedToken);
    c->remove_ZoomFactorChanged(FZoomFactorChangedToken);
  }
}

// ---- Operations ------------------------------------------------------------

void TCustomEdgeBrowser::Navigate(const std::string& AUrl) {
  if (FWebView)
    RecordResult(FWebView->Navigate(Utf8ToUtf16(AUrl).c_str()));
  else if (!IsBlank(AUrl))
    FLastURL = AUrl;
}

void TCustomEdgeBrowser::NavigateToString(const std::string& AHTMLContent) {
  if (FWebView) RecordResult(FWebView->NavigateToString(Utf8ToUtf16(AHTMLContent).c_str()));
}

void TCustomEdgeBrowser::GoBack() {
  if (FWebView) RecordResult(FWebView->GoBack());
}

void TCustomEdgeBrowser::GoForward() {
  if (FWebView) RecordResult(FWebView->GoForward());
}

void TCustomEdgeBrowser::Refresh() {
  if (FWebView) RecordResult(FWebView->Reload());
}

void TCustomEdgeBrowser::Stop() {
  if (FWebView) RecordResult(FWebView->Stop());
}

void TCustomEdgeBrowser::ExecuteScript(const std::string& JavaScript) {
  if (!FWebView) return;
  auto creation = FCreation;
  auto handler = MakeHandlerFor<ICoreWebView2ExecuteScriptCompletedHandler>(
      [creation](HRESULT result, LPCWSTR json) {
        TCustomEdgeBrowser* self = creation ? creation->Owner : nullptr;
        if (self && self->OnExecuteScript)
          self->OnExecuteScript(*self, result, json ? Utf16ToUtf8(json) : std::string());
        return S_OK;
      });
  FWebView->ExecuteScript(Utf8ToUtf16(JavaScript).c_str(), handler.Get());
}

void TCustomEdgeBrowser::PostWebMessageAsJson(const std::string& WebMessageAsJson) {
  if (FWebView) RecordResult(FWebView->PostWebMessageAsJson(Utf8ToUtf16(WebMessageAsJson).c_str()));
}

void TCustomEdgeBrowser::AddWebResourceRequestedFilter(
    const std::string& URL, COREWEBVIEW2_WEB_RESOURCE_CONTEXT ResourceContext) {
  if (FWebView)
    RecordResult(
        FWebView->AddWebResourceRequestedFilter(Utf8ToUtf16(URL).c_str(), ResourceContext));
}

void TCustomEdgeBrowser::RemoveWebResourceRequestedFilter(
    const std::string& URL, COREWEBVIEW2_WEB_RESOURCE_CONTEXT ResourceContext) {
  if (FWebView)
    RecordResult(
        FWebView->RemoveWebResourceRequestedFilter(Utf8ToUtf16(URL).c_str(), ResourceContext));
}

void TCustomEdgeBrowser::SubscribeToCDPEvent(const std::string& CDPEventName) {
  if (!FWebView) return;
  TComPtr<ICoreWebView2DevToolsProtocolEventReceiver> receiver;
  if (!RecordResult(FWebView->GetDevToolsProtocolEventReceiver(Utf8ToUtf16(CDPEventName).c_str(),
                                                               receiver.Put())))
    return;
  const auto old = FDevToolsProtocolEventReceivedTokenMap.find(CDPEventName);
  if (old != FDevToolsProtocolEventReceivedTokenMap.end() && receiver)
    receiver->remove_DevToolsProtocolEventReceived(old->second);
  if (!receiver) return;
  auto creation = FCreation;
  auto handler = MakeHandlerFor<ICoreWebView2DevToolsProtocolEventReceivedEventHandler>(
      [creation, CDPEventName](ICoreWebView2*,
                               ICoreWebView2DevToolsProtocolEventReceivedEventArgs* args) {
        TCustomEdgeBrowser* self = creation ? creation->Owner : nullptr;
        if (!self || !self->OnDevToolsProtocolEventReceived) return S_OK;
        LPWSTR json = nullptr;
        args->get_ParameterObjectAsJson(&json);
        self->OnDevToolsProtocolEventReceived(*self, CDPEventName, TakeRuntimeString(json));
        return S_OK;
      });
  EventRegistrationToken token{};
  RecordResult(receiver->add_DevToolsProtocolEventReceived(handler.Get(), &token));
  FDevToolsProtocolEventReceivedTokenMap[CDPEventName] = token;
}

void TCustomEdgeBrowser::CapturePreview(const std::string& AFilename,
                                        TPreviewFormat PreviewFormat) {
  if (!FWebView) {
    RecordResult(kNoWebViewResult);
    return;
  }
  TComPtr<IStream> stream = TComFileStream::Create(AFilename);
  if (!RecordResult(stream ? S_OK : E_ACCESSDENIED)) return;
  StartCapture(stream.Get(), PreviewFormat);
}

void TCustomEdgeBrowser::CapturePreview(IStream* Stream, TPreviewFormat PreviewFormat) {
  if (!FWebView || !Stream) {
    RecordResult(FWebView ? E_POINTER : kNoWebViewResult);
    return;
  }
  Stream->Seek(0, kStreamSeekSet, nullptr);
  StartCapture(Stream, PreviewFormat);
}

void TCustomEdgeBrowser::StartCapture(IStream* stream, TPreviewFormat format) {
  auto creation = FCreation;
  TComPtr<IStream> keep(stream);
  auto handler =
      MakeHandlerFor<ICoreWebView2CapturePreviewCompletedHandler>([creation, keep](HRESULT result) {
        keep->Commit(0);
        TCustomEdgeBrowser* self = creation ? creation->Owner : nullptr;
        if (self && self->OnCapturePreviewCompleted) self->OnCapturePreviewCompleted(*self, result);
        return S_OK;
      });
  RecordResult(FWebView->CapturePreview(format == TPreviewFormat::JPEG
                                            ? COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG
                                            : COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG,
                                        stream, handler.Get()));
}

// ---- Information -----------------------------------------------------------

std::string TCustomEdgeBrowser::BrowserVersionInfo() {
  LPWSTR version = nullptr;
  const HRESULT hr = FWebViewEnvironment && FWebView
                         ? FWebViewEnvironment->get_BrowserVersionString(&version)
                         : GetCoreWebView2BrowserVersionString(nullptr, &version);
  std::string text = TakeRuntimeString(version);
  return RecordResult(hr) ? text : std::string();
}

UINT32 TCustomEdgeBrowser::BrowserProcessID() {
  UINT32 id = 0;
  if (FWebView && !RecordResult(FWebView->get_BrowserProcessId(&id))) id = 0;
  return id;
}

bool TCustomEdgeBrowser::CanGoBack() {
  BOOL value = FALSE;
  return FWebView && RecordResult(FWebView->get_CanGoBack(&value)) && value;
}

bool TCustomEdgeBrowser::CanGoForward() {
  BOOL value = FALSE;
  return FWebView && RecordResult(FWebView->get_CanGoForward(&value)) && value;
}

bool TCustomEdgeBrowser::ContainsFullScreenElement() {
  BOOL value = FALSE;
  return FWebView && RecordResult(FWebView->get_ContainsFullScreenElement(&value)) && value;
}

std::string TCustomEdgeBrowser::DocumentTitle() {
  if (!FWebView) return {};
  LPWSTR title = nullptr;
  const HRESULT hr = FWebView->get_DocumentTitle(&title);
  std::string text = TakeRuntimeString(title);
  return RecordResult(hr) ? text : std::string();
}

std::string TCustomEdgeBrowser::LocationURL() {
  if (!FWebView) return {};
  LPWSTR uri = nullptr;
  const HRESULT hr = FWebView->get_Source(&uri);
  std::string text = TakeRuntimeString(uri);
  if (!RecordResult(hr) || SameTextAscii(text, "about:blank")) return {};
  return text;
}

}  // namespace zel

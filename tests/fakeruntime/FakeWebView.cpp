// Environment, controller, web view and settings of the fake runtime.
#include "FakeWebView.h"

#include <cmath>
#include <cstdio>

namespace zel::fake {

namespace {
std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}
}  // namespace

// ---- Settings --------------------------------------------------------------

HRESULT TFakeSettings::Read(const char* name, BOOL* v) {
  if (!v) return E_POINTER;
  auto& settings = State().Settings;
  const auto it = settings.find(name);
  *v = it == settings.end() ? TRUE : (it->second ? TRUE : FALSE);
  return S_OK;
}

HRESULT TFakeSettings::Write(const char* name, BOOL v) {
  State().Settings[name] = v != FALSE;
  State().Log(std::string("put_") + name + " " + std::to_string(v != FALSE));
  return S_OK;
}

// ---- Controller ------------------------------------------------------------

TFakeController::TFakeController() {
  FWebView = MakeCom<TFakeWebView, ICoreWebView2>();
  State().Controller = this;
  State().WebView = static_cast<TFakeWebView*>(FWebView.Get());
}

TFakeController::~TFakeController() {
  if (State().Controller == this) State().Controller = nullptr;
}

HRESULT TFakeController::put_IsVisible(BOOL v) {
  FVisible = v;
  State().Log("put_IsVisible " + std::to_string(v != FALSE));
  return S_OK;
}

HRESULT TFakeController::put_Bounds(RECT b) {
  FBounds = b;
  State().Log("put_Bounds " + std::to_string(b.left) + "," + std::to_string(b.top) + "," +
              std::to_string(b.right) + "," + std::to_string(b.bottom));
  return S_OK;
}

HRESULT TFakeController::put_ZoomFactor(double z) {
  // As WebView2: a factor that cannot be shown is refused.
  if (!(z > 0) || !std::isfinite(z)) return E_INVALIDARG;
  FZoom = z;
  State().Log("put_ZoomFactor " + Num(z));
  return S_OK;
}

HRESULT TFakeController::MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON r) {
  State().Log("MoveFocus " + std::to_string(r));
  return S_OK;
}

HRESULT TFakeController::Close() {
  State().Log("Close");
  DriverStop();
  FEvents.Clear();
  if (FWebView) static_cast<TFakeWebView*>(FWebView.Get())->Events().Clear();
  return S_OK;
}

HRESULT TFakeController::get_CoreWebView2(ICoreWebView2** w) {
  if (FAILED(State().GetWebViewResult)) return State().GetWebViewResult;
  *w = FWebView.Get();
  (*w)->AddRef();
  return S_OK;
}

// ---- Web view --------------------------------------------------------------

TFakeWebView::~TFakeWebView() {
  if (State().WebView == this) State().WebView = nullptr;
}

HRESULT TFakeWebView::get_Settings(ICoreWebView2Settings** s) {
  if (FAILED(State().GetSettingsResult)) return State().GetSettingsResult;
  if (!FSettings) FSettings = MakeCom<TFakeSettings, ICoreWebView2Settings>();
  *s = FSettings.Get();
  (*s)->AddRef();
  return S_OK;
}

HRESULT TFakeWebView::Navigate(LPCWSTR uri) {
  State().Log("Navigate " + FromWide(uri));
  DriverNavigate(FromWide(uri));
  return S_OK;
}

HRESULT TFakeWebView::NavigateToString(LPCWSTR html) {
  State().Log("NavigateToString " + FromWide(html));
  return S_OK;
}

HRESULT TFakeWebView::AddScriptToExecuteOnDocumentCreated(
    LPCWSTR js, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) {
  State().Log("AddScriptToExecuteOnDocumentCreated " + FromWide(js));
  if (handler) {
    TComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler> keep(handler);
    State().Pending.push_back([keep] { keep->Invoke(S_OK, u"1"); });
  }
  return S_OK;
}

HRESULT TFakeWebView::ExecuteScript(LPCWSTR js,
                                    ICoreWebView2ExecuteScriptCompletedHandler* handler) {
  State().Log("ExecuteScript " + FromWide(js));
  if (handler) {
    TComPtr<ICoreWebView2ExecuteScriptCompletedHandler> keep(handler);
    const HRESULT hr = State().ScriptResult;
    const std::u16string json = Utf8ToUtf16(State().ScriptJson);
    State().Pending.push_back([keep, hr, json] { keep->Invoke(hr, json.c_str()); });
  }
  DriverScript(FromWide(js));
  return S_OK;
}

HRESULT TFakeWebView::CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format,
                                     IStream* stream,
                                     ICoreWebView2CapturePreviewCompletedHandler* handler) {
  State().Log("CapturePreview " + std::to_string(format));
  TComPtr<IStream> s(stream);
  TComPtr<ICoreWebView2CapturePreviewCompletedHandler> h(handler);
  State().Pending.push_back([s, h, format] {
    const std::string image = format == COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG
                                  ? std::string("\x89PNG\r\n\x1a\n", 8)
                                  : std::string("\xFF\xD8\xFF", 3);
    ULONG n = 0;
    s->Write(image.data(), static_cast<ULONG>(image.size()), &n);
    if (h) h->Invoke(S_OK);
  });
  return S_OK;
}

HRESULT TFakeWebView::PostWebMessageAsJson(LPCWSTR json) {
  State().Log("PostWebMessageAsJson " + FromWide(json));
  return S_OK;
}

HRESULT TFakeWebView::PostWebMessageAsString(LPCWSTR s) {
  State().Log("PostWebMessageAsString " + FromWide(s));
  return S_OK;
}

HRESULT TFakeWebView::GetDevToolsProtocolEventReceiver(
    LPCWSTR name, ICoreWebView2DevToolsProtocolEventReceiver** receiver) {
  auto& r = FReceivers[FromWide(name)];
  if (!r) r = MakeCom<TFakeReceiver, ICoreWebView2DevToolsProtocolEventReceiver>(FromWide(name));
  *receiver = r.Get();
  (*receiver)->AddRef();
  return S_OK;
}

int TFakeWebView::DevToolsHandlerCount(const std::string& name) {
  const auto it = FReceivers.find(name);
  return it == FReceivers.end()
             ? 0
             : static_cast<TFakeReceiver*>(it->second.Get())->Events().Count(name);
}

void TFakeWebView::RaiseDevTools(const std::string& name, const std::string& json) {
  const auto it = FReceivers.find(name);
  if (it == FReceivers.end()) return;
  auto args = MakeCom<TFakeDevToolsArgs, ICoreWebView2DevToolsProtocolEventReceivedEventArgs>(json);
  static_cast<TFakeReceiver*>(it->second.Get())
      ->Events()
      .ForEach<ICoreWebView2DevToolsProtocolEventReceivedEventHandler>(
          name, [&](auto* h) { h->Invoke(this, args.Get()); });
}

HRESULT TFakeWebView::AddWebResourceRequestedFilter(LPCWSTR uri,
                                                    COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
  State().Log("AddWebResourceRequestedFilter " + FromWide(uri) + " " + std::to_string(context));
  return S_OK;
}

HRESULT TFakeWebView::RemoveWebResourceRequestedFilter(LPCWSTR uri,
                                                       COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
  State().Log("RemoveWebResourceRequestedFilter " + FromWide(uri) + " " + std::to_string(context));
  return S_OK;
}

// ---- Environment -----------------------------------------------------------

HRESULT TFakeEnvironment::CreateCoreWebView2Controller(
    HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
  State().Log(std::string("CreateCoreWebView2Controller ") + (parent ? "parent" : "null"));
  ++State().ControllersRequested;
  if (FAILED(State().ControllerReturned)) return State().ControllerReturned;
  DriverStart();
  TComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> keep(handler);
  State().Pending.push_back([keep] {
    const HRESULT hr = State().ControllerCompleted;
    if (FAILED(hr)) {
      keep->Invoke(hr, nullptr);
      return;
    }
    auto controller = MakeCom<TFakeController, ICoreWebView2Controller>();
    keep->Invoke(S_OK, controller.Get());
  });
  return S_OK;
}

HRESULT TFakeEnvironment::CreateWebResourceResponse(IStream* content, int status, LPCWSTR reason,
                                                    LPCWSTR headers,
                                                    ICoreWebView2WebResourceResponse** response) {
  *response = new TFakeResponse(content, status, FromWide(reason), FromWide(headers));
  return S_OK;
}

HRESULT TFakeEnvironment::get_BrowserVersionString(LPWSTR* v) {
  *v = NewWideString("fake 1.0 (environment)");
  return S_OK;
}

}  // namespace zel::fake

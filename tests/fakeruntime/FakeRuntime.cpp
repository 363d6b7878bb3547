// The fake runtime's loader exports and its control interface.
#include "FakeWebView.h"

namespace zel {

namespace fake {

TState& State() {
  static TState state;
  return state;
}

HRESULT TEventTable::Add(const std::string& event, IUnknown* handler,
                         EventRegistrationToken* token) {
  if (!handler || !token) return E_POINTER;
  token->value = FNext++;
  FHandlers[event][token->value] = TComPtr<IUnknown>(handler);
  return S_OK;
}

HRESULT TEventTable::Remove(const std::string& event, EventRegistrationToken token) {
  FHandlers[event].erase(token.value);
  return S_OK;
}

int TEventTable::Count(const std::string& event) const {
  const auto it = FHandlers.find(event);
  return it == FHandlers.end() ? 0 : static_cast<int>(it->second.size());
}

namespace {

class TControl : public IFakeRuntime {
 public:
  void Reset() override {
    RunPending();
    TState& s = State();
    std::lock_guard guard(s.Lock);
    s.Calls.clear();
    s.EnvReturned = s.EnvCompleted = s.ControllerCompleted = s.ControllerReturned = S_OK;
    s.GetWebViewResult = s.GetSettingsResult = s.ScriptResult = S_OK;
    s.ScriptJson = "null";
    s.Environments = 0;
    s.ControllersRequested = 0;
    s.Pending.clear();
    s.LastArgsRead = false;
    s.Source = "about:blank";
    s.Title.clear();
    s.FullScreen = false;
    s.Settings.clear();
  }
  void SetEnvironmentResults(HRESULT returned, HRESULT completed) override {
    State().EnvReturned = returned;
    State().EnvCompleted = completed;
  }
  void SetControllerResult(HRESULT completed) override { State().ControllerCompleted = completed; }
  void SetControllerReturned(HRESULT returned) override { State().ControllerReturned = returned; }
  void SetWebViewResults(HRESULT getCoreWebView2, HRESULT getSettings) override {
    State().GetWebViewResult = getCoreWebView2;
    State().GetSettingsResult = getSettings;
  }
  void SetScriptResult(HRESULT result, const std::string& json) override {
    State().ScriptResult = result;
    State().ScriptJson = json;
  }
  void RunPending() override {
    while (!State().Pending.empty()) {
      auto fn = std::move(State().Pending.front());
      State().Pending.pop_front();
      fn();
    }
  }
  int PendingCount() override { return static_cast<int>(State().Pending.size()); }
  std::vector<std::string> Calls() override {
    std::lock_guard guard(State().Lock);
    return State().Calls;
  }
  void ClearCalls() override {
    std::lock_guard guard(State().Lock);
    State().Calls.clear();
  }
  bool Called(const std::string& line) override {
    for (const std::string& c : Calls())
      if (c == line) return true;
    return false;
  }
  int EnvironmentsCreated() override { return State().Environments; }
  int ControllersRequested() override { return State().ControllersRequested; }
  int HandlerCount(const std::string& event) override {
    if (TFakeWebView* wv = State().WebView) {
      if (int n = wv->Events().Count(event)) return n;
      if (int n = wv->DevToolsHandlerCount(event)) return n;
    }
    if (TFakeController* c = State().Controller) return c->Events().Count(event);
    return 0;
  }
  bool LastArgsRead() override { return State().LastArgsRead; }
  bool Setting(const std::string& name) override {
    const auto it = State().Settings.find(name);
    return it == State().Settings.end() || it->second;
  }
  void SetSource(const std::string& uri) override { State().Source = uri; }
  void SetTitle(const std::string& title) override { State().Title = title; }
  void SetContainsFullScreenElement(bool v) override { State().FullScreen = v; }

  template <class H, class Args>
  void RaiseOnWebView(const char* event, Args* args) {
    State().LastArgsRead = false;
    if (TFakeWebView* wv = State().WebView)
      wv->Events().ForEach<H>(event, [&](H* h) { h->Invoke(wv, args); });
  }
  template <class H, class Args>
  void RaiseOnController(const char* event, Args* args) {
    State().LastArgsRead = false;
    if (TFakeController* c = State().Controller)
      c->Events().ForEach<H>(event, [&](H* h) { h->Invoke(c, args); });
  }

  void RaiseWebMessage(const std::string& source, const std::string& json) override {
    auto args = MakeCom<TFakeMessageArgs, ICoreWebView2WebMessageReceivedEventArgs>(source, json);
    RaiseOnWebView<ICoreWebView2WebMessageReceivedEventHandler>("WebMessageReceived", args.Get());
  }
  TResponse RaiseWebResourceRequested(const std::string& uri, int context) override {
    auto* raw = new TFakeResourceArgs(uri, static_cast<COREWEBVIEW2_WEB_RESOURCE_CONTEXT>(context));
    auto args = TComPtr<ICoreWebView2WebResourceRequestedEventArgs>::Attach(raw);
    RaiseOnWebView<ICoreWebView2WebResourceRequestedEventHandler>("WebResourceRequested", raw);
    return raw->Result();
  }
  bool RaiseNewWindowRequested(const std::string& uri) override {
    auto* raw = new TFakeNewWindowArgs(uri);
    auto args = TComPtr<ICoreWebView2NewWindowRequestedEventArgs>::Attach(raw);
    RaiseOnWebView<ICoreWebView2NewWindowRequestedEventHandler>("NewWindowRequested", raw);
    return raw->Handled != FALSE;
  }
  int RaisePermissionRequested(int kind) override {
    auto* raw = new TFakePermissionArgs(kind);
    auto args = TComPtr<ICoreWebView2PermissionRequestedEventArgs>::Attach(raw);
    RaiseOnWebView<ICoreWebView2PermissionRequestedEventHandler>("PermissionRequested", raw);
    return raw->StateValue;
  }
  bool RaiseNavigationStarting(const std::string& uri) override {
    auto* raw = new TFakeNavigationStartingArgs(uri);
    auto args = TComPtr<ICoreWebView2NavigationStartingEventArgs>::Attach(raw);
    RaiseOnWebView<ICoreWebView2NavigationStartingEventHandler>("NavigationStarting", raw);
    return raw->Cancel != FALSE;
  }
  void RaiseNavigationCompleted(bool success, int status) override {
    auto args =
        MakeCom<TFakeNavigationArgs, ICoreWebView2NavigationCompletedEventArgs>(success, status);
    RaiseOnWebView<ICoreWebView2NavigationCompletedEventHandler>("NavigationCompleted", args.Get());
  }
  void RaiseDocumentTitleChanged(const std::string& title) override {
    State().Title = title;
    RaiseOnWebView<ICoreWebView2DocumentTitleChangedEventHandler>("DocumentTitleChanged",
                                                                  static_cast<IUnknown*>(nullptr));
  }
  bool RaiseAcceleratorKey(int kind, unsigned key, int lParam) override {
    auto* raw = new TFakeKeyArgs(kind, key, lParam);
    auto args = TComPtr<ICoreWebView2AcceleratorKeyPressedEventArgs>::Attach(raw);
    RaiseOnController<ICoreWebView2AcceleratorKeyPressedEventHandler>("AcceleratorKeyPressed", raw);
    return raw->Handled != FALSE;
  }
  void RaiseMoveFocusRequested(int reason) override {
    auto args = MakeCom<TFakeFocusArgs, ICoreWebView2MoveFocusRequestedEventArgs>(reason);
    RaiseOnController<ICoreWebView2MoveFocusRequestedEventHandler>("MoveFocusRequested",
                                                                   args.Get());
  }
  void RaiseDevToolsEvent(const std::string& name, const std::string& json) override {
    State().LastArgsRead = false;
    if (TFakeWebView* wv = State().WebView) wv->RaiseDevTools(name, json);
  }
  void Raise(const std::string& event) override {
    IUnknown* none = nullptr;
    if (event == "HistoryChanged")
      RaiseOnWebView<ICoreWebView2HistoryChangedEventHandler>("HistoryChanged", none);
    else if (event == "WindowCloseRequested")
      RaiseOnWebView<ICoreWebView2WindowCloseRequestedEventHandler>("WindowCloseRequested", none);
    else if (event == "ContainsFullScreenElementChanged")
      RaiseOnWebView<ICoreWebView2ContainsFullScreenElementChangedEventHandler>(
          "ContainsFullScreenElementChanged", none);
    else if (event == "ZoomFactorChanged")
      RaiseOnController<ICoreWebView2ZoomFactorChangedEventHandler>("ZoomFactorChanged", none);
    else if (event == "GotFocus")
      RaiseOnController<ICoreWebView2FocusChangedEventHandler>("GotFocus", none);
    else if (event == "LostFocus")
      RaiseOnController<ICoreWebView2FocusChangedEventHandler>("LostFocus", none);
  }
};

}  // namespace
}  // namespace fake
}  // namespace zel

using namespace zel;
using namespace zel::fake;

extern "C" IFakeRuntime* ZelFakeRuntime() {
  static TControl control;
  return &control;
}

extern "C" HRESULT CreateCoreWebView2Environment(
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  State().Log("CreateCoreWebView2Environment");
  if (FAILED(State().EnvReturned)) return State().EnvReturned;
  if (!handler) return E_POINTER;
  ++State().Environments;
  if (FAILED(State().EnvCompleted)) return handler->Invoke(State().EnvCompleted, nullptr), S_OK;
  auto env = MakeCom<TFakeEnvironment, ICoreWebView2Environment>();
  handler->Invoke(S_OK, env.Get());
  return S_OK;
}

extern "C" HRESULT GetCoreWebView2BrowserVersionString(LPCWSTR, LPWSTR* version) {
  *version = NewWideString("fake 1.0");
  return S_OK;
}

extern "C" HRESULT GetAvailableCoreWebView2BrowserVersionString(LPCWSTR, LPWSTR* version) {
  *version = NewWideString("fake 1.0");
  return S_OK;
}

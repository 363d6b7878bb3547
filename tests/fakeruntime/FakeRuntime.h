// A browser runtime without a browser, for unit tests: a loadable library
// with the loader's exports, whose objects record every call and whose
// events the test raises. Reach it through ZelFakeRuntime().
#pragma once

#include <string>
#include <vector>

#include "ports/WebView2.h"

namespace zel::fake {

struct TResponse {
  bool Set = false;
  int Status = 0;
  std::string Reason, Headers, Body;
};

class IFakeRuntime {
 public:
  // Forgets every object and setting; the next environment starts afresh.
  virtual void Reset() = 0;

  // Failure injection.
  virtual void SetEnvironmentResults(HRESULT returned, HRESULT completed) = 0;
  virtual void SetControllerResult(HRESULT completed) = 0;
  // What CreateCoreWebView2Controller itself returns (a failure: no completion).
  virtual void SetControllerReturned(HRESULT returned) = 0;
  virtual void SetWebViewResults(HRESULT getCoreWebView2, HRESULT getSettings) = 0;
  virtual void SetScriptResult(HRESULT result, const std::string& json) = 0;

  // Runs the completions that the runtime delivers later (controller,
  // scripts, previews), as a real runtime would from its message loop.
  virtual void RunPending() = 0;
  virtual int PendingCount() = 0;

  // What the host called, one line a call ("Navigate file:///index.html").
  virtual std::vector<std::string> Calls() = 0;
  virtual void ClearCalls() = 0;
  virtual bool Called(const std::string& line) = 0;
  virtual int EnvironmentsCreated() = 0;
  virtual int ControllersRequested() = 0;
  // Handlers currently registered for an event ("WebMessageReceived").
  virtual int HandlerCount(const std::string& event) = 0;
  // Whether the last raised event's argument object was read.
  virtual bool LastArgsRead() = 0;
  virtual bool Setting(const std::string& name) = 0;

  virtual void SetSource(const std::string& uri) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetContainsFullScreenElement(bool value) = 0;

  // Events of the current web view and controller.
  virtual void RaiseWebMessage(const std::string& source, const std::string& json) = 0;
  virtual TResponse RaiseWebResourceRequested(
      const std::string& uri, int context = COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT) = 0;
  virtual bool RaiseNewWindowRequested(const std::string& uri) = 0;  // handled?
  virtual int RaisePermissionRequested(int kind) = 0;                // the state set
  virtual bool RaiseNavigationStarting(const std::string& uri) = 0;  // cancelled?
  virtual void RaiseNavigationCompleted(bool success, int status) = 0;
  virtual void RaiseDocumentTitleChanged(const std::string& title) = 0;
  virtual bool RaiseAcceleratorKey(int kind, unsigned key, int lParam) = 0;  // handled?
  virtual void RaiseMoveFocusRequested(int reason) = 0;
  virtual void RaiseDevToolsEvent(const std::string& name, const std::string& json) = 0;
  // Events without arguments: HistoryChanged, WindowCloseRequested,
  // ContainsFullScreenElementChanged, ZoomFactorChanged, GotFocus, LostFocus.
  virtual void Raise(const std::string& event) = 0;

 protected:
  ~IFakeRuntime() = default;
};

}  // namespace zel::fake

extern "C" zel::fake::IFakeRuntime* ZelFakeRuntime();

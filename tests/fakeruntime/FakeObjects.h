// The fake runtime's objects. Everything runs on the test's thread except
// environment creation, which the host starts on a worker thread.
#pragma once

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "FakeDriver.h"
#include "FakeRuntime.h"
#include "com/ComStrings.h"
#include "com/Utf.h"

namespace zel::fake {

// Registered handlers by event name and token.
class TEventTable {
 public:
  HRESULT Add(const std::string& event, IUnknown* handler, EventRegistrationToken* token);
  HRESULT Remove(const std::string& event, EventRegistrationToken token);
  int Count(const std::string& event) const;
  void Clear() { FHandlers.clear(); }
  // Calls fn for a snapshot of the handlers, so a handler may unregister.
  template <class H, class F>
  void ForEach(const std::string& event, F&& fn) {
    std::vector<TComPtr<IUnknown>> snapshot;
    for (auto& [token, h] : FHandlers[event]) snapshot.push_back(h);
    for (auto& h : snapshot) fn(static_cast<H*>(h.Get()));
  }

 private:
  std::map<std::string, std::map<std::int64_t, TComPtr<IUnknown>>> FHandlers;
  std::int64_t FNext = 1;
};

class TFakeWebView;
class TFakeController;

struct TState {
  std::mutex Lock;  // the log is written from the worker thread too
  std::vector<std::string> Calls;
  HRESULT EnvReturned = S_OK, EnvCompleted = S_OK, ControllerCompleted = S_OK;
  HRESULT ControllerReturned = S_OK;
  HRESULT GetWebViewResult = S_OK, GetSettingsResult = S_OK;
  HRESULT ScriptResult = S_OK;
  std::string ScriptJson = "null";
  // Counted on the worker thread, watched by the test's thread.
  std::atomic<int> Environments = 0;
  int ControllersRequested = 0;
  std::deque<std::function<void()>> Pending;
  TFakeWebView* WebView = nullptr;
  TFakeController* Controller = nullptr;
  bool LastArgsRead = false;
  std::string Source = "about:blank", Title;
  bool FullScreen = false;
  std::map<std::string, bool> Settings;

  void Log(const std::string& line) {
    {
      std::lock_guard guard(Lock);
      Calls.push_back(line);
    }
    DriverRecord(line);
  }
};

TState& State();

// Marks the current event's arguments as read.
inline void Touch() {
  State().LastArgsRead = true;
}

}  // namespace zel::fake

// A deferral: the event's outcome is applied when Complete is called instead
// of when the handler returns.
#pragma once

#include <functional>
#include <utility>

#include "platform/linux/webkit/ComUtils.h"

namespace zel::webkit {

class TDeferral final : public TComObject<ICoreWebView2Deferral> {
 public:
  // Keeps the event arguments alive until Complete.
  TDeferral(std::function<void()> onComplete, TComPtr<IUnknown> owner)
      : FOnComplete(std::move(onComplete)), FOwner(std::move(owner)) {}

  HRESULT Complete() override {
    if (!FOnComplete) return E_INVALID_STATE;
    auto onComplete = std::exchange(FOnComplete, nullptr);
    HRESULT hr = Guard([&] {
      onComplete();
      return S_OK;
    });
    FOwner = nullptr;
    return hr;
  }

 private:
  std::function<void()> FOnComplete;
  TComPtr<IUnknown> FOwner;
};

// Counts the deferrals an event handed out and applies the outcome once:
// when the handlers have returned and every deferral is complete.
class TDeferredOutcome {
 public:
  explicit TDeferredOutcome(std::function<void()> apply) : FApply(std::move(apply)) {}

  HRESULT Take(IUnknown* owner, ICoreWebView2Deferral** deferral) {
    if (!deferral) return E_POINTER;
    *deferral = nullptr;
    if (!FApply) return E_INVALID_STATE;
    return Guard([&] {
      *deferral = new TDeferral([this] { Release(); }, TComPtr<IUnknown>(owner));
      ++FPending;
      return S_OK;
    });
  }

  // Called once the handlers have returned.
  void HandlersDone() { Release(); }

 private:
  void Release() {
    if (--FPending == 0 && FApply) std::exchange(FApply, nullptr)();
  }
  std::function<void()> FApply;
  int FPending = 1;  // the handlers themselves
};

}  // namespace zel::webkit

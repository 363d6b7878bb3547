// Handler objects handed to the browser runtime: one Invoke that forwards to
// a function. No exception travels back into the runtime's callback.
#pragma once

#include <functional>
#include <string>

#include "com/ComBase.h"

namespace zel {

template <class I, class... A>
class TInvokeHandler : public TComObject<I> {
 public:
  using TFn = std::function<HRESULT(A...)>;
  explicit TInvokeHandler(TFn fn) : FFn(std::move(fn)) {}
  HRESULT Invoke(A... args) override {
    try {
      return FFn(args...);
    } catch (...) {
      // An event handler failed: the runtime must not see it.
      return S_OK;
    }
  }

 private:
  TFn FFn;
};

// Makes a handler object for interface I whose Invoke takes A...
template <class I, class... A>
TComPtr<I> MakeHandler(std::function<HRESULT(A...)> fn) {
  return MakeCom<TInvokeHandler<I, A...>, I>(std::move(fn));
}

namespace detail {
template <class M>
struct TInvokeSignature;
template <class I, class... A>
struct TInvokeSignature<HRESULT (I::*)(A...)> {
  template <class F>
  static TComPtr<I> Make(F&& fn) {
    return MakeHandler<I, A...>(std::function<HRESULT(A...)>(std::forward<F>(fn)));
  }
};
}  // namespace detail

// Makes a handler object for interface I from any callable that takes the
// parameters of I::Invoke.
template <class I, class F>
TComPtr<I> MakeHandlerFor(F&& fn) {
  return detail::TInvokeSignature<decltype(&I::Invoke)>::Make(std::forward<F>(fn));
}

}  // namespace zel

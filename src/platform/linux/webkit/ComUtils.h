// Helpers shared by the runtime's COM objects: strings handed across the
// interface, exception containment and event handler lists.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "com/ComStrings.h"
#include "ports/WebView2.h"

namespace zel::webkit {

// Runs an interface method body; no exception leaves it.
template <class F>
HRESULT Guard(F&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

// Runs a GLib callback body; an exception becomes the fallback result.
template <class R, class F>
R GuardCallback(R fallback, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

template <class F>
void GuardCallback(F&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

// A new event registration token, unique in the process.
std::int64_t NewToken();

// The handlers registered for one event, in registration order.
template <class THandler>
class TEventList {
 public:
  HRESULT Add(THandler* handler, EventRegistrationToken* token) {
    if (!handler || !token) return E_POINTER;
    return Guard([&] {
      token->value = NewToken();
      FItems.emplace_back(token->value, TComPtr<THandler>(handler));
      return S_OK;
    });
  }

  HRESULT Remove(EventRegistrationToken token) {
    std::erase_if(FItems, [&](const auto& item) { return item.first == token.value; });
    return S_OK;
  }

  // Handlers may add or remove handlers while they run: each raise works on
  // a snapshot, and the snapshot keeps the handlers alive.
  template <class... TArgs>
  void Raise(TArgs... args) {
    auto snapshot = FItems;
    for (auto& item : snapshot) item.second->Invoke(args...);
  }

  bool Empty() const { return FItems.empty(); }
  void Clear() { std::vector<std::pair<std::int64_t, TComPtr<THandler>>>().swap(FItems); }

 private:
  std::vector<std::pair<std::int64_t, TComPtr<THandler>>> FItems;
};

// Hands out a new reference to an interface the object keeps.
template <class T>
HRESULT CopyOut(const TComPtr<T>& value, T** out) {
  if (!out) return E_POINTER;
  *out = TComPtr<T>(value).Detach();
  return S_OK;
}

// Writes a BOOL out parameter.
inline HRESULT PutBool(bool value, BOOL* out) {
  if (!out) return E_POINTER;
  *out = value ? TRUE : FALSE;
  return S_OK;
}

}  // namespace zel::webkit

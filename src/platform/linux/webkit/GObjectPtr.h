// Owning holders for GObject references and GLib-allocated values.
#pragma once

#include <glib-object.h>

#include <memory>
#include <utility>

namespace zel::webkit {

template <class T>
class TGObjectPtr {
 public:
  TGObjectPtr() = default;
  TGObjectPtr(const TGObjectPtr& o) : FPtr(o.FPtr) {
    if (FPtr) g_object_ref(FPtr);
  }
  TGObjectPtr(TGObjectPtr&& o) noexcept : FPtr(std::exchange(o.FPtr, nullptr)) {}
  ~TGObjectPtr() { Reset(); }
  TGObjectPtr& operator=(TGObjectPtr o) noexcept {
    std::swap(FPtr, o.FPtr);
    return *this;
  }

  // Takes over a reference the caller owns (a "transfer full" result).
  static TGObjectPtr Adopt(T* p) {
    TGObjectPtr r;
    r.FPtr = p;
    return r;
  }
  // Adds a reference of our own.
  static TGObjectPtr Ref(T* p) {
    TGObjectPtr r;
    if (p) r.FPtr = static_cast<T*>(g_object_ref(p));
    return r;
  }
  // Owns a new object: its floating reference becomes ours.
  static TGObjectPtr Sink(T* p) {
    TGObjectPtr r;
    if (p) r.FPtr = static_cast<T*>(g_object_ref_sink(p));
    return r;
  }

  void Reset() {
    if (FPtr) g_object_unref(std::exchange(FPtr, nullptr));
  }
  T* Get() const { return FPtr; }
  // Gives up our reference to the caller.
  T* Detach() { return std::exchange(FPtr, nullptr); }
  T* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }

 private:
  T* FPtr = nullptr;
};

struct TGFree {
  void operator()(void* p) const { g_free(p); }
};
// A string allocated by GLib.
using TGString = std::unique_ptr<char, TGFree>;

struct TGErrorFree {
  void operator()(GError* e) const { g_error_free(e); }
};
using TGErrorPtr = std::unique_ptr<GError, TGErrorFree>;

}  // namespace zel::webkit

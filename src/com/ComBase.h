// Binary-compatible declarations of the few COM basics the browser runtime
// interface needs. They carry the same layout as the Windows SDK types, so the
// same interface declarations describe the real WebView2 objects on Windows and
// our own runtimes on Linux and in tests. No platform header is needed.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

namespace zel {

using HRESULT = std::int32_t;
using BOOL = std::int32_t;
using INT = std::int32_t;
using UINT = std::uint32_t;
using UINT32 = std::uint32_t;
using UINT64 = std::uint64_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using WCHAR = char16_t;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;
// A native window: HWND on Windows, a GtkWidget container on Linux.
using HWND = void*;

// Windows code may include the SDK headers first; their macros then stand in
// for these constants with the same values.
#ifndef TRUE
constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
constexpr BOOL FALSE = 0;
#endif

#define ZEL_HRESULT(name, value) constexpr HRESULT name = static_cast<HRESULT>(value);
#ifndef S_OK
ZEL_HRESULT(S_OK, 0)
ZEL_HRESULT(S_FALSE, 1)
ZEL_HRESULT(E_NOTIMPL, 0x80004001u)
ZEL_HRESULT(E_NOINTERFACE, 0x80004002u)
ZEL_HRESULT(E_POINTER, 0x80004003u)
ZEL_HRESULT(E_ABORT, 0x80004004u)
ZEL_HRESULT(E_FAIL, 0x80004005u)
ZEL_HRESULT(E_UNEXPECTED, 0x8000FFFFu)
ZEL_HRESULT(E_ACCESSDENIED, 0x80070005u)
ZEL_HRESULT(E_OUTOFMEMORY, 0x8007000Eu)
ZEL_HRESULT(E_INVALIDARG, 0x80070057u)
#endif
#undef ZEL_HRESULT
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
constexpr HRESULT E_FILE_NOT_FOUND = static_cast<HRESULT>(0x80070002u);
// HRESULT_FROM_WIN32(ERROR_INVALID_STATE): what WebView2 answers once closed.
constexpr HRESULT E_INVALID_STATE = static_cast<HRESULT>(0x8007139Fu);

#ifndef SUCCEEDED
constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}
#endif

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
// MinGW's headers define REFIID as a macro with the same meaning.
#ifndef REFIID
using REFIID = const GUID&;
#endif

constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

struct RECT {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

struct EventRegistrationToken {
  std::int64_t value;
};

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct STATSTG {
  LPWSTR pwcsName;
  DWORD type;
  std::uint64_t cbSize;
  FILETIME mtime;
  FILETIME ctime;
  FILETIME atime;
  DWORD grfMode;
  DWORD grfLocksSupported;
  GUID clsid;
  DWORD grfStateBits;
  DWORD reserved;
};

// Interfaces are declared as abstract classes without a virtual destructor,
// methods in vtable order, so the object layout is the COM layout.
#if defined(_WIN32) && !defined(_WIN64)
#error "only 64-bit targets are supported"
#endif

struct IUnknown {
  static constexpr GUID kIID = {
      0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};

struct ISequentialStream : IUnknown {
  static constexpr GUID kIID = {
      0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
};

constexpr DWORD kStreamSeekSet = 0;
constexpr DWORD kStreamSeekCur = 1;
constexpr DWORD kStreamSeekEnd = 2;

struct IStream : ISequentialStream {
  static constexpr GUID kIID = {
      0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  virtual HRESULT Seek(std::int64_t dlibMove, DWORD dwOrigin, std::uint64_t* plibNewPosition) = 0;
  virtual HRESULT SetSize(std::uint64_t libNewSize) = 0;
  virtual HRESULT CopyTo(IStream* pstm, std::uint64_t cb, std::uint64_t* pcbRead,
                         std::uint64_t* pcbWritten) = 0;
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT LockRegion(std::uint64_t libOffset, std::uint64_t cb, DWORD dwLockType) = 0;
  virtual HRESULT UnlockRegion(std::uint64_t libOffset, std::uint64_t cb, DWORD dwLockType) = 0;
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
  virtual HRESULT Clone(IStream** ppstm) = 0;
};

// Marks an object that may be called from any thread without marshalling;
// WebView2 reads response streams off the UI thread only when they answer it.
struct IAgileObject : IUnknown {
  static constexpr GUID kIID = {
      0x94EA2B94, 0xE9CC, 0x49E0, {0xC0, 0xFF, 0xEE, 0x64, 0xCA, 0x8F, 0x5B, 0x90}};
};

// ---- The binary layout the Windows x64 runtime expects -----------------------

#define ZEL_FIELD_AT(Type, Field, Offset) \
  static_assert(offsetof(Type, Field) == (Offset), #Type "::" #Field " moved");

static_assert(sizeof(BOOL) == 4 && sizeof(HRESULT) == 4 && sizeof(WCHAR) == 2);
static_assert(sizeof(HWND) == sizeof(void*) && sizeof(void*) == 8);

static_assert(sizeof(GUID) == 16);
ZEL_FIELD_AT(GUID, Data1, 0)
ZEL_FIELD_AT(GUID, Data2, 4)
ZEL_FIELD_AT(GUID, Data3, 6)
ZEL_FIELD_AT(GUID, Data4, 8)

static_assert(sizeof(RECT) == 16);
ZEL_FIELD_AT(RECT, left, 0)
ZEL_FIELD_AT(RECT, top, 4)
ZEL_FIELD_AT(RECT, right, 8)
ZEL_FIELD_AT(RECT, bottom, 12)

// Passed by value in a register: one 8-byte field, nothing else.
static_assert(sizeof(EventRegistrationToken) == 8 && alignof(EventRegistrationToken) == 8);
ZEL_FIELD_AT(EventRegistrationToken, value, 0)

static_assert(sizeof(FILETIME) == 8);
ZEL_FIELD_AT(FILETIME, dwHighDateTime, 4)

static_assert(sizeof(STATSTG) == 80);
ZEL_FIELD_AT(STATSTG, pwcsName, 0)
ZEL_FIELD_AT(STATSTG, type, 8)
ZEL_FIELD_AT(STATSTG, cbSize, 16)
ZEL_FIELD_AT(STATSTG, mtime, 24)
ZEL_FIELD_AT(STATSTG, ctime, 32)
ZEL_FIELD_AT(STATSTG, atime, 40)
ZEL_FIELD_AT(STATSTG, grfMode, 48)
ZEL_FIELD_AT(STATSTG, grfLocksSupported, 52)
ZEL_FIELD_AT(STATSTG, clsid, 56)
ZEL_FIELD_AT(STATSTG, grfStateBits, 72)
ZEL_FIELD_AT(STATSTG, reserved, 76)

// An interface is nothing but a pointer to its table of pure methods: no
// data, no virtual destructor (it would add table entries), IUnknown first.
#define ZEL_CHECK_INTERFACE(I)                                                                \
  static_assert(sizeof(I) == sizeof(void*), #I " must hold only its vtable");                 \
  static_assert(std::is_abstract_v<I>, #I " must be abstract");                               \
  static_assert(!std::has_virtual_destructor_v<I>, #I " must not have a virtual destructor"); \
  static_assert(std::is_base_of_v<IUnknown, I>, #I " must derive from IUnknown");

// Every COM interface declared here, for the layout checks and the tests.
#define ZEL_COM_BASE_INTERFACES(X) X(IUnknown) X(ISequentialStream) X(IStream) X(IAgileObject)
ZEL_COM_BASE_INTERFACES(ZEL_CHECK_INTERFACE)

// Owning smart pointer for reference-counted interfaces.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  TComPtr(std::nullptr_t) {}
  // Takes a new reference.
  explicit TComPtr(T* p) : FPtr(p) {
    if (FPtr) FPtr->AddRef();
  }
  TComPtr(const TComPtr& o) : TComPtr(o.FPtr) {}
  TComPtr(TComPtr&& o) noexcept : FPtr(std::exchange(o.FPtr, nullptr)) {}
  ~TComPtr() { Reset(); }
  TComPtr& operator=(const TComPtr& o) {
    TComPtr(o).Swap(*this);
    return *this;
  }
  TComPtr& operator=(TComPtr&& o) noexcept {
    TComPtr(std::move(o)).Swap(*this);
    return *this;
  }
  TComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }
  // Adopts a reference that the caller already owns (an out parameter's).
  static TComPtr Attach(T* p) {
    TComPtr r;
    r.FPtr = p;
    return r;
  }
  void Reset() {
    if (FPtr) std::exchange(FPtr, nullptr)->Release();
  }
  // For out parameters: releases the current pointer first.
  T** Put() {
    Reset();
    return &FPtr;
  }
  T* Get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  T* Detach() { return std::exchange(FPtr, nullptr); }
  void Swap(TComPtr& o) noexcept { std::swap(FPtr, o.FPtr); }
  template <class U>
  TComPtr<U> Query() const {
    U* out = nullptr;
    if (FPtr && SUCCEEDED(FPtr->QueryInterface(U::kIID, reinterpret_cast<void**>(&out))))
      return TComPtr<U>::Attach(out);
    return {};
  }

 private:
  T* FPtr = nullptr;
};

// Reference-counting base for objects that implement one or more interfaces.
// The first interface in the list answers IUnknown.
template <class... Ifaces>
class TComObject : public Ifaces... {
  using First = std::tuple_element_t<0, std::tuple<Ifaces...>>;

 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IUnknown::kIID) {
      *ppv = static_cast<First*>(this);
    } else {
      ((*ppv == nullptr && Matches<Ifaces>(riid) ? (*ppv = static_cast<Ifaces*>(this), 0) : 0),
       ...);
    }
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++FRefCount; }
  ULONG Release() override {
    ULONG r = --FRefCount;
    if (r == 0) delete this;
    return r;
  }

 protected:
  virtual ~TComObject() = default;

 private:
  template <class I>
  static bool Matches(REFIID riid) {
    if constexpr (std::is_base_of_v<ISequentialStream, I>)
      if (riid == ISequentialStream::kIID) return true;
    return riid == I::kIID;
  }
  std::atomic<ULONG> FRefCount{1};
};

// Creates a COM object with its initial reference adopted by a TComPtr.
template <class T, class I = T, class... Args>
TComPtr<I> MakeCom(Args&&... args) {
  return TComPtr<I>::Attach(static_cast<I*>(new T(std::forward<Args>(args)...)));
}

// The COM task allocator: strings crossing the runtime interface are
// allocated and freed with it on both sides. Windows binaries forward to the
// system's; every Linux binary carries its own copy over the C heap, which
// all of them share.
void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* p);

}  // namespace zel

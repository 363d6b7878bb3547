// Checks our WebView2 declarations against the published binary interface.
// Each interface is called, method by method, through our declaration on a
// fake object whose vtable is built from the sheet: entry k is a recording
// stub with the sheet's parameter types for slot k. A method declared in the
// wrong place lands in another slot; a parameter declared with another type
// arrives as a different value (and its type differs from the sheet's).
#pragma once

#include <cstdint>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "ports/WebView2.h"

namespace zel::abi {

// The sheet names VARIANT* for a parameter the host never uses; our
// declaration keeps its slot with an untyped pointer.
using VARIANT = void;

using TSlotFn = void (*)();

// What the last call through a fake vtable delivered.
struct TArrival {
  int Slot = -1;
  const void* Self = nullptr;
  std::vector<std::string> Args;
};
TArrival& LastArrival();
// Only the stub of the expected slot reads its parameters: a call that lands
// elsewhere may not have passed what that stub's signature expects.
int& ExpectedSlot();
// Pointer arguments point here, so that nothing a stub reads is out of bounds.
unsigned char* Arena(int index);
std::string Hex(std::uint64_t value);
std::string TypeName(const std::type_info& type);

template <class T>
std::string Describe(const T& v) {
  if constexpr (std::is_pointer_v<T>) {
    return "ptr " + Hex(reinterpret_cast<std::uintptr_t>(v));
  } else if constexpr (std::is_enum_v<T>) {
    return "enum " + std::to_string(static_cast<long long>(v));
  } else if constexpr (std::is_floating_point_v<T>) {
    return "double " + std::to_string(v);
  } else if constexpr (std::is_integral_v<T>) {
    return "int" + std::to_string(sizeof(T) * 8) + " " + std::to_string(v);
  } else if constexpr (std::is_same_v<T, RECT>) {
    return "RECT " + std::to_string(v.left) + "," + std::to_string(v.top) + "," +
           std::to_string(v.right) + "," + std::to_string(v.bottom);
  } else {
    static_assert(std::is_same_v<T, EventRegistrationToken>, "a type the sheet does not use");
    return "token " + Hex(static_cast<std::uint64_t>(v.value));
  }
}

// References travel as pointers.
template <class A>
auto View(const std::remove_reference_t<A>& v) {
  if constexpr (std::is_reference_v<A>)
    return &v;
  else
    return v;
}

// A distinct value of type T for the argument at position `index`; values of
// different types never look alike.
template <class T>
T Value(int index) {
  if constexpr (std::is_reference_v<T>) {
    return *reinterpret_cast<std::remove_reference_t<T>*>(Arena(index));
  } else if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(Arena(index));
  } else if constexpr (std::is_enum_v<T>) {
    return static_cast<T>(0x5A00 + index);
  } else if constexpr (std::is_floating_point_v<T>) {
    return 1.25 + index;
  } else if constexpr (std::is_integral_v<T>) {
    return static_cast<T>(0x7A000 + index * 0x111);
  } else if constexpr (std::is_same_v<T, RECT>) {
    return RECT{11 + index, -22 - index, 3300 + index, 4400 + index};
  } else {
    static_assert(std::is_same_v<T, EventRegistrationToken>, "a type the sheet does not use");
    return EventRegistrationToken{0x0123456789AB0000LL + index};
  }
}

template <int K, class R, class... A>
R Stub(void* self, A... args) {
  TArrival& a = LastArrival();
  a = {K, self, {}};
  if (ExpectedSlot() == K) a.Args = {Describe(View<A>(args))...};
  return R{};
}

template <class... S>
struct TArgs {};

struct TRow {
  int Slot;
  std::string Method;
  TSlotFn Stub;
  void (*Call)(void* object);
  std::vector<std::string> Expected;
  std::string DeclaredType, SheetType;
};

template <auto Method, class R, class C, class... D, std::size_t... Is>
void CallDeclared(void* object, std::index_sequence<Is...>) {
  (static_cast<C*>(object)->*Method)(Value<D>(static_cast<int>(Is))...);
}

template <class I, auto Method, class F>
struct TDeclared;
template <class I, auto Method, class R, class C, class... D>
struct TDeclared<I, Method, R (C::*)(D...)> {
  static void Call(void* object) {
    // The fake object stands where an I would be; C is I or its base.
    I* iface = static_cast<I*>(object);
    CallDeclared<Method, R, C, D...>(static_cast<C*>(iface), std::index_sequence_for<D...>{});
  }
  static std::string Type() { return TypeName(typeid(R(D...))); }
};

// One row of the sheet: slot, method, parameter types (R is HRESULT from
// slot 3 on).
template <class I, int Slot, auto Method, class R, class... S>
TRow Row(const char* name, TArgs<S...>) {
  using TDecl = TDeclared<I, Method, decltype(Method)>;
  std::vector<std::string> expected;
  int index = 0;
  ((expected.push_back(Describe(View<S>(Value<S>(index++))))), ...);
  return {Slot,
          name,
          reinterpret_cast<TSlotFn>(&Stub<Slot, R, S...>),
          &TDecl::Call,
          std::move(expected),
          TDecl::Type(),
          TypeName(typeid(R(S...)))};
}

struct TSheet {
  std::string Interface;
  std::string Iid;  // canonical text, from the sheet
  GUID DeclaredIid;
  int Entries;  // vtable entries, IUnknown's three included
  const std::type_info* Type;
  std::vector<TRow> Rows;
};

template <class I>
TSheet Sheet(const char* name, const char* iid, int entries, std::vector<TRow> rows) {
  // Slots 0-2 of every interface are IUnknown's.
  std::vector<TRow> all = {
      Row<I, 0, &I::QueryInterface, HRESULT>("QueryInterface", TArgs<REFIID, void**>{}),
      Row<I, 1, &I::AddRef, ULONG>("AddRef", TArgs<>{}),
      Row<I, 2, &I::Release, ULONG>("Release", TArgs<>{})};
  all.insert(all.end(), rows.begin(), rows.end());
  return {name, iid, I::kIID, entries, &typeid(I), std::move(all)};
}

// The sheet of one interface: its IID, its vtable entries and its rows.
#define ZEL_SHEET(Iface, iid, entries, ...)               \
  [] {                                                    \
    using I = Iface;                                      \
    return Sheet<I>(#Iface, iid, entries, {__VA_ARGS__}); \
  }()
// A row of the sheet: slot, method, parameter types (none for "—").
#define ZEL_SLOT(slot, method, ...) Row<I, slot, &I::method, HRESULT>(#method, TArgs<__VA_ARGS__>{})

std::vector<TSheet> MainInterfaceSheets();
std::vector<TSheet> SupportInterfaceSheets();
std::vector<TSheet> HandlerSheets();

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::string CanonicalIid(const GUID& iid);

}  // namespace zel::abi

// Our COM basics have the layout of the platform's own declarations. Checked
// by the compiler; the test only reports that this file was built.
#include <windows.h>

#include <objidl.h>

#include <gtest/gtest.h>

#include <cstddef>

#include "com/ComBase.h"

namespace {

#define ZEL_SAME_FIELD(Ours, Theirs, Field) \
  static_assert(offsetof(Ours, Field) == offsetof(Theirs, Field), #Ours "::" #Field);

static_assert(sizeof(zel::GUID) == sizeof(::GUID));
ZEL_SAME_FIELD(zel::GUID, ::GUID, Data4)
static_assert(sizeof(zel::RECT) == sizeof(::RECT));
ZEL_SAME_FIELD(zel::RECT, ::RECT, bottom)
static_assert(sizeof(zel::FILETIME) == sizeof(::FILETIME));
static_assert(sizeof(zel::STATSTG) == sizeof(::STATSTG));
ZEL_SAME_FIELD(zel::STATSTG, ::STATSTG, type)
ZEL_SAME_FIELD(zel::STATSTG, ::STATSTG, cbSize)
ZEL_SAME_FIELD(zel::STATSTG, ::STATSTG, mtime)
ZEL_SAME_FIELD(zel::STATSTG, ::STATSTG, atime)
ZEL_SAME_FIELD(zel::STATSTG, ::STATSTG, grfMode)
ZEL_SAME_FIELD(zel::STATSTG, ::STATSTG, clsid)
ZEL_SAME_FIELD(zel::STATSTG, ::STATSTG, grfStateBits)
ZEL_SAME_FIELD(zel::STATSTG, ::STATSTG, reserved)
static_assert(sizeof(zel::BOOL) == sizeof(::BOOL) && sizeof(zel::WCHAR) == sizeof(::WCHAR));
static_assert(sizeof(zel::HWND) == sizeof(::HWND));

TEST(ComLayoutTest, IidsOfTheBaseInterfaces) {
  EXPECT_EQ(memcmp(&zel::IUnknown::kIID, &IID_IUnknown, sizeof(::GUID)), 0);
  EXPECT_EQ(memcmp(&zel::IStream::kIID, &IID_IStream, sizeof(::GUID)), 0);
  EXPECT_EQ(memcmp(&zel::ISequentialStream::kIID, &IID_ISequentialStream, sizeof(::GUID)), 0);
  EXPECT_EQ(memcmp(&zel::IAgileObject::kIID, &IID_IAgileObject, sizeof(::GUID)), 0);
}

}  // namespace

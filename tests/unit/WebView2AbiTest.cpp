// Our WebView2 declarations against the published binary interface: every
// method of every interface reaches its slot with its arguments intact, and
// every IID reads as the sheet has it.
#include <gtest/gtest.h>

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <set>

#include "WebView2AbiProbe.h"

namespace zel::abi {

TArrival& LastArrival() {
  static TArrival arrival;
  return arrival;
}

int& ExpectedSlot() {
  static int slot = -1;
  return slot;
}

unsigned char* Arena(int index) {
  alignas(16) static unsigned char arena[64 * 16];
  return arena + 64 * index;
}

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string TypeName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
      ::abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && name ? name.get() : type.name();
}

std::string CanonicalIid(const GUID& iid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(iid.Data1), iid.Data2, iid.Data3, iid.Data4[0], iid.Data4[1],
                iid.Data4[2], iid.Data4[3], iid.Data4[4], iid.Data4[5], iid.Data4[6], iid.Data4[7]);
  return text;
}

namespace {

// Room for the largest interface (61 entries) and for a method declared
// past its end.
constexpr int kTableSlots = 72;

// Records only its slot: the entries the sheet leaves empty.
template <int K>
void PlainStub(void* self) {
  LastArrival() = {K, self, {}};
}

template <std::size_t... K>
std::vector<TSlotFn> PlainStubs(std::index_sequence<K...>) {
  return {reinterpret_cast<TSlotFn>(&PlainStub<static_cast<int>(K)>)...};
}

// An object laid out as the compiler lays out a polymorphic one: a pointer
// to the slots, preceded by the offset-to-top and type-info words, so that
// the dynamic-type checks of the sanitizers see an object of the interface.
class TFakeObject {
 public:
  explicit TFakeObject(const TSheet& sheet)
      : FTable(PlainStubs(std::make_index_sequence<kTableSlots>{})) {
    for (const TRow& row : sheet.Rows) FTable.at(row.Slot) = row.Stub;
    FPrefixedTable.push_back(nullptr);
    FPrefixedTable.push_back(reinterpret_cast<const void*>(sheet.Type));
    for (TSlotFn fn : FTable) FPrefixedTable.push_back(reinterpret_cast<const void*>(fn));
    FVtable = FPrefixedTable.data() + 2;
  }
  void* Object() { return &FVtable; }

 private:
  std::vector<TSlotFn> FTable;
  std::vector<const void*> FPrefixedTable;
  const void* const* FVtable;
};

std::vector<TSheet> AllSheets() {
  std::vector<TSheet> all = MainInterfaceSheets();
  for (auto* part : {&SupportInterfaceSheets, &HandlerSheets}) {
    std::vector<TSheet> more = part();
    all.insert(all.end(), more.begin(), more.end());
  }
  return all;
}

TEST(WebView2AbiTest, EveryMethodArrivesAtItsSlotWithItsArguments) {
  for (const TSheet& sheet : AllSheets()) {
    TFakeObject fake(sheet);
    for (const TRow& row : sheet.Rows) {
      const std::string what = sheet.Interface + "::" + row.Method;
      LastArrival() = {};
      ExpectedSlot() = row.Slot;
      row.Call(fake.Object());
      ExpectedSlot() = -1;
      EXPECT_EQ(LastArrival().Slot, row.Slot) << what << " is declared in another slot";
      EXPECT_EQ(LastArrival().Self, fake.Object()) << what;
      EXPECT_EQ(LastArrival().Args, row.Expected) << what << " passes other arguments";
      EXPECT_EQ(row.DeclaredType, row.SheetType) << what;
    }
  }
}

// Guards the transcription: each slot once, IUnknown's three included.
TEST(WebView2AbiTest, EachSheetListsEverySlotOnce) {
  for (const TSheet& sheet : AllSheets()) {
    std::vector<int> slots;
    for (const TRow& row : sheet.Rows) slots.push_back(row.Slot);
    std::vector<int> expected(sheet.Entries);
    for (int i = 0; i < sheet.Entries; ++i) expected[i] = i;
    EXPECT_EQ(slots, expected) << sheet.Interface;
  }
}

TEST(WebView2AbiTest, EveryDeclaredInterfaceIsOnTheSheet) {
  std::set<std::string> declared, listed;
#define ZEL_NAME(I) declared.insert(#I);
  ZEL_WEBVIEW2_INTERFACES(ZEL_NAME)
#undef ZEL_NAME
  for (const TSheet& sheet : AllSheets()) EXPECT_TRUE(listed.insert(sheet.Interface).second);
  EXPECT_EQ(declared, listed);
}

TEST(WebView2AbiTest, IidsReadAsTheSheetHasThem) {
  std::map<std::string, std::pair<std::string, std::string>> iids;  // declared, expected
  for (const TSheet& sheet : AllSheets())
    iids[sheet.Interface] = {CanonicalIid(sheet.DeclaredIid), sheet.Iid};
  // The base interfaces: IUnknown and IStream from the sheet, IAgileObject
  // from the COM documentation.
  iids["IUnknown"] = {CanonicalIid(IUnknown::kIID), "{00000000-0000-0000-C000-000000000046}"};
  iids["IStream"] = {CanonicalIid(IStream::kIID), "{0000000C-0000-0000-C000-000000000046}"};
  iids["IAgileObject"] = {CanonicalIid(IAgileObject::kIID),
                          "{94EA2B94-E9CC-49E0-C0FF-EE64CA8F5B90}"};
  for (const auto& [name, iid] : iids) {
    std::cout << iid.first << " " << name << "\n";
    EXPECT_EQ(iid.first, iid.second) << name;
  }
}

TEST(WebView2AbiTest, CanonicalIidText) {
  const GUID iid = {0x0102A3B4, 0x05C6, 0xD7E8, {0x09, 0xFA, 0x0B, 0xCC, 0x0D, 0xEE, 0x0F, 0x10}};
  EXPECT_EQ(CanonicalIid(iid), "{0102A3B4-05C6-D7E8-09FA-0BCC0DEE0F10}");
}

}  // namespace
}  // namespace zel::abi

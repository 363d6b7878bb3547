// The handler table is built from the function catalogue by name, so a
// handler can only answer the function it is named after.
#include <gtest/gtest.h>

#include "core/BridgeProtocol.h"
#include "host/bridge/BridgeHandlers.h"

namespace zel {
namespace {

void Nothing(TBrowserExternalModule&, const std::string&, const nlohmann::json&) {}

TEST(BridgeHandlers, EveryRegisteredHandlerAnswersItsNamedFunction) {
  const std::map<int, TBridgeHandler> map = BuildBridgeHandlerMap(BridgeHandlerGroups());
  for (const TBridgeHandlerGroup* group : BridgeHandlerGroups())
    for (const TBridgeHandlerEntry& entry : group->Entries) {
      const TBridgeFunction* f = FindBridgeFunction(group->Group, entry.Name);
      ASSERT_NE(f, nullptr) << group->Group << "." << entry.Name;
      EXPECT_EQ(map.at(f->Id), entry.Handler) << f->Name;
    }
}

TEST(BridgeHandlers, RefusesUnknownAndDoubledNames) {
  const TBridgeHandlerEntry unknown[] = {{"fileExist", &Nothing}};
  const TBridgeHandlerEntry wrongGroup[] = {{"hello", &Nothing}};
  const TBridgeHandlerEntry doubled[] = {{"fileExists", &Nothing}, {"fileExists", &Nothing}};
  const TBridgeHandlerGroup groups[] = {
      {"files", unknown}, {"files", wrongGroup}, {"files", doubled}};
  for (const TBridgeHandlerGroup& group : groups) {
    const TBridgeHandlerGroup* list[] = {&group};
    EXPECT_THROW(BuildBridgeHandlerMap(list), std::logic_error) << group.Entries[0].Name;
  }
}

}  // namespace
}  // namespace zel

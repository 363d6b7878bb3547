// The menu bar, the tray icon and the tray menu: reading item lists, the
// caption texts for GTK, image lookup, and the bridge functions' replies and
// click events against the fake UI.
#include <gtest/gtest.h>

#include "AppFixture.h"
#include "core/MenuItems.h"
#include "host/bridge/BrowserExternalForm.h"

namespace zel::test {
namespace {

using json = nlohmann::json;

// ---- Reading items ---------------------------------------------------------

TEST(MenuItems, ReadsItemFields) {
  struct Case {
    const char* Json;
    int32_t Id;
    std::optional<bool> Enabled;
  };
  const Case cases[] = {
      {R"({"id": 7, "caption": "a"})", 7, std::nullopt},
      {R"({"id": "-12", "caption": "a"})", -12, std::nullopt},
      {R"({"id": "abc", "caption": "a"})", 0, std::nullopt},
      {R"({"id": 1.5, "caption": "a"})", 0, std::nullopt},
      {R"({"id": 4294967296, "caption": "a"})", 0, std::nullopt},
      {R"({"id": 1, "caption": "a", "enabled": "FALSE"})", 1, false},
      {R"({"id": 1, "caption": "a", "enabled": false})", 1, false},
      {R"({"id": 1, "caption": "a", "enabled": "True"})", 1, true},
      {R"({"id": 1, "caption": "a", "enabled": 0})", 1, false},
      {R"({"id": 1, "caption": "a", "enabled": "2"})", 1, true},
      {R"({"id": 1, "caption": "a", "enabled": "0.0"})", 1, false},
  };
  for (const Case& c : cases) {
    std::vector<TMenuItemData> items;
    ASSERT_TRUE(ParseMenuItems(json::array({json::parse(c.Json)}), items)) << c.Json;
    EXPECT_EQ(items[0].Id, c.Id) << c.Json;
    EXPECT_EQ(items[0].Enabled, c.Enabled) << c.Json;
  }
}

TEST(MenuItems, RefusesBadItemsAnywhereInTheTree) {
  const char* bad[] = {
      R"([{"caption": "a"}])",
      R"([{"id": 1}])",
      R"([{"id": null, "caption": "a"}])",
      R"([{"id": 1, "caption": ["a"]}])",
      R"([{"id": 1, "caption": "a", "items": null}])",
      R"([{"id": 1, "caption": "a", "items": {}}])",
      R"([{"id": 1, "caption": "a", "enabled": "yes"}])",
      R"([{"id": 1, "caption": "a", "enabled": "nan"}])",
      R"([5])",
      R"([{"id": 1, "caption": "a", "items": [{"id": 2, "caption": "b", "items": [{"id": 3}]}]}])",
  };
  for (const char* text : bad) {
    std::vector<TMenuItemData> items;
    EXPECT_FALSE(ParseMenuItems(json::parse(text), items)) << text;
    EXPECT_TRUE(items.empty()) << text;
  }
}

TEST(MenuItems, SubmenusAndDepthCap) {
  std::vector<TMenuItemData> items;
  ASSERT_TRUE(ParseMenuItems(
      json::parse(R"([{"id": 1, "caption": "F", "items": []}, {"id": 2, "caption": "G"}])"),
      items));
  EXPECT_TRUE(items[0].HasSubmenu);
  EXPECT_FALSE(items[1].HasSubmenu);

  auto nested = [](int depth) {
    std::string text = "[";
    for (int i = 1; i < depth; ++i) text += R"({"id": 1, "caption": "x", "items": [)";
    text += R"({"id": 2, "caption": "y"})";
    for (int i = 1; i < depth; ++i) text += "]}";
    return json::parse(text + "]");
  };
  EXPECT_TRUE(ParseMenuItems(nested(kMaxMenuDepth), items));
  EXPECT_FALSE(ParseMenuItems(nested(kMaxMenuDepth + 1), items));
  EXPECT_FALSE(ParseMenuItems(nested(10000), items));
}

TEST(MenuItems, CaptionsForUnderscoreToolkits) {
  const std::pair<const char*, const char*> mnemonic[] = {
      {"&File", "_File"},
      {"Save && Quit", "Save & Quit"},
      {"snake_case", "snake__case"},
      {"A&", "A&"},
      {"&&&x", "&_x"},
      {"plain", "plain"},
  };
  for (const auto& [in, out] : mnemonic) EXPECT_EQ(UnderscoreMnemonicCaption(in), out) << in;
  const std::pair<const char*, const char*> shown[] = {
      {"&File", "File"}, {"Save && Quit", "Save & Quit"}, {"a_b", "a_b"}, {"A&", "A&"}};
  for (const auto& [in, out] : shown) EXPECT_EQ(CaptionWithoutMark(in), out) << in;
}

TEST(MenuItems, TruncatesByCharacters) {
  EXPECT_EQ(TruncateUtf8("abc", 2), "ab");
  EXPECT_EQ(TruncateUtf8("abc", 3), "abc");
  // Two-byte and four-byte characters stay whole.
  EXPECT_EQ(TruncateUtf8("\xC3\xA9\xC3\xA9", 1), "\xC3\xA9");
  EXPECT_EQ(TruncateUtf8("a\xF0\x9F\x98\x80z", 2), "a\xF0\x9F\x98\x80");
  EXPECT_EQ(TruncateUtf8(std::string(300, 'x'), 127).size(), 127u);
}

// ---- Bridge functions ------------------------------------------------------

class MenuTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Open(kAppIni, {{"app/red.png", "archive-red"}, {"bad.png", "bad data"}});
    Main->FBrowserForm->FAppDirPath = Dir.Str() + "/";
  }

  // The reply as (success, result); nullopt without one.
  std::optional<std::pair<bool, json>> Ask(int id, const json& data) {
    const auto replies = Call(json{{"id", id}, {"uuid", "u"}, {"data", data}}.dump());
    if (replies.empty()) return std::nullopt;
    EXPECT_EQ(replies.size(), 1u);
    const json reply = json::parse(replies[0]);
    return std::make_pair(reply["success"].get<bool>(), reply["result"]);
  }
  static std::pair<bool, json> Ok() { return {true, true}; }
  static std::pair<bool, json> Error(const char* text) { return {false, text}; }
  std::optional<std::pair<bool, json>> SetItems(int id, const std::string& items) {
    return Ask(id, {{"items", items}});
  }

  std::vector<std::string> Scripts() {
    std::vector<std::string> out;
    for (const std::string& c : Fake().Calls())
      if (c.starts_with("ExecuteScript ")) out.push_back(c.substr(14));
    return out;
  }
  TMenuComponent& MainMenu() { return Bridge().BrowserExternalForm().MainMenu; }
  TFakeMenuPeer& Bar() { return *UI.MenuBars.at(0); }
  // Clicks the peer's item with that caption, as the user would.
  std::vector<std::string> Click(TFakeMenuPeer& menu, const std::string& caption) {
    Fake().ClearCalls();
    const TMenuItemView* item = menu.Find(caption);
    EXPECT_NE(item, nullptr) << caption;
    if (item) menu.Events.MenuItemClick(item->Key);
    return Scripts();
  }

  TTempDir Dir;
};

const char* kFileOpen =
    R"([{"id": 1, "caption": "&File", "items": [{"id": 2, "caption": "Open"}]}])";

TEST_F(MenuTest, BuildsTheMenuBarOnceAndClicksLeaves) {
  EXPECT_TRUE(UI.MenuBars.empty());
  EXPECT_EQ(SetItems(12001, kFileOpen), Ok());
  ASSERT_EQ(UI.MenuBars.size(), 1u);
  ASSERT_EQ(Bar().Items.size(), 2u);
  const TMenuItemView& file = Bar().Items[0].second;
  EXPECT_EQ(Bar().Items[0].first, 0);
  EXPECT_TRUE(file.HasSubmenu);
  EXPECT_EQ(Bar().Items[1].first, file.Key);
  EXPECT_EQ(Click(Bar(), "Open"),
            std::vector<std::string>{"zel.events.onMainMenuItemClick(\"2\");"});
  EXPECT_TRUE(Click(Bar(), "&File").empty());

  // A built menu stays; [] empties it; then a new one builds.
  EXPECT_EQ(SetItems(12001, R"([{"id": 9, "caption": "Other"}])"), Ok());
  EXPECT_NE(Bar().Find("Open"), nullptr);
  EXPECT_EQ(SetItems(12001, "[]"), Ok());
  EXPECT_TRUE(Bar().Items.empty());
  EXPECT_EQ(SetItems(12001, R"([{"id": "abc", "caption": "Other"}])"), Ok());
  EXPECT_EQ(Click(Bar(), "Other"),
            std::vector<std::string>{"zel.events.onMainMenuItemClick(\"0\");"});
  EXPECT_EQ(UI.MenuBars.size(), 1u);
}

TEST_F(MenuTest, SetItemsErrors) {
  struct Case {
    json Data;
    std::optional<std::pair<bool, json>> Reply;
  };
  const Case cases[] = {
      {json::object(), Error("Missing menu items")},
      {{{"items", nullptr}}, Error("Missing menu items")},
      {{{"items", ""}}, Error("Missing menu items")},
      {{{"items", "{}"}}, Error("Wrong menu items JSON")},
      {{{"items", "[1,"}}, Error("Wrong menu items JSON")},
      {{{"items", R"([{"id": 1, "caption": "a", "items": [{"id": 2}]}])"}},
       Error("Wrong menu item JSON")},
      {{{"items", R"([{"id": 1, "caption": "a", "enabled": "maybe"}])"}},
       Error("Wrong menu item JSON")},
      {{{"items", R"(["not an object"])"}}, Error("Wrong menu item JSON")},
      // The typings say text; an array itself cannot be read as text.
      {{{"items", json::array()}}, std::nullopt},
  };
  for (int id : {12001, 14003}) {
    TMenuComponent& menu = id == 12001 ? MainMenu() : Bridge().BrowserExternalForm().TrayMenu;
    for (const Case& c : cases) {
      ASSERT_EQ(SetItems(id, "[]"), Ok());
      EXPECT_EQ(Ask(id, c.Data), c.Reply) << id << " " << c.Data.dump();
      EXPECT_TRUE(menu.Items().empty()) << c.Data.dump();
    }
    // A list that is no array empties even a built menu.
    ASSERT_EQ(SetItems(id, kFileOpen), Ok());
    EXPECT_EQ(SetItems(id, "{}"), Error("Wrong menu items JSON"));
    EXPECT_TRUE(menu.Items().empty());
  }
  // The bar was attached by the first call, whatever followed.
  EXPECT_EQ(UI.MenuBars.size(), 1u);
}

TEST_F(MenuTest, MenuBarAttachedEvenWhenTheListIsWrong) {
  EXPECT_EQ(SetItems(12001, "{}"), Error("Wrong menu items JSON"));
  EXPECT_EQ(UI.MenuBars.size(), 1u);
}

TEST_F(MenuTest, WrongInputsNeitherCrashNorHang) {
  const std::string huge(1 << 20, 'c');
  EXPECT_EQ(SetItems(12001, json::array({{{"id", 1}, {"caption", huge}}}).dump()), Ok());
  EXPECT_EQ(Bar().Items.at(0).second.Caption, huge);
  SetItems(12001, "[]");
  std::string deep;
  for (int i = 0; i < 10000; ++i) deep += R"({"id": 1, "caption": "x", "items": [)";
  for (int i = 0; i < 10000; ++i) deep += "]}";
  EXPECT_EQ(SetItems(12001, "[" + deep + "]"), Error("Wrong menu item JSON"));
  EXPECT_EQ(SetItems(12001, R"([{"id": 1, "caption": "a", "image": "/dev/zero"}])"), Ok());
  EXPECT_EQ(Bar().Items.at(0).second.ImageIndex, -1);
}

TEST_F(MenuTest, UpdateItem) {
  for (int id : {12002, 14004}) {
    EXPECT_EQ(Ask(id, json::object()), Error("Missing item ID"));
    EXPECT_EQ(Ask(id, {{"id", -1}}), Error("Wrong item ID"));
    EXPECT_EQ(Ask(id, {{"id", "x"}}), Error("Wrong item ID"));
    EXPECT_EQ(Ask(id, {{"id", 5}}), Error("No menu items"));
  }
  const char* twice =
      R"([{"id": 1, "caption": "A", "items": [{"id": 3, "caption": "deep"}]},
          {"id": 3, "caption": "B"}])";
  ASSERT_EQ(SetItems(12001, twice), Ok());
  EXPECT_EQ(Ask(12002, {{"id", "3"}, {"caption", "changed"}, {"enabled", "false"}}), Ok());
  const TMenuItemView* changed = Bar().Find("changed");
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(changed->Key, 2);  // the first in depth-first order
  EXPECT_FALSE(changed->Enabled);
  EXPECT_NE(Bar().Find("B"), nullptr);
  // Empty fields and an unreadable enabled word change nothing.
  EXPECT_EQ(Ask(12002, {{"id", 3}, {"caption", ""}, {"enabled", "perhaps"}}), Ok());
  EXPECT_FALSE(Bar().Find("changed")->Enabled);
  EXPECT_EQ(Ask(12002, {{"id", 3}, {"enabled", 1}}), Ok());
  EXPECT_TRUE(Bar().Find("changed")->Enabled);
  EXPECT_EQ(Ask(12002, {{"id", 77}, {"caption", "x"}}), Ok());
  EXPECT_EQ(Bar().Find("x"), nullptr);
}

TEST_F(MenuTest, ImagesComeFromThePackageFirstAndNumberOnlyDecodedOnes) {
  WriteText(Dir.Path() / "app" / "red.png", "file-blue");
  WriteText(Dir.Path() / "blue.png", "file-blue");
  const char* items = R"([{"id": 1, "caption": "a", "image": "app/red.png"},
       {"id": 2, "caption": "b", "image": "bad.png"},
       {"id": 3, "caption": "c", "image": "missing.png"},
       {"id": 4, "caption": "d", "image": "blue.png"}])";
  ASSERT_EQ(SetItems(12001, items), Ok());
  EXPECT_EQ(Bar().Images, (std::vector<std::string>{"archive-red", "file-blue"}));
  EXPECT_EQ(MainMenu().ImageNames(), (std::vector<std::string>{"MainMenuImg0", "MainMenuImg1"}));
  const int indexes[] = {0, -1, -1, 1};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Bar().Items[i].second.ImageIndex, indexes[i]) << i;

  // Each update appends; a rebuild starts the collection again.
  EXPECT_EQ(Ask(12002, {{"id", 2}, {"image", "blue.png"}}), Ok());
  EXPECT_EQ(Bar().Items[1].second.ImageIndex, 2);
  EXPECT_EQ(MainMenu().ImageNames().back(), "MainMenuImg2");
  SetItems(12001, "[]");
  ASSERT_EQ(SetItems(14003, items), Ok());
  EXPECT_EQ(Bridge().BrowserExternalForm().TrayMenu.ImageNames(),
            (std::vector<std::string>{"TrayMenuImg0", "TrayMenuImg1"}));
}

TEST_F(MenuTest, TrayIconAndTrayMenu) {
  EXPECT_FALSE(Bridge().TrayIconVisible());
  EXPECT_EQ(Ask(14002, json::object()), Ok());
  EXPECT_EQ(Ask(14001, json::object()), Ok());
  EXPECT_EQ(Ask(14001, json::object()), Ok());
  ASSERT_EQ(UI.TrayIcons.size(), 1u);
  TFakeTrayIcon& tray = *UI.TrayIcons[0];
  EXPECT_TRUE(tray.IsVisible);
  EXPECT_TRUE(Bridge().TrayIconVisible());
  EXPECT_EQ(tray.Hint, "Demo App");

  Fake().ClearCalls();
  tray.Events.TrayIconClick();
  EXPECT_EQ(Scripts(), std::vector<std::string>{"zel.events.onTrayIconClick();"});
  ASSERT_EQ(SetItems(14003, R"([{"id": -5, "caption": "Quit"}])"), Ok());
  EXPECT_EQ(Click(tray.MenuPeer, "Quit"),
            std::vector<std::string>{"zel.events.onTrayMenuItemClick(\"-5\");"});
  EXPECT_EQ(Ask(14002, json::object()), Ok());
  EXPECT_FALSE(tray.IsVisible);
  EXPECT_FALSE(Bridge().TrayIconVisible());
  EXPECT_TRUE(UI.MenuBars.empty());
}

}  // namespace
}  // namespace zel::test

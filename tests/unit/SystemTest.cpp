// The system functions: refusal texts, hardware-address entries,
// notifications and their clicks, and the visual themes.
#include <algorithm>

#include "AppFixture.h"
#include "core/SystemText.h"
#include "core/Themes.h"
#include "host/startup/StyleManager.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

using namespace zel;
using namespace zel::test;
using json = nlohmann::json;

namespace {

// No unit test may reach the machine's system bus (a reboot request as root
// would be honoured): the whole process talks to an address that does not
// exist, set before any test runs.
const bool kNoSystemBus = [] {
  sys::SetEnv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zel-unit-tests-no-system-bus");
  return true;
}();

TEST(SystemTextTest, TrimSystemMessageDropsTrailingBlanksBreaksAndStops) {
  const struct {
    const char* In;
    const char* Out;
  } cases[] = {
      {"Access denied.", "Access denied"},
      {"A required privilege is not held by the client.\r\n",
       "A required privilege is not held by the client"},
      {"Interactive authentication required. . \n", "Interactive authentication required"},
      {"  leading kept", "  leading kept"},
      {"v1.2 inside kept", "v1.2 inside kept"},
      {"...", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimSystemMessage(c.In), c.Out) << c.In;
}

TEST(SystemTextTest, MacAddressEntries) {
  const std::uint8_t ether[] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
  const std::uint8_t longer[] = {0xde, 0xad, 0xbe, 0xef, 0x00, 0x01, 0x02, 0x03};
  const std::uint8_t shorter[] = {0xAB, 0xCD};
  const std::uint8_t zeros[] = {0, 0, 0, 0, 0, 0};
  const std::uint8_t zerosThenMore[] = {0, 0, 0, 0, 0, 0, 7};
  EXPECT_EQ(MacAddressEntry("E", ether), "E,00:1a:2b:3c:4d:5e");
  EXPECT_EQ(MacAddressEntry("U", longer), "U,de:ad:be:ef:00:01");
  EXPECT_EQ(MacAddressEntry("W", shorter), "W,ab:cd:00:00:00:00");
  EXPECT_EQ(MacAddressEntry("E", zeros), std::nullopt);
  EXPECT_EQ(MacAddressEntry("E", zerosThenMore), std::nullopt);
  EXPECT_EQ(MacAddressEntry("E", {}), std::nullopt);
  EXPECT_EQ(MacAddressPrefix(6), "E");
  EXPECT_EQ(MacAddressPrefix(71), "W");
  for (unsigned other : {0u, 1u, 23u, 24u, 131u, 144u}) EXPECT_EQ(MacAddressPrefix(other), "U");
}

TEST(SystemTextTest, ClickStatementCarriesAnyNameAsOneStringLiteral) {
  EXPECT_EQ(NotificationClickStatement("n1"), R"(zel.events.onNotificationClick("n1");)");
  const std::string names[] = {
      "ok\"1\\", "x\");alert(1);(\"", "line\nbreak", "sep\xE2\x80\xA8par\xE2\x80\xA9",
      "",        "Ünïcødé",
  };
  for (const std::string& name : names) {
    const std::string s = NotificationClickStatement(name);
    const std::string head = "zel.events.onNotificationClick(";
    ASSERT_TRUE(s.starts_with(head) && s.ends_with(");")) << s;
    const std::string literal = s.substr(head.size(), s.size() - head.size() - 2);
    // One JSON string literal that gives the name back; no raw line
    // terminators, which would end a JavaScript string.
    EXPECT_EQ(json::parse(literal).get<std::string>(), name) << s;
    EXPECT_EQ(s.find_first_of("\r\n"), std::string::npos) << s;
    EXPECT_EQ(s.find("\xE2\x80\xA8"), std::string::npos) << s;
    EXPECT_EQ(s.find("\xE2\x80\xA9"), std::string::npos) << s;
  }
}

const std::vector<std::string> kListedThemes = {"Amakrits",
                                                "Amethyst Kamri",
                                                "Aqua Graphite",
                                                "Aqua Light Slate",
                                                "Auric",
                                                "Carbon",
                                                "Charcoal Dark Slate",
                                                "Cobalt XEMedia",
                                                "Cyan Dusk",
                                                "Cyan Night",
                                                "Emerald Light Slate",
                                                "Glossy",
                                                "Glow",
                                                "Golden Graphite",
                                                "Iceberg Classico",
                                                "Lavender Classico",
                                                "Light",
                                                "Luna",
                                                "Metropolis UI Black",
                                                "Metropolis UI Blue",
                                                "Metropolis UI Dark",
                                                "Metropolis UI Green",
                                                "Obsidian",
                                                "Onyx Blue",
                                                "Ruby Graphite",
                                                "Sapphire Kamri",
                                                "Silver",
                                                "Sky",
                                                "Slate Classico",
                                                "Smokey Quartz Kamri",
                                                "Tablet Dark",
                                                "Tablet Light",
                                                "Turquoise Gray",
                                                "Windows",
                                                "Windows10",
                                                "Windows10 Blue",
                                                "Windows10 Dark",
                                                "Windows10 Green",
                                                "Windows10 Purple",
                                                "Windows10 SlateGray"};

TEST(ThemesTest, CatalogueOrderLookupAndPalettes) {
  EXPECT_EQ(SortedThemeNames(), kListedThemes);
  EXPECT_EQ(Themes().front().Name, "Windows");
  EXPECT_EQ(Themes().front().Palette, nullptr);
  for (const TTheme& theme : Themes()) {
    if (theme.Name == "Windows") continue;
    ASSERT_NE(theme.Palette, nullptr) << theme.Name;
    // Text must read on its own backgrounds.
    const TThemePalette& p = *theme.Palette;
    for (std::uint32_t back : {p.Window, p.Control}) {
      const double hi = std::max(Luminance(back), Luminance(p.Text)) + 0.05;
      const double lo = std::min(Luminance(back), Luminance(p.Text)) + 0.05;
      EXPECT_GE(hi / lo, 4.5) << theme.Name;
    }
  }
  // ASCII case folding only: a Turkish dotless or dotted I is another letter.
  EXPECT_EQ(FindTheme("windows10 dark")->Name, "Windows10 Dark");
  EXPECT_EQ(FindTheme("LIGHT")->Name, "Light");
  for (const char* unknown :
       {"", "NoSuch", "L\xC4\xB0GHT", "l\xC4\xB1ght", "Light ", "Windows10Dark"})
    EXPECT_EQ(FindTheme(unknown), nullptr) << unknown;
  EXPECT_TRUE(IsDarkPalette(*FindTheme("Windows10 Dark")->Palette));
  EXPECT_FALSE(IsDarkPalette(*FindTheme("Light")->Palette));
  EXPECT_EQ(ContrastingText(0x1E4E8C), 0xFFFFFFu);
  EXPECT_EQ(ContrastingText(0xF0F0F0), 0x000000u);
  EXPECT_EQ(MixColours(0x000000, 0xFFFFFF, 0.5), 0x808080u);
}

class SystemBridgeTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(kNoSystemBus);
    Open(kAppIni);
  }
  void TearDown() override {
    TStyleManager::TrySetStyle("Windows", false);
    AppFixture::TearDown();
  }
  // The reply's success and result.
  std::pair<bool, json> Ask(int id, const json& data = json::object()) {
    const auto replies = Call(json{{"id", id}, {"uuid", "u"}, {"data", data}}.dump());
    if (replies.size() != 1) {
      ADD_FAILURE() << id << ": " << replies.size() << " replies";
      return {false, json()};
    }
    const json reply = json::parse(replies[0]);
    return {reply["success"].get<bool>(), reply["result"]};
  }
  std::vector<std::string> Scripts() {
    std::vector<std::string> scripts;
    for (const std::string& c : Fake().Calls())
      if (c.starts_with("ExecuteScript ")) scripts.push_back(c.substr(14));
    return scripts;
  }
};

TEST_F(SystemBridgeTest, RefusedExitRequestsAnswerTheTrimmedReason) {
  // Windows has no bus to divert: its requests are tested through the
  // replaceable call table of the platform tests.
  if (sys::PathDelim() == '\\') GTEST_SKIP() << "a real ExitWindowsEx would be honoured";
  // The unreachable bus refuses all three; the reason is one JSON string.
  for (int id : {11001, 11002, 11003}) {
    const auto [success, result] = Ask(id);
    EXPECT_FALSE(success) << id;
    ASSERT_TRUE(result.is_string()) << id;
    const std::string text = result.get<std::string>();
    EXPECT_FALSE(text.empty()) << id;
    EXPECT_EQ(text, TrimSystemMessage(text)) << id;
  }
}

TEST_F(SystemBridgeTest, MacAddressesAreAListOfEntries) {
  const auto [success, result] = Ask(11004);
  EXPECT_TRUE(success);
  ASSERT_TRUE(result.is_array());
  for (const json& entry : result) {
    const std::string text = entry.get<std::string>();
    ASSERT_EQ(text.size(), 19u) << text;
    EXPECT_NE(std::string("EWU").find(text[0]), std::string::npos) << text;
    EXPECT_NE(text.substr(2), "00:00:00:00:00:00");
  }
}

TEST_F(SystemBridgeTest, NotificationsShowReplaceAndClick) {
  EXPECT_EQ(Ask(11005, {{"name", "n1"}}), std::make_pair(true, json(true)));
  EXPECT_EQ(UI.NotifyAppName, "Demo App");
  EXPECT_EQ(UI.Notifications, (std::vector<std::vector<std::string>>{{"n1", "", ""}}));
  Ask(11005, {{"name", "n1"}, {"title", "T"}, {"body", "a < b & c"}});
  EXPECT_EQ(UI.Notifications, (std::vector<std::vector<std::string>>{{"n1", "T", "a < b & c"}}));

  Fake().ClearCalls();
  UI.ClickNotification("x\");alert(1);(\"");
  UI.PumpPending();
  EXPECT_EQ(Scripts(),
            std::vector<std::string>{R"(zel.events.onNotificationClick("x\");alert(1);(\"");)"});

  UI.NotifyShowFails = true;
  EXPECT_EQ(Ask(11005, {{"name", "n2"}}), std::make_pair(true, json(false)));
  UI.NotifySupported = false;
  EXPECT_EQ(Ask(11005, {{"name", "n3"}}), std::make_pair(true, json(false)));
  // Wrong types get no reply and break nothing.
  EXPECT_TRUE(Call(R"({"id": 11005, "uuid": "u", "data": {"name": {"a": 1}}})").empty());
}

TEST_F(SystemBridgeTest, ThemesFollowTheCatalogue) {
  EXPECT_EQ(Ask(80002).second, json(kListedThemes));
  EXPECT_EQ(Ask(80001).second, "Windows");
  const struct {
    json Data;
    bool Result;
    const char* Active;
  } steps[] = {
      {{{"name", "Windows10 Dark"}}, true, "Windows10 Dark"},
      {{{"name", "windows10 dark"}}, false, "Windows10 Dark"},
      {{{"name", "carbon"}}, false, "Carbon"},
      {json::object(), false, "Carbon"},
      {{{"name", ""}}, false, "Carbon"},
      {{{"name", "NoSuch"}}, false, "Carbon"},
      {{{"name", "Carbon"}}, true, "Carbon"},
      {{{"name", "Windows"}}, true, "Windows"},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(Ask(80003, s.Data), std::make_pair(true, json(s.Result))) << s.Data.dump();
    EXPECT_EQ(Ask(80001).second, s.Active) << s.Data.dump();
  }
  EXPECT_TRUE(UI.Dialogs.empty());
  // The platform got catalogue palettes only, "Windows" as none.
  ASSERT_FALSE(UI.AppliedThemes.empty());
  EXPECT_EQ(UI.AppliedThemes.back(), nullptr);
  EXPECT_EQ(UI.AppliedThemes.front(), FindTheme("Windows10 Dark")->Palette);
}

}  // namespace

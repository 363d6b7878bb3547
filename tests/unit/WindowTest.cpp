#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "AppFixture.h"
#include "core/WindowValues.h"

using namespace zel;
using namespace zel::test;
using json = nlohmann::json;

TEST(WindowValues, ZoomFactorText) {
  const struct {
    double Factor;
    const char* Separator;
    const char* Text;
  } cases[] = {
      {1.0, ".", "1"},
      {1.5, ".", "1.5"},
      {1.5, ",", "1,5"},
      {1.25, ",", "1,25"},
      {0.0, ".", "0"},
      {0.1 + 0.2, ".", "0.3"},  // 15 digits hide the binary noise
      {1.0 / 3.0, ".", "0.333333333333333"},
      {123456789012345678.0, ".", "1.23456789012346e+17"},
      {2.5, "\xd9\xab",
       "2\xd9\xab"
       "5"},  // an Arabic decimal separator
  };
  for (const auto& c : cases) EXPECT_EQ(FormatZoomFactor(c.Factor, c.Separator), c.Text) << c.Text;
}

TEST(WindowValues, ZoomFactorParsing) {
  const struct {
    const char* Text;
    std::optional<double> Factor;
  } cases[] = {
      {"1.5", 1.5}, {"2", 2.0},        {"+0.75", 0.75}, {".5", 0.5},   {"3.", 3.0},
      {"1e0", 1.0}, {"15E-1", 1.5},    {"-1", -1.0},    {"0", 0.0},    {"", {}},
      {"1,5", {}},  {"1.5x", {}},      {" 1.5", {}},    {"1.5 ", {}},  {"nan", {}},
      {"inf", {}},  {"-infinity", {}}, {"0x1p0", {}},   {"1e", {}},    {"1e+", {}},
      {".", {}},    {"+", {}},         {"1.000,5", {}}, {"1.2.3", {}}, {"1e999", {}},
      {"--1", {}},  {"true", {}},      {"1_000", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseZoomFactor(c.Text), c.Factor) << '"' << c.Text << '"';
}

// The parser must not follow the process's numeric locale.
TEST(WindowValues, ZoomFactorIgnoresNumericLocale) {
  const std::string old = setlocale(LC_NUMERIC, nullptr);
  if (!setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
  EXPECT_EQ(ParseZoomFactor("1.5"), 1.5);
  EXPECT_EQ(ParseZoomFactor("1,5"), std::nullopt);
  EXPECT_EQ(FormatZoomFactor(1.5, ","), "1,5");
  EXPECT_EQ(FormatZoomFactor(1.5, "."), "1.5");
  setlocale(LC_NUMERIC, old.c_str());
}

TEST(WindowValues, BoundsValues) {
  const struct {
    const char* Text;
    int Expected;
  } extents[] = {
      {"1024", 1024},
      {"+7", 7},
      {"0", 1},
      {"-5", 1},
      {"32767", 32767},
      {"32768", 32767},
      {"99999999999999999999999", 32767},
      {"100.5", 640},
      {"100.0", 640},
      {"abc", 640},
      {"", 640},
      {" 10", 640},
      {"10px", 640},
      {"true", 640},
      {"-", 640},
  };
  for (const auto& c : extents)
    EXPECT_EQ(WindowBoundsValue(c.Text, 640, kMinWindowExtent, kMaxWindowExtent), c.Expected)
        << c.Text;
  EXPECT_EQ(WindowBoundsValue("-40000", 5, kMinWindowCoordinate, kMaxWindowCoordinate), -32768);
  EXPECT_EQ(WindowBoundsValue("-20", 5, kMinWindowCoordinate, kMaxWindowCoordinate), -20);
  EXPECT_EQ(
      WindowBoundsValue("-99999999999999999999", 5, kMinWindowCoordinate, kMaxWindowCoordinate),
      -32768);
}

namespace {

class WindowBridgeTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Open(kAppIni);
    Main->Show();
  }

  // The reply's result, or nothing when the request got no reply.
  std::optional<json> Ask(const std::string& name, const json& data = json::object()) {
    static const std::map<std::string, int> ids = {
        {"getStyle", 60001}, {"setStyle", 60002}, {"getState", 60003},  {"getTitle", 60005},
        {"setState", 60004}, {"setTitle", 60006}, {"getZoom", 60007},   {"setZoom", 60008},
        {"getSize", 60009},  {"setSize", 60010},  {"getBorder", 60011}, {"setBorder", 60012}};
    const auto replies = Call(json{{"id", ids.at(name)}, {"uuid", "w"}, {"data", data}}.dump());
    if (replies.empty()) return std::nullopt;
    EXPECT_EQ(replies.size(), 1u);
    const json reply = json::parse(replies[0]);
    EXPECT_TRUE(reply["success"].get<bool>()) << name;
    return reply["result"];
  }
  json Ok(const std::string& name, const json& data = json::object()) {
    const auto r = Ask(name, data);
    EXPECT_TRUE(r) << name << " " << data.dump();
    return r.value_or(json());
  }
  TCustomEdgeBrowser& Browser() { return *Main->FBrowserForm->FEdgeBrowser; }
};

}  // namespace

TEST_F(WindowBridgeTest, StyleWords) {
  const struct {
    json Data;
    bool OnTop;
  } cases[] = {
      {{{"style", "ontop"}}, true},  {{{"style", "Ontop"}}, false}, {{{"style", "ontop"}}, true},
      {json::object(), false},       {{{"style", "ontop"}}, true},  {{{"style", ""}}, false},
      {{{"style", nullptr}}, false}, {{{"style", 1}}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ok("setStyle", c.Data), true);
    EXPECT_EQ(Form().OnTop, c.OnTop) << c.Data.dump();
    EXPECT_EQ(Ok("getStyle"), c.OnTop ? "ontop" : "normal");
  }
}

TEST_F(WindowBridgeTest, StateWordsWithoutTray) {
  const struct {
    json Data;
    TWindowState State;
    const char* Word;
  } cases[] = {
      {{{"state", "maximized"}}, TWindowState::wsMaximized, "maximized"},
      {{{"state", "Minimized"}}, TWindowState::wsMaximized, "maximized"},
      {{{"state", ""}}, TWindowState::wsMaximized, "maximized"},
      {{{"state", "minimized"}}, TWindowState::wsMinimized, "minimized"},
      {json::object(), TWindowState::wsNormal, "normal"},
      {{{"state", "minimized"}}, TWindowState::wsMinimized, "minimized"},
      {{{"state", nullptr}}, TWindowState::wsNormal, "normal"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ok("setState", c.Data), true) << c.Data.dump();
    EXPECT_EQ(Form().State, c.State) << c.Data.dump();
    EXPECT_EQ(Ok("getState"), c.Word);
    EXPECT_TRUE(Form().IsVisible) << "only the tray icon makes minimizing hide";
  }
  EXPECT_EQ(Form().Presents, 0);
}

TEST_F(WindowBridgeTest, TrayIconMakesMinimizeHideAndRestoreShow) {
  Bridge().FTrayIconVisible = true;
  Ok("setState", {{"state", "minimized"}});
  EXPECT_FALSE(Form().IsVisible);
  EXPECT_EQ(Form().State, TWindowState::wsMinimized);
  Ok("setState", {{"state", "normal"}});
  EXPECT_TRUE(Form().IsVisible);
  EXPECT_EQ(Form().Presents, 1);
  Ok("setState", {{"state", "maximized"}});
  EXPECT_EQ(Form().Presents, 2) << "brought to the front while the tray icon shows";
  EXPECT_EQ(Form().State, TWindowState::wsMaximized);
}

// Hidden to the tray, then the tray icon went away: restoring must still
// bring the window back, or nothing ever could.
TEST_F(WindowBridgeTest, HiddenWindowComesBackAfterTheTrayIconWent) {
  for (const char* word : {"normal", "maximized"}) {
    Bridge().FTrayIconVisible = true;
    Ok("setState", {{"state", "minimized"}});
    ASSERT_FALSE(Form().IsVisible);
    Bridge().FTrayIconVisible = false;
    Ok("setState", {{"state", word}});
    EXPECT_TRUE(Form().IsVisible) << word;
  }
  Ok("setState", {{"state", "minimized"}});
  EXPECT_TRUE(Form().IsVisible);
}

TEST_F(WindowBridgeTest, TitleRoundTrip) {
  EXPECT_EQ(Ok("getTitle"), "Demo App");
  for (const std::string& title :
       {std::string("a\"b\\c\n\t\x01"), std::string(), std::string("\xe2\x82\xac")}) {
    EXPECT_EQ(Ok("setTitle", {{"title", title}}), true);
    EXPECT_EQ(Ok("getTitle"), title);
  }
  Ok("setTitle", {{"title", 12.5}});
  EXPECT_EQ(Ok("getTitle"), "12.5");
  Ok("setTitle", json::object());
  EXPECT_EQ(Ok("getTitle"), "");
  const std::string big(1 << 20, 'x');
  Ok("setTitle", {{"title", big}});
  EXPECT_EQ(Ok("getTitle"), big);
}

TEST_F(WindowBridgeTest, ZoomSetAndGet) {
  const struct {
    json Data;
    bool Parsed;
    const char* After;
  } cases[] = {
      {{{"factor", 1.5}}, true, "1.5"},     {{{"factor", "2"}}, true, "2"},
      {{{"factor", "1,5"}}, false, "1"},    {{{"factor", "1.25"}}, true, "1.25"},
      {json::object(), false, "1"},         {{{"factor", "0.5"}}, true, "0.5"},
      {{{"factor", "nan"}}, false, "1"},    {{{"factor", 3}}, true, "3"},
      {{{"factor", true}}, false, "1"},     {{{"factor", "0x2p0"}}, false, "1"},
      {{{"factor", "1.5abc"}}, false, "1"}, {{{"factor", nullptr}}, false, "1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ok("setZoom", c.Data), c.Parsed) << c.Data.dump();
    EXPECT_EQ(Ok("getZoom"), c.After) << c.Data.dump();
  }
}

TEST_F(WindowBridgeTest, RefusedZoomKeepsTheFactor) {
  Ok("setZoom", {{"factor", "1.5"}});
  for (const char* factor : {"0", "-2", "-0"}) {
    EXPECT_EQ(Ok("setZoom", {{"factor", factor}}), true) << factor;
    EXPECT_EQ(Ok("getZoom"), "1.5") << factor;
  }
}

TEST_F(WindowBridgeTest, SizeChangesOnlyWhatIsNamed) {
  Main->Peer().SetBounds(100, 50, 800, 600);
  EXPECT_EQ(Ok("getSize").dump(), R"({"height":600,"left":100,"top":50,"width":800})");
  const auto replies = Call(R"({"id": 60009, "uuid": "s", "data": {}})");
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], R"({"uuid": "s", "success": true, "result": {"top": 50, "left": 100, )"
                        R"("width": 800, "height": 600}})");
  const struct {
    json Data;
    TRect Bounds;
  } cases[] = {
      {{{"width", 1024}}, {100, 50, 1124, 650}},
      {{{"left", "10"}, {"top", 20}}, {10, 20, 1034, 620}},
      {json::object(), {10, 20, 1034, 620}},
      {{{"width", -5}, {"height", 0}}, {10, 20, 11, 21}},
      {{{"width", 100000}, {"height", "300"}}, {10, 20, 32777, 320}},
      {{{"left", 100.5}, {"top", "abc"}, {"width", 640}}, {10, 20, 650, 320}},
      {{{"left", -99999}, {"top", 99999}}, {-32768, 32767, -32128, 33067}},
      {{{"left", nullptr}, {"top", true}, {"height", "480"}}, {-32768, 32767, -32128, 33247}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ok("setSize", c.Data), true) << c.Data.dump();
    EXPECT_EQ(Form().BoundsRect, c.Bounds) << c.Data.dump();
  }
}

TEST_F(WindowBridgeTest, BorderWordsAndNoReply) {
  const struct {
    json Data;
    TFormBorderStyle Style;
    const char* Word;
  } cases[] = {
      {{{"border", "none"}}, TFormBorderStyle::bsNone, "none"},
      {{{"border", "single"}}, TFormBorderStyle::bsSingle, "single"},
      {{{"border", "Dialog"}}, TFormBorderStyle::bsSingle, "single"},
      {{{"border", ""}}, TFormBorderStyle::bsSingle, "single"},
      {{{"border", "dialog"}}, TFormBorderStyle::bsDialog, "dialog"},
      {{{"border", "toolwindow"}}, TFormBorderStyle::bsToolWindow, "toolwindow"},
      {{{"border", 3}}, TFormBorderStyle::bsToolWindow, "toolwindow"},
      {{{"border", "sizetoolwindow"}}, TFormBorderStyle::bsSizeToolWin, "sizetoolwindow"},
      {json::object(), TFormBorderStyle::bsSizeable, "sizeable"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ask("setBorder", c.Data), std::nullopt) << c.Data.dump();
    EXPECT_EQ(Form().Border, c.Style) << c.Data.dump();
    EXPECT_EQ(Ok("getBorder"), c.Word);
  }
}

// Arrays and objects where text is read: no reply and nothing changed.
TEST_F(WindowBridgeTest, WrongTypesChangeNothing) {
  const TRect before = Form().BoundsRect;
  const std::pair<const char*, const char*> fields[] = {
      {"setStyle", "style"}, {"setState", "state"}, {"setTitle", "title"},   {"setZoom", "factor"},
      {"setSize", "width"},  {"setSize", "top"},    {"setBorder", "border"},
  };
  for (const auto& [name, field] : fields)
    for (const json& value : {json::array({1}), json{{"a", 1}}})
      EXPECT_EQ(Ask(name, {{field, value}}), std::nullopt) << name << " " << field;
  EXPECT_EQ(Form().BoundsRect, before);
  EXPECT_EQ(Form().CaptionText, "Demo App");
  EXPECT_EQ(Form().Border, TFormBorderStyle::bsSizeable);
  EXPECT_EQ(Ok("getZoom"), "1");
}

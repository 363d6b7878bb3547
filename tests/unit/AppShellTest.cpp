// The application and shell functions against the fake window and shell.
#include <gtest/gtest.h>

#include <algorithm>

#include "AppFixture.h"
#include "ports/System.h"

using namespace zel;
using namespace zel::test;
using json = nlohmann::json;

namespace {

class AppShellTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Open(kAppIni);
  }

  // The raw reply texts of one request.
  std::vector<std::string> Send(int id, const json& data = json::object()) {
    return Call(json{{"id", id}, {"uuid", "u"}, {"data", data}}.dump());
  }
  static std::string Reply(bool success, const std::string& result) {
    return std::string(R"({"uuid": "u", "success": )") + (success ? "true" : "false") +
           ", \"result\": " + result + "}";
  }
  void Expect(int id, const json& data, bool success, const std::string& result) {
    EXPECT_EQ(Send(id, data), std::vector<std::string>{Reply(success, result)})
        << id << " " << data.dump();
  }

  TFakeShell& Shell() { return UI.FakeShell; }
};

}  // namespace

TEST_F(AppShellTest, FullscreenEntersOnceAndExitsToTheConfiguredBorder) {
  Expect(50002, json::object(), true, "false");
  EXPECT_TRUE(Send(50003).empty());
  EXPECT_EQ(Form().Border, TFormBorderStyle::bsNone);
  EXPECT_EQ(Form().State, TWindowState::wsMaximized);
  Expect(50002, json::object(), true, "true");
  // A second request changes nothing.
  Form().State = TWindowState::wsNormal;
  EXPECT_TRUE(Send(50003).empty());
  EXPECT_EQ(Form().State, TWindowState::wsNormal);

  EXPECT_TRUE(Send(50004).empty());
  EXPECT_EQ(Form().Border, TFormBorderStyle::bsSizeable);
  Expect(50002, json::object(), true, "false");
  Form().Border = TFormBorderStyle::bsToolWindow;
  EXPECT_TRUE(Send(50004).empty());
  EXPECT_EQ(Form().Border, TFormBorderStyle::bsToolWindow);
}

TEST_F(AppShellTest, ExitFullscreenBorderFromConfiguration) {
  const std::pair<const char*, TFormBorderStyle> cases[] = {
      {"WindowBorder=3\n", TFormBorderStyle::bsDialog},
      {"WindowBorder=0\n", TFormBorderStyle::bsNone},
      {"WindowBorder=5\n", TFormBorderStyle::bsSizeToolWin},
      {"WindowBorder=6\n", TFormBorderStyle::bsSizeable},
      {"WindowBorder=-1\n", TFormBorderStyle::bsSizeable},
      {"WindowBorder=x\n", TFormBorderStyle::bsSizeable},
  };
  for (const auto& [setting, border] : cases) {
    Open(std::string(kAppIni) + "WindowStyle=1\n" + setting);
    Expect(50002, json::object(), true, "true");
    EXPECT_TRUE(Send(50004).empty());
    EXPECT_EQ(Form().State, TWindowState::wsNormal) << setting;
    EXPECT_EQ(Form().Border, border) << setting;
  }
}

TEST_F(AppShellTest, GetArgsListsTheProgramAndItsArguments) {
  Open(kAppIni, {}, {"one", "two words", "quote\"d", "caf\xc3\xa9"});
  const auto replies = Send(50005);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(json::parse(replies[0])["result"],
            json::array({sys::GetExecutablePath(), "one", "two words", "quote\"d", "caf\xc3\xa9"}));
  // No blanks between the elements.
  EXPECT_NE(replies[0].find(R"(","one","two words",)"), std::string::npos);
}

TEST_F(AppShellTest, Navigate) {
  Expect(50006, json::object(), false, R"("Missing url")");
  Expect(50006, {{"url", ""}}, false, R"("Missing url")");
  Fake().ClearCalls();
  Expect(50006, {{"url", "file:///other.html"}}, true, "true");
  const auto calls = Fake().Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "Navigate file:///other.html"), calls.end());
}

TEST_F(AppShellTest, ExecuteAndExploreReportTheSystemMessage) {
  Expect(70001, json::object(), false, R"("Missing filePath")");
  Expect(70002, {{"filePath", ""}}, false, R"("Missing filePath")");
  Expect(70001, {{"filePath", "notes.txt"}}, true, "true");
  Expect(70001, {{"filePath", "/bin/prog"}, {"arguments", "a \"b c\""}}, true, "true");
  EXPECT_EQ(Shell().Executed,
            (std::vector<std::vector<std::string>>{{"notes.txt", ""}, {"/bin/prog", "a \"b c\""}}));
  Expect(70002, {{"filePath", "a b/c.txt"}}, true, "true");
  // Unresolved: the shell gets the page's text.
  EXPECT_EQ(Shell().Explored, std::vector<std::string>{"a b/c.txt"});

  Shell().FailWith = "No such file \"x\"";
  Expect(70001, {{"filePath", "x"}}, false, R"("No such file \"x\"")");
  Expect(70002, {{"filePath", "x"}}, false, R"("No such file \"x\"")");
}

TEST_F(AppShellTest, CommandOutputAndShowWindow) {
  Expect(70003, json::object(), false, R"("Missing command")");
  Shell().Output = std::string("line \"q\"\r\n") + '\0' + "after\xff";
  Expect(70003, {{"command", "echo"}}, true, R"("line \"q\"\r\n\u0000after\ufffd")");
  Send(70003, {{"command", "a"}, {"workingDir", "/w"}, {"showWindow", "true"}});
  Send(70003, {{"command", "b"}, {"showWindow", true}});
  Send(70003, {{"command", "c"}, {"showWindow", "TRUE"}});
  Send(70003, {{"command", "d"}, {"showWindow", 1}});
  EXPECT_EQ(Shell().Commands, (std::vector<std::vector<std::string>>{{"echo", "", "hide"},
                                                                     {"a", "/w", "show"},
                                                                     {"b", "", "show"},
                                                                     {"c", "", "hide"},
                                                                     {"d", "", "hide"}}));
}

TEST_F(AppShellTest, WindowTitles) {
  Expect(70004, json::object(), true, "[]");
  Shell().Titles = {"He said \"hi\" \\ ok", "  lead", "  lead"};
  Expect(70004, json::object(), true, R"(["He said \"hi\" \\ ok","  lead","  lead"])");
}

// Every function of both groups, fed values of the wrong type: an answer by
// the rules or no answer at all, never a crash.
TEST_F(AppShellTest, WrongTypesNeverCrash) {
  const json values[] = {
      42, 1.5, true, json::array({1, "a"}), json{{"k", "v"}}, nullptr, std::string(1 << 20, 'x')};
  const char* fields[] = {"url", "filePath", "arguments", "command", "workingDir", "showWindow"};
  for (int id : {50002, 50003, 50004, 50005, 50006, 70001, 70002, 70003, 70004}) {
    for (const json& value : values) {
      json data = json::object();
      for (const char* f : fields) data[f] = value;
      for (const json& d : {data, value}) {
        const auto replies = Send(id, d);
        EXPECT_LE(replies.size(), 1u) << id;
        for (const std::string& r : replies) EXPECT_TRUE(json::accept(r)) << id;
      }
    }
  }
  EXPECT_TRUE(UI.Exceptions.empty());
}

// The registry functions through the bridge, on this platform's registry:
// Linux uses a store in a temporary configuration folder; Windows (Wine)
// the real registry below a test key that is removed afterwards.
#include "AppFixture.h"
#include "ports/System.h"

using namespace zel;
using namespace zel::test;
using json = nlohmann::json;

namespace {

enum : int {
  kWrite = 13001,
  kRead = 13002,
  kValueExist = 13003,
  kDeleteValue = 13004,
  kKeyExist = 13005,
  kDeleteKey = 13006
};

const char* const kTestKey = "Software\\ZelUnitTest";

class RegistryHandlersTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    FOldConfig = sys::GetEnv("XDG_CONFIG_HOME");
    sys::SetEnv("XDG_CONFIG_HOME", Dir.Str());
    Open(kAppIni);
    Ask(kDeleteKey, {{"key", kTestKey}});
  }
  void TearDown() override {
    Ask(kDeleteKey, {{"key", kTestKey}});
    sys::SetEnv("XDG_CONFIG_HOME", FOldConfig);
    AppFixture::TearDown();
  }

  // The reply as {"ok": result} or {"error": result}; null for no reply.
  json Ask(int id, const json& data) {
    const auto replies = Call(json{{"id", id}, {"uuid", "u"}, {"data", data}}.dump());
    if (replies.empty()) return nullptr;
    EXPECT_EQ(replies.size(), 1u);
    const json reply = json::parse(replies[0]);
    return {{reply["success"].get<bool>() ? "ok" : "error", reply["result"]}};
  }
  static json Ok(const json& v) { return {{"ok", v}}; }
  static json Error(const char* text) { return {{"error", text}}; }
  static std::string Sub(const std::string& path) { return std::string(kTestKey) + "\\" + path; }

  TTempDir Dir;
  std::string FOldConfig;
};

TEST_F(RegistryHandlersTest, WriteReadAndDeleteAcrossCases) {
  EXPECT_EQ(Ask(kKeyExist, {{"key", Sub("Sub")}}), Ok(false));
  EXPECT_EQ(Ask(kWrite, {{"key", Sub("Sub")}, {"name", "Greeting"}, {"value", "hi \"you\""}}),
            Ok(true));
  EXPECT_EQ(Ask(kRead, {{"key", "\\SOFTWARE\\zelunittest\\SUB"}, {"name", "greeting"}}),
            Ok("hi \"you\""));
  EXPECT_EQ(Ask(kValueExist, {{"key", Sub("sub\\")}, {"name", "GREETING"}}), Ok(true));
  EXPECT_EQ(Ask(kWrite, {{"key", Sub("Sub")}, {"name", "Empty"}}), Ok(true));
  EXPECT_EQ(Ask(kRead, {{"key", Sub("Sub")}, {"name", "Empty"}}), Ok(""));
  EXPECT_EQ(Ask(kValueExist, {{"key", Sub("Sub")}, {"name", "Empty"}}), Ok(true));
  EXPECT_EQ(Ask(kWrite, {{"key", Sub("N")}, {"name", "n"}, {"value", 42}}), Ok(true));
  EXPECT_EQ(Ask(kRead, {{"key", Sub("N")}, {"name", "n"}}), Ok("42"));

  EXPECT_EQ(Ask(kDeleteValue, {{"key", Sub("Sub")}, {"name", "greeting"}}), Ok(true));
  EXPECT_EQ(Ask(kDeleteValue, {{"key", Sub("Sub")}, {"name", "greeting"}}), Ok(false));
  EXPECT_EQ(Ask(kRead, {{"key", Sub("Sub")}, {"name", "Greeting"}}), Ok(""));
  EXPECT_EQ(Ask(kDeleteValue, {{"key", Sub("Missing")}, {"name", "x"}}), Ok(false));
  EXPECT_EQ(Ask(kValueExist, {{"key", Sub("Missing")}, {"name", "x"}}), Ok(false));
  EXPECT_EQ(Ask(kRead, {{"key", Sub("Missing")}, {"name", "x"}}), Ok(""));

  EXPECT_EQ(Ask(kDeleteKey, {{"key", kTestKey}}), Ok(true));
  EXPECT_EQ(Ask(kKeyExist, {{"key", Sub("Sub")}}), Ok(false));
  EXPECT_EQ(Ask(kDeleteKey, {{"key", kTestKey}}), Ok(false));
}

TEST_F(RegistryHandlersTest, KeyPathsThatNameNoKeyAndTheRoot) {
  ASSERT_EQ(Ask(kWrite, {{"key", Sub("Keep")}, {"name", "v"}, {"value", "1"}}), Ok(true));
  for (const char* root : {"\\", "\\\\\\"}) {
    EXPECT_EQ(Ask(kDeleteKey, {{"key", root}}), Ok(false)) << root;
    EXPECT_EQ(Ask(kKeyExist, {{"key", root}}), Ok(true)) << root;
  }
  EXPECT_EQ(Ask(kRead, {{"key", Sub("Keep")}, {"name", "v"}}), Ok("1"));

  const std::string empty = Sub("a\\\\b");
  EXPECT_EQ(Ask(kWrite, {{"key", empty}, {"name", "v"}, {"value", "x"}}), Ok(false));
  EXPECT_EQ(Ask(kRead, {{"key", empty}, {"name", "v"}}), Ok(""));
  EXPECT_EQ(Ask(kValueExist, {{"key", empty}, {"name", "v"}}), Ok(false));
  EXPECT_EQ(Ask(kDeleteValue, {{"key", empty}, {"name", "v"}}), Ok(false));
  EXPECT_EQ(Ask(kKeyExist, {{"key", empty}}), Ok(false));
  EXPECT_EQ(Ask(kDeleteKey, {{"key", empty}}), Ok(false));
  EXPECT_EQ(Ask(kKeyExist, {{"key", Sub("a")}}), Ok(false));

  // "." and ".." are names like any other.
  EXPECT_EQ(Ask(kWrite, {{"key", Sub("..\\.")}, {"name", "v"}, {"value", "dots"}}), Ok(true));
  EXPECT_EQ(Ask(kRead, {{"key", Sub("..\\.")}, {"name", "v"}}), Ok("dots"));
  EXPECT_EQ(Ask(kKeyExist, {{"key", "Software\\ZelUnitTest\\..\\..\\Software"}}), Ok(false));
}

TEST_F(RegistryHandlersTest, MissingFieldsAreAnsweredFirst) {
  const json missingKey = Error("Missing registry key.");
  const json missingName = Error("Missing value name.");
  for (int id : {kWrite, kRead, kValueExist, kDeleteValue}) {
    EXPECT_EQ(Ask(id, json::object()), missingKey) << id;
    EXPECT_EQ(Ask(id, {{"key", ""}, {"name", "v"}}), missingKey) << id;
    EXPECT_EQ(Ask(id, {{"key", nullptr}, {"name", "v"}}), missingKey) << id;
    EXPECT_EQ(Ask(id, {{"key", Sub("K")}}), missingName) << id;
    EXPECT_EQ(Ask(id, {{"key", Sub("K")}, {"name", ""}}), missingName) << id;
  }
  for (int id : {kKeyExist, kDeleteKey}) {
    EXPECT_EQ(Ask(id, json::object()), missingKey) << id;
    EXPECT_EQ(Ask(id, {{"key", ""}}), missingKey) << id;
  }
  EXPECT_EQ(Ask(kKeyExist, {{"key", Sub("K")}}), Ok(false));
}

// Every field of every function given the wrong kind of value: numbers and
// booleans read as their text, null as missing, arrays and objects get no
// reply (and change nothing), 1 MB of text gives the failure result or,
// as a value, is stored whole.
TEST_F(RegistryHandlersTest, WrongInputNeverCrashes) {
  const std::string huge(1 << 20, 'h');
  const json bad[] = {json::array({1}), json::object({{"a", 1}})};
  const int all[] = {kWrite, kRead, kValueExist, kDeleteValue, kKeyExist, kDeleteKey};
  for (int id : all) {
    for (const json& value : bad) {
      EXPECT_EQ(Ask(id, {{"key", value}, {"name", "v"}}), nullptr) << id << value;
      if (id != kKeyExist && id != kDeleteKey) {
        EXPECT_EQ(Ask(id, {{"key", Sub("W")}, {"name", value}}), nullptr) << id << value;
      }
    }
    EXPECT_EQ(Ask(id, {{"key", huge}, {"name", "v"}}), id == kRead ? Ok("") : Ok(false)) << id;
  }
  for (const json& value : bad)
    EXPECT_EQ(Ask(kWrite, {{"key", Sub("W")}, {"name", "v"}, {"value", value}}), nullptr);
  EXPECT_EQ(Ask(kKeyExist, {{"key", Sub("W")}}), Ok(false));

  EXPECT_EQ(Ask(kWrite, {{"key", Sub("W")}, {"name", huge}, {"value", "x"}}), Ok(false));
  EXPECT_EQ(Ask(kRead, {{"key", Sub("W")}, {"name", huge}}), Ok(""));
  EXPECT_EQ(Ask(kWrite, {{"key", Sub("W")}, {"name", 7}, {"value", huge}}), Ok(true));
  EXPECT_EQ(Ask(kRead, {{"key", Sub("W")}, {"name", "7"}}), Ok(huge));
  EXPECT_EQ(Ask(kWrite, {{"key", Sub("W")}, {"name", true}, {"value", 1.5}}), Ok(true));
  EXPECT_EQ(Ask(kRead, {{"key", Sub("W")}, {"name", "TRUE"}}), Ok("1.5"));
  EXPECT_EQ(Ask(kWrite, {{"key", Sub("W")}, {"name", "n"}, {"value", nullptr}}), Ok(true));
  EXPECT_EQ(Ask(kRead, {{"key", Sub("W")}, {"name", "n"}}), Ok(""));
  EXPECT_EQ(Ask(kKeyExist, {{"key", 12}}), Ok(false));
}

}  // namespace

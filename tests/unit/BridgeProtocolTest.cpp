#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>

#include "core/BridgeProtocol.h"
#include "host/browser/Resources.h"

using namespace zel;
using json = nlohmann::json;

TEST(BridgeProtocolTest, ReplyFormat) {
  EXPECT_EQ(
      FormatBridgeReply("1b4e28ba-2fa1-41d2-883f-0016d3cca427", "\"2025.2\"", true),
      R"({"uuid": "1b4e28ba-2fa1-41d2-883f-0016d3cca427", "success": true, "result": "2025.2"})");
  EXPECT_EQ(FormatBridgeReply("u", "\"Missing url\"", false),
            R"({"uuid": "u", "success": false, "result": "Missing url"})");
  EXPECT_EQ(FormatBridgeReply("u", "[]", true), R"({"uuid": "u", "success": true, "result": []})");
}

TEST(BridgeProtocolTest, ReadingTextFields) {
  const json data = json::parse(
      R"({"s": "text", "n": 42, "f": 1.5, "t": true, "b": false, "z": null, "o": {}, "a": [1]})");
  struct Case {
    const char* key;
    const char* value;
  } cases[] = {{"s", "text"},  {"n", "42"},   {"f", "1.5"},       {"t", "true"},
               {"b", "false"}, {"z", "dflt"}, {"missing", "dflt"}};
  for (const Case& c : cases) EXPECT_EQ(ReadTextField(data, c.key, "dflt"), c.value) << c.key;
  EXPECT_THROW(ReadTextField(data, "o"), EBridgeArgument);
  EXPECT_THROW(ReadTextField(data, "a"), EBridgeArgument);
  EXPECT_TRUE(ReadBoolField(data, "t", false));
  EXPECT_FALSE(ReadBoolField(data, "b", true));
  EXPECT_TRUE(ReadBoolField(data, "missing", true));
  EXPECT_TRUE(ReadBoolField(data, "z", true));
  EXPECT_THROW(ReadBoolField(data, "s", false), EBridgeArgument);
}

TEST(BridgeProtocolTest, ParsingRequests) {
  const auto ok = ParseBridgeRequest(R"({"id": "10001", "uuid": "u", "data": {"a": 1}})");
  EXPECT_EQ(ok.IdText, "10001");
  EXPECT_EQ(ParseBridgeRequest(R"({"id": 10001, "uuid": "u", "data": {}})").IdText, "10001");
  for (const char* bad :
       {R"("a plain string")", R"({"id": 10001, "uuid": "u"})",
        R"({"id": 10001, "uuid": "u", "data": []})", R"({"id": 10001, "uuid": "u", "data": "x"})",
        R"({"uuid": "u", "data": {}})", R"({"id": 10001, "data": {}})", "{not json", ""})
    EXPECT_THROW(ParseBridgeRequest(bad), EBridgeArgument) << bad;
}

TEST(BridgeProtocolTest, ResolveLocalPath) {
  struct Case {
    const char* path;
    char delim;
    const char* resolved;
  } cases[] = {
      {"data/a.txt", '\\', "C:\\App\\data\\a.txt"},
      {"/data/a.txt", '\\', "C:\\App\\\\data\\a.txt"},
      {"C:/Temp/x.txt", '\\', "C:/Temp/x.txt"},
      {"d:\\x", '\\', "d:\\x"},
      {"\\\\server\\share\\f", '\\', "\\\\server\\share\\f"},
      {"data/a.txt", '/', "/opt/app/data/a.txt"},
      {"/etc/hosts", '/', "/etc/hosts"},
      {"C:/x", '/', "/opt/app/C:/x"},
  };
  for (const Case& c : cases) {
    const char* base = c.delim == '\\' ? "C:\\App\\" : "/opt/app/";
    EXPECT_EQ(ResolveLocalPath(c.path, base, c.delim), c.resolved) << c.path;
  }
}

// The page script offers exactly the functions the host knows, with the same
// ids, and sends the caller's object only for functions that take one.
TEST(BridgeProtocolTest, PageScriptMatchesTheFunctionTable) {
  const std::string script(resources::ZEL_EXTERNAL_JAVASCRIPT);
  const std::regex member(
      R"((\w+): function \((args)?\) \{ return (?:this|window\.zel)\.call\((\d+), (args|\{\})\); \})");
  std::set<int> seen;
  for (auto it = std::sregex_iterator(script.begin(), script.end(), member);
       it != std::sregex_iterator(); ++it) {
    const int id = std::stoi((*it)[3]);
    const TBridgeFunction* f = FindBridgeFunction(id);
    ASSERT_TRUE(f) << id;
    EXPECT_EQ((*it)[1], std::string(f->Name)) << id;
    EXPECT_EQ((*it)[4] == "args", f->TakesData) << id;
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), kBridgeFunctions.size());
  std::ifstream typings(ZEL_SOURCE_DIR "/src/resources/zel.d.ts");
  const std::string dts((std::istreambuf_iterator<char>(typings)),
                        std::istreambuf_iterator<char>());
  for (const TBridgeFunction& f : kBridgeFunctions)
    EXPECT_NE(dts.find(std::string(f.Name) + "("), std::string::npos) << f.Name;
}

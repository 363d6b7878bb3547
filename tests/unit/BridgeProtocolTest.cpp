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

TEST(BridgeProtocolTest, ReplyKeepsAnyUuidTheOneString) {
  // What a page may send as its uuid comes back as the same string, and the
  // reply stays one object with its three members.
  for (const char* uuid : {"a\\", "\\", "x\"", "u\", \"success\": true, \"x\": \"", "line\nfeed",
                           "nul\x01", "</script>", "caf\xC3\xA9", "12345", ""}) {
    const json reply = json::parse(FormatBridgeReply(uuid, "\"r\"", false));
    EXPECT_EQ(reply.size(), 3u) << uuid;
    EXPECT_EQ(reply["uuid"], uuid);
    EXPECT_EQ(reply["success"], false) << uuid;
  }
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

// Nesting is counted outside strings only: brackets in texts (a menu list,
// file contents) are free.
TEST(BridgeProtocolTest, RequestsNestingTooDeepAreRefused) {
  auto nested = [](std::size_t depth) {
    return R"({"id": 1, "uuid": "u", "data": {"x": )" + std::string(depth, '[') +
           std::string(depth, ']') + "}}";
  };
  EXPECT_NO_THROW(ParseBridgeRequest(nested(kMaxBridgeNesting - 2)));
  EXPECT_THROW(ParseBridgeRequest(nested(kMaxBridgeNesting - 1)), EBridgeArgument);
  EXPECT_THROW(ParseBridgeRequest(nested(1000000)), EBridgeArgument);
  const std::string brackets(100000, '[');
  const TBridgeRequest text = ParseBridgeRequest(
      R"({"id": 1, "uuid": "u\"[", "data": {"items": ")" + brackets + R"(\"\\["}})");
  EXPECT_EQ(text.Uuid, "u\"[");
  EXPECT_EQ(text.Data["items"], brackets + "\"\\[");
}

// JavaScript strings may hold lone surrogates; JSON.stringify writes them as
// escapes, which arrive here and become U+FFFD instead of spoiling the request.
TEST(BridgeProtocolTest, LoneSurrogatesBecomeReplacementCharacters) {
  struct Case {
    const char* escaped;
    const char* text;
  } cases[] = {
      {R"(\ud800)", "\xEF\xBF\xBD"},
      {R"(a\uDFFFb)",
       "a\xEF\xBF\xBD"
       "b"},
      {R"(\udc00\ud800)", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {R"(\ud800\u0041)",
       "\xEF\xBF\xBD"
       "A"},
      {R"(\ud83d\ude00 \ud83d)", "\xF0\x9F\x98\x80 \xEF\xBF\xBD"},
      {R"(\\ud800 \ud800)", "\\ud800 \xEF\xBF\xBD"},
      {R"(\"\ud800\\)", "\"\xEF\xBF\xBD\\"},
  };
  for (const Case& c : cases) {
    const std::string message =
        std::string(R"({"id": 30001, "uuid": "u\udbff", "data": {"s": ")") + c.escaped + "\"}}";
    const TBridgeRequest r = ParseBridgeRequest(message);
    EXPECT_EQ(r.Data["s"].get<std::string>(), c.text) << c.escaped;
    EXPECT_EQ(r.Uuid, "u\xEF\xBF\xBD");
  }
  EXPECT_THROW(ParseBridgeRequest(R"({"id": 1, "uuid": "u", "data": {"s": "\ud8"}})"),
               EBridgeArgument);
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

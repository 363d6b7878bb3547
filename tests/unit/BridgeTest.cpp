#include <algorithm>
#include <filesystem>

#include "AppFixture.h"
#include "core/FileSystem.h"
#include "ports/System.h"

using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

class BridgeTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Open(kAppIni, {{"app/data/list.json", R"([1,2,3])"}});
    Base = Dir.Str() + "/";
  }

  // Calls one function with a data object; the reply's success and result.
  std::optional<std::pair<bool, json>> Ask(int id, const json& data) {
    const auto replies = Call(json{{"id", id}, {"uuid", "u"}, {"data", data}}.dump());
    if (replies.empty()) return std::nullopt;
    EXPECT_EQ(replies.size(), 1u);
    const json reply = json::parse(replies[0]);
    EXPECT_EQ(reply["uuid"], "u");
    return std::make_pair(reply["success"].get<bool>(), reply["result"]);
  }
  json Ok(int id, const json& data) {
    const auto r = Ask(id, data);
    EXPECT_TRUE(r && r->first) << id << " " << data.dump();
    return r ? r->second : json();
  }
  json Err(int id, const json& data) {
    const auto r = Ask(id, data);
    EXPECT_TRUE(r && !r->first) << id << " " << data.dump();
    return r ? r->second : json();
  }

  // Paths as the host writes them, with this platform's delimiter.
  static std::string Native(std::string path) {
    if (sys::PathDelim() == '\\') std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }
  static bool OnWindows() { return sys::PathDelim() == '\\'; }

  TTempDir Dir;
  std::string Base;
};

}  // namespace

TEST_F(BridgeTest, ReplyIsExactText) {
  EXPECT_EQ(Call(R"({"id": 10001, "uuid": "abc-1", "data": {}})"),
            std::vector<std::string>{R"({"uuid": "abc-1", "success": true, "result": "2025.2"})"});
  EXPECT_EQ(Call(R"({"id": "10002", "uuid": "x", "data": {}})"),
            std::vector<std::string>{R"({"uuid": "x", "success": true, "result": true})"});
}

TEST_F(BridgeTest, RequestsThatGetNoReply) {
  const char* requests[] = {
      R"("just a string")",
      R"({"id": 10001, "uuid": "u"})",
      R"({"id": 10001, "uuid": "u", "data": null})",
      R"({"id": 10001, "uuid": "u", "data": [1]})",
      R"({"id": 10003, "uuid": "u", "data": {}})",
      R"({"id": 0, "uuid": "u", "data": {}})",
      R"({"id": 10001.5, "uuid": "u", "data": {}})",
      R"({"id": "hello", "uuid": "u", "data": {}})",
      R"({"id": 11009, "uuid": "u", "data": {}})",
      R"({"id": 30001, "uuid": "u", "data": {"filePath": {"nested": 1}}})",
      R"({"id": 50001, "uuid": "u", "data": {}})",
      "{broken json",
  };
  for (const char* r : requests) EXPECT_TRUE(Call(r).empty()) << r;
}

// A lone surrogate in a request (legal in JavaScript) still gets its answer.
TEST_F(BridgeTest, LoneSurrogateInARequest) {
  const auto replies = Call(R"({"id": 30001, "uuid": "u", "data": {"filePath": "\ud800.txt"}})");
  EXPECT_EQ(replies,
            std::vector<std::string>{R"({"uuid": "u", "success": true, "result": false})"});
}

// Only local documents reach the host.
TEST_F(BridgeTest, OnlyLocalDocumentsAreAnswered) {
  const std::string hello = R"({"id": 10001, "uuid": "u", "data": {}})";
  for (const char* source : {"http://127.0.0.1:8000/", "https://example.com/", "about:blank",
                             "data:text/html,x", "", "app:///index.html", "fileX:///a"})
    EXPECT_TRUE(Call(hello, source).empty()) << source;
  for (const char* source : {"file:///index.html", "FILE:///C:/x.html", "file:///frame.html"})
    EXPECT_EQ(Call(hello, source).size(), 1u) << source;
}

TEST_F(BridgeTest, FileFunctions) {
  EXPECT_EQ(Err(30001, json::object()), "Missing filePath");
  EXPECT_EQ(Err(30001, {{"filePath", ""}}), "Missing filePath");
  EXPECT_EQ(Ok(30001, {{"filePath", Base + "none.txt"}}), false);
  WriteText(Base + "a.txt", "a");
  EXPECT_EQ(Ok(30001, {{"filePath", Base + "a.txt"}}), true);
  EXPECT_EQ(Ok(30001, {{"filePath", Base}}), false);  // a folder is no file
  EXPECT_EQ(Ok(30002, {{"filePath", Base + "a.txt"}}), true);
  EXPECT_EQ(Ok(30002, {{"filePath", Base + "a.txt"}}), false);
  fs::create_directory(Base + "dir");
  EXPECT_EQ(Ok(30002, {{"filePath", Base + "dir"}}), false);
  EXPECT_TRUE(fs::exists(Base + "dir"));
}

TEST_F(BridgeTest, WriteTextFileBytes) {
  struct Case {
    const char* contents;
    std::string bytes;
  } cases[] = {
      {"a\nb\nc",
       "\xEF\xBB\xBF"
       "a\r\nb\r\nc\r\n"},
      {"a\r\nb\rc\n",
       "\xEF\xBB\xBF"
       "a\r\nb\r\nc\r\n"},
      {"", "\xEF\xBB\xBF"},
      {"\n\n", "\xEF\xBB\xBF\r\n\r\n"},
      {"été",
       "\xEF\xBB\xBF"
       "été\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Ok(30003, {{"filePath", Base + "deep/er/t.txt"}, {"contents", c.contents}}), true);
    EXPECT_EQ(ReadText(Base + "deep/er/t.txt"), c.bytes) << c.contents;
  }
  EXPECT_EQ(Err(30003, {{"contents", "x"}}), "Missing filePath");
  // A path that cannot be a file: the failure's own message.
  WriteText(Base + "blocker", "x");
  const json failed = Err(30003, {{"filePath", Base + "blocker/t.txt"}, {"contents", "x"}});
  EXPECT_NE(failed.get<std::string>().find("blocker/t.txt"), std::string::npos);
}

TEST_F(BridgeTest, ExtractFile) {
  EXPECT_EQ(Err(30004, json::object()), "Missing sourceFile");
  EXPECT_EQ(Err(30004, {{"targetFile", "x"}}), "Missing sourceFile");
  EXPECT_EQ(Err(30004, {{"sourceFile", "/data/list.json"}}), "Missing targetFile");
  const std::string target = Base + "list.json";
  EXPECT_EQ(Ok(30004, {{"sourceFile", "/data/list.json"}, {"targetFile", target}}), true);
  EXPECT_EQ(ReadText(target), "[1,2,3]");
  // A missing entry never destroys the existing target.
  WriteText(target, "keep me");
  EXPECT_EQ(Err(30004, {{"sourceFile", "/data/none.json"}, {"targetFile", target}}),
            "File not found");
  EXPECT_EQ(ReadText(target), "keep me");
}

TEST_F(BridgeTest, FolderFunctions) {
  EXPECT_EQ(Err(40001, json::object()), "Missing dirPath");
  EXPECT_EQ(Ok(40001, {{"dirPath", Base}}), true);
  WriteText(Base + "f.txt", "x");
  EXPECT_EQ(Ok(40001, {{"dirPath", Base + "f.txt"}}), false);
  EXPECT_EQ(Ok(40002, {{"dirPath", Base + "new"}}), true);
  EXPECT_EQ(Ok(40002, {{"dirPath", Base + "new"}}), true);
  EXPECT_EQ(Ok(40002, {{"dirPath", Base + "no/parent"}}), false);
  WriteText(Base + "new/inner/x.txt", "x");
  EXPECT_EQ(Ok(40003, {{"dirPath", Base + "new"}}), true);
  EXPECT_FALSE(fs::exists(Base + "new"));
  EXPECT_EQ(Ok(40003, {{"dirPath", Base + "new"}}), false);
}

TEST_F(BridgeTest, ListFiles) {
  for (const char* f : {"a.txt", "B.TXT", "c.md", "noext", ".hidden", "sub/d.txt", "sub/deep/e.TxT",
                        "sub/deep/f.log"})
    WriteText(Base + "tree/" + f, "x");
  auto list = [&](const char* mask, const json& allDirs) {
    json result = Ok(40004, {{"dirPath", Base + "tree"}, {"fileMask", mask}, {"allDirs", allDirs}});
    std::vector<std::string> names;
    for (const auto& p : result) {
      std::string name = p.get<std::string>().substr(Base.size() + 5);
      std::replace(name.begin(), name.end(), '\\', '/');
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(list("*.*", false), (V{".hidden", "B.TXT", "a.txt", "c.md", "noext"}));
  EXPECT_EQ(list("*.txt", "TRUE"), (V{"B.TXT", "a.txt", "sub/d.txt", "sub/deep/e.TxT"}));
  EXPECT_EQ(list("?.md", true), (V{"c.md"}));
  EXPECT_EQ(list("[a-b].*", "false"), (V{"B.TXT", "a.txt"}));
  EXPECT_EQ(list("*.log", "yes"), V{});
  EXPECT_EQ(list("*.log", true), (V{"sub/deep/f.log"}));

  EXPECT_EQ(Err(40004, {{"fileMask", "*"}, {"allDirs", true}}), "Missing dirPath");
  EXPECT_EQ(Err(40004, {{"dirPath", "x"}, {"allDirs", true}}), "Missing fileMask");
  EXPECT_EQ(Err(40004, {{"dirPath", "x"}, {"fileMask", "*"}}), "Missing allDirs");
  EXPECT_EQ(Err(40004, {{"dirPath", Base + "none"}, {"fileMask", "*"}, {"allDirs", true}}),
            "The specified folder does not exist.");
  fs::create_directory(Base + "empty");
  EXPECT_EQ(Ok(40004, {{"dirPath", Base + "empty"}, {"fileMask", "*.*"}, {"allDirs", true}}),
            json::array());
  // A mask no file name may hold is refused without a reply.
  EXPECT_FALSE(Ask(40004, {{"dirPath", Base + "tree"}, {"fileMask", "a/b"}, {"allDirs", true}}));
}

// Names a Linux file system allows must not break the reply.
TEST_F(BridgeTest, ListFilesWithUnusualNames) {
  if (OnWindows()) GTEST_SKIP() << "Windows file names cannot hold these characters";
  for (const std::string name : {"quote\"d.txt", "tab\tname.txt", "back\\slash.txt", "bad\xff.txt"})
    WriteText(Base + "odd/" + name, "x");
  const json result =
      Ok(40004, {{"dirPath", Base + "odd"}, {"fileMask", "*.*"}, {"allDirs", false}});
  std::vector<std::string> names;
  for (const auto& p : result) names.push_back(p.get<std::string>().substr(Base.size() + 4));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"back\\slash.txt", "bad\uFFFD.txt", "quote\"d.txt",
                                             "tab\tname.txt"}));
}

TEST_F(BridgeTest, RelativePathsAndTextArguments) {
  // Relative paths start at the executable's folder.
  const std::string exeDir = Ok(40008, json::object());
  EXPECT_EQ(exeDir, Main->FBrowserForm->FAppDirPath);
  EXPECT_TRUE(exeDir.ends_with(std::string(1, sys::PathDelim())));
  const std::string name = "zel-bridge-test-" + std::to_string(::getpid());
  EXPECT_EQ(Ok(30003, {{"filePath", name + "/42"}, {"contents", 7}}), true);
  EXPECT_EQ(ReadText(exeDir + name + "/42"),
            "\xEF\xBB\xBF"
            "7\r\n");
  EXPECT_EQ(Ok(30001, {{"filePath", name + "/" + "42"}}), true);
  EXPECT_EQ(Ok(40003, {{"dirPath", name}}), true);
}

TEST_F(BridgeTest, SpecialFolders) {
  if (OnWindows()) GTEST_SKIP() << "the XDG folders are the Linux answers; Windows asks the shell";
  sys::SetEnv("TMPDIR", Base + "tmp");
  sys::SetEnv("XDG_CONFIG_HOME", Base + "config");
  sys::SetEnv("HOME", Base + "home");
  WriteText(Base + "config/user-dirs.dirs",
            "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
  EXPECT_EQ(Ok(40005, json::object()), Base + "tmp/");
  EXPECT_EQ(Ok(40009, json::object()), Base + "config/");
  EXPECT_EQ(Ok(40007, json::object()), Base + "home/Schreibtisch/");
  EXPECT_EQ(Ok(40006, json::object()), "/srv/docs/");
  fs::remove(Base + "config/user-dirs.dirs");
  EXPECT_EQ(Ok(40007, json::object()), Base + "home/Desktop/");
  EXPECT_EQ(Ok(40006, json::object()), Base + "home/");
  sys::UnsetEnv("TMPDIR");
  EXPECT_EQ(Ok(40005, json::object()), "/tmp/");
}

TEST_F(BridgeTest, DecodeToFile) {
  EXPECT_EQ(Err(90001, {{"contents", "aGk="}}), "Missing filePath");
  EXPECT_FALSE(fs::exists(Base + "out"));
  EXPECT_EQ(Ok(90001, {{"filePath", Base + "out/x.bin"}, {"contents", ""}}), true);
  EXPECT_EQ(fs::file_size(Base + "out/x.bin"), 0u);
  EXPECT_EQ(Ok(90001, {{"filePath", Base + "out/y.bin"}, {"contents", "aGVs\nbG8="}}), true);
  EXPECT_EQ(ReadText(Base + "out/y.bin"), "hello");
  WriteText(Base + "out/z.bin", "old");
  EXPECT_FALSE(Err(90001, {{"filePath", Base + "out/z.bin"}, {"contents", "data:x;base64,aGk="}})
                   .get<std::string>()
                   .empty());
  EXPECT_EQ(ReadText(Base + "out/z.bin"), "old");
}

TEST_F(BridgeTest, Dialogs) {
  UI.NextDialogAnswers = {"", "/data/report.txt", "/data"};
  EXPECT_EQ(Ok(20001, json::object()), "");
  TFakeFileDialog& open = *UI.FileDialogs[0];
  EXPECT_EQ(open.Kind, TFileDialogKind::Open);
  EXPECT_EQ(open.Title, "Open file");
  EXPECT_TRUE(open.Types.empty());
  EXPECT_EQ(Ok(20001, {{"fileTypes", "Images"}}), "");
  EXPECT_TRUE(open.Types.empty());
  Ok(20001, {{"fileTypes", "Text files|*.txt;All files|*.*;Bad|a|b;"}, {"title", "Pick"}});
  EXPECT_EQ(open.Types, (std::vector<std::pair<std::string, std::string>>{{"Text files", "*.txt"},
                                                                          {"All files", "*.*"}}));
  EXPECT_EQ(open.Title, "Pick");
  EXPECT_EQ(open.Shown, 3);

  EXPECT_EQ(Ok(20002, {{"fileName", "report.txt"}, {"overwritePrompt", true}}), "/data/report.txt");
  TFakeFileDialog& save = *UI.FileDialogs[1];
  EXPECT_EQ(save.Title, "Save file");
  EXPECT_TRUE(save.OverwritePrompt);
  Ok(20002, json::object());
  EXPECT_FALSE(save.OverwritePrompt);

  EXPECT_EQ(Ok(20003, json::object()), "/data" + std::string(1, sys::PathDelim()));
  EXPECT_EQ(UI.FileDialogs[2]->Title, "Save file");
  UI.FileDialogs[2]->Answer = Native("/");
  EXPECT_EQ(Ok(20003, json::object()), Native("/"));
  // No argument object at all: no reply, no dialog.
  EXPECT_TRUE(Call(R"({"id": 20001, "uuid": "u"})").empty());
  EXPECT_EQ(open.Shown, 3);
}

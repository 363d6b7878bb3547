// The Linux registry store: the registry's semantics, the store's safety
// under concurrent and killed writers, and its failures.
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "TestFiles.h"
#include "platform/linux/SqliteRegistry.h"
#include "ports/System.h"

namespace zel {
namespace {

using gtk::TSqliteRegistry;

TRegistryKeyPath Key(const char* path) {
  return *ParseRegistryKeyPath(path);
}

// Runs one SQL query on the store's file; the first column of every row.
std::vector<std::string> Query(const std::string& file, const char* sql) {
  sqlite3* db = nullptr;
  std::vector<std::string> rows;
  if (sqlite3_open(file.c_str(), &db) == SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      rows.emplace_back(text ? text : "");
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return rows;
}

class SqliteRegistryTest : public ::testing::Test {
 protected:
  std::string File() const { return Dir.Str() + "/zel/registry.sqlite"; }
  TSqliteRegistry Open(int busyTimeoutMs = TSqliteRegistry::kDefaultBusyTimeoutMs) const {
    return TSqliteRegistry(File(), busyTimeoutMs);
  }
  std::string IntegrityCheck() const {
    const auto rows = Query(File(), "PRAGMA integrity_check");
    return rows.empty() ? "no answer" : rows.front();
  }

  test::TTempDir Dir;
};

TEST_F(SqliteRegistryTest, LivesPrivatelyInTheUsersConfigurationFolder) {
  const std::string old = sys::GetEnv("XDG_CONFIG_HOME");
  sys::SetEnv("XDG_CONFIG_HOME", Dir.Str() + "/conf/");
  EXPECT_EQ(gtk::UserRegistryFile(), Dir.Str() + "/conf/zel/registry.sqlite");
  sys::SetEnv("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(gtk::UserRegistryFile(), sys::GetEnv("HOME") + "/.config/zel/registry.sqlite");
  sys::SetEnv("XDG_CONFIG_HOME", old);

  TSqliteRegistry store = Open();
  ASSERT_TRUE(store.IsOpen());
  ASSERT_TRUE(store.WriteValue(Key("a"), "v", "x"));
  struct stat st {};
  ASSERT_EQ(stat((Dir.Str() + "/zel").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(File().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(Query(File(), "PRAGMA journal_mode"), std::vector<std::string>{"wal"});
}

TEST_F(SqliteRegistryTest, KeysAndValuesLikeTheRegistry) {
  TSqliteRegistry store = Open();
  EXPECT_TRUE(store.KeyExists(Key("\\")));
  EXPECT_FALSE(store.KeyExists(Key("Software\\ZelTest")));
  EXPECT_EQ(store.ReadValue(Key("Software\\ZelTest"), "v"), "");

  ASSERT_TRUE(store.WriteValue(Key("Software\\ZelTest\\Sub"), "Name", "one"));
  EXPECT_TRUE(store.KeyExists(Key("Software\\ZelTest")));
  EXPECT_EQ(store.ReadValue(Key("SOFTWARE\\zeltest\\SUB"), "NAME"), "one");
  ASSERT_TRUE(store.WriteValue(Key("software\\ZELTEST\\sub"), "name", "two"));
  EXPECT_EQ(store.ReadValue(Key("Software\\ZelTest\\Sub"), "Name"), "two");
  // One key and one value, named as first written.
  EXPECT_EQ(Query(File(), "SELECT name FROM keys WHERE id > 1 ORDER BY id"),
            (std::vector<std::string>{"Software", "ZelTest", "Sub"}));
  EXPECT_EQ(Query(File(), "SELECT name FROM vals"), std::vector<std::string>{"Name"});

  EXPECT_TRUE(store.ValueExists(Key("Software\\ZelTest\\Sub"), "nAmE"));
  EXPECT_FALSE(store.ValueExists(Key("Software\\ZelTest"), "Name"));
  EXPECT_TRUE(store.DeleteValue(Key("Software\\ZelTest\\Sub"), "NAME"));
  EXPECT_FALSE(store.DeleteValue(Key("Software\\ZelTest\\Sub"), "NAME"));
  EXPECT_FALSE(store.ValueExists(Key("Software\\ZelTest\\Sub"), "Name"));
  EXPECT_TRUE(store.KeyExists(Key("Software\\ZelTest\\Sub")));

  ASSERT_TRUE(store.WriteValue(Key("Software\\Other"), "keep", "me"));
  ASSERT_TRUE(store.WriteValue(Key("Software\\ZelTest\\Sub\\Deeper"), "v", "x"));
  EXPECT_TRUE(store.DeleteKeyTree(Key("software\\zeltest")));
  EXPECT_FALSE(store.DeleteKeyTree(Key("Software\\ZelTest")));
  EXPECT_FALSE(store.KeyExists(Key("Software\\ZelTest\\Sub\\Deeper")));
  EXPECT_EQ(store.ReadValue(Key("Software\\Other"), "keep"), "me");
  // The branch's rows are gone with it.
  EXPECT_EQ(Query(File(), "SELECT count(*) FROM keys"), std::vector<std::string>{"3"});
  EXPECT_EQ(Query(File(), "SELECT count(*) FROM vals"), std::vector<std::string>{"1"});
}

TEST_F(SqliteRegistryTest, TheRootIsNeverDeleted) {
  TSqliteRegistry store = Open();
  ASSERT_TRUE(store.WriteValue(Key("Software\\A"), "v", "1"));
  ASSERT_TRUE(store.WriteValue(Key("\\"), "atRoot", "2"));
  EXPECT_FALSE(store.DeleteKeyTree(Key("\\")));
  EXPECT_TRUE(store.KeyExists(Key("\\")));
  EXPECT_EQ(store.ReadValue(Key("Software\\A"), "v"), "1");
  EXPECT_EQ(store.ReadValue(Key("\\\\"), "atRoot"), "2");
}

TEST_F(SqliteRegistryTest, NamesFoldBeyondAsciiAndKeepEverythingElse) {
  TSqliteRegistry store = Open();
  const struct {
    const char* Written;
    const char* Read;
    bool Same;
  } cases[] = {
      {"\xC3\x84pfel", "\xC3\xA4PFEL", true},                          // Ä / ä
      {"\xCF\x83\xCF\x82", "\xCE\xA3\xCE\xA3", true},                  // σς / ΣΣ
      {"\xD0\xB9\xD0\xBE\xD0\xB4", "\xD0\x99\xD0\x9E\xD0\x94", true},  // йод / ЙОД
      {"\xF0\x90\x90\xA8", "\xF0\x90\x90\x80", true},                  // Deseret, outside the BMP
      {"stra\xC3\x9F"
       "e",
       "STRASSE", false},                // no simple upper case for ß
      {"a/b", "a\\b", false},            // "/" is part of a name
      {"e\xCC\x81", "\xC3\xA9", false},  // no normalisation
      {".", "..", false},
  };
  for (const auto& c : cases) {
    const std::string key = std::string("Fold\\") + c.Written;
    ASSERT_TRUE(store.WriteValue(Key(key.c_str()), c.Written, c.Written)) << c.Written;
    const std::string other = std::string("Fold\\") + c.Read;
    EXPECT_EQ(store.KeyExists(Key(other.c_str())), c.Same) << c.Read;
    EXPECT_EQ(store.ValueExists(Key(key.c_str()), c.Read), c.Same) << c.Read;
  }
  EXPECT_EQ(gtk::FoldRegistryName("i\xC3\xA4\xC3\x84"), "I\xC3\x84\xC3\x84");
}

TEST_F(SqliteRegistryTest, TextKeepsEveryByte) {
  TSqliteRegistry store = Open();
  const std::string values[] = {
      std::string("a\0b\0", 4),
      "",
      "\xE2\x82\xAC \"quoted\" \\ \r\n",
      std::string(1 << 20, 'm'),
  };
  for (const std::string& value : values) {
    ASSERT_TRUE(store.WriteValue(Key("Bytes"), "v", value));
    EXPECT_EQ(store.ReadValue(Key("Bytes"), "v"), value);
  }
}

TEST_F(SqliteRegistryTest, LimitsOfTheRegistry) {
  TSqliteRegistry store = Open();
  std::string deep = "d";
  for (size_t i = 1; i < kMaxRegistryKeyDepth; ++i) deep += "\\d";
  ASSERT_TRUE(store.WriteValue(Key(deep.c_str()), "v", "bottom"));
  EXPECT_EQ(store.ReadValue(Key(deep.c_str()), "V"), "bottom");
  const std::string longName(kMaxRegistryValueNameLength, 'n');
  ASSERT_TRUE(store.WriteValue(Key("d"), longName, "long"));
  EXPECT_EQ(store.ReadValue(Key("d"), longName), "long");
  EXPECT_FALSE(store.WriteValue(Key("d"), longName + "n", "too long"));
  EXPECT_FALSE(store.WriteValue(Key("d"), std::string("a\0b", 3), "nul"));
  // Deleting the top of the deepest chain takes all 512 levels.
  EXPECT_TRUE(store.DeleteKeyTree(Key("D")));
  EXPECT_EQ(Query(File(), "SELECT count(*) FROM keys"), std::vector<std::string>{"1"});
  EXPECT_EQ(Query(File(), "SELECT count(*) FROM vals"), std::vector<std::string>{"0"});
}

TEST_F(SqliteRegistryTest, AFailedWriteLeavesNoHalfCreatedChain) {
  ASSERT_TRUE(Open().WriteValue(Key("a"), "v", "x"));
  // A stand-in for a full disk in the middle of the call.
  Query(File(),
        "CREATE TRIGGER fail AFTER INSERT ON keys WHEN new.name = 'boom' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
  TSqliteRegistry store = Open();
  EXPECT_FALSE(store.WriteValue(Key("a\\b\\c\\boom\\e"), "v", "x"));
  EXPECT_FALSE(store.KeyExists(Key("a\\b")));
  EXPECT_TRUE(store.WriteValue(Key("a\\b"), "v", "y"));
}

TEST_F(SqliteRegistryTest, BusyPastTheTimeoutFailsAndWaitingSucceeds) {
  ASSERT_TRUE(Open().WriteValue(Key("a"), "v", "before"));
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(File().c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  TSqliteRegistry impatient = Open(100);
  EXPECT_FALSE(impatient.WriteValue(Key("a\\b"), "v", "x"));
  EXPECT_FALSE(impatient.DeleteKeyTree(Key("a")));
  EXPECT_EQ(impatient.ReadValue(Key("a"), "v"), "before");  // readers go on in WAL mode

  std::thread release([holder] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
  });
  EXPECT_TRUE(Open().WriteValue(Key("a\\b"), "v", "waited"));
  release.join();
  sqlite3_close(holder);
  EXPECT_EQ(Open().ReadValue(Key("a\\b"), "v"), "waited");
}

TEST_F(SqliteRegistryTest, ADamagedFileFailsEveryCallAndStaysAsItWas) {
  std::filesystem::create_directories(Dir.Path() / "zel");
  const std::string junk(8192, 'J');
  test::WriteText(File(), junk);
  TSqliteRegistry store = Open();
  EXPECT_FALSE(store.WriteValue(Key("a"), "v", "x"));
  EXPECT_EQ(store.ReadValue(Key("a"), "v"), "");
  EXPECT_FALSE(store.ValueExists(Key("a"), "v"));
  EXPECT_FALSE(store.DeleteValue(Key("a"), "v"));
  EXPECT_FALSE(store.KeyExists(Key("\\")));
  EXPECT_FALSE(store.DeleteKeyTree(Key("a")));
  EXPECT_EQ(test::ReadText(File()), junk);
}

// Writers in several processes and threads at once, each with its own key
// and one shared key: every value arrives.
TEST_F(SqliteRegistryTest, ConcurrentWritersLoseNothing) {
  constexpr int kProcesses = 4, kThreads = 3, kValues = 40;
  auto writer = [this](int who) {
    for (int i = 0; i < kValues; ++i) {
      const std::string name = std::to_string(who) + "." + std::to_string(i);
      const std::string own = "Writers\\W" + std::to_string(who);
      if (!Open().WriteValue(Key(own.c_str()), name, name)) return false;
      if (!Open().WriteValue(Key("Writers\\Shared"), name, name)) return false;
    }
    return true;
  };
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = fork();
    if (pid == 0) _exit(writer(p) ? 0 : 1);
    children.push_back(pid);
  }
  std::vector<std::thread> threads;
  std::atomic<int> failed = 0;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] { failed += writer(kProcesses + t) ? 0 : 1; });
  for (auto& t : threads) t.join();
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(failed, 0);
  TSqliteRegistry store = Open();
  for (int who = 0; who < kProcesses + kThreads; ++who) {
    for (int i = 0; i < kValues; ++i) {
      const std::string name = std::to_string(who) + "." + std::to_string(i);
      const std::string own = "Writers\\W" + std::to_string(who);
      EXPECT_EQ(store.ReadValue(Key(own.c_str()), name), name);
      EXPECT_EQ(store.ReadValue(Key("Writers\\Shared"), name), name);
    }
  }
  EXPECT_EQ(IntegrityCheck(), "ok");
}

TEST_F(SqliteRegistryTest, AKilledWriterLeavesASoundStore) {
  ASSERT_TRUE(Open().WriteValue(Key("Before"), "v", "kept"));
  const pid_t pid = fork();
  if (pid == 0) {
    for (int i = 0;; ++i) {
      const std::string key = "Killed\\K" + std::to_string(i % 50) + "\\Sub";
      Open().WriteValue(Key(key.c_str()), "v" + std::to_string(i), std::string(4096, 'x'));
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(IntegrityCheck(), "ok");
  TSqliteRegistry store = Open();
  EXPECT_EQ(store.ReadValue(Key("Before"), "v"), "kept");
  EXPECT_TRUE(store.WriteValue(Key("After"), "v", "written"));
  EXPECT_EQ(store.ReadValue(Key("after"), "V"), "written");
  // Every key the killed writer created is whole: no chain stops short.
  EXPECT_EQ(Query(File(),
                  "SELECT count(*) FROM keys k WHERE k.name LIKE 'K%' AND NOT EXISTS "
                  "(SELECT 1 FROM keys s WHERE s.parent = k.id)"),
            std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace zel

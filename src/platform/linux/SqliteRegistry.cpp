#include "platform/linux/SqliteRegistry.h"

#include <locale.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "com/Utf.h"
#include "platform/linux/Platform.h"
#include "ports/System.h"

namespace zel::gtk {

namespace {

constexpr sqlite3_int64 kRootId = 1;

// Any unexpected answer of the store; the transaction rolls back.
class EStoreFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Creates the missing folders of `dir` private to the user: the user's
// configuration folder is meant to be readable by the user alone.
void CreatePrivateFolders(const std::string& dir) {
  for (size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
    mkdir(dir.substr(0, end).c_str(), 0700);
    if (end == std::string::npos) return;
  }
}

// The C library's Unicode tables (C.UTF-8 is built into the C library), so
// the folding does not depend on the user's locale.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  return locale;
}

char32_t Upper(char32_t c) {
  if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 32 : c;
  const locale_t locale = UnicodeLocale();
  return locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale)) : c;
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

class TStatement {
 public:
  TStatement(sqlite3* db, const char* sql) : FDb(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &FStmt, nullptr) != SQLITE_OK) Fail();
  }
  ~TStatement() { sqlite3_finalize(FStmt); }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  // Text is bound with its length, so an embedded NUL stays part of it.
  TStatement& Bind(int index, std::string_view text) {
    Check(
        sqlite3_bind_text64(FStmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
  }
  TStatement& Bind(int index, sqlite3_int64 value) {
    Check(sqlite3_bind_int64(FStmt, index, value));
    return *this;
  }
  // True while a row is there; false at the end.
  bool Step() {
    const int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) Fail();
    return false;
  }
  void Reset() {
    sqlite3_reset(FStmt);
    sqlite3_clear_bindings(FStmt);
  }
  sqlite3_int64 Int(int column) const { return sqlite3_column_int64(FStmt, column); }
  std::string Text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, column));
    return data ? std::string(data, sqlite3_column_bytes(FStmt, column)) : std::string();
  }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) Fail();
  }
  [[noreturn]] void Fail() { throw EStoreFailure(sqlite3_errmsg(FDb)); }

  sqlite3* FDb;
  sqlite3_stmt* FStmt = nullptr;
};

void Exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
    throw EStoreFailure(sqlite3_errmsg(db));
}

sqlite3_int64 QueryInt(sqlite3* db, const char* sql) {
  TStatement query(db, sql);
  return query.Step() ? query.Int(0) : 0;
}

std::string QueryText(sqlite3* db, const char* sql) {
  TStatement query(db, sql);
  return query.Step() ? query.Text(0) : std::string();
}

// Version 1: keys form a tree below the fixed root row; deleting a key takes
// its sub-keys and values with it. `fold` holds the name as compared.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  UNIQUE(parent, fold));
INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES(1, NULL, '', '');
CREATE TABLE IF NOT EXISTS vals(
  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  data TEXT NOT NULL,
  UNIQUE(key, fold));
PRAGMA user_version = 1;
)";

// The id of the key, or nothing when one of its names is missing.
std::optional<sqlite3_int64> FindKey(sqlite3* db, const TRegistryKeyPath& key) {
  TStatement find(db, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
  sqlite3_int64 id = kRootId;
  for (const std::string& name : key.Names) {
    find.Reset();
    if (!find.Bind(1, id).Bind(2, FoldRegistryName(name)).Step()) return std::nullopt;
    id = find.Int(0);
  }
  return id;
}

sqlite3_int64 CreateKey(sqlite3* db, const TRegistryKeyPath& key) {
  TStatement find(db, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
  TStatement insert(db, "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
  sqlite3_int64 id = kRootId;
  for (const std::string& name : key.Names) {
    const std::string fold = FoldRegistryName(name);
    find.Reset();
    if (find.Bind(1, id).Bind(2, fold).Step()) {
      id = find.Int(0);
      continue;
    }
    insert.Reset();
    insert.Bind(1, id).Bind(2, name).Bind(3, fold).Step();
    id = sqlite3_last_insert_rowid(db);
  }
  return id;
}

}  // namespace

std::string UserRegistryFile() {
  std::string base = XdgBaseDir("XDG_CONFIG_HOME", ".config");
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/zel/registry.sqlite";
}

std::string FoldRegistryName(std::string_view name) {
  const std::u16string in = Utf8ToUtf16(name);
  std::u16string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    char32_t c = in[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (in[++i] - 0xDC00);
    AppendUtf16(out, Upper(c));
  }
  return Utf16ToUtf8(out);
}

TSqliteRegistry::TSqliteRegistry(const std::string& file, int busyTimeoutMs) {
  const size_t slash = file.rfind('/');
  if (slash != std::string::npos && slash > 0) CreatePrivateFolders(file.substr(0, slash));
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  const bool opened = sqlite3_open_v2(file.c_str(), &FDb, flags, nullptr) == SQLITE_OK;
  // The store is as private as the user's own registry hive (its folder
  // already is); SQLite gives the journal files the file's permissions.
  // Never open and close the file here: closing any descriptor of it would
  // drop the locks that other connections of this process hold.
  struct stat st {};
  if (opened && stat(file.c_str(), &st) == 0 && (st.st_mode & 077)) chmod(file.c_str(), 0600);
  if (!opened || !Prepare(busyTimeoutMs)) {
    sqlite3_close(FDb);
    FDb = nullptr;
  }
}

TSqliteRegistry::~TSqliteRegistry() {
  sqlite3_close(FDb);
}

bool TSqliteRegistry::Prepare(int busyTimeoutMs) {
  sqlite3_busy_timeout(FDb, busyTimeoutMs);
  // Every call opens and closes its own connection. The last connection to
  // close would checkpoint, sync and delete the log each time: leave the
  // log in place and let the automatic checkpoint fold it in now and then.
  sqlite3_db_config(FDb, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  int persist = 1;
  sqlite3_file_control(FDb, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
  try {
    Exec(FDb, "PRAGMA foreign_keys = ON");
    // WAL lets readers go on while one instance writes. Switching needs a
    // moment alone with the file; when another instance holds it, the next
    // call switches (the journal in between is just as safe).
    if (QueryText(FDb, "PRAGMA journal_mode") != "wal")
      sqlite3_exec(FDb, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    // Safe against a killed process; only a power cut may lose the last calls.
    Exec(FDb, "PRAGMA synchronous = NORMAL");
    if (QueryInt(FDb, "PRAGMA user_version") >= 1) return true;
    Exec(FDb, "BEGIN IMMEDIATE");
    try {
      Exec(FDb, kSchema);
      Exec(FDb, "COMMIT");
    } catch (const EStoreFailure&) {
      sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
      return false;
    }
    return true;
  } catch (const EStoreFailure&) {
    return false;
  }
}

// Each call is one transaction: either all of it is stored or nothing, and
// any failure of the store (busy past the timeout, a read-only or damaged
// file, a full disk) gives the call's failure result.
template <class T, class F>
T TSqliteRegistry::InTransaction(bool write, T failure, F&& body) {
  if (!FDb) return failure;
  try {
    Exec(FDb, write ? "BEGIN IMMEDIATE" : "BEGIN");
    try {
      T result = body();
      Exec(FDb, "COMMIT");
      return result;
    } catch (...) {
      sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  } catch (const std::exception&) {
    return failure;
  }
}

bool TSqliteRegistry::WriteValue(const TRegistryKeyPath& key, const std::string& name,
                                 const std::string& value) {
  if (!IsValidRegistryValueName(name)) return false;
  return InTransaction(true, false, [&] {
    TStatement upsert(FDb,
                      "INSERT INTO vals(key, name, fold, data) VALUES(?1, ?2, ?3, ?4) "
                      "ON CONFLICT(key, fold) DO UPDATE SET data = excluded.data");
    upsert.Bind(1, CreateKey(FDb, key)).Bind(2, name).Bind(3, FoldRegistryName(name));
    upsert.Bind(4, value).Step();
    return true;
  });
}

std::string TSqliteRegistry::ReadValue(const TRegistryKeyPath& key, const std::string& name) {
  if (!IsValidRegistryValueName(name)) return {};
  return InTransaction(false, std::string(), [&] {
    const auto id = FindKey(FDb, key);
    if (!id) return std::string();
    TStatement read(FDb, "SELECT data FROM vals WHERE key = ?1 AND fold = ?2");
    return read.Bind(1, *id).Bind(2, FoldRegistryName(name)).Step() ? read.Text(0) : std::string();
  });
}

bool TSqliteRegistry::ValueExists(const TRegistryKeyPath& key, const std::string& name) {
  if (!IsValidRegistryValueName(name)) return false;
  return InTransaction(false, false, [&] {
    const auto id = FindKey(FDb, key);
    if (!id) return false;
    TStatement read(FDb, "SELECT 1 FROM vals WHERE key = ?1 AND fold = ?2");
    return read.Bind(1, *id).Bind(2, FoldRegistryName(name)).Step();
  });
}

bool TSqliteRegistry::DeleteValue(const TRegistryKeyPath& key, const std::string& name) {
  if (!IsValidRegistryValueName(name)) return false;
  return InTransaction(true, false, [&] {
    const auto id = FindKey(FDb, key);
    if (!id) return false;
    TStatement erase(FDb, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
    erase.Bind(1, *id).Bind(2, FoldRegistryName(name)).Step();
    return sqlite3_changes(FDb) > 0;
  });
}

bool TSqliteRegistry::KeyExists(const TRegistryKeyPath& key) {
  return InTransaction(false, false, [&] { return FindKey(FDb, key).has_value(); });
}

bool TSqliteRegistry::DeleteKeyTree(const TRegistryKeyPath& key) {
  // The root is the user's whole registry: never deleted.
  if (key.IsRoot()) return false;
  return InTransaction(true, false, [&] {
    const auto id = FindKey(FDb, key);
    if (!id) return false;
    TStatement erase(FDb, "DELETE FROM keys WHERE id = ?1");
    erase.Bind(1, *id).Step();
    return sqlite3_changes(FDb) > 0;
  });
}

}  // namespace zel::gtk

namespace zel {

std::unique_ptr<IRegistry> OpenUserRegistry() {
  return std::make_unique<gtk::TSqliteRegistry>(gtk::UserRegistryFile());
}

}  // namespace zel

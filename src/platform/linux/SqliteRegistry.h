// The user's registry on Linux: one SQLite database per user, shared by every
// application, with the Windows registry's semantics.
#pragma once

#include <string>
#include <string_view>

#include "ports/Registry.h"

struct sqlite3;

namespace zel::gtk {

// $XDG_CONFIG_HOME/zel/registry.sqlite (else ~/.config/zel/registry.sqlite).
std::string UserRegistryFile();

// Names compare as Windows compares them: each character mapped to its
// simple upper case (beyond ASCII), nothing else changed.
std::string FoldRegistryName(std::string_view name);

class TSqliteRegistry final : public IRegistry {
 public:
  // Waiting this long for another instance's write is better than failing.
  static constexpr int kDefaultBusyTimeoutMs = 10000;

  // Opens (and on first use creates) the store at `file`; a store that
  // cannot be opened answers every call with its failure result. A call
  // waits up to busyTimeoutMs for another process's write to end.
  explicit TSqliteRegistry(const std::string& file, int busyTimeoutMs = kDefaultBusyTimeoutMs);
  ~TSqliteRegistry() override;
  TSqliteRegistry(const TSqliteRegistry&) = delete;
  TSqliteRegistry& operator=(const TSqliteRegistry&) = delete;

  bool IsOpen() const { return FDb != nullptr; }

  bool WriteValue(const TRegistryKeyPath& key, const std::string& name,
                  const std::string& value) override;
  std::string ReadValue(const TRegistryKeyPath& key, const std::string& name) override;
  bool ValueExists(const TRegistryKeyPath& key, const std::string& name) override;
  bool DeleteValue(const TRegistryKeyPath& key, const std::string& name) override;
  bool KeyExists(const TRegistryKeyPath& key) override;
  bool DeleteKeyTree(const TRegistryKeyPath& key) override;

 private:
  bool Prepare(int busyTimeoutMs);
  template <class T, class F>
  T InTransaction(bool write, T failure, F&& body);

  sqlite3* FDb = nullptr;
};

}  // namespace zel::gtk

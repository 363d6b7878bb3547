// The current user's registry of string values: on Windows the keys below
// HKEY_CURRENT_USER, on Linux a per-user store with the same semantics
// (case-insensitive names, trees of keys, string values). Key paths arrive
// already checked by ParseRegistryKeyPath and value names by
// IsValidRegistryValueName. Every failure, including a key that cannot be
// opened, is reported through the result.
#pragma once

#include <memory>
#include <string>

#include "core/RegistryPath.h"

namespace zel {

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // Writes a string value, creating the key and its missing parents.
  virtual bool WriteValue(const TRegistryKeyPath& key, const std::string& name,
                          const std::string& value) = 0;
  // The value's text; "" when the key or the value is missing. Windows:
  // throws for a value that exists but holds no string.
  virtual std::string ReadValue(const TRegistryKeyPath& key, const std::string& name) = 0;
  virtual bool ValueExists(const TRegistryKeyPath& key, const std::string& name) = 0;
  virtual bool DeleteValue(const TRegistryKeyPath& key, const std::string& name) = 0;
  virtual bool KeyExists(const TRegistryKeyPath& key) = 0;
  // Deletes the key with all its sub-keys and values; false when it is
  // missing. The root is never deleted: false.
  virtual bool DeleteKeyTree(const TRegistryKeyPath& key) = 0;
};

// A fresh connection to the user's registry, for one call.
std::unique_ptr<IRegistry> OpenUserRegistry();

}  // namespace zel

// The rules for registry key paths and value names, shared by every
// platform's registry so that one package behaves alike everywhere.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Limits of the Windows registry, counted in UTF-16 code units.
inline constexpr size_t kMaxRegistryKeyNameLength = 255;
inline constexpr size_t kMaxRegistryValueNameLength = 16383;
inline constexpr size_t kMaxRegistryKeyDepth = 512;

// A key below the user's root key, as its chain of names. No names means
// the root itself.
struct TRegistryKeyPath {
  std::vector<std::string> Names;
  bool IsRoot() const { return Names.empty(); }
};

// Splits a key path at "\" after stripping one leading and one trailing
// backslash; a path of backslashes only names the root. Nothing for a path
// that can name no key: an empty name ("a\\b"), a NUL, a name longer than
// the limit or a chain deeper than the limit. "." and ".." are plain names.
std::optional<TRegistryKeyPath> ParseRegistryKeyPath(std::string_view key);

// Whether a value may carry this name: not empty, no NUL, within the limit.
bool IsValidRegistryValueName(std::string_view name);

// The length of UTF-8 text in UTF-16 code units (what Windows counts).
size_t Utf16Length(std::string_view utf8);

}  // namespace zel

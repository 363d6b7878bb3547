// Temporary folders and small packaged applications for the tests.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace zel::test {

// A fresh folder below the system's temporary folder, removed afterwards.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::filesystem::path& Path() const { return FPath; }
  std::string Str() const { return FPath.string(); }

 private:
  std::filesystem::path FPath;
};

std::string ReadText(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& content);

// Entry name -> content; names ending with "/" become folder entries.
using TEntries = std::map<std::string, std::string>;

// An archive encrypted with the application password (or `password`).
std::string MakeArchive(const TEntries& entries);
std::string MakeArchive(const TEntries& entries, const std::string& password);

// Writes the small test executable followed by `tail` to `path`.
void MakeApp(const std::filesystem::path& path, const std::string& tail);

}  // namespace zel::test

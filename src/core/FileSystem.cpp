#include "core/FileSystem.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "core/Paths.h"
#include "core/Text.h"

namespace fs = std::filesystem;

namespace zel {

void CreateParentFolders(const std::string& path) {
  std::error_code ec;
  const fs::path parent = ToFsPath(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent, ec);
}

std::string WriteFileAtomically(const std::string& path, std::string_view content) {
  std::error_code ec;
  fs::path target = ToFsPath(path);
  // Writing through a link replaces the file it names, not the link.
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    target = fs::weakly_canonical(target, ec);
    if (ec) return "Cannot create file \"" + path + "\". " + ec.message();
  }
  fs::path temp = target;
  temp += ".zel-" + std::to_string(std::random_device{}());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return "Cannot create file \"" + path + "\". " + std::strerror(errno);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return "Cannot write file \"" + path + "\".";
    }
  }
  const auto old = fs::status(target, ec);
  if (!ec && fs::exists(old)) fs::permissions(temp, old.permissions(), ec);
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return "Cannot create file \"" + path + "\". " + ec.message();
  }
  return {};
}

namespace {

bool MatchSet(std::string_view& mask, char c) {
  // mask starts after '['; consumes through ']'.
  const size_t end = mask.find(']');
  if (end == std::string_view::npos) return false;
  const std::string_view set = mask.substr(0, end);
  mask.remove_prefix(end + 1);
  const char lc = LowerAscii(std::string(1, c))[0];
  for (size_t i = 0; i < set.size(); ++i) {
    const char lo = LowerAscii(std::string(1, set[i]))[0];
    if (i + 2 < set.size() && set[i + 1] == '-') {
      const char hi = LowerAscii(std::string(1, set[i + 2]))[0];
      if (lc >= lo && lc <= hi) return true;
      i += 2;
    } else if (lc == lo) {
      return true;
    }
  }
  return false;
}

bool Match(std::string_view name, std::string_view mask) {
  while (!mask.empty()) {
    const char m = mask.front();
    if (m == '*') {
      mask.remove_prefix(1);
      for (size_t i = 0; i <= name.size(); ++i)
        if (Match(name.substr(i), mask)) return true;
      return false;
    }
    if (name.empty()) return false;
    if (m == '?') {
      mask.remove_prefix(1);
    } else if (m == '[') {
      mask.remove_prefix(1);
      if (!MatchSet(mask, name.front())) return false;
    } else {
      if (!SameTextAscii(name.substr(0, 1), mask.substr(0, 1))) return false;
      mask.remove_prefix(1);
    }
    name.remove_prefix(1);
  }
  return name.empty();
}

void ListInto(const fs::path& folder, const std::string& folderText, std::string_view mask,
              bool recursive, char delim, std::vector<std::string>& out) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = FromFsPath(it->path().filename());
    const std::string full = IncludeTrailingPathDelimiter(folderText, delim) + name;
    std::error_code typeError;
    if (it->is_directory(typeError)) {
      if (recursive && !it->is_symlink(typeError))
        ListInto(it->path(), full, mask, true, delim, out);
      continue;
    }
    if (MatchesFileMask(name, mask)) out.push_back(full);
  }
}

}  // namespace

bool MatchesFileMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*") return true;
  return Match(name, mask);
}

std::vector<std::string> ListFiles(const std::string& folder, std::string_view mask, bool recursive,
                                   char delim) {
  const std::string_view invalid =
      delim == '\\' ? std::string_view("<>:\"/\\|", 7) : std::string_view("/\0", 2);
  if (IsBlank(mask) || mask.find_first_of(invalid) != std::string_view::npos)
    throw std::invalid_argument("Invalid file mask");
  std::vector<std::string> files;
  ListInto(ToFsPath(folder), folder, mask, recursive, delim, files);
  return files;
}

}  // namespace zel

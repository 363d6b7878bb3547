#include "core/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "core/Paths.h"
#include "core/Text.h"

namespace fs = std::filesystem;

namespace zel {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(ToFsPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return content;
}

namespace {

class TFileReadStream final : public IReadStream {
 public:
  TFileReadStream(std::ifstream file, std::uint64_t size) : FFile(std::move(file)), FSize(size) {}
  std::uint64_t Size() const override { return FSize; }
  bool Seek(std::uint64_t position) override {
    if (position > FSize) return false;
    FFile.clear();
    FFile.seekg(static_cast<std::streamoff>(position));
    return static_cast<bool>(FFile);
  }
  std::int64_t Read(void* buffer, std::size_t size) override {
    FFile.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    if (FFile.bad()) return -1;
    const std::streamsize n = FFile.gcount();
    FFile.clear();
    return n;
  }

 private:
  std::ifstream FFile;
  std::uint64_t FSize;
};

}  // namespace

std::unique_ptr<IReadStream> OpenFileReadStream(const std::string& path) {
  std::error_code ec;
  const fs::path fsPath = ToFsPath(path);
  if (!fs::is_regular_file(fsPath, ec)) return nullptr;
  const std::uintmax_t size = fs::file_size(fsPath, ec);
  if (ec) return nullptr;
  std::ifstream in(fsPath, std::ios::binary);
  if (!in) return nullptr;
  return std::make_unique<TFileReadStream>(std::move(in), size);
}

void CreateParentFolders(const std::string& path) {
  std::error_code ec;
  const fs::path parent = ToFsPath(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent, ec);
}

namespace {

TTempFileGuard& Guard() {
  static TTempFileGuard guard;
  return guard;
}

constexpr std::string_view kTempMark = ".zel-";
// A temporary name's number is a 32-bit random value.
constexpr size_t kMaxTempDigits = 10;

// A new temporary file beside `target`, created and held through the guard
// when there is one. Without a guard the file is created on first write.
std::pair<fs::path, std::shared_ptr<void>> NewTempFile(const fs::path& target) {
  std::random_device random;
  for (int attempt = 0; attempt < 8; ++attempt) {
    fs::path temp = target;
    temp += std::string(kTempMark) + std::to_string(random());
    if (!Guard().CreateHeld) return {temp, nullptr};
    if (auto hold = Guard().CreateHeld(FromFsPath(temp))) return {temp, std::move(hold)};
    if (errno != EEXIST) break;  // not a name clash: another name fails alike
  }
  return {};
}

}  // namespace

void SetTempFileGuard(TTempFileGuard guard) {
  Guard() = std::move(guard);
}

bool IsTempNameOf(std::string_view name, std::string_view targetName) {
  if (targetName.empty() || name.size() <= targetName.size() + kTempMark.size()) return false;
  if (name.substr(0, targetName.size()) != targetName) return false;
  name.remove_prefix(targetName.size());
  if (name.substr(0, kTempMark.size()) != kTempMark) return false;
  name.remove_prefix(kTempMark.size());
  return name.size() <= kMaxTempDigits &&
         name.find_first_not_of("0123456789") == std::string_view::npos;
}

int ClearWriteLeftovers(const std::string& path) {
  if (!Guard().RemoveAbandoned) return 0;
  const fs::path target = ToFsPath(path);
  const std::string targetName = FromFsPath(target.filename());
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (IsTempNameOf(FromFsPath(it->path().filename()), targetName)) found.push_back(it->path());
  int removed = 0;
  for (const fs::path& leftover : found) removed += Guard().RemoveAbandoned(FromFsPath(leftover));
  return removed;
}

std::string WriteFileAtomically(const std::string& path, std::string_view content) {
  std::error_code ec;
  fs::path target = ToFsPath(path);
  // Writing through a link replaces the file it names, not the link.
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    target = fs::weakly_canonical(target, ec);
    if (ec) return "Cannot create file \"" + path + "\". " + ec.message();
  }
  // Renaming needs only the folder's permission; a file the user may not
  // write stays as it is, as opening it for writing would have kept it.
  if (fs::exists(fs::status(target, ec))) {
    std::ofstream probe(target, std::ios::binary | std::ios::app);
    if (!probe) return "Cannot create file \"" + path + "\". " + std::strerror(errno);
  }
  ClearWriteLeftovers(FromFsPath(target));
  // The hold lasts until the file is renamed, so no other writer takes it
  // for a leftover meanwhile.
  const auto [temp, hold] = NewTempFile(target);
  if (temp.empty()) return "Cannot create file \"" + path + "\". " + std::strerror(errno);
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
      const std::string reason = std::strerror(errno);
      fs::remove(temp, ec);
      return "Cannot create file \"" + path + "\". " + reason;
    }
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
  return WildcardMatch(mask, name, {.IgnoreAsciiCase = true, .Sets = true});
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

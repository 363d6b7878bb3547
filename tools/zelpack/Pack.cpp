#include "Pack.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <optional>
#include <utility>
#include <vector>

#include "core/Calculations.h"
#include "core/ExeImage.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "core/ZipWriter.h"
#include "ports/PlatformNames.h"
#include "ports/System.h"

namespace fs = std::filesystem;

namespace zel::pack {

namespace {

std::string ReadFileOrThrow(const fs::path& path) {
  std::optional<std::string> content = ReadWholeFile(FromFsPath(path));
  if (!content) throw std::runtime_error("cannot read " + FromFsPath(path));
  return std::move(*content);
}

std::uint32_t DosTimeOf(const fs::path& path) {
  std::error_code ec;
  const auto t = fs::last_write_time(path, ec);
  if (ec) return TZipWriter::DosTimeFromUnix(0);
  const auto sys = std::chrono::file_clock::to_sys(t);
  return TZipWriter::DosTimeFromUnix(
      std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count());
}

// Every file and folder below `root`, as archive names with "/" separators
// (folders end with "/"), in a stable order.
std::vector<std::pair<std::string, fs::path>> CollectEntries(const fs::path& root) {
  std::vector<std::pair<std::string, fs::path>> entries;
  std::error_code ec;
  fs::recursive_directory_iterator it(root, fs::directory_options::none, ec), end;
  if (ec) throw std::runtime_error("cannot read folder " + FromFsPath(root) + ": " + ec.message());
  for (; it != end; it.increment(ec)) {
    if (ec)
      throw std::runtime_error("cannot read folder " + FromFsPath(root) + ": " + ec.message());
    std::string name = FromFsPath(fs::relative(it->path(), root).generic_u8string());
    if (it->is_directory(ec))
      entries.emplace_back(name + "/", it->path());
    else
      entries.emplace_back(name, it->path());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// The host refuses an application whose ID cannot be a folder name; say so
// now rather than ship an application that never starts.
void CheckConfiguration(const std::string& iniBytes) {
  TMemIniFile ini;
  ini.SetStrings(SplitLines(DecodeConfigText(iniBytes, sys::DecodeAnsi)));
  if (ini.ValueExists("App", "ID") && !IsPlainPathComponent(ini.ReadString("App", "ID", "")))
    throw std::runtime_error(
        "zel.ini: [App] ID must be one plain folder name (not empty, \".\" or \"..\", without "
        "slashes or control characters)");
}

std::string BuildArchive(const fs::path& folder, const fs::path& host) {
  TZipWriter writer(CalculateWidth(kPasswordText, kPasswordKey));
  // The platform's browser loader library and runtime installer travel with
  // the bare host; the folder's own copies win.
  std::vector<std::pair<std::string, bool>> companions = {{names::LoaderEntryName(), false},
                                                          {names::InstallerEntryName(), false}};
  bool hasIni = false;
  for (const auto& [name, path] : CollectEntries(folder)) {
    if (name.back() == '/') {
      writer.AddFolder(name, DosTimeOf(path));
      continue;
    }
    for (auto& [entry, present] : companions) present = present || SameTextAscii(name, entry);
    std::string content = ReadFileOrThrow(path);
    if (SameTextAscii(name, "zel.ini")) {
      CheckConfiguration(content);
      hasIni = true;
    }
    writer.AddFile(name, std::move(content), DosTimeOf(path));
  }
  for (const auto& [entry, present] : companions) {
    const fs::path file = host.parent_path() / ToFsPath(entry);
    std::error_code ec;
    if (!present && fs::is_regular_file(file, ec))
      writer.AddFile(entry, ReadFileOrThrow(file), DosTimeOf(file));
  }
  if (!hasIni)
    std::cerr << "zelpack: warning: " << FromFsPath(folder)
              << " has no zel.ini; the application will not start\n";
  return writer.Finish();
}

void WriteApplication(const fs::path& host, const std::string& archive, const fs::path& output) {
  const std::string hostBytes = ReadFileOrThrow(host);
  const std::uint64_t imageEnd = ExecutableImageEnd(std::as_bytes(std::span(hostBytes)));
  if (imageEnd == 0)
    throw std::runtime_error("the host " + FromFsPath(host) + " is not an executable");
  if (hostBytes.size() > imageEnd)
    throw std::runtime_error("the host " + FromFsPath(host) + " already carries an archive");
  // Written aside and renamed, so a failure never leaves a broken output
  // where a whole one existed.
  if (!WriteFileAtomically(FromFsPath(output), hostBytes + archive).empty())
    throw std::runtime_error("cannot write " + FromFsPath(output));
  std::error_code ec;
  fs::permissions(output,
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec,
                  ec);
}

}  // namespace

std::string DefaultHost() {
  std::string host = ExtractFilePath(sys::GetExecutablePath()) + "zel";
  if (sys::PathDelim() == '\\') host += ".exe";
  return host;
}

void PackFolder(const fs::path& folder, const fs::path& host, const fs::path& output) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec))
    throw std::runtime_error("folder not found: " + FromFsPath(folder));
  if (!fs::is_regular_file(host, ec))
    throw std::runtime_error("host not found: " + FromFsPath(host));
  WriteApplication(host, BuildArchive(folder, host), output);
}

}  // namespace zel::pack

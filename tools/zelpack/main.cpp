// zelpack: turns a folder into an application, a copy of the bare host with
// the folder appended as an encrypted archive.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Calculations.h"
#include "core/ExeImage.h"
#include "core/FileSystem.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "core/ZipArchive.h"
#include "core/ZipWriter.h"
#include "ports/PlatformNames.h"
#include "ports/System.h"

namespace fs = std::filesystem;
using namespace zel;

namespace {

class EUsage : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

constexpr const char* kUsage =
    "usage: zelpack <folder> -o <output> [--host <bare host>]\n"
    "       zelpack --list <application>\n";

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
  bool hasLoader = false;
  const std::string loaderEntry = names::LoaderEntryName();
  bool hasIni = false;
  for (const auto& [name, path] : CollectEntries(folder)) {
    if (name.back() == '/') {
      writer.AddFolder(name, DosTimeOf(path));
      continue;
    }
    hasLoader = hasLoader || SameTextAscii(name, loaderEntry);
    std::string content = ReadFileOrThrow(path);
    if (SameTextAscii(name, "zel.ini")) {
      CheckConfiguration(content);
      hasIni = true;
    }
    writer.AddFile(name, std::move(content), DosTimeOf(path));
  }
  // The platform's browser loader library travels with the bare host.
  const fs::path loader = host.parent_path() / ToFsPath(loaderEntry);
  std::error_code ec;
  if (!hasLoader && fs::is_regular_file(loader, ec))
    writer.AddFile(loaderEntry, ReadFileOrThrow(loader), DosTimeOf(loader));
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

int Pack(const std::vector<std::string>& args) {
  std::string folder, output, host;
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "-o" || args[i] == "--output") && i + 1 < args.size())
      output = args[++i];
    else if (args[i] == "--host" && i + 1 < args.size())
      host = args[++i];
    else if (folder.empty() && !args[i].starts_with("-"))
      folder = args[i];
    else
      throw EUsage("unexpected argument: " + args[i]);
  }
  if (folder.empty() || output.empty()) throw EUsage("a folder and -o <output> are required");
  if (host.empty()) {
    host = ExtractFilePath(sys::GetExecutablePath()) + "zel";
    if (sys::PathDelim() == '\\') host += ".exe";
  }
  std::error_code ec;
  if (!fs::is_directory(ToFsPath(folder), ec))
    throw std::runtime_error("folder not found: " + folder);
  if (!fs::is_regular_file(ToFsPath(host), ec)) throw std::runtime_error("host not found: " + host);
  const std::string archive = BuildArchive(ToFsPath(folder), ToFsPath(host));
  WriteApplication(ToFsPath(host), archive, ToFsPath(output));
  return 0;
}

int List(const std::string& app) {
  const auto file = sys::TMappedFile::Open(app);
  if (!file) throw std::runtime_error("cannot read " + app);
  const auto bytes = file->Bytes();
  const std::uint64_t end = ExecutableImageEnd(bytes);
  TAbZipKit zip;
  if (end >= bytes.size() || !zip.Open(bytes.subspan(end)))
    throw std::runtime_error(app + " carries no application archive");
  for (const std::string& name : zip.EntryNames()) std::cout << name << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = sys::GetCommandLineArgs();
  if (args.empty()) args.assign(argv + 1, argv + argc);
  try {
    if (args.size() == 2 && args[0] == "--list") return List(args[1]);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
      std::cout << kUsage;
      return args.empty() ? 2 : 0;
    }
    return Pack(args);
  } catch (const EUsage& e) {
    std::cerr << "zelpack: " << e.what() << '\n' << kUsage;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "zelpack: " << e.what() << '\n';
    return 1;
  }
}

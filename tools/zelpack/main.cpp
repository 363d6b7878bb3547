// zelpack: turns a folder into an application, a copy of the bare host with
// the folder appended as an encrypted archive; also starts new applications
// and runs a folder as an application in one step.
#include <iostream>
#include <string>
#include <vector>

#include "Pack.h"
#include "core/ExeImage.h"
#include "core/Paths.h"
#include "core/ZipArchive.h"
#include "ports/System.h"

using namespace zel;
using zel::pack::EUsage;

namespace {

constexpr const char* kUsage =
    "usage: zelpack <folder> -o <output> [--host <bare host>]   pack an application\n"
    "       zelpack run <folder> [--host <bare host>] [-- args...] pack, run, clean up\n"
    "       zelpack new <folder>                                 start a new application\n"
    "       zelpack --list <application>                         list its archive\n";

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
  pack::PackFolder(ToFsPath(folder), ToFsPath(host.empty() ? pack::DefaultHost() : host),
                   ToFsPath(output));
  return 0;
}

// run <folder> [--host h] [-- args...]
int Run(const std::vector<std::string>& args) {
  std::string folder, host;
  std::vector<std::string> appArgs;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--") {
      appArgs.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    if (args[i] == "--host" && i + 1 < args.size())
      host = args[++i];
    else if (folder.empty() && !args[i].starts_with("-"))
      folder = args[i];
    else
      throw EUsage("unexpected argument: " + args[i]);
  }
  if (folder.empty()) throw EUsage("run needs a folder");
  return pack::RunFolder(folder, host, appArgs);
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

int Dispatch(const std::vector<std::string>& args) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::cout << kUsage;
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "--list") {
    if (args.size() != 2) throw EUsage("--list needs one application");
    return List(args[1]);
  }
  if (args[0] == "run") return Run(args);
  if (args[0] == "new") {
    if (args.size() != 2) throw EUsage("new needs one folder");
    return pack::NewApplication(args[1]);
  }
  return Pack(args);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = sys::GetCommandLineArgs();
  if (args.empty()) args.assign(argv + 1, argv + argc);
  try {
    return Dispatch(args);
  } catch (const EUsage& e) {
    std::cerr << "zelpack: " << e.what() << '\n' << kUsage;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "zelpack: " << e.what() << '\n';
    return 1;
  }
}

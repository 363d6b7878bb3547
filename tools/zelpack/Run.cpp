// zelpack run: the edit-run loop in one command. The folder is packed into a
// temporary application beside zelpack, started, and removed when it ends.
#include <filesystem>
#include <iostream>
#include <random>

#include "Pack.h"
#include "core/Paths.h"
#include "ports/System.h"

namespace fs = std::filesystem;

namespace zel::pack {

namespace {

// A file name of its own for each run, so two runs never share one.
fs::path TemporaryApplication(const fs::path& besideHost) {
  std::random_device random;
  const std::string name =
      ".zelpack-run-" + std::to_string(random()) + (sys::PathDelim() == '\\' ? ".exe" : "");
  std::error_code ec;
  const fs::path folder = besideHost.parent_path();
  // Beside the build when it is writable, else in the temporary folder.
  const fs::path probe = folder / (name + ".probe");
  if (std::FILE* f = std::fopen(FromFsPath(probe).c_str(), "wb")) {
    std::fclose(f);
    fs::remove(probe, ec);
    return folder / name;
  }
  return fs::temp_directory_path(ec) / name;
}

}  // namespace

int RunFolder(const std::string& folder, const std::string& host,
              const std::vector<std::string>& args) {
  const fs::path hostPath = ToFsPath(host.empty() ? DefaultHost() : host);
  const fs::path app = TemporaryApplication(hostPath);
  PackFolder(ToFsPath(folder), hostPath, app);
  const int exitCode = sys::RunProgramAndWait(FromFsPath(app), args);
  std::error_code ec;
  fs::remove(app, ec);
  if (exitCode < 0) throw std::runtime_error("cannot start " + FromFsPath(app));
  return exitCode;
}

}  // namespace zel::pack

// Packing a folder into an application: the archive of its files appended
// to a copy of the bare host.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel::pack {

// A command line that zelpack cannot read; answered with the usage text.
class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The bare host beside zelpack ("zel", or "zel.exe" on Windows).
std::string DefaultHost();

// Packs `folder` with `host` into `output`, written whole or not at all.
// Throws std::runtime_error with a one-line reason.
void PackFolder(const std::filesystem::path& folder, const std::filesystem::path& host,
                const std::filesystem::path& output);

// `zelpack new <folder>` and `zelpack run <folder> [--host h] [-- args...]`.
int NewApplication(const std::string& folder);
int RunFolder(const std::string& folder, const std::string& host,
              const std::vector<std::string>& args);

}  // namespace zel::pack

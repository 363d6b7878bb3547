// Allocation of runtime strings and the system MIME database on Linux.
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>

#include "core/StrUtils.h"
#include "core/Text.h"
#include "platform/linux/Platform.h"
#include "ports/WebView2.h"

namespace zel::gtk {

void* CoTaskMemAlloc(std::size_t size) {
  return std::malloc(size);
}
void CoTaskMemFree(void* p) {
  std::free(p);
}

namespace {

// "*.ext" globs of shared-mime-info, highest weight first as listed.
std::map<std::string, std::string> LoadMimeGlobs() {
  std::map<std::string, std::string> table;
  std::ifstream in("/usr/share/mime/globs2");
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t a = line.find(':');
    const size_t b = line.find(':', a + 1);
    if (a == std::string::npos || b == std::string::npos) continue;
    std::string glob = line.substr(b + 1);
    const size_t flags = glob.find(':');
    if (flags != std::string::npos) glob.resize(flags);
    if (!glob.starts_with("*.") || glob.find_first_of("*?[", 2) != std::string::npos) continue;
    table.emplace(LowerAscii(glob.substr(2)), line.substr(a + 1, b - a - 1));
  }
  return table;
}

}  // namespace

void InstallSystemMimeLookup() {
  TStrUtils::SetSystemMimeLookup([](std::string_view ext) -> std::string {
    static std::once_flag once;
    static std::map<std::string, std::string> table;
    std::call_once(once, [] { table = LoadMimeGlobs(); });
    const auto it = table.find(std::string(ext));
    return it == table.end() ? std::string() : it->second;
  });
}

}  // namespace zel::gtk

// Fuzzes registry key paths and value names and the operations of the
// Linux registry store on a scratch file. Each line of the input is one
// call: an operation letter, then key, value name and value separated by
// tabs. A value just written must read back whole; a value or key just
// deleted must be gone.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/RegistryPath.h"
#include "platform/linux/Platform.h"
#include "platform/linux/SqliteRegistry.h"

// The store's usual place is never used here; the real lookup lives with
// the desktop helpers, which this program does not link.
std::string zel::gtk::XdgBaseDir(const char*, const char*) {
  std::abort();
}

namespace {

std::string Field(std::string_view& rest) {
  const std::size_t tab = rest.find('\t');
  const std::string field(rest.substr(0, tab));
  rest = tab == rest.npos ? std::string_view() : rest.substr(tab + 1);
  return field;
}

const std::string& StoreFile() {
  static const std::string file = [] {
    // In memory where there is such a file system: the runs write a lot.
    std::string dir = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    dir += "/zel-fuzz-registry-XXXXXX";
    if (!mkdtemp(dir.data())) std::abort();
    static const std::string folder = dir;
    std::atexit([] { std::filesystem::remove_all(folder); });
    return folder + "/registry.sqlite";
  }();
  return file;
}

void Call(zel::gtk::TSqliteRegistry& store, std::string_view line) {
  if (line.empty()) return;
  const char op = line[0];
  std::string_view rest = line.substr(1);
  const std::string keyText = Field(rest), name = Field(rest), value(rest);
  zel::IsValidRegistryValueName(name);
  zel::Utf16Length(name);
  const auto key = zel::ParseRegistryKeyPath(keyText);
  if (!key) return;
  const bool nameOk = zel::IsValidRegistryValueName(name);
  switch (op) {
    case 'w':
      if (store.WriteValue(*key, name, value) &&
          (store.ReadValue(*key, name) != value || !store.ValueExists(*key, name) ||
           !store.KeyExists(*key)))
        std::abort();
      break;
    case 'r':
      if (!store.ValueExists(*key, name) && !store.ReadValue(*key, name).empty()) std::abort();
      break;
    case 'd':
      if (store.DeleteValue(*key, name) && store.ValueExists(*key, name)) std::abort();
      break;
    case 't':
      if (store.DeleteKeyTree(*key) && store.KeyExists(*key)) std::abort();
      if (key->IsRoot() && !store.KeyExists(*key)) std::abort();
      break;
    default:
      store.KeyExists(*key);
      break;
  }
  if (!nameOk && store.ValueExists(*key, name)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& file = StoreFile();
  // A store that grew large is started again, so the runs stay fast.
  std::error_code ec;
  if (std::filesystem::file_size(file, ec) > (8u << 20) && !ec) {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file + suffix, ec);
  }
  zel::gtk::TSqliteRegistry store(file, 0);
  if (!store.IsOpen()) std::abort();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    Call(store, text.substr(0, end));
    text = end == text.npos ? std::string_view() : text.substr(end + 1);
  }
  return 0;
}

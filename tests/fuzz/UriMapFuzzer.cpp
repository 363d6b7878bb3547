// Fuzzes the mapping between the file: addresses of the host and the app:
// addresses that WebKit loads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/linux/webkit/UriMap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace uri = zel::uri;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string engine = uri::ToEngine(text);
  const std::string host = uri::ToHost(text);
  // A local page stays local, in both directions, and the way back gives
  // the address again (its scheme in lower case).
  if (uri::IsLocalPage(text) != uri::IsLocalPage(engine)) std::abort();
  if (uri::IsLocalPage(text) != uri::IsLocalPage(host)) std::abort();
  if (uri::HasScheme(text, "file")) {
    if (!uri::HasScheme(engine, uri::kAppScheme)) std::abort();
    if (uri::ToHost(engine) != "file" + std::string(text.substr(4))) std::abort();
  } else if (!uri::HasScheme(text, uri::kAppScheme) && (engine != text || host != text)) {
    std::abort();
  }
  const std::string_view page = uri::WithoutFragment(text);
  if (page.find('#') != page.npos || !text.starts_with(page)) std::abort();
  return 0;
}

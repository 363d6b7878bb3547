#include "platform/linux/webkit/UriMap.h"

#include <cctype>

namespace zel::uri {

bool HasScheme(std::string_view uri, std::string_view scheme) {
  if (uri.size() <= scheme.size() || uri[scheme.size()] != ':') return false;
  for (std::size_t i = 0; i < scheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(uri[i])) !=
        std::tolower(static_cast<unsigned char>(scheme[i])))
      return false;
  }
  return true;
}

namespace {

std::string Replace(std::string_view uri, std::string_view from, std::string_view to) {
  if (!HasScheme(uri, from)) return std::string(uri);
  std::string out(to);
  out += uri.substr(from.size());
  return out;
}

}  // namespace

std::string ToHost(std::string_view uri) {
  return Replace(uri, kAppScheme, "file");
}

std::string ToEngine(std::string_view uri) {
  return Replace(uri, "file", kAppScheme);
}

bool IsLocalPage(std::string_view uri) {
  return uri.empty() || HasScheme(uri, kAppScheme) || HasScheme(uri, "file") ||
         HasScheme(uri, "about");
}

std::string_view WithoutFragment(std::string_view uri) {
  return uri.substr(0, uri.find('#'));
}

}  // namespace zel::uri

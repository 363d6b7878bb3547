// Addresses as the host sees them and as WebKit loads them. WebKit does not
// let a program answer file: requests, so local pages are loaded through the
// app: scheme instead, and every address that goes back to the host is
// translated to file: again.
#pragma once

#include <string>
#include <string_view>

namespace zel::uri {

inline constexpr const char* kAppScheme = "app";

// Whether the address uses the scheme (compared ignoring case).
bool HasScheme(std::string_view uri, std::string_view scheme);

// app:X becomes file:X; any other address is returned unchanged.
std::string ToHost(std::string_view uri);
// file:X becomes app:X; any other address is returned unchanged.
std::string ToEngine(std::string_view uri);

// Pages that may read local files: app:, file:, about: and a page that has
// no address yet.
bool IsLocalPage(std::string_view uri);

// The address without its fragment.
std::string_view WithoutFragment(std::string_view uri);

}  // namespace zel::uri

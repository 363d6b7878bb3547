// The pure half of the media relay: reading a request head, checking the
// address it names and the length an answer announces. Kept apart from the
// socket code so it can be tested without a server.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/webkit/Headers.h"

namespace zel::webkit {

struct TRelayRequest {
  std::string Method;
  std::string Target;  // as sent: "/<secret>/<page>/<path>?<query>"
  THeaderList Headers;
};

// A request head: the request line and the header lines, each ending in
// CR LF, without the blank line that ends the head. Nothing when it is not
// an HTTP/1.x request line followed by "Name: value" lines.
std::optional<TRelayRequest> ParseRelayHead(std::string_view head);

struct TRelayTarget {
  std::uint64_t PageId = 0;
  std::string HostUri;  // "file:///<path>?<query>", as the page server sees it
};

// The page and the file address of a target that starts with the secret;
// nothing for any other target.
std::optional<TRelayTarget> ParseRelayTarget(std::string_view target, std::string_view secret);

// Compares in time that does not depend on where the texts differ.
bool SecretsEqual(std::string_view a, std::string_view b);

// The body length an answer announces: its Content-Length, else what the
// Content-Range of a 206 answer covers.
std::optional<std::uint64_t> AnnouncedLength(int status, const THeaderList& headers);

const std::string* FindHeaderValue(const THeaderList& headers, std::string_view name);

}  // namespace zel::webkit

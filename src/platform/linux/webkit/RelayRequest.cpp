#include "platform/linux/webkit/RelayRequest.h"

#include <charconv>

namespace zel::webkit {

namespace {

bool IsTokenChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsTokenChar(c)) return false;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// The next CR LF terminated line; false at the end or on a bare line feed.
bool NextLine(std::string_view& rest, std::string_view& line) {
  if (rest.empty()) return false;
  std::size_t end = rest.find("\r\n");
  if (end == std::string_view::npos) end = rest.size();
  line = rest.substr(0, end);
  rest.remove_prefix(std::min(rest.size(), end + 2));
  return line.find_first_of("\r\n") == std::string_view::npos;
}

bool ParseRequestLine(std::string_view line, TRelayRequest& request) {
  std::size_t first = line.find(' ');
  std::size_t second = line.find(' ', first + 1);
  if (first == std::string_view::npos || second == std::string_view::npos) return false;
  std::string_view method = line.substr(0, first);
  std::string_view target = line.substr(first + 1, second - first - 1);
  std::string_view version = line.substr(second + 1);
  if (!IsToken(method) || target.empty() || target.front() != '/' ||
      !version.starts_with("HTTP/1."))
    return false;
  for (char c : target)
    if (c <= ' ' || c == 0x7f) return false;
  request.Method = method;
  request.Target = target;
  return true;
}

}  // namespace

const std::string* FindHeaderValue(const THeaderList& headers, std::string_view name) {
  for (const auto& [key, value] : headers)
    if (SameHeaderName(key, name)) return &value;
  return nullptr;
}

std::optional<TRelayRequest> ParseRelayHead(std::string_view head) {
  TRelayRequest request;
  std::string_view line;
  if (!NextLine(head, line) || !ParseRequestLine(line, request)) return std::nullopt;
  while (NextLine(head, line)) {
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) return std::nullopt;
    request.Headers.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
  }
  if (!head.empty() || line.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
  return request;
}

bool SecretsEqual(std::string_view a, std::string_view b) {
  unsigned char difference = a.size() == b.size() ? 0 : 1;
  for (std::size_t i = 0; i < a.size(); ++i)
    difference |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
  return difference == 0;
}

std::optional<TRelayTarget> ParseRelayTarget(std::string_view target, std::string_view secret) {
  if (secret.empty() || !target.starts_with('/')) return std::nullopt;
  target.remove_prefix(1);
  std::size_t slash = target.find('/');
  if (slash == std::string_view::npos || !SecretsEqual(target.substr(0, slash), secret))
    return std::nullopt;
  target.remove_prefix(slash + 1);
  slash = target.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::optional<std::uint64_t> page = ParseNumber(target.substr(0, slash));
  std::string_view path = target.substr(slash + 1);
  if (!page || path.empty() || path.front() == '/' || path.front() == '?') return std::nullopt;
  return TRelayTarget{*page, "file:///" + std::string(path)};
}

std::optional<std::uint64_t> AnnouncedLength(int status, const THeaderList& headers) {
  if (const std::string* length = FindHeaderValue(headers, "Content-Length"))
    return ParseNumber(Trim(*length));
  const std::string* range = FindHeaderValue(headers, "Content-Range");
  if (status != 206 || !range) return std::nullopt;
  // "bytes <first>-<last>/<size or *>"
  std::string_view text = Trim(*range);
  if (!text.starts_with("bytes ")) return std::nullopt;
  text.remove_prefix(6);
  std::size_t dash = text.find('-'), slash = text.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash)
    return std::nullopt;
  auto first = ParseNumber(text.substr(0, dash));
  auto last = ParseNumber(text.substr(dash + 1, slash - dash - 1));
  if (!first || !last || *last < *first) return std::nullopt;
  return *last - *first + 1;
}

}  // namespace zel::webkit

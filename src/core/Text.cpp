#include "core/Text.h"

#include <cstdint>

namespace zel {

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

bool IsBlank(std::string_view s) {
  return Trim(s).empty();
}

static char LowerChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string LowerAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LowerChar(c);
  return r;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  return true;
}

bool StartsTextAscii(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string r;
  r.reserve(s.size());
  size_t pos = 0;
  for (size_t hit; (hit = s.find(from, pos)) != std::string_view::npos; pos = hit + from.size()) {
    r.append(s.substr(pos, hit - pos));
    r.append(to);
  }
  r.append(s.substr(pos));
  return r;
}

bool TryStrToInt(std::string_view s, int& value) {
  const bool longEnoughFor0x = s.size() > 2;
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16, ++i;
  } else if (longEnoughFor0x && i + 1 < s.size() && s[i] == '0' &&
             (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16, i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t v = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  if (base == 10) {
    if (negative ? v > 0x80000000ull : v > 0x7FFFFFFFull) return false;
    value = negative ? static_cast<int>(-static_cast<std::int64_t>(v)) : static_cast<int>(v);
  } else {
    const auto bits = static_cast<std::uint32_t>(v);
    value = static_cast<int>(negative ? 0u - bits : bits);
  }
  return true;
}

std::string IntToStr(long long v) {
  return std::to_string(v);
}

namespace {

char FoldAscii(char c, bool ignoreCase) {
  return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether the pattern element at `p` (not '*') matches `c`; `next` receives
// the position after the element.
bool ElementMatches(std::string_view pattern, size_t p, char c, TWildcardOptions options,
                    size_t& next) {
  next = p + 1;
  if (pattern[p] == '?') return true;
  const bool fold = options.IgnoreAsciiCase;
  if (pattern[p] != '[' || !options.Sets) return FoldAscii(pattern[p], fold) == FoldAscii(c, fold);
  const size_t end = pattern.find(']', p + 1);
  if (end == std::string_view::npos) return false;
  next = end + 1;
  const std::string_view set = pattern.substr(p + 1, end - p - 1);
  const char lc = FoldAscii(c, fold);
  for (size_t i = 0; i < set.size(); ++i) {
    const char lo = FoldAscii(set[i], fold);
    if (i + 2 < set.size() && set[i + 1] == '-') {
      if (lc >= lo && lc <= FoldAscii(set[i + 2], fold)) return true;
      i += 2;
    } else if (lc == lo) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text, TWildcardOptions options) {
  // On a mismatch only the last '*' is retried, one character further: an
  // earlier '*' could only ever reach positions the last one also reaches.
  constexpr size_t npos = std::string_view::npos;
  size_t p = 0, t = 0, star = npos, mark = 0, next = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = ++p;
      mark = t;
    } else if (p < pattern.size() && ElementMatches(pattern, p, text[t], options, next)) {
      p = next;
      ++t;
    } else if (star != npos) {
      p = star;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string ShortenUtf8(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  constexpr std::string_view kEllipsis = "\xE2\x80\xA6";
  if (maxBytes < kEllipsis.size()) return {};
  size_t end = maxBytes - kEllipsis.size();
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end)) + std::string(kEllipsis);
}

}  // namespace zel

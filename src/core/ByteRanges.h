// Answers to "Range: bytes=..." requests (single byte ranges only).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

struct TByteRange {
  enum class TKind {
    Whole,          // 200 with every byte: no Range, or one the server ignores
    Partial,        // 206 with Content-Range
    Unsatisfiable,  // 416 with "Content-Range: bytes */size"
  };
  TKind Kind = TKind::Whole;
  std::uint64_t First = 0;   // the first byte to send
  std::uint64_t Length = 0;  // how many bytes to send (0 when Unsatisfiable)
};

// What a request whose Range header reads `rangeHeader` (empty when absent)
// gets from a body of `size` bytes. One range "bytes=first-last",
// "bytes=first-" or "bytes=-suffix" is answered in part, a last byte past the
// end is clipped and a suffix longer than the body means the whole body.
// Anything else is answered whole, as the header permits a server to: a
// malformed header, another unit, and several ranges (a media element never
// asks for more than one; one answer with every byte is simpler and safer
// than a multipart body or a part the client did not expect). A range that
// starts at or past the end (every range of an empty body) is unsatisfiable.
TByteRange ResolveByteRange(std::string_view rangeHeader, std::uint64_t size);

// The Content-Range value for a Partial ("bytes 100-199/1000") or
// Unsatisfiable ("bytes */1000") answer; empty for Whole.
std::string ContentRangeValue(const TByteRange& range, std::uint64_t size);

}  // namespace zel

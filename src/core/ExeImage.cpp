#include "core/ExeImage.h"

#include <algorithm>
#include <limits>

namespace zel {
namespace {

// Bounds-checked little/big-endian reads; reads past the end give 0.
class TReader {
 public:
  TReader(std::span<const std::byte> data, bool bigEndian) : FData(data), FBig(bigEndian) {}
  bool Has(std::uint64_t off, std::uint64_t len) const {
    return off <= FData.size() && len <= FData.size() - off;
  }
  std::uint64_t U(std::uint64_t off, int bytes) const {
    if (!Has(off, bytes)) return 0;
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) {
      const auto b = static_cast<std::uint64_t>(FData[off + (FBig ? i : bytes - 1 - i)]);
      v = (v << 8) | b;
    }
    return v;
  }

 private:
  std::span<const std::byte> FData;
  bool FBig;
};

std::uint64_t SatAdd(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

std::uint64_t SatMul(std::uint64_t a, std::uint64_t b) {
  if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a)
    return std::numeric_limits<std::uint64_t>::max();
  return a * b;
}

constexpr std::uint32_t kShtNobits = 8;

}  // namespace

std::uint64_t PeImageEnd(std::span<const std::byte> file) {
  const TReader r(file, false);
  const std::uint64_t nt = r.U(0x3C, 4);
  const std::uint64_t sections = r.U(nt + 4 + 2, 2);
  const std::uint64_t optionalSize = r.U(nt + 4 + 16, 2);
  const std::uint64_t table = nt + 4 + 20 + optionalSize;
  std::uint64_t end = 0;
  for (std::uint64_t i = 0; i < sections; ++i) {
    const std::uint64_t h = table + i * 40;
    if (!r.Has(h, 40)) break;
    end = std::max(end, r.U(h + 20, 4) + r.U(h + 16, 4));
  }
  return end;
}

std::uint64_t ElfImageEnd(std::span<const std::byte> file) {
  if (file.size() < 16) return 0;
  const auto cls = static_cast<int>(file[4]);
  const bool big = static_cast<int>(file[5]) == 2;
  if (cls != 1 && cls != 2) return 0;
  const bool is64 = cls == 2;
  const TReader r(file, big);
  const int w = is64 ? 8 : 4;
  const std::uint64_t phoff = r.U(is64 ? 0x20 : 0x1C, w);
  const std::uint64_t shoff = r.U(is64 ? 0x28 : 0x20, w);
  const std::uint64_t phentsize = r.U(is64 ? 0x36 : 0x2A, 2);
  const std::uint64_t phnum = r.U(is64 ? 0x38 : 0x2C, 2);
  const std::uint64_t shentsize = r.U(is64 ? 0x3A : 0x2E, 2);
  std::uint64_t shnum = r.U(is64 ? 0x3C : 0x30, 2);
  // Extended numbering: the count lives in the first section header's size.
  if (shnum == 0 && shoff != 0) shnum = r.U(shoff + (is64 ? 0x20 : 0x14), w);

  std::uint64_t end = 0;
  if (phoff) end = std::max(end, SatAdd(phoff, SatMul(phnum, phentsize)));
  if (shoff) end = std::max(end, SatAdd(shoff, SatMul(shnum, shentsize)));
  const std::uint64_t phsize = is64 ? 56 : 32, shsize = is64 ? 64 : 40;
  for (std::uint64_t i = 0; phentsize >= phsize && i < phnum; ++i) {
    const std::uint64_t h = phoff + i * phentsize;
    if (!r.Has(h, phsize)) break;
    const std::uint64_t offset = r.U(h + (is64 ? 8 : 4), w);
    const std::uint64_t filesz = r.U(h + (is64 ? 0x20 : 0x10), w);
    if (filesz) end = std::max(end, SatAdd(offset, filesz));
  }
  for (std::uint64_t i = 0; shentsize >= shsize && i < shnum; ++i) {
    const std::uint64_t h = shoff + i * shentsize;
    if (!r.Has(h, shsize)) break;
    if (r.U(h + 4, 4) == kShtNobits) continue;
    const std::uint64_t offset = r.U(h + (is64 ? 0x18 : 0x10), w);
    const std::uint64_t size = r.U(h + (is64 ? 0x20 : 0x14), w);
    if (size) end = std::max(end, SatAdd(offset, size));
  }
  return end;
}

std::uint64_t ExecutableImageEnd(std::span<const std::byte> file) {
  auto at = [&](size_t i) { return i < file.size() ? static_cast<unsigned char>(file[i]) : 0; };
  if (at(0) == 0x7F && at(1) == 'E' && at(2) == 'L' && at(3) == 'F') return ElfImageEnd(file);
  if (at(0) == 'M' && at(1) == 'Z') return PeImageEnd(file);
  return 0;
}

}  // namespace zel

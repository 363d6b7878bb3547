#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/ExeImage.h"

using namespace zel;

namespace {

std::vector<std::byte> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::byte> bytes(s.size());
  std::memcpy(bytes.data(), s.data(), s.size());
  return bytes;
}

void Put(std::vector<std::byte>& b, size_t off, std::uint64_t v, int n, bool big = false) {
  if (b.size() < off + n) b.resize(off + n);
  for (int i = 0; i < n; ++i)
    b[off + (big ? n - 1 - i : i)] = static_cast<std::byte>((v >> (8 * i)) & 0xFF);
}

}  // namespace

// A linked executable ends exactly at its image end; whatever is appended
// afterwards does not move it.
TEST(ExeImageTest, RealExecutablesEndAtTheirImageEnd) {
  std::vector<std::string> files = {ZEL_TEST_ELF};
  if (std::string(ZEL_TEST_PE).size()) files.push_back(ZEL_TEST_PE);
  for (const std::string& path : files) {
    auto bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 1000u) << path;
    const std::uint64_t end = ExecutableImageEnd(bytes);
    EXPECT_EQ(end, bytes.size()) << path;
    bytes.resize(bytes.size() + 4096, std::byte{0x50});
    EXPECT_EQ(ExecutableImageEnd(bytes), end) << path;
  }
}

TEST(ExeImageTest, SyntheticHeaders) {
  // 32-bit big-endian ELF: one program header and one section past it.
  std::vector<std::byte> elf32(0x200);
  const char ident[] = {0x7F, 'E', 'L', 'F', 1, 2, 1};
  for (size_t i = 0; i < sizeof ident; ++i) elf32[i] = static_cast<std::byte>(ident[i]);
  Put(elf32, 0x1C, 0x34, 4, true);   // e_phoff
  Put(elf32, 0x20, 0x100, 4, true);  // e_shoff
  Put(elf32, 0x2A, 32, 2, true);     // e_phentsize
  Put(elf32, 0x2C, 1, 2, true);      // e_phnum
  Put(elf32, 0x2E, 40, 2, true);     // e_shentsize
  Put(elf32, 0x30, 2, 2, true);      // e_shnum
  Put(elf32, 0x34 + 4, 0, 4, true);  // p_offset
  Put(elf32, 0x34 + 16, 0x90, 4, true);
  Put(elf32, 0x128 + 4, 1, 4, true);  // section 1: PROGBITS at 0x150, 0x100 bytes
  Put(elf32, 0x128 + 0x10, 0x150, 4, true);
  Put(elf32, 0x128 + 0x14, 0x100, 4, true);
  EXPECT_EQ(ElfImageEnd(elf32), 0x250u);
  // A NOBITS section has no bytes in the file.
  Put(elf32, 0x128 + 4, 8, 4, true);
  EXPECT_EQ(ElfImageEnd(elf32), 0x150u);  // the section header table's end

  // PE with two sections.
  std::vector<std::byte> pe(0x400);
  pe[0] = std::byte{'M'}, pe[1] = std::byte{'Z'};
  Put(pe, 0x3C, 0x80, 4);
  Put(pe, 0x80 + 4 + 2, 2, 2);      // NumberOfSections
  Put(pe, 0x80 + 4 + 16, 0xF0, 2);  // SizeOfOptionalHeader
  const size_t table = 0x80 + 4 + 20 + 0xF0;
  Put(pe, table + 16, 0x200, 4), Put(pe, table + 20, 0x400, 4);
  Put(pe, table + 40 + 16, 0x100, 4), Put(pe, table + 40 + 20, 0x200, 4);
  EXPECT_EQ(ExecutableImageEnd(pe), 0x600u);
}

// Damaged headers never read out of bounds and never loop for long.
TEST(ExeImageTest, TruncatedAndGarbageInput) {
  const auto elf = ReadFile(ZEL_TEST_ELF);
  for (size_t n : {0u, 3u, 4u, 16u, 63u, 64u, 200u}) {
    std::vector<std::byte> cut(elf.begin(), elf.begin() + std::min(n, elf.size()));
    ExecutableImageEnd(cut);
  }
  std::vector<std::byte> hostile(128);
  const char ident[] = {0x7F, 'E', 'L', 'F', 2, 1};
  for (size_t i = 0; i < sizeof ident; ++i) hostile[i] = static_cast<std::byte>(ident[i]);
  Put(hostile, 0x28, 0x40, 8);  // e_shoff inside the file
  Put(hostile, 0x3A, 0, 2);     // e_shentsize 0 must not spin
  Put(hostile, 0x3C, 0xFFFF, 2);
  Put(hostile, 0x20, ~0ull, 8);  // e_phoff at the very end of the address space
  Put(hostile, 0x36, 56, 2);
  Put(hostile, 0x38, 0xFFFF, 2);
  EXPECT_GT(ElfImageEnd(hostile), 0u);
  std::vector<std::byte> mz(2);
  mz[0] = std::byte{'M'}, mz[1] = std::byte{'Z'};
  EXPECT_EQ(ExecutableImageEnd(mz), 0u);
  EXPECT_EQ(ExecutableImageEnd({}), 0u);
}

// The image end of an executable: where the file as built ends and an
// appended archive begins. Pure functions over the file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zel {

// PE: the largest PointerToRawData + SizeOfRawData of the section table.
std::uint64_t PeImageEnd(std::span<const std::byte> file);

// ELF (32/64-bit, either byte order): the largest end of the section header
// table, the program header table, the program headers' file ranges and the
// sections' file ranges.
std::uint64_t ElfImageEnd(std::span<const std::byte> file);

// Chooses by the file's magic; 0 when it is neither PE nor ELF.
std::uint64_t ExecutableImageEnd(std::span<const std::byte> file);

}  // namespace zel

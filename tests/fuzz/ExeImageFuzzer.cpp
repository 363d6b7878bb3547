// Fuzzes the reading of an executable's headers, which decides where the
// appended archive starts.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/ExeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = std::as_bytes(std::span(data, size));
  zel::ExecutableImageEnd(bytes);
  // Each reader on its own too, so a PE header in an ELF file is read as well.
  zel::PeImageEnd(bytes);
  zel::ElfImageEnd(bytes);
  return 0;
}

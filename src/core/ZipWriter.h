// Writes application archives: entries stored (method 0), encrypted with the
// traditional PKWARE cipher and followed by data descriptors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zel {

class EZipWrite : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TZipWriter {
 public:
  // An empty password writes unencrypted entries.
  explicit TZipWriter(std::string password);

  // Adds a file entry. `dosTime` is the MS-DOS date (high word) and time.
  void AddFile(std::string_view name, std::string_view content, std::uint32_t dosTime);
  // Adds a folder entry; the name must end with "/".
  void AddFolder(std::string_view name, std::uint32_t dosTime);

  // Appends the central directory and returns the whole archive.
  std::string Finish();

  // Converts a Unix time (seconds) to the MS-DOS date and time, local time.
  static std::uint32_t DosTimeFromUnix(std::int64_t seconds);

 private:
  struct TCentralEntry {
    std::string Name;
    std::uint32_t DosTime, Crc, CompressedSize, Size, Offset, ExternalAttributes;
  };
  void AddEntry(std::string_view name, std::string_view content, std::uint32_t dosTime,
                std::uint32_t externalAttributes);
  std::string FPassword;
  std::string FOut;
  std::string FCentral;
  std::uint32_t FCount = 0;
};

// The traditional PKWARE stream cipher of the ZIP application note.
class TPkwareCipher {
 public:
  explicit TPkwareCipher(std::string_view password);
  std::uint8_t Encrypt(std::uint8_t plain);
  std::uint8_t Decrypt(std::uint8_t cipher);

 private:
  void Update(std::uint8_t plain);
  std::uint8_t KeyStream() const;
  std::uint32_t FKey0 = 0x12345678, FKey1 = 0x23456789, FKey2 = 0x34567890;
};

}  // namespace zel

#include "core/ZipWriter.h"

#include <zlib.h>

#include <ctime>
#include <random>

namespace zel {
namespace {

constexpr std::uint16_t kFlagEncrypted = 1u << 0;
constexpr std::uint16_t kFlagDataDescriptor = 1u << 3;
constexpr std::uint16_t kFlagUtf8 = 1u << 11;
constexpr std::uint16_t kVersionNeeded = 20;
constexpr std::uint16_t kVersionMadeBy = (3u << 8) | 30;  // Unix, 3.0
constexpr std::uint32_t kHeaderLen = 12;

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

std::uint32_t Crc32Byte(std::uint32_t crc, std::uint8_t b) {
  static const z_crc_t* table = get_crc_table();
  return table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

}  // namespace

TPkwareCipher::TPkwareCipher(std::string_view password) {
  for (const char c : password) Update(static_cast<std::uint8_t>(c));
}

void TPkwareCipher::Update(std::uint8_t plain) {
  FKey0 = Crc32Byte(FKey0, plain);
  FKey1 = (FKey1 + (FKey0 & 0xFF)) * 134775813u + 1;
  FKey2 = Crc32Byte(FKey2, static_cast<std::uint8_t>(FKey1 >> 24));
}

std::uint8_t TPkwareCipher::KeyStream() const {
  const std::uint32_t t = (FKey2 | 2) & 0xFFFF;
  return static_cast<std::uint8_t>((t * (t ^ 1)) >> 8);
}

std::uint8_t TPkwareCipher::Encrypt(std::uint8_t plain) {
  const std::uint8_t c = KeyStream() ^ plain;
  Update(plain);
  return c;
}

std::uint8_t TPkwareCipher::Decrypt(std::uint8_t cipher) {
  const std::uint8_t plain = KeyStream() ^ cipher;
  Update(plain);
  return plain;
}

TZipWriter::TZipWriter(std::string password) : FPassword(std::move(password)) {}

void TZipWriter::AddFile(std::string_view name, std::string_view content, std::uint32_t dosTime) {
  AddEntry(name, content, dosTime, (0100644u << 16));
}

void TZipWriter::AddFolder(std::string_view name, std::uint32_t dosTime) {
  if (name.empty() || name.back() != '/') throw EZipWrite("folder entry must end with /");
  AddEntry(name, {}, dosTime, (040755u << 16) | 0x10);
}

void TZipWriter::AddEntry(std::string_view name, std::string_view content, std::uint32_t dosTime,
                          std::uint32_t externalAttributes) {
  const bool encrypt = !FPassword.empty();
  const std::uint64_t compressed = content.size() + (encrypt ? kHeaderLen : 0);
  if (name.size() > 0xFFFF) throw EZipWrite("entry name too long: " + std::string(name));
  if (compressed > 0xFFFFFFFFull || FOut.size() > 0xFFFFFFFFull || FCount == 0xFFFF)
    throw EZipWrite("archive too large (more than 4 GiB or 65535 entries)");
  const std::uint16_t flags = kFlagDataDescriptor | kFlagUtf8 | (encrypt ? kFlagEncrypted : 0);
  const auto crc = static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
  const auto offset = static_cast<std::uint32_t>(FOut.size());

  Put32(FOut, 0x04034b50);
  Put16(FOut, kVersionNeeded);
  Put16(FOut, flags);
  Put16(FOut, 0);  // stored
  Put32(FOut, dosTime);
  Put32(FOut, 0);  // crc and sizes follow in the data descriptor
  Put32(FOut, 0);
  Put32(FOut, 0);
  Put16(FOut, static_cast<std::uint32_t>(name.size()));
  Put16(FOut, 0);
  FOut.append(name);

  if (encrypt) {
    TPkwareCipher cipher(FPassword);
    std::random_device random;
    for (std::uint32_t i = 0; i < kHeaderLen - 1; ++i)
      FOut += static_cast<char>(cipher.Encrypt(static_cast<std::uint8_t>(random())));
    // With a data descriptor the check byte is the high byte of the time.
    FOut += static_cast<char>(cipher.Encrypt(static_cast<std::uint8_t>((dosTime >> 8) & 0xFF)));
    const size_t start = FOut.size();
    FOut.resize(start + content.size());
    for (size_t i = 0; i < content.size(); ++i)
      FOut[start + i] = static_cast<char>(cipher.Encrypt(static_cast<std::uint8_t>(content[i])));
  } else {
    FOut.append(content);
  }

  Put32(FOut, 0x08074b50);
  Put32(FOut, crc);
  Put32(FOut, static_cast<std::uint32_t>(compressed));
  Put32(FOut, static_cast<std::uint32_t>(content.size()));

  Put32(FCentral, 0x02014b50);
  Put16(FCentral, kVersionMadeBy);
  Put16(FCentral, kVersionNeeded);
  Put16(FCentral, flags);
  Put16(FCentral, 0);
  Put32(FCentral, dosTime);
  Put32(FCentral, crc);
  Put32(FCentral, static_cast<std::uint32_t>(compressed));
  Put32(FCentral, static_cast<std::uint32_t>(content.size()));
  Put16(FCentral, static_cast<std::uint32_t>(name.size()));
  Put16(FCentral, 0);  // extra
  Put16(FCentral, 0);  // comment
  Put16(FCentral, 0);  // disk
  Put16(FCentral, 0);  // internal attributes
  Put32(FCentral, externalAttributes);
  Put32(FCentral, offset);
  FCentral.append(name);
  ++FCount;
}

std::string TZipWriter::Finish() {
  const auto centralOffset = static_cast<std::uint32_t>(FOut.size());
  std::string out = std::move(FOut);
  out += FCentral;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, FCount);
  Put16(out, FCount);
  Put32(out, static_cast<std::uint32_t>(FCentral.size()));
  Put32(out, centralOffset);
  Put16(out, 0);
  FOut.clear();
  FCentral.clear();
  FCount = 0;
  return out;
}

std::uint32_t TZipWriter::DosTimeFromUnix(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  // The packager is single-threaded, so the shared result of localtime is safe.
  const std::tm* local = std::localtime(&t);
  if (!local) return (1u << 21) | (1u << 16);
  const std::tm tm = *local;
  if (tm.tm_year < 80) return (1u << 21) | (1u << 16);  // 1980-01-01
  const std::uint32_t date = ((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday;
  const std::uint32_t time = (tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2);
  return (date << 16) | time;
}

}  // namespace zel

#include "core/ZipEntryStream.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>
#include <utility>

namespace zel::zipentry {
namespace {

constexpr std::size_t kEncryptionHeader = 12;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
constexpr std::uint16_t kFlagStrongEncryption = 0x0040;
constexpr std::size_t kChunk = 64 * 1024;

std::uint32_t Get16(std::span<const std::byte> data, std::uint64_t at) {
  return std::to_integer<std::uint32_t>(data[at]) | std::to_integer<std::uint32_t>(data[at + 1])
                                                        << 8;
}

std::uint32_t Get32(std::span<const std::byte> data, std::uint64_t at) {
  return Get16(data, at) | Get16(data, at + 2) << 16;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}();

inline std::uint32_t Crc32Byte(std::uint32_t crc, std::uint8_t b) {
  return kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

// The data offset and coding of the entry whose central record starts at
// `at`; null when the record is damaged or describes what this reader does
// not handle (Zip64 sizes, strong or AES encryption, other methods).
std::unique_ptr<TEntryInfo> EntryAt(std::span<const std::byte> data, std::uint64_t at) {
  const std::uint32_t flags = Get16(data, at + 8);
  auto info = std::make_unique<TEntryInfo>();
  info->Method = static_cast<std::uint16_t>(Get16(data, at + 10));
  info->Crc = Get32(data, at + 16);
  info->CompressedSize = Get32(data, at + 20);
  info->Size = Get32(data, at + 24);
  const std::uint64_t local = Get32(data, at + 42);
  info->Encrypted = (flags & kFlagEncrypted) != 0;
  if ((info->Method != 0 && info->Method != 8) || (flags & kFlagStrongEncryption)) return nullptr;
  if (info->CompressedSize == 0xFFFFFFFF || info->Size == 0xFFFFFFFF || local == 0xFFFFFFFF)
    return nullptr;
  if (local + 30 > data.size() || Get32(data, local) != 0x04034b50) return nullptr;
  info->DataOffset = local + 30 + Get16(data, local + 26) + Get16(data, local + 28);
  const std::uint64_t header = info->Encrypted ? kEncryptionHeader : 0;
  if (info->CompressedSize < header || info->DataOffset + info->CompressedSize > data.size())
    return nullptr;
  if (info->Method == 0 && info->CompressedSize != info->Size + header) return nullptr;
  const std::uint32_t localTime = Get16(data, local + 10);
  info->CheckByte =
      static_cast<std::uint8_t>((flags & kFlagDataDescriptor) ? localTime >> 8 : info->Crc >> 24);
  return info;
}

}  // namespace

void TKeys::Update(std::uint8_t plain) {
  K0 = Crc32Byte(K0, plain);
  K1 = (K1 + (K0 & 0xFF)) * 134775813 + 1;
  K2 = Crc32Byte(K2, static_cast<std::uint8_t>(K1 >> 24));
}

std::uint8_t TKeys::Mask() const {
  const std::uint32_t t = (K2 | 2) & 0xFFFF;  // unsigned: the product needs 32 bits
  return static_cast<std::uint8_t>((t * (t ^ 1)) >> 8);
}

void TKeys::Decrypt(const std::byte* in, std::byte* out, std::size_t size) {
  TKeys k = *this;  // in registers for the loop
  for (std::size_t i = 0; i < size; ++i) {
    const auto plain = static_cast<std::uint8_t>(std::to_integer<std::uint8_t>(in[i]) ^ k.Mask());
    k.Update(plain);
    if (out) out[i] = static_cast<std::byte>(plain);
  }
  *this = k;
}

TArchiveBytes::TArchiveBytes(std::span<const std::byte> data, std::shared_ptr<const void> owner)
    : FData(data), FOwner(std::move(owner)) {
  ReadCentralDirectory();
}

void TArchiveBytes::ReadCentralDirectory() {
  if (FData.size() < 22) return;
  // The end record is the last 22 bytes plus a comment of up to 64 KB.
  const std::uint64_t lowest = FData.size() > 22 + 0xFFFF ? FData.size() - 22 - 0xFFFF : 0;
  std::uint64_t end = FData.size() - 22;
  while (Get32(FData, end) != 0x06054b50) {
    if (end == lowest) return;
    --end;
  }
  const std::uint32_t count = Get16(FData, end + 10);
  std::uint64_t at = Get32(FData, end + 16);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + 46 > FData.size() || Get32(FData, at) != 0x02014b50) break;
    FEntries.push_back(EntryAt(FData, at));
    at += 46 + Get16(FData, at + 28) + Get16(FData, at + 30) + Get16(FData, at + 32);
  }
}

const TEntryInfo* TArchiveBytes::Entry(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= FEntries.size()) return nullptr;
  return FEntries[static_cast<std::size_t>(index)].get();
}

std::pair<std::uint64_t, TKeys> TArchiveBytes::Checkpoint(int index, std::uint64_t wanted) {
  std::lock_guard lock(FLock);
  const std::vector<TKeys>& known = FCheckpoints[index];
  const std::uint64_t number = std::min<std::uint64_t>(wanted, known.size() - 1);
  return {number, known[number]};
}

void TArchiveBytes::AddCheckpoint(int index, std::uint64_t number, const TKeys& keys) {
  std::lock_guard lock(FLock);
  std::vector<TKeys>& known = FCheckpoints[index];
  if (known.size() == number) known.push_back(keys);
}

bool TArchiveBytes::Verified(int index) {
  std::lock_guard lock(FLock);
  return FVerified[index];
}

void TArchiveBytes::SetVerified(int index) {
  std::lock_guard lock(FLock);
  FVerified[index] = true;
}

bool TArchiveBytes::ClaimCheckpointFill(int index) {
  std::lock_guard lock(FLock);
  return !std::exchange(FFilling[index], true);
}

namespace {

// Position, size and the CRC check shared by both codings.
class TEntryStream : public IReadStream {
 public:
  TEntryStream(std::shared_ptr<TArchiveBytes> archive, int index, const TEntryInfo& info,
               const TKeys& startKeys)
      : FArchive(std::move(archive)),
        FIndex(index),
        FInfo(info),
        FStartKeys(startKeys),
        FData(FArchive->Data().data() + info.DataOffset + (info.Encrypted ? kEncryptionHeader : 0)),
        FVerified(FArchive->Verified(index)) {}

  std::uint64_t Size() const override { return FInfo.Size; }

  bool Seek(std::uint64_t position) override {
    if (position > FInfo.Size) return false;
    FPosition = position;
    return true;
  }

  std::int64_t Read(void* buffer, std::size_t size) override {
    if (FFailed) return -1;
    const std::uint64_t n = std::min<std::uint64_t>(size, FInfo.Size - FPosition);
    if (n == 0) return 0;
    auto* out = static_cast<std::byte*>(buffer);
    if (!Decode(out, n) || !CheckCrc(out, n)) {
      FFailed = true;
      return -1;
    }
    FPosition += n;
    return static_cast<std::int64_t>(n);
  }

 protected:
  // Writes the `size` bytes from FPosition on.
  virtual bool Decode(std::byte* out, std::uint64_t size) = 0;

  std::shared_ptr<TArchiveBytes> FArchive;
  int FIndex;
  TEntryInfo FInfo;
  TKeys FStartKeys;  // the keys just after the encryption header
  const std::byte* FData;
  std::uint64_t FPosition = 0;

 private:
  // The CRC is summed only over a read from the entry's start onwards.
  bool CheckCrc(const std::byte* out, std::uint64_t size) {
    if (FVerified || FCrcAt != FPosition) return true;
    FCrc = static_cast<std::uint32_t>(
        crc32(FCrc, reinterpret_cast<const Bytef*>(out), static_cast<uInt>(size)));
    FCrcAt += size;
    if (FCrcAt < FInfo.Size) return true;
    if (FCrc != FInfo.Crc) return false;
    FVerified = true;
    FArchive->SetVerified(FIndex);
    return true;
  }

  bool FVerified;
  bool FFailed = false;
  std::uint32_t FCrc = 0;
  std::uint64_t FCrcAt = 0;
};

class TStoredStream final : public TEntryStream {
 public:
  using TEntryStream::TEntryStream;

 protected:
  bool Decode(std::byte* out, std::uint64_t size) override {
    if (!FInfo.Encrypted) {
      std::memcpy(out, FData + FPosition, size);
      return true;
    }
    MoveKeysTo(FPosition);
    Run(out, size);
    return true;
  }

 private:
  // From the nearest checkpoint at or before `position`, or from where the
  // keys stand when that is nearer.
  void MoveKeysTo(std::uint64_t position) {
    if (FKeysAt == position) return;
    const auto [number, keys] = FArchive->Checkpoint(FIndex, position / kCheckpointSpacing);
    if (FKeysAt > position || number * kCheckpointSpacing > FKeysAt) {
      FKeys = keys;
      FKeysAt = number * kCheckpointSpacing;
    }
    Run(nullptr, position - FKeysAt);
  }

  // Decrypts onwards from FKeysAt, noting every checkpoint it passes.
  void Run(std::byte* out, std::uint64_t size) {
    while (size > 0) {
      const std::uint64_t toNext = kCheckpointSpacing - FKeysAt % kCheckpointSpacing;
      const auto n = static_cast<std::size_t>(std::min(size, toNext));
      FKeys.Decrypt(FData + FKeysAt, out, n);
      FKeysAt += n;
      size -= n;
      if (out) out += n;
      if (FKeysAt % kCheckpointSpacing == 0)
        FArchive->AddCheckpoint(FIndex, FKeysAt / kCheckpointSpacing, FKeys);
    }
  }

  TKeys FKeys = FStartKeys;
  std::uint64_t FKeysAt = 0;
};

// Deflate cannot start mid-stream: reading before where it stands starts
// over from the entry's start, reading past it inflates what is skipped.
class TDeflatedStream final : public TEntryStream {
 public:
  TDeflatedStream(std::shared_ptr<TArchiveBytes> archive, int index, const TEntryInfo& info,
                  const TKeys& startKeys)
      : TEntryStream(std::move(archive), index, info, startKeys), FKeys(startKeys) {
    FReady = inflateInit2(&FZ, -MAX_WBITS) == Z_OK;
  }
  ~TDeflatedStream() override {
    if (FReady) inflateEnd(&FZ);
  }
  TDeflatedStream(const TDeflatedStream&) = delete;
  TDeflatedStream& operator=(const TDeflatedStream&) = delete;

 protected:
  bool Decode(std::byte* out, std::uint64_t size) override {
    if (!FReady) return false;
    if (FOut > FPosition && !Restart()) return false;
    std::byte skipped[kChunk];
    while (FOut < FPosition)
      if (!Inflate(skipped, std::min<std::uint64_t>(kChunk, FPosition - FOut))) return false;
    return Inflate(out, size);
  }

 private:
  bool Restart() {
    FKeys = FStartKeys;
    FIn = 0;
    FOut = 0;
    FZ.avail_in = 0;
    return inflateReset(&FZ) == Z_OK;
  }

  // Exactly `size` bytes of output, or false.
  bool Inflate(std::byte* out, std::uint64_t size) {
    const std::uint64_t input = FInfo.CompressedSize - (FInfo.Encrypted ? kEncryptionHeader : 0);
    FZ.next_out = reinterpret_cast<Bytef*>(out);
    FZ.avail_out = static_cast<uInt>(size);
    while (FZ.avail_out > 0) {
      if (FZ.avail_in == 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, input - FIn));
        if (n == 0) return false;  // the data ends before the entry's size
        if (FInfo.Encrypted) {
          FKeys.Decrypt(FData + FIn, FInput, n);
          FZ.next_in = reinterpret_cast<Bytef*>(FInput);
        } else {
          // zlib only reads its input.
          FZ.next_in = reinterpret_cast<Bytef*>(const_cast<std::byte*>(FData + FIn));
        }
        FZ.avail_in = static_cast<uInt>(n);
        FIn += n;
      }
      const int result = inflate(&FZ, Z_NO_FLUSH);
      if (result == Z_STREAM_END && FZ.avail_out > 0) return false;
      if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) return false;
    }
    FOut += size;
    return true;
  }

  z_stream FZ{};
  bool FReady = false;
  TKeys FKeys;
  std::uint64_t FIn = 0;   // compressed bytes fed to zlib
  std::uint64_t FOut = 0;  // bytes inflated
  std::byte FInput[kChunk];
};

// Runs the cipher through a stored entry, noting every checkpoint. The
// archive's bytes stay alive as long as this holds `archive`.
void FillCheckpoints(std::shared_ptr<TArchiveBytes> archive, int index, TKeys keys) {
  const TEntryInfo& info = *archive->Entry(index);
  const std::byte* data = archive->Data().data() + info.DataOffset + kEncryptionHeader;
  for (std::uint64_t at = 0; at + kCheckpointSpacing <= info.Size; at += kCheckpointSpacing) {
    keys.Decrypt(data + at, nullptr, kCheckpointSpacing);
    archive->AddCheckpoint(index, at / kCheckpointSpacing + 1, keys);
  }
}

// Confirms a small entry whole on opening, as reading it into memory did.
bool ReadsWhole(IReadStream& stream) {
  std::byte scratch[kChunk];
  std::int64_t n;
  while ((n = stream.Read(scratch, sizeof scratch)) > 0) {
  }
  return n == 0 && stream.Seek(0);
}

}  // namespace

std::unique_ptr<IReadStream> OpenEntry(std::shared_ptr<TArchiveBytes> archive, int index,
                                       const std::string& password) {
  const TEntryInfo* info = archive ? archive->Entry(index) : nullptr;
  if (!info || (info->Size == 0 && info->Crc != 0)) return nullptr;
  TKeys keys;
  if (info->Encrypted) {
    if (password.empty()) return nullptr;
    for (char c : password) keys.Update(static_cast<std::uint8_t>(c));
    std::byte header[kEncryptionHeader];
    keys.Decrypt(archive->Data().data() + info->DataOffset, header, kEncryptionHeader);
    if (std::to_integer<std::uint8_t>(header[kEncryptionHeader - 1]) != info->CheckByte)
      return nullptr;
    archive->AddCheckpoint(index, 0, keys);
  }
  if (info->Encrypted && info->Method == 0 && info->Size > 2 * kCheckpointSpacing &&
      archive->ClaimCheckpointFill(index))
    std::thread(FillCheckpoints, archive, index, keys).detach();
  std::unique_ptr<IReadStream> stream;
  if (info->Method == 0)
    stream = std::make_unique<TStoredStream>(archive, index, *info, keys);
  else
    stream = std::make_unique<TDeflatedStream>(archive, index, *info, keys);
  if (info->Size <= kCheckpointSpacing && !archive->Verified(index) && !ReadsWhole(*stream))
    return nullptr;
  return stream;
}

}  // namespace zel::zipentry

// Package entries read in place: the archive's bytes (a read-only mapping of
// the executable's tail) are decoded while read, so serving an entry never
// copies it whole. Handles what archives of applications hold: stored or
// deflated entries, plain or under the traditional PKWARE cipher. Anything
// else is left to libzip (TAbZipKit falls back to it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "com/ReadStream.h"

namespace zel::zipentry {

// Decrypting a stored entry from an offset needs the cipher's state there,
// which only running it from the entry's start gives; the state is kept
// every kCheckpointSpacing bytes, so a seek runs the cipher at most that far.
// The first stream of a large entry has a worker thread run the cipher through
// it once to note them all (a media element seeks soon after it starts);
// until it has, a seek runs from the farthest one noted so far.
constexpr std::uint64_t kCheckpointSpacing = 1 << 20;

// The traditional PKWARE cipher's three keys.
struct TKeys {
  std::uint32_t K0 = 0x12345678, K1 = 0x23456789, K2 = 0x34567890;
  void Update(std::uint8_t plain);
  std::uint8_t Mask() const;
  // Decrypts `size` bytes into `out` (null: only advances the keys).
  void Decrypt(const std::byte* in, std::byte* out, std::size_t size);
};

// Where an entry's data lies and how it is coded, from its central directory
// record and local header.
struct TEntryInfo {
  std::uint64_t DataOffset = 0;  // the first byte after the local header
  std::uint64_t CompressedSize = 0;
  std::uint64_t Size = 0;
  std::uint16_t Method = 0;  // 0 stored, 8 deflated
  bool Encrypted = false;
  std::uint8_t CheckByte = 0;  // the last byte of the decrypted encryption header
  std::uint32_t Crc = 0;
};

// What every stream of one archive shares, and keeps alive: the bytes, their
// owner, the checkpoints found so far and the entries whose CRC was confirmed.
class TArchiveBytes {
 public:
  TArchiveBytes(std::span<const std::byte> data, std::shared_ptr<const void> owner);
  std::span<const std::byte> Data() const { return FData; }

  // The entries' locations by central directory order (which is libzip's
  // index order); an entry this reader does not handle has none.
  const TEntryInfo* Entry(int index) const;
  std::size_t EntryCount() const { return FEntries.size(); }

  // The largest known checkpoint at or before number `wanted` of the entry:
  // its number and the keys there. Number 0 (just after the encryption
  // header) is known once a stream of the entry is open.
  std::pair<std::uint64_t, TKeys> Checkpoint(int index, std::uint64_t wanted);
  void AddCheckpoint(int index, std::uint64_t number, const TKeys& keys);
  bool Verified(int index);
  void SetVerified(int index);
  // True for the first caller only, per entry.
  bool ClaimCheckpointFill(int index);

 private:
  void ReadCentralDirectory();
  std::span<const std::byte> FData;
  std::shared_ptr<const void> FOwner;
  std::vector<std::unique_ptr<TEntryInfo>> FEntries;
  std::mutex FLock;
  std::unordered_map<int, std::vector<TKeys>> FCheckpoints;
  std::unordered_map<int, bool> FVerified;
  std::unordered_map<int, bool> FFilling;
};

// A stream of entry `index`; null when this reader does not handle it or
// when the password does not open it (the encryption header's check byte,
// and the CRC for entries of at most one checkpoint's size, which are
// decoded once on opening). Larger entries confirm their CRC when read
// through from the start: the read that would end the entry fails instead
// when it does not match.
std::unique_ptr<IReadStream> OpenEntry(std::shared_ptr<TArchiveBytes> archive, int index,
                                       const std::string& password);

}  // namespace zel::zipentry

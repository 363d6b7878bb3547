// TAbZipKit: the application archive, read from memory with libzip.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "com/ReadStream.h"

struct zip;
struct zip_source;

namespace zel {
namespace zipentry {
class TArchiveBytes;
}

class TAbZipKit {
 public:
  TAbZipKit() = default;
  ~TAbZipKit();
  TAbZipKit(const TAbZipKit&) = delete;
  TAbZipKit& operator=(const TAbZipKit&) = delete;

  // Used to decrypt every entry; set before any extraction.
  void SetPassword(std::string password);

  // Opens the archive on bytes that `owner` keeps alive (or, without one,
  // the caller for the life of this object and of every entry stream). False
  // (and an empty archive) when they are not a readable ZIP archive.
  bool Open(std::span<const std::byte> data, std::shared_ptr<const void> owner = nullptr);
  bool IsOpen() const { return FZip != nullptr; }

  // Index of the entry whose name equals Name ignoring ASCII case; -1 if none.
  int FindFile(std::string_view name) const;

  // Appends the decrypted content of the named entry to Stream. Nothing is
  // written when the entry is absent or cannot be read whole; never throws.
  void ExtractToStream(std::string_view name, std::string& stream) const;

  // Streams the entry's content to Sink in chunks. False when the entry is
  // absent, the password is wrong, the data is damaged or Sink refuses.
  using TSink = std::function<bool(const char* data, size_t size)>;
  bool ExtractTo(int index, const TSink& sink) const;

  // The entry's whole content; nothing when ExtractTo would fail.
  std::optional<std::string> ExtractToString(int index) const;

  // The entry as a stream that decodes while read, reading the archive's
  // bytes in place (see ZipEntryStream.h); entries that reader does not
  // handle come whole from libzip instead. Null when ExtractTo would fail.
  // The stream keeps the bytes' owner alive and may outlive this object.
  std::unique_ptr<IReadStream> OpenEntryStream(int index) const;

  // Stored entry names in archive order.
  std::vector<std::string> EntryNames() const;

 private:
  void Close();
  zip* FZip = nullptr;
  std::shared_ptr<zipentry::TArchiveBytes> FBytes;
  std::string FPassword;
  std::unordered_map<std::string, int> FIndex;  // lower-cased name -> first index
};

}  // namespace zel

// Fuzzes the Range header of page requests: the range resolved for a body,
// then that range read from a package entry that decodes while read, which
// must give exactly the bytes of the whole entry at those places. The first
// input byte picks the entry; the rest is the header.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/ReadStream.h"
#include "core/ByteRanges.h"
#include "core/Calculations.h"
#include "core/ZipArchive.h"
#include "core/ZipEntryStream.h"
#include "core/ZipWriter.h"

namespace {

// Entries of the sizes that matter to the reader: empty, small, and larger
// than a checkpoint of the cipher.
struct TPackage {
  TPackage() {
    std::string big(zel::zipentry::kCheckpointSpacing * 2 + 123, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
    const std::string password = zel::CalculateWidth(zel::kPasswordText, zel::kPasswordKey);
    zel::TZipWriter writer(password);
    const auto time = zel::TZipWriter::DosTimeFromUnix(1700000000);
    Contents = {"", "0123456789abcdef", big};
    for (std::size_t i = 0; i < Contents.size(); ++i)
      writer.AddFile("e" + std::to_string(i), Contents[i], time);
    Bytes = writer.Finish();
    Zip.SetPassword(password);
    if (!Zip.Open(std::as_bytes(std::span(Bytes)))) std::abort();
  }
  std::string Bytes;
  std::vector<std::string> Contents;
  zel::TAbZipKit Zip;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TPackage* package = new TPackage;
  if (size == 0) return 0;
  const std::size_t pick = data[0] % package->Contents.size();
  const std::string_view header(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string& whole = package->Contents[pick];

  const zel::TByteRange range = zel::ResolveByteRange(header, whole.size());
  const std::string contentRange = zel::ContentRangeValue(range, whole.size());
  switch (range.Kind) {
    case zel::TByteRange::TKind::Whole:
      Check(range.First == 0 && range.Length == whole.size() && contentRange.empty());
      return 0;
    case zel::TByteRange::TKind::Unsatisfiable:
      Check(range.Length == 0 && contentRange == "bytes */" + std::to_string(whole.size()));
      return 0;
    case zel::TByteRange::TKind::Partial:
      Check(range.Length > 0 && range.First < whole.size() &&
            range.Length <= whole.size() - range.First);
      break;
  }
  std::unique_ptr<zel::IReadStream> stream =
      package->Zip.OpenEntryStream(package->Zip.FindFile("e" + std::to_string(pick)));
  Check(stream && stream->Size() == whole.size());
  // The start of the range and its end, each up to a few kilobytes, so a
  // run stays fast however long the range.
  const std::uint64_t span = std::min<std::uint64_t>(range.Length, 4096);
  for (const std::uint64_t first : {range.First, range.First + range.Length - span}) {
    Check(stream->Seek(first));
    std::string read(span, '\0');
    std::size_t done = 0;
    while (done < read.size()) {
      const std::int64_t n = stream->Read(read.data() + done, read.size() - done);
      Check(n > 0);
      done += static_cast<std::size_t>(n);
    }
    Check(read == whole.substr(first, span));
  }
  return 0;
}

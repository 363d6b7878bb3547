// Fuzzes what the start-up does with the bytes appended to the executable:
// open them as the archive, read the configuration, extract every entry,
// and read every entry again as a stream that decodes in place, which must
// give the same bytes (or fail where extracting fails).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/Calculations.h"
#include "core/IniFile.h"
#include "core/ZipArchive.h"

namespace {

// The stream's bytes from `first` to the end; nothing when a read fails.
std::optional<std::string> ReadFrom(zel::IReadStream& stream, std::uint64_t first) {
  if (!stream.Seek(first)) std::abort();  // every position up to the size seeks
  std::string out;
  char buffer[4096];
  for (;;) {
    const std::int64_t n = stream.Read(buffer, sizeof buffer);
    if (n < 0) return std::nullopt;
    if (n == 0) return out;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string password = zel::CalculateWidth(zel::kPasswordText, zel::kPasswordKey);
  zel::TAbZipKit zip;
  zip.SetPassword(password);
  if (!zip.Open(std::as_bytes(std::span(data, size)))) return 0;
  std::string ini;
  zip.ExtractToStream("zel.ini", ini);
  zel::TMemIniFile config;
  config.SetStrings(zel::SplitLines(zel::DecodeConfigText(ini, nullptr)));
  config.ReadString("App", "ID", "");
  const std::vector<std::string> names = zip.EntryNames();
  for (int index = 0; index < static_cast<int>(names.size()); ++index) {
    std::string content;
    zip.ExtractToStream(names[index], content);
    const std::optional<std::string> whole = zip.ExtractToString(index);
    const std::unique_ptr<zel::IReadStream> stream = zip.OpenEntryStream(index);
    if (!whole || !stream) continue;
    if (stream->Size() != whole->size()) std::abort();
    const std::optional<std::string> streamed = ReadFrom(*stream, 0);
    if (streamed && *streamed != *whole) std::abort();
    const std::uint64_t middle = whole->size() / 2;
    const std::optional<std::string> tail = ReadFrom(*stream, middle);
    if (tail && *tail != whole->substr(middle)) std::abort();
  }
  return 0;
}

#include "core/ZipArchive.h"

#include <zip.h>

#include "core/Text.h"
#include "core/ZipEntryStream.h"

namespace zel {

TAbZipKit::~TAbZipKit() {
  Close();
}

void TAbZipKit::Close() {
  if (FZip) zip_discard(FZip);
  FZip = nullptr;
  FBytes.reset();
  FIndex.clear();
}

void TAbZipKit::SetPassword(std::string password) {
  FPassword = std::move(password);
  if (FZip) zip_set_default_password(FZip, FPassword.c_str());
}

bool TAbZipKit::Open(std::span<const std::byte> data, std::shared_ptr<const void> owner) {
  Close();
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(data.data(), data.size(), 0, &error);
  if (!source) {
    zip_error_fini(&error);
    return false;
  }
  FZip = zip_open_from_source(source, ZIP_RDONLY, &error);
  zip_error_fini(&error);
  if (!FZip) {
    zip_source_free(source);
    return false;
  }
  if (!FPassword.empty()) zip_set_default_password(FZip, FPassword.c_str());
  const zip_int64_t count = zip_get_num_entries(FZip, 0);
  FIndex.reserve(static_cast<size_t>(count));
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(FZip, i, 0);
    if (name) FIndex.emplace(LowerAscii(name), static_cast<int>(i));
  }
  FBytes = std::make_shared<zipentry::TArchiveBytes>(data, std::move(owner));
  // Entries are found by libzip's index, which is the central directory's
  // order; any disagreement leaves every entry to libzip.
  if (FBytes->EntryCount() != static_cast<size_t>(count)) FBytes.reset();
  return true;
}

int TAbZipKit::FindFile(std::string_view name) const {
  const auto it = FIndex.find(LowerAscii(name));
  return it == FIndex.end() ? -1 : it->second;
}

bool TAbZipKit::ExtractTo(int index, const TSink& sink) const {
  if (!FZip || index < 0) return false;
  // Entries the library cannot decode are refused up front: opening one
  // with an unknown cipher leaks inside libzip 1.7.
  zip_stat_t st;
  if (zip_stat_index(FZip, index, 0, &st) != 0) return false;
  if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE &&
      !zip_encryption_method_supported(st.encryption_method, 0))
    return false;
  if ((st.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(st.comp_method, 0))
    return false;
  zip_file_t* file = zip_fopen_index(FZip, index, 0);
  if (!file) return false;
  char buffer[64 * 1024];
  bool ok = true;
  zip_uint64_t total = 0;
  for (;;) {
    const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    total += static_cast<zip_uint64_t>(n);
    if (!sink(buffer, static_cast<size_t>(n))) {
      ok = false;
      break;
    }
  }
  // A CRC mismatch (wrong password, damaged data) is reported on close too.
  if (zip_fclose(file) != 0) ok = false;
  // Data that decodes to another length than the directory records is
  // damaged too, though its CRC may fit the bytes it gave (the streamed
  // reader refuses it alike).
  if ((st.valid & ZIP_STAT_SIZE) && total != st.size) ok = false;
  return ok;
}

std::optional<std::string> TAbZipKit::ExtractToString(int index) const {
  std::string content;
  const bool ok = ExtractTo(index, [&](const char* data, size_t size) {
    content.append(data, size);
    return true;
  });
  if (!ok) return std::nullopt;
  return content;
}

void TAbZipKit::ExtractToStream(std::string_view name, std::string& stream) const {
  if (auto content = ExtractToString(FindFile(name))) stream += *content;
}

std::unique_ptr<IReadStream> TAbZipKit::OpenEntryStream(int index) const {
  if (!FZip || index < 0) return nullptr;
  if (FBytes && FBytes->Entry(index)) return zipentry::OpenEntry(FBytes, index, FPassword);
  std::optional<std::string> content = ExtractToString(index);
  if (!content) return nullptr;
  return std::make_unique<TStringReadStream>(std::move(*content));
}

std::vector<std::string> TAbZipKit::EntryNames() const {
  std::vector<std::string> names;
  if (!FZip) return names;
  const zip_int64_t count = zip_get_num_entries(FZip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(FZip, i, 0);
    names.emplace_back(name ? name : "");
  }
  return names;
}

}  // namespace zel

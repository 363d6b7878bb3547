#include "host/startup/ExeUtils.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "core/ExeImage.h"
#include "core/Paths.h"
#include "host/startup/Halt.h"
#include "ports/System.h"
#include "ports/UI.h"

namespace zel {

namespace {
constexpr std::int64_t kChunkSize = 10240;
}

TExeUtils::TExeUtils() : FExePath(sys::GetExecutablePath()) {}

std::int64_t TExeUtils::FileSizeOf(const std::string& Path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(ToFsPath(Path), ec);
  return ec ? -1 : static_cast<std::int64_t>(size);
}

std::int64_t TExeUtils::GetExeFileSize() const {
  return FileSizeOf(FExePath);
}

std::uint64_t TExeUtils::GetExeImageEnd() const {
  const auto file = sys::TMappedFile::Open(FExePath);
  return file ? ExecutableImageEnd(file->Bytes()) : 0;
}

bool TExeUtils::ExeHasAttachedStub() const {
  const std::int64_t size = GetExeFileSize();
  return size >= 0 && static_cast<std::uint64_t>(size) > GetExeImageEnd();
}

void TExeUtils::ShowNotValidAndHalt() {
  UI().MessageDialog(
      {"Error", "This is not a valid Windows application", TMsgDlgType::mtError, {{"OK", mrOk}}});
  Halt(0);
}

template <class Writer>
void TExeUtils::CopyArchive(Writer write) {
  const auto file = sys::TMappedFile::Open(FExePath);
  const auto bytes = file ? file->Bytes() : std::span<const std::byte>{};
  const std::uint64_t end = ExecutableImageEnd(bytes);
  if (bytes.size() <= end) ShowNotValidAndHalt();
  const auto total = static_cast<std::int64_t>(bytes.size() - end);
  if (FOnProgressMax) FOnProgressMax(*this, total);
  for (std::int64_t done = 0; done < total;) {
    const std::int64_t n = std::min(kChunkSize, total - done);
    write(reinterpret_cast<const char*>(bytes.data() + end + done), static_cast<size_t>(n));
    done += n;
    if (FOnProgressPos) FOnProgressPos(*this, done);
  }
}

void TExeUtils::GetZipFromExe(std::string& MemoryStream) {
  MemoryStream.clear();
  CopyArchive([&](const char* data, size_t n) { MemoryStream.append(data, n); });
}

TExeUtils::TMappedZip TExeUtils::MapZipFromExe() {
  std::shared_ptr<const sys::TMappedFile> file = sys::TMappedFile::Open(FExePath);
  const auto bytes = file ? file->Bytes() : std::span<const std::byte>{};
  const std::uint64_t end = ExecutableImageEnd(bytes);
  if (bytes.size() <= end) ShowNotValidAndHalt();
  const auto total = static_cast<std::int64_t>(bytes.size() - end);
  if (FOnProgressMax) FOnProgressMax(*this, total);
  if (FOnProgressPos) FOnProgressPos(*this, total);
  return {std::move(file), bytes.subspan(static_cast<size_t>(end))};
}

void TExeUtils::ExtractZipFromExe(const std::string& ZipPath) {
  std::ofstream out(ToFsPath(ZipPath), std::ios::binary | std::ios::trunc);
  CopyArchive(
      [&](const char* data, size_t n) { out.write(data, static_cast<std::streamsize>(n)); });
}

void TExeUtils::AppendZipToExe(const std::string& ZipPath, const std::string& ExePath) {
  std::ifstream zip(ToFsPath(ZipPath), std::ios::binary);
  if (!zip) throw std::runtime_error("cannot read " + ZipPath);
  std::ofstream exe(ToFsPath(ExePath), std::ios::binary | std::ios::in | std::ios::out);
  if (!exe) throw std::runtime_error("cannot write " + ExePath);
  exe.seekp(0, std::ios::end);
  const std::int64_t total = FileSizeOf(ZipPath);
  if (FOnProgressMax) FOnProgressMax(*this, total);
  char buffer[kChunkSize];
  for (std::int64_t done = 0; done < total;) {
    zip.read(buffer, sizeof buffer);
    const std::streamsize n = zip.gcount();
    if (n <= 0) break;
    exe.write(buffer, n);
    done += n;
    if (FOnProgressPos) FOnProgressPos(*this, done);
  }
  exe.flush();
  if (!exe) throw std::runtime_error("cannot write " + ExePath);
}

}  // namespace zel

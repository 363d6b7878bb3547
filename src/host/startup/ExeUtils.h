// TExeUtils: finds and copies the archive appended to an executable.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace zel {

class TExeUtils {
 public:
  using TOnProgress = std::function<void(TExeUtils& Sender, std::int64_t Value)>;

  // The running executable by default.
  TExeUtils();
  explicit TExeUtils(std::string exePath) : FExePath(std::move(exePath)) {}

  // Optional progress callbacks: the byte count before a copy, then the
  // running total after every chunk.
  TOnProgress FOnProgressMax;
  TOnProgress FOnProgressPos;

  // True when the executable carries bytes after its image end.
  bool ExeHasAttachedStub() const;
  // Copies the appended archive into MemoryStream (replacing its content).
  void GetZipFromExe(std::string& MemoryStream);
  // The appended archive in place: a read-only view of the executable's
  // tail, which `Owner` keeps mapped. Nothing is copied, so the progress
  // callbacks report the whole size at once (Max, then one Pos).
  struct TMappedZip {
    std::shared_ptr<const void> Owner;
    std::span<const std::byte> Bytes;
  };
  TMappedZip MapZipFromExe();
  // Copies the appended archive into a new file.
  void ExtractZipFromExe(const std::string& ZipPath);
  // Packaging side: appends the ZIP file to the executable.
  void AppendZipToExe(const std::string& ZipPath, const std::string& ExePath);

  // Size of a file in bytes, -1 when it cannot be found.
  static std::int64_t FileSizeOf(const std::string& Path);

 private:
  std::int64_t GetExeFileSize() const;
  std::uint64_t GetExeImageEnd() const;
  void ShowNotValidAndHalt();
  template <class Writer>
  void CopyArchive(Writer write);

  std::string FExePath;
};

}  // namespace zel

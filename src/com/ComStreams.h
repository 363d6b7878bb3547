// IStream objects over memory and over files, for the browser runtime's
// responses and preview captures. Both answer IAgileObject: the runtime reads
// a response (and writes a capture) from its own threads, and without that
// answer it would have to marshal every call back to the UI thread.
#pragma once

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "com/ComBase.h"

namespace zel {

// IStream::Seek over a stream of `size` bytes: moves `position`, which may
// pass the end but never go before the start.
HRESULT MoveStreamPosition(std::int64_t move, DWORD origin, std::uint64_t size,
                           std::uint64_t& position, std::uint64_t* newPosition);

// A stream that owns its bytes, so it stays readable for as long as the
// runtime holds a reference.
class TComMemoryStream : public TComObject<IStream, IAgileObject> {
 public:
  explicit TComMemoryStream(std::string data = {}) : FData(std::move(data)) {}
  const std::string& Data() const { return FData; }

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
  HRESULT Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) override;
  HRESULT SetSize(std::uint64_t size) override;
  HRESULT CopyTo(IStream* target, std::uint64_t cb, std::uint64_t* read,
                 std::uint64_t* written) override;
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(std::uint64_t, std::uint64_t, DWORD) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(std::uint64_t, std::uint64_t, DWORD) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG* stat, DWORD flags) override;
  HRESULT Clone(IStream** stream) override;

 private:
  std::string FData;
  std::uint64_t FPosition = 0;
};

// A read-write stream on a file that it creates (or empties).
class TComFileStream : public TComObject<IStream, IAgileObject> {
 public:
  // Null when the file cannot be created.
  static TComPtr<IStream> Create(const std::string& path);

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
  HRESULT Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) override;
  HRESULT SetSize(std::uint64_t) override { return E_NOTIMPL; }
  HRESULT CopyTo(IStream*, std::uint64_t, std::uint64_t*, std::uint64_t*) override {
    return E_NOTIMPL;
  }
  HRESULT Commit(DWORD) override;
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(std::uint64_t, std::uint64_t, DWORD) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(std::uint64_t, std::uint64_t, DWORD) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG* stat, DWORD flags) override;
  HRESULT Clone(IStream**) override { return E_NOTIMPL; }

 private:
  TComFileStream() = default;
  std::fstream FFile;
};

// Everything from the start of the stream (or from where it stands, when it
// cannot seek); nothing when reading fails.
std::optional<std::string> ReadWholeStream(IStream* stream);

// Writes all bytes, however many calls the stream needs.
HRESULT WriteWholeStream(IStream* stream, std::string_view data);

}  // namespace zel

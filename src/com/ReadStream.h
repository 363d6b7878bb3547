// A read-only byte source that can be read from any offset: a package entry
// decoded while read, a file on disk. Responses hand one to the browser
// runtime wrapped as an IStream (TComReadStream), so no whole copy of a large
// file is made per request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "com/ComBase.h"

namespace zel {

// Not thread-safe: one reader at a time (TComReadStream serialises calls).
class IReadStream {
 public:
  virtual ~IReadStream() = default;
  // The number of bytes from the first to the last.
  virtual std::uint64_t Size() const = 0;
  // Moves to `position` (at most Size()); false when it cannot.
  virtual bool Seek(std::uint64_t position) = 0;
  // Up to `size` bytes from the current position, which moves past them:
  // the count read, 0 at the end, -1 when the bytes cannot be read (damaged
  // data, a failing disk).
  virtual std::int64_t Read(void* buffer, std::size_t size) = 0;
};

// Bytes held in memory.
class TStringReadStream final : public IReadStream {
 public:
  explicit TStringReadStream(std::string data) : FData(std::move(data)) {}
  std::uint64_t Size() const override { return FData.size(); }
  bool Seek(std::uint64_t position) override;
  std::int64_t Read(void* buffer, std::size_t size) override;

 private:
  std::string FData;
  std::uint64_t FPosition = 0;
};

// The IStream the browser runtime reads a response from: a window
// [first, first + length) of a source. Agile, because the runtime reads it
// from its own threads; every call holds a lock, so those threads may take
// turns. The window keeps the source alive for as long as the runtime holds
// the stream.
class TComReadStream : public TComObject<IStream, IAgileObject> {
 public:
  // The whole source.
  explicit TComReadStream(std::shared_ptr<IReadStream> source);
  // `first` and `length` are clipped to the source.
  TComReadStream(std::shared_ptr<IReadStream> source, std::uint64_t first, std::uint64_t length);

  std::uint64_t Length() const { return FLength; }

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  HRESULT Write(const void*, ULONG, ULONG*) override { return E_ACCESSDENIED; }
  HRESULT Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) override;
  HRESULT SetSize(std::uint64_t) override { return E_ACCESSDENIED; }
  HRESULT CopyTo(IStream*, std::uint64_t, std::uint64_t*, std::uint64_t*) override {
    return E_NOTIMPL;
  }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(std::uint64_t, std::uint64_t, DWORD) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(std::uint64_t, std::uint64_t, DWORD) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG* stat, DWORD flags) override;
  // The same window at the same position, reading the same source under
  // the same lock.
  HRESULT Clone(IStream** stream) override;

 private:
  std::shared_ptr<std::mutex> FLock = std::make_shared<std::mutex>();
  std::shared_ptr<IReadStream> FSource;
  std::uint64_t FFirst = 0;
  std::uint64_t FLength = 0;
  std::uint64_t FPosition = 0;  // within the window
};

}  // namespace zel

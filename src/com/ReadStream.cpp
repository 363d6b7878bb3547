#include "com/ReadStream.h"

#include <algorithm>
#include <cstring>

#include "com/ComStreams.h"

namespace zel {

bool TStringReadStream::Seek(std::uint64_t position) {
  if (position > FData.size()) return false;
  FPosition = position;
  return true;
}

std::int64_t TStringReadStream::Read(void* buffer, std::size_t size) {
  const std::size_t n =
      static_cast<std::size_t>(std::min<std::uint64_t>(size, FData.size() - FPosition));
  if (n) std::memcpy(buffer, FData.data() + FPosition, n);
  FPosition += n;
  return static_cast<std::int64_t>(n);
}

TComReadStream::TComReadStream(std::shared_ptr<IReadStream> source)
    : FSource(std::move(source)), FLength(FSource ? FSource->Size() : 0) {}

TComReadStream::TComReadStream(std::shared_ptr<IReadStream> source, std::uint64_t first,
                               std::uint64_t length)
    : FSource(std::move(source)) {
  const std::uint64_t size = FSource ? FSource->Size() : 0;
  FFirst = std::min(first, size);
  FLength = std::min(length, size - FFirst);
}

HRESULT TComReadStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  if (pcbRead) *pcbRead = 0;
  if (!pv && cb) return E_POINTER;
  std::lock_guard lock(*FLock);
  const std::uint64_t left = FPosition < FLength ? FLength - FPosition : 0;
  const auto wanted = static_cast<ULONG>(std::min<std::uint64_t>(cb, left));
  ULONG done = 0;
  if (wanted && !FSource->Seek(FFirst + FPosition)) return E_FAIL;
  while (done < wanted) {
    const std::int64_t n = FSource->Read(static_cast<char*>(pv) + done, wanted - done);
    if (n < 0) return E_FAIL;
    if (n == 0) break;  // the source ended before its size: report what there is
    done += static_cast<ULONG>(n);
  }
  FPosition += done;
  if (pcbRead) *pcbRead = done;
  return done < cb ? S_FALSE : S_OK;
}

HRESULT TComReadStream::Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) {
  std::lock_guard lock(*FLock);
  return MoveStreamPosition(move, origin, FLength, FPosition, newPosition);
}

HRESULT TComReadStream::Clone(IStream** stream) {
  if (!stream) return E_POINTER;
  std::lock_guard lock(*FLock);
  auto* copy = new TComReadStream(FSource, FFirst, FLength);
  copy->FLock = FLock;
  copy->FPosition = FPosition;
  *stream = copy;
  return S_OK;
}

HRESULT TComReadStream::Stat(STATSTG* stat, DWORD) {
  if (!stat) return E_POINTER;
  *stat = STATSTG{};
  stat->type = 2;  // STGTY_STREAM
  stat->cbSize = FLength;
  return S_OK;
}

}  // namespace zel

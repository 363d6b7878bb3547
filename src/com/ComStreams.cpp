#include "com/ComStreams.h"

#include <algorithm>
#include <cstring>

#include <filesystem>

namespace zel {

HRESULT TComMemoryStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  if (!pv && cb) return E_POINTER;
  const std::uint64_t left = FPosition < FData.size() ? FData.size() - FPosition : 0;
  const auto n = static_cast<ULONG>(std::min<std::uint64_t>(cb, left));
  if (n) std::memcpy(pv, FData.data() + FPosition, n);
  FPosition += n;
  if (pcbRead) *pcbRead = n;
  return n < cb ? S_FALSE : S_OK;
}

HRESULT TComMemoryStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
  if (!pv && cb) return E_POINTER;
  if (FData.size() < FPosition + cb) FData.resize(FPosition + cb);
  if (cb) std::memcpy(FData.data() + FPosition, pv, cb);
  FPosition += cb;
  if (pcbWritten) *pcbWritten = cb;
  return S_OK;
}

HRESULT MoveStreamPosition(std::int64_t move, DWORD origin, std::uint64_t size,
                           std::uint64_t& position, std::uint64_t* newPosition) {
  std::int64_t base;
  switch (origin) {
    case kStreamSeekSet:
      base = 0;
      break;
    case kStreamSeekCur:
      base = static_cast<std::int64_t>(position);
      break;
    case kStreamSeekEnd:
      base = static_cast<std::int64_t>(size);
      break;
    default:
      return E_INVALIDARG;
  }
  if (base + move < 0) return E_INVALIDARG;
  position = static_cast<std::uint64_t>(base + move);
  if (newPosition) *newPosition = position;
  return S_OK;
}

HRESULT TComMemoryStream::Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) {
  return MoveStreamPosition(move, origin, FData.size(), FPosition, newPosition);
}

HRESULT TComMemoryStream::SetSize(std::uint64_t size) {
  FData.resize(static_cast<size_t>(size));
  return S_OK;
}

HRESULT TComMemoryStream::CopyTo(IStream* target, std::uint64_t cb, std::uint64_t* read,
                                 std::uint64_t* written) {
  if (!target) return E_POINTER;
  const std::uint64_t left = FPosition < FData.size() ? FData.size() - FPosition : 0;
  const auto n = static_cast<ULONG>(std::min<std::uint64_t>({cb, left, 0xFFFFFFFFu}));
  ULONG done = 0;
  const HRESULT hr = target->Write(FData.data() + FPosition, n, &done);
  FPosition += n;
  if (read) *read = n;
  if (written) *written = done;
  return hr;
}

HRESULT TComMemoryStream::Stat(STATSTG* stat, DWORD) {
  if (!stat) return E_POINTER;
  *stat = STATSTG{};
  stat->type = 2;  // STGTY_STREAM
  stat->cbSize = FData.size();
  return S_OK;
}

HRESULT TComMemoryStream::Clone(IStream** stream) {
  if (!stream) return E_POINTER;
  auto* copy = new TComMemoryStream(FData);
  copy->FPosition = FPosition;
  *stream = copy;
  return S_OK;
}

TComPtr<IStream> TComFileStream::Create(const std::string& path) {
  auto* s = new TComFileStream();
  auto ptr = TComPtr<IStream>::Attach(s);
  s->FFile.open(std::filesystem::path(std::u8string(path.begin(), path.end())),
                std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
  if (!s->FFile) return {};
  return ptr;
}

HRESULT TComFileStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  FFile.read(static_cast<char*>(pv), cb);
  const auto n = static_cast<ULONG>(FFile.gcount());
  FFile.clear();
  if (pcbRead) *pcbRead = n;
  return n < cb ? S_FALSE : S_OK;
}

HRESULT TComFileStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
  FFile.write(static_cast<const char*>(pv), cb);
  if (!FFile) {
    FFile.clear();
    return E_FAIL;
  }
  if (pcbWritten) *pcbWritten = cb;
  return S_OK;
}

HRESULT TComFileStream::Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) {
  const std::ios::seekdir dir = origin == kStreamSeekSet   ? std::ios::beg
                                : origin == kStreamSeekCur ? std::ios::cur
                                                           : std::ios::end;
  FFile.seekg(move, dir);
  FFile.seekp(FFile.tellg());
  if (!FFile) {
    FFile.clear();
    return E_INVALIDARG;
  }
  if (newPosition) *newPosition = static_cast<std::uint64_t>(FFile.tellg());
  return S_OK;
}

HRESULT TComFileStream::Commit(DWORD) {
  FFile.flush();
  return FFile ? S_OK : E_FAIL;
}

HRESULT TComFileStream::Stat(STATSTG* stat, DWORD) {
  if (!stat) return E_POINTER;
  *stat = STATSTG{};
  stat->type = 2;
  const auto here = FFile.tellg();
  FFile.seekg(0, std::ios::end);
  stat->cbSize = static_cast<std::uint64_t>(FFile.tellg());
  FFile.seekg(here);
  return S_OK;
}

std::optional<std::string> ReadWholeStream(IStream* stream) {
  std::string data;
  if (!stream) return data;
  stream->Seek(0, kStreamSeekSet, nullptr);  // a stream that cannot seek is read from where it is
  char buffer[64 * 1024];
  for (;;) {
    ULONG read = 0;
    const HRESULT hr = stream->Read(buffer, sizeof buffer, &read);
    if (FAILED(hr)) return std::nullopt;
    data.append(buffer, read);
    if (read == 0) return data;  // some streams report a short read with S_OK
  }
}

HRESULT WriteWholeStream(IStream* stream, std::string_view data) {
  if (!stream) return E_POINTER;
  while (!data.empty()) {
    const auto chunk = static_cast<ULONG>(std::min<std::size_t>(data.size(), 1u << 30));
    ULONG written = 0;
    const HRESULT hr = stream->Write(data.data(), chunk, &written);
    if (FAILED(hr)) return hr;
    if (written == 0) return E_FAIL;
    data.remove_prefix(written);
  }
  return S_OK;
}

}  // namespace zel

// The streams handed to the browser runtime: identity and the interfaces
// they answer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "com/ComStreams.h"

namespace zel {
namespace {

TComPtr<IUnknown> Identity(IUnknown* object) {
  IUnknown* unknown = nullptr;
  EXPECT_EQ(object->QueryInterface(IUnknown::kIID, reinterpret_cast<void**>(&unknown)), S_OK);
  return TComPtr<IUnknown>::Attach(unknown);
}

// The runtime reads responses off the UI thread only from agile objects; an
// agile stream is the same object with the same reference count.
void ExpectAgile(const TComPtr<IStream>& stream) {
  ASSERT_TRUE(stream);
  IAgileObject* agile = nullptr;
  ASSERT_EQ(stream->QueryInterface(IAgileObject::kIID, reinterpret_cast<void**>(&agile)), S_OK);
  ASSERT_NE(agile, nullptr);
  auto held = TComPtr<IAgileObject>::Attach(agile);
  EXPECT_EQ(Identity(agile).Get(), Identity(stream.Get()).Get());

  IStream* back = nullptr;
  ASSERT_EQ(agile->QueryInterface(IStream::kIID, reinterpret_cast<void**>(&back)), S_OK);
  EXPECT_EQ(back, stream.Get());
  back->Release();

  // Two references now: the test's and `held`; dropping one keeps the object.
  EXPECT_EQ(agile->AddRef(), 3u);
  EXPECT_EQ(agile->Release(), 2u);
}

TEST(ComStreamsTest, StreamsAnswerIAgileObject) {
  ExpectAgile(MakeCom<TComMemoryStream, IStream>(std::string("body")));
  const auto path = std::filesystem::temp_directory_path() / "zel-agile-stream.bin";
  { ExpectAgile(TComFileStream::Create(path.string())); }
  std::filesystem::remove(path);
}

TEST(ComStreamsTest, UnknownInterfacesAreRefused) {
  auto stream = MakeCom<TComMemoryStream, IStream>();
  const GUID other = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  void* out = stream.Get();
  EXPECT_EQ(stream->QueryInterface(other, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(stream->QueryInterface(IAgileObject::kIID, nullptr), E_POINTER);
}

}  // namespace
}  // namespace zel

// Package entries read in place: every coding, from any offset, against the
// plain bytes; checkpoints; damaged data and wrong passwords.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "TestFiles.h"
#include "core/Calculations.h"
#include "core/ZipArchive.h"
#include "core/ZipEntryStream.h"

using namespace zel;
using namespace zel::zipentry;

namespace {

constexpr std::uint64_t K = kCheckpointSpacing;
const std::string kPassword = CalculateWidth(kPasswordText, kPasswordKey);

void Put(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct TPlainEntry {
  std::string Name, Content;
  bool Deflate = false;
  bool Encrypt = false;
};

std::string Deflated(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// A second writer, independent of TZipWriter: deflated entries, check
// bytes from the CRC (no data descriptors).
std::string Archive(const std::vector<TPlainEntry>& entries) {
  std::string out, central;
  for (const TPlainEntry& e : entries) {
    const auto crc = static_cast<std::uint32_t>(crc32(
        0, reinterpret_cast<const Bytef*>(e.Content.data()), static_cast<uInt>(e.Content.size())));
    std::string data = e.Deflate ? Deflated(e.Content) : e.Content;
    if (e.Encrypt) {
      TKeys keys;
      for (char c : kPassword) keys.Update(static_cast<std::uint8_t>(c));
      std::string header(11, '\x5a');
      header += static_cast<char>(crc >> 24);
      std::string sealed = header + data;
      for (char& c : sealed) {
        const auto plain = static_cast<std::uint8_t>(c);
        c = static_cast<char>(plain ^ keys.Mask());
        keys.Update(plain);
      }
      data = sealed;
    }
    const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
    std::string fields;  // shared by both headers from "version needed" on
    Put(fields, 20, 2);
    Put(fields, e.Encrypt ? 1 : 0, 2);
    Put(fields, e.Deflate ? 8 : 0, 2);
    Put(fields, 0x5A21'7C00, 4);
    Put(fields, crc, 4);
    Put(fields, static_cast<std::uint32_t>(data.size()), 4);
    Put(fields, static_cast<std::uint32_t>(e.Content.size()), 4);
    Put(fields, static_cast<std::uint32_t>(e.Name.size()), 2);
    Put(fields, 0, 2);
    out += "PK\3\4" + fields + e.Name + data;
    central += "PK\1\2";
    Put(central, 20, 2);
    central += fields;
    Put(central, 0, 4);  // comment length, disk number
    Put(central, 0, 2);  // internal attributes
    Put(central, 0, 4);  // external attributes
    Put(central, offset, 4);
    central += e.Name;
  }
  const auto at = static_cast<std::uint32_t>(out.size());
  out += central + "PK\5\6";
  Put(out, 0, 4);
  Put(out, static_cast<std::uint32_t>(entries.size()), 2);
  Put(out, static_cast<std::uint32_t>(entries.size()), 2);
  Put(out, static_cast<std::uint32_t>(central.size()), 4);
  Put(out, at, 4);
  Put(out, 0, 2);
  return out;
}

std::string Noise(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(size, '\0');
  // Half random, half repeated, so that deflate has something to shrink.
  for (std::size_t i = 0; i < size; ++i)
    s[i] = (i / 4096) % 2 ? static_cast<char>('a' + i % 7) : static_cast<char>(random());
  return s;
}

struct TOpened {
  std::shared_ptr<std::string> Bytes;
  std::unique_ptr<TAbZipKit> Zip;
};

TOpened OpenArchive(std::string bytes, const std::string& password = kPassword) {
  TOpened o{std::make_shared<std::string>(std::move(bytes)), std::make_unique<TAbZipKit>()};
  o.Zip->SetPassword(password);
  EXPECT_TRUE(o.Zip->Open(std::as_bytes(std::span(*o.Bytes)), o.Bytes));
  return o;
}

std::string ReadAt(IReadStream& stream, std::uint64_t offset, std::size_t size) {
  if (!stream.Seek(offset)) return "<seek failed>";
  std::string out(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    const std::int64_t n = stream.Read(out.data() + done, size - done);
    if (n < 0) return "<read failed>";
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  out.resize(done);
  return out;
}

const char* Coding(const TPlainEntry& e) {
  return e.Deflate ? (e.Encrypt ? "deflated, encrypted" : "deflated")
                   : (e.Encrypt ? "stored, encrypted" : "stored");
}

}  // namespace

// Offsets around the checkpoints, the first and the last byte, the end, in
// an order that seeks forwards and backwards on one stream, for every coding.
TEST(ZipEntryStreamTest, ReadsFromAnyOffsetAsThePlainBytes) {
  const std::string content = Noise(2 * K + 1234, 7);
  const std::vector<TPlainEntry> entries = {{"s", content, false, false},
                                            {"se", content, false, true},
                                            {"d", content, true, false},
                                            {"de", content, true, true}};
  const std::uint64_t offsets[] = {0,     1,         K - 1,         K,       K + 1,
                                   2 * K, 2 * K - 1, 2 * K + 5,     K - 700, content.size() - 1,
                                   0,     2 * K + 1, content.size()};
  const std::size_t lengths[] = {1, 70000};
  const std::string bytes = Archive(entries);
  for (bool shared : {false, true}) {
    TOpened archive = OpenArchive(bytes);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      // One stream seeks everywhere (it keeps its archive's bytes even when
      // the archive is reopened); fresh ones start from the checkpoints the
      // earlier streams left (shared) or from none.
      std::unique_ptr<IReadStream> one = archive.Zip->OpenEntryStream(static_cast<int>(i));
      ASSERT_TRUE(one) << Coding(entries[i]);
      EXPECT_EQ(one->Size(), content.size());
      for (std::uint64_t offset : offsets) {
        if (!shared) archive = OpenArchive(bytes);
        auto fresh = archive.Zip->OpenEntryStream(static_cast<int>(i));
        ASSERT_TRUE(fresh);
        for (std::size_t length : lengths) {
          const std::string want = content.substr(offset, length);
          EXPECT_EQ(ReadAt(*one, offset, length), want) << Coding(entries[i]) << " at " << offset;
          EXPECT_EQ(ReadAt(*fresh, offset, length), want) << Coding(entries[i]) << " at " << offset;
        }
      }
      EXPECT_FALSE(one->Seek(content.size() + 1));
    }
  }
}

TEST(ZipEntryStreamTest, EmptyAndSmallEntriesOfEveryCoding) {
  for (const std::string& content : {std::string(), std::string("x"), Noise(5000, 3)}) {
    for (bool deflate : {false, true})
      for (bool encrypt : {false, true}) {
        const TPlainEntry entry{"e", content, deflate, encrypt};
        TOpened archive = OpenArchive(Archive({entry}));
        auto stream = archive.Zip->OpenEntryStream(0);
        ASSERT_TRUE(stream) << Coding(entry) << " " << content.size();
        EXPECT_EQ(ReadAt(*stream, 0, content.size() + 10), content) << Coding(entry);
        EXPECT_EQ(ReadAt(*stream, content.size(), 10), "") << Coding(entry);
        // The reference: libzip reading the same archive.
        EXPECT_EQ(archive.Zip->ExtractToString(0), content) << Coding(entry);
      }
  }
}

// Packages as zelpack writes them: data descriptors, check byte from the time.
TEST(ZipEntryStreamTest, ReadsPackagesOfTheWriter) {
  const std::string big = Noise(K + 77, 5);
  TOpened archive = OpenArchive(test::MakeArchive({{"app/", ""}, {"app/a.bin", big}}));
  auto stream = archive.Zip->OpenEntryStream(archive.Zip->FindFile("app/a.bin"));
  ASSERT_TRUE(stream);
  EXPECT_EQ(ReadAt(*stream, K - 3, 100), big.substr(K - 3, 100));
  EXPECT_EQ(ReadAt(*stream, 0, big.size()), big);
  auto folder = archive.Zip->OpenEntryStream(0);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->Size(), 0u);
}

// The cipher's byte from its third key: the product of two 16-bit values
// is taken in unsigned arithmetic (as int it overflows for most keys). The
// key is one that the fuzzer met decrypting a packaged entry.
TEST(ZipEntryStreamTest, CipherMaskOfLargeKeys) {
  const struct {
    std::uint32_t K2;
    int Mask;
  } cases[] = {
      {0x0000F8F5, 133}, {0x00012345, 90}, {0x00008000, 128}, {0xFFFFFFFF, 0}, {0x00000000, 0}};
  for (const auto& c : cases) {
    TKeys keys;
    keys.K2 = c.K2;
    EXPECT_EQ(keys.Mask(), c.Mask) << c.K2;
  }
}

// A deflated entry whose directory records more bytes than its data gives
// (as in an archive the fuzzer made): extraction fails like the stream
// instead of answering with fewer bytes than the recorded size.
TEST(ZipEntryStreamTest, DataShorterThanTheRecordedSize) {
  std::string bytes = Archive({{"zel.ini", "[App]\nID=demo\nName=Demo\n", true, false}});
  const std::size_t central = bytes.find("PK\1\2");
  ASSERT_NE(central, std::string::npos);
  bytes[central + 24 + 3] = '\1';  // the uncompressed size, plus 16 MB
  TOpened archive = OpenArchive(bytes);
  EXPECT_FALSE(archive.Zip->ExtractToString(0));
  auto stream = archive.Zip->OpenEntryStream(0);
  if (stream) {
    EXPECT_EQ(ReadAt(*stream, 0, 64), "<read failed>");
  }
}

// Wrong passwords and damaged data never yield bytes as if they were the
// entry's: a small entry is refused on opening, a large one fails the read
// that would complete it.
TEST(ZipEntryStreamTest, WrongPasswordsAndDamage) {
  const std::string small = Noise(3000, 1), large = Noise(K + 4096, 2);
  for (bool deflate : {false, true}) {
    const std::string bytes =
        Archive({{"small", small, deflate, true}, {"large", large, deflate, true}});
    for (int i = 0; i < 300; ++i) {
      TOpened wrong = OpenArchive(bytes, "guess" + std::to_string(i));
      ASSERT_FALSE(wrong.Zip->OpenEntryStream(0)) << i;
    }
    TOpened none = OpenArchive(bytes, "");
    EXPECT_FALSE(none.Zip->OpenEntryStream(0));

    std::string damaged = bytes;
    damaged[30 + 5 + 12 + 100] ^= 0x20;                                         // in "small"
    damaged[bytes.find("large") + 5 + 12 + (deflate ? 9000 : 700000)] ^= 0x20;  // in "large"
    TOpened archive = OpenArchive(damaged);
    EXPECT_FALSE(archive.Zip->OpenEntryStream(0)) << deflate;
    auto stream = archive.Zip->OpenEntryStream(1);
    if (!stream) continue;  // deflate may notice on its own
    EXPECT_EQ(ReadAt(*stream, 0, large.size()), "<read failed>") << deflate;
  }
}

TEST(ZipEntryStreamTest, ComStreamReadsAWindow) {
  auto source = std::make_shared<TStringReadStream>("0123456789");
  auto stream = MakeCom<TComReadStream, IStream>(source, 3, 4);
  STATSTG stat{};
  ASSERT_EQ(stream->Stat(&stat, 0), S_OK);
  EXPECT_EQ(stat.cbSize, 4u);
  char buffer[16] = {};
  ULONG read = 0;
  EXPECT_EQ(stream->Read(buffer, 3, &read), S_OK);
  EXPECT_EQ(std::string(buffer, read), "345");
  EXPECT_EQ(stream->Read(buffer, 10, &read), S_FALSE);
  EXPECT_EQ(std::string(buffer, read), "6");
  ASSERT_EQ(stream->Seek(1, kStreamSeekSet, nullptr), S_OK);
  EXPECT_EQ(stream->Read(buffer, 10, &read), S_FALSE);
  EXPECT_EQ(std::string(buffer, read), "456");
  IAgileObject* agile = nullptr;
  ASSERT_EQ(stream->QueryInterface(IAgileObject::kIID, reinterpret_cast<void**>(&agile)), S_OK);
  agile->Release();
  // A clone keeps its own position in the same window.
  ASSERT_EQ(stream->Seek(2, kStreamSeekSet, nullptr), S_OK);
  IStream* cloned = nullptr;
  ASSERT_EQ(stream->Clone(&cloned), S_OK);
  auto clone = TComPtr<IStream>::Attach(cloned);
  EXPECT_EQ(stream->Read(buffer, 10, &read), S_FALSE);
  EXPECT_EQ(std::string(buffer, read), "56");
  EXPECT_EQ(clone->Read(buffer, 1, &read), S_OK);
  EXPECT_EQ(std::string(buffer, read), "5");
  // A window past the end is clipped to nothing.
  auto past = MakeCom<TComReadStream, IStream>(source, 20, 5);
  EXPECT_EQ(past->Read(buffer, 10, &read), S_FALSE);
  EXPECT_EQ(read, 0u);
}

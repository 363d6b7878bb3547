// The media relay's reading of requests: heads, addresses with the secret
// and the body length an answer announces.
#include <gtest/gtest.h>

#include "platform/linux/webkit/RelayRequest.h"

namespace zel::webkit {
namespace {

constexpr const char* kSecret = "0123456789abcdef0123456789abcdef";

TEST(RelayRequest, HeadsParseIntoMethodTargetAndHeaders) {
  auto request = ParseRelayHead(
      "GET /s/1/media/clip.webm?x=1 HTTP/1.1\r\nHost: 127.0.0.1:5\r\nRange:  bytes=0-  \r\n"
      "Accept:*/*");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->Method, "GET");
  EXPECT_EQ(request->Target, "/s/1/media/clip.webm?x=1");
  THeaderList expected{{"Host", "127.0.0.1:5"}, {"Range", "bytes=0-"}, {"Accept", "*/*"}};
  EXPECT_EQ(request->Headers, expected);
  EXPECT_TRUE(ParseRelayHead("HEAD / HTTP/1.0"));
}

TEST(RelayRequest, MalformedHeadsAreRefused) {
  const char* cases[] = {
      "",
      "GET",
      "GET /x",
      "GET x HTTP/1.1",           // not an origin-form target
      "GET http://a/x HTTP/1.1",  // nor an absolute one
      "GET /x HTTP/2",            // not HTTP/1.x
      "G(T /x HTTP/1.1",          // method is no token
      "GET /a\tb HTTP/1.1",       // control character in the target
      "GET /x HTTP/1.1\r\nNo colon",
      "GET /x HTTP/1.1\r\nBad name: v",
      "GET /x HTTP/1.1\r\nA: b\nC: d",  // bare line feed
      "GET /x HTTP/1.1\r\n\r\nA: b",    // a blank line inside the head
  };
  for (const char* head : cases) EXPECT_FALSE(ParseRelayHead(head)) << head;
}

TEST(RelayRequest, TargetsNeedTheSecretAPageAndAPath) {
  const std::string s = std::string("/") + kSecret;
  auto target = ParseRelayTarget(s + "/42/media/a%20b.webm?t=1", kSecret);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->PageId, 42u);
  EXPECT_EQ(target->HostUri, "file:///media/a%20b.webm?t=1");

  std::string wrong = kSecret;
  wrong.back() = '0';
  const std::string refused[] = {
      "/" + wrong + "/42/x.webm",
      std::string("/") + std::string(kSecret).substr(1) + "/42/x.webm",
      s + "0/42/x.webm",
      "/42/x.webm",
      s,
      s + "/",
      s + "/42",
      s + "/42/",
      s + "/x/a.webm",
      s + "/-1/a.webm",
      s + "/42//etc/passwd",
      s + "/42/?q",
  };
  for (const std::string& t : refused) EXPECT_FALSE(ParseRelayTarget(t, kSecret)) << t;
  EXPECT_FALSE(ParseRelayTarget("//42/x.webm", ""));
}

TEST(RelayRequest, SecretsCompareWhole) {
  EXPECT_TRUE(SecretsEqual("abc", "abc"));
  EXPECT_FALSE(SecretsEqual("abc", "abd"));
  EXPECT_FALSE(SecretsEqual("abc", "ab"));
  EXPECT_FALSE(SecretsEqual("ab", "abc"));
  EXPECT_FALSE(SecretsEqual("", "a"));
}

TEST(RelayRequest, AnnouncedLengths) {
  struct TCase {
    int Status;
    THeaderList Headers;
    std::optional<std::uint64_t> Length;
  };
  const TCase cases[] = {
      {200, {{"Content-Length", "1234"}}, 1234},
      {206, {{"content-length", " 10 "}, {"Content-Range", "bytes 0-99/100"}}, 10},
      {206, {{"Content-Range", "bytes 100-199/1000"}}, 100},
      {206, {{"Content-Range", "bytes 5-5/*"}}, 1},
      {200, {{"Content-Range", "bytes 100-199/1000"}}, std::nullopt},
      {206, {{"Content-Range", "bytes 9-1/10"}}, std::nullopt},
      {206, {{"Content-Range", "items 1-2/10"}}, std::nullopt},
      {206, {{"Content-Range", "bytes */10"}}, std::nullopt},
      {200, {{"Content-Length", "-1"}}, std::nullopt},
      {200, {{"Content-Length", "12x"}}, std::nullopt},
      {200, {}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnnouncedLength(c.Status, c.Headers), c.Length)
        << c.Status << " " << (c.Headers.empty() ? "" : c.Headers.back().second);
  }
}

}  // namespace
}  // namespace zel::webkit

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "core/Calculations.h"
#include "core/PageServer.h"
#include "ports/System.h"

using namespace zel;
using namespace zel::test;

namespace {

class PageServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Archive = MakeArchive({
        {"app/index.html", "<h1>package</h1>"},
        {"app/css/min.css", "body{}"},
        {"app/images/my logo.svg", "<svg/>"},
        {"app/js/main.JS", "run()"},
        {"app/é.txt", "accent"},
        {"app/%C3%A9.txt", "literal escape"},
    });
    Package.SetPassword(CalculateWidth(kPasswordText, kPasswordKey));
    Package.Open(std::as_bytes(std::span(Archive)));
    ExeDir = Dir.Str() + Delim + "exe" + Delim;
    WriteText(ExeDir + "index.html", "<h1>beside</h1>");
    WriteText(ExeDir + "data/readme.txt", "beside text");
    WriteText(Dir.Str() + "/abs/photo.png", "png bytes");
    if (Delim == "/") WriteText(Dir.Str() + "/abs/q.txt?v=1", "query file");
  }

  std::optional<TPageFile> Find(const std::string& uri, const std::string& dirName = "app") {
    return FindPageFile(uri, &Package, dirName, ExeDir, Delim[0]);
  }

  // The literal-path address of a file below the test folder.
  std::string FileAddress(const std::string& rest) const {
    std::string path = Dir.Path().generic_string() + "/" + rest;
    return path.front() == '/' ? "file://" + path : "file:///" + path;
  }

  const std::string Delim = std::string(1, sys::PathDelim());

  TTempDir Dir;
  std::string Archive, ExeDir;
  TAbZipKit Package;
};

}  // namespace

TEST_F(PageServerTest, Lookups) {
  using S = TPageFile::TSource;
  const std::string abs = FileAddress("abs/");
  struct Case {
    std::string uri;
    std::optional<S> source;
    std::string content, mime;
  } cases[] = {
      {"file:///index.html", S::Package, "<h1>package</h1>", "text/html"},
      {"file:///css/min.css?v=3", S::Package, "body{}", "text/css"},
      {"file:///images/my%20logo.svg", S::Package, "<svg/>", "image/svg+xml"},
      {"file:///js/main.JS", S::Package, "run()", "application/javascript"},
      {"file:///data/readme.txt", S::BesideExecutable, "beside text", "text/plain"},
      {abs + "photo.png", S::LiteralPath, "png bytes", "image/png"},
      {abs + "q.txt?v=1", S::LiteralPath, "query file", "text/plain"},
      {"file:///%C3%A9.txt", S::Package, "literal escape", "text/plain"},
      {"FILE:///index.html", std::nullopt, "", ""},
      {"file:///missing.html", std::nullopt, "", ""},
      {"https://example.com/index.html", std::nullopt, "", ""},
      {"data:text/plain,hi", std::nullopt, "", ""},
  };
  for (const Case& c : cases) {
    // Windows file names cannot hold "?", so that file cannot exist there.
    if (Delim == "\\" && c.uri.ends_with("q.txt?v=1")) continue;
    const auto file = Find(c.uri);
    ASSERT_EQ(file.has_value(), c.source.has_value()) << c.uri;
    if (!file) continue;
    EXPECT_EQ(file->Source, *c.source) << c.uri;
    EXPECT_EQ(file->Content, c.content) << c.uri;
    EXPECT_EQ(file->MimeType, c.mime) << c.uri;
  }
}

TEST_F(PageServerTest, WithoutDirNameOnlyTheDiskCounts) {
  const auto file = Find("file:///index.html", "");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Source, TPageFile::TSource::BesideExecutable);
  EXPECT_EQ(file->Content, "<h1>beside</h1>");
  EXPECT_FALSE(FindPageFile("file:///index.html", nullptr, "app", Dir.Str() + "/none/", Delim[0]));
}

// An entry that cannot be read is not answered with an empty file.
TEST_F(PageServerTest, UnreadableEntryGivesNoAnswer) {
  TAbZipKit wrong;
  wrong.SetPassword("not the password");
  wrong.Open(std::as_bytes(std::span(Archive)));
  EXPECT_FALSE(FindPageFile("file:///css/min.css", &wrong, "app", Dir.Str() + "/none/", Delim[0]));
}

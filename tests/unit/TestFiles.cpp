#include "TestFiles.h"

#include <fstream>
#include <random>

#include "core/Calculations.h"
#include "core/ZipWriter.h"

namespace zel::test {

TTempDir::TTempDir() {
  std::random_device r;
  FPath = std::filesystem::temp_directory_path() /
          ("zel-test-" + std::to_string(r()) + std::to_string(r()));
  std::filesystem::create_directories(FPath);
}

TTempDir::~TTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(FPath, ec);
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteText(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string MakeArchive(const TEntries& entries, const std::string& password) {
  TZipWriter writer(password);
  for (const auto& [name, content] : entries) {
    if (!name.empty() && name.back() == '/')
      writer.AddFolder(name, TZipWriter::DosTimeFromUnix(1700000000));
    else
      writer.AddFile(name, content, TZipWriter::DosTimeFromUnix(1700000000));
  }
  return writer.Finish();
}

std::string MakeArchive(const TEntries& entries) {
  return MakeArchive(entries, CalculateWidth(kPasswordText, kPasswordKey));
}

void MakeApp(const std::filesystem::path& path, const std::string& tail) {
  WriteText(path, ReadText(ZEL_TEST_ELF) + tail);
}

}  // namespace zel::test

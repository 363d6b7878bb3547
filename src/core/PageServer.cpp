#include "core/PageServer.h"

#include <filesystem>

#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/StrUtils.h"
#include "core/Text.h"

namespace zel {
namespace {

// The MIME type from the file-name part (after the last backslash or colon;
// forward slashes do not count), with ".js" always served as JavaScript.
std::string MimeTypeOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\:");
  std::string type =
      TStrUtils::GetFileMIMEType(cut == std::string_view::npos ? path : path.substr(cut + 1));
  const size_t dot = path.find_last_of('.');
  if (dot != std::string_view::npos && LowerAscii(path.substr(dot)) == ".js")
    type = "application/javascript";
  return type;
}

bool IsLocalDocument(std::string_view uri) {
  return uri.empty() || StartsTextAscii(uri, "file:") || StartsTextAscii(uri, "about:");
}

std::string_view WithoutFragment(std::string_view uri) {
  return uri.substr(0, uri.find('#'));
}

}  // namespace

bool MayServePageFile(std::string_view documentUri, std::string_view navigationUri,
                      std::string_view requestUri, bool documentRequest) {
  if (IsLocalDocument(documentUri)) return true;
  return documentRequest && !navigationUri.empty() &&
         WithoutFragment(navigationUri) == WithoutFragment(requestUri);
}

std::optional<TPageStream> OpenPageFile(std::string_view uri, const TAbZipKit* package,
                                        std::string_view appDirName, std::string_view appDirPath,
                                        char delim) {
  if (!StartsTextAscii(uri, "file:///")) return std::nullopt;
  // The scheme is removed exactly as written: an address whose scheme is in
  // capitals keeps it and so matches nothing below.
  const std::string literal = ReplaceAll(uri, "file:///", "");
  std::string path = literal.substr(0, literal.find('?'));
  path = ReplaceAll(path, "%20", " ");
  const std::string mime = MimeTypeOf(path);

  if (!appDirName.empty() && package && package->IsOpen()) {
    const int index = package->FindFile(std::string(appDirName) + "/" + path);
    if (index >= 0) {
      std::shared_ptr<IReadStream> stream = package->OpenEntryStream(index);
      if (!stream) return std::nullopt;
      return TPageStream{TPageFile::TSource::Package, std::move(stream), mime};
    }
  }
  const std::string beside = std::string(appDirPath) + ReplaceAll(path, "/", std::string(1, delim));
  if (std::shared_ptr<IReadStream> stream = OpenFileReadStream(beside))
    return TPageStream{TPageFile::TSource::BesideExecutable, std::move(stream), mime};
  // On Linux the path after "file:///" is absolute once its slash is back.
  const std::string literalPath = delim == '/' ? "/" + literal : literal;
  if (std::shared_ptr<IReadStream> stream = OpenFileReadStream(literalPath))
    return TPageStream{TPageFile::TSource::LiteralPath, std::move(stream), mime};
  return std::nullopt;
}

std::optional<TPageFile> FindPageFile(std::string_view uri, const TAbZipKit* package,
                                      std::string_view appDirName, std::string_view appDirPath,
                                      char delim) {
  std::optional<TPageStream> found = OpenPageFile(uri, package, appDirName, appDirPath, delim);
  if (!found) return std::nullopt;
  std::string content(static_cast<size_t>(found->Stream->Size()), '\0');
  size_t done = 0;
  while (done < content.size()) {
    const std::int64_t n = found->Stream->Read(content.data() + done, content.size() - done);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  content.resize(done);
  return TPageFile{found->Source, std::move(content), found->MimeType};
}

}  // namespace zel

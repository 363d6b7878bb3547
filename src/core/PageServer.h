// Maps a page's file address to the file that answers it: an entry of the
// package, else a file beside the executable, else the literal path.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/ZipArchive.h"

namespace zel {

struct TPageFile {
  enum class TSource { Package, BesideExecutable, LiteralPath };
  TSource Source;
  std::string Content;
  std::string MimeType;
};

// The same answer as a stream read as the response is sent: package entries
// are decoded in place and disk files read from disk, so no whole copy of a
// large file is held per request.
struct TPageStream {
  TPageFile::TSource Source;
  std::shared_ptr<IReadStream> Stream;
  std::string MimeType;
};

// `uri` is the requested address; only "file:///" addresses are answered.
// `appDirPath` is the executable's folder with a trailing `delim`.
// Nothing is answered when no lookup finds the file or reading it fails.
std::optional<TPageFile> FindPageFile(std::string_view uri, const TAbZipKit* package,
                                      std::string_view appDirName, std::string_view appDirPath,
                                      char delim);

// FindPageFile's lookup, answered with a stream.
std::optional<TPageStream> OpenPageFile(std::string_view uri, const TAbZipKit* package,
                                        std::string_view appDirName, std::string_view appDirPath,
                                        char delim);

// Whether a file address may be answered for the page `documentUri` (the
// web view's current document). Local documents (file:, about:, none yet)
// may read local files; a page from elsewhere may not, so a remote page shown
// in the application reads neither the package nor the disk. A document
// request for the address a top-level navigation is loading
// (`navigationUri`) is answered whatever the current page: it replaces the
// page instead of being read by it.
bool MayServePageFile(std::string_view documentUri, std::string_view navigationUri,
                      std::string_view requestUri, bool documentRequest);

}  // namespace zel

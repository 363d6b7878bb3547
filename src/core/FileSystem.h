// File operations that the bridge functions share.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/ReadStream.h"

namespace zel {

// Replaces (or creates) the file with `content` so that the file is either
// whole or unchanged: written beside it, then renamed over it, keeping the
// old file's permissions. An existing file that cannot be opened for writing
// (read-only) is refused and kept. Empty on success, else a message naming
// the file.
std::string WriteFileAtomically(const std::string& path, std::string_view content);

// The whole content of a file; nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// A stream reading the file from disk as it is read; null when it is not a
// regular file or cannot be opened. Its size is the size at opening.
std::unique_ptr<IReadStream> OpenFileReadStream(const std::string& path);

// Creates the folder that holds `path`, with all missing parents.
void CreateParentFolders(const std::string& path);

// Whether a file name matches a mask: "*.*" matches every name; otherwise
// * is any run, ? one character, [a-c] one of a set, compared ignoring
// ASCII case.
bool MatchesFileMask(std::string_view name, std::string_view mask);

// Full paths of the files below `folder` whose names match `mask`, in the
// order the file system lists them; with `recursive`, sub-folders are
// entered when met. Symbolic links to folders are not entered, so a link
// loop cannot make the listing endless. Throws std::invalid_argument for a
// blank mask or one holding characters that no file name may hold.
std::vector<std::string> ListFiles(const std::string& folder, std::string_view mask, bool recursive,
                                   char delim);

}  // namespace zel

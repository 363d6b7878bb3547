// Paths as UTF-8 text, and their conversion to std::filesystem paths.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zel {

// UTF-8 text to a filesystem path (wide on Windows) and back.
std::filesystem::path ToFsPath(std::string_view utf8);
std::string FromFsPath(const std::filesystem::path& path);

// Adds `delim` unless the path already ends with it.
std::string IncludeTrailingPathDelimiter(std::string_view path, char delim);

// The folder part of a path including its trailing delimiter ("/" or "\\").
std::string ExtractFilePath(std::string_view path);

// True when Name can stand as one folder name below another folder: not
// blank, not "." or "..", and free of "/", "\\" and control characters.
bool IsPlainPathComponent(std::string_view Name);

}  // namespace zel

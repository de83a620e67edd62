// Path texts. The module writes Windows paths ("a\b\c.ini"); every helper
// here accepts "\" and "/" alike as separators and gives native paths.
#pragma once
#include <string>
#include <string_view>

namespace plat {

constexpr char PathDelim = '/';

bool IsPathDelimiter(char c);

// "a\b\c.ini" -> "a/b/c.ini". Nothing else changes.
std::string NativePath(std::string_view path);

// Native path ending in "/". An empty path stays empty: it must not turn
// into the root folder.
std::string IncludeTrailingPathDelimiter(std::string_view path);
// Native path without a trailing "/" ("/" itself stays).
std::string ExcludeTrailingPathDelimiter(std::string_view path);

// Folder part through the last separator ("a/b/c.ini" -> "a/b/"), native.
std::string ExtractFilePath(std::string_view path);
// Name after the last separator.
std::string ExtractFileName(std::string_view path);
// Extension of the name with its dot (".ini"); empty when there is none.
std::string ExtractFileExt(std::string_view path);

}  // namespace plat

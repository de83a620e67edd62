// Files and folders. Every path may be written with "\" or "/" separators
// (see paths.h). Writes that replace a file are atomic: the new content goes
// to a temporary file in the same folder, which is then renamed over the old
// one, so a crash or a failed write leaves the old file whole.
#pragma once
#include <string>
#include <vector>

namespace plat {

// Code pages of the text routines below are numbers: 936, 950, 437, 65001
// (UTF-8), or 0 for the process's ANSI code page (AnsiCodePage(), core/text.h).
constexpr int kCodePageUtf8 = 65001;

bool FileExists(const std::string& path);       // a regular file (links followed)
bool DirectoryExists(const std::string& path);  // a folder (links followed)

// Creates one folder; false when it cannot be made or already exists.
bool CreateDir(const std::string& path);
// Creates a folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// Deletes a file; false when there was nothing to delete or it failed.
bool DeleteFile(const std::string& path);

// Whole-file reads. The plain forms raise EInOutError naming the file and the
// system's reason; the Try form answers false.
bool TryReadFileBytes(const std::string& path, std::string& bytes);
std::string ReadFileBytes(const std::string& path);
// Reads a text file in a code page and gives UTF-8; bytes that do not decode
// raise EConvertError with their offset.
std::string ReadTextFile(const std::string& path, int codePage = kCodePageUtf8);

// Atomic replacement of a file's content (temporary file, then rename). The
// file keeps its permissions; a link is followed and its target replaced.
// Raises EInOutError and leaves the old file untouched on failure.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Encodes the UTF-8 text in the code page (EConvertError for a character the
// code page lacks, before anything is written), then writes it atomically.
void WriteTextFile(const std::string& path, const std::string& text, int codePage = kCodePageUtf8);

// Appends text + CR LF, creating the file when missing. False on any failure
// (encoding included); never raises. A line is written whole or not at all.
bool AppendTextLine(const std::string& path, const std::string& text, int codePage = kCodePageUtf8);

// Names (without folder) of the regular files in a folder whose name starts
// with prefix and whose extension is ext (".ugs" or "ugs"; empty = any), both
// compared ignoring ASCII case; sorted ignoring case. A missing folder gives
// an empty list.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& prefix,
                                   const std::string& ext);

// The system's folder for temporary files, ending with "/".
std::string TempFolder();

}  // namespace plat

// The print images a sign-off job carries: where they are made (the
// client's "c_temp" folder, one folder per user), what they are called, and
// how they are gathered into the job's byte array and size list.
#pragma once
#include <string>
#include <vector>

#include "platform/core/variant.h"
#include "runtime/MemoryStream.h"

namespace ktrb {

// A user ID as a folder name: separators, control bytes and the characters
// a file name cannot hold become "_" (bytes of text that is not UTF-8
// too); a name of dots only, or none, gets a "_" in front; at most 64 bytes,
// never a split character.
std::string SafeFolderName(const std::string& name);

// The image name of a document: the key text with "||" as "-" and "*" as a
// blank, made safe as a file name like a folder name.
std::string SignOffImageName(const std::string& keyText);

// The image files of `name` in `folder` with the extension `ext` (".GIF" or
// ".JPG", any case): the page files name + ext and name + "_" + digits +
// ext, sorted by name, which keeps the page order.
std::vector<std::string> FindSignOffImages(const std::string& folder, const std::string& name,
                                           const std::string& ext);

// Appends each file's bytes to the stream and lists their sizes joined by
// ";". Raises plat::EInOutError for a file that cannot be read.
void AppendFilesToStream(const std::vector<std::string>& files, TMemoryStream& stream,
                         std::string& sizes);

// The stream's bytes as a byte array with bounds 0 .. size - 1; from a
// stream given up, its bytes are taken over instead of copied.
plat::Variant StreamToByteArray(const TMemoryStream& stream);
plat::Variant StreamToByteArray(TMemoryStream&& stream);

}  // namespace ktrb

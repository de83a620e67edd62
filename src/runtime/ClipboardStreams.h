// Copying a stream to and from the clipboard under a named format (the
// string grid's copy and paste).
#pragma once
#include <string>

#include "runtime/MemoryStream.h"

namespace ktrb {

// Writes the text's bytes at the stream's position, without length or
// terminator.
void WriteStringToStream(TStream& stream, const std::string& text);
// Puts the whole stream, from its start, on the clipboard under the format,
// followed by one zero byte.
void StreamToClipboard(TStream& stream, const std::string& format);
// Writes the clipboard's data of the format, less its terminating zero byte,
// over the stream from its start; the stream is not cut. With no such data
// nothing is written.
void ClipboardToStream(TStream& stream, const std::string& format);

}  // namespace ktrb

// Byte <-> UTF-8 conversion for the files this layer reads and writes in a
// code page given by number: 936, 950 and 437 through the core's routines,
// 65001 as UTF-8. Internal to platform/system.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace plat::sysdetail {

// 0 -> the process's ANSI code page; other numbers are checked (EConvertError).
int ResolveCodePage(int codePage);

// Strict decode; false when a byte sequence is not valid in the code page.
bool TryDecode(std::string_view bytes, int codePage, std::string& utf8);

// Decode that never fails: bytes that do not decode become U+FFFD.
std::string DecodeLenient(std::string_view bytes, int codePage);

// Strict encode; raises EConvertError naming the first character that has no
// code in the code page, so text is never dropped silently.
std::string Encode(std::string_view utf8, int codePage);

}  // namespace plat::sysdetail

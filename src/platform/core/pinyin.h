// Initial letters (pinyin) of Chinese text, for searching by the first
// letters of a name's readings: "华东电子" is found by "HDDZ".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// Initial letters of the GB2312 level-2 characters, by lead byte 0xD8..0xF7
// and trail byte 0xA1..0xFE; a blank where the character has no reading.
extern const char kPinyinLevel2[32][95];

// The upper-case initial letter of a GB2312 character given by its two bytes
// in code page 936; 0 when it has none.
char PinyinInitialOf(uint8_t lead, uint8_t trail);

// Bytes of code page 936: single-byte characters copied, each two-byte
// character replaced by its initial or dropped when it has none. Every GBK
// lead byte (0x81 and above) starts a two-byte character; a lone lead byte at
// the end is kept.
std::string PinyinInitials(std::string_view gbkBytes);

// The same for text (UTF-8): the result PinyinInitials gives for the text
// written in code page 936, as text. Table-driven, without a conversion per call.
std::string PinyinInitialsOfText(std::string_view utf8);

}  // namespace plat

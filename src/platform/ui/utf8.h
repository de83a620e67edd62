// UTF-8 helpers of the window layer: code points of a text and back.
#pragma once
#include <string>

namespace plat {

// Bytes of the UTF-8 sequence starting at s[i] (1 for a stray byte).
inline size_t Utf8Length(const std::string& s, size_t i) {
    unsigned char c = (unsigned char)s[i];
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    return i + n <= s.size() ? n : 1;
}

inline std::u32string Utf8ToU32(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        size_t n = Utf8Length(s, i);
        unsigned char c = (unsigned char)s[i];
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < n; ++k) cp = (cp << 6) | ((unsigned char)s[i + k] & 0x3F);
        out += cp;
        i += n;
    }
    return out;
}

inline std::string U32ToUtf8(const std::u32string& u) {
    std::string out;
    for (char32_t c : u) {
        if (c < 0x80)
            out += (char)c;
        else if (c < 0x800) {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += (char)(0xE0 | (c >> 12));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xF0 | (c >> 18));
            out += (char)(0x80 | ((c >> 12) & 0x3F));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline std::string U32ToUtf8(char32_t c) {
    return U32ToUtf8(std::u32string(1, c));
}

}  // namespace plat

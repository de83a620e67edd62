#include "platform/core/pinyin.h"

#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"

namespace plat {

namespace {

// GB2312 orders its level-1 characters by reading: each letter covers one
// range of codes.
struct LetterBlock {
    char letter;
    uint16_t first, last;
};
constexpr LetterBlock kLevel1[] = {
    {'A', 0xB0A1, 0xB0C4}, {'B', 0xB0C5, 0xB2C0}, {'C', 0xB2C1, 0xB4ED}, {'D', 0xB4EE, 0xB6E9},
    {'E', 0xB6EA, 0xB7A1}, {'F', 0xB7A2, 0xB8C0}, {'G', 0xB8C1, 0xB9FD}, {'H', 0xB9FE, 0xBBF6},
    {'J', 0xBBF7, 0xBFA5}, {'K', 0xBFA6, 0xC0AB}, {'L', 0xC0AC, 0xC2E7}, {'M', 0xC2E8, 0xC4C2},
    {'N', 0xC4C3, 0xC5B5}, {'O', 0xC5B6, 0xC5BD}, {'P', 0xC5BE, 0xC6D9}, {'Q', 0xC6DA, 0xC8BA},
    {'R', 0xC8BB, 0xC8F5}, {'S', 0xC8F6, 0xCBF9}, {'T', 0xCBFA, 0xCDD9}, {'W', 0xCDDA, 0xCEF3},
    {'X', 0xCEF4, 0xD1B8}, {'Y', 0xD1B9, 0xD4D0}, {'Z', 0xD4D1, 0xD7FE},
};

// Marks of the text table: the character is copied (a single byte of the
// code page), or the code page cannot write it ("?").
constexpr char kCopy = '\x01';
constexpr char kUnwritable = '?';

// For every character of the Basic Multilingual Plane, what PinyinInitials
// makes of its code-page-936 form: a letter, 0 (dropped), kCopy or kUnwritable.
const std::vector<char>& TextTable() {
    static const std::vector<char> table = [] {
        std::vector<char> t(0x10000, kUnwritable);
        for (int c = 0; c < 0x80; ++c) t[(size_t)c] = kCopy;
        auto decoded = [](std::string_view bytes) -> char32_t {
            try {
                std::string s = FromCodePage(bytes, CodePage::Gbk);
                auto u = reinterpret_cast<const unsigned char*>(s.data());
                if (s.size() == 2 && (u[0] & 0xE0) == 0xC0)
                    return ((char32_t)(u[0] & 0x1F) << 6) | (u[1] & 0x3F);
                if (s.size() == 3 && (u[0] & 0xF0) == 0xE0)
                    return ((char32_t)(u[0] & 0x0F) << 12) | ((char32_t)(u[1] & 0x3F) << 6) |
                           (u[2] & 0x3F);
            } catch (const EConvertError&) {
            }
            return 0;
        };
        for (int b = 0x80; b <= 0xFF; ++b) {
            char one = (char)b;
            if (char32_t cp = decoded(std::string_view(&one, 1))) t[cp] = kCopy;
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                const char pair[2] = {(char)lead, (char)trail};
                char32_t cp = decoded(std::string_view(pair, 2));
                if (cp >= 0x80) t[cp] = PinyinInitialOf((uint8_t)lead, (uint8_t)trail);
            }
        return t;
    }();
    return table;
}

}  // namespace

char PinyinInitialOf(uint8_t lead, uint8_t trail) {
    if (trail < 0xA1 || trail > 0xFE) return 0;
    if (lead >= 0xB0 && lead <= 0xD7) {
        const unsigned code = (unsigned)lead << 8 | trail;
        if (code == 0xB2CE) return 'S';  // read "shen", among the C block
        for (const LetterBlock& b : kLevel1)
            if (code >= b.first && code <= b.last) return b.letter;
        return 0;
    }
    if (lead >= 0xD8 && lead <= 0xF7) {
        char c = kPinyinLevel2[lead - 0xD8][trail - 0xA1];
        return c == ' ' ? 0 : c;
    }
    return 0;
}

std::string PinyinInitials(std::string_view s) {
    std::string result;
    size_t i = 0;
    while (i + 1 < s.size()) {
        auto b = (uint8_t)s[i];
        if (b < 0x81) {
            result += s[i];
            ++i;
            continue;
        }
        if (char c = PinyinInitialOf(b, (uint8_t)s[i + 1])) result += c;
        i += 2;
    }
    if (i + 1 == s.size()) result += s[i];
    return result;
}

std::string PinyinInitialsOfText(std::string_view utf8) {
    const std::vector<char>& table = TextTable();
    std::string result;
    size_t i = 0;
    const size_t n = utf8.size();
    while (i < n) {
        auto b = (unsigned char)utf8[i];
        if (b < 0x80) {
            result += (char)b;
            ++i;
            continue;
        }
        size_t len = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
        char32_t cp = 0;
        bool ok = len > 1 && i + len <= n;
        if (ok) {
            cp = len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
            for (size_t k = 1; k < len && ok; ++k) {
                auto c = (unsigned char)utf8[i + k];
                ok = (c & 0xC0) == 0x80;
                cp = cp << 6 | (c & 0x3F);
            }
        }
        if (!ok) {
            result += kUnwritable;
            ++i;
            continue;
        }
        char mark = cp < 0x10000 ? table[cp] : kUnwritable;
        if (mark == kCopy)
            result.append(utf8.substr(i, len));
        else if (mark != 0)
            result += mark;
        i += len;
    }
    return result;
}

}  // namespace plat

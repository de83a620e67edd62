#include "controls/QvLookUpComboCommon.h"

#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"

namespace ktrb {

void TInteraParam::Assign(const TInteraParam& source) {
    if (&source == this) return;
    Params = source.Params;
    ReturnValues = source.ReturnValues;
    DateSeparator = source.DateSeparator;
    DateFormatType = source.DateFormatType;
    ShowAmounts = source.ShowAmounts;
    ShowPrices = source.ShowPrices;
    FastInputEnabled = source.FastInputEnabled;
    ConvertForDisplay = source.ConvertForDisplay;
    ConvertFromDB = source.ConvertFromDB;
    FormCaption = source.FormCaption;
    CodePage = source.CodePage;
}

// ---- Initial letters ---------------------------------------------------------

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
                std::string s = plat::FromCodePage(bytes, plat::CodePage::Gbk);
                auto u = reinterpret_cast<const unsigned char*>(s.data());
                if (s.size() == 2 && (u[0] & 0xE0) == 0xC0)
                    return ((char32_t)(u[0] & 0x1F) << 6) | (u[1] & 0x3F);
                if (s.size() == 3 && (u[0] & 0xF0) == 0xE0)
                    return ((char32_t)(u[0] & 0x0F) << 12) | ((char32_t)(u[1] & 0x3F) << 6) |
                           (u[2] & 0x3F);
            } catch (const plat::EConvertError&) {
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

// ---- Lookup server reply ---------------------------------------------------

std::string LanguageTag(std::string_view codePage) {
    if (codePage == "936") return "CHS";
    if (codePage == "950") return "CHT";
    if (codePage == "437") return "ENG";
    return {};
}

plat::TStringList SelectLanguageSection(const std::string& reply, std::string_view codePage) {
    plat::TStringList lines;
    const size_t at = reply.find(kReplyEndMarker);
    const size_t after =
        at == std::string::npos ? at : at + std::string_view(kReplyEndMarker).size();
    if (at == std::string::npos || after >= reply.size()) {
        lines.SetText(reply);
        return lines;
    }
    lines.SetText(std::string_view(reply).substr(after));
    const std::string_view languages = std::string_view(reply).substr(0, at);
    std::string tag = LanguageTag(codePage);
    if (tag == "CHT" && languages.find("<CHT>") == std::string_view::npos) tag = "CHS";
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    if (tag.empty() || languages.find(close) == std::string_view::npos) return lines;
    plat::TStringList part;
    part.SetText(languages);
    bool inside = false;
    for (int i = 0; i < part.Count(); ++i) {
        std::string trimmed = plat::Trim(part[i]);
        if (!inside) {
            inside = trimmed.rfind(open, 0) == 0;
            continue;
        }
        if (trimmed.rfind(close, 0) == 0) break;
        lines.Add(part[i]);
    }
    return lines;
}

void ParseReplyLines(const plat::TStringList& lines, plat::TStringList& dest) {
    dest.Clear();
    std::string name, value;
    bool inEntry = false;
    auto store = [&] {
        if (inEntry && !name.empty()) dest.SetValues(name, value);
    };
    for (int i = 0; i < lines.Count(); ++i) {
        std::string line = plat::Trim(lines[i]);
        if (line.rfind("--", 0) == 0) {
            store();
            std::string_view head = std::string_view(line).substr(0, line.find(';')).substr(2);
            name = plat::UpperCase(plat::Trim(head.substr(0, head.find("--"))));
            value.clear();
            inEntry = true;
            continue;
        }
        if (!inEntry || name.empty()) continue;
        if (value.empty())
            value = line;
        else
            value += "\r\n" + line;
    }
    store();
}

// ---- Incremental search ------------------------------------------------------

TLookupMatcher::TLookupMatcher(std::string_view value, std::string_view codePage)
    : search_(plat::Trim(plat::UpperCase(value))), pinyin_(codePage == "936") {}

bool TLookupMatcher::Matches(std::string_view fieldText) const {
    if (search_.empty()) return false;
    const std::string text = plat::Trim(plat::UpperCase(fieldText));
    if (text.find(search_) != std::string::npos) return true;
    if (!pinyin_) return false;
    bool ascii = true;
    for (char c : text) ascii = ascii && (unsigned char)c < 0x80;
    if (ascii) return false;  // its initials are the text itself
    const std::string initials = plat::Trim(plat::UpperCase(PinyinInitialsOfText(fieldText)));
    return initials.find(search_) != std::string::npos;
}

}  // namespace ktrb

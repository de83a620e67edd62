#include "platform/core/text.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/core/exceptions.h"

namespace plat {

namespace {

std::atomic<CodePage> g_ansiCodePage{CodePage::Gbk};
std::atomic<bool> g_big5Ext{false};

constexpr std::array<CodePage, 3> kCodePages{CodePage::Gbk, CodePage::Big5, CodePage::Us};

int slotOf(CodePage cp) {
    switch (cp) {
        case CodePage::Gbk:
            return 0;
        case CodePage::Big5:
            return 1;
        case CodePage::Us:
            return 2;
    }
    throw EConvertError("Unsupported code page " + std::to_string((int)cp));
}

const char* iconvName(CodePage cp) {
    static const char* const names[] = {"CP936", "CP950", "CP437"};
    return names[slotOf(cp)];
}

// One decoded UTF-8 character; len is 1 with ok == false for an invalid byte.
struct Utf8Char {
    char32_t cp;
    int len;
    bool ok;
};

Utf8Char decodeUtf8(const unsigned char* p, size_t left) {
    unsigned char b = p[0];
    if (b < 0x80) return {b, 1, true};
    int len;
    char32_t cp, min;
    if ((b & 0xE0) == 0xC0) {
        len = 2;
        cp = b & 0x1F;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        len = 3;
        cp = b & 0x0F;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        len = 4;
        cp = b & 0x07;
        min = 0x10000;
    } else
        return {b, 1, false};
    if ((size_t)len > left) return {b, 1, false};
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) return {b, 1, false};
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {b, 1, false};
    return {cp, len, true};
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += (char)c;
    } else if (c < 0x800) {
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

bool allAscii(std::string_view s) {
    const unsigned char* p = (const unsigned char*)s.data();
    size_t n = s.size(), i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w & 0x8080808080808080ULL) return false;
    }
    for (; i < n; ++i)
        if (p[i] & 0x80) return false;
    return true;
}

enum class Direction { ToCp, FromCp };
enum class OnBad { Raise, Replace };

// iconv descriptors are not thread-safe: one cache per thread.
class IconvCache {
  public:
    ~IconvCache() {
        for (iconv_t cd : cds_)
            if (cd != (iconv_t)-1) iconv_close(cd);
    }
    iconv_t get(CodePage cp, Direction dir) {
        iconv_t& cd = cds_[slotOf(cp) * 2 + (dir == Direction::ToCp ? 0 : 1)];
        if (cd == (iconv_t)-1) {
            cd = dir == Direction::ToCp ? iconv_open(iconvName(cp), "UTF-8")
                                        : iconv_open("UTF-8", iconvName(cp));
            if (cd == (iconv_t)-1)
                throw EConvertError(std::string("Code page ") + iconvName(cp) +
                                    " is not available on this system");
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset shift state
        return cd;
    }

  private:
    std::array<iconv_t, 6> cds_{(iconv_t)-1, (iconv_t)-1, (iconv_t)-1,
                                (iconv_t)-1, (iconv_t)-1, (iconv_t)-1};
};

IconvCache& cache() {
    thread_local IconvCache c;
    return c;
}

std::string hexBytes(std::string_view s, size_t at, size_t n) {
    std::string r;
    for (size_t i = at; i < s.size() && i < at + n; ++i) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%s0x%02X", r.empty() ? "" : " ", (unsigned char)s[i]);
        r += buf;
    }
    return r;
}

[[noreturn]] void raiseBad(std::string_view in, size_t at, Direction dir, CodePage cp) {
    const unsigned char* p = (const unsigned char*)in.data() + at;
    std::string where = " at offset " + std::to_string(at);
    if (dir == Direction::ToCp) {
        Utf8Char c = decodeUtf8(p, in.size() - at);
        if (!c.ok) throw EConvertError("Invalid UTF-8 byte " + hexBytes(in, at, 1) + where);
        char buf[16];
        std::snprintf(buf, sizeof buf, "U+%04X", (unsigned)c.cp);
        throw EConvertError(std::string("Character ") + buf + where +
                            " cannot be written in code page " + std::to_string((int)cp));
    }
    throw EConvertError("Bytes " + hexBytes(in, at, 2) + where + " are not valid in code page " +
                        std::to_string((int)cp));
}

// Converts `in` (a piece of the whole text starting at `base`) and appends to out.
void convertRun(std::string_view whole, size_t base, size_t len, CodePage cp, Direction dir,
                OnBad onBad, ConvertedText& out) {
    std::string_view in = whole.substr(base, len);
    if (allAscii(in)) {
        out.text.append(in);
        return;
    }
    iconv_t cd = cache().get(cp, dir);
    char* inp = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    size_t start = out.text.size();
    size_t cap = in.size() * 2 + 16;
    out.text.resize(start + cap);
    size_t used = 0;
    for (;;) {
        char* outp = out.text.data() + start + used;
        size_t outLeft = cap - used;
        size_t r = iconv(cd, inLeft ? &inp : nullptr, inLeft ? &inLeft : nullptr, &outp, &outLeft);
        used = cap - outLeft;
        if (r != (size_t)-1 && inLeft == 0) break;
        if (r != (size_t)-1) continue;
        if (errno == E2BIG) {
            cap *= 2;
            out.text.resize(start + cap);
            continue;
        }
        size_t at = base + (size_t)(inp - in.data());
        if (onBad == OnBad::Raise) {
            out.text.resize(start + used);
            raiseBad(whole, at, dir, cp);
        }
        // Skip one bad unit: a whole UTF-8 character when it is one, else a byte.
        size_t skip = 1;
        if (dir == Direction::ToCp) {
            Utf8Char c = decodeUtf8((const unsigned char*)inp, inLeft);
            skip = (size_t)c.len;
        }
        inp += skip;
        inLeft -= skip;
        const char* rep = dir == Direction::ToCp ? "?" : "\xEF\xBF\xBD";
        size_t repLen = std::strlen(rep);
        if (cap - used < repLen) {
            cap = cap * 2 + repLen;
            out.text.resize(start + cap);
        }
        std::memcpy(out.text.data() + start + used, rep, repLen);
        used += repLen;
        ++out.replaced;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.text.resize(start + used);
}

// Big5 extension groups (see header).
bool big5ExtPairToCp(unsigned char b, unsigned char t, char32_t& c) {
    if (b <= 0x80) return false;
    if (t >= 0x80 && t <= 0xA0) {
        c = (char32_t)((t + 0x20) * 256 + (b - 0x80));
        return true;
    }
    if (b == 0xA3 && ((t >= 0xC0 && t <= 0xDF) || (t >= 0xE1 && t <= 0xFE))) {
        c = (char32_t)(t + 0xC041);
        return true;
    }
    return false;
}

bool big5ExtCpToPair(char32_t c, unsigned char& b, unsigned char& t) {
    unsigned h = (c >> 8) & 0xFF, l = c & 0xFF;
    if (c > 0xFFFF) return false;
    if (h >= 0xA0 && h <= 0xC0 && l >= 0x01 && l <= 0x7E) {
        b = (unsigned char)(l + 0x80);
        t = (unsigned char)(h - 0x20);
        return true;
    }
    if (h == 0xC1 && ((l >= 0x01 && l <= 0x20) || (l >= 0x22 && l <= 0x3F))) {
        b = 0xA3;
        t = (unsigned char)(l + 0xBF);
        return true;
    }
    return false;
}

ConvertedText convert(std::string_view in, CodePage cp, Direction dir, OnBad onBad) {
    ConvertedText out;
    out.text.reserve(in.size() + in.size() / 2);
    if (!(cp == CodePage::Big5 && g_big5Ext.load(std::memory_order_relaxed))) {
        convertRun(in, 0, in.size(), cp, dir, onBad, out);
        return out;
    }
    const unsigned char* p = (const unsigned char*)in.data();
    size_t n = in.size(), runStart = 0, i = 0;
    auto flush = [&](size_t end) {
        if (end > runStart) convertRun(in, runStart, end - runStart, cp, dir, onBad, out);
    };
    while (i < n) {
        if (dir == Direction::FromCp) {
            char32_t c;
            if (p[i] >= 0x81 && i + 1 < n && big5ExtPairToCp(p[i], p[i + 1], c)) {
                flush(i);
                appendUtf8(out.text, c);
                i += 2;
                runStart = i;
            } else {
                i += p[i] >= 0x81 && i + 1 < n ? 2 : 1;
            }
        } else {
            Utf8Char c = decodeUtf8(p + i, n - i);
            unsigned char b, t;
            if (c.ok && big5ExtCpToPair(c.cp, b, t)) {
                flush(i);
                out.text += (char)b;
                out.text += (char)t;
                i += (size_t)c.len;
                runStart = i;
            } else {
                i += (size_t)c.len;
            }
        }
    }
    flush(n);
    return out;
}

// Code points (other than ASCII) that a code page writes in one byte.
const std::vector<char32_t>& singleByteChars(CodePage cp) {
    static std::array<std::vector<char32_t>, 3> sets;
    static std::array<std::once_flag, 3> once;
    int slot = slotOf(cp);
    std::call_once(once[slot], [&] {
        std::vector<char32_t> v;
        for (int b = 0x80; b <= 0xFF; ++b) {
            char byte = (char)b;
            ConvertedText d =
                convert(std::string_view(&byte, 1), cp, Direction::FromCp, OnBad::Replace);
            if (d.replaced) continue;
            Utf8Char c = decodeUtf8((const unsigned char*)d.text.data(), d.text.size());
            if (!c.ok || (size_t)c.len != d.text.size()) continue;
            ConvertedText e = convert(d.text, cp, Direction::ToCp, OnBad::Replace);
            if (!e.replaced && e.text.size() == 1) v.push_back(c.cp);
        }
        std::sort(v.begin(), v.end());
        sets[slot] = std::move(v);
    });
    return sets[slot];
}

int charWidth(char32_t c, const std::vector<char32_t>& single) {
    if (c < 0x80) return 1;
    return std::binary_search(single.begin(), single.end(), c) ? 1 : 2;
}

// Length-preserving case folding (see header).
char32_t upperOf(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c < 0x80) return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
    return c;
}

char32_t lowerOf(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0x80) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
    return c;
}

template <typename Fold>
std::string mapChars(std::string_view s, Fold fold) {
    std::string out;
    out.reserve(s.size());
    const unsigned char* p = (const unsigned char*)s.data();
    size_t n = s.size();
    for (size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            out += (char)fold(p[i]);
            ++i;
            continue;
        }
        Utf8Char c = decodeUtf8(p + i, n - i);
        if (c.ok)
            appendUtf8(out, fold(c.cp));
        else
            out += (char)p[i];
        i += (size_t)c.len;
    }
    return out;
}

char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? (char)(c - 0x20) : c;
}
char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? (char)(c + 0x20) : c;
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

size_t Utf8Length(const std::string& s, size_t i) {
    unsigned char c = (unsigned char)s[i];
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    return i + n <= s.size() ? n : 1;
}

std::u32string Utf8ToU32(const std::string& s) {
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

std::string U32ToUtf8(const std::u32string& u) {
    std::string out;
    for (char32_t c : u) appendUtf8(out, c);
    return out;
}

std::string U32ToUtf8(char32_t c) {
    std::string out;
    appendUtf8(out, c);
    return out;
}

CodePage CodePageFromNumber(int number) {
    CodePage cp;
    if (!TryCodePageFromNumber(number, cp))
        throw EConvertError("Unsupported code page " + std::to_string(number));
    return cp;
}

bool TryCodePageFromNumber(int number, CodePage& out) {
    for (CodePage cp : kCodePages)
        if ((int)cp == number) {
            out = cp;
            return true;
        }
    return false;
}

CodePage AnsiCodePage() {
    return g_ansiCodePage.load(std::memory_order_relaxed);
}
void SetAnsiCodePage(CodePage cp) {
    slotOf(cp);  // rejects values cast from other numbers
    g_ansiCodePage.store(cp, std::memory_order_relaxed);
}

void SetBig5ExtensionGroups(bool on) {
    g_big5Ext.store(on, std::memory_order_relaxed);
}
bool Big5ExtensionGroups() {
    return g_big5Ext.load(std::memory_order_relaxed);
}

std::string ToCodePage(std::string_view utf8, CodePage cp) {
    return convert(utf8, cp, Direction::ToCp, OnBad::Raise).text;
}
std::string FromCodePage(std::string_view bytes, CodePage cp) {
    return convert(bytes, cp, Direction::FromCp, OnBad::Raise).text;
}
std::string ToAnsi(std::string_view utf8) {
    return ToCodePage(utf8, AnsiCodePage());
}
std::string FromAnsi(std::string_view bytes) {
    return FromCodePage(bytes, AnsiCodePage());
}

ConvertedText ToCodePageReplacing(std::string_view utf8, CodePage cp) {
    return convert(utf8, cp, Direction::ToCp, OnBad::Replace);
}
ConvertedText FromCodePageReplacing(std::string_view bytes, CodePage cp) {
    return convert(bytes, cp, Direction::FromCp, OnBad::Replace);
}

bool IsValidUtf8(std::string_view s) {
    const unsigned char* p = (const unsigned char*)s.data();
    size_t n = s.size();
    for (size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        Utf8Char c = decodeUtf8(p + i, n - i);
        if (!c.ok) return false;
        i += (size_t)c.len;
    }
    return true;
}

int TextWidth(std::string_view utf8) {
    return TextWidth(utf8, AnsiCodePage());
}

int TextWidth(std::string_view utf8, CodePage cp) {
    const std::vector<char32_t>& single = singleByteChars(cp);
    const unsigned char* p = (const unsigned char*)utf8.data();
    size_t n = utf8.size();
    long w = 0;
    for (size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++w;
            ++i;
            continue;
        }
        Utf8Char c = decodeUtf8(p + i, n - i);
        w += c.ok ? charWidth(c.cp, single) : 1;
        i += (size_t)c.len;
    }
    return (int)w;
}

std::string CutToWidth(std::string_view utf8, int width) {
    return CutToWidth(utf8, width, AnsiCodePage());
}

std::string CutToWidth(std::string_view utf8, int width, CodePage cp) {
    if (width <= 0) return {};
    const std::vector<char32_t>& single = singleByteChars(cp);
    const unsigned char* p = (const unsigned char*)utf8.data();
    size_t n = utf8.size(), i = 0;
    long w = 0;
    while (i < n) {
        int cw, len;
        if (p[i] < 0x80) {
            cw = 1;
            len = 1;
        } else {
            Utf8Char c = decodeUtf8(p + i, n - i);
            cw = c.ok ? charWidth(c.cp, single) : 1;
            len = c.len;
        }
        if (w + cw > width) break;
        w += cw;
        i += (size_t)len;
    }
    return std::string(utf8.substr(0, i));
}

std::string PadRightToWidth(std::string_view utf8, int width, char fill) {
    int w = TextWidth(utf8);
    std::string r(utf8);
    if (w < width) r.append((size_t)(width - w), fill);
    return r;
}

std::string PadLeftToWidth(std::string_view utf8, int width, char fill) {
    int w = TextWidth(utf8);
    if (w >= width) return std::string(utf8);
    std::string r((size_t)(width - w), fill);
    r += utf8;
    return r;
}

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = asciiUpper(c);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = asciiLower(c);
    return r;
}

std::string AnsiUpperCase(std::string_view s) {
    return mapChars(s, upperOf);
}
std::string AnsiLowerCase(std::string_view s) {
    return mapChars(s, lowerOf);
}

int CompareStr(std::string_view a, std::string_view b) {
    return sign(a.compare(b));
}

int CompareText(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = (unsigned char)asciiUpper(a[i]), y = (unsigned char)asciiUpper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int AnsiCompareText(std::string_view a, std::string_view b) {
    if (allAscii(a) && allAscii(b)) return CompareText(a, b);
    return sign(AnsiUpperCase(a).compare(AnsiUpperCase(b)));
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
    return AnsiCompareText(a, b) == 0;
}

std::string TrimLeft(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && (unsigned char)s[b] <= ' ') ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && (unsigned char)s[e - 1] <= ' ') --e;
    return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (unsigned char)s[b] <= ' ') ++b;
    while (e > b && (unsigned char)s[e - 1] <= ' ') --e;
    return std::string(s.substr(b, e - b));
}

int Pos(std::string_view sub, std::string_view s) {
    return PosEx(sub, s, 1);
}

int PosEx(std::string_view sub, std::string_view s, int offset) {
    if (sub.empty() || offset < 1 || (size_t)offset > s.size()) return 0;
    size_t at = s.find(sub, (size_t)offset - 1);
    return at == std::string_view::npos ? 0 : (int)at + 1;
}

std::string StringReplace(std::string_view s, std::string_view from, std::string_view to,
                          ReplaceFlags flags) {
    if (from.empty()) return std::string(s);
    bool ignoreCase = HasFlag(flags, ReplaceFlags::IgnoreCase);
    bool all = HasFlag(flags, ReplaceFlags::All);
    // Folding keeps byte lengths, so positions in the folded copy are positions in s.
    std::string foldedS, foldedFrom;
    std::string_view hay = s, needle = from;
    if (ignoreCase) {
        foldedS = AnsiUpperCase(s);
        foldedFrom = AnsiUpperCase(from);
        hay = foldedS;
        needle = foldedFrom;
    }
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t at = hay.find(needle, pos);
        if (at == std::string_view::npos) break;
        out.append(s.substr(pos, at - pos));
        out.append(to);
        pos = at + from.size();
        if (!all) break;
    }
    out.append(s.substr(pos));
    return out;
}

std::string QuotedStr(std::string_view s, char quote) {
    std::string r;
    r.reserve(s.size() + 2);
    r += quote;
    for (char c : s) {
        if (c == quote) r += quote;
        r += c;
    }
    r += quote;
    return r;
}

static std::string hexOf(uint64_t v, int digits) {
    static const char* const hex = "0123456789ABCDEF";
    std::string r;
    do {
        r += hex[v & 0xF];
        v >>= 4;
    } while (v);
    if (digits > 32) digits = 32;
    while ((int)r.size() < digits) r += '0';
    std::reverse(r.begin(), r.end());
    return r;
}

std::string IntToHex(int32_t v, int digits) {
    return hexOf((uint32_t)v, digits);
}
std::string IntToHex(int64_t v, int digits) {
    return hexOf((uint64_t)v, digits);
}

}  // namespace plat

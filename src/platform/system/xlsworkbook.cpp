#include "platform/system/xlsworkbook.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/core/exceptions.h"
#include "platform/system/files.h"

namespace plat {

namespace {

// ---- little-endian output ----

void put8(std::string& o, uint32_t v) {
    o.push_back((char)(v & 0xFF));
}
void put16(std::string& o, uint32_t v) {
    put8(o, v);
    put8(o, v >> 8);
}
void put32(std::string& o, uint32_t v) {
    put16(o, v);
    put16(o, v >> 16);
}
void putDouble(std::string& o, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    put32(o, (uint32_t)bits);
    put32(o, (uint32_t)(bits >> 32));
}
void set32(std::string& o, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) o[at + i] = (char)((v >> (8 * i)) & 0xFF);
}

// ---- BIFF8 records ----

constexpr size_t kMaxRecordData = 8224;

enum : uint16_t {
    rEOF = 0x000A,
    rDateMode = 0x0022,
    rWindow1 = 0x003D,
    rFont = 0x0031,
    rContinue = 0x003C,
    rCodePage = 0x0042,
    rColInfo = 0x007D,
    rBoundSheet = 0x0085,
    rXF = 0x00E0,
    rSST = 0x00FC,
    rLabelSST = 0x00FD,
    rExtSST = 0x00FF,
    rDimensions = 0x0200,
    rBlank = 0x0201,
    rNumber = 0x0203,
    rWindow2 = 0x023E,
    rRK = 0x027E,
    rStyle = 0x0293,
    rFormat = 0x041E,
    rBOF = 0x0809,
};

void record(std::string& o, uint16_t type, const std::string& data) {
    put16(o, type);
    put16(o, (uint32_t)data.size());
    o += data;
}

void bof(std::string& o, uint16_t kind) {
    std::string d;
    put16(d, 0x0600);  // BIFF8
    put16(d, kind);    // 0x0005 workbook globals, 0x0010 worksheet
    put16(d, 0x0DBB);  // build
    put16(d, 0x07CC);  // year
    put32(d, 0);
    put32(d, 0x06);  // lowest version that can read the file
    record(o, rBOF, d);
}

bool needsWide(const std::u16string& s) {
    return std::any_of(s.begin(), s.end(), [](char16_t c) { return c > 0xFF; });
}
void putChars(std::string& o, const std::u16string& s, size_t from, size_t count, bool wide) {
    for (size_t i = from; i < from + count; ++i) wide ? put16(o, s[i]) : put8(o, s[i]);
}
// A string with an 8-bit length (sheet and font names).
void putShortString(std::string& o, const std::u16string& s) {
    const bool wide = needsWide(s);
    put8(o, (uint32_t)s.size());
    put8(o, wide ? 1 : 0);
    putChars(o, s, 0, s.size(), wide);
}

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string toUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto b = (unsigned char)s[i];
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else {
            size_t need = b >= 0xF0 && b < 0xF5 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
            if (need && i + need <= s.size()) {
                uint32_t v = b & (0x7F >> need);
                bool ok = true;
                for (size_t k = 1; k < need; ++k) {
                    const auto c = (unsigned char)s[i + k];
                    if ((c & 0xC0) != 0x80) {
                        ok = false;
                        break;
                    }
                    v = (v << 6) | (c & 0x3F);
                }
                const uint32_t min = need == 2 ? 0x80 : need == 3 ? 0x800 : 0x10000;
                if (ok && v >= min && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF)) {
                    cp = v;
                    len = need;
                }
            }
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back((char16_t)(0xD800 + (cp >> 10)));
            out.push_back((char16_t)(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back((char16_t)cp);
        }
        i += len;
    }
    return out;
}

std::string toUtf8(const std::u16string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (cp < 0x80) {
            out.push_back((char)cp);
        } else if (cp < 0x800) {
            out.push_back((char)(0xC0 | (cp >> 6)));
            out.push_back((char)(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back((char)(0xE0 | (cp >> 12)));
            out.push_back((char)(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back((char)(0x80 | (cp & 0x3F)));
        } else {
            out.push_back((char)(0xF0 | (cp >> 18)));
            out.push_back((char)(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back((char)(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back((char)(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// At most `max` units, never ending inside a surrogate pair.
void cutUtf16(std::u16string& s, size_t max) {
    if (s.size() <= max) return;
    size_t n = max;
    if (n > 0 && s[n - 1] >= 0xD800 && s[n - 1] < 0xDC00) --n;
    s.resize(n);
}

// The compact 30-bit form of a number when it holds the value exactly.
bool toRk(double v, uint32_t& rk) {
    constexpr double kLimit = 536870912.0;  // 2^29
    if (v == std::floor(v) && v >= -kLimit && v < kLimit) {
        rk = ((uint32_t)(int32_t)v << 2) | 2;
        return true;
    }
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) == 0) {
        rk = (uint32_t)(bits >> 32);
        return true;
    }
    const double h = v * 100;
    if (h == std::floor(h) && h >= -kLimit && h < kLimit && h / 100 == v) {
        rk = ((uint32_t)(int32_t)h << 2) | 3;
        return true;
    }
    return false;
}

// ---- compound document ----

constexpr uint32_t kSector = 512;
constexpr uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatSect = 0xFFFFFFFD,
                   kDifSect = 0xFFFFFFFC, kNoStream = 0xFFFFFFFF;
constexpr uint32_t kHeaderDifat = 109, kPerSector = kSector / 4;

void dirEntry(std::string& o, const std::u16string& name, uint8_t type, uint32_t child,
              uint32_t start, uint32_t size) {
    const size_t at = o.size();
    for (char16_t c : name) put16(o, c);
    o.resize(at + 64, '\0');
    put16(o, name.empty() ? 0 : (uint32_t)(name.size() + 1) * 2);
    put8(o, type);
    put8(o, 1);  // black
    put32(o, kNoStream);
    put32(o, kNoStream);
    put32(o, child);
    o.append(16 + 4 + 8 + 8, '\0');  // class id, state, times
    put32(o, start);
    put32(o, size);
    put32(o, 0);
}

// The workbook stream in a version-3 compound document. Streams below the
// mini-stream cut-off (4096) would belong in the mini stream; the workbook
// is padded to that size instead, which every reader accepts.
std::string compoundDocument(std::string stream) {
    if (stream.size() < 4096) stream.resize(4096, '\0');
    const uint32_t streamSize = (uint32_t)stream.size();
    const uint32_t n = (streamSize + kSector - 1) / kSector;
    uint32_t fat = 1, difat = 0;
    for (;;) {
        const uint32_t total = n + 1 + fat + difat;
        const uint32_t f = (total + kPerSector - 1) / kPerSector;
        const uint32_t d =
            f > kHeaderDifat ? (f - kHeaderDifat + kPerSector - 2) / (kPerSector - 1) : 0;
        if (f == fat && d == difat) break;
        fat = f;
        difat = d;
    }
    const uint32_t dirSector = n, fatStart = n + 1, difatStart = n + 1 + fat;
    std::vector<uint32_t> table((size_t)fat * kPerSector, kFree);
    for (uint32_t i = 0; i + 1 < n; ++i) table[i] = i + 1;
    table[n - 1] = kEnd;
    table[dirSector] = kEnd;
    for (uint32_t i = 0; i < fat; ++i) table[fatStart + i] = kFatSect;
    for (uint32_t i = 0; i < difat; ++i) table[difatStart + i] = kDifSect;

    std::string o;
    o.reserve((size_t)(1 + n + 1 + fat + difat) * kSector);
    static const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    o.append((const char*)kSignature, 8);
    o.append(16, '\0');
    put16(o, 0x003E);
    put16(o, 0x0003);
    put16(o, 0xFFFE);
    put16(o, 9);  // 512-byte sectors
    put16(o, 6);  // 64-byte mini sectors
    o.append(6, '\0');
    put32(o, 0);  // directory sectors (version 3: 0)
    put32(o, fat);
    put32(o, dirSector);
    put32(o, 0);
    put32(o, 4096);
    put32(o, kEnd);  // no mini FAT
    put32(o, 0);
    put32(o, difat ? difatStart : kEnd);
    put32(o, difat);
    for (uint32_t i = 0; i < kHeaderDifat; ++i) put32(o, i < fat ? fatStart + i : kFree);

    o += stream;
    o.resize(kSector + (size_t)n * kSector, '\0');

    dirEntry(o, u"Root Entry", 5, 1, kEnd, 0);
    dirEntry(o, u"Workbook", 2, kNoStream, 0, streamSize);
    dirEntry(o, u"", 0, kNoStream, 0, 0);
    dirEntry(o, u"", 0, kNoStream, 0, 0);

    for (uint32_t v : table) put32(o, v);

    uint32_t next = kHeaderDifat;
    for (uint32_t s = 0; s < difat; ++s) {
        for (uint32_t i = 0; i < kPerSector - 1; ++i, ++next)
            put32(o, next < fat ? fatStart + next : kFree);
        put32(o, s + 1 < difat ? difatStart + s + 1 : kEnd);
    }
    return o;
}

[[noreturn]] void outOfRange(const char* what, uint32_t row, uint32_t col) {
    throw EListError(std::string(what) + " out of range: row " + std::to_string(row) + ", column " +
                     std::to_string(col));
}

}  // namespace

TXlsWorkbook::TXlsWorkbook(std::string sheetName) {
    SetSheetName(sheetName);
    formats_.push_back("General");
    fonts_.push_back(TXlsFont{});
    styles_.push_back(StyleKey{0, 0});
}

void TXlsWorkbook::SetSheetName(std::string_view name) {
    std::u16string u = toUtf16(name);
    for (char16_t& c : u)
        if (c == u':' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' || c == u'[' ||
            c == u']')
            c = u'_';
    cutUtf16(u, 31);
    if (u.empty()) u = u"Sheet1";
    sheetName_ = toUtf8(u);
}

uint16_t TXlsWorkbook::Style(std::string_view numberFormat, const TXlsFont& font) {
    std::string format(numberFormat);
    if (format.empty() || format == "General") format = "General";
    auto fi = std::find(formats_.begin(), formats_.end(), format);
    uint16_t formatIndex = (uint16_t)(fi - formats_.begin());
    if (fi == formats_.end()) {
        if (formats_.size() >= 200) throw EListError("Too many number formats");
        formats_.push_back(format);
    }
    TXlsFont f = font;
    f.ColorIndex = std::clamp(f.ColorIndex, 0, 56);
    f.Size = std::clamp(f.Size, 1.0, 409.0);
    auto ni = std::find(fonts_.begin(), fonts_.end(), f);
    uint16_t fontIndex = (uint16_t)(ni - fonts_.begin());
    if (ni == fonts_.end()) {
        if (fonts_.size() >= 500) throw EListError("Too many fonts");
        fonts_.push_back(f);
    }
    const StyleKey key{formatIndex, fontIndex};
    auto si = std::find(styles_.begin(), styles_.end(), key);
    if (si != styles_.end()) return (uint16_t)(si - styles_.begin());
    if (styles_.size() >= 4000) throw EListError("Too many cell styles");
    styles_.push_back(key);
    return (uint16_t)(styles_.size() - 1);
}

const std::string& TXlsWorkbook::StyleFormat(uint16_t style) const {
    checkStyle(style);
    return formats_[styles_[style].format];
}

const TXlsFont& TXlsWorkbook::StyleFont(uint16_t style) const {
    checkStyle(style);
    return fonts_[styles_[style].font];
}

void TXlsWorkbook::checkStyle(uint16_t style) const {
    if (style >= styles_.size()) throw EListError("Unknown cell style " + std::to_string(style));
}

TXlsWorkbook::Cell& TXlsWorkbook::cell(uint32_t row, uint32_t col) {
    if (row >= kMaxRows || col >= kMaxCols) outOfRange("Cell", row, col);
    if (row >= rows_.size()) rows_.resize(row + 1);
    auto& r = rows_[row];
    if (col >= r.size()) r.resize(col + 1);
    return r[col];
}

const TXlsWorkbook::Cell* TXlsWorkbook::find(uint32_t row, uint32_t col) const {
    if (row >= rows_.size() || col >= rows_[row].size()) return nullptr;
    return &rows_[row][col];
}

void TXlsWorkbook::SetNumber(uint32_t row, uint32_t col, double value, uint16_t style) {
    checkStyle(style);
    if (!std::isfinite(value))
        throw EConvertError("A cell cannot hold a number that is not finite");
    Cell& c = cell(row, col);
    c.kind = TXlsCellKind::Number;
    c.number = value;
    c.style = style;
    c.styled = true;
}

void TXlsWorkbook::SetText(uint32_t row, uint32_t col, std::string_view utf8, uint16_t style) {
    checkStyle(style);
    Cell& c = cell(row, col);
    std::u16string u = toUtf16(utf8);
    cutUtf16(u, kMaxTextChars);
    auto [it, added] = stringIndex_.try_emplace(std::move(u), (uint32_t)strings_.size());
    if (added) strings_.push_back(it->first);
    c.kind = TXlsCellKind::Text;
    c.text = it->second;
    c.style = style;
    c.styled = true;
}

void TXlsWorkbook::SetStyle(uint32_t row, uint32_t col, uint16_t style) {
    checkStyle(style);
    Cell& c = cell(row, col);
    c.style = style;
    c.styled = true;
}

void TXlsWorkbook::ClearValue(uint32_t row, uint32_t col) {
    if (row >= kMaxRows || col >= kMaxCols) outOfRange("Cell", row, col);
    if (find(row, col)) rows_[row][col].kind = TXlsCellKind::Empty;
}

TXlsCellKind TXlsWorkbook::Kind(uint32_t row, uint32_t col) const {
    const Cell* c = find(row, col);
    return c ? c->kind : TXlsCellKind::Empty;
}

double TXlsWorkbook::Number(uint32_t row, uint32_t col) const {
    const Cell* c = find(row, col);
    return c && c->kind == TXlsCellKind::Number ? c->number : 0;
}

std::string TXlsWorkbook::Text(uint32_t row, uint32_t col) const {
    const Cell* c = find(row, col);
    return c && c->kind == TXlsCellKind::Text ? toUtf8(strings_[c->text]) : std::string();
}

uint16_t TXlsWorkbook::CellStyle(uint32_t row, uint32_t col) const {
    const Cell* c = find(row, col);
    return c ? c->style : kGeneral;
}

void TXlsWorkbook::SetColumnWidth(uint32_t col, uint16_t width) {
    if (col >= kMaxCols) outOfRange("Column", 0, col);
    if (col >= widths_.size()) widths_.resize(col + 1, 0);
    widths_[col] = width;
}

// ---- writing ----

void TXlsWorkbook::writeGlobals(std::string& o, size_t& sheetOffsetAt) const {
    bof(o, 0x0005);
    std::string d;
    put16(d, 1200);  // texts are UTF-16
    record(o, rCodePage, d);
    d.clear();
    for (uint32_t v : {0x0168u, 0x001Eu, 0x1D1Eu, 0x1860u, 0x0038u, 0u, 0u, 1u, 0x0258u})
        put16(d, v);
    record(o, rWindow1, d);
    d.clear();
    put16(d, 0);  // dates counted from 1900
    record(o, rDateMode, d);

    auto font = [&](const TXlsFont& f) {
        std::string r;
        put16(r, (uint32_t)std::lround(f.Size * 20));
        put16(r, (f.Bold ? 0x01 : 0) | (f.Italic ? 0x02 : 0) | (f.StrikeOut ? 0x08 : 0));
        put16(r, f.ColorIndex > 0 ? (uint32_t)f.ColorIndex + 7 : 0x7FFF);
        put16(r, f.Bold ? 700 : 400);
        put16(r, 0);
        put8(r, f.Underline ? 1 : 0);
        put8(r, 0);
        put8(r, 1);  // default character set
        put8(r, 0);
        std::u16string name = toUtf16(f.Name);
        cutUtf16(name, 31);
        putShortString(r, name);
        record(o, rFont, r);
    };
    // Font index 4 does not exist in the format: the default font fills 0..3.
    for (int i = 0; i < 4; ++i) font(fonts_[0]);
    for (size_t i = 1; i < fonts_.size(); ++i) font(fonts_[i]);

    for (size_t i = 1; i < formats_.size(); ++i) {
        std::string r;
        put16(r, 163 + (uint32_t)i);
        std::u16string code = toUtf16(formats_[i]);
        cutUtf16(code, 255);
        const bool wide = needsWide(code);
        put16(r, (uint32_t)code.size());
        put8(r, wide ? 1 : 0);
        putChars(r, code, 0, code.size(), wide);
        record(o, rFormat, r);
    }

    auto xf = [&](uint32_t fontIndex, uint32_t formatIndex, bool styleXf, uint8_t used) {
        std::string r;
        put16(r, fontIndex);
        put16(r, formatIndex);
        put16(r, styleXf ? 0xFFF5 : 0x0001);
        put8(r, 0x20);  // bottom aligned
        put8(r, 0);
        put8(r, 0);
        put8(r, used);
        put32(r, 0);
        put32(r, 0);
        put16(r, 0x20C0);
        record(o, rXF, r);
    };
    xf(0, 0, true, 0);
    for (int i = 1; i < 15; ++i) xf(0, 0, true, 0xF4);
    // Cell styles follow the fifteen style records: style s is record 15 + s.
    for (const StyleKey& s : styles_) {
        const uint32_t fontIndex = s.font == 0 ? 0 : s.font + 4u;
        const uint32_t formatIndex = s.format == 0 ? 0 : 163u + s.format;
        xf(fontIndex, formatIndex, false, (s.format ? 0x04 : 0) | (s.font ? 0x08 : 0));
    }
    d.clear();
    put16(d, 0x8000);  // built-in style "Normal" on record 0
    put8(d, 0);
    put8(d, 0xFF);
    record(o, rStyle, d);

    std::string sheetRecord;
    put32(sheetRecord, 0);
    put8(sheetRecord, 0);
    put8(sheetRecord, 0);
    putShortString(sheetRecord, toUtf16(sheetName_));
    sheetOffsetAt = o.size() + 4;
    record(o, rBoundSheet, sheetRecord);

    writeSharedStrings(o);
    record(o, rEOF, {});
}

// The shared-string table runs over CONTINUE records when it outgrows one
// record. A string's length and flags never split from its first character;
// a string's characters may split, and the continuation then starts with the
// flags byte again; neither a two-byte character nor a surrogate pair splits.
void TXlsWorkbook::writeSharedStrings(std::string& o) const {
    size_t total = 0;
    for (const auto& row : rows_)
        for (const Cell& c : row) total += c.kind == TXlsCellKind::Text;
    const size_t bucket = std::max<size_t>(8, (strings_.size() + 127) / 128);
    std::vector<std::pair<uint32_t, uint16_t>> buckets;

    uint16_t type = rSST;
    std::string r;
    put32(r, (uint32_t)total);
    put32(r, (uint32_t)strings_.size());
    auto flush = [&] {
        record(o, type, r);
        r.clear();
        type = rContinue;
    };
    for (size_t i = 0; i < strings_.size(); ++i) {
        const std::u16string& s = strings_[i];
        const bool wide = needsWide(s);
        const size_t unit = wide ? 2 : 1;
        if (r.size() + 3 + (s.empty() ? 0 : unit) > kMaxRecordData) flush();
        if (i % bucket == 0)
            buckets.emplace_back((uint32_t)(o.size() + 4 + r.size()), (uint16_t)(4 + r.size()));
        put16(r, (uint32_t)s.size());
        put8(r, wide ? 1 : 0);
        size_t done = 0;
        while (done < s.size()) {
            const size_t left = s.size() - done;
            size_t take = std::min((kMaxRecordData - r.size()) / unit, left);
            // Readers decode each record's part on its own: keep surrogate
            // pairs whole.
            if (take > 0 && take < left && s[done + take - 1] >= 0xD800 &&
                s[done + take - 1] < 0xDC00)
                --take;
            if (take == 0) {
                flush();
                put8(r, wide ? 1 : 0);
                continue;
            }
            putChars(r, s, done, take, wide);
            done += take;
        }
    }
    flush();

    std::string ext;
    put16(ext, (uint32_t)bucket);
    for (auto [at, offset] : buckets) {
        put32(ext, at);
        put16(ext, offset);
        put16(ext, 0);
    }
    record(o, rExtSST, ext);
}

void TXlsWorkbook::writeSheet(std::string& o) const {
    bof(o, 0x0010);
    for (size_t c = 0; c < widths_.size(); ++c) {
        if (!widths_[c]) continue;
        std::string r;
        put16(r, (uint32_t)c);
        put16(r, (uint32_t)c);
        put16(r, widths_[c]);
        put16(r, 15);
        put16(r, 0);
        put16(r, 0);
        record(o, rColInfo, r);
    }
    uint32_t lastRow = 0, lastCol = 0;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (!rows_[i].empty()) {
            lastRow = (uint32_t)i + 1;
            lastCol = std::max(lastCol, (uint32_t)rows_[i].size());
        }
    std::string d;
    put32(d, 0);
    put32(d, lastRow);
    put16(d, 0);
    put16(d, lastCol);
    put16(d, 0);
    record(o, rDimensions, d);

    o.reserve(o.size() + (size_t)lastRow * lastCol * 18);
    for (uint32_t row = 0; row < rows_.size(); ++row) {
        const auto& cells = rows_[row];
        for (uint32_t col = 0; col < cells.size(); ++col) {
            const Cell& c = cells[col];
            const uint32_t xf = 15u + c.style;
            switch (c.kind) {
                case TXlsCellKind::Empty:
                    if (!c.styled) break;
                    put16(o, rBlank);
                    put16(o, 6);
                    put16(o, row);
                    put16(o, col);
                    put16(o, xf);
                    break;
                case TXlsCellKind::Text:
                    put16(o, rLabelSST);
                    put16(o, 10);
                    put16(o, row);
                    put16(o, col);
                    put16(o, xf);
                    put32(o, c.text);
                    break;
                case TXlsCellKind::Number: {
                    uint32_t rk;
                    if (toRk(c.number, rk)) {
                        put16(o, rRK);
                        put16(o, 10);
                        put16(o, row);
                        put16(o, col);
                        put16(o, xf);
                        put32(o, rk);
                    } else {
                        put16(o, rNumber);
                        put16(o, 14);
                        put16(o, row);
                        put16(o, col);
                        put16(o, xf);
                        putDouble(o, c.number);
                    }
                    break;
                }
            }
        }
    }
    d.clear();
    for (uint32_t v : {0x06B6u, 0u, 0u, 0x40u, 0u, 0u, 0u}) put16(d, v);
    put32(d, 0);
    record(o, rWindow2, d);
    record(o, rEOF, {});
}

std::string TXlsWorkbook::SaveToBytes() const {
    std::string stream;
    size_t sheetOffsetAt = 0;
    writeGlobals(stream, sheetOffsetAt);
    set32(stream, sheetOffsetAt, (uint32_t)stream.size());
    writeSheet(stream);
    return compoundDocument(std::move(stream));
}

void TXlsWorkbook::SaveToFile(const std::string& path) const {
    WriteFileBytes(path, SaveToBytes());
}

}  // namespace plat

#include "platform/system/inifile.h"

#include <sys/stat.h>

#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/system/codepage_io.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"

namespace plat {

namespace {

enum class LineKind : uint8_t { Blank, Comment, Section, Key, Other };

// A line as places in the file's bytes and in their decoded text; a file of
// a million short lines must not cost a few strings per line.
struct IniLine {
    uint32_t raw = 0, rawLen = 0;      // bytes in the file's code page, without line end
    uint32_t name = 0, nameLen = 0;    // section or key name in the text, trimmed
    uint32_t value = 0, valueLen = 0;  // key value in the text, trimmed
    LineKind kind = LineKind::Blank;
};

// Identity of the file's state on disk, to notice a change by someone else.
struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};

    bool operator==(const FileStamp& o) const {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
               mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

FileStamp stampOf(const std::string& path) {
    FileStamp s;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        s.exists = true;
        s.dev = st.st_dev;
        s.ino = st.st_ino;
        s.size = st.st_size;
        s.mtime = st.st_mtim;
    }
    return s;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimView(std::string_view s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string_view::npos ? std::string_view() : s.substr(b, e - b + 1);
}

std::string trim(const std::string& s) {
    return std::string(trimView(s));
}

// Kind, name and value of a line whose decoded text starts at `at` in `text`.
void classify(IniLine& line, std::string_view text, uint32_t at, uint32_t len) {
    std::string_view whole = text.substr(at, len);
    uint32_t b = 0, e = len;
    while (b < e && isBlank(whole[b])) ++b;
    while (e > b && isBlank(whole[e - 1])) --e;
    std::string_view t = whole.substr(b, e - b);
    auto place = [&](std::string_view part, uint32_t& pos, uint32_t& n) {
        part = trimView(part);
        pos = part.empty() ? at : at + uint32_t(part.data() - whole.data());
        n = uint32_t(part.size());
    };
    if (t.empty()) {
        line.kind = LineKind::Blank;
    } else if (t[0] == ';') {
        line.kind = LineKind::Comment;
    } else if (size_t close; t[0] == '[' && (close = t.rfind(']')) != std::string_view::npos) {
        line.kind = LineKind::Section;
        place(t.substr(1, close - 1), line.name, line.nameLen);
    } else if (size_t eq = t.find('='); eq != std::string_view::npos) {
        line.kind = LineKind::Key;
        place(t.substr(0, eq), line.name, line.nameLen);
        place(t.substr(eq + 1), line.value, line.valueLen);
    } else {
        line.kind = LineKind::Other;
    }
}

// Calls f(begin, length) for each line of the text, a trailing "\r" cut off.
template <class F>
void forEachLine(std::string_view text, F f) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        size_t len = end - pos;
        if (len > 0 && text[end - 1] == '\r') --len;
        f(pos, len);
        pos = end + 1;
    }
}

size_t lineCount(std::string_view text) {
    size_t n = 0;
    forEachLine(text, [&](size_t, size_t) { ++n; });
    return n;
}

std::string unquote(const std::string& v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

bool hasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

void checkSection(const std::string& section) {
    std::string t = trim(section);
    if (t.empty() || hasLineBreak(section) || section.find(']') != std::string::npos)
        throw EInOutError("Invalid INI section name '" + section + "'");
}

void checkIdent(const std::string& ident) {
    std::string t = trim(ident);
    if (t.empty() || hasLineBreak(ident) || ident.find('=') != std::string::npos || t[0] == '[' ||
        t[0] == ';')
        throw EInOutError("Invalid INI key name '" + ident + "'");
}

}  // namespace

struct TIniFile::Content {
    FileStamp stamp;
    bool unreadable = false;  // the file is there but could not be read
    std::string lineEnd = "\r\n";
    std::string bytes;  // the file as read
    std::string text;   // its lines decoded, one after the other
    std::vector<IniLine> lines;

    std::string_view raw(const IniLine& l) const { return {bytes.data() + l.raw, l.rawLen}; }
    std::string_view name(const IniLine& l) const { return {text.data() + l.name, l.nameLen}; }
    std::string_view value(const IniLine& l) const { return {text.data() + l.value, l.valueLen}; }

    // False for a file too large to index (the lines count in 32 bits).
    bool parse(std::string fileBytes, int codePage) {
        bytes = std::move(fileBytes);
        if (bytes.size() >= UINT32_MAX / 2) return false;
        size_t firstEnd = bytes.find('\n');
        if (firstEnd != std::string::npos && (firstEnd == 0 || bytes[firstEnd - 1] != '\r'))
            lineEnd = "\n";
        lines.reserve(lineCount(bytes));
        forEachLine(bytes, [&](size_t b, size_t n) {
            IniLine l;
            l.raw = uint32_t(b);
            l.rawLen = uint32_t(n);
            lines.push_back(l);
        });
        std::vector<std::pair<uint32_t, uint32_t>> at;
        // Decoded as a whole when the code page reads it; else line by line,
        // so one bad line does not take the others with it.
        if (!sysdetail::TryDecode(bytes, codePage, text) || lineCount(text) != lines.size() ||
            text.size() >= UINT32_MAX / 2) {
            text.clear();
            for (IniLine& l : lines) {
                size_t b = text.size();
                text += sysdetail::DecodeLenient(raw(l), codePage);
                if (text.size() >= UINT32_MAX / 2) return false;
                classify(l, text, uint32_t(b), uint32_t(text.size() - b));
            }
            return true;
        }
        size_t i = 0;
        forEachLine(text, [&](size_t b, size_t n) {
            classify(lines[i++], text, uint32_t(b), uint32_t(n));
        });
        return true;
    }

    // [header, end) line ranges of every section with that name.
    std::vector<std::pair<size_t, size_t>> sections(const std::string& section) const {
        std::string name = trim(section);
        std::vector<std::pair<size_t, size_t>> ranges;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind != LineKind::Section || !SameText(this->name(lines[i]), name))
                continue;
            size_t end = i + 1;
            while (end < lines.size() && lines[end].kind != LineKind::Section) ++end;
            ranges.emplace_back(i, end);
            i = end - 1;
        }
        return ranges;
    }

    // At most this many keys stand in the section.
    size_t keyBound(const std::string& section) const {
        size_t n = 0;
        for (auto [b, e] : sections(section)) n += e - b - 1;
        return n;
    }

    template <class F>
    void forEachKey(const std::string& section, F f) const {
        for (auto [b, e] : sections(section))
            for (size_t i = b + 1; i < e; ++i)
                if (lines[i].kind == LineKind::Key && !f(i)) return;
    }

    static constexpr size_t npos = size_t(-1);

    size_t findIndex(const std::string& section, const std::string& ident) const {
        size_t found = npos;
        std::string wanted = trim(ident);
        forEachKey(section, [&](size_t i) {
            if (!SameText(name(lines[i]), wanted)) return true;
            found = i;
            return false;
        });
        return found;
    }

    // The file with each line replaced by what emit(i, out) puts out for it
    // (emit(lines.size(), out) adds at the end); line(out, raw) writes one line.
    template <class F>
    std::string rebuild(F emit) const {
        std::string out;
        out.reserve(bytes.size() + 256);
        for (size_t i = 0; i <= lines.size(); ++i) emit(i, out);
        return out;
    }
    void line(std::string& out, std::string_view rawLine) const {
        out += rawLine;
        out += lineEnd;
    }
};

namespace {
// Names once each, first spelling kept, in file order.
struct NameSet {
    explicit NameSet(size_t expected) { seen.reserve(expected); }
    std::unordered_set<std::string> seen;
    bool add(std::string_view name) { return seen.insert(UpperCase(name)).second; }
};
}  // namespace

TIniFile::TIniFile(const std::string& fileName, int codePage)
    : fileName_(NativePath(fileName)), codePage_(sysdetail::ResolveCodePage(codePage)) {}

TIniFile::~TIniFile() = default;

const TIniFile::Content& TIniFile::content() const {
    FileStamp now = stampOf(fileName_);
    if (cache_ && cache_->stamp == now) return *cache_;
    auto c = std::make_unique<Content>();
    std::string bytes;
    if (now.exists && TryReadFileBytes(fileName_, bytes) && c->parse(std::move(bytes), codePage_)) {
        c->stamp = now;
    } else {
        // Unreadable reads as empty; keep no stamp so the next call retries.
        c = std::make_unique<Content>();
        c->unreadable = now.exists;
        c->stamp = FileStamp{};
        c->stamp.size = -1;
    }
    cache_ = std::move(c);
    return *cache_;
}

const TIniFile::Content& TIniFile::editable() const {
    const Content& c = content();
    // Writing over a file we could not read would throw its content away.
    if (c.unreadable) throw EInOutError("Cannot read file " + fileName_ + " to change it");
    return c;
}

void TIniFile::commit(std::string bytes) {
    WriteFileBytes(fileName_, bytes);
    auto c = std::make_unique<Content>();
    if (!c->parse(std::move(bytes), codePage_)) {
        cache_.reset();
        return;
    }
    c->stamp = stampOf(fileName_);
    cache_ = std::move(c);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& def) const {
    const Content& c = content();
    size_t i = c.findIndex(section, ident);
    return i == Content::npos ? def : unquote(std::string(c.value(c.lines[i])));
}

int TIniFile::ReadInteger(const std::string& section, const std::string& ident, int def) const {
    return StrToIntDef(ReadString(section, ident, ""), def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
    const Content& c = content();
    std::vector<std::string> names;
    NameSet seen(c.keyBound(section));
    c.forEachKey(section, [&](size_t i) {
        std::string_view n = c.name(c.lines[i]);
        if (!n.empty() && seen.add(n)) names.emplace_back(n);
        return true;
    });
    return names;
}

std::vector<std::string> TIniFile::ReadSections() const {
    const Content& c = content();
    std::vector<std::string> names;
    NameSet seen(0);
    for (const IniLine& l : c.lines)
        if (l.kind == LineKind::Section && seen.add(c.name(l))) names.emplace_back(c.name(l));
    return names;
}

std::vector<std::string> TIniFile::ReadSectionValues(const std::string& section) const {
    const Content& c = content();
    std::vector<std::string> lines;
    NameSet seen(c.keyBound(section));
    // The first occurrence of a name gives its value, as ReadString does.
    c.forEachKey(section, [&](size_t i) {
        std::string_view n = c.name(c.lines[i]);
        if (!n.empty() && seen.add(n))
            lines.push_back(std::string(n) + "=" + unquote(std::string(c.value(c.lines[i]))));
        return true;
    });
    return lines;
}

bool TIniFile::SectionExists(const std::string& section) const {
    bool any = false;
    const Content& c = content();
    c.forEachKey(section, [&](size_t i) {
        any = c.lines[i].nameLen > 0;
        return !any;
    });
    return any;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const {
    return content().findIndex(section, ident) != Content::npos;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) {
    checkSection(section);
    checkIdent(ident);
    if (hasLineBreak(value)) throw EInOutError("An INI value cannot hold a line break");
    const Content& c = editable();
    std::string encodedValue = sysdetail::Encode(value, codePage_);
    std::string encodedIdent = sysdetail::Encode(trim(ident), codePage_);
    size_t replace = c.findIndex(section, ident), insertAt = Content::npos;
    std::string replaced;
    if (replace != Content::npos) {
        std::string_view raw = c.raw(c.lines[replace]);
        replaced = std::string(trimView(raw.substr(0, raw.find('=')))) + "=" + encodedValue;
    } else if (auto ranges = c.sections(section); !ranges.empty()) {
        // After the section's last non-blank line, so blank separators stay.
        insertAt = ranges.front().first + 1;
        for (size_t i = insertAt; i < ranges.front().second; ++i)
            if (c.lines[i].kind != LineKind::Blank) insertAt = i + 1;
    }
    bool newSection = replace == Content::npos && insertAt == Content::npos;
    std::string keyLine = encodedIdent + "=" + encodedValue;
    commit(c.rebuild([&](size_t i, std::string& out) {
        if (i == insertAt) c.line(out, keyLine);
        if (i < c.lines.size()) {
            c.line(out, i == replace ? std::string_view(replaced) : c.raw(c.lines[i]));
        } else if (newSection) {
            if (!c.lines.empty() && c.lines.back().kind != LineKind::Blank) c.line(out, "");
            c.line(out, "[" + sysdetail::Encode(trim(section), codePage_) + "]");
            c.line(out, keyLine);
        }
    }));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int64_t value) {
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::EraseSection(const std::string& section) {
    const Content& c = editable();
    auto ranges = c.sections(section);
    if (ranges.empty()) return;
    size_t r = 0;
    commit(c.rebuild([&](size_t i, std::string& out) {
        while (r < ranges.size() && i >= ranges[r].second) ++r;
        bool doomed = r < ranges.size() && i >= ranges[r].first;
        if (i < c.lines.size() && !doomed) c.line(out, c.raw(c.lines[i]));
    }));
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    const Content& c = editable();
    std::string name = trim(ident);
    std::unordered_set<size_t> doomed;
    c.forEachKey(section, [&](size_t i) {
        if (SameText(c.name(c.lines[i]), name)) doomed.insert(i);
        return true;
    });
    if (doomed.empty()) return;
    commit(c.rebuild([&](size_t i, std::string& out) {
        if (i < c.lines.size() && !doomed.count(i)) c.line(out, c.raw(c.lines[i]));
    }));
}

}  // namespace plat

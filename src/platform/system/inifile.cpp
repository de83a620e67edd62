#include "platform/system/inifile.h"

#include <sys/stat.h>

#include <utility>

#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/system/codepage_io.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"

namespace plat {

namespace {

enum class LineKind { Blank, Comment, Section, Key, Other };

struct IniLine {
    std::string raw;  // the line's bytes in the file's code page, without line end
    LineKind kind = LineKind::Blank;
    std::string name;   // section or key name, trimmed, UTF-8
    std::string value;  // key value, trimmed, UTF-8
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

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

void classify(IniLine& line, const std::string& text) {
    std::string t = trim(text);
    line.name.clear();
    line.value.clear();
    if (t.empty()) {
        line.kind = LineKind::Blank;
    } else if (t[0] == ';') {
        line.kind = LineKind::Comment;
    } else if (size_t close; t[0] == '[' && (close = t.rfind(']')) != std::string::npos) {
        line.kind = LineKind::Section;
        line.name = trim(t.substr(1, close - 1));
    } else if (size_t eq = t.find('='); eq != std::string::npos) {
        line.kind = LineKind::Key;
        line.name = trim(t.substr(0, eq));
        line.value = trim(t.substr(eq + 1));
    } else {
        line.kind = LineKind::Other;
    }
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        pos = end + 1;
    }
    return lines;
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
    std::vector<IniLine> lines;

    // [header, end) line ranges of every section with that name.
    std::vector<std::pair<size_t, size_t>> sections(const std::string& section) const {
        std::string name = trim(section);
        std::vector<std::pair<size_t, size_t>> ranges;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind != LineKind::Section || !SameText(lines[i].name, name)) continue;
            size_t end = i + 1;
            while (end < lines.size() && lines[end].kind != LineKind::Section) ++end;
            ranges.emplace_back(i, end);
            i = end - 1;
        }
        return ranges;
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
        std::string name = trim(ident);
        forEachKey(section, [&](size_t i) {
            if (!SameText(lines[i].name, name)) return true;
            found = i;
            return false;
        });
        return found;
    }

    const IniLine* find(const std::string& section, const std::string& ident) const {
        size_t i = findIndex(section, ident);
        return i == npos ? nullptr : &lines[i];
    }

    std::string serialize() const {
        std::string out;
        for (const IniLine& l : lines) {
            out += l.raw;
            out += lineEnd;
        }
        return out;
    }
};

TIniFile::TIniFile(const std::string& fileName, int codePage)
    : fileName_(NativePath(fileName)), codePage_(sysdetail::ResolveCodePage(codePage)) {}

TIniFile::~TIniFile() = default;

const TIniFile::Content& TIniFile::content() const {
    FileStamp now = stampOf(fileName_);
    if (cache_ && cache_->stamp == now) return *cache_;
    auto c = std::make_unique<Content>();
    std::string bytes;
    if (now.exists && TryReadFileBytes(fileName_, bytes)) {
        c->stamp = now;
        size_t firstEnd = bytes.find('\n');
        if (firstEnd != std::string::npos && (firstEnd == 0 || bytes[firstEnd - 1] != '\r'))
            c->lineEnd = "\n";
        std::vector<std::string> raw = splitLines(bytes);
        std::string text;
        std::vector<std::string> decoded;
        if (sysdetail::TryDecode(bytes, codePage_, text)) decoded = splitLines(text);
        if (decoded.size() != raw.size()) {
            decoded.clear();
            for (const std::string& r : raw)
                decoded.push_back(sysdetail::DecodeLenient(r, codePage_));
        }
        c->lines.resize(raw.size());
        for (size_t i = 0; i < raw.size(); ++i) {
            c->lines[i].raw = std::move(raw[i]);
            classify(c->lines[i], decoded[i]);
        }
    } else {
        // Unreadable reads as empty; keep no stamp so the next call retries.
        c->unreadable = now.exists;
        c->stamp = FileStamp{};
        c->stamp.size = -1;
    }
    cache_ = std::move(c);
    return *cache_;
}

TIniFile::Content TIniFile::editable() const {
    const Content& c = content();
    // Writing over a file we could not read would throw its content away.
    if (c.unreadable) throw EInOutError("Cannot read file " + fileName_ + " to change it");
    return c;
}

void TIniFile::commit(Content&& changed) {
    WriteFileBytes(fileName_, changed.serialize());
    changed.stamp = stampOf(fileName_);
    cache_ = std::make_unique<Content>(std::move(changed));
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& def) const {
    const IniLine* line = content().find(section, ident);
    return line ? unquote(line->value) : def;
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
    c.forEachKey(section, [&](size_t i) {
        const std::string& n = c.lines[i].name;
        bool seen = n.empty();
        for (const std::string& s : names) seen = seen || SameText(s, n);
        if (!seen) names.push_back(n);
        return true;
    });
    return names;
}

std::vector<std::string> TIniFile::ReadSections() const {
    std::vector<std::string> names;
    for (const IniLine& l : content().lines) {
        if (l.kind != LineKind::Section) continue;
        bool seen = false;
        for (const std::string& s : names) seen = seen || SameText(s, l.name);
        if (!seen) names.push_back(l.name);
    }
    return names;
}

std::vector<std::string> TIniFile::ReadSectionValues(const std::string& section) const {
    std::vector<std::string> lines;
    for (const std::string& name : ReadSection(section))
        lines.push_back(name + "=" + ReadString(section, name, ""));
    return lines;
}

bool TIniFile::SectionExists(const std::string& section) const {
    return !ReadSection(section).empty();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const {
    return content().find(section, ident) != nullptr;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) {
    checkSection(section);
    checkIdent(ident);
    if (hasLineBreak(value)) throw EInOutError("An INI value cannot hold a line break");
    Content c = editable();
    std::string encodedValue = sysdetail::Encode(value, codePage_);
    if (size_t at = c.findIndex(section, ident); at != Content::npos) {
        IniLine& line = c.lines[at];
        std::string rawName = line.raw.substr(0, line.raw.find('='));
        size_t b = rawName.find_first_not_of(" \t"), e = rawName.find_last_not_of(" \t");
        line.raw = rawName.substr(b, e - b + 1) + "=" + encodedValue;
        classify(line, line.name + "=" + value);
    } else {
        IniLine line;
        line.raw = sysdetail::Encode(trim(ident), codePage_) + "=" + encodedValue;
        classify(line, trim(ident) + "=" + value);
        auto ranges = c.sections(section);
        if (ranges.empty()) {
            if (!c.lines.empty() && c.lines.back().kind != LineKind::Blank) c.lines.emplace_back();
            IniLine header;
            header.raw = "[" + sysdetail::Encode(trim(section), codePage_) + "]";
            classify(header, "[" + trim(section) + "]");
            c.lines.push_back(std::move(header));
            c.lines.push_back(std::move(line));
        } else {
            // After the section's last non-blank line, so blank separators stay.
            size_t at = ranges.front().first + 1;
            for (size_t i = at; i < ranges.front().second; ++i)
                if (c.lines[i].kind != LineKind::Blank) at = i + 1;
            c.lines.insert(c.lines.begin() + long(at), std::move(line));
        }
    }
    commit(std::move(c));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int64_t value) {
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::EraseSection(const std::string& section) {
    Content c = editable();
    auto ranges = c.sections(section);
    if (ranges.empty()) return;
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
        c.lines.erase(c.lines.begin() + long(it->first), c.lines.begin() + long(it->second));
    commit(std::move(c));
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    Content c = editable();
    std::string name = trim(ident);
    std::vector<size_t> doomed;
    c.forEachKey(section, [&](size_t i) {
        if (SameText(c.lines[i].name, name)) doomed.push_back(i);
        return true;
    });
    if (doomed.empty()) return;
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        c.lines.erase(c.lines.begin() + long(*it));
    commit(std::move(c));
}

}  // namespace plat

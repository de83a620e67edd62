#include "standins/host/message_catalogue.h"

#include <cctype>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "standins/servers/data_files.h"

namespace standin {

MessageLanguage MessageLanguageFromTag(const std::string& tag) {
    const std::string t = plat::UpperCase(plat::Trim(tag));
    return t == "ENG" || t == "437" ? MessageLanguage::English : MessageLanguage::SimplifiedChinese;
}

int CountArgumentPlaces(const std::string& text) {
    int n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        ++n;
    }
    return n;
}

namespace {

std::vector<std::string> SplitArgs(const std::string& s) {
    std::vector<std::string> out;
    if (s.empty()) return out;
    size_t start = 0;
    for (;;) {
        size_t comma = s.find(',', start);
        out.push_back(plat::Trim(
            s.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

// Keeps a code readable and free of format characters.
std::string Sanitized(const std::string& s) {
    std::string out;
    for (unsigned char c : s.substr(0, 32))
        out += std::isalnum(c) || c == '-' || c == '_' || c == '.' ? char(c) : '?';
    return out;
}

}  // namespace

MessageCatalogue MessageCatalogue::Load(const std::string& path) {
    MessageCatalogue cat;
    for (auto& row : ReadTsvFile(path, 5, true)) {
        const std::string where = path + ":" + std::to_string(row.line);
        MessageEntry e;
        e.kind = row.fields[0];
        e.code = row.fields[1];
        e.args = SplitArgs(row.fields[2]);
        e.chinese = row.fields[3];
        e.english = row.fields[4];
        if (e.kind.size() != 1 || !std::isupper((unsigned char)e.kind[0]))
            throw plat::EInOutError(where + ": the kind must be one capital letter");
        if (e.code.size() != 6)
            throw plat::EInOutError(where + ": the code must have six characters");
        int places = 0;
        for (auto& a : e.args)
            if (a != "empty") ++places;
        for (const std::string* text : {&e.chinese, &e.english}) {
            if (text->empty()) throw plat::EInOutError(where + ": a text is empty");
            if (CountArgumentPlaces(*text) != places)
                throw plat::EInOutError(
                    where + ": the text has " + std::to_string(CountArgumentPlaces(*text)) +
                    " argument places for " + std::to_string(places) + " arguments");
        }
        auto key = std::make_pair(e.kind, e.code);
        if (cat.byKindCode_.count(key))
            throw plat::EInOutError(where + ": " + e.kind + ";" + e.code + " twice");
        cat.byKindCode_[key] = cat.entries_.size();
        cat.byCode_[e.code].push_back(cat.entries_.size());
        cat.entries_.push_back(std::move(e));
    }
    return cat;
}

const MessageCatalogue& MessageCatalogue::Bundled() {
    static const MessageCatalogue cat = Load(StandinDataPath("messages/messages.tsv"));
    return cat;
}

const MessageEntry* MessageCatalogue::Find(const std::string& kind, const std::string& code) const {
    const std::string k = plat::UpperCase(plat::Trim(kind));
    const std::string c = plat::UpperCase(plat::Trim(code));
    if (auto it = byKindCode_.find({k, c}); it != byKindCode_.end()) return &entries_[it->second];
    if (auto it = byKindCode_.find({"E", c}); it != byKindCode_.end()) return &entries_[it->second];
    if (auto it = byCode_.find(c); it != byCode_.end()) return &entries_[it->second.front()];
    return nullptr;
}

std::string MessageCatalogue::Text(const std::string& kind, const std::string& code,
                                   MessageLanguage lang) const {
    if (const MessageEntry* e = Find(kind, code)) return e->Text(lang);
    return Placeholder(kind, code, lang);
}

std::string MessageCatalogue::Placeholder(const std::string& kind, const std::string& code,
                                          MessageLanguage lang) {
    const std::string ref = "[" + Sanitized(kind) + ";" + Sanitized(code) + "]";
    return lang == MessageLanguage::English ? "Message " + ref + " is not defined."
                                            : "讯息 " + ref + " 未定义。";
}

}  // namespace standin

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

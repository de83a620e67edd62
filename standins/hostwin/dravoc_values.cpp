#include "standins/hostwin/dravoc_values.h"

#include <cmath>
#include <cstdio>

#include "platform/core/dates.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"

namespace standin {

namespace {

std::vector<std::string> SplitList(const std::string& text, char sep) {
    std::vector<std::string> parts;
    if (text.empty()) return parts;
    size_t b = 0;
    for (size_t e; (e = text.find(sep, b)) != std::string::npos; b = e + 1)
        parts.push_back(plat::Trim(text.substr(b, e - b)));
    parts.push_back(plat::Trim(text.substr(b)));
    return parts;
}

struct TextEntry {
    HostText id;
    const char *chs, *cht, *eng;
};
const TextEntry kTexts[] = {
    {HostText::LookupTitle, "查询", "查詢", "Look up"},
    {HostText::Filter, "查找(&F)", "查找(&F)", "&Find"},
    {HostText::FilterHint, "代号开头、名称或拼音首字母", "代號開頭、名稱或拼音首字母",
     "Code, or part of the name"},
    {HostText::Rows, "共 %1 笔", "共 %1 筆", "%1 rows"},
    {HostText::MoreRows, "已显示 %1 笔, 向下翻页显示更多", "已顯示 %1 筆, 向下翻頁顯示更多",
     "%1 rows shown, page down for more"},
    {HostText::Ok, "确定", "確定", "OK"},
    {HostText::Cancel, "取消", "取消", "Cancel"},
    {HostText::DateTitle, "选择日期", "選擇日期", "Choose a date"},
    {HostText::Today, "今天(&T)", "今天(&T)", "&Today"},
    {HostText::PhraseTitle, "常用语", "常用語", "Common phrases"},
    {HostText::PhraseNew, "新常用语(&N)", "新常用語(&N)", "&New phrase"},
    {HostText::PhraseAdd, "新增(&A)", "新增(&A)", "&Add"},
    {HostText::PhraseDelete, "删除(&D)", "刪除(&D)", "&Delete"},
    {HostText::PhraseForCompany, "公司共用(&C)", "公司共用(&C)", "For the whole &company"},
    {HostText::PhraseCompany, "公司", "公司", "Company"},
    {HostText::CharTitle, "特殊字符", "特殊字元", "Special characters"},
    {HostText::CalcTitle, "计算器", "計算機", "Calculator"},
    {HostText::CalcError, "算式有误", "算式有誤", "The expression cannot be worked out"},
};

struct KindEntry {
    int kind;
    const char *chs, *cht, *eng;
    const char* characters;  // separated by blanks
};
const KindEntry kKinds[] = {
    {1, "单位", "單位", "Units", "㎡ ㎥ ㎏ ㎎ ㎜ ㎝ ㎞ ℃ ℉ ‰ ％ ㏄ ㏎ ㏑ ㏒ ㏕ ¥ ￥ $ ￡ €"},
    {2, "符号", "符號", "Symbols", "※ § № ☆ ★ ○ ● ◎ ◇ ◆ □ ■ △ ▲ → ← ↑ ↓ 〓 ♀ ♂ √ ×"},
    {3, "数字", "數字", "Numbers", "① ② ③ ④ ⑤ ⑥ ⑦ ⑧ ⑨ ⑩ ⑴ ⑵ ⑶ ⑷ ⑸ Ⅰ Ⅱ Ⅲ Ⅳ Ⅴ Ⅵ Ⅶ Ⅷ Ⅸ Ⅹ ½ ¼ ¾"},
    {4, "数学", "數學", "Mathematics", "± × ÷ ≤ ≥ ≠ ≈ ≡ ∞ √ ∑ ∏ ∫ ∠ ⊥ ∥ ∵ ∴ ∈ ∩ ∪ ° ′ ″"},
    {5, "希腊字母", "希臘字母", "Greek", "α β γ δ ε ζ η θ λ μ ξ π ρ σ τ φ ψ ω Δ Σ Φ Ω"},
};

const char* Pick(HostLanguage language, const char* chs, const char* cht, const char* eng) {
    return language == HostLanguage::English       ? eng
           : language == HostLanguage::Traditional ? cht
                                                   : chs;
}

// ---- the calculator's parser --------------------------------------------------

class Parser {
  public:
    explicit Parser(const std::string& text) : s_(text) {}
    bool Run(double& out) {
        if (!Sum(out, 0)) return false;
        Blanks();
        return pos_ == s_.size() && std::isfinite(out);
    }

  private:
    // Depth bounds the recursion a hostile text could ask for.
    static constexpr int kMaxDepth = 64;

    void Blanks() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
    }
    bool Sum(double& out, int depth) {
        if (!Product(out, depth)) return false;
        for (;;) {
            Blanks();
            if (pos_ >= s_.size() || (s_[pos_] != '+' && s_[pos_] != '-')) return true;
            const char op = s_[pos_++];
            double rhs = 0;
            if (!Product(rhs, depth)) return false;
            out = op == '+' ? out + rhs : out - rhs;
            if (!std::isfinite(out)) return false;
        }
    }
    bool Product(double& out, int depth) {
        if (!Factor(out, depth)) return false;
        for (;;) {
            Blanks();
            if (pos_ >= s_.size() || (s_[pos_] != '*' && s_[pos_] != '/')) return true;
            const char op = s_[pos_++];
            double rhs = 0;
            if (!Factor(rhs, depth)) return false;
            if (op == '/' && rhs == 0) return false;
            out = op == '*' ? out * rhs : out / rhs;
            if (!std::isfinite(out)) return false;
        }
    }
    bool Factor(double& out, int depth) {
        if (depth > kMaxDepth) return false;
        Blanks();
        if (pos_ >= s_.size()) return false;
        const char c = s_[pos_];
        if (c == '+' || c == '-') {
            ++pos_;
            if (!Factor(out, depth + 1)) return false;
            if (c == '-') out = -out;
            return true;
        }
        if (c == '(') {
            ++pos_;
            if (!Sum(out, depth + 1)) return false;
            Blanks();
            if (pos_ >= s_.size() || s_[pos_] != ')') return false;
            ++pos_;
            return true;
        }
        size_t start = pos_;
        bool digits = false, point = false;
        while (pos_ < s_.size()) {
            const char d = s_[pos_];
            if (d >= '0' && d <= '9') {
                digits = true;
            } else if (d == '.' && !point) {
                point = true;
            } else if (d != ',') {  // thousands separators as the fields show them
                break;
            }
            ++pos_;
        }
        if (!digits || pos_ - start > 40) return false;
        std::string number;
        for (size_t i = start; i < pos_; ++i)
            if (s_[i] != ',') number += s_[i];
        char* end = nullptr;
        out = std::strtod(number.c_str(), &end);
        return end && *end == 0 && std::isfinite(out);
    }

    const std::string& s_;
    size_t pos_ = 0;
};

}  // namespace

HostLanguage HostLanguageOfCodePage(const std::string& codePage) {
    const std::string cp = plat::Trim(codePage);
    return cp == "950"   ? HostLanguage::Traditional
           : cp == "437" ? HostLanguage::English
                         : HostLanguage::Simplified;
}

const char* CodePageOf(HostLanguage language) {
    return Pick(language, "936", "950", "437");
}

LookupWindowRequest ReadLookupRequest(const plat::Variant& request) {
    if (!request.IsArray() || request.DimCount() != 1 || request.ArrayCount() != 19)
        throw plat::Exception("The lookup request must be an array of 19 elements");
    const int lo = request.LowBound();
    auto text = [&](int i) {
        const plat::Variant& v = request[lo + i];
        if (v.IsArray() || v.Type() == plat::VarType::Dispatch)
            throw plat::Exception("Element " + std::to_string(i) +
                                  " of the lookup request must be a single value");
        return plat::VarToStr(v);
    };
    LookupWindowRequest r;
    r.table = plat::Trim(text(0));
    r.query = plat::Trim(text(1));
    if (r.table.empty() || r.query.empty())
        throw plat::Exception("The lookup request names no table and query number");
    r.params = request[lo + 2];
    const plat::Variant& several = request[lo + 3];
    r.several = !several.IsArray() && several.Type() != plat::VarType::Dispatch &&
                plat::VarToIntDef(several, 0) != 0;
    r.text = text(4);
    auto flag = [&](int i, bool absent) {
        const plat::Variant& v = request[lo + i];
        if (v.IsArray() || v.Type() == plat::VarType::Dispatch || v.IsEmpty() || v.IsNull())
            return absent;
        if (v.IsText() && plat::Trim(plat::VarToStr(v)).empty()) return absent;
        return plat::VarToIntDef(v, plat::SameText(plat::VarToStr(v), "true") ? 1 : 0) != 0;
    };
    r.complete = flag(9, false);
    r.amounts = flag(15, true);
    r.prices = flag(16, true);
    r.user = text(18);
    return r;
}

std::string CompletionText(const LookupWindowRequest& request) {
    std::string text = plat::Trim(request.text);
    if (!text.empty()) return text;
    const plat::Variant& p = request.params;
    if (p.IsArray()) {
        const std::vector<plat::Variant> items = ArrayItems(p);
        if (items.empty() || items[0].IsArray() || items[0].Type() == plat::VarType::Dispatch)
            return {};
        return plat::Trim(plat::VarToStr(items[0]));
    }
    if (p.Type() == plat::VarType::Dispatch) return {};
    return plat::Trim(plat::VarToStr(p));
}

std::vector<size_t> HiddenColumns(const LookupRows& page, bool amounts, bool prices) {
    std::vector<size_t> out;
    for (size_t i = 0; i < page.columns.size(); ++i) {
        bool hide = false;
        if (!amounts)
            for (const std::string& f : SplitList(page.moneyFields, ','))
                hide = hide || plat::SameText(f, page.columns[i]);
        if (!prices)
            for (const std::string& f : SplitList(page.priceFields, ','))
                hide = hide || plat::SameText(f, page.columns[i]);
        if (hide) out.push_back(i);
    }
    return out;
}

ValueMaps LookupValueMaps(const LookupRows& page) {
    ValueMaps maps(page.columns.size());
    for (const std::string& line : SplitList(page.maps, '\n')) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const std::string field = plat::Trim(line.substr(0, tab));
        for (size_t i = 0; i < page.columns.size(); ++i) {
            if (!plat::SameText(page.columns[i], field)) continue;
            for (const std::string& pair : SplitList(line.substr(tab + 1), ';')) {
                const size_t bar = pair.find('|');
                if (bar == std::string::npos) continue;
                maps[i].emplace_back(plat::Trim(pair.substr(bar + 1)),
                                     plat::Trim(pair.substr(0, bar)));
            }
        }
    }
    return maps;
}

std::string MappedText(const ValueMaps& maps, size_t column, const std::string& value) {
    if (column >= maps.size()) return value;
    // Codes are compared as stored: "y" and "Y" are two states.
    const std::string v = plat::Trim(value);
    for (const auto& [stored, shown] : maps[column])
        if (stored == v) return shown;
    return value;
}

std::vector<size_t> ReturnColumns(const LookupRows& page) {
    std::vector<size_t> out;
    for (const std::string& field : SplitList(page.returnFields, ',')) {
        size_t i = 0;
        while (i < page.columns.size() && !plat::SameText(page.columns[i], field)) ++i;
        if (i == page.columns.size()) {
            out.clear();
            break;
        }
        out.push_back(i);
    }
    if (out.empty())
        for (size_t i = 0; i < page.columns.size(); ++i) out.push_back(i);
    return out;
}

plat::Variant LookupReply(const std::vector<std::vector<plat::Variant>>& chosen,
                          const std::vector<size_t>& returned) {
    if (chosen.empty()) return plat::Variant();
    std::vector<plat::Variant> rows;
    for (const auto& row : chosen) {
        std::vector<plat::Variant> values;
        for (size_t i : returned) values.push_back(i < row.size() ? row[i] : plat::Variant(""));
        rows.push_back(plat::Variant::ArrayOf(values));
    }
    return plat::Variant::ArrayOf(rows);
}

std::vector<std::string> LookupCaptions(const LookupRows& page, HostLanguage language,
                                        const TextConversion& toInterface) {
    const bool english = language == HostLanguage::English && !page.displayEng.empty();
    std::vector<std::string> list = SplitList(english ? page.displayEng : page.display, ';');
    std::vector<std::string> out;
    for (size_t i = 0; i < page.columns.size(); ++i) {
        std::string caption = i < list.size() ? list[i] : std::string();
        caption = caption.substr(0, caption.find('$'));
        if (caption.empty()) {
            caption = page.columns[i];
        } else if (language == HostLanguage::Traditional && toInterface) {
            caption = toInterface(caption);
        }
        out.push_back(caption);
    }
    return out;
}

std::string HostTextOf(HostText text, HostLanguage language) {
    for (const TextEntry& e : kTexts)
        if (e.id == text) return Pick(language, e.chs, e.cht, e.eng);
    return {};
}

std::vector<CharacterKind> CharacterKinds(HostLanguage language) {
    const plat::CodePage cp =
        language == HostLanguage::Traditional ? plat::CodePage::Big5 : plat::CodePage::Gbk;
    std::vector<CharacterKind> out;
    for (const KindEntry& k : kKinds) {
        CharacterKind kind{k.kind, Pick(language, k.chs, k.cht, k.eng), {}};
        for (const std::string& c : SplitList(k.characters, ' ')) {
            if (c.empty()) continue;
            try {
                plat::ToCodePage(c, cp);  // the database must be able to keep it
                kind.characters.push_back(c);
            } catch (const plat::EConvertError&) {
            }
        }
        out.push_back(std::move(kind));
    }
    return out;
}

bool EvaluateExpression(const std::string& text, double& result) {
    result = 0;
    if (text.size() > 1000) return false;
    double value = 0;
    if (!Parser(text).Run(value)) return false;
    result = value == 0 ? 0 : value;  // no "-0"
    return true;
}

std::string CalculatorText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10f", value);
    std::string s = buffer;
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

std::string PickerStartDate(const std::string& text, const std::string& today) {
    const std::string t = plat::Trim(text);
    if (t.size() == 8 && t.find_first_not_of("0123456789") == std::string::npos) {
        plat::TDateTime d;
        if (plat::TryEncodeDate(std::stoi(t.substr(0, 4)), std::stoi(t.substr(4, 2)),
                                std::stoi(t.substr(6, 2)), d))
            return t;
    }
    return today;
}

}  // namespace standin

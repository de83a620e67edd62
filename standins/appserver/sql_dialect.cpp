#include "standins/appserver/sql_dialect.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

namespace standin {

namespace {

enum class Tok { Space, Comment, String, Ident, Number, Punct };

struct Token {
    Tok kind;
    std::string text;
    bool company = false;  // a table named after "$$"
};

std::string Upper(std::string s) {
    for (auto& c : s) c = (char)std::toupper((unsigned char)c);
    return s;
}

bool IsIdentStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c == '#' || c == '@' || c >= 0x80;
}
bool IsIdentChar(unsigned char c) {
    return IsIdentStart(c) || std::isdigit(c) || c == '$';
}

std::vector<Token> Lex(const std::string& s) {
    std::vector<Token> out;
    size_t i = 0, n = s.size();
    while (i < n) {
        unsigned char c = (unsigned char)s[i];
        if (c == '\r') {  // a CR alone breaks a line in the module's texts
            out.push_back({Tok::Space, "\n"});
            i += (i + 1 < n && s[i + 1] == '\n') ? 2 : 1;
        } else if (std::isspace(c)) {
            size_t j = i;
            while (j < n && std::isspace((unsigned char)s[j]) && s[j] != '\r') ++j;
            out.push_back({Tok::Space, s.substr(i, j - i)});
            i = j;
        } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            size_t j = s.find_first_of("\r\n", i);
            if (j == std::string::npos) j = n;
            out.push_back({Tok::Comment, s.substr(i, j - i)});
            i = j;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            size_t j = s.find("*/", i + 2);
            j = (j == std::string::npos) ? n : j + 2;
            out.push_back({Tok::Comment, s.substr(i, j - i)});
            i = j;
        } else if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < n && s[i + 1] == '\'')) {
            // N'...' is a wide literal in SQL Server; SQLite has one kind of text.
            size_t j = (c == '\'') ? i + 1 : i + 2;
            std::string lit = "'";
            while (j < n) {
                if (s[j] == '\'') {
                    if (j + 1 < n && s[j + 1] == '\'') {
                        lit += "''";
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                lit += s[j++];
            }
            lit += "'";
            out.push_back({Tok::String, lit});
            i = j;
        } else if (c == '$' && i + 1 < n && s[i + 1] == '$') {
            i += 2;  // "$$" stands where the company database goes: one database here
            size_t j = i;
            while (j < n && IsIdentChar((unsigned char)s[j])) ++j;
            if (j > i) {
                out.push_back({Tok::Ident, s.substr(i, j - i), true});
                i = j;
            }
        } else if (c == '[' || c == '"') {
            char close = (c == '[') ? ']' : '"';
            size_t j = s.find(close, i + 1);
            j = (j == std::string::npos) ? n : j + 1;
            out.push_back({Tok::Ident, s.substr(i, j - i)});
            i = j;
        } else if (IsIdentStart(c)) {
            size_t j = i;
            while (j < n && IsIdentChar((unsigned char)s[j])) ++j;
            out.push_back({Tok::Ident, s.substr(i, j - i)});
            i = j;
        } else if (std::isdigit(c) ||
                   (c == '.' && i + 1 < n && std::isdigit((unsigned char)s[i + 1]) &&
                    (out.empty() || out.back().kind != Tok::Ident))) {
            size_t j = i;
            while (j < n && (std::isalnum((unsigned char)s[j]) || s[j] == '.')) ++j;
            out.push_back({Tok::Number, s.substr(i, j - i)});
            i = j;
        } else {
            static const char* twoChar[] = {"<>", "<=", ">=", "!=", "||", "!<", "!>"};
            std::string op(1, (char)c);
            for (auto t : twoChar)
                if (s.compare(i, 2, t) == 0) op = t;
            out.push_back({Tok::Punct, op});
            i += op.size();
        }
    }
    return out;
}

bool IsCode(const Token& t) {
    return t.kind != Tok::Space && t.kind != Tok::Comment;
}

// Functions whose result is text, for deciding what "+" means next to them.
const std::set<std::string>& TextFunctions() {
    static const std::set<std::string> f = {"RTRIM",     "LTRIM",     "TRIM",     "UPPER", "LOWER",
                                            "SUBSTRING", "SUBSTR",    "REPLACE",  "LEFT",  "RIGHT",
                                            "SQL_LEFT",  "SQL_RIGHT", "STR",      "CHAR",  "NCHAR",
                                            "SPACE",     "REPLICATE", "QUOTENAME"};
    return f;
}

class Translator {
  public:
    Translator(std::vector<Token> toks, const SqlDialectOptions& opt)
        : t_(std::move(toks)), opt_(opt) {}

    std::string Run() {
        CompanyViews();
        RemovePrefixesAndHints();
        RenameFunctions();
        Concatenation();
        TopToLimit();
        std::string out;
        for (auto& tok : t_) out += tok.text;
        return out;
    }

  private:
    std::vector<Token> t_;
    const SqlDialectOptions& opt_;

    int NextCode(int i) const {
        for (int j = i + 1; j < (int)t_.size(); ++j)
            if (IsCode(t_[j])) return j;
        return -1;
    }
    int PrevCode(int i) const {
        for (int j = i - 1; j >= 0; --j)
            if (IsCode(t_[j])) return j;
        return -1;
    }
    bool IsWord(int i, const char* w) const {
        return i >= 0 && t_[i].kind == Tok::Ident && Upper(t_[i].text) == w;
    }
    bool IsPunct(int i, const char* p) const {
        return i >= 0 && t_[i].kind == Tok::Punct && t_[i].text == p;
    }
    void Blank(int from, int to) {  // drops tokens [from, to] keeping one blank
        for (int k = from; k <= to; ++k) t_[k] = {Tok::Space, ""};
        t_[from].text = " ";
    }
    void Erase(int from, int to) {
        for (int k = from; k <= to; ++k) t_[k] = {Tok::Space, ""};
    }

    void CompanyViews() {
        if (!opt_.companyView) return;
        static const std::set<std::string> clauseWords = {
            "WHERE",     "LEFT",   "RIGHT", "INNER", "OUTER",  "CROSS", "FULL",
            "JOIN",      "ON",     "ORDER", "GROUP", "UNION",  "WITH",  "HAVING",
            "INTERSECT", "EXCEPT", "LIMIT", "SET",   "VALUES", "USING", "NATURAL"};
        for (int i = 0; i < (int)t_.size(); ++i) {
            if (!t_[i].company) continue;
            const std::string table = Upper(t_[i].text);
            const std::string view = opt_.companyView(table);
            if (view.empty()) continue;
            int a = NextCode(i);
            const bool aliased =
                a >= 0 && t_[a].kind == Tok::Ident && !clauseWords.count(Upper(t_[a].text));
            t_[i].text = aliased ? view : view + " " + t_[i].text;
        }
    }

    void RemovePrefixesAndHints() {
        for (int i = 0; i < (int)t_.size(); ++i) {
            if (!IsCode(t_[i])) continue;
            // db..TABLE and db.dbo.TABLE name the company database: drop it.
            if (t_[i].kind == Tok::Ident) {
                int a = NextCode(i), b = NextCode(a), c = NextCode(b);
                if (IsPunct(a, ".") && a == i + 1 && IsPunct(b, ".") && b == a + 1 && c == b + 1 &&
                    c >= 0 && t_[c].kind == Tok::Ident) {
                    Erase(i, b);
                    continue;
                }
                int d = NextCode(c);
                if (IsPunct(a, ".") && IsWord(b, "DBO") && IsPunct(c, ".") && d >= 0 &&
                    t_[d].kind == Tok::Ident && a == i + 1 && c == b + 1 && d == c + 1) {
                    Erase(i, c);
                    continue;
                }
            }
            // (nolock), WITH (NOLOCK): locking hints mean nothing here.
            if (IsPunct(i, "(")) {
                int a = NextCode(i), b = NextCode(a);
                if (IsWord(a, "NOLOCK") && IsPunct(b, ")")) {
                    int w = PrevCode(i);
                    Blank(IsWord(w, "WITH") ? w : i, b);
                }
            }
        }
    }

    void RenameFunctions() {
        for (int i = 0; i < (int)t_.size(); ++i) {
            if (t_[i].kind != Tok::Ident) continue;
            int a = NextCode(i);
            if (!IsPunct(a, "(")) continue;
            std::string u = Upper(t_[i].text);
            if (u == "ISNULL")
                t_[i].text = "IFNULL";  // ISNULL is an operator in SQLite
            else if (u == "SUBSTRING")
                t_[i].text = "SUBSTR";
            else if (u == "LEFT")
                t_[i].text = "SQL_LEFT";  // LEFT and RIGHT are join words in SQLite
            else if (u == "RIGHT")
                t_[i].text = "SQL_RIGHT";
            else if (u == "GETDATE") {
                int b = NextCode(a);
                if (IsPunct(b, ")")) {
                    Erase(a, b);
                    t_[i].text = "datetime('now','localtime')";
                }
            }
        }
    }

    // Index of the "(" matching the ")" at i, or -1.
    int MatchOpen(int i) const {
        int depth = 0;
        for (int j = i; j >= 0; --j) {
            if (IsPunct(j, ")"))
                ++depth;
            else if (IsPunct(j, "(") && --depth == 0)
                return j;
        }
        return -1;
    }
    int MatchClose(int i) const {
        int depth = 0;
        for (int j = i; j < (int)t_.size(); ++j) {
            if (IsPunct(j, "("))
                ++depth;
            else if (IsPunct(j, ")") && --depth == 0)
                return j;
        }
        return -1;
    }
    bool CastToText(int open, int close) const {
        for (int j = open; j < close; ++j) {
            if (IsWord(j, "AS")) {
                int k = NextCode(j);
                std::string u = k >= 0 ? Upper(t_[k].text) : "";
                return u.find("CHAR") != std::string::npos || u == "TEXT";
            }
        }
        return false;
    }
    bool CallIsText(int nameIdx, int open, int close) const {
        if (nameIdx < 0 || t_[nameIdx].kind != Tok::Ident) return false;
        std::string u = Upper(t_[nameIdx].text);
        if (u == "CAST") return CastToText(open, close);
        if (u == "CONVERT") {
            int k = NextCode(open);
            return k >= 0 && Upper(t_[k].text).find("CHAR") != std::string::npos;
        }
        return TextFunctions().count(u) > 0;
    }
    bool ColumnIsText(const std::string& name) const {
        if (!opt_.isTextColumn) return false;
        std::string n = name;
        if (n.size() >= 2 && (n.front() == '[' || n.front() == '"')) n = n.substr(1, n.size() - 2);
        return opt_.isTextColumn(Upper(n));
    }
    // The operand that ends at token i.
    bool LeftIsText(int i) const {
        if (i < 0) return false;
        if (t_[i].kind == Tok::String) return true;
        if (t_[i].kind == Tok::Ident) return ColumnIsText(t_[i].text);
        if (IsPunct(i, ")")) {
            int open = MatchOpen(i);
            return open >= 0 && CallIsText(PrevCode(open), open, i);
        }
        return false;
    }
    // The operand that starts at token i.
    bool RightIsText(int i) const {
        if (i < 0) return false;
        if (t_[i].kind == Tok::String) return true;
        if (t_[i].kind != Tok::Ident) return false;
        int a = NextCode(i);
        if (IsPunct(a, "(")) {
            int close = MatchClose(a);
            return close >= 0 && CallIsText(i, a, close);
        }
        int last = i;  // qualified name: alias.column
        while (IsPunct(a, ".")) {
            int b = NextCode(a);
            if (b < 0 || t_[b].kind != Tok::Ident) break;
            last = b;
            a = NextCode(b);
        }
        return ColumnIsText(t_[last].text);
    }

    void Concatenation() {
        for (int i = 0; i < (int)t_.size(); ++i) {
            if (!IsPunct(i, "+")) continue;
            int l = PrevCode(i), r = NextCode(i);
            bool unary = l < 0 || (t_[l].kind == Tok::Punct && t_[l].text != ")");
            if (unary) continue;
            if (LeftIsText(l) || RightIsText(r)) t_[i].text = "||";
        }
    }

    void TopToLimit() {
        struct Pending {
            int depth;
            std::string count;
        };
        std::vector<Pending> pending;
        int depth = 0;
        for (int i = 0; i < (int)t_.size(); ++i) {
            if (IsPunct(i, "(")) {
                ++depth;
            } else if (IsPunct(i, ")")) {
                if (!pending.empty() && pending.back().depth == depth) {
                    t_[i].text = " LIMIT " + pending.back().count + ")";
                    pending.pop_back();
                }
                --depth;
            } else if (IsWord(i, "SELECT")) {
                int a = NextCode(i);
                if (IsWord(a, "DISTINCT") || IsWord(a, "ALL")) a = NextCode(a);
                if (!IsWord(a, "TOP")) continue;
                int b = NextCode(a);
                std::string count;
                int end = b;
                if (b >= 0 && t_[b].kind == Tok::Number) {
                    count = t_[b].text;
                } else if (IsPunct(b, "(")) {
                    int c = NextCode(b), d = NextCode(c);
                    if (c >= 0 && t_[c].kind == Tok::Number && IsPunct(d, ")")) {
                        count = t_[c].text;
                        end = d;
                    }
                }
                if (count.empty()) continue;
                Blank(a, end);
                pending.push_back({depth, count});
            }
        }
        std::string tail;
        while (!pending.empty()) {
            tail += " LIMIT " + pending.back().count;
            pending.pop_back();
        }
        if (tail.empty()) return;
        // Before a trailing ";" and blanks.
        int last = (int)t_.size() - 1;
        while (last >= 0 && (!IsCode(t_[last]) || IsPunct(last, ";"))) --last;
        t_.insert(t_.begin() + last + 1, Token{Tok::Space, tail});
    }
};

}  // namespace

std::string TranslateSql(const std::string& sql, const SqlDialectOptions& options) {
    return Translator(Lex(sql), options).Run();
}

std::string FirstKeyword(const std::string& sql) {
    for (auto& t : Lex(sql)) {
        if (!IsCode(t)) continue;
        if (t.kind == Tok::Punct && t.text == "(") continue;
        return t.kind == Tok::Ident ? Upper(t.text) : t.text;
    }
    return "";
}

std::string QuoteSql(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

}  // namespace standin

#include "query/QBEConditions.h"

#include <cmath>
#include <cstdio>

#include "controls/Aligrid.h"
#include "dataframe/knlRadical.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/datatypes.h"
#include "runtime/LibStrs.h"

namespace ktrb {

namespace {

const char kBel = '\x07';
const char kBs = '\x08';
const char kEtx = '\x03';
const char* const kCrLf = "\r\n";

bool isLikeCode(const std::string& lower) {
    return lower == "llike" || lower == "rlike" || lower == "ilike";
}

std::string likePattern(const std::string& lower, const std::string& value) {
    if (lower == "llike") return value + "%";
    if (lower == "rlike") return "%" + value;
    return "%" + value + "%";
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t p = text.find('\n', start);
        std::string line =
            text.substr(start, p == std::string::npos ? std::string::npos : p - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (p == std::string::npos) break;
        start = p + 1;
    }
    return lines;
}

std::vector<std::string> linesOf(const plat::TStringList& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
    return lines;
}

bool allDigits(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string normConnector(const std::string& connector) {
    return plat::UpperCase(plat::Trim(connector)) == "OR" ? "OR" : "AND";
}

}  // namespace

TQBETypeClass GetTypeClass(int dataType) {
    using plat::TFieldType;
    switch (TFieldType(dataType)) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
        case TFieldType::ftWideString:
            return TQBETypeClass::Text;
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD:
        case TFieldType::ftBytes:
        case TFieldType::ftLargeint:
            return TQBETypeClass::Number;
        default:
            return TQBETypeClass::None;
    }
}

bool IsTermNumberType(int dataType) {
    using plat::TFieldType;
    switch (TFieldType(dataType)) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftFloat:
        case TFieldType::ftBytes:
            return true;
        default:
            return false;
    }
}

std::vector<std::string> DefaultOperatorLines() {
    return {"等于\t=",    "大于或等于\t>=", "小于或等于\t<=", "大于\t>",     "小于\t<",
            "不等于\t<>", "起始于\tLLIKE",  "终止于\tRLIKE",  "包含\tILIKE", "存在于\tIN"};
}

bool IsKnownOperatorCode(const std::string& code) {
    for (const char* c : {"=", ">=", "<=", ">", "<", "<>", "LLIKE", "RLIKE", "ILIKE", "IN"})
        if (plat::UpperCase(code) == c) return true;
    return false;
}

std::string DisplayToStoredValue(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (TokenAt(line, "\t", 1) == text) return TokenAt(line, "\t", 2);
    return text;
}

std::string StoredToDisplayValue(const std::vector<std::string>& lines, const std::string& value) {
    for (const std::string& line : lines)
        if (TokenAt(line, "\t", 2) == value) return TokenAt(line, "\t", 1);
    return value;
}

std::string QuoteSql(const std::string& value) {
    std::string out = "'";
    for (char c : value) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

std::string SqlNumber(const std::string& value, const std::string& caption) {
    double v = 0;
    if (!plat::TryStrToFloat(value, v) || !std::isfinite(v))
        throw EQBEConditionError("「" + caption + "」的条件值不是数字：" + value);
    return plat::FloatToStr(v);
}

bool IsWholeWordIn(const std::string& word, const std::string& text) {
    if (word.empty()) return false;
    auto bound = [](char c) { return c == ' ' || c == ',' || c == '\r' || c == '\n'; };
    for (size_t p = text.find(word); p != std::string::npos; p = text.find(word, p + 1)) {
        bool before = p == 0 || bound(text[p - 1]);
        size_t end = p + word.size();
        bool after = end == text.size() || bound(text[end]);
        if (before && after) return true;
    }
    return false;
}

bool IsValidYearMonthText(const std::string& ym) {
    if (ym.size() != 6 || !allDigits(ym)) return false;
    int month = std::stoi(ym.substr(4));
    return std::stoi(ym.substr(0, 4)) > 0 && month >= 1 && month <= 12;
}

std::string DisplayDateToYmdText(const std::string& value, int layout,
                                 const std::string& separator) {
    if (separator.empty()) return "";
    std::string rest = value;
    int parts[3];
    for (int& part : parts) {
        std::string piece = plat::Trim(CutToken(rest, separator));
        // Bounded so that the sum and the printing below cannot overflow.
        if (piece.empty() || piece.size() > 6 || !allDigits(piece)) return "";
        part = std::stoi(piece);
    }
    if (!rest.empty()) return "";
    int y, m, d;
    switch (layout) {
        case 2:
            m = parts[0], d = parts[1], y = parts[2];
            break;
        case 3:
            d = parts[0], m = parts[1], y = parts[2];
            break;
        case 4:
        case 5:
            y = parts[0] + 1911, m = parts[1], d = parts[2];
            break;
        default:
            y = parts[0], m = parts[1], d = parts[2];
            break;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%d%.2d%.2d", y, m, d);
    return buf;
}

std::string BuildRowConditionText(const TQBERow& row) {
    std::string op = plat::Trim(row.op);
    if (op.empty() || plat::Trim(row.value).empty()) return "";
    if (!IsKnownOperatorCode(op))
        throw EQBEConditionError("「" + row.caption + "」的操作符无效：" + op);
    std::string lower = plat::LowerCase(op);
    std::string value = row.value;
    if (lower != "in" && row.pickList) value = DisplayToStoredValue(linesOf(*row.pickList), value);
    if (row.mask == TQBEMask::Date) {
        std::string ymd = DisplayDateToYmdText(value, row.dateLayout, row.dateSeparator);
        if (ymd.empty() || !IsSqlDateRange(ymd) || !YmdToDate(ymd))
            throw EQBEConditionError("「" + row.caption + "」的日期无效：" + value);
        value = ymd;
    } else if (row.mask == TQBEMask::YearMonth) {
        std::string ym = NormalizeYearMonthText(value, row.dateLayout, row.dateSeparator);
        if (!IsValidYearMonthText(ym))
            throw EQBEConditionError("「" + row.caption + "」的年月无效：" + value);
        value = ym;
    }

    std::string text;
    if (lower == "in") {
        std::string list, rest = value;
        bool first = true;
        while (true) {
            bool last = rest.find(',') == std::string::npos;
            std::string item = plat::Trim(CutToken(rest, ","));
            if (row.cls == TQBETypeClass::Number) {
                item = SqlNumber(item, row.caption);
            } else {
                if (!item.empty() && row.pickList)
                    item = DisplayToStoredValue(linesOf(*row.pickList), item);
                item = QuoteSql(item);
            }
            list += (first ? "" : ",") + item;
            first = false;
            if (last) break;
        }
        text = row.expr + " " + op + " (" + list + ")";
    } else {
        if (isLikeCode(lower)) {
            value = QuoteSql(likePattern(lower, value));
            op = "like";
        } else if (row.cls == TQBETypeClass::Number) {
            value = SqlNumber(value, row.caption);
        } else {
            value = QuoteSql(value);
        }
        text = row.expr + " " + op + " " + value;
    }
    return plat::Trim(text) + " " + normConnector(row.connector);
}

std::string JoinGridConditions(const std::vector<std::string>& rows) {
    std::string where;
    size_t lastConnector = 0;
    for (const std::string& row : rows) {
        if (row.empty()) continue;
        // Only a connector is split off: a row without one stays whole.
        size_t n = row.size() >= 4 && (row.ends_with(" AND") || row.ends_with(" OR")) ? 3 : 0;
        where += " (" + row.substr(0, row.size() - n) + ") " + row.substr(row.size() - n);
        lastConnector = n;
    }
    where.resize(where.size() - lastConnector);
    return where;
}

std::string BuildTermText(const TQBETerm& t) {
    static const char* const kOps[] = {"=", ">=", "<=", ">", "<", "<>"};
    if (t.opIndex < 0 || t.opIndex > 8)
        throw EQBEConditionError("「" + t.caption + "」的操作符无效");
    std::string op, value = t.value;
    if (t.opIndex < 6) {
        op = kOps[t.opIndex];
    } else {
        op = "like";
        value = t.opIndex == 6 ? value + "%" : t.opIndex == 7 ? "%" + value : "%" + value + "%";
    }
    bool inColumns = IsWholeWordIn(t.sqlName, t.columns);
    std::string qualified = t.table + (plat::Trim(t.table).empty() ? "" : ".") + t.fieldName;
    if (t.number) {
        value = op == "like" ? QuoteSql(value) : SqlNumber(value, t.caption);
        return "(" + (inColumns ? t.sqlName : qualified) + " " + op + " " + value + ")";
    }
    value = QuoteSql(value);
    if (inColumns) return "(" + t.sqlName + " " + op + " " + value + ")";
    std::string upper = plat::UpperCase(t.fieldName);
    if (upper == "CREATE_DATE" || upper == "MODI_DATE") {
        std::string cut = t.sqlType == 0 ? "SUBSTRING(" : "SUBSTR(";
        return "(" + cut + t.table + "." + t.fieldName + " ,1,8 ) " + op + " " + value + ")";
    }
    return "(" + qualified + " " + op + " " + value + ")";
}

std::string TermLine(bool first, const std::string& connector, const std::string& term) {
    return first ? term : "  " + connector + " " + term;
}

std::string BuildWithSubquery(const TQBEBodyQuery& q) {
    if (q.bodyWhere.empty()) return q.where;
    if (q.bodyKeys.size() < q.headKeys.size())
        throw plat::EInternalError("QvQBE 1: the body key list is shorter than the header's");
    std::string dotH = plat::Trim(q.headTable).empty() ? "" : ".";
    std::string dotB = plat::Trim(q.bodyTable).empty() ? "" : ".";
    std::string joins;
    for (size_t i = 0; i < q.headKeys.size(); ++i)
        joins += " (" + q.headTable + dotH + q.headKeys[i] + "=" + q.bodyTable + dotB +
                 q.bodyKeys[i] + ") and ";
    std::string sub = " select count(*) FROM ";
    if (!q.noDBPrefix) sub += q.companyDB + "..";
    sub += q.bodyTable + " " + q.bodyTable + q.bodyJoin + " where " + joins + " ( " + q.bodyWhere +
           " ) ";
    std::string out = q.where.empty() ? "" : "(" + q.where + ") and ";
    return out + " (" + sub + ") > 0 ";
}

std::string BuildOrderText(const std::vector<TQBESortItem>& items, const std::string& table,
                           const std::string& columns) {
    std::string order;
    for (const TQBESortItem& item : items) {
        std::string name = plat::Trim(TokenAt(item.text, "\t", 2));
        if (name.empty()) continue;
        if (!IsWholeWordIn(name, columns) && !plat::Trim(table).empty()) name = table + "." + name;
        order += name + (item.desc ? " desc," : " asc,");
    }
    if (!order.empty()) order.pop_back();
    return order;
}

std::string FormatGridScheme(const TQBEGridScheme& s) {
    std::string text = s.topRow + kBel;
    for (const TQBEGridSchemeRow& r : s.rows)
        text += r.caption + kCrLf + r.op + kCrLf + r.value + kCrLf + r.connector + kBs;
    return text;
}

std::string FormatAdvancedScheme(const TQBEAdvancedScheme& s) {
    std::string text = s.topRow + kBel + s.memo1 + kEtx;
    for (const TQBESortItem& item : s.sort)
        text += item.text + kBs + (item.desc ? "1" : "0") + "\t";
    return text + kEtx + (s.body ? "1" : "0") + kEtx + s.memo2;
}

namespace {

std::string readTopRow(std::string& rest) {
    if (rest.find(kBel) == std::string::npos) throw EQBEConditionError("查询方案的内容格式不正确");
    std::string top = plat::Trim(CutToken(rest, std::string(1, kBel)));
    if (top.size() > 9 || !allDigits(top))
        throw EQBEConditionError("查询方案的笔数限制不正确：" + top);
    return top;
}

}  // namespace

TQBEGridScheme ParseGridScheme(const std::string& text) {
    TQBEGridScheme s;
    std::string rest = text;
    s.topRow = readTopRow(rest);
    while (!rest.empty()) {
        std::string piece = plat::Trim(CutToken(rest, std::string(1, kBs)));
        std::vector<std::string> lines = splitLines(piece);
        if (lines.size() > 4) throw EQBEConditionError("查询方案的条件行格式不正确");
        lines.resize(4);
        TQBEGridSchemeRow row{lines[0], lines[1], lines[2], plat::Trim(lines[3])};
        if (!row.connector.empty() && row.connector != "AND" && row.connector != "OR")
            throw EQBEConditionError("查询方案的条件关系不正确：" + row.connector);
        s.rows.push_back(std::move(row));
    }
    return s;
}

TQBEAdvancedScheme ParseAdvancedScheme(const std::string& text) {
    TQBEAdvancedScheme s;
    std::string rest = text;
    s.topRow = readTopRow(rest);
    const std::string etx(1, kEtx);
    if (FieldCount(rest, etx) != 4) throw EQBEConditionError("查询方案的内容格式不正确");
    s.memo1 = CutToken(rest, etx);
    std::string sort = CutToken(rest, etx);
    if (!plat::Trim(sort).empty()) {
        while (!sort.empty()) {
            std::string item = plat::Trim(CutToken(sort, std::string(1, kBs)));
            // The flag ends at its TAB; without one no flag was written.
            const bool flagged = sort.find('\t') != std::string::npos;
            std::string flag = flagged ? plat::Trim(CutToken(sort, "\t")) : std::string();
            if (!flagged) sort.clear();
            if (item.empty()) continue;
            s.sort.push_back({item, flag == "1"});
        }
    }
    s.body = CutToken(rest, etx) == "1";
    s.memo2 = rest;
    return s;
}

}  // namespace ktrb

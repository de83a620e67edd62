#include "runtime/LibStrs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"

namespace ktrb {

using plat::TDateTime;
using plat::Variant;

namespace {

// Integer of a trimmed part, `def` when it is no number.
int partInt(const std::string& s, int def) {
    return plat::StrToIntDef(plat::Trim(s), def);
}

// The first character of a separator text: a whole UTF-8 character, so a
// multibyte separator is never split.
std::string firstChar(const std::string& s) {
    if (s.empty()) return {};
    unsigned char b = (unsigned char)s[0];
    size_t len = b < 0x80             ? 1
                 : (b & 0xE0) == 0xC0 ? 2
                 : (b & 0xF0) == 0xE0 ? 3
                 : (b & 0xF8) == 0xF0 ? 4
                                      : 1;
    return s.substr(0, std::min(len, s.size()));
}

std::string ymdText(TDateTime date) {
    int y, m, d;
    plat::DecodeDate(date, y, m, d);
    return ZeroPad(4, y) + ZeroPad(2, m) + ZeroPad(2, d);
}

double readBack(double v) {
    double out;
    if (plat::TryFloatTextValue(v, out)) return out;
    return plat::StrToFloat(plat::FloatToStr(v));
}

// Parts of a duration text; false when the text is no duration.
bool durationSeconds(const std::string& text, int64_t& seconds) {
    std::string t = plat::Trim(text);
    if (t.size() < 8 || FieldCount(t, ":") != 3) return false;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = i < text.size() ? text[i] : ' ';
        if (!(c == ':' || (c >= '0' && c <= '9'))) return false;
    }
    int64_t parts[3];
    for (int i = 0; i < 3; ++i)
        if (!plat::TryStrToInt64(plat::Trim(TokenAt(text, ":", i + 1)), parts[i])) return false;
    // A count of seconds beyond the 64-bit range is no duration.
    int64_t hours, minutes;
    return !__builtin_mul_overflow(parts[0], 3600, &hours) &&
           !__builtin_mul_overflow(parts[1], 60, &minutes) &&
           !__builtin_add_overflow(hours, minutes, &seconds) &&
           !__builtin_add_overflow(seconds, parts[2], &seconds);
}

// A date keyed without its separators ("20240620" for code 1, "06202024"
// for code 2, "1130620" for code 5): its three parts cut at the code's
// widths. False when the text is not exactly those digits.
bool digitParts(const std::string& text, int code, int (&p)[3]) {
    const std::string t = plat::Trim(text);
    const size_t year = code == 4 ? 2 : code == 5 ? 3 : 4;
    if (t.size() != year + 4 || t.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const bool yearLast = code == 2 || code == 3;
    const size_t widths[3] = {yearLast ? 2 : year, 2, yearLast ? year : 2};
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        p[i] = std::stoi(t.substr(at, widths[i]));
        at += widths[i];
    }
    return true;
}

// Year, month and day by a date-format code from the three parts as read;
// the years of codes 4 and 5 count from 1911.
void datePartsByCode(int code, const int (&p)[3], int64_t& y, int& m, int& d) {
    switch (code) {
        case 2:
            y = p[2];
            m = p[0];
            d = p[1];
            break;
        case 3:
            y = p[2];
            m = p[1];
            d = p[0];
            break;
        case 4:
        case 5:
            y = (int64_t)p[0] + 1911;
            m = p[1];
            d = p[2];
            break;
        default:
            y = p[0];
            m = p[1];
            d = p[2];
            break;
    }
}

// A date of the calendar's years 1 to 9999, as the stored texts write them.
bool tryDate(int64_t y, int m, int d, TDateTime& date) {
    return y >= 1 && y <= 9999 && plat::TryEncodeDate((int)y, m, d, date);
}

enum class TaxRule { Amounts, ByRate };

Variant splitTax(const Variant& input, TaxRule rule) {
    double r[4] = {0, 0, 0, 0};
    auto result = [&] { return plat::VarArrayOf({r[0], r[1], r[2], r[3]}); };
    try {
        if (!input.IsArray() || input.DimCount() != 1) return result();
        int low = input.LowBound(1), count = input.HighBound(1) - low + 1;
        if (count < 8) return result();
        auto at = [&](int i) -> const Variant& { return input[low + i]; };
        std::string currency = at(0).AsString(), local = at(1).AsString();
        double rate = at(2).AsFloat();
        std::string taxType = at(3).AsString();
        double exchange = at(4).AsFloat();
        int d = at(5).AsInteger(), ld = at(6).AsInteger();
        double amount = at(7).AsFloat();
        double qty = count >= 10 ? at(8).AsFloat() : 0;
        double price = count >= 10 ? at(9).AsFloat() : 0;
        double divisor = 1 + rate == 0 ? 1 : 1 + rate;
        double local0 = RoundToDecimals(ld, amount * exchange);
        double product = RoundToDecimals(d, qty * price);
        bool sameCurrency = currency == local;
        bool replace = CompareFloats(product, amount) == 0;
        if (rule == TaxRule::Amounts && !sameCurrency)
            replace = replace && !taxType.empty() &&
                      std::string_view("1,2").find(taxType) != std::string_view::npos;
        if (replace) amount = product;
        double localAmount = RoundToDecimals(ld, amount * exchange);

        if (rule == TaxRule::ByRate) {
            if (taxType != "1") return result();
            r[1] = RoundToDecimals(d, amount * rate);
            r[0] = RoundToDecimals(d, amount - r[1]);
            if (sameCurrency) {
                r[2] = r[0];
                r[3] = r[1];
            } else {
                r[3] = RoundToDecimals(ld, localAmount * rate);
                r[2] = local0 - r[3];
            }
            return result();
        }
        if (taxType == "1") {
            r[1] = RoundToDecimals(d, amount / divisor * rate);
            r[0] = RoundToDecimals(d, amount - r[1]);
        } else if (taxType == "2") {
            r[1] = RoundToDecimals(d, amount * rate);
            r[0] = RoundToDecimals(d, amount);
        } else {
            r[1] = 0;
            r[0] = RoundToDecimals(d, amount);
        }
        if (sameCurrency) {
            r[2] = r[0];
            r[3] = r[1];
        } else if (taxType == "1") {
            r[3] = RoundToDecimals(ld, localAmount / divisor * rate);
            r[2] = local0 - r[3];
        } else if (taxType == "2") {
            r[3] = RoundToDecimals(ld, localAmount * rate);
            r[2] = local0;
        } else {
            r[3] = 0;
            r[2] = local0;
        }
    } catch (const std::exception&) {
        // An element that is no number: the values reached so far stand.
    }
    return result();
}

}  // namespace

// ---- Tokens and texts -------------------------------------------------------

std::string PadLeft(const std::string& text, int width, char pad) {
    return plat::PadLeftToWidth(text, width, pad);
}

std::string PadRight(const std::string& text, int width, char pad) {
    return plat::PadRightToWidth(text, width, pad);
}

std::string TokenAt(const std::string& text, const std::string& delimiter, int n) {
    if (n < 1) return {};
    if (delimiter.empty()) return n == 1 ? text : std::string();
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        size_t p = text.find(delimiter, start);
        if (p == std::string::npos) return {};
        start = p + delimiter.size();
    }
    size_t end = text.find(delimiter, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int FieldCount(const std::string& text, const std::string& delimiter) {
    if (text.empty()) return 0;
    int count = 1;
    if (delimiter.empty()) return count;
    for (size_t p = text.find(delimiter); p != std::string::npos;
         p = text.find(delimiter, p + delimiter.size()))
        ++count;
    return count;
}

std::string CutToken(std::string& text, const std::string& delimiter) {
    size_t p = delimiter.empty() ? std::string::npos : text.find(delimiter);
    std::string head;
    if (p == std::string::npos) {
        head.swap(text);
        return head;
    }
    head = text.substr(0, p);
    text.erase(0, p + delimiter.size());
    return head;
}

std::string ZeroPad(int width, int64_t value) {
    uint64_t magnitude = value < 0 ? 0 - (uint64_t)value : (uint64_t)value;
    std::string digits = std::to_string(magnitude);
    if ((int)digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

std::string ReplaceAllText(const std::string& text, const std::string& oldText,
                           const std::string& newText, bool trim) {
    std::string s = text;
    if (!oldText.empty() && !plat::AnsiSameText(oldText, newText)) {
        // Each replacement is followed by a search from the start of the text.
        // Nothing before the replaced place can match that did not match
        // before, so the search may go on just in front of it. A new text as
        // long or longer could keep making new matches (for ever when it holds
        // the old text): the search then goes on after the inserted text.
        bool shrinks = newText.size() < oldText.size();
        size_t from = 0;
        for (size_t p; (p = s.find(oldText, from)) != std::string::npos;) {
            s.replace(p, oldText.size(), newText);
            from =
                shrinks ? (p >= oldText.size() ? p - oldText.size() + 1 : 0) : p + newText.size();
        }
    }
    return trim ? plat::Trim(s) : s;
}

std::string StripSortOrder(const std::string& item) {
    std::string s = plat::UpperCase(item);
    for (const char* word : {" ASC", " DESC", " "})
        s = plat::StringReplace(s, word, "", plat::ReplaceFlags::All);
    return plat::Trim(s);
}

// ---- Dates ------------------------------------------------------------------

std::string DateToText(int code, const std::string& separator, TDateTime date) {
    if (date == 0 || code < 1 || code > 5) return {};
    int y, m, d;
    plat::DecodeDate(date, y, m, d);
    std::string sep = firstChar(separator);
    switch (code) {
        case 1:
            return ZeroPad(4, y) + sep + ZeroPad(2, m) + sep + ZeroPad(2, d);
        case 2:
            return ZeroPad(2, m) + sep + ZeroPad(2, d) + sep + ZeroPad(4, y);
        case 3:
            return ZeroPad(2, d) + sep + ZeroPad(2, m) + sep + ZeroPad(4, y);
        case 4:
            return ZeroPad(2, y - 1911) + sep + ZeroPad(2, m) + sep + ZeroPad(2, d);
        default:
            return ZeroPad(3, y - 1911) + sep + ZeroPad(2, m) + sep + ZeroPad(2, d);
    }
}

TDateTime TextToDate(const std::string& text, int code, const std::string& separator) {
    try {
        if (plat::Trim(text).empty() || code < 1 || code > 5) return 0;
        std::string rest = text;
        int p[3];
        if (!digitParts(text, code, p))
            for (int& part : p) part = partInt(CutToken(rest, separator), -1);
        if (p[0] < 1 || p[1] < 1 || p[2] < 1) return 0;
        int64_t y;
        int m, d;
        datePartsByCode(code, p, y, m, d);
        // A day the month does not have is refused, not rolled into the next
        // month: the result is stored as the user's date.
        TDateTime date;
        return tryDate(y, m, d, date) ? date : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

std::string DisplayDateToYmd(const std::string& text, int code, const std::string& separator) {
    int p[3];
    if (separator.empty()) {
        auto piece = [&](size_t at, size_t n) {
            return at < text.size() ? text.substr(at, n) : std::string();
        };
        p[0] = partInt(piece(0, 4), 0);
        p[1] = partInt(piece(4, 2), 0);
        p[2] = partInt(piece(6, 2), 0);
    } else if (!digitParts(text, code, p)) {
        std::string rest = text;
        for (int& part : p) part = partInt(CutToken(rest, separator), 0);
    }
    if (p[0] < 1 || p[1] < 1 || p[2] < 1) return "0";
    int64_t y;
    int m, d;
    datePartsByCode(code, p, y, m, d);
    // The text is stored as the date: a date the calendar lacks is refused.
    TDateTime date;
    if (!tryDate(y, m, d, date)) return "0";
    return ZeroPad(4, y) + ZeroPad(2, m) + ZeroPad(2, d);
}

TDateTime YmdToDate(const std::string& ymd) {
    if (ymd.size() != 8) return 0;
    int y = partInt(ymd.substr(0, 4), 0), m = partInt(ymd.substr(4, 2), 0),
        d = partInt(ymd.substr(6, 2), 0);
    if (y == 0 || m == 0 || d == 0) return 0;
    TDateTime date;
    return plat::TryEncodeDate(y, m, d, date) ? date : 0;
}

bool IsSqlDateRange(const std::string& ymd) {
    if (ymd.empty()) return true;
    auto piece = [&](size_t at, size_t n) {
        return at < ymd.size() ? ymd.substr(at, n) : std::string();
    };
    int y, m, d;
    if (!plat::TryStrToInt(piece(0, 4), y) || !plat::TryStrToInt(piece(4, 2), m) ||
        !plat::TryStrToInt(piece(6, 2), d) || !plat::IsValidDate(y, m, d))
        return false;
    return ymd >= "17530101" && ymd <= "99991231";
}

std::string IncYmdDate(const Variant& date, const std::string& unit, int n) {
    try {
        TDateTime start;
        if (date.IsText())
            start = YmdToDate(date.RawText());
        else if (date.Type() == plat::VarType::Date)
            start = date.AsDateTime();
        else
            return {};
        std::string u = plat::UpperCase(unit);
        if (start == 0 || (u != "Y" && u != "M" && u != "D")) return {};
        int y, m, d;
        TDateTime out;
        if (u == "D") {
            // A day outside the calendar's years has no stored text.
            out = std::floor(start) + n;
            TDateTime first, last;
            tryDate(1, 1, 1, first);
            tryDate(9999, 12, 31, last);
            return out >= first && out <= last ? ymdText(out) : std::string();
        }
        plat::DecodeDate(start, y, m, d);
        if (u == "Y") return ymdText(tryDate((int64_t)y + n, m, d, out) ? out : start);
        int64_t index = (int64_t)y * 12 + m + n;
        int64_t month = index % 12, year = index / 12;
        if (month == 0) {
            month = 12;
            --year;
        }
        if (year < 1 || year > 9999) return ymdText(start);
        for (int day = d; day >= 1; --day)
            if (plat::TryEncodeDate((int)year, (int)month, day, out)) return ymdText(out);
        return ymdText(start);
    } catch (const std::exception&) {
        return {};
    }
}

int DaysOfMonth(int year, int month) {
    return plat::DaysInAMonth(year, month);
}

std::string DateTimeToText(int code, const std::string& separator, TDateTime dateTime) {
    std::string date = DateToText(code, separator, dateTime);
    if (date.empty()) return date;
    int h, n, s, ms;
    plat::DecodeTime(dateTime, h, n, s, ms);
    return date + " " + ZeroPad(2, h) + ":" + ZeroPad(2, n) + ":" + ZeroPad(2, s) + ":" +
           ZeroPad(3, ms);
}

TDateTime YmdHmsToDateTime(const std::string& text) {
    try {
        auto part = [&](size_t at, size_t n) {
            return at < text.size() ? partInt(text.substr(at, n), 0) : 0;
        };
        int y = part(0, 4), m = part(4, 2), d = part(6, 2);
        TDateTime time = plat::EncodeTime(part(8, 2), part(10, 2), part(12, 2), part(14, 3));
        if (y == 0 || m == 0 || d == 0) return time;
        return plat::EncodeDate(y, m, d) + time;
    } catch (const std::exception&) {
        return 0;
    }
}

bool CheckIdNumber(const std::string& text) {
    if (text.size() != 8) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    static const int weights[8] = {1, 2, 1, 2, 1, 2, 4, 1};
    int sum = 0;
    for (int i = 0; i < 8; ++i) {
        int product = (text[i] - '0') * weights[i];
        sum += product / 10 + product % 10;
    }
    if (sum % 10 == 0) return true;
    // A seventh digit 7 gives 28, whose digits may also count as 1 (2 + 8 = 10).
    return text[6] == '7' && (sum - 9) % 10 == 0;
}

// ---- Numbers ----------------------------------------------------------------

double RoundToDecimals(int decimals, double value) {
    double v = readBack(value);
    v += v > 0 ? 1e-12 : -1e-12;
    double r;
    if (!plat::TryFixedTextValue(v, decimals, r))
        r = plat::StrToFloat(plat::FormatFixed(v, decimals));
    return r == 0 ? 0.0 : r;
}

int CompareFloats(double a, double b) {
    double x = readBack(a), y = readBack(b);
    if (std::fabs(x - y) < 1e-10) return 0;
    return x > y ? 1 : -1;
}

Variant AddDurationTexts(const std::string& a, const std::string& b, int sign) {
    Variant result = plat::VarArrayOf({Variant(0LL), Variant("000:00:00")});
    int64_t x, y;
    if ((sign != 1 && sign != -1) || !durationSeconds(a, x) || !durationSeconds(b, y))
        return result;
    int64_t total;
    if (__builtin_add_overflow(x, sign * y, &total)) return result;
    return plat::VarArrayOf({Variant((long long)total), Variant(SecondsToDurationText(total))});
}

std::string SecondsToDurationText(int64_t seconds) {
    if (seconds == 0 || seconds == INT64_MIN) return "0000:00:00";
    int64_t s = seconds < 0 ? -seconds : seconds;
    return (seconds < 0 ? "-" : "") + ZeroPad(4, s / 3600) + ":" + ZeroPad(2, (s / 60) % 60) + ":" +
           ZeroPad(2, s % 60);
}

Variant SplitTaxAmounts(const Variant& input) {
    return splitTax(input, TaxRule::Amounts);
}

Variant SplitTaxByRate(const Variant& input) {
    return splitTax(input, TaxRule::ByRate);
}

}  // namespace ktrb

#include "platform/core/numbers.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"

namespace plat {

std::string FloatToStr(double v) {
    return FloatToStrF(v, FloatFormat::General, 15, 0);
}

static std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (unsigned char)s[b] <= ' ') ++b;
    while (e > b && (unsigned char)s[e - 1] <= ' ') --e;
    return s.substr(b, e - b);
}

bool TryStrToInt64(const std::string& s, int64_t& out) {
    std::string t = trimmed(s);
    if (t.empty()) return false;
    const char* c = t.c_str();
    bool neg = false;
    if (*c == '+' || *c == '-') {
        neg = *c == '-';
        ++c;
    }
    int base = 10;
    if (*c == '$') {
        base = 16;
        ++c;
    } else if (c[0] == '0' && (c[1] == 'x' || c[1] == 'X')) {
        base = 16;
        c += 2;
    }
    // strtoull would skip blanks and take a second sign: only digits may follow.
    if (!(base == 16 ? std::isxdigit((unsigned char)*c) : std::isdigit((unsigned char)*c)))
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long u = std::strtoull(c, &end, base);
    if (errno || *end) return false;
    if (neg ? u > 9223372036854775808ULL : u > 9223372036854775807ULL) return false;
    out = neg ? (int64_t)(0 - u) : (int64_t)u;
    return true;
}

bool TryStrToInt(const std::string& s, int& out) {
    int64_t v;
    if (!TryStrToInt64(s, v) || v < INT32_MIN || v > INT32_MAX) return false;
    out = (int)v;
    return true;
}

bool TryStrToFloat(const std::string& s, double& out) {
    std::string t = trimmed(s);
    if (t.empty()) return false;
    for (char ch : t)
        if (!(std::isdigit((unsigned char)ch) || ch == '.' || ch == '-' || ch == '+' || ch == 'e' ||
              ch == 'E'))
            return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (*end || errno == ERANGE) return false;
    out = v;
    return true;
}

int StrToInt(const std::string& s) {
    int v;
    if (!TryStrToInt(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

int64_t StrToInt64(const std::string& s) {
    int64_t v;
    if (!TryStrToInt64(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

double StrToFloat(const std::string& s) {
    double v;
    if (!TryStrToFloat(s, v))
        throw EConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

int StrToIntDef(const std::string& s, int def) {
    int v;
    return TryStrToInt(s, v) ? v : def;
}

double StrToFloatDef(const std::string& s, double def) {
    double v;
    return TryStrToFloat(s, v) ? v : def;
}

std::string IntToStr(int64_t v) {
    return std::to_string(v);
}

int64_t RoundBankers(double v) {
    return (int64_t)std::nearbyint(v);
}

}  // namespace plat

namespace plat {

namespace {

// value = 0.digits × 10^exp; digits has no leading or trailing zeros and is
// empty for zero.
struct Decimal {
    bool neg = false;
    std::string digits;
    int exp = 0;
    bool zero() const { return digits.empty(); }
};

void stripTrailingZeros(Decimal& d) {
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) {
        d.exp = 0;
        d.neg = false;
    }
}

// The 18-significant-digit expansion of a finite value.
Decimal toDecimal(double v) {
    Decimal d;
    if (v == 0) return d;
    char buf[48];
    auto res = std::to_chars(buf, buf + sizeof buf - 1, v, std::chars_format::scientific, 17);
    *res.ptr = '\0';
    const char* p = buf;
    if (*p == '-') {
        d.neg = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') d.digits += *p;
    d.exp = std::atoi(p + 1) + 1;
    stripTrailingZeros(d);
    return d;
}

// Keeps the first `keep` significant digits, rounding half away from zero.
void roundDigits(Decimal& d, int keep) {
    if (keep >= (int)d.digits.size()) return;
    if (keep < 0) {
        d = Decimal{};
        return;
    }
    bool up = d.digits[(size_t)keep] >= '5';
    d.digits.resize((size_t)keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[(size_t)i] == '9') d.digits[(size_t)i--] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exp;
        } else {
            ++d.digits[(size_t)i];
        }
    }
    stripTrailingZeros(d);
}

char digitAt(const Decimal& d, int index) {
    return index >= 0 && index < (int)d.digits.size() ? d.digits[(size_t)index] : '0';
}

void appendGrouped(std::string& out, const std::string& intDigits, bool thousands) {
    size_t n = intDigits.size();
    for (size_t i = 0; i < n; ++i) {
        out += intDigits[i];
        size_t left = n - i - 1;
        if (thousands && left > 0 && left % 3 == 0) out += ',';
    }
}

std::string intDigitsOf(const Decimal& d) {
    if (d.exp <= 0) return "0";
    std::string r;
    for (int i = 0; i < d.exp; ++i) r += digitAt(d, i);
    return r;
}

std::string exponentText(int e, int minDigits, bool plusSign) {
    std::string r = e < 0 ? "-" : (plusSign ? "+" : "");
    std::string n = std::to_string(e < 0 ? -e : e);
    if ((int)n.size() < minDigits) r.append((size_t)minDigits - n.size(), '0');
    return r + n;
}

std::string fixedText(Decimal d, int decimals, int precision, bool thousands) {
    roundDigits(d, std::min(precision, d.exp + decimals));
    std::string out = d.neg ? "-" : "";
    appendGrouped(out, intDigitsOf(d), thousands);
    if (decimals > 0) {
        out += '.';
        for (int k = 0; k < decimals; ++k) out += digitAt(d, d.exp + k);
    }
    return out;
}

std::string generalText(Decimal d, int precision, int expDigits) {
    roundDigits(d, precision);
    if (d.zero()) return "0";
    std::string out = d.neg ? "-" : "";
    if (d.exp > precision || d.exp < -3) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += '.';
            out.append(d.digits, 1);
        }
        return out + "E" + exponentText(d.exp - 1, expDigits, false);
    }
    if (d.exp <= 0) {
        out += "0.";
        out.append((size_t)-d.exp, '0');
        return out + d.digits;
    }
    out += intDigitsOf(d);
    if ((int)d.digits.size() > d.exp) {
        out += '.';
        out.append(d.digits, (size_t)d.exp);
    }
    return out;
}

std::string exponentFormText(Decimal d, int precision, int expDigits) {
    roundDigits(d, precision);
    std::string out = d.neg ? "-" : "";
    out += digitAt(d, 0);
    if (precision > 1) {
        out += '.';
        for (int k = 1; k < precision; ++k) out += digitAt(d, k);
    }
    return out + "E" + exponentText(d.zero() ? 0 : d.exp - 1, expDigits, true);
}

int clampInt(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// One section of a picture format, scanned.
struct Picture {
    enum class Kind { Literal, IntDigit, Point, FracDigit, Exponent };
    struct Token {
        Kind kind;
        std::string text;  // Literal
        char ph = 0;       // '0' or '#'
        bool expPlus = false;
        int expDigits = 0;
    };
    std::vector<Token> tokens;
    bool thousands = false;
    bool scientific = false;
    int intPlaceholders = 0;
    int intMin = 0;  // placeholders from the first '0' to the point
    int fracMax = 0;
    int fracMin = 0;  // up to the last '0' after the point
    bool hasDigits() const { return intPlaceholders + fracMax > 0; }
};

Picture scanPicture(std::string_view f) {
    Picture p;
    bool afterPoint = false;
    int firstZero = -1;
    for (size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        if (c == '"' || c == '\'') {
            size_t end = f.find(c, i + 1);
            if (end == std::string_view::npos) end = f.size();
            p.tokens.push_back({Picture::Kind::Literal, std::string(f.substr(i + 1, end - i - 1))});
            i = end;
        } else if ((c == '0' || c == '#') && !p.scientific) {
            if (afterPoint) {
                ++p.fracMax;
                if (c == '0') p.fracMin = p.fracMax;
                p.tokens.push_back({Picture::Kind::FracDigit, {}, c});
            } else {
                if (c == '0' && firstZero < 0) firstZero = p.intPlaceholders;
                ++p.intPlaceholders;
                p.tokens.push_back({Picture::Kind::IntDigit, {}, c});
            }
        } else if (c == '.' && !afterPoint && !p.scientific) {
            afterPoint = true;
            p.tokens.push_back({Picture::Kind::Point, {}});
        } else if (c == ',') {
            p.thousands = true;
        } else if ((c == 'E' || c == 'e') && i + 1 < f.size() &&
                   (f[i + 1] == '+' || f[i + 1] == '-') && !p.scientific) {
            Picture::Token t{Picture::Kind::Exponent, std::string(1, c)};
            t.expPlus = f[i + 1] == '+';
            i += 2;
            while (i < f.size() && f[i] == '0') {
                ++t.expDigits;
                ++i;
            }
            --i;
            t.expDigits = std::min(t.expDigits, 4);
            p.scientific = true;
            p.tokens.push_back(t);
        } else {
            if (!p.tokens.empty() && p.tokens.back().kind == Picture::Kind::Literal)
                p.tokens.back().text += c;
            else
                p.tokens.push_back({Picture::Kind::Literal, std::string(1, c)});
        }
    }
    p.intMin = firstZero < 0 ? 0 : p.intPlaceholders - firstZero;
    return p;
}

// Formats the absolute value of `d` by the picture.
std::string renderPicture(const Picture& p, Decimal d) {
    d.neg = false;
    int exponent = 0;
    if (p.scientific) {
        int intDigits = std::max(1, p.intPlaceholders);
        roundDigits(d, intDigits + p.fracMax);
        if (!d.zero()) {
            exponent = d.exp - intDigits;
            d.exp = intDigits;
        }
    } else {
        roundDigits(d, d.exp + p.fracMax);
    }
    std::string intDigits = d.exp > 0 ? intDigitsOf(d) : "";
    if ((int)intDigits.size() < p.intMin)
        intDigits.insert(0, (size_t)p.intMin - intDigits.size(), '0');
    std::string frac;
    for (int k = 0; k < p.fracMax; ++k) frac += digitAt(d, d.exp + k);
    while ((int)frac.size() > p.fracMin && frac.back() == '0') frac.pop_back();

    std::string out;
    int n = (int)intDigits.size();
    int phSeen = 0, fracSeen = 0;
    auto emitInt = [&](int from, int to) {  // digits [from, to)
        for (int i = from; i < to; ++i) {
            out += intDigits[(size_t)i];
            int left = n - i - 1;
            if (p.thousands && left > 0 && left % 3 == 0) out += ',';
        }
    };
    for (const Picture::Token& t : p.tokens) {
        switch (t.kind) {
            case Picture::Kind::Literal:
                out += t.text;
                break;
            case Picture::Kind::IntDigit: {
                int fromRight = p.intPlaceholders - phSeen;  // 1-based position of this placeholder
                if (phSeen == 0 && n > p.intPlaceholders) emitInt(0, n - p.intPlaceholders);
                if (fromRight <= n) emitInt(n - fromRight, n - fromRight + 1);
                ++phSeen;
                break;
            }
            case Picture::Kind::Point:
                if (!frac.empty()) out += '.';
                break;
            case Picture::Kind::FracDigit:
                if (fracSeen < (int)frac.size()) out += frac[(size_t)fracSeen];
                ++fracSeen;
                break;
            case Picture::Kind::Exponent:
                if (p.intPlaceholders == 0 && phSeen == 0) emitInt(0, n);
                out += t.text;
                out += exponentText(exponent, t.expDigits, t.expPlus);
                break;
        }
    }
    return out;
}

std::vector<std::string_view> splitSections(std::string_view f) {
    std::vector<std::string_view> sections;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';' && sections.size() < 2) {
            sections.push_back(f.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(f.substr(start));
    return sections;
}

}  // namespace

namespace {

std::string formatDecimal(const Decimal& d, FloatFormat format, int precision, int digits) {
    precision = clampInt(precision, 1, 18);
    switch (format) {
        case FloatFormat::General:
            return generalText(d, precision, clampInt(digits, 0, 4));
        case FloatFormat::Exponent:
            return exponentFormText(d, precision, clampInt(digits, 0, 4));
        case FloatFormat::Fixed:
        case FloatFormat::Number:
        case FloatFormat::Currency:
            break;
    }
    digits = clampInt(digits, 0, 18);
    if (d.exp > precision) return generalText(d, precision, 0);
    std::string text = fixedText(d, digits, precision, format != FloatFormat::Fixed);
    if (format != FloatFormat::Currency) return text;
    return CurrentFormatSettings()->CurrencyString + text;  // negative: "￥-1.00"
}

}  // namespace

std::string FloatToStrF(double v, FloatFormat format, int precision, int digits) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    return formatDecimal(toDecimal(v), format, precision, digits);
}

std::string CurrToStrF(int64_t scaled, FloatFormat format, int digits) {
    Decimal d;
    d.neg = scaled < 0;
    d.digits = std::to_string(scaled < 0 ? 0 - (uint64_t)scaled : (uint64_t)scaled);
    d.exp = (int)d.digits.size() - 4;
    stripTrailingZeros(d);
    return formatDecimal(d, format, 18, digits);
}

std::string FormatFixed(double v, int decimals) {
    return FloatToStrF(v, FloatFormat::Fixed, 18, decimals);
}

namespace {

// The 18-significant-digit expansion of toDecimal in a fixed buffer:
// value = 0.digits x 10^exp, no trailing zeros.
struct ShortDecimal {
    bool neg = false;
    char digits[24];
    int count = 0;
    int exp = 0;
};

constexpr uint64_t kPow10[] = {1ULL,
                               10ULL,
                               100ULL,
                               1000ULL,
                               10000ULL,
                               100000ULL,
                               1000000ULL,
                               10000000ULL,
                               100000000ULL,
                               1000000000ULL,
                               10000000000ULL,
                               100000000000ULL,
                               1000000000000ULL,
                               10000000000000ULL,
                               100000000000000ULL,
                               1000000000000000ULL,
                               10000000000000000ULL,
                               100000000000000000ULL,
                               1000000000000000000ULL,
                               10000000000000000000ULL};

// The 18 significant digits of a value from 1E-5 to 1E15 as one integer
// (value = digits x 10^(exp - 18)), by integer arithmetic: the value is
// m / 2^shift exactly, so m * 10^q / 2^shift rounds, half to even as the
// library's formatting does, to the digits. False outside that range.
bool integerDigits(double a, uint64_t& digits, int& exp) {
    if (!(a >= 1e-5 && a < 1e15)) return false;
    int e2 = 0;
    const double frac = std::frexp(a, &e2);  // a = frac * 2^e2, frac in [0.5, 1)
    const uint64_t m = (uint64_t)std::ldexp(frac, 53);
    const int shift = 53 - e2;  // a = m / 2^shift; from 3 to 70 here
    // a lies in [2^(e2-1), 2^e2): a guess at most one below the decimal
    // exponent, put right by the digit count.
    exp = (int)std::floor((e2 - 1) * 0.30102999566398120) + 1;
    __extension__ typedef unsigned __int128 u128;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int q = 18 - exp;
        if (q < 0 || q > 22) return false;
        const u128 scale = q <= 19 ? (u128)kPow10[q] : (u128)kPow10[19] * kPow10[q - 19];
        const u128 product = (u128)m * scale;
        u128 n = product >> shift;
        if (n >= kPow10[18]) {
            ++exp;
            continue;
        }
        if (n < kPow10[17]) {
            --exp;
            continue;
        }
        const u128 rest = product - (n << shift);
        const u128 half = (u128)1 << (shift - 1);
        if (rest > half || (rest == half && (n & 1))) ++n;
        if (n == kPow10[18]) {
            // 999.. rounded up to the next power of ten.
            n = kPow10[17];
            ++exp;
        }
        digits = (uint64_t)n;
        return true;
    }
    return false;
}

// The first `keep` of the 18 digits, rounded half away from zero as
// roundDigits does; may carry to 10^keep.
uint64_t keepDigits(uint64_t digits, int keep) {
    if (keep >= 18) return digits;
    if (keep < 0) return 0;
    const uint64_t unit = kPow10[18 - keep];
    return digits / unit + (digits % unit >= unit / 2 ? 1 : 0);
}

// n x 10^power as strtod reads it, where one correctly rounded operation
// gives it: n exact in a double, the power of ten too.
bool exactValue(uint64_t n, int power, bool neg, double& out) {
    static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (n > ((uint64_t)1 << 53) || power < -22 || power > 22) return false;
    const double v = power >= 0 ? (double)n * kExact[power] : (double)n / kExact[-power];
    // A zero text reads back as +0.
    out = n == 0 ? 0.0 : (neg ? -v : v);
    return true;
}

void shortDecimal(double v, ShortDecimal& d) {
    d = ShortDecimal{};
    if (v == 0) return;
    char buf[48];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 17);
    const char* p = buf;
    if (*p == '-') {
        d.neg = true;
        ++p;
    }
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.') d.digits[d.count++] = *p;
    int e = 0;
    std::from_chars(p + 1 + (p[1] == '+'), res.ptr, e);
    d.exp = e + 1;
    while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
    if (d.count == 0) d = ShortDecimal{};
}

// As roundDigits.
void roundShort(ShortDecimal& d, int keep) {
    if (keep >= d.count) return;
    if (keep < 0) {
        d = ShortDecimal{};
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') --i;
        if (i < 0) {
            // 999.. rounds to 1000..: one digit, one place up.
            d.digits[0] = '1';
            d.count = 1;
            ++d.exp;
        } else {
            ++d.digits[i];
            d.count = i + 1;
        }
    }
    while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
    if (d.count == 0) d = ShortDecimal{};
}

// The nearest double, as strtod reads the same decimal.
bool shortValue(const ShortDecimal& d, double& out) {
    if (d.count == 0) {
        out = 0;
        return true;
    }
    char buf[48];
    std::memcpy(buf, d.digits, (size_t)d.count);
    char* end = buf + d.count;
    *end++ = 'e';
    end = std::to_chars(end, buf + sizeof buf, d.exp - d.count).ptr;
    double v = 0;
    auto res = std::from_chars(buf, end, v);
    if (res.ec != std::errc() || res.ptr != end) return false;
    out = d.neg ? -v : v;
    return true;
}

// Well inside the normal range: the texts read back without overflow or
// underflow.
bool comfortable(double v) {
    const double a = std::fabs(v);
    return v == 0 || (a > 1e-280 && a < 1e280);
}

// The value of the first `keep` significant digits (keep given the decimal
// exponent), by integers where they serve, else by the digits' text.
template <class Keep>
bool roundedValue(double v, Keep keepOf, double& out) {
    uint64_t digits;
    int exp;
    if (v != 0 && integerDigits(std::fabs(v), digits, exp)) {
        const int keep = keepOf(exp);
        if (exactValue(keepDigits(digits, keep), exp - std::max(keep, 0), v < 0, out)) return true;
    }
    ShortDecimal d;
    shortDecimal(v, d);
    roundShort(d, keepOf(d.exp));
    if (d.count == 0) d.neg = false;
    return shortValue(d, out);
}

}  // namespace

bool TryFloatTextValue(double v, double& out) {
    if (!std::isfinite(v) || !comfortable(v)) return false;
    return roundedValue(
        v, [](int) { return 15; }, out);
}

bool TryFixedTextValue(double v, int decimals, double& out) {
    if (!std::isfinite(v) || std::fabs(v) >= 1e17 || !comfortable(v)) return false;
    const int places = clampInt(decimals, 0, 18);
    return roundedValue(
        v, [&](int exp) { return std::min(18, exp + places); }, out);
}

std::string FormatFloat(std::string_view format, double v) {
    if (format.empty() || std::isnan(v) || std::isinf(v) || std::fabs(v) >= 1e18)
        return FloatToStr(v);
    std::vector<std::string_view> sections = splitSections(format);
    auto usable = [&](size_t i) { return i < sections.size() && !sections[i].empty(); };
    Decimal d = toDecimal(v);
    size_t section = 0;
    if (d.zero() && usable(2))
        section = 2;
    else if (d.neg && usable(1))
        section = 1;
    Picture p = scanPicture(sections[section]);
    std::string body = renderPicture(p, d);
    // A value that rounds to zero under its section takes the zero section and no sign.
    Decimal rounded = d;
    roundDigits(rounded,
                p.scientific ? std::max(1, p.intPlaceholders) + p.fracMax : d.exp + p.fracMax);
    if (rounded.zero() && section != 2) {
        if (usable(2)) return renderPicture(scanPicture(sections[2]), Decimal{});
        return body;
    }
    if (d.neg && section == 0) return "-" + body;
    return body;
}

}  // namespace plat

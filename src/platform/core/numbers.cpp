#include "platform/core/numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/core/exceptions.h"

namespace plat {

std::string FloatToStr(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);  // d.dddddddddddddde±XX: 15 digits
    const char* p = buf;
    bool neg = false;
    if (*p == '-') { neg = true; ++p; }
    std::string digits;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') digits += *p;
    int exp10 = std::atoi(p + 1) + 1;  // value = 0.d1d2... × 10^exp10
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = neg ? "-" : "";
    if (exp10 > 15 || exp10 < -3) {
        out += digits[0];
        if (digits.size() > 1) { out += '.'; out += digits.substr(1); }
        out += 'E';
        out += std::to_string(exp10 - 1);
        return out;
    }
    if (exp10 <= 0) {
        out += "0.";
        out.append(-exp10, '0');
        out += digits;
    } else if ((int)digits.size() <= exp10) {
        out += digits;
        out.append(exp10 - digits.size(), '0');
    } else {
        out += digits.substr(0, exp10);
        out += '.';
        out += digits.substr(exp10);
    }
    return out;
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
    if (*c == '+' || *c == '-') { neg = *c == '-'; ++c; }
    int base = 10;
    if (*c == '$') { base = 16; ++c; }
    else if (c[0] == '0' && (c[1] == 'x' || c[1] == 'X')) { base = 16; c += 2; }
    if (!*c) return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long u = std::strtoull(c, &end, base);
    if (errno || *end || (*c == '-' || *c == '+' || *c == ' ')) return false;
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
    if (!TryStrToFloat(s, v)) throw EConvertError("'" + s + "' is not a valid floating point value");
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

std::string IntToStr(int64_t v) { return std::to_string(v); }

int64_t RoundBankers(double v) { return (int64_t)std::nearbyint(v); }

}  // namespace plat

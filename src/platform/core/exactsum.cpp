#include "platform/core/exactsum.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace plat {

namespace {

constexpr uint32_t kBase = 1000000000u;
using Limbs = std::vector<uint32_t>;

void trim(Limbs& a) {
    while (!a.empty() && a.back() == 0) a.pop_back();
}

int compare(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

void addTo(Limbs& a, const Limbs& b) {
    if (a.size() < b.size()) a.resize(b.size(), 0);
    uint32_t carry = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        uint64_t s = (uint64_t)a[i] + (i < b.size() ? b[i] : 0) + carry;
        a[i] = (uint32_t)(s % kBase);
        carry = (uint32_t)(s / kBase);
        if (!carry && i >= b.size()) break;
    }
    if (carry) a.push_back(carry);
}

// a -= b where a >= b.
void subtractFrom(Limbs& a, const Limbs& b) {
    int64_t borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int64_t d = (int64_t)a[i] - (i < b.size() ? b[i] : 0) - borrow;
        borrow = d < 0;
        a[i] = (uint32_t)(d + (borrow ? kBase : 0));
        if (!borrow && i >= b.size()) break;
    }
    trim(a);
}

void multiplyByPow10(Limbs& a, int n) {
    static const uint32_t pow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    if (a.empty()) return;
    while (n >= 9) {
        a.insert(a.begin(), 0);
        n -= 9;
    }
    if (n == 0) return;
    uint64_t carry = 0;
    for (uint32_t& limb : a) {
        uint64_t p = (uint64_t)limb * pow10[n] + carry;
        limb = (uint32_t)(p % kBase);
        carry = p / kBase;
    }
    if (carry) a.push_back((uint32_t)carry);
}

// Decimal digits (most significant first) into limbs.
Limbs fromDigits(const char* d, size_t n) {
    Limbs out;
    out.reserve(n / 9 + 1);
    for (size_t end = n; end > 0;) {
        size_t begin = end >= 9 ? end - 9 : 0;
        uint32_t limb = 0;
        for (size_t i = begin; i < end; ++i) limb = limb * 10 + (uint32_t)(d[i] - '0');
        out.push_back(limb);
        end = begin;
    }
    trim(out);
    return out;
}

}  // namespace

void TExactSum::rescale(int scale) {
    multiplyByPow10(magnitude_, scale - scale_);
    scale_ = scale;
}

void TExactSum::add(double v, bool negate) {
    if (std::isnan(v)) {
        nan_ += negate ? -1 : 1;
        return;
    }
    if (std::isinf(v)) {
        ((v > 0) != negate ? plusInf_ : minusInf_) += negate ? -1 : 1;
        return;
    }
    if (v == 0) return;
    // Shortest text that reads back as v: "d.ddde±x" in scientific form.
    char text[32];
    auto res = std::to_chars(text, text + sizeof text, std::fabs(v), std::chars_format::scientific);
    const char* e = text;
    while (e < res.ptr && *e != 'e') ++e;
    char digits[24];
    size_t n = 0;
    for (const char* p = text; p < e; ++p)
        if (*p != '.') digits[n++] = *p;
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+'), res.ptr, exponent);
    // value = digits * 10^(exponent - (n - 1))
    const int scale = (int)(n - 1) - exponent;
    Limbs value = fromDigits(digits, n);
    if (scale > scale_) rescale(scale);
    if (scale < scale_) multiplyByPow10(value, scale_ - scale);
    const bool negative = (v < 0) != negate;
    if (magnitude_.empty()) {
        magnitude_ = std::move(value);
        negative_ = negative;
    } else if (negative == negative_) {
        addTo(magnitude_, value);
    } else if (compare(magnitude_, value) >= 0) {
        subtractFrom(magnitude_, value);
    } else {
        subtractFrom(value, magnitude_);
        magnitude_ = std::move(value);
        negative_ = negative;
    }
    if (magnitude_.empty()) negative_ = false;
}

double TExactSum::Value() const {
    if (nan_ != 0 || (plusInf_ != 0 && minusInf_ != 0))
        return std::numeric_limits<double>::quiet_NaN();
    if (plusInf_ != 0) return std::numeric_limits<double>::infinity();
    if (minusInf_ != 0) return -std::numeric_limits<double>::infinity();
    if (magnitude_.empty()) return 0;
    std::string text = negative_ ? "-" : "";
    text += std::to_string(magnitude_.back());
    for (size_t i = magnitude_.size() - 1; i-- > 0;) {
        std::string limb = std::to_string(magnitude_[i]);
        text.append(9 - limb.size(), '0');
        text += limb;
    }
    text += "e-" + std::to_string(scale_);
    double out = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), out).ec == std::errc()) return out;
    // Beyond the range of a float: an infinity when the sum is large, else zero.
    const int integerDigits =
        (int)text.size() - (negative_ ? 1 : 0) - (int)std::to_string(scale_).size() - 2 - scale_;
    if (integerDigits > 0)
        return negative_ ? -std::numeric_limits<double>::infinity()
                         : std::numeric_limits<double>::infinity();
    return negative_ ? -0.0 : 0.0;
}

}  // namespace plat

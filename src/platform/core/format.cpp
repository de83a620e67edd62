#include "platform/core/format.h"

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"

namespace plat {

namespace {

constexpr int kMaxWidth = 65535;  // a larger width or precision is taken as a bad format

bool isIntegerKind(const Variant& v) {
    if (v.IsArray()) return false;
    switch (v.Type()) {
        case VarType::SmallInt:
        case VarType::Integer:
        case VarType::ShortInt:
        case VarType::Byte:
        case VarType::Word:
        case VarType::LongWord:
        case VarType::Int64:
            return true;
        default:
            return false;
    }
}

bool isFloatKind(const Variant& v) {
    if (v.IsArray()) return false;
    switch (v.Type()) {
        case VarType::Single:
        case VarType::Double:
        case VarType::Currency:
        case VarType::Date:
            return true;
        default:
            return isIntegerKind(v);
    }
}

std::string unsignedDigits(uint64_t u, int minDigits) {
    std::string s = std::to_string(u);
    if ((int)s.size() < minDigits) s.insert(0, (size_t)minDigits - s.size(), '0');
    return s;
}

class Formatter {
  public:
    Formatter(std::string_view f, const Variant* args, size_t count)
        : f_(f), args_(args), count_(count) {}

    std::string run() {
        std::string out;
        out.reserve(f_.size() + 16);
        size_t i = 0;
        while (i < f_.size()) {
            size_t pct = f_.find('%', i);
            if (pct == std::string_view::npos) {
                out.append(f_.substr(i));
                break;
            }
            out.append(f_.substr(i, pct - i));
            i = pct + 1;
            if (i < f_.size() && f_[i] == '%') {
                out += '%';
                ++i;
                continue;
            }
            i = directive(i, out);
        }
        return out;
    }

  private:
    [[noreturn]] void fail() const {
        throw EConvertError("Format '" + std::string(f_) +
                            "' invalid or incompatible with argument");
    }

    char at(size_t i) const { return i < f_.size() ? f_[i] : '\0'; }

    // Reads decimal digits at i; false when there are none.
    bool readNumber(size_t& i, int& value) const {
        if (!(at(i) >= '0' && at(i) <= '9')) return false;
        long v = 0;
        while (at(i) >= '0' && at(i) <= '9') {
            v = v * 10 + (at(i) - '0');
            if (v > kMaxWidth) fail();
            ++i;
        }
        value = (int)v;
        return true;
    }

    const Variant& next() {
        if (arg_ >= count_) fail();
        return args_[arg_++];
    }

    int starArgument() {
        const Variant& v = next();
        if (!isIntegerKind(v)) fail();
        int64_t n = v.AsInt64();
        if (n > kMaxWidth || n < -kMaxWidth) fail();
        return (int)n;
    }

    size_t directive(size_t i, std::string& out) {
        // [index:]
        size_t j = i;
        int number;
        if (readNumber(j, number) && at(j) == ':') {
            arg_ = (size_t)number;
            i = j + 1;
        }
        bool left = false;
        if (at(i) == '-') {
            left = true;
            ++i;
        }
        int width = -1, prec = -1;
        if (at(i) == '*') {
            width = starArgument();
            if (width < 0) {
                left = true;
                width = -width;
            }
            ++i;
        } else {
            readNumber(i, width);
        }
        if (at(i) == '.') {
            ++i;
            if (at(i) == '*') {
                prec = starArgument();
                if (prec < 0) prec = -1;
                ++i;
            } else if (!readNumber(i, prec)) {
                prec = 0;
            }
        }
        if (i >= f_.size()) fail();
        char type = f_[i++];
        if (type >= 'A' && type <= 'Z') type = (char)(type + 0x20);
        std::string text = convert(type, prec);
        int w = TextWidth(text);
        if (width > w) {
            if (left)
                text.append((size_t)(width - w), ' ');
            else
                text.insert(0, (size_t)(width - w), ' ');
        }
        out += text;
        return i;
    }

    std::string convert(char type, int prec) {
        switch (type) {
            case 'd': {
                const Variant& v = next();
                if (!isIntegerKind(v)) fail();
                int64_t n = v.AsInt64();
                uint64_t mag = n < 0 ? 0 - (uint64_t)n : (uint64_t)n;
                return (n < 0 ? "-" : "") + unsignedDigits(mag, prec);
            }
            case 'u': {
                const Variant& v = next();
                if (!isIntegerKind(v)) fail();
                int64_t n = v.AsInt64();
                uint64_t u = v.Type() == VarType::Int64 ? (uint64_t)n : (uint64_t)(uint32_t)n;
                return unsignedDigits(u, prec);
            }
            case 'x': {
                const Variant& v = next();
                if (!isIntegerKind(v)) fail();
                int64_t n = v.AsInt64();
                std::string hex =
                    v.Type() == VarType::Int64 ? IntToHex(n, prec) : IntToHex((int32_t)n, prec);
                return hex;
            }
            case 'e':
            case 'f':
            case 'g':
            case 'n':
            case 'm': {
                const Variant& v = next();
                if (!isFloatKind(v)) fail();
                if (v.Type() == VarType::Currency && type != 'e' && type != 'g') {
                    FloatFormat ff = type == 'f'   ? FloatFormat::Fixed
                                     : type == 'n' ? FloatFormat::Number
                                                   : FloatFormat::Currency;
                    int dflt = type == 'm' ? CurrentFormatSettings()->CurrencyDecimals : 2;
                    return CurrToStrF(v.RawInt(), ff, prec < 0 ? dflt : prec);
                }
                double d = v.AsFloat();
                switch (type) {
                    case 'e':
                        return FloatToStrF(d, FloatFormat::Exponent, prec < 0 ? 15 : prec, 3);
                    case 'f':
                        return FloatToStrF(d, FloatFormat::Fixed, 18, prec < 0 ? 2 : prec);
                    case 'g':
                        return FloatToStrF(d, FloatFormat::General, prec < 0 ? 15 : prec, 3);
                    case 'n':
                        return FloatToStrF(d, FloatFormat::Number, 18, prec < 0 ? 2 : prec);
                    default:
                        return FloatToStrF(
                            d, FloatFormat::Currency, 18,
                            prec < 0 ? CurrentFormatSettings()->CurrencyDecimals : prec);
                }
            }
            case 's': {
                const Variant& v = next();
                if (v.IsArray() || !v.IsText()) fail();
                return prec < 0 ? v.RawText() : CutToWidth(v.RawText(), prec);
            }
            default:
                fail();
        }
    }

    std::string_view f_;
    const Variant* args_;
    size_t count_;
    size_t arg_ = 0;
};

}  // namespace

std::string Format(std::string_view format, const Variant* args, size_t count) {
    return Formatter(format, args, count).run();
}

std::string Format(std::string_view format, std::initializer_list<Variant> args) {
    return Format(format, args.begin(), args.size());
}

std::string Format(std::string_view format, const std::vector<Variant>& args) {
    return Format(format, args.data(), args.size());
}

}  // namespace plat

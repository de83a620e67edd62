#include "platform/data/valuecodec.h"

#include <cmath>
#include <cstring>

#include "platform/core/exceptions.h"

namespace plat::codec {

void PutVarint(std::string& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back((char)(v | 0x80));
        v >>= 7;
    }
    out.push_back((char)v);
}

void PutText(std::string& out, const std::string& s) {
    PutVarint(out, s.size());
    out.append(s);
}

static void putDouble(std::string& out, double d) {
    char b[8];
    std::memcpy(b, &d, 8);
    out.append(b, 8);
}

void PutValue(std::string& out, const Variant& v) {
    if (v.IsArray()) {
        out.push_back((char)tArray);
        PutVarint(out, (uint64_t)v.ArrayElemType());
        int dims = v.DimCount();
        PutVarint(out, (uint64_t)dims);
        for (int d = 1; d <= dims; ++d) {
            PutSigned(out, v.LowBound(d));
            PutVarint(out, (uint64_t)(v.HighBound(d) - v.LowBound(d) + 1));
        }
        for (const Variant& e : v.Items()) PutValue(out, e);
        return;
    }
    switch (v.Type()) {
        case VarType::Empty:
            out.push_back((char)tEmpty);
            return;
        case VarType::Null:
            out.push_back((char)tNull);
            return;
        case VarType::Boolean:
            out.push_back((char)(v.RawInt() ? tTrue : tFalse));
            return;
        case VarType::Integer:
            out.push_back((char)tInt);
            PutSigned(out, v.RawInt());
            return;
        case VarType::SmallInt:
            out.push_back((char)tSmallInt);
            PutSigned(out, v.RawInt());
            return;
        case VarType::ShortInt:
        case VarType::Byte:
        case VarType::Word:
        case VarType::LongWord:
        case VarType::Int64:
            out.push_back((char)tIntKind);
            out.push_back((char)(uint8_t)v.Type());
            PutSigned(out, v.RawInt());
            return;
        case VarType::Double: {
            double d = v.AsFloat();
            if (d == 0 && !std::signbit(d)) {
                out.push_back((char)tZero);
                return;
            }
            out.push_back((char)tDouble);
            putDouble(out, d);
            return;
        }
        case VarType::Single:
            out.push_back((char)tSingle);
            putDouble(out, v.AsFloat());
            return;
        case VarType::Currency:
            out.push_back((char)tCurrency);
            PutSigned(out, v.RawInt());
            return;
        case VarType::Date:
            out.push_back((char)tDate);
            putDouble(out, v.AsFloat());
            return;
        case VarType::String:
            if (v.RawText().empty()) {
                out.push_back((char)tEmptyString);
                return;
            }
            out.push_back((char)tString);
            PutText(out, v.RawText());
            return;
        case VarType::OleStr:
            out.push_back((char)tWide);
            PutText(out, v.RawText());
            return;
        default:
            throw EDatabaseError(std::string("A value of type ") + VarTypeName(v.Type()) +
                                 " cannot be stored");
    }
}

void Reader::Fail() {
    throw EDatabaseError("Malformed data");
}

uint8_t Reader::Byte() {
    if (p >= end) Fail();
    return (uint8_t)*p++;
}

uint64_t Reader::Varint() {
    uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        uint8_t b = Byte();
        v |= (uint64_t)(b & 0x7F) << shift;
        if (!(b & 0x80)) return v;
    }
    Fail();
}

std::string Reader::Text() {
    uint64_t n = Varint();
    if (n > (uint64_t)(end - p)) Fail();
    std::string s(p, (size_t)n);
    p += n;
    return s;
}

static double getDouble(Reader& r) {
    if (r.end - r.p < 8) Reader::Fail();
    double d;
    std::memcpy(&d, r.p, 8);
    r.p += 8;
    return d;
}

Variant Reader::Value() {
    switch (Byte()) {
        case tEmpty:
            return Variant();
        case tNull:
            return Variant::Null();
        case tFalse:
            return Variant(false);
        case tTrue:
            return Variant(true);
        case tInt:
            return Variant::Integer(VarType::Integer, Signed());
        case tSmallInt:
            return Variant::Integer(VarType::SmallInt, Signed());
        case tIntKind: {
            auto t = (VarType)Byte();
            return Variant::Integer(t, Signed());
        }
        case tDouble:
            return Variant(getDouble(*this));
        case tZero:
            return Variant(0.0);
        case tSingle:
            return Variant::Single((float)getDouble(*this));
        case tCurrency:
            return Variant::Currency((double)Signed() / 10000.0);
        case tDate:
            return Variant::Date(getDouble(*this));
        case tString:
            return Variant(Text());
        case tWide:
            return Variant::Wide(Text());
        case tEmptyString:
            return Variant(std::string());
        case tArray: {
            // Nesting is bounded, so that no input can exhaust the stack.
            if (depth >= 32) Fail();
            struct Nest {
                int& d;
                explicit Nest(int& x) : d(x) { ++d; }
                ~Nest() { --d; }
            } nest(depth);
            auto elem = (VarType)Varint();
            uint64_t dims = Varint();
            if (dims < 1 || dims > 2) Fail();
            std::vector<VarArrayBound> bounds;
            for (uint64_t d = 0; d < dims; ++d) {
                int low = (int)Signed();
                uint64_t n = Varint();
                if (n > (uint64_t)(end - p) + 1) Fail();
                bounds.push_back({low, low + (int)n - 1});
            }
            Variant a = Variant::CreateArray(bounds, elem);
            if (dims == 1) {
                for (int i = bounds[0].low; i <= bounds[0].high; ++i) a[i] = Value();
            } else {
                for (int i = bounds[0].low; i <= bounds[0].high; ++i)
                    for (int j = bounds[1].low; j <= bounds[1].high; ++j) a.At(i, j) = Value();
            }
            return a;
        }
        default:
            Fail();
    }
}

void Reader::SkipValue() {
    switch (Byte()) {
        case tEmpty:
        case tNull:
        case tFalse:
        case tTrue:
        case tZero:
        case tEmptyString:
            return;
        case tInt:
        case tSmallInt:
        case tCurrency:
            Varint();
            return;
        case tIntKind:
            Byte();
            Varint();
            return;
        case tDouble:
        case tSingle:
        case tDate:
            if (end - p < 8) Fail();
            p += 8;
            return;
        case tString:
        case tWide: {
            uint64_t n = Varint();
            if (n > (uint64_t)(end - p)) Fail();
            p += n;
            return;
        }
        case tArray: {
            --p;
            Value();
            return;
        }
        default:
            Fail();
    }
}

}  // namespace plat::codec

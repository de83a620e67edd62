#include "platform/data/valuecodec.h"

#include <climits>
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

void PutText(std::string& out, std::string_view s) {
    PutVarint(out, s.size());
    out.append(s);
}

static void putDouble(std::string& out, double d) {
    char b[8];
    std::memcpy(b, &d, 8);
    out.append(b, 8);
}

void PutInteger(std::string& out, int64_t v) {
    char b[kMaxScalarBytes];
    out.append(b, (size_t)(PutInteger(b, v) - b));
}

void PutDouble(std::string& out, double d) {
    char b[kMaxScalarBytes];
    out.append(b, (size_t)(PutDouble(b, d) - b));
}

void PutString(std::string& out, std::string_view s) {
    if (s.empty()) {
        out.push_back((char)tEmptyString);
        return;
    }
    char b[kMaxScalarBytes];
    b[0] = (char)tString;
    out.append(b, (size_t)(PutVarint(b + 1, s.size()) - b));
    out.append(s);
}

namespace {

void putValue(std::string& out, const Variant& v, int depth, uint64_t& elements) {
    if (v.IsArray()) {
        if (depth >= kMaxNesting)
            throw ECodecError("Arrays nested deeper than " + std::to_string(kMaxNesting) +
                              " cannot be written");
        const std::string* packed = v.PackedBytes();
        elements += packed ? packed->size() : v.Items().size();
        if (elements > kMaxElements)
            throw ECodecError("Arrays of more than " + std::to_string(kMaxElements) +
                              " elements cannot be written");
        out.push_back((char)tArray);
        PutVarint(out, (uint64_t)v.ArrayElemType());
        int dims = v.DimCount();
        PutVarint(out, (uint64_t)dims);
        for (int d = 1; d <= dims; ++d) {
            PutSigned(out, v.LowBound(d));
            PutVarint(out, (uint64_t)((int64_t)v.HighBound(d) - v.LowBound(d) + 1));
        }
        if (packed) {
            // Written as each Byte element is, without making the elements.
            for (unsigned char c : *packed) {
                out.push_back((char)tIntKind);
                out.push_back((char)(uint8_t)VarType::Byte);
                PutSigned(out, c);
            }
            return;
        }
        for (const Variant& e : v.Items()) putValue(out, e, depth + 1, elements);
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
        case VarType::Double:
            PutDouble(out, v.AsFloat());
            return;
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
        case VarType::Error:
            out.push_back((char)tError);
            PutSigned(out, v.RawInt());
            return;
        case VarType::String:
            PutString(out, v.RawText());
            return;
        case VarType::OleStr:
            out.push_back((char)tWide);
            PutText(out, v.RawText());
            return;
        default:
            throw ECodecError(std::string("A value of type ") + VarTypeName(v.Type()) +
                              " cannot be stored");
    }
}

bool knownElementType(uint64_t t) {
    switch (t) {
        case (uint64_t)VarType::Empty:
        case (uint64_t)VarType::Null:
        case (uint64_t)VarType::SmallInt:
        case (uint64_t)VarType::Integer:
        case (uint64_t)VarType::Single:
        case (uint64_t)VarType::Double:
        case (uint64_t)VarType::Currency:
        case (uint64_t)VarType::Date:
        case (uint64_t)VarType::OleStr:
        case (uint64_t)VarType::Boolean:
        case (uint64_t)VarType::Variant:
        case (uint64_t)VarType::ShortInt:
        case (uint64_t)VarType::Byte:
        case (uint64_t)VarType::Word:
        case (uint64_t)VarType::LongWord:
        case (uint64_t)VarType::Int64:
        case (uint64_t)VarType::String:
            return true;
        default:
            return false;
    }
}

}  // namespace

void PutValue(std::string& out, const Variant& v) {
    uint64_t elements = 0;
    putValue(out, v, 0, elements);
}

void Reader::Fail(const std::string& why) {
    throw ECodecError(why.empty() ? std::string("Malformed data") : "Malformed data: " + why);
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
    if (n > Left()) Fail("a text longer than the bytes left");
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
            if (t != VarType::ShortInt && t != VarType::Byte && t != VarType::Word &&
                t != VarType::LongWord && t != VarType::Int64)
                Fail("an unknown integer kind");
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
        case tError:
            return Variant::Error((int32_t)Signed());
        case tEmptyString:
            return Variant(std::string());
        case tArray: {
            // Nesting is bounded, so that no input can exhaust the stack.
            if (depth >= kMaxNesting) Fail("arrays nested too deep");
            struct Nest {
                int& d;
                explicit Nest(int& x) : d(x) { ++d; }
                ~Nest() { --d; }
            } nest(depth);
            uint64_t elem = Varint();
            if (!knownElementType(elem)) Fail("an unknown array element type");
            uint64_t dims = Varint();
            if (dims < 1 || dims > 2) Fail("arrays have one or two dimensions");
            std::vector<VarArrayBound> bounds;
            uint64_t total = 1;
            for (uint64_t d = 0; d < dims; ++d) {
                int64_t low = Signed();
                uint64_t n = Varint();
                // Bounds clear of the ends of the int range and a count that
                // fits an int: no bound arithmetic or index loop can overflow.
                if (low <= INT32_MIN || low > INT32_MAX || n > (uint64_t)INT32_MAX ||
                    low + (int64_t)n - 1 >= INT32_MAX)
                    Fail("array bounds out of range");
                // Every element takes at least a byte: the product of the
                // dimensions cannot exceed the bytes left.
                if (n != 0 && total > Left() / n) Fail("an array larger than the bytes left");
                total *= n;
                bounds.push_back({(int)low, (int)(low + (int64_t)n - 1)});
            }
            elements += total;
            if (elements > kMaxElements) Fail("arrays of too many elements");
            if (dims == 1 && (VarType)elem == VarType::Byte) {
                // Bytes are kept packed as long as every element is a byte.
                const char* const first = p;
                const uint64_t counted = elements;
                std::string bytes;
                bytes.reserve((size_t)total);
                for (uint64_t i = 0; i < total; ++i) {
                    const Variant e = Value();
                    if (e.IsArray() || e.Type() != VarType::Byte || e.RawInt() < 0 ||
                        e.RawInt() > 255)
                        break;
                    bytes.push_back((char)e.RawInt());
                }
                if (bytes.size() == total && bounds[0].low == 0) return Variant::ByteArray(bytes);
                p = first;
                elements = counted;
            }
            Variant a = Variant::CreateArray(bounds, (VarType)elem);
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
        case tError:
            Varint();
            return;
        case tIntKind:
        case tArray:
            --p;
            Value();
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
            if (n > Left()) Fail("a text longer than the bytes left");
            p += n;
            return;
        }
        default:
            Fail();
    }
}

}  // namespace plat::codec

#include "standins/appserver/variant_codec.h"

#include <cstdint>
#include <cstring>

namespace standin {

using plat::Variant;
using plat::VarType;

namespace {

// Tags on the wire. Scalars use the variant type code; arrays have their own.
constexpr uint8_t kTagText = 0x40;  // single-byte text (VarType::String)
constexpr uint8_t kTagArray = 0x80;

void PutU8(std::string& out, uint8_t v) {
    out.push_back((char)v);
}
void PutU16(std::string& out, uint16_t v) {
    out.push_back((char)(v & 0xff));
    out.push_back((char)(v >> 8));
}
void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back((char)((v >> (8 * i)) & 0xff));
}
void PutI64(std::string& out, int64_t v) {
    uint64_t u = (uint64_t)v;
    for (int i = 0; i < 8; ++i) out.push_back((char)((u >> (8 * i)) & 0xff));
}
void PutF64(std::string& out, double d) {
    uint64_t u;
    std::memcpy(&u, &d, 8);
    PutI64(out, (int64_t)u);
}

void Encode(std::string& out, const Variant& v, int depth, uint64_t& elements) {
    if (depth > kMaxNesting)
        throw CodecError("Cannot encode: arrays nested deeper than " + std::to_string(kMaxNesting));
    if (v.IsArray()) {
        elements += v.Items().size();
        if (elements > kMaxElements)
            throw CodecError("Cannot encode: arrays of more than " + std::to_string(kMaxElements) +
                             " elements");
        PutU8(out, kTagArray);
        PutU16(out, (uint16_t)v.ArrayElemType());
        int dims = v.DimCount();
        PutU8(out, (uint8_t)dims);
        for (int d = 1; d <= dims; ++d) {
            PutU32(out, (uint32_t)v.LowBound(d));
            PutU32(out, (uint32_t)v.HighBound(d));
        }
        for (const Variant& item : v.Items()) Encode(out, item, depth + 1, elements);
        return;
    }
    switch (v.Type()) {
        case VarType::Empty:
        case VarType::Null:
            PutU8(out, (uint8_t)v.Type());
            return;
        case VarType::String:
        case VarType::OleStr:
            PutU8(out, v.Type() == VarType::String ? kTagText : (uint8_t)VarType::OleStr);
            PutU32(out, (uint32_t)v.RawText().size());
            out += v.RawText();
            return;
        case VarType::Double:
        case VarType::Single:
        case VarType::Date:
            PutU8(out, (uint8_t)v.Type());
            PutF64(out, v.AsFloat());
            return;
        case VarType::Dispatch:
            throw CodecError("Cannot encode: a Dispatch object cannot travel over the connection");
        default:  // integer kinds, Boolean, Currency (scaled), Error
            PutU8(out, (uint8_t)v.Type());
            PutI64(out, v.RawInt());
            return;
    }
}

class Reader {
  public:
    Reader(const char* p, size_t n) : p_(p), n_(n) {}

    Variant Read(int depth) {
        if (depth > kMaxNesting) Fail("arrays nested deeper than " + std::to_string(kMaxNesting));
        uint8_t tag = U8();
        if (tag == kTagArray) return ReadArray(depth);
        if (tag == kTagText) return Variant(Text());
        switch ((VarType)tag) {
            case VarType::Empty:
                return Variant();
            case VarType::Null:
                return Variant::Null();
            case VarType::OleStr:
                return Variant::Wide(Text());
            case VarType::Double:
                return Variant(F64());
            case VarType::Single:
                return Variant::Single((float)F64());
            case VarType::Date:
                return Variant::Date(F64());
            case VarType::Currency: {
                int64_t raw = I64();
                return Variant::Currency((double)raw / 10000.0);
            }
            case VarType::Error:
                return Variant::Error((int32_t)I64());
            case VarType::Boolean:
                return Variant(I64() != 0);
            case VarType::SmallInt:
            case VarType::Integer:
            case VarType::ShortInt:
            case VarType::Byte:
            case VarType::Word:
            case VarType::LongWord:
            case VarType::Int64:
                return Variant::Integer((VarType)tag, I64());
            default:
                Fail("unknown value tag " + std::to_string(tag));
        }
    }

    void ExpectEnd() const {
        if (pos_ != n_) Fail(std::to_string(n_ - pos_) + " bytes left over after the value");
    }

  private:
    const char* p_;
    size_t n_;
    size_t pos_ = 0;
    uint64_t elements_ = 0;  // of every array read so far

    [[noreturn]] void Fail(const std::string& why) const {
        throw CodecError("Malformed frame at byte " + std::to_string(pos_) + ": " + why);
    }
    void Need(size_t k) const {
        if (n_ - pos_ < k) Fail("truncated (needs " + std::to_string(k) + " more bytes)");
    }
    uint8_t U8() {
        Need(1);
        return (uint8_t)p_[pos_++];
    }
    uint16_t U16() {
        Need(2);
        uint16_t v = (uint8_t)p_[pos_] | ((uint16_t)(uint8_t)p_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    uint32_t U32() {
        Need(4);
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= (uint32_t)(uint8_t)p_[pos_ + i] << (8 * i);
        pos_ += 4;
        return v;
    }
    int64_t I64() {
        Need(8);
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= (uint64_t)(uint8_t)p_[pos_ + i] << (8 * i);
        pos_ += 8;
        return (int64_t)v;
    }
    double F64() {
        uint64_t u = (uint64_t)I64();
        double d;
        std::memcpy(&d, &u, 8);
        return d;
    }
    std::string Text() {
        uint32_t len = U32();
        Need(len);
        std::string s(p_ + pos_, len);
        pos_ += len;
        return s;
    }
    Variant ReadArray(int depth) {
        uint16_t elem = U16();
        bool knownElem = elem == (uint16_t)VarType::Variant || elem == (uint16_t)VarType::OleStr ||
                         elem == (uint16_t)VarType::String || elem == (uint16_t)VarType::Integer ||
                         elem == (uint16_t)VarType::Double || elem == (uint16_t)VarType::Boolean ||
                         elem == (uint16_t)VarType::Byte || elem == (uint16_t)VarType::SmallInt ||
                         elem == (uint16_t)VarType::Int64 || elem == (uint16_t)VarType::Date ||
                         elem == (uint16_t)VarType::Currency || elem == (uint16_t)VarType::Single;
        if (!knownElem) Fail("unknown array element type " + std::to_string(elem));
        uint8_t dims = U8();
        if (dims != 1 && dims != 2)
            Fail("arrays have one or two dimensions, not " + std::to_string(dims));
        std::vector<plat::VarArrayBound> bounds;
        uint64_t total = 1;
        for (int d = 0; d < dims; ++d) {
            int32_t lo = (int32_t)U32(), hi = (int32_t)U32();
            int64_t count = (int64_t)hi - lo + 1;
            // Bounds clear of the ends of the int range, and a count that fits
            // an int: no bound arithmetic or index loop can overflow.
            if (count < 0 || count > INT32_MAX || lo == INT32_MIN || hi == INT32_MAX)
                Fail("array bounds " + std::to_string(lo) + ".." + std::to_string(hi));
            total *= (uint64_t)count;
            // Every element takes at least one byte: more than the bytes left is a lie.
            if (total > n_ - pos_)
                Fail("array of " + std::to_string(total) + " elements in " +
                     std::to_string(n_ - pos_) + " bytes");
            bounds.push_back({lo, hi});
        }
        elements_ += total;
        if (elements_ > kMaxElements)
            Fail("arrays of more than " + std::to_string(kMaxElements) + " elements");
        Variant arr = Variant::CreateArray(bounds, (VarType)elem);
        if (dims == 1) {
            for (int i = bounds[0].low; i <= bounds[0].high; ++i) arr[i] = Read(depth + 1);
        } else {
            for (int i = bounds[0].low; i <= bounds[0].high; ++i)
                for (int j = bounds[1].low; j <= bounds[1].high; ++j)
                    arr.At(i, j) = Read(depth + 1);
        }
        return arr;
    }
};

}  // namespace

std::string EncodeWireValue(const Variant& v) {
    std::string out;
    uint64_t elements = 0;
    Encode(out, v, 0, elements);
    return out;
}

Variant DecodeWireValue(const char* data, size_t size) {
    Reader r(data, size);
    Variant v = r.Read(0);
    r.ExpectEnd();
    return v;
}

Variant DecodeWireValue(const std::string& bytes) {
    return DecodeWireValue(bytes.data(), bytes.size());
}

std::string EncodeFrame(const Variant& v) {
    std::string payload = EncodeWireValue(v);
    if (payload.size() > kMaxFrameSize)
        throw CodecError("Cannot encode: the value needs more than the largest frame");
    std::string out;
    out.reserve(payload.size() + 4);
    PutU32(out, (uint32_t)payload.size());
    out += payload;
    return out;
}

uint32_t FrameLength(const char header[4]) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= (uint32_t)(uint8_t)header[i] << (8 * i);
    if (v > kMaxFrameSize)
        throw CodecError("Malformed frame: length " + std::to_string(v) + " above the limit");
    if (v == 0) throw CodecError("Malformed frame: empty payload");
    return v;
}

}  // namespace standin

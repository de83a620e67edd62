// Compact byte encoding of variants, shared by value rows, packets, deltas
// and the dataset store. Each value is a tag byte and its payload; small
// integers, zero, false, Null and the empty text cost one byte.
#pragma once
#include <cstdint>
#include <string>

#include "platform/core/variant.h"

namespace plat::codec {

enum Tag : uint8_t {
    tEmpty,
    tNull,
    tFalse,
    tTrue,
    tInt,
    tDouble,
    tZero,
    tCurrency,
    tDate,
    tString,
    tWide,
    tEmptyString,
    tArray,
    tSmallInt,
    tIntKind,
    tSingle,
};

void PutVarint(std::string& out, uint64_t v);
inline void PutSigned(std::string& out, int64_t v) {
    PutVarint(out, ((uint64_t)v << 1) ^ (uint64_t)(v >> 63));
}
void PutText(std::string& out, const std::string& s);
void PutValue(std::string& out, const Variant& v);

// Reading cursor over an encoded buffer; every read past the end raises
// EDatabaseError ("Malformed data").
struct Reader {
    const char* p;
    const char* end;
    int depth = 0;  // arrays within arrays being read
    Reader(const char* b, const char* e) : p(b), end(e) {}
    explicit Reader(const std::string& s) : p(s.data()), end(s.data() + s.size()) {}
    bool AtEnd() const { return p >= end; }
    uint8_t Byte();
    uint64_t Varint();
    int64_t Signed() {
        uint64_t u = Varint();
        return (int64_t)(u >> 1) ^ -(int64_t)(u & 1);
    }
    std::string Text();
    Variant Value();
    void SkipValue();
    [[noreturn]] static void Fail();
};

}  // namespace plat::codec

// Compact byte encoding of variants, shared by value rows, packets, deltas
// and the dataset store. Each value is a tag byte and its payload; small
// integers, zero, false, Null and the empty text cost one byte.
#pragma once
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/core/exceptions.h"
#include "platform/core/variant.h"

namespace plat::codec {

// Bytes that cannot be read as values, or a value that cannot be written.
class ECodecError : public EDatabaseError {
  public:
    using EDatabaseError::EDatabaseError;
};

// Arrays nested deeper than this are neither written nor read.
constexpr int kMaxNesting = 32;
// The elements of the arrays of one value (or one reading cursor) between
// them: an element may cost a byte in the bytes but a whole variant in memory.
constexpr uint64_t kMaxElements = 1u << 22;

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
    tError,
};

void PutVarint(std::string& out, uint64_t v);
inline void PutSigned(std::string& out, int64_t v) {
    PutVarint(out, ((uint64_t)v << 1) ^ (uint64_t)(v >> 63));
}
void PutText(std::string& out, std::string_view s);
// One value each, written as PutValue writes the Variant it would be read
// into: a 64-bit integer as Integer within 32 bits and Int64 beyond, a
// Double, a String.
void PutInteger(std::string& out, int64_t v);
void PutDouble(std::string& out, double d);
void PutString(std::string& out, std::string_view s);
// The same three written at `at`, which has room for kMaxScalarBytes (and,
// for a text, its bytes after them); each returns where its value ends.
constexpr size_t kMaxScalarBytes = 12;  // tag, integer kind, a 64-bit varint
inline char* PutVarint(char* at, uint64_t v) {
    while (v >= 0x80) {
        *at++ = (char)(v | 0x80);
        v >>= 7;
    }
    *at++ = (char)v;
    return at;
}
inline char* PutInteger(char* at, int64_t v) {
    if (v >= INT32_MIN && v <= INT32_MAX) {
        *at++ = (char)tInt;
    } else {
        *at++ = (char)tIntKind;
        *at++ = (char)(uint8_t)VarType::Int64;
    }
    return PutVarint(at, ((uint64_t)v << 1) ^ (uint64_t)(v >> 63));
}
inline char* PutDouble(char* at, double d) {
    if (d == 0 && !std::signbit(d)) {
        *at++ = (char)tZero;
        return at;
    }
    *at++ = (char)tDouble;
    std::memcpy(at, &d, 8);
    return at + 8;
}
inline char* PutString(char* at, std::string_view s) {
    if (s.empty()) {
        *at++ = (char)tEmptyString;
        return at;
    }
    *at++ = (char)tString;
    at = PutVarint(at, s.size());
    std::memcpy(at, s.data(), s.size());
    return at + s.size();
}
// Raises ECodecError for a value that cannot be written (a Dispatch object,
// arrays beyond the limits above).
void PutValue(std::string& out, const Variant& v);

// Reading cursor over an encoded buffer. Every count and bound is checked
// against the bytes that remain before anything is made; anything malformed
// raises ECodecError ("Malformed data: ...").
struct Reader {
    const char* p;
    const char* end;
    int depth = 0;          // arrays within arrays being read
    uint64_t elements = 0;  // array elements made by this cursor so far
    Reader(const char* b, const char* e) : p(b), end(e) {}
    explicit Reader(const std::string& s) : p(s.data()), end(s.data() + s.size()) {}
    bool AtEnd() const { return p >= end; }
    size_t Left() const { return (size_t)(end - p); }
    // Raises unless `count` items of at least `minBytes` each fit in what is left.
    void NeedItems(uint64_t count, size_t minBytes) const {
        if (count > Left() / minBytes) Fail("a count larger than the bytes left");
    }
    uint8_t Byte();
    uint64_t Varint();
    int64_t Signed() {
        uint64_t u = Varint();
        return (int64_t)(u >> 1) ^ -(int64_t)(u & 1);
    }
    std::string Text();
    Variant Value();
    void SkipValue();
    [[noreturn]] static void Fail(const std::string& why = "");
};

}  // namespace plat::codec

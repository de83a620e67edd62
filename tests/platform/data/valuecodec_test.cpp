#include "platform/data/valuecodec.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <climits>
#include <cstdlib>
#include <new>
#include <random>

#include "platform/data/provider.h"

using namespace plat;
using namespace plat::codec;

// Bytes allocated on this thread while a count is armed: the decoders below
// must not turn a few bytes into a large allocation.
namespace {
thread_local bool tCounting = false;
thread_local size_t tAllocated = 0;
}  // namespace

// Every plain form is replaced, so that each block is freed the way it was
// taken (the compiler cannot see that the pairs match).
static void* CountedAlloc(size_t n) noexcept {
    void* p = std::malloc(n ? n : 1);
    if (p && tCounting) tAllocated += malloc_usable_size(p);
    return p;
}
void* operator new(size_t n) {
    if (void* p = CountedAlloc(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) {
    if (void* p = CountedAlloc(n)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    return CountedAlloc(n);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
    return CountedAlloc(n);
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {

// The bytes allocated while `f` runs (its exception, if any, swallowed).
template <class F>
size_t AllocatedBy(F f) {
    tAllocated = 0;
    tCounting = true;
    try {
        f();
    } catch (const EDatabaseError&) {
    }
    tCounting = false;
    return tAllocated;
}

// An array of variants: tag, element type, dimensions, then low bound and
// count of each.
std::string ArrayHead(std::initializer_list<std::pair<int64_t, uint64_t>> dims) {
    std::string s(1, (char)tArray);
    PutVarint(s, (uint64_t)VarType::Variant);
    PutVarint(s, dims.size());
    for (auto [low, count] : dims) {
        PutSigned(s, low);
        PutVarint(s, count);
    }
    return s;
}

Variant Decode(const std::string& bytes) {
    Reader r(bytes);
    Variant v = r.Value();
    if (!r.AtEnd()) Reader::Fail();
    return v;
}

// A delta of one inserted row holding the given encoded values.
std::string DeltaWithValues(const std::string& values, int count) {
    std::string s(1, '\xD2');
    PutVarint(s, 0);  // fields
    PutVarint(s, 1);  // rows
    PutVarint(s, 1);  // id
    s.push_back((char)TUpdateStatus::usInserted);
    PutVarint(s, 0);  // old values: none
    PutText(s, "");
    PutVarint(s, (uint64_t)count);
    PutText(s, values);
    PutVarint(s, 0);  // changed flags
    PutVarint(s, 0);  // details
    return s;
}

}  // namespace

// Bytes kept packed go over the wire as the Byte elements they stand for
// and come back as the same array; a Byte array with an element that is no
// byte still reads element by element.
TEST(ValueCodec, ByteArraysFromBytesWriteAsTheirElements) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes.push_back(char(i * 7));
    Variant each = VarArrayCreate({0, 299}, VarType::Byte);
    for (int i = 0; i < 300; ++i)
        each[i] = Variant::Integer(VarType::Byte, (unsigned char)bytes[i]);
    std::string packedWire, eachWire;
    PutValue(packedWire, Variant::ByteArray(bytes));
    PutValue(eachWire, each);
    EXPECT_EQ(packedWire, eachWire);
    const Variant back = Decode(packedWire);
    EXPECT_EQ(back, each);
    ASSERT_NE(back.PackedBytes(), nullptr);
    EXPECT_EQ(*back.PackedBytes(), bytes);

    Variant mixed = VarArrayCreate({0, 2}, VarType::Byte);
    mixed[0] = Variant::Integer(VarType::Byte, 1);
    mixed[1] = Variant("text");
    mixed[2] = Variant::Integer(VarType::Byte, 3);
    std::string mixedWire;
    PutValue(mixedWire, mixed);
    const Variant read = Decode(mixedWire);
    EXPECT_EQ(read.PackedBytes(), nullptr);
    EXPECT_EQ(read[1].AsString(), "text");
    EXPECT_EQ(read[2].RawInt(), 3);
}

TEST(ValueCodec, BoundsThatWouldOverflowAreRefused) {
    const std::string one = [] {
        std::string s;
        PutValue(s, Variant(1));
        return s;
    }();
    const std::string refused[] = {
        ArrayHead({{INT_MIN, 0}}),  // empty, but its high bound is below the int range
        ArrayHead({{INT_MIN, 1}}) + one,
        ArrayHead({{INT_MAX, 1}}) + one,
        ArrayHead({{INT_MAX - 1, 2}}) + one + one,
        ArrayHead({{(int64_t)INT_MAX + 5, 0}}),
        ArrayHead({{0, 0}, {INT_MIN + 1, (uint64_t)UINT32_MAX - 1}}),
        ArrayHead({{0, (uint64_t)INT_MAX + 1}}),
    };
    for (const std::string& bytes : refused) EXPECT_THROW(Decode(bytes), ECodecError);
    // The empty array at the very bottom of the range, inside a delta.
    EXPECT_THROW(DecodeDelta(DeltaWithValues(ArrayHead({{INT_MIN, 0}}), 1)), EDatabaseError);

    // No rows of a long width: empty, with nothing to read.
    Variant wide = Decode(ArrayHead({{0, 0}, {1, INT_MAX - 1}}));
    EXPECT_EQ(wide.HighBound(2), INT_MAX - 1);
    EXPECT_TRUE(wide.Items().empty());
    Variant near = Decode(ArrayHead({{INT_MAX - 2, 2}}) + one + one);
    EXPECT_EQ(near[INT_MAX - 1].AsInteger(), 1);
}

TEST(ValueCodec, ArraysAreHeldToTheBytesLeftAndToTheElementLimit) {
    // Each dimension fits the bytes, their product does not.
    std::string grid = ArrayHead({{0, 4000}, {0, 4000}}) + std::string(8000, '\0');
    size_t used = AllocatedBy([&] { Decode(grid); });
    EXPECT_THROW(Decode(grid), ECodecError);
    EXPECT_LT(used, 1u << 20);

    // Arrays inside arrays count together against the element limit.
    const uint64_t half = kMaxElements / 2 + 1;
    std::string inner = ArrayHead({{0, half}}) + std::string(half, '\0');
    EXPECT_THROW(Decode(ArrayHead({{0, 2}}) + inner + inner), ECodecError);
    // The writer refuses such a value too.
    Variant row = Variant::CreateArray({0, 2048});
    Variant rows = Variant::CreateArray({0, 2048});
    for (int i = 0; i <= 2048; ++i) rows[i] = row;
    std::string out;
    EXPECT_THROW(PutValue(out, rows), ECodecError);

    // Unknown element types and integer kinds are not made.
    std::string oddElem(1, (char)tArray);
    PutVarint(oddElem, 999);
    PutVarint(oddElem, 1);
    PutSigned(oddElem, 0);
    PutVarint(oddElem, 0);
    EXPECT_THROW(Decode(oddElem), ECodecError);
    EXPECT_THROW(Decode(std::string{(char)tIntKind, (char)VarType::String, 2}), ECodecError);
}

TEST(ValueCodec, NestingIsBoundedOnBothSides) {
    Variant deep = Variant(1);
    for (int i = 0; i <= kMaxNesting; ++i) deep = VarArrayOf({deep});
    std::string out;
    EXPECT_THROW(PutValue(out, deep), ECodecError);
    std::string bytes;
    for (int i = 0; i < kMaxNesting + 1; ++i) bytes += ArrayHead({{0, 1}});
    PutValue(bytes, Variant(1));
    EXPECT_THROW(Decode(bytes), ECodecError);

    Variant fine = VarArrayOf({VarArrayOf({Variant::Error(7), Variant::Currency(1.5)})});
    out.clear();
    PutValue(out, fine);
    Variant back = Decode(out);
    EXPECT_EQ(back[0][0].Type(), VarType::Error);
    EXPECT_EQ(back[0][0].RawInt(), 7);
    EXPECT_EQ(back[0][1].AsFloat(), 1.5);
}

TEST(ValueCodec, CountsAreCheckedBeforeAnythingIsMade) {
    // Five bytes claiming 2^24 fields; a packet claiming 2^24 rows; a row
    // claiming 2^24 detail lists; a reply claiming 2^24 rows.
    std::string fields(1, '\xD2');
    PutVarint(fields, 1u << 24);
    std::string packetRows = {'\xD1', 1, 0};
    PutVarint(packetRows, 1u << 24);
    std::string details = DeltaWithValues("", 0);
    details.pop_back();
    PutVarint(details, 1u << 24);
    std::string reply = {'\xD3', 0, 1};
    PutVarint(reply, 1u << 24);
    for (const std::string* bytes : {&fields, &packetRows, &details, &reply}) {
        size_t used = AllocatedBy([&] {
            if ((*bytes)[0] == '\xD1') DecodePacket(*bytes);
            if ((*bytes)[0] == '\xD2') DecodeDelta(*bytes);
            if ((*bytes)[0] == '\xD3') DecodeApplyReply(*bytes);
        });
        EXPECT_LT(used, 64u << 10) << bytes->size();
    }
}

TEST(ValueCodec, MutatedPacketsAndDeltasStayWithinAMemoryCeiling) {
    TPacketField key = PacketField("K", TFieldType::ftString, 10);
    TPacketField serial = PacketField("SN", TFieldType::ftString, 20);
    TPacketField lines = PacketField("qryBody", TFieldType::ftDataSet);
    lines.fields = {serial};
    std::vector<TPacketField> fields = {key, PacketField("Q", TFieldType::ftFloat), lines};
    TDataPacket packet{fields, {}};
    TDelta delta{fields, {}};
    for (int i = 0; i < 6; ++i) {
        TValueRow values{Variant(std::to_string(i)),
                         VarArrayOf({1.5, "x", VarArrayOf({Variant::Null(), i})})};
        TPacketRow line{TValueRow{Variant("S" + std::to_string(i))}, {}};
        packet.rows.push_back(TPacketRow{values, {{line, line}}});
        TDeltaRow d;
        d.id = (uint64_t)i;
        d.status = TUpdateStatus::usModified;
        d.oldValues = values;
        d.newValues = values;
        d.changed = {false, true};
        TDeltaRow child;
        child.status = TUpdateStatus::usInserted;
        child.newValues = line.values;
        d.details = {{child}};
        delta.rows.push_back(d);
    }
    const std::string seeds[] = {EncodePacket(packet), EncodeDelta(delta)};
    std::mt19937 rng(20261210);
    const char loud[] = {'\x00', '\x01', '\x7f', '\x80', '\xff', (char)tArray};
    for (const std::string& seed : seeds) {
        for (int trial = 0; trial < 4000; ++trial) {
            std::string m = seed;
            int edits = 1 + (int)(rng() % 4);
            for (int e = 0; e < edits; ++e) {
                size_t at = rng() % m.size();
                switch (rng() % 4) {
                    case 0:
                        m[at] = (char)rng();
                        break;
                    case 1:
                        m[at] = loud[rng() % sizeof loud];
                        break;
                    case 2:
                        m.insert(at, std::string(1 + rng() % 5, '\xff'));
                        break;
                    default:
                        m.erase(at, 1 + rng() % 3);
                        if (m.empty()) m = seed;
                }
            }
            size_t used = AllocatedBy([&] {
                if (m[0] == '\xD1') DecodePacket(m);
                if (m[0] == '\xD2') DecodeDelta(m);
            });
            ASSERT_LT(used, 4u << 20) << "trial " << trial;
        }
    }
}

#include "standins/appserver/variant_codec.h"

#include <gtest/gtest.h>

#include <climits>

using namespace standin;
using plat::Variant;
using plat::VarType;

namespace {

Variant RoundTrip(const Variant& v) {
    return DecodeWireValue(EncodeWireValue(v));
}

// An array header on the wire: Variant elements, then low and high of each dimension.
std::string ArrayHeader(std::initializer_list<std::pair<int32_t, int32_t>> bounds) {
    std::string s("\x80\x0c\x00", 3);
    s += (char)bounds.size();
    for (auto [lo, hi] : bounds)
        for (uint32_t v : {(uint32_t)lo, (uint32_t)hi})
            for (int i = 0; i < 4; ++i) s += (char)((v >> (8 * i)) & 0xff);
    return s;
}
const std::string kOneInteger("\x03\x01\0\0\0\0\0\0\0", 9);

}  // namespace

TEST(VariantCodec, ScalarsKeepTypeAndValue) {
    std::vector<Variant> values = {Variant(),
                                   Variant::Null(),
                                   Variant(true),
                                   Variant(false),
                                   Variant(42),
                                   Variant((long long)1 << 40),
                                   Variant::Integer(VarType::SmallInt, -7),
                                   Variant::Integer(VarType::Byte, 200),
                                   Variant(3.25),
                                   Variant::Currency(12.3456),
                                   Variant::Date(45000.5),
                                   Variant("委外进货单"),
                                   Variant::Wide("wide 文本"),
                                   Variant(std::string("a\0b", 3))};
    for (const Variant& v : values) {
        Variant back = RoundTrip(v);
        EXPECT_EQ(back.Type(), v.Type()) << plat::VarTypeName(v.Type());
        EXPECT_TRUE(back == v || (v.IsEmpty() && back.IsEmpty()) || (v.IsNull() && back.IsNull()))
            << plat::VarTypeName(v.Type());
    }
    EXPECT_EQ(RoundTrip(Variant(std::string("a\0b", 3))).RawText().size(), 3u);
}

TEST(VariantCodec, ArraysKeepBoundsNestingAndTwoDimensions) {
    Variant rows = plat::VarArrayOf(
        {plat::VarArrayOf({"TH001", 1}), plat::VarArrayOf({Variant::Null(), 2.5})});
    Variant back = RoundTrip(rows);
    ASSERT_TRUE(back.IsArray());
    EXPECT_EQ(back[1][1].AsFloat(), 2.5);
    EXPECT_TRUE(back[1][0].IsNull());

    Variant odd = Variant::CreateArray({3, 5}, VarType::OleStr);
    odd[4] = Variant::Wide("x");
    back = RoundTrip(odd);
    EXPECT_EQ(back.LowBound(), 3);
    EXPECT_EQ(back.HighBound(), 5);
    EXPECT_EQ(back.ArrayElemType(), VarType::OleStr);

    Variant grid = Variant::CreateArray(std::vector<plat::VarArrayBound>{{0, 1}, {0, 2}});
    grid.At(1, 2) = "v";
    back = RoundTrip(grid);
    EXPECT_EQ(back.DimCount(), 2);
    EXPECT_EQ(back.At(1, 2).AsString(), "v");

    Variant empty = Variant::CreateArray({0, -1});
    EXPECT_EQ(RoundTrip(empty).ArrayCount(), 0);
}

TEST(VariantCodec, MalformedInputGivesClearErrors) {
    std::string good = EncodeWireValue(plat::VarArrayOf({"abc", 1, plat::VarArrayOf({2.0})}));
    // Every truncation is refused with a CodecError, never a crash.
    for (size_t n = 0; n < good.size(); ++n) {
        EXPECT_THROW(DecodeWireValue(good.substr(0, n)), CodecError) << n;
    }
    EXPECT_THROW(DecodeWireValue(good + "x"), CodecError);              // bytes left over
    EXPECT_THROW(DecodeWireValue(std::string(1, '\x7f')), CodecError);  // unknown tag

    // A text claiming more bytes than there are.
    std::string liar = EncodeWireValue(Variant("abc"));
    liar[1] = '\xff';
    try {
        DecodeWireValue(liar);
        FAIL();
    } catch (const CodecError& e) {
        EXPECT_NE(std::string(e.what()).find("Malformed frame"), std::string::npos);
    }
    // An array claiming a billion elements in a few bytes.
    std::string huge = EncodeWireValue(Variant::CreateArray({0, 0}));
    huge[8] = '\x3f';
    huge[7] = '\xff';
    EXPECT_THROW(DecodeWireValue(huge), CodecError);

    // Nesting deeper than the limit.
    Variant deep = Variant(1);
    for (int i = 0; i < kMaxNesting + 2; ++i) deep = plat::VarArrayOf({deep});
    EXPECT_THROW(EncodeWireValue(deep), CodecError);
    std::string deepBytes;
    for (int i = 0; i < kMaxNesting + 2; ++i)
        deepBytes += std::string("\x80\x0c\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00", 12);
    deepBytes += std::string("\x03\x01\0\0\0\0\0\0\0", 9);
    EXPECT_THROW(DecodeWireValue(deepBytes), CodecError);
}

TEST(VariantCodec, FramesCarryTheirLength) {
    std::string f = EncodeFrame(Variant("x"));
    EXPECT_EQ(FrameLength(f.data()), f.size() - 4);
    EXPECT_EQ(DecodeWireValue(f.substr(4)).AsString(), "x");
    const char tooBig[4] = {'\xff', '\xff', '\xff', '\x7f'};
    EXPECT_THROW(FrameLength(tooBig), CodecError);
    const char zero[4] = {0, 0, 0, 0};
    EXPECT_THROW(FrameLength(zero), CodecError);
}

TEST(VariantCodec, BoundsAtTheEndsOfTheIntRangeAreRefused) {
    // Counting up to INT_MAX, down from INT_MIN or past an int-sized count
    // would overflow; each is refused as malformed.
    const std::string refused[] = {
        ArrayHeader({{INT_MAX, INT_MAX}}) + kOneInteger,
        ArrayHeader({{INT_MAX - 1, INT_MAX}}) + kOneInteger + kOneInteger,
        ArrayHeader({{INT_MIN, INT_MIN}}) + kOneInteger,
        ArrayHeader({{0, -1}, {INT_MIN + 1, INT_MAX - 1}}),
        ArrayHeader({{INT_MIN + 1, INT_MAX - 1}, {0, -1}}),
    };
    for (const std::string& bytes : refused) EXPECT_THROW(DecodeWireValue(bytes), CodecError);
    // No rows of a long width: empty, and nothing to read.
    Variant wide = DecodeWireValue(ArrayHeader({{0, -1}, {1, INT_MAX - 1}}));
    EXPECT_EQ(wide.DimCount(), 2);
    EXPECT_EQ(wide.HighBound(2), INT_MAX - 1);
    EXPECT_TRUE(wide.Items().empty());
    // Ordinary bounds away from zero still travel.
    Variant near =
        DecodeWireValue(ArrayHeader({{INT_MAX - 2, INT_MAX - 1}}) + kOneInteger + kOneInteger);
    EXPECT_EQ(near[INT_MAX - 1].AsInteger(), 1);
}

TEST(VariantCodec, ElementsBeyondTheLimitAreRefusedBeforeTheyAreMade) {
    // Each element takes a byte on the wire and a whole variant in memory:
    // the count is capped, not just held to the bytes at hand.
    const int32_t n = (int32_t)kMaxElements + 1;
    std::string bytes = ArrayHeader({{0, n - 1}}) + std::string((size_t)n, '\0');
    EXPECT_THROW(DecodeWireValue(bytes), CodecError);
    // Arrays nested in arrays count together.
    const int32_t half = (int32_t)kMaxElements / 2 + 1;
    std::string inner = ArrayHeader({{0, half - 1}}) + std::string((size_t)half, '\0');
    EXPECT_THROW(DecodeWireValue(ArrayHeader({{0, 1}}) + inner + inner), CodecError);
    // The sender refuses such a value too (arrays sharing one inner array,
    // so that the test itself stays small).
    Variant row = Variant::CreateArray({0, 2048});
    Variant rows = Variant::CreateArray({0, 2048});
    for (int i = 0; i <= 2048; ++i) rows[i] = row;
    EXPECT_THROW(EncodeWireValue(rows), CodecError);
}

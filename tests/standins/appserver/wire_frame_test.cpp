#include "standins/appserver/wire_frame.h"

#include <gtest/gtest.h>

#include <climits>

using namespace standin;
using plat::Variant;
using plat::VarType;

namespace {

Variant RoundTrip(const Variant& v) {
    return DecodeWireValue(EncodeWireValue(v));
}

}  // namespace

TEST(WireFrame, ScalarsKeepTypeAndValue) {
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

TEST(WireFrame, ArraysKeepBoundsNestingAndTwoDimensions) {
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

TEST(WireFrame, MalformedInputGivesClearErrors) {
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
    // Nesting deeper than the codec takes is refused when sending.
    Variant deep = Variant(1);
    for (int i = 0; i < 40; ++i) deep = plat::VarArrayOf({deep});
    EXPECT_THROW(EncodeWireValue(deep), CodecError);
}

TEST(WireFrame, FramesCarryTheirLength) {
    std::string f = EncodeFrame(Variant("x"));
    EXPECT_EQ(FrameLength(f.data()), f.size() - 4);
    EXPECT_EQ(DecodeWireValue(f.substr(4)).AsString(), "x");
    const char tooBig[4] = {'\xff', '\xff', '\xff', '\x7f'};
    EXPECT_THROW(FrameLength(tooBig), CodecError);
    const char zero[4] = {0, 0, 0, 0};
    EXPECT_THROW(FrameLength(zero), CodecError);
}

#include "platform/core/variant.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"

using namespace plat;

TEST(Variant, EmptyNullAndEmptyTextDiffer) {
    Variant e, n = Variant::Null(), s("");
    EXPECT_TRUE(e.IsEmpty());
    EXPECT_TRUE(n.IsNull());
    EXPECT_FALSE(s.IsEmptyOrNull());
    EXPECT_NE(n, e);
    EXPECT_EQ(e, s);  // Unassigned compares as the empty text
    EXPECT_TRUE(VarIsBlank(Variant("  ")));
}

TEST(Variant, ConversionsFollowPlatformRules) {
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant("42").AsInteger(), 42);
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);  // banker's rounding
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant(0.1 + 0.2).AsString(), "0.3");
    EXPECT_EQ(Variant(1e15).AsString(), "1E15");
    EXPECT_EQ(Variant(0.0001).AsString(), "0.0001");
    EXPECT_EQ(Variant(1e-5).AsString(), "1E-5");
    EXPECT_EQ(Variant(-123.5).AsString(), "-123.5");
    EXPECT_DOUBLE_EQ(Variant::Currency(1.23456).AsFloat(), 1.2346);
    EXPECT_THROW(Variant("abc").AsInteger(), EVariantError);
    EXPECT_THROW(Variant::Null().AsString(), EVariantError);
    EXPECT_EQ(VarToStr(Variant::Null()), "");
    EXPECT_EQ(VarToIntDef(Variant("x"), 7), 7);
}

TEST(Variant, ComparesNumbersAgainstText) {
    EXPECT_EQ(Variant(8000), Variant("8000"));
    EXPECT_LT(Variant::Compare(Variant(7999), Variant(8000)), 0);
    EXPECT_GT(Variant::Compare(Variant("b"), Variant("a")), 0);
    EXPECT_NE(Variant("abc"), Variant(1));
}

TEST(Variant, ArraysAreCopiedByValue) {
    Variant a = VarArrayCreate({0, 2});
    a[0] = 1;
    Variant b = a;
    b[0] = 2;
    EXPECT_EQ(a[0].AsInteger(), 1);
    EXPECT_EQ(b[0].AsInteger(), 2);
    EXPECT_THROW(a[3], EVariantError);
}

TEST(Variant, TwoDimensionalRedimKeepsCells) {
    Variant a = VarArrayCreate({1, 2, 0, 1});
    a.At(1, 0) = "r1c0";
    a.At(2, 1) = "r2c1";
    a.Redim(3);
    EXPECT_EQ(a.HighBound(2), 3);
    EXPECT_EQ(a.At(1, 0).AsString(), "r1c0");
    EXPECT_EQ(a.At(2, 1).AsString(), "r2c1");
    EXPECT_TRUE(a.At(2, 3).IsEmpty());
    EXPECT_EQ(VarArrayDimCount(a), 2);
}

TEST(Variant, NestedArrays) {
    Variant rows = VarArrayOf({VarArrayOf({1, "a"}), VarArrayOf({2, "b"})});
    EXPECT_EQ(rows[1][1].AsString(), "b");
    EXPECT_EQ(rows.HighBound(1), 1);
}

// A byte array made from bytes is the array made element by element: the
// same bounds, elements, equality, and a copy that changes leaves it alone.
TEST(Variant, ByteArrayFromBytesReadsAsItsElements) {
    const std::string bytes("\x00\x7f\x80\xff", 4);
    Variant each = VarArrayCreate({0, 3}, VarType::Byte);
    for (int i = 0; i < 4; ++i) each[i] = Variant::Integer(VarType::Byte, (unsigned char)bytes[i]);
    const Variant packed = Variant::ByteArray(bytes);
    EXPECT_EQ(packed.VType(), each.VType());
    EXPECT_EQ(packed.HighBound(), 3);
    EXPECT_EQ(packed, each);
    EXPECT_EQ(each, packed);
    Variant copy = packed;
    copy[1] = Variant::Integer(VarType::Byte, 1);
    EXPECT_NE(copy, packed);
    EXPECT_NE(packed, copy);
    ASSERT_NE(packed.PackedBytes(), nullptr);
    EXPECT_EQ(*packed.PackedBytes(), bytes);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(packed[i].Type(), VarType::Byte);
        EXPECT_EQ(packed[i].RawInt(), (unsigned char)bytes[i]);
    }
    EXPECT_EQ(packed.Items(), each.Items());
    EXPECT_EQ(Variant::ByteArray("").HighBound(), -1);
}

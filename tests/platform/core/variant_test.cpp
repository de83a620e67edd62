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

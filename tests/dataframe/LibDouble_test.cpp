#include "dataframe/LibDouble.h"

#include <gtest/gtest.h>

#include "lines_fixture.h"

using namespace ktrb;
using namespace ktrb::testing;

namespace {

struct NumberCase {
    std::vector<std::string> numbers;
    std::string next;
};

class NextLineNumberTest : public LinesTest, public ::testing::WithParamInterface<NumberCase> {};

}  // namespace

// Walked in the clone's own order and searched from the ends of an order by
// the line number: the two give the same number.
TEST_P(NextLineNumberTest, LargestPlusOneZeroPadded) {
    for (const std::string& n : GetParam().numbers) Add({n, "ITEM"});
    Clone();
    EXPECT_EQ(NextLineNumber(clone.get(), "TI003"), GetParam().next) << "walk";
    EXPECT_TRUE(clone->Eof());
    clone->SetIndexFieldNames("TI003");
    EXPECT_EQ(NextLineNumber(clone.get(), "TI003"), GetParam().next) << "search";
    EXPECT_TRUE(clone->Eof());
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NextLineNumberTest,
    ::testing::Values(NumberCase{{"0001", "0002", "0005"}, "0006"},          // gaps are not filled
                      NumberCase{{}, "0001"}, NumberCase{{"00A1"}, "0001"},  // not a number: 0
                      NumberCase{{"0003", "00A1", "ZZZZ"}, "0004"},
                      NumberCase{{"0005", "9"}, "0010"},  // an unpadded number still counts
                      NumberCase{{"0005", "0011", "12"}, "0013"},
                      NumberCase{{"0002", " 12"}, "0013"}, NumberCase{{"0002", "+7"}, "0008"},
                      NumberCase{{"0040", "$7F"}, "0128"}, NumberCase{{"0100", "0xFF"}, "0256"},
                      NumberCase{{"-5", ""}, "0001"},
                      NumberCase{{"0100", "0099", "", "00A1", "0042"}, "0101"}));

TEST_F(LinesTest, NextLineNumberRefusedWhenTheFieldIsFull) {
    Add({{"9998", "A"}});
    Clone();
    EXPECT_EQ(NextLineNumber(clone.get(), "TI003"), "9999");
    Add({{"9999", "B"}});
    // "10000" cut to four characters would be "1000", a line that may exist.
    for (const char* order : {"", "TI003"}) {
        clone->SetIndexFieldNames(order);
        EXPECT_THROW(NextLineNumber(clone.get(), "TI003"), ELineNumberOverflow) << order;
    }
}

TEST_F(LinesTest, NextLineNumberOfAMissingFieldIsEmpty) {
    Add({{"0001", "A"}});
    std::string text = "stale";
    NextLineNumber(lines.get(), "TI999", text);
    EXPECT_EQ(text, "");
}

TEST_F(LinesTest, NextLineNumberOfANumericFieldIsNotPadded) {
    plat::TClientDataSet set;
    set.FieldDefs().Add("LINE", plat::TFieldType::ftInteger);
    set.CreateDataSet();
    for (int n : {3, 12}) {
        set.Append();
        set.FieldByName("LINE")->SetAsInteger(n);
        set.Post();
    }
    EXPECT_EQ(NextLineNumber(&set, "LINE"), "13");
}

// ---- duplicate keys ---------------------------------------------------------

namespace {

class DuplicateKeyTest : public LinesTest, public ::testing::WithParamInterface<const char*> {
  protected:
    // The clone walked in its own order, or ordered by the key fields.
    void CloneInOrder() {
        Clone();
        clone->SetIndexFieldNames(GetParam());
    }
    bool Duplicate(const std::string& list = "TI004+TI010") {
        return HasDuplicateKey(clone.get(), lines->FieldByName("TI004"), list);
    }
};

}  // namespace

TEST_P(DuplicateKeyTest, EqualKeysAreDuplicatesOfEachOtherButNotOfThemselves) {
    Add({{"0001", "P", "L1"}, {"0002", "Q", "L1"}, {"0003", "P", "L1"}});
    CloneInOrder();
    ASSERT_TRUE(GoTo("0001"));
    EXPECT_TRUE(Duplicate());
    ASSERT_TRUE(GoTo("0003"));
    EXPECT_TRUE(Duplicate());
    ASSERT_TRUE(GoTo("0002"));
    EXPECT_FALSE(Duplicate());
    EXPECT_FALSE(Duplicate("TI004"));
    EXPECT_TRUE(Duplicate("TI010"));
}

TEST_P(DuplicateKeyTest, AnEmptyListChecksTheFieldAlone) {
    Add({{"0001", "P", "L1"}, {"0002", "P", "L2"}});
    CloneInOrder();
    ASSERT_TRUE(GoTo("0002"));
    EXPECT_TRUE(Duplicate(""));
    EXPECT_FALSE(Duplicate());
}

TEST_P(DuplicateKeyTest, AnEmptyFieldStillEndsItsPart) {
    Add({{"0001", "A", ""}, {"0002", "", "A"}});
    CloneInOrder();
    ASSERT_TRUE(GoTo("0002"));
    EXPECT_FALSE(Duplicate());
    Add({{"0003", "", "A"}});
    EXPECT_TRUE(Duplicate());
}

// A blank part (null or empty) and a part that is not a text still count
// in the key, whatever the cursor's order.
TEST_P(DuplicateKeyTest, BlankAndNumericPartsCountWhereverTheyStand) {
    Add({{"0001", "P", "", 5}, {"0002", "Q", "", 5}, {"0003", "P", "", 7}});
    ASSERT_TRUE(GoTo("0003"));
    lines->Edit();
    lines->FieldByName("TI010")->Clear();
    lines->Post();
    CloneInOrder();
    ASSERT_TRUE(GoTo("0001"));
    EXPECT_TRUE(Duplicate()) << "an empty lot and no lot read alike";
    EXPECT_FALSE(Duplicate("TI004+TI044+TI010"));
    lines->Edit();
    lines->FieldByName("TI044")->SetAsFloat(7);
    EXPECT_TRUE(Duplicate("TI004+TI044+TI010"));
    lines->Cancel();
}

// The checked record is told apart by identity: a position that coincides
// after the user re-sorted the lines proves nothing.
TEST_P(DuplicateKeyTest, HoldsAfterTheLinesAreResorted) {
    Add({{"0001", "P", "L1"}, {"0002", "Q", "L1"}});
    CloneInOrder();
    plat::TIndexDefs& defs = lines->IndexDefs();
    defs.Add("TI003", "TI003", plat::ixDescending).DescFields = "TI003";
    lines->SetIndexName("TI003");
    lines->First();
    ASSERT_EQ(lines->FieldByName("TI003")->AsString(), "0002");
    EXPECT_FALSE(Duplicate());
    lines->Last();
    EXPECT_FALSE(Duplicate());
}

TEST_P(DuplicateKeyTest, ARecordBeingInsertedMeetsEveryEqualKey) {
    Add({{"0001", "P", "L1"}, {"0002", "Q", "L1"}});
    CloneInOrder();
    ASSERT_TRUE(GoTo("0001"));
    lines->Insert();
    lines->FieldByName("TI003")->SetAsString("0003");
    lines->FieldByName("TI004")->SetAsString("P");
    lines->FieldByName("TI010")->SetAsString("L1");
    EXPECT_TRUE(Duplicate());
    lines->FieldByName("TI004")->SetAsString("R");
    EXPECT_FALSE(Duplicate());
    lines->Cancel();
}

TEST_P(DuplicateKeyTest, AnEditedRecordIsCheckedWithItsNewValues) {
    Add({{"0001", "P", "L1"}, {"0002", "Q", "L1"}});
    CloneInOrder();
    ASSERT_TRUE(GoTo("0002"));
    lines->Edit();
    lines->FieldByName("TI004")->SetAsString("P");
    EXPECT_TRUE(Duplicate());
    lines->FieldByName("TI004")->SetAsString("Q");
    EXPECT_FALSE(Duplicate());
    lines->Cancel();
}

INSTANTIATE_TEST_SUITE_P(Orders, DuplicateKeyTest,
                         ::testing::Values("", "TI004;TI010", "TI004;TI044;TI010"));

TEST_F(LinesTest, RecordKeyTextEndsEveryPartWithATab) {
    Add({{"0001", "A", ""}});
    EXPECT_EQ(RecordKeyText(lines.get(), "TI004+TI010+TI003"), "A\t\t0001\t");
}

// ---- structure and clones ---------------------------------------------------

TEST(LibDoubleStructure, CopiesTheDataFieldsAndLeavesNestedOnesOut) {
    plat::TComponent owner;
    plat::TClientDataSet source(&owner);
    source.FieldDefs().Add("MB001", plat::TFieldType::ftString, 4);
    source.FieldDefs().Add("QTY", plat::TFieldType::ftFloat);
    plat::TFieldDef& nested = source.FieldDefs().Add("qryFoot", plat::TFieldType::ftDataSet);
    nested.ChildDefs().Add("SN", plat::TFieldType::ftString, 10);
    source.CreateDataSet();
    source.Append();
    source.FieldByName("MB001")->SetAsString("5901");
    source.Post();

    plat::TClientDataSet* copy = nullptr;
    EXPECT_TRUE(CopyDataSetStructure(&owner, &source, copy));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Owner(), &owner);
    EXPECT_TRUE(copy->Active());
    EXPECT_EQ(copy->RecordCount(), 0);
    ASSERT_EQ(copy->FieldCount(), 2);
    EXPECT_EQ(copy->FieldByName("MB001")->Size(), 4);
    EXPECT_EQ(copy->FieldByName("QTY")->DataType(), plat::TFieldType::ftFloat);
    EXPECT_EQ(copy->FindField("qryFoot"), nullptr);

    // A given destination is rebuilt the same way.
    EXPECT_TRUE(CopyDataSetStructure(&owner, &source, copy));
    EXPECT_EQ(copy->FieldCount(), 2);
}

TEST_F(LinesTest, CloneCursorSafeAnswersFalseInsteadOfRaising) {
    plat::TClientDataSet closed;
    EXPECT_FALSE(CloneCursorSafe(&closed, clone.get()));
    Add({{"0001", "A"}});
    EXPECT_TRUE(CloneCursorSafe(lines.get(), clone.get()));
    EXPECT_EQ(clone->RecordCount(), 1);
}

// ---- values by decimals -----------------------------------------------------

namespace {

struct DecimalsCase {
    double stored;
    int decimals;
    double read;
};

class ValueByDecimalsTest : public LinesTest, public ::testing::WithParamInterface<DecimalsCase> {};

}  // namespace

TEST_P(ValueByDecimalsTest, Reads) {
    Add({{"0001", "A", "", GetParam().stored}});
    EXPECT_DOUBLE_EQ(ValueByDecimals(lines->FieldByName("TI044"), GetParam().decimals),
                     GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(Counts, ValueByDecimalsTest,
                         ::testing::Values(DecimalsCase{2.5, 0, 3}, DecimalsCase{-2.5, 0, -3},
                                           DecimalsCase{-3.7, -2, -3}, DecimalsCase{3.7, -2, 3},
                                           DecimalsCase{1.23456, -1, 1.23456},
                                           DecimalsCase{1.23456, 2, 1.23},
                                           DecimalsCase{0.125, 2, 0.13}, DecimalsCase{7.5, -3, 0}));

TEST_F(LinesTest, ValueByDecimalsOfNullIsZero) {
    lines->Append();
    lines->FieldByName("TI003")->SetAsString("0001");
    lines->Post();
    EXPECT_EQ(ValueByDecimals(lines->FieldByName("TI044"), -1), 0);
}

TEST_F(LinesTest, SetValueByDecimalsWritesThroughReadOnly) {
    Add({{"0001", "A", "", 1}});
    plat::TField* f = lines->FieldByName("TI044");
    f->SetReadOnly(true);
    struct Case {
        int decimals;
        double value, stored;
    };
    for (const Case& c : {Case{2, 3.14159, 3.14}, Case{0, -2.5, -3}, Case{-2, -3.7, -3},
                          Case{-1, 1.23456, 1.23456}}) {
        lines->Edit();
        SetValueByDecimals(f, c.decimals, c.value);
        lines->Post();
        EXPECT_DOUBLE_EQ(f->AsFloat(), c.stored) << c.decimals;
        EXPECT_TRUE(f->ReadOnly());
    }
    lines->Edit();
    SetValueByDecimals(f, -3, 99);
    lines->Post();
    EXPECT_DOUBLE_EQ(f->AsFloat(), 1.23456);  // -3 writes nothing
}

#include "dataframe/KnlDouble.h"

#include <gtest/gtest.h>

#include "lines_fixture.h"

using namespace ktrb;
using namespace ktrb::testing;
using plat::Variant;

namespace {

Variant Four(Variant a, Variant b = 0, Variant c = 0, Variant d = 0) {
    return plat::VarArrayOf({a, b, c, d});
}
const Variant kNames = plat::VarArrayOf({"TI044", "TI045", "TI044", "TI045"});

class TailfixTest : public LinesTest {};

}  // namespace

TEST_F(TailfixTest, ResidueGoesOnTheFirstOfTheLargestLines) {
    Add({{"0001", "A", "", 10}, {"0002", "B", "", -25}, {"0003", "C", "", 25}});
    Variant residues = Four(0.01);
    EXPECT_TRUE(Tailfix(lines.get(), residues, kNames));
    std::vector<double> a = Amounts();
    EXPECT_DOUBLE_EQ(a[0], 10);
    EXPECT_DOUBLE_EQ(a[1], -24.99);
    EXPECT_DOUBLE_EQ(a[2], 25);
    EXPECT_EQ(residues[0].AsFloat(), 0);
}

TEST_F(TailfixTest, AResidueThatWouldTurnTheSignIsCarriedToTheNextLine) {
    Add({{"0001", "A", "", 3}, {"0002", "B", "", 5}});
    Variant residues = Four(-7);
    EXPECT_TRUE(Tailfix(lines.get(), residues, kNames));
    std::vector<double> a = Amounts();
    EXPECT_DOUBLE_EQ(a[0], 1);  // 3 - 2, in the second pass
    EXPECT_DOUBLE_EQ(a[1], 0);  // 5 - 7 would be negative
}

TEST_F(TailfixTest, EveryResidueGoesOnTheLineOfTheFirstOne) {
    Add({{"0001", "A", "", 10}, {"0002", "B", "", 40}});
    Variant residues = plat::VarArrayOf({"", "0.02", 0, 0});
    ASSERT_TRUE(lines->Locate("TI003", Variant("0001")));
    lines->Edit();
    lines->FieldByName("TI045")->SetAsFloat(5);  // the largest of TI045, pending
    lines->Post();
    EXPECT_TRUE(Tailfix(lines.get(), residues, kNames));
    EXPECT_DOUBLE_EQ(Amounts("TI045")[0], 5.02);
    EXPECT_EQ(residues[1].AsString(), "0");  // a text residue stays a text
}

TEST_F(TailfixTest, NothingToPlaceChangesNothing) {
    Add({{"0001", "A", "", 10}});
    Variant residues = Four(0, "0", "", 0);
    EXPECT_TRUE(Tailfix(lines.get(), residues, kNames));
    EXPECT_EQ(lines->ChangeCount(), 1);  // the line's own insert only
    EXPECT_DOUBLE_EQ(Amounts()[0], 10);
}

// An empty set has no line for the residue: nothing is written (an edit
// there would insert a line) and the residue is reported as not placed.
TEST_F(TailfixTest, AnEmptySetTakesNothingAndReportsTheResidue) {
    Variant residues = Four(0.01);
    EXPECT_FALSE(Tailfix(lines.get(), residues, kNames));
    EXPECT_EQ(lines->RecordCount(), 0);
    EXPECT_DOUBLE_EQ(residues[0].AsFloat(), 0.01);
    Variant none = Four(0);
    EXPECT_TRUE(Tailfix(lines.get(), none, kNames));
}

TEST_F(TailfixTest, ValidationIsDetachedAndReadOnlyLiftedForTheWrite) {
    Add({{"0001", "A", "", 10}});
    plat::TField* f = lines->FieldByName("TI044");
    int validations = 0;
    f->OnValidate = [&](plat::TField*) { ++validations; };
    f->SetReadOnly(true);
    lines->Append();  // a pending line is posted first and takes part
    lines->FieldByName("TI003")->SetAsString("0002");
    f->SetReadOnly(false);
    f->SetAsFloat(-20);
    f->SetReadOnly(true);
    validations = 0;
    Variant residues = Four(0.5);
    EXPECT_TRUE(Tailfix(lines.get(), residues, kNames));
    EXPECT_EQ(validations, 0);
    EXPECT_TRUE(f->ReadOnly());
    EXPECT_EQ(lines->State(), plat::dsBrowse);
    EXPECT_DOUBLE_EQ(Amounts()[1], -19.5);
    EXPECT_FALSE(lines->ControlsDisabled());
}

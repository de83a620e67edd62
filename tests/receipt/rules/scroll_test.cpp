// The line scroll rules: read-only states of the line fields and the
// receipt form's controls, by line, document type and form mode.
#include "receipt_fixture.h"

namespace ktrb::test {
namespace {

class ScrollTest : public DemoReceipt {
  protected:
    ScrollTest() { catalogue->Answer("INVMB", "04", {Variant("")}); }
    void Scroll() { dm->cdsBody1AfterScroll(dm->cdsBody1); }
    bool RO(const char* name) { return dm->LineField(name)->ReadOnly(); }
    // Receipt 5901-20240112001 with a second line: 0001 (C3001), 0002 (A1002-02).
    void TwoLines() {
        EditReceipt("5901", "20240112001");
        AddLine(
            {{"TI004", "A1002-02"}, {"TI009", "W01"}, {"TI015", ""}, {"TI013", ""}, {"TI014", ""}});
        head().Post();
    }
};

TEST_F(ScrollTest, ALineWithAReceivedQuantityKeepsItsInspectionState) {
    GoToReceipt("5901", "20240108001");
    Scroll();
    EXPECT_TRUE(RO("TI035"));
    EXPECT_TRUE(form->inspectionEditReadOnly);
    SetL("TI007", "0");
    Scroll();
    EXPECT_FALSE(RO("TI035"));
    EXPECT_FALSE(form->inspectionEditReadOnly);
}

TEST_F(ScrollTest, LeavingARestrictedLineGivesBackTheRecordedStates) {
    TwoLines();
    form->inspectionKeys = std::make_unique<plat::TStringList>();
    form->inspectionKeys->Add("0001");
    lines().Last();
    ASSERT_NE(dm->ReadOnlySnapshot, nullptr);
    const std::string snapshot = dm->ReadOnlySnapshot->Text();
    ASSERT_FALSE(RO("TI007"));

    lines().First();
    EXPECT_EQ(dm->cdsBody1->Tag, 1);
    EXPECT_TRUE(RO("TI007"));
    EXPECT_TRUE(RO("TI028"));
    EXPECT_FALSE(RO("TI024"));
    EXPECT_FALSE(RO("TI040"));

    lines().Last();
    EXPECT_EQ(dm->cdsBody1->Tag, 0);
    EXPECT_EQ(dm->ReadOnlySnapshot->Text(), snapshot);  // recorded once
    for (const char* name : {"TI007", "TI028", "TI055", "TI040", "TI048"})
        EXPECT_EQ(RO(name), dm->ReadOnlySnapshot->Values(name) == "1") << name;
}

TEST_F(ScrollTest, MovingBetweenRestrictedLinesDoesNotLockAgain) {
    TwoLines();
    form->inspectionKeys = std::make_unique<plat::TStringList>();
    form->inspectionKeys->Add("0001");
    form->inspectionKeys->Add("0002");
    lines().First();
    ASSERT_TRUE(RO("TI007"));
    dm->LineField("TI007")->SetReadOnly(false);
    lines().Last();
    EXPECT_EQ(dm->cdsBody1->Tag, 1);
    EXPECT_FALSE(RO("TI007"));
}

TEST_F(ScrollTest, OutsideEditModeNoSnapshotIsTakenAndNoLineIsLocked) {
    form->inspectionKeys = std::make_unique<plat::TStringList>();
    form->inspectionKeys->Add("0001");
    for (TFormMode mode : {TFormMode::Browse, TFormMode::Add}) {
        form->mode = mode;
        GoToReceipt("5901", "20240112001");
        Scroll();
        EXPECT_EQ(dm->ReadOnlySnapshot, nullptr);
        EXPECT_EQ(dm->cdsBody1->Tag, 0);
        EXPECT_FALSE(RO("TI028"));
    }
}

TEST_F(ScrollTest, AConfirmedLineLocksTheGridInEveryMode) {
    struct Case {
        TFormMode mode;
        const char* receipt;
        bool before, after;
    };
    const Case cases[] = {
        {TFormMode::Browse, "20240108001", false, true},
        {TFormMode::Edit, "20240108001", false, true},
        {TFormMode::Add, "20240108001", false, true},
        {TFormMode::Browse, "20240112001", true, true},
        {TFormMode::Edit, "20240112001", true, false},
        {TFormMode::Add, "20240112001", true, false},
    };
    for (const Case& c : cases) {
        form->mode = c.mode;
        GoToReceipt("5901", c.receipt);
        form->gridLocked = c.before;
        Scroll();
        EXPECT_EQ(form->gridLocked, c.after) << (int)c.mode << " " << c.receipt;
    }
}

TEST_F(ScrollTest, TheAmountButtonStaysOnlyForAConfirmedLineWhileBrowsing) {
    struct Case {
        TFormMode mode;
        const char* receipt;
        bool enabled;
    };
    const Case cases[] = {{TFormMode::Browse, "20240108001", true},
                          {TFormMode::Browse, "20240112001", false},
                          {TFormMode::Edit, "20240108001", false}};
    for (const Case& c : cases) {
        form->mode = c.mode;
        GoToReceipt("5901", c.receipt);
        form->moneyButton = true;
        Scroll();
        EXPECT_EQ(form->moneyButton, c.enabled) << c.receipt;
    }
    GoToReceipt("5901", "20240108001");
    form->mode = TFormMode::Browse;
    form->moneyButton = false;  // the form's own logic disabled it
    Scroll();
    EXPECT_FALSE(form->moneyButton);
}

TEST_F(ScrollTest, AFormalItemLineGetsItsLookupTextsAndQueries) {
    GoToReceipt("5902", "20240205001");  // an arrival line on a type that checks inspections
    form->queryMenu = false;
    Scroll();
    EXPECT_TRUE(form->queryMenu);
    EXPECT_EQ(form->hints["cboTI004G"], "L0->L4->L3");
    EXPECT_EQ(form->hints["cboTI008G"], "L7");
    EXPECT_EQ(form->hints["cboTI015G"], "L11");
    EXPECT_EQ(form->hints["cboTI009G"], "L8");
    EXPECT_EQ(form->hints["cboTI010G"], "L9");
    EXPECT_EQ(form->hints["cboTI054G"], "L10");
    EXPECT_EQ(form->hints["cboTI032G"], "L12");
    EXPECT_EQ(form->hints["cboTIC05G"], "L6");
    EXPECT_EQ(form->itemViewSource, "cdsBody1:TI004");
    for (const char* name : {"TI008", "TI015", "TI009", "TI023", "TI032", "TI049"})
        EXPECT_FALSE(RO(name)) << name;

    GoToReceipt("5901", "20240112001");
    form->hints.clear();
    Scroll();
    EXPECT_EQ(form->hints["cboTI004G"], "L0->L2->L3");
    EXPECT_EQ(form->hints.count("cboTIC05G"), 0u);
}

TEST_F(ScrollTest, AnEngineeringItemLineIsLocked) {
    GoToReceipt("5901", "20240112001");
    SetL("TIC01", "1");
    Scroll();
    EXPECT_FALSE(form->queryMenu);
    EXPECT_EQ(form->hints["cboTI004G"], "L1->L2");
    for (const char* name : {"TI049", "TI011", "TI012", "TI016", "TI017", "TI050", "TI051", "TI057",
                             "TI008", "TI015", "TI009", "TI054", "TI023", "TI032"})
        EXPECT_TRUE(RO(name)) << name;
    SetL("TIC01", "2");
    Scroll();
    for (const char* name : {"TI049", "TI008", "TI015", "TI009", "TI023", "TI032"})
        EXPECT_FALSE(RO(name)) << name;
}

TEST_F(ScrollTest, InspectionInUseLocksTheInspectedQuantitiesOfAnInspectedLine) {
    form->qualityParam = "Y";
    GoToReceipt("5901", "20240108001");  // TI035 "2"
    Scroll();
    for (const char* name :
         {"TI019", "TI021", "TI022", "TI017", "TI051", "TI050", "TI056", "TI057", "TI062"})
        EXPECT_TRUE(RO(name)) << name;
    GoToReceipt("5901", "20240112001");  // TI035 "0"
    Scroll();
    for (const char* name :
         {"TI019", "TI021", "TI022", "TI017", "TI051", "TI050", "TI056", "TI057", "TI062"})
        EXPECT_FALSE(RO(name)) << name;
}

TEST_F(ScrollTest, DatesAndLotFollowTheItemsSettings) {
    GoToReceipt("5901", "20240112001");  // C3001: no lot, no dates
    Scroll();
    for (const char* name : {"TI054", "TI011", "TI012", "TI010"}) EXPECT_TRUE(RO(name)) << name;
    SetLines({{"TI004C10", "Y"}, {"TI004C", "Y"}});
    Scroll();
    for (const char* name : {"TI054", "TI011", "TI012", "TI010"}) EXPECT_FALSE(RO(name)) << name;
}

}  // namespace
}  // namespace ktrb::test

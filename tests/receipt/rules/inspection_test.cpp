// The inspection state of a line, the quantities it locks, and the locks of
// the lot and the validity dates.
#include "platform/core/numbers.h"
#include "receipt_fixture.h"
#include "runtime/PropAccess.h"

namespace ktrb::test {
namespace {

class InspectionTest : public DemoReceipt {
  protected:
    InspectionTest() {
        GoToReceipt("5901", "20240112001");
        lines().Edit();
    }
    bool RO(const char* name) { return dm->LineField(name)->ReadOnly(); }
};

TEST_F(InspectionTest, TheStateFollowsTheQuantities) {
    struct Case {
        bool linked;
        const char* before;
        double received, accepted, scrapped, returned, destroyed;
        const char* after;
    };
    const Case cases[] = {
        {true, "1", 10, 10, 0, 0, 0, "2"},
        {true, "0", 10, 3, 0, 5, 0, "3"},
        {true, "4", 10, 10, 0, -1, 0, "4"},
        {false, "1", 10, 10, 0, 0, 0, "2"},
        {false, "2", 10, 0, 0, 0, 0, "1"},
        {false, "1", 10, 8, 2, 0, 0, "3"},
        {false, "1", 10, 7, 0, 0, 3, "2"},
        {false, "0", 10, 8, 2, 0, 0, "0"},
        {false, "4", 10, 0, 0, 0, 0, "4"},
        {false, "1", 0, 0, 0, 0, 0, "1"},
        {false, "3", 10, 10, 0, 0, 0, "2"},
        {false, "2", 10, 10, 1, 0, 0, "2"},
        // A residue of float arithmetic is no return.
        {true, "1", 10, 10, 0, 1e-12, 0, "2"},
    };
    for (const Case& c : cases) {
        SetLines({{"TIC02", c.linked ? "5A01" : ""},
                  {"TIC03", c.linked ? "20240201001" : ""},
                  {"TI035", c.before},
                  {"TI007", plat::FloatToStr(c.received)},
                  {"TI019", plat::FloatToStr(c.accepted)},
                  {"TI021", plat::FloatToStr(c.scrapped)},
                  {"TI022", plat::FloatToStr(c.returned)},
                  {"TI056", plat::FloatToStr(c.destroyed)}});
        dm->DeriveInspectionState();
        EXPECT_EQ(L("TI035"), c.after)
            << (c.linked ? "linked " : "") << c.before << " " << c.received << "/" << c.accepted
            << "/" << c.scrapped << "/" << c.returned << "/" << c.destroyed;
    }
}

TEST_F(InspectionTest, WithInspectionInUseTheStateLocksTheInspectedQuantities) {
    const char* quantities[] = {"TI019", "TI021", "TI022", "TI017", "TI051",
                                "TI050", "TI056", "TI057", "TI062"};
    SetFieldText(dm->LineField("TI035"), "1");
    for (const char* name : quantities)  // inspection not in use: the states stay as designed
        EXPECT_EQ(RO(name), std::string(name) == "TI062") << name;

    form->qualityParam = "Y";
    SetFieldText(dm->LineField("TI035"), "1");
    for (const char* name : quantities) EXPECT_TRUE(RO(name)) << name;
    SetFieldText(dm->LineField("TI035"), "0");
    for (const char* name : quantities) EXPECT_FALSE(RO(name)) << name;
}

TEST_F(InspectionTest, TheLotIsLockedForItemsWithoutLotsAndForConfiguredWorkOrders) {
    struct Case {
        const char* lots;
        const char* scheme;
        const char* dates;
        bool lotLocked, datesLocked;
    };
    const Case cases[] = {{"N", "", "Y", true, false},
                          {"Y", "", "N", false, true},
                          {"Y", "CFG-STD", "N", true, true}};
    for (const Case& c : cases) {
        SetLines({{"TI004C", c.lots}, {"TA073C", c.scheme}, {"TI004C10", c.dates}});
        dm->ApplyLotAndDateLocks();
        EXPECT_EQ(RO("TI010"), c.lotLocked) << c.lots << c.scheme;
        EXPECT_EQ(RO("TI011"), c.datesLocked);
        EXPECT_EQ(RO("TI012"), c.datesLocked);
    }
}

TEST_F(InspectionTest, PackagingQuantitiesNeedAPackagingUnit) {
    SetLines({{"TI049", ""}, {"TI035", "0"}});
    dm->UpdatePackagingReadOnly();
    for (const char* name : {"TI016", "TI017", "TI050", "TI051", "TI057"})
        EXPECT_TRUE(RO(name)) << name;
    SetLines({{"TI049", "BAG"}, {"TI035", "1"}});
    form->qualityParam = "Y";
    dm->UpdatePackagingReadOnly();
    EXPECT_FALSE(RO("TI016"));
    for (const char* name : {"TI017", "TI050", "TI051", "TI057"}) EXPECT_TRUE(RO(name)) << name;
}

}  // namespace
}  // namespace ktrb::test

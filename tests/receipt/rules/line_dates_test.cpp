// Production date, storage location and stock quantity of a line.
#include "receipt_fixture.h"
#include "runtime/PropAccess.h"

namespace ktrb::test {
namespace {

class LineDatesTest : public DemoReceipt {
  protected:
    LineDatesTest() {
        EditReceipt("5901", "20240112001");
        lines().Edit();
    }
    // The item look-up of the dating method: shelf life [4] and re-inspection
    // [5] in months, method [72].
    void ItemDatedBy(const char* method, double shelfLife, double reinspection) {
        std::vector<Variant> item(72, Variant(""));
        item[3] = Variant(shelfLife);
        item[4] = Variant(reinspection);
        item[71] = Variant(method);
        catalogue->Answer("INVMB", "03", item);
    }
    // As the date editor writes it (the field is read-only for items without dates).
    void Produced(const std::string& date) { SetFieldText(dm->LineField("TI054"), date); }
};

TEST_F(LineDatesTest, MonthsCountToTheMonthsEnd) {
    struct Case {
        const char* produced;
        double shelfLife, reinspection;
        const char* expiry;
        const char* recheck;
    };
    const Case cases[] = {{"20240131", 1, 1, "20240131", "20240229"},
                          {"20240115", 3, 1, "20240331", "20240215"},
                          {"20231130", 3, 3, "20240131", "20240229"}};
    for (const Case& c : cases) {
        ItemDatedBy("2", c.shelfLife, c.reinspection);
        Produced(c.produced);
        EXPECT_EQ(L("TI011"), c.expiry) << c.produced;
        EXPECT_EQ(L("TI012"), c.recheck) << c.produced;
    }
}

TEST_F(LineDatesTest, OtherwiseTheLinesDayCountsApply) {
    ItemDatedBy("1", 6, 6);
    SetLines({{"TI011C", "30"}, {"TI012C", "7"}});
    Produced("20240220");
    EXPECT_EQ(L("TI011"), "20240321");
    EXPECT_EQ(L("TI012"), "20240227");
    // An item the master does not know counts days as well.
    catalogue->Answer("INVMB", "03", {});
    Produced("20240101");
    EXPECT_EQ(L("TI011"), "20240131");
}

TEST_F(LineDatesTest, ClearingTheDateOrAnEngineeringLineLeavesTheDates) {
    ItemDatedBy("2", 1, 1);
    Produced("20240131");
    Produced("");
    EXPECT_EQ(L("TI011"), "20240131");
    EXPECT_EQ(L("TI012"), "20240229");
    SetL("TIC01", "1");
    Produced("20240615");
    EXPECT_EQ(L("TI011"), "20240131");
}

TEST_F(LineDatesTest, AnInvalidProductionDateIsRefused) {
    EXPECT_REFUSED(*form, Produced("20240230"), "000005");
    EXPECT_EQ(L("TI054"), "");
}

TEST_F(LineDatesTest, TheStorageLocationMustBeOneOfTheWarehouses) {
    SetL("TI009", "W01");
    dm->LineField("TI060")->SetAsString("A-01-02");
    EXPECT_EQ(L("TI060"), "A-01-02");
    dm->LineField("TI060")->SetAsString(kNoLocation);
    EXPECT_EQ(L("TI060"), kNoLocation);
    dm->LineField("TI060")->SetAsString(kLocationsUnused);  // the mark is no location to check
    EXPECT_EQ(L("TI060"), kLocationsUnused);
    dm->LineField("TI060")->SetAsString(kNoLocation);
    EXPECT_REFUSED(*form, dm->LineField("TI060")->SetAsString("Z-99"), "000001");
    EXPECT_EQ(L("TI060"), kNoLocation);
    EXPECT_NE(form->messages.back().text.find("库位"), std::string::npos);
    // Without a warehouse any location passes.
    SetL("TI009", "");
    dm->LineField("TI060")->SetAsString("Z-99");
    EXPECT_EQ(L("TI060"), "Z-99");
}

TEST_F(LineDatesTest, WritingTheStockQuantityRunsNothing) {
    size_t asked = catalogue->calls.size();
    SetFieldText(dm->LineField("TI062"), "12");
    EXPECT_DOUBLE_EQ(LV("TI062"), 12);
    EXPECT_EQ(catalogue->calls.size(), asked);
}

}  // namespace
}  // namespace ktrb::test

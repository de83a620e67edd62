// The receipt's road through these rules on the demo database: a new receipt
// gets its defaults, its lines theirs, a line that breaks a post rule is
// refused with its message and stays in edit, a line that may not be deleted
// stays, the totals follow the lines, the scroll rules set the read-only
// states, and the receipt is saved and found again as entered.
#include "receipt_fixture.h"

namespace ktrb::test {
namespace {

class ReceiptRoad : public DemoReceipt {
  protected:
    ReceiptRoad() {
        catalogue->Answer("CMSMB", "02", {Variant("01"), Variant("苏州工厂")});
        catalogue->Answer("INVMB", "04", {Variant("")});  // no price control
    }
};

TEST_F(ReceiptRoad, AReceiptIsEnteredCheckedTotalledAndSaved) {
    form->mode = TFormMode::Add;
    head().Append();
    EXPECT_EQ(H("TH029"), dm->Today.substr(0, 8));
    EXPECT_EQ(H("TH004"), "01");
    EXPECT_EQ(H("TH007"), "RMB");
    EXPECT_EQ(H("TH023"), "N");
    // What the header rules would fill from the document type and supplier.
    for (auto [name, value] : {std::pair<const char*, const char*>{"TH001", "5901"},
                               {"TH002", "20240301001"},
                               {"TH001C1", "Y"},
                               {"TH005", "S001"},
                               {"TH030", "0.13"},
                               {"TH029", "20240301"}})
        SetH(name, value);

    lines().Append();
    EXPECT_EQ(L("TI003"), "0001");
    EXPECT_EQ(L("TI015"), kWholeWorkOrder);
    EXPECT_EQ(L("TI035"), "0");
    EXPECT_EQ(L("TI018"), "20240301");
    SetLines({{"TI004", "A1001-01"},
              {"TI013", "5201"},
              {"TI014", "20240105001"},
              {"TI009", "W01"},
              {"TI060", "A-01-01"},
              {"TI010", "L240108"},
              {"TI007", "100"},
              {"TI019", "100"},
              {"TI020", "100"},
              {"TI024", "12.5"},
              {"TI025", "1250"},
              {"TI044", "1250"},
              {"TI045", "162.5"},
              {"TI046", "1250"},
              {"TI047", "162.5"}});
    lines().Post();
    EXPECT_DOUBLE_EQ(HV("TH042"), 100);
    EXPECT_DOUBLE_EQ(HV("TH018"), 1250);
    // A serial number of the line: its line key comes with the nesting.
    dm->cdsFoot->Append();
    dm->cdsFoot->FieldByName("MB004")->SetAsString("SN-ROAD-0001");
    dm->cdsFoot->FieldByName("MB006")->SetAsString("A");
    dm->cdsFoot->Post();
    EXPECT_DOUBLE_EQ(HV("TH027C"), 1412.5);

    // The same work order, item and lot again on the strict document type.
    lines().Append();
    SetLines({{"TI004", "A1001-01"},
              {"TI013", "5201"},
              {"TI014", "20240105001"},
              {"TI009", "W01"},
              {"TI060", "A-01-01"},
              {"TI010", "L240108"},
              {"TI007", "5"}});
    EXPECT_REFUSED(*form, lines().Post(), "000002");
    EXPECT_EQ(lines().State(), plat::dsInsert);
    EXPECT_DOUBLE_EQ(LV("TI007"), 5);
    SetL("TI010", "L240109");
    lines().Post();
    EXPECT_EQ(L("TI003"), "0002");
    EXPECT_DOUBLE_EQ(HV("TH042"), 105);
    // Received goods fix the inspection state; the grid is open while adding.
    dm->LineField("TI035")->SetReadOnly(false);
    form->gridLocked = true;
    lines().First();
    EXPECT_TRUE(dm->LineField("TI035")->ReadOnly());
    EXPECT_FALSE(form->gridLocked);
    lines().Last();

    lines().Delete();
    EXPECT_EQ(lines().RecordCount(), 1);
    EXPECT_DOUBLE_EQ(HV("TH042"), 100);

    dm->ReapplyHeadKeyToBody();
    head().Post();
    ASSERT_TRUE(dm->ApplyData(dm->cdsMain));
    EXPECT_EQ(
        CountRows("MOCTI WHERE TI001 = '5901' AND TI002 = '20240301001' AND TI004 = 'A1001-01'"),
        1);
    EXPECT_EQ(
        CountRows("PSMMB WHERE MB001 = '5901' AND MB002 = '20240301001' AND MB003 = '0001' AND "
                  "MB004 = 'SN-ROAD-0001'"),
        1);
    EXPECT_EQ(CountRows("MOCTH WHERE TH001 = '5901' AND TH002 = '20240301001' AND TH042 = 100 AND "
                        "TH018 = 1250"),
              1);

    form->mode = TFormMode::Browse;
    head().Close();
    head().Open();
    GoToReceipt("5901", "20240301001");
    ASSERT_EQ(lines().RecordCount(), 1);
    EXPECT_EQ(L("TI010"), "L240108");
    EXPECT_DOUBLE_EQ(HV("TH027C"), 1412.5);
    EXPECT_EQ(H("TH004C"), "苏州工厂");

    // A confirmed line of another receipt stays.
    EditReceipt("5901", "20240108001");
    EXPECT_REFUSED(*form, lines().Delete(), "100310");
    EXPECT_EQ(lines().RecordCount(), 1);
}

}  // namespace
}  // namespace ktrb::test

#include "receipt/forms/Ktrb52EF.h"

#include <gtest/gtest.h>

#include "dataframe/knlBase.h"
#include "receipt/forms/work_order_fixture.h"

namespace ktrb::test {
namespace {

TEST(WorkOrderBarcode, SplitsTypeAndNumber) {
    struct Case {
        const char *barcode, *type, *number;
    } cases[] = {{"5201-20240110001", "5201", "20240110001"},
                 {"5201-20240110001-7", "5201", "20240110001"},
                 {"5201", "5201", ""},
                 {"-20240110001", "", "20240110001"},
                 {"", "", ""}};
    for (const Case& c : cases) {
        const TWorkOrderBarcode code = SplitWorkOrderBarcode(c.barcode);
        EXPECT_EQ(code.type, c.type) << c.barcode;
        EXPECT_EQ(code.number, c.number) << c.barcode;
        EXPECT_EQ(code.Complete(), *c.type && *c.number) << c.barcode;
    }
}

TEST_F(BarcodeTest, AScannedWorkOrderBecomesACompleteLineThatIsSaved) {
    // Without storage locations the line needs none to be saved.
    Start({{"SYS093", "N"}});
    NewReceipt("S002", "RMB", "1");
    Scan("5201-20240110001");
    ASSERT_EQ(dm->cdsBody1->RecordCount(), 1) << ::testing::PrintToString(form->messages);
    EXPECT_EQ(dm->cdsBody1->State(), plat::dsBrowse);
    struct Value {
        const char *field, *text;
    } values[] = {{"TI004", "C3001"},
                  {"TI004C12", "C3001"},
                  {"TI005", "电镀螺丝"},
                  {"TI008", "KG"},
                  {"TI009", "W02"},
                  {"TI010", "********************"},
                  {"TI013", "5201"},
                  {"TI014", "20240110001"},
                  {"TI015", "****"},
                  {"TI035", "0"},
                  {"TI037", "N"},
                  {"TI060", "##########"},
                  // Filled as a typed item and work order fill them.
                  {"TI004C2", "C3001"},
                  {"TI004C", "N"},
                  {"TI004C10", "N"}};
    for (const Value& v : values) EXPECT_EQ(Line(v.field)->AsString(), v.text) << v.field;
    EXPECT_FALSE(Line("TI009C")->AsString().empty());
    // 200 planned, none received; exempt from inspection: all accepted.
    EXPECT_DOUBLE_EQ(Line("TI007")->AsFloat(), 200);
    EXPECT_DOUBLE_EQ(Line("TI019")->AsFloat(), 200);
    EXPECT_DOUBLE_EQ(Line("TI020")->AsFloat(), 200);
    EXPECT_DOUBLE_EQ(Line("TI025")->AsFloat(), 200 * 20);
    EXPECT_DOUBLE_EQ(Line("TI004C3")->AsFloat(), 200);
    EXPECT_DOUBLE_EQ(Line("TI004C14")->AsFloat(), 5);
    EXPECT_NEAR(Line("TI004C11")->AsFloat(), 0.13, 1e-9);
    // Tax included at 13 %.
    EXPECT_NEAR(Line("TI044")->AsFloat() + Line("TI045")->AsFloat(), 4000, 1e-6);
    EXPECT_NEAR(Line("TI045")->AsFloat(), 460.18, 1e-6);

    ASSERT_TRUE(form->SaveDocument()) << ::testing::PrintToString(form->messages);
    const std::string where =
        " FROM MOCTI WHERE TI001='5901' AND TI002='" + Head("TH002")->AsString() + "'";
    EXPECT_EQ(Sql("SELECT TI004" + where), "C3001");
    EXPECT_EQ(Sql("SELECT CAST(TI019 AS INTEGER)" + where), "200");
}

TEST_F(BarcodeTest, ABadBarcodeIsRefusedAndBuildsNothing) {
    Start();
    NewReceipt("S002", "RMB", "1");
    struct Case {
        const char *barcode, *kind, *code;
    } cases[] = {
        {"20240110001", "E", "000032"},       // no type and number
        {"5201-20249999999", "E", "000032"},  // no such work order
        {"5201-20240215001", "E", "100140"},  // of another factory
        {"5201-20240105001", "E", "100141"},  // of another subcontractor
    };
    for (const Case& c : cases) {
        form->messages.clear();
        Scan(c.barcode);
        EXPECT_TRUE(Shown(c.kind, c.code)) << c.barcode << ::testing::PrintToString(form->messages);
        EXPECT_TRUE(dm->cdsBody1->IsEmpty()) << c.barcode;
    }
    // An empty barcode does not close the dialog.
    form->messages.clear();
    dialogs->Expect("TfrmKTRB52EF", [](plat::TCustomForm&) { return plat::mrOk; });
    form->btnGDToJHClick(form->btnGDToJH);
    EXPECT_TRUE(Shown("E", "000003"));
    EXPECT_TRUE(dm->cdsBody1->IsEmpty());
}

TEST_F(BarcodeTest, TheHeaderMustBeCompleteBeforeTheDialogOpens) {
    Start();
    NewReceipt("S002", "RMB", "1");
    SetFieldTextQuiet(Head("TH005"), "");
    form->btnGDToJHClick(form->btnGDToJH);
    EXPECT_TRUE(Shown("E", "H00031"));
    EXPECT_TRUE(dialogs->Shown().empty());
}

TEST_F(BarcodeTest, PictureInChinese) {
    Start();
    NewReceipt("S002", "RMB", "1");
    Scan("5201-20240110001", "barcode_dialog_chs.png");
}

TEST_F(BarcodeTest, PictureInEnglish) {
    Start({}, "437");
    NewReceipt("S002", "RMB", "1");
    Scan("5201-20240110001", "barcode_dialog_eng.png");
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

TEST_F(BarcodeTest, TheLineCountFollowsLinesBuiltByCode) {
    Start({{"SYS093", "N"}});
    NewReceipt("S002", "RMB", "1");
    Scan("5201-20240110001");
    ASSERT_EQ(dm->cdsBody1->RecordCount(), 1);
    EXPECT_EQ(form->Status->Panels()->Items(2)->Text(), "单身笔数");
    EXPECT_EQ(form->Status->Panels()->Items(3)->Text(), "1/1");
    dm->cdsBody1->Delete();
    EXPECT_EQ(form->Status->Panels()->Items(3)->Text(), "0/0");
}

// After a new receipt is saved the list still holds the queried receipts,
// with the new one among them and shown.
TEST_F(BarcodeTest, ASavedNewReceiptJoinsTheQueriedList) {
    Start({{"SYS093", "N"}});
    struct Case {
        const char *condition, *kept;
    } cases[] = {{"", "20240108001"}, {"MOCTH.TH005 = 'S001'", "20240108001"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        form->OpenDataSet(dm->cdsMain, c.condition, "");
        const int queried =
            (int)plat::VarToIntDef(dm->AppServer.AsDispatch()->Call("GetRecCount"), -1);
        ASSERT_GT(queried, 1);
        NewReceipt("S002", "RMB", "1");
        Scan("5201-20240110001");
        ASSERT_TRUE(form->SaveDocument()) << ::testing::PrintToString(form->messages);
        const std::string saved = Head("TH002")->AsString();
        EXPECT_FALSE(saved.empty());
        EXPECT_EQ(
            Sql("SELECT COUNT(*) FROM MOCTH WHERE TH001 = '5901' AND TH002 = '" + saved + "'"),
            "1");
        FetchMoreOrLast(dm->cdsMain);
        EXPECT_EQ(dm->cdsMain->RecordCount(), queried + 1);
        EXPECT_TRUE(dm->cdsMain->Locate("TH001;TH002", plat::VarArrayOf({"5901", c.kept})));
    }
}

}  // namespace
}  // namespace ktrb::test

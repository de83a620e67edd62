// The checks before a line is posted or deleted.
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "receipt_fixture.h"

namespace ktrb::test {
namespace {

using Values = std::initializer_list<std::pair<const char*, std::string>>;

// A second line like the first of receipt 5901-20240112001 (supplier S002,
// work order 5201-20240110001, unconfirmed).
const Values kSameAsFirstLine = {{"TI004", "C3001"},       {"TI013", "5201"},
                                 {"TI014", "20240110001"}, {"TI015", "****"},
                                 {"TI009", "W02"},         {"TI010", "********************"},
                                 {"TI060", "##########"},  {"TI024", "20"},
                                 {"TI020", "10"},          {"TI025", "200"}};

class LineRulesTest : public DemoReceipt {
  protected:
    LineRulesTest() {
        catalogue->Answer("INVMB", "04", {Variant("电镀螺丝")});  // no price control
        EditReceipt("5901", "20240112001");
    }
    void AppendLine(Values values) {
        lines().Append();
        SetLines(values);
    }
};

TEST_F(LineRulesTest, ADuplicateLineFollowsTheDocumentTypesCheckMode) {
    struct Case {
        const char* mode;
        const char* message;  // "" none
        bool posted;
    };
    for (const Case& c :
         {Case{"Y", "000002", false}, Case{"W", "000005", true}, Case{"N", "", true}}) {
        SetH("TH001C1", c.mode);
        form->messages.clear();
        AppendLine(kSameAsFirstLine);
        if (c.posted) {
            lines().Post();
            EXPECT_EQ(lines().RecordCount(), 2) << c.mode;
            lines().Delete();
        } else {
            EXPECT_REFUSED(*form, lines().Post(), c.message);
            EXPECT_EQ(lines().State(), plat::dsInsert);
            EXPECT_EQ(L("TI004"), "C3001");
            EXPECT_NE(form->messages.back().text.find("品号+工单单号+工艺+进货仓库+批号+库位"),
                      std::string::npos);
            lines().Cancel();
        }
        EXPECT_EQ(form->codes(),
                  *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{})
            << c.mode;
    }
}

TEST_F(LineRulesTest, WithoutAProcessLinesAreNotCheckedForDuplicates) {
    AppendLine(kSameAsFirstLine);
    SetL("TI015", "");
    lines().Post();
    EXPECT_TRUE(form->messages.empty());
}

TEST_F(LineRulesTest, AnArrivalNoteIsRequiredWhenTheDocumentTypeSaysSo) {
    SetH("MQC03C", "Y");
    lines().Edit();
    EXPECT_REFUSED(*form, lines().Post(), "C00044");
    EXPECT_EQ(lines().State(), plat::dsEdit);
}

TEST_F(LineRulesTest, TheArrivalLineMustExistAndCarryTheItem) {
    SetLines({{"TIC02", "5A01"}, {"TIC03", "20240201001"}, {"TIC04", "0001"}});
    catalogue->Answer("C", "83", {});
    EXPECT_REFUSED(*form, lines().Post(), "100061");
    const ScriptedCatalogue::Call* call = catalogue->Last("C", "83");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->keys[3].AsString(), "S002");

    SetH("MQC03C", "Y");
    catalogue->Answer("C", "83", {Variant("A1001-01")});
    EXPECT_REFUSED(*form, lines().Post(), "C00018");

    SetH("MQC04C", "Y");
    SetL("TIC05", "0001");
    catalogue->Answer("C", "83", {Variant("C3001")});
    catalogue->Answer("C", "84", {});
    EXPECT_REFUSED(*form, lines().Post(), "C00017");
    call = catalogue->Last("C", "84");
    ASSERT_NE(call, nullptr);
    ASSERT_EQ(call->keys.ArrayCount(), 13);
    EXPECT_EQ(call->keys[7].AsString(), "5901");
    EXPECT_EQ(call->keys[8].AsString(), "20240112001");
    EXPECT_EQ(call->keys[12].AsString(), "0001");

    catalogue->Answer("C", "84", {Variant("5A01"), Variant(480.0)});
    lines().Post();
    EXPECT_EQ(lines().State(), plat::dsBrowse);
}

TEST_F(LineRulesTest, TwoLinesMayNotTakeTheSameArrivalLine) {
    EditReceipt("5902", "20240205001");
    catalogue->Answer("C", "84", {Variant("5A01")});
    AppendLine({{"TI004", "A1001-01"},
                {"TIC02", "5A01"},
                {"TIC03", "20240201001"},
                {"TIC04", "0001"},
                {"TIC05", "0001"},
                {"TI015", ""},
                {"TI013", ""},
                {"TI014", ""}});
    EXPECT_REFUSED(*form, lines().Post(), "000002");
    EXPECT_NE(form->messages.back().text.find("委外到货单别+委外到货单号+委外到货序号+检验批次"),
              std::string::npos);
}

TEST_F(LineRulesTest, AFormalItemWithDatesNeedsItsProductionDate) {
    SetLines({{"TI004C10", "Y"}, {"TI054", ""}});
    EXPECT_REFUSED(*form, lines().Post(), "200091");
    // An engineering item needs none, nor a price check or an inspection batch.
    SetH("MQC04C", "Y");
    SetL("TIC01", "1");
    catalogue->calls.clear();
    catalogue->Answer("INVMB", "04",
                      {Variant(""), Variant(""), Variant(""), Variant(""), Variant(""), Variant(""),
                       Variant(""), Variant("Y"), Variant(0.0)});
    lines().Post();
    EXPECT_EQ(lines().State(), plat::dsBrowse);
    EXPECT_EQ(catalogue->Last("INVMB", "04"), nullptr);
}

TEST_F(LineRulesTest, AFormalItemNeedsItsInspectionBatchWhenResultsAreRequired) {
    SetH("MQC04C", "Y");
    lines().Edit();
    EXPECT_REFUSED(*form, lines().Post(), "000003");
    EXPECT_NE(form->messages.back().text.find("检验批次"), std::string::npos);
}

TEST_F(LineRulesTest, TheWorkOrderMustMatchTheReceiptsTerms) {
    SetH("TH005", "S001");  // the work order is S002's
    lines().Edit();
    EXPECT_REFUSED(*form, lines().Post(), "200943");
    const ScriptedCatalogue::Call* call = catalogue->Last("MOCTA", "25");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->keys[2].AsString(), "S001");
    EXPECT_EQ(call->keys[5].AsString(), "0.13");
    // A confirmed line is not checked again.
    SetL("TI037", "Y");
    lines().Post();
    EXPECT_EQ(lines().State(), plat::dsBrowse);
}

class PriceCeilingTest : public LineRulesTest {
  protected:
    PriceCeilingTest() {
        // Price control with a tolerance of 10 %, on a document type that checks it.
        std::vector<Variant> item(9, Variant(""));
        item[7] = Variant("Y");
        item[8] = Variant(0.1);
        catalogue->Answer("INVMB", "04", item);
        catalogue->Answer("CMSMQ", "14", {Variant("委外进货单"), Variant("59"), Variant("Y")});
        operations->answers["MocUnitPrice"] = Variant(20.0);
    }
};

TEST_F(PriceCeilingTest, TheAmountMayNotExceedTheReferencePriceWithItsTolerance) {
    // 20 × 1.1 × 50 = 1100.
    SetLines({{"TI024", "25"}, {"TI020", "50"}, {"TI025", "1100"}});
    lines().Post();
    ASSERT_EQ(lines().State(), plat::dsBrowse);
    Variant args = operations->LastArgs("MocUnitPrice");
    ASSERT_EQ(args.ArrayCount(), 10);
    EXPECT_EQ(args[0].AsString(), "C3001");
    EXPECT_EQ(args[2].AsString(), "S002");

    SetLines({{"TI025", "1100.5"}});
    EXPECT_REFUSED(*form, lines().Post(), "100344");
    // Nothing priced: the unit price alone is compared.
    SetLines({{"TI020", "0"}, {"TI025", "0"}, {"TI024", "22.5"}});
    EXPECT_REFUSED(*form, lines().Post(), "100344");
    SetLines({{"TI024", "22"}});
    lines().Post();
    EXPECT_EQ(lines().State(), plat::dsBrowse);
}

TEST_F(PriceCeilingTest, TheCeilingIsRoundedLikeTheAmounts) {
    // 20 × 1.1 × 0.333 = 7.326, an amount of two decimals in RMB: 7.33.
    SetLines({{"TI024", "22.01"}, {"TI020", "0.333"}, {"TI025", "7.33"}});
    lines().Post();
    EXPECT_EQ(lines().State(), plat::dsBrowse);
    lines().Edit();
    SetLines({{"TI025", "7.34"}});
    EXPECT_REFUSED(*form, lines().Post(), "100344");
}

TEST_F(PriceCeilingTest, TheWorkOrdersOwnPriceIsNotChecked) {
    SetLines({{"TI024", "20"}, {"TI020", "50"}, {"TI025", "99999"}});
    lines().Post();
    EXPECT_EQ(lines().State(), plat::dsBrowse);
    EXPECT_TRUE(operations->LastArgs("MocUnitPrice").IsEmpty());
}

TEST_F(PriceCeilingTest, AWorkOrderNumberIsQuotedInTheStatement) {
    SetLines({{"TI014", "X'OR'1'='1"}, {"TI024", "20"}, {"TI020", "50"}, {"TI025", "99999"}});
    catalogue->Answer("MOCTA", "25", {Variant("5201")});
    // Read as one number, the work order matches nothing: its price is 0,
    // the line's price differs, and the ceiling applies.
    EXPECT_REFUSED(*form, lines().Post(), "100344");
    std::string sql = operations->LastArgs("SimpleSQL")[0].AsString();
    EXPECT_NE(sql.find("TA002='X''OR''1''=''1'"), std::string::npos) << sql;
}

class LineDeleteTest : public LineRulesTest {};

TEST_F(LineDeleteTest, AConfirmedLineStays) {
    EditReceipt("5901", "20240108001");
    EXPECT_REFUSED(*form, lines().Delete(), "100310");
    EXPECT_EQ(lines().RecordCount(), 1);
    EXPECT_EQ(L("TI003"), "0001");
}

TEST_F(LineDeleteTest, ALineWithAnInspectionResultStaysUnlessTheResultIsVoided) {
    catalogue->Answer("QMSTD", "02", {Variant("5A01"), Variant("20240201001"), Variant("Y")});
    EXPECT_REFUSED(*form, lines().Delete(), "100512");
    EXPECT_EQ(lines().RecordCount(), 1);
    catalogue->Answer("QMSTD", "02", {Variant("5A01"), Variant("20240201001"), Variant("V")});
    lines().Delete();
    EXPECT_EQ(lines().RecordCount(), 0);
}

TEST_F(LineDeleteTest, ALineWithMaterialReturnsStays) {
    Exec(
        "INSERT INTO MOCTJ (TJ001, TJ002, TJ003, TJ004, TJ005, TJ006) "
        "VALUES ('5501', '20240113001', '0001', '5901', '20240112001', '0001')");
    EXPECT_REFUSED(*form, lines().Delete(), "100513");
    EXPECT_EQ(lines().RecordCount(), 1);
}

TEST_F(LineRulesTest, UnconfirmedLinesAreFound) {
    EXPECT_FALSE(dm->HasNoUnconfirmedLine());
    GoToReceipt("5901", "20240108001");
    EXPECT_TRUE(dm->HasNoUnconfirmedLine());
}

TEST(EndOfMonthDate, IsTheMonthsLastDay) {
    const std::pair<const char*, const char*> cases[] = {
        {"20240215", "20240229"},
        {"20230215", "20230228"},
        {"20241231", "20241231"},
        {"20240401", "20240430"},
        {"", ""},
        {"20241301", ""},
        {"2024021", ""},
        {"abcdefgh", ""},
    };
    for (auto [date, end] : cases) EXPECT_EQ(TdmKtrb52::EndOfMonthDate(date), end) << date;
}

}  // namespace
}  // namespace ktrb::test

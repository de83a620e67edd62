#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/core/format.h"
#include "receipt/forms/receipt_form_fixture.h"

namespace ktrb::test {
namespace {

using plat::Variant;

struct FieldValue {
    const char* field;
    const char* value;
};

// The receipt form on the demo data, its messages compared with the host's
// texts of their codes.
class ReceiptCheckTest : public ReceiptFormTest {
  protected:
    // The shown text of a code formatted with its arguments.
    std::string Text(const std::string& kind, const std::string& code,
                     const std::vector<Variant>& args = {}) {
        return plat::Trim(plat::Format(form->Brokers()->GetMessage(kind, code), args));
    }
    bool Shown(const std::string& kind, const std::string& code,
               const std::vector<Variant>& args = {}) {
        const std::string text = Text(kind, code, args);
        for (const std::string& m : form->messages)
            if (m == text) return true;
        return false;
    }
    std::string Messages() const {
        std::string all;
        for (const std::string& m : form->messages) all += "[" + m + "] ";
        return all;
    }
    void SetLine(const std::vector<FieldValue>& values) {
        for (const FieldValue& v : values) ASSERT_TRUE(SetFieldTextQuiet(Line(v.field), v.value));
    }
    void SetHead(const char* field, const char* value) {
        ASSERT_TRUE(SetFieldTextQuiet(Head(field), value));
    }
    // The open demo receipt in edit, its line in edit and complete.
    void EditOpenLine() {
        form->Show();
        ASSERT_TRUE(GoTo("20240112001"));
        ASSERT_TRUE(form->EditRecord());
        dm->cdsBody1->First();
        dm->cdsBody1->Edit();
        SetLine({{"TI018", "20240112"}, {"TI017", "10"}});
        form->messages.clear();
    }
    void Reopen(const std::string& number) {
        form->OpenDataSet(dm->cdsMain, "", "");
        ASSERT_TRUE(GoTo(number));
        form->messages.clear();
    }
    std::string Status(const std::string& number) {
        return Sql("SELECT TH023 FROM MOCTH WHERE TH001='5901' AND TH002='" + number + "'");
    }
};

// ---- line checks ---------------------------------------------------------------

TEST_F(ReceiptCheckTest, ACompleteLinePassesEveryLineCheck) {
    Start();
    EditOpenLine();
    EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsBody1)) << Messages();
    EXPECT_TRUE(form->messages.empty()) << Messages();
    dm->cdsBody1->Post();
    EXPECT_EQ(dm->cdsBody1->State(), plat::dsBrowse);
}

struct LineCase {
    const char* name;
    std::vector<FieldValue> values;
    const char *kind, *code;
    bool passes;
};

TEST_F(ReceiptCheckTest, EachLineCheckStopsOrWarnsWithItsCode) {
    Start();
    const std::vector<LineCase> cases = {
        {"batch required", {{"TI004C", "Y"}, {"TI010", ""}}, "E", "000003", false},
        {"item batch-managed",
         {{"TI004", "A1001-01"}, {"TI004C12", "A1001-01"}, {"TI010", ""}},
         "E",
         "100022",
         false},
        {"expiry dates", {{"TI004C10", "Y"}}, "E", "200091", false},
        {"no warehouse", {{"TI009", ""}}, "E", "000003", false},
        {"split wrong", {{"TI019", "40"}}, "E", "200213", false},
        {"split of packages wrong", {{"TI017", "9"}}, "E", "200213", false},
        {"no work order", {{"TI014", ""}}, "E", "100132", false},
        {"void work order", {{"TI014", "20240125001"}}, "E", "100131", false},
        {"unconfirmed work order", {{"TI014", "20240214001"}}, "E", "100296", false},
        {"other lot on the work order", {{"TI014", "20240105001"}}, "W", "200221", true},
        {"not a by-product",
         {{"TI014", "20240105001"}, {"TI004C12", "A1001-01"}, {"TI010", "L240108"}},
         "E",
         "100124",
         false},
        {"accepted before the document date", {{"TI018", "20240111"}}, "E", "100024", false},
        {"priced above accepted", {{"TI020", "60"}}, "W", "200202", true},
        {"priced above accepted in grams",
         {{"TI020", "60000"}, {"TI023", "G"}},
         "W",
         "200202",
         true},
    };
    EditOpenLine();
    for (const LineCase& c : cases) {
        SetLine(c.values);
        form->messages.clear();
        EXPECT_EQ(form->ValidateRequiredFields(dm->cdsBody1), c.passes) << c.name;
        std::vector<Variant> args;
        if (std::string(c.code) == "000003")
            args.push_back(
                Variant(Line(c.values[0].field == std::string("TI009") ? "TI009" : "TI010")
                            ->DisplayLabel()));
        EXPECT_TRUE(Shown(c.kind, c.code, args)) << c.name << ": " << Messages();
        dm->cdsBody1->Cancel();
        dm->cdsBody1->Edit();
        SetLine({{"TI018", "20240112"}, {"TI017", "10"}});
    }
}

TEST_F(ReceiptCheckTest, WhatPassesTheSplitTheWorkOrderAndThePricing) {
    Start();
    const std::vector<std::vector<FieldValue>> passing = {
        {{"TI019", "40"}, {"TI020", "40"}, {"TI015", "0030"}},  // a process line
        {{"TI019", "40"}, {"TI020", "40"}, {"TI035", "1"}},     // waiting for inspection
        {{"TI019", "40"}, {"TI020", "40"}, {"TIC02", "5A01"}},  // split by the arrival
        {{"TI004", "A1003-01"},
         {"TI004C12", "A1001-01"},
         {"TI014", "20240105001"},
         {"TI010", "L240108"}},  // a by-product of the order
        {{"TI020", "50000"}, {"TI023", "G"}},
        {{"TI018", "20240112"}},
    };
    EditOpenLine();
    for (const auto& values : passing) {
        SetLine(values);
        form->messages.clear();
        EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsBody1))
            << values[0].field << "=" << values[0].value << " " << Messages();
        EXPECT_TRUE(form->messages.empty()) << Messages();
        dm->cdsBody1->Cancel();
        dm->cdsBody1->Edit();
        SetLine({{"TI018", "20240112"}, {"TI017", "10"}});
    }
}

TEST_F(ReceiptCheckTest, TheSplitMessageFollowsThePackagingAndSamplingParameters) {
    Start();
    EditOpenLine();
    SetLine({{"TI019", "40"}});
    const char* const codes[2][2] = {{"200213", "200215"}, {"200214", "200216"}};
    for (int packaged = 0; packaged < 2; ++packaged)
        for (int sampled = 0; sampled < 2; ++sampled) {
            form->Brokers()->SetSysParam("SYS024", packaged ? "3" : "1");
            form->Brokers()->SetSysParam("SYS069", sampled ? "Y" : "N");
            form->messages.clear();
            EXPECT_FALSE(form->ValidateRequiredFields(dm->cdsBody1));
            EXPECT_TRUE(Shown("E", codes[packaged][sampled])) << Messages();
        }
}

TEST_F(ReceiptCheckTest, LenientWorkOrderChecksWarnAndCancelEndsThePost) {
    Start();
    EditOpenLine();
    SetHead("TH001C1", "W");
    SetLine({{"TI014", ""}});
    EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsBody1));
    EXPECT_TRUE(Shown("W", "200271")) << Messages();
    SetLine({{"TI014", "20240105001"}, {"TI004C12", "A1001-01"}, {"TI010", "L240108"}});
    form->messages.clear();
    EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsBody1));
    EXPECT_TRUE(Shown("W", "100039")) << Messages();
    form->answers = {modal::Cancel};
    EXPECT_THROW(form->ValidateRequiredFields(dm->cdsBody1), plat::EAbort);
}

TEST_F(ReceiptCheckTest, AWorkOrderThatDoesNotExistNamesBothKeyFields) {
    Start();
    EditOpenLine();
    SetLine({{"TI014", "20249999999"}});
    EXPECT_FALSE(form->ValidateRequiredFields(dm->cdsBody1));
    const std::string keys = Line("TI013")->DisplayLabel() + "+" + Line("TI014")->DisplayLabel();
    EXPECT_TRUE(Shown("E", "000001", {Variant(keys)})) << Messages();
}

TEST_F(ReceiptCheckTest, AUnitWithoutConversionStopsThePost) {
    Start();
    EditOpenLine();
    SetLine({{"TI023", "XX"}});
    EXPECT_THROW(form->ValidateRequiredFields(dm->cdsBody1), plat::EAbort);
    EXPECT_TRUE(Shown("E", "100026")) << Messages();
}

// The nearly received demo order: 95 of 100, 5 % over allowed, materials short.
TEST_F(ReceiptCheckTest, OverReceiptAndMaterialIssueOfTheWorkOrder) {
    Start();
    EditOpenLine();
    SetLine({{"TI004", "A1003-01"},
             {"TI004C12", "A1003-01"},
             {"TI014", "20240212001"},
             {"TI004C3", "100"},
             {"TI004C13", "0.05"},
             {"TI008", "PCS"},
             {"TI023", "PCS"},
             {"TI009", "W01"},
             {"TI016", "0"},
             {"TI017", "0"}});
    auto quantity = [&](const char* q) {
        SetLine({{"TI007", q}, {"TI019", q}, {"TI020", q}});
        form->messages.clear();
    };
    const std::string shortList = "\r5201-20240212001/A1003-01/M0001";
    SetHead("MQ042C", "Y");
    quantity("10");  // exactly the limit
    EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsBody1)) << Messages();
    EXPECT_TRUE(Shown("W", "200237", {Variant(shortList)})) << Messages();
    EXPECT_EQ(form->messages.size(), 1u) << Messages();

    quantity("11");
    EXPECT_THROW(form->ValidateRequiredFields(dm->cdsBody1), plat::EAbort);
    EXPECT_TRUE(Shown("E", "100492", {Variant("")})) << Messages();

    SetHead("MQ042C", "W");
    EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsBody1));
    EXPECT_TRUE(Shown("W", "100108")) << Messages();

    SetHead("MQ043C", "Y");
    quantity("10");
    EXPECT_FALSE(form->ValidateRequiredFields(dm->cdsBody1));
    EXPECT_TRUE(Shown("E", "200418", {Variant(shortList)})) << Messages();
}

TEST_F(ReceiptCheckTest, ARefusedPostKeepsTheLineAsTypedInItsMode) {
    Start();
    EditOpenLine();
    SetLine({{"TI009", ""}, {"TI040", "typed"}});
    EXPECT_THROW(dm->cdsBody1->Post(), plat::EAbort);
    EXPECT_EQ(form->messages.size(), 1u) << Messages();
    EXPECT_EQ(dm->cdsBody1->State(), plat::dsEdit);
    EXPECT_EQ(Line("TI040")->AsString(), "typed");
    EXPECT_EQ(form->FormMode(), TFormMode::Edit);
}

TEST_F(ReceiptCheckTest, LinesPostedByTheAmountEntryOrThePaymentHoldAreNotChecked) {
    Start();
    EditOpenLine();
    SetLine({{"TI009", ""}});
    EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsMain));
    form->LineCheckActive = false;
    EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsBody1));
    form->LineCheckActive = true;
    SetLine({{"TI037", "Y"}});
    EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsBody1));
    SetLine({{"TI037", "N"}});
    form->AmountEntryStarted = true;
    EXPECT_TRUE(form->ValidateRequiredFields(dm->cdsBody1));
    EXPECT_TRUE(form->messages.empty()) << Messages();
    // Once the amount entry has ended, the next post is checked again.
    form->AmountEntryStarted = false;
    EXPECT_THROW(dm->cdsBody1->Post(), plat::EAbort);
    EXPECT_TRUE(Shown("E", "000003", {Variant(Line("TI009")->DisplayLabel())})) << Messages();
}

TEST(ShortMaterialGroups, GroupsOfMainAndSubstituteMaterials) {
    // TB001, TB002, TB003, TB006, TB005 issued, TB027, group, TB031, TB004, MB403
    auto row = [](const char* material, double issued, double part, const char* group, double base,
                  double required, double loss) {
        return plat::VarArrayOf(
            {"5201", "0001", material, "****", issued, part, group, base, required, loss});
    };
    // Composition 2 + 1 = 3; issued 10 + 5 * 1 / 4 = 11.25.
    const Variant substituted =
        plat::VarArrayOf({row("M1", 10, 2, "M1", 1, 100, 0), row("M2", 5, 4, "M1", 1, 100, 0)});
    // A substitute of no composition: composition 2, issued 10 + 20 * 1 / 40 = 10.5.
    const Variant unweighted =
        plat::VarArrayOf({row("M1", 10, 2, "M1", 1, 100, 0), row("M2", 20, 0, "M1", 1, 40, 0)});
    const Variant twoGroups =
        plat::VarArrayOf({row("M1", 1, 2, "M1", 1, 100, 0), row("M3", 1, 2, "M3", 1, 100, 0.25)});
    struct Case {
        const char* name;
        Variant rows;
        double received, planned;
        const char* expected;
    } cases[] = {
        {"short", substituted, 8, 2, "\r5201-0001/P/M1"},                            // needs 12
        {"enough", substituted, 7, 2, ""},                                           // needs 10.5
        {"substitute's issue counts", unweighted, 5.2, 1, ""},                       // needs 10.4
        {"substitute without composition", unweighted, 5.3, 1, "\r5201-0001/P/M1"},  // 10.6
        {"nothing planned", substituted, 8, 0, ""},
        {"two groups, loss rate", twoGroups, 1, 1, "\r5201-0001/P/M1\r5201-0001/P/M3"},
        {"no rows", Variant(), 8, 2, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TfrmKtrb52::ShortMaterialGroups(c.rows, c.received, c.planned, "P"), c.expected)
            << c.name;
}

// ---- confirm checks --------------------------------------------------------------

TEST_F(ReceiptCheckTest, AnOpenReceiptIsConfirmedWhenEveryCheckPasses) {
    Start();
    ASSERT_TRUE(GoTo("20240112001"));
    EXPECT_TRUE(form->CheckStatusChange(3)) << Messages();
    EXPECT_TRUE(form->messages.empty()) << Messages();
    form->ChangeDocStatus(3, false);
    EXPECT_EQ(Status("20240112001"), "Y");
}

TEST_F(ReceiptCheckTest, NaturesD2AndD3CannotBeConfirmedOrUnconfirmed) {
    server->Db().Exec("UPDATE CMSMQ SET MQ003 = 'D2' WHERE MQ001 = '5901'");
    Start();
    ASSERT_TRUE(GoTo("20240112001"));
    EXPECT_TRUE(form->CheckStatusChange(0));
    EXPECT_TRUE(form->CheckStatusChange(1));
    EXPECT_TRUE(form->messages.empty()) << Messages();
    EXPECT_THROW(form->ChangeDocStatus(3, false), plat::EAbort);
    EXPECT_TRUE(Shown("E", "100249")) << Messages();
    EXPECT_EQ(Status("20240112001"), "N");
    ASSERT_TRUE(GoTo("20240108001"));
    form->messages.clear();
    EXPECT_THROW(form->ChangeDocStatus(2, false), plat::EAbort);
    EXPECT_TRUE(Shown("E", "100249")) << Messages();
    EXPECT_EQ(Status("20240108001"), "Y");
}

TEST_F(ReceiptCheckTest, ASupplierNoLongerTradedWithIsAWarning) {
    server->Db().Exec("UPDATE MOCTH SET TH005 = 'S005' WHERE TH002 = '20240112001'");
    Start();
    ASSERT_TRUE(GoTo("20240112001"));
    EXPECT_TRUE(form->CheckStatusChange(3));
    EXPECT_TRUE(Shown("W", "100112")) << Messages();
    form->answers = {modal::Cancel};
    EXPECT_THROW(form->ChangeDocStatus(3, false), plat::EAbort);
    EXPECT_EQ(Status("20240112001"), "N");
}

// Two open lines receive 6 and 5 of the 10 the nearly received order still allows.
TEST_F(ReceiptCheckTest, OverReceiptAndMaterialsAreSummedOverTheLinesOfAnOrder) {
    server->Db().Exec(
        "UPDATE MOCTI SET TI004 = 'A1003-01', TI008 = 'PCS', TI014 = '20240212001', TI007 = 6 "
        "WHERE TI002 = '20240112001';"
        "INSERT INTO MOCTI (TI001, TI002, TI003, TI004, TI007, TI008, TI013, TI014, TIC01) "
        "VALUES ('5901', '20240112001', '0002', 'A1003-01', 5, 'PCS', '5201', '20240212001', "
        "'2')");
    Start();
    ASSERT_TRUE(GoTo("20240112001"));
    const std::string entry = "\n\r5201-20240212001/A1003-01";
    EXPECT_TRUE(form->CheckStatusChange(3));
    EXPECT_TRUE(Shown("W", "200235", {Variant(entry + entry)})) << Messages();
    const std::string material = "\n\r5201-20240212001/A1003-01/M0001";
    const std::string substitute = "\n\r5201-20240212001/A1003-01/M0002";
    EXPECT_TRUE(Shown("W", "200237", {Variant(material + substitute + material + substitute)}))
        << Messages();

    server->Db().Exec("UPDATE CMSMQ SET MQ042 = 'Y' WHERE MQ001 = '5901'");
    Reopen("20240112001");
    EXPECT_THROW(form->ChangeDocStatus(3, false), plat::EAbort);
    EXPECT_TRUE(Shown("E", "100492", {Variant(entry + entry)})) << Messages();
    EXPECT_EQ(form->messages.size(), 1u) << "no check after the refusal: " << Messages();
    EXPECT_EQ(Status("20240112001"), "N");
}

TEST_F(ReceiptCheckTest, LinesWithoutALotOrOnAClosedOrderWarn) {
    server->Db().Exec(
        "UPDATE INVMB SET MB022 = 'W' WHERE MB001 = 'C3001';"
        "UPDATE MOCTA SET TA011 = 'Y', TA012 = '20240131' WHERE TA002 = '20240110001'");
    Start();
    ASSERT_TRUE(GoTo("20240112001"));
    EXPECT_TRUE(form->CheckStatusChange(3));
    EXPECT_TRUE(Shown("W", "200240")) << Messages();
    EXPECT_TRUE(Shown("W", "100033")) << Messages();
    form->answers = {modal::Ok, modal::Cancel};
    EXPECT_THROW(form->CheckStatusChange(3), plat::EAbort);
}

// The demo's serial-managed receipt, opened again: one scrapped piece with its "B" serial.
TEST_F(ReceiptCheckTest, ScrappedOrDestroyedPiecesOfSerialItemsNeedSerialNumbers) {
    server->Db().Exec(
        "UPDATE MOCTH SET TH023 = 'N' WHERE TH002 = '20240118001';"
        "UPDATE MOCTI SET TI037 = 'N' WHERE TI002 = '20240118001'");
    Start();
    ASSERT_TRUE(GoTo("20240118001"));
    EXPECT_TRUE(form->CheckStatusChange(3));
    EXPECT_TRUE(form->messages.empty()) << Messages();

    server->Db().Exec("UPDATE MOCTI SET TI056 = 1 WHERE TI002 = '20240118001'");
    Reopen("20240118001");
    EXPECT_TRUE(form->CheckStatusChange(3));
    EXPECT_TRUE(Shown("W", "200403")) << Messages();
    form->answers = {modal::Cancel};
    EXPECT_THROW(form->ChangeDocStatus(3, false), plat::EAbort);
    EXPECT_EQ(Status("20240118001"), "N");

    // An item whose serial numbers are not managed never asks.
    server->Db().Exec("UPDATE INVMB SET MB454 = 'N' WHERE MB001 = 'B2001'");
    form->messages.clear();
    EXPECT_TRUE(form->CheckStatusChange(3));
    EXPECT_TRUE(form->messages.empty()) << Messages();
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

// The line-delete check refuses the lines named, without a message of its own.
class TRefusingLinesModule : public TdmKtrb52 {
  public:
    using TdmKtrb52::TdmKtrb52;
    static inline std::vector<std::string> refused;
    bool CheckLineDelete() override {
        const std::string line = LineField("TI003")->AsString();
        return std::find(refused.begin(), refused.end(), line) == refused.end();
    }
};

class ReceiptLinesCheckTest : public ReceiptFormTest {
  protected:
    ReceiptLinesCheckTest() {
        // 20240112001 gets a second line.
        server->Db().Exec(
            "CREATE TEMP TABLE L AS SELECT * FROM MOCTI WHERE TI001='5901' AND "
            "TI002='20240112001'; UPDATE L SET TI003='0002'; INSERT INTO MOCTI SELECT * FROM L;");
        TRecordedReceiptForm::nextDataModule = [](plat::TComponent* owner) -> TdmRadical* {
            return new TRefusingLinesModule(owner);
        };
        Start();
    }
    ~ReceiptLinesCheckTest() override { TRefusingLinesModule::refused.clear(); }
    std::string Stored() {
        return Sql(
            "SELECT IFNULL(MAX(TH023), '') || COUNT(*) FROM MOCTH WHERE TH001='5901' AND "
            "TH002='20240112001'");
    }
};

TEST_F(ReceiptLinesCheckTest, AnyRefusedLineKeepsTheReceiptFromDeleteAndVoid) {
    ASSERT_NE(dynamic_cast<TRefusingLinesModule*>(dm), nullptr);
    const std::string before = Stored();
    // The first line refused, the last one free.
    TRefusingLinesModule::refused = {"0001"};
    ASSERT_TRUE(GoTo("20240112001"));
    form->answers = {modal::Yes, modal::Yes};
    EXPECT_FALSE(form->CheckAllBodyLines());
    EXPECT_TRUE(form->DeleteRecord(true));
    ASSERT_TRUE(GoTo("20240112001"));
    form->miInvalidGuarded(nullptr);
    EXPECT_EQ(Stored(), before);
    // Every line free: the checks pass.
    TRefusingLinesModule::refused.clear();
    ASSERT_TRUE(GoTo("20240112001"));
    EXPECT_TRUE(form->CheckAllBodyLines());
}

}  // namespace
}  // namespace ktrb::test

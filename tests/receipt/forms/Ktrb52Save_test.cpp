#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/core/numbers.h"
#include "platform/ui/menus.h"
#include "receipt/forms/receipt_form_fixture.h"
#include "runtime/LibStrs.h"
#include "standins/host/message_catalogue.h"

namespace ktrb::test {
namespace {

using plat::Variant;

// The bundled messages, each text led by "<kind><code>|", so that a dialog
// tells which message it shows.
std::shared_ptr<const standin::MessageCatalogue> CodedMessages() {
    static const std::shared_ptr<const standin::MessageCatalogue> coded = [] {
        auto oneLine = [](const std::string& text) {
            std::string out;
            for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
            return out;
        };
        const std::string path =
            plat::TempFolder() + "ktrb-save-messages-" + std::to_string(::getpid()) + ".tsv";
        {
            std::ofstream out(path, std::ios::binary);
            for (const standin::MessageEntry& e : standin::MessageCatalogue::Bundled().Entries()) {
                std::string args;
                for (const std::string& a : e.args) args += (args.empty() ? "" : ",") + a;
                const std::string lead = e.kind + e.code + "|";
                out << e.kind << '\t' << e.code << '\t' << (args.empty() ? "-" : args) << '\t'
                    << lead << oneLine(e.chinese) << '\t' << lead << oneLine(e.english) << '\n';
            }
        }
        auto loaded =
            std::make_shared<standin::MessageCatalogue>(standin::MessageCatalogue::Load(path));
        std::filesystem::remove(path);
        return loaded;
    }();
    return coded;
}

class ReceiptSaveTest : public ReceiptFormTest {
  protected:
    ReceiptSaveTest() { services->messages = CodedMessages(); }

    // "<kind><code>" of every message shown so far.
    std::vector<std::string> Codes() const {
        std::vector<std::string> out;
        for (const std::string& m : form->messages) out.push_back(m.substr(0, m.find('|')));
        return out;
    }
    // The text of the last message shown.
    std::string LastMessage() const {
        return form->messages.empty() ? std::string() : form->messages.back();
    }
    // Edits a demo receipt of type `type` on its first line.
    void Edit(const std::string& number, const std::string& type = "5901") {
        if (!form->Visible()) form->Show();
        ASSERT_TRUE(dm->cdsMain->Locate("TH001;TH002", plat::VarArrayOf({type, number})));
        ASSERT_TRUE(form->EditRecord());
        dm->cdsBody1->First();
        form->messages.clear();
    }
    void SetLine(const char* name, const std::string& text) {
        if (dm->cdsBody1->State() == plat::dsBrowse) dm->cdsBody1->Edit();
        ASSERT_TRUE(SetFieldTextQuiet(Line(name), text)) << name;
    }
    void SetHead(const char* name, const std::string& text) {
        if (dm->cdsMain->State() == plat::dsBrowse) dm->cdsMain->Edit();
        ASSERT_TRUE(SetFieldTextQuiet(Head(name), text)) << name;
    }
    std::string Stored(const std::string& sql) { return Sql(sql); }
};

constexpr const char* kOpenReceipt = "20240112001";
constexpr const char* kStoredNote =
    "SELECT TH010 FROM MOCTH WHERE TH001='5901' AND TH002='20240112001'";

// A refused save: the silent abort after its one message, the document still
// edited with what was typed, nothing stored.
#define EXPECT_REFUSED(code)                                \
    do {                                                    \
        EXPECT_THROW(form->SaveDocument(), plat::EAbort);   \
        EXPECT_EQ(Codes(), std::vector<std::string>{code}); \
        EXPECT_EQ(form->FormMode(), TFormMode::Edit);       \
        EXPECT_EQ(dm->cdsMain->State(), plat::dsEdit);      \
        EXPECT_TRUE(form->btnOK->Enabled());                \
        EXPECT_EQ(Head("TH010")->AsString(), "改过");       \
        EXPECT_NE(Sql(kStoredNote), "改过");                \
    } while (0)

TEST_F(ReceiptSaveTest, OpenLinesWithoutBatchLocationOrAllowedTypeAreRefused) {
    struct Case {
        const char *field, *value, *field2, *value2;
        int answer;
        const char* code;
    } cases[] = {
        {"TI004C", "Y", "", "", modal::Ok, "E100161"},
        {"TI004C", "T", "", "", modal::Ok, "E100161"},
        {"TI004C", "W", "", "", modal::Cancel, "W200240"},
        {"TI060", "**********", "", "", modal::Ok, "E200420"},
        {"TIC01", "1", "TH001C3", "N", modal::Ok, "E200954"},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.value);
        Edit(kOpenReceipt);
        SetHead("TH010", "改过");
        SetLine("TI018", "20240112");
        SetLine("TI004C", "N");
        SetLine(c.field, c.value);
        if (*c.field2) SetHead(c.field2, c.value2);
        form->answers = {c.answer};
        EXPECT_REFUSED(c.code);
        EXPECT_EQ(Line(c.field)->AsString(), c.value);
        EXPECT_EQ(Line("TI018")->AsString(), "20240112");
        form->CancelEdit(false);
    }
}

TEST_F(ReceiptSaveTest, OpenLineChecksPassWhatTheyAllow) {
    Start();
    // A warned batch answered OK; a confirmed line is not looked at.
    Edit(kOpenReceipt);
    SetHead("TH010", "改过");
    SetLine("TI018", "20240112");
    SetLine("TI004C", "W");
    EXPECT_TRUE(form->SaveDocument());
    EXPECT_EQ(Codes(), std::vector<std::string>{"W200240"});
    EXPECT_EQ(Sql(kStoredNote), "改过");
}

// The demo's receipt on an arrival line: 480 accepted, 15 returned, 5
// scrapped, 24 packages accepted and 1 returned, as much as the arrival
// line holds.
class ArrivalSaveTest : public ReceiptSaveTest {
  protected:
    void EditArrivalReceipt() {
        Edit("20240205001", "5902");
        SetHead("TH010", "改过");
    }
    std::string StoredNote() {
        return Sql("SELECT TH010 FROM MOCTH WHERE TH001='5902' AND TH002='20240205001'");
    }
};

TEST_F(ArrivalSaveTest, QuantitiesUpToTheArrivalLinePass) {
    Start();
    EditArrivalReceipt();
    EXPECT_TRUE(form->SaveDocument());
    EXPECT_TRUE(Codes().empty()) << ::testing::PrintToString(form->messages);
    EXPECT_EQ(StoredNote(), "改过");
}

TEST_F(ArrivalSaveTest, TheFirstQuantityAboveItsArrivalColumnIsRefused) {
    struct Case {
        const char *field, *value;
    } cases[] = {{"TI019", "480.001"}, {"TI017", "25"}, {"TI050", "0.5"}};
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EditArrivalReceipt();
        SetLine(c.field, c.value);
        EXPECT_THROW(form->SaveDocument(), plat::EAbort);
        EXPECT_EQ(Codes(), std::vector<std::string>{"EC00015"});
        const std::string label = Line(c.field)->DisplayLabel();
        EXPECT_EQ(LastMessage(), "EC00015|" + label + " 不可大于到货单的" + label + "!");
        EXPECT_EQ(form->FormMode(), TFormMode::Edit);
        EXPECT_EQ(dm->cdsMain->State(), plat::dsEdit);
        EXPECT_EQ(Line(c.field)->AsString(), c.value);
        EXPECT_NE(StoredNote(), "改过");
        form->CancelEdit(false);
    }
}

TEST_F(ArrivalSaveTest, ApprovedReceiptsAndOtherLinesOfTheReceiptCount) {
    // One more accepted on an approved receipt of the same arrival line.
    Start();
    server->Db().Exec(
        "INSERT INTO MOCTH (TH001, TH002, TH023) VALUES ('5902', '20240206001', 'Y');"
        "CREATE TEMP TABLE L AS SELECT * FROM MOCTI WHERE TI001='5902' AND TI002='20240205001';"
        "UPDATE L SET TI002='20240206001', TI019=1, TI017=0, TI022=0, TI021=0;"
        "INSERT INTO MOCTI SELECT * FROM L;");
    EditArrivalReceipt();
    EXPECT_THROW(form->SaveDocument(), plat::EAbort);
    EXPECT_EQ(Codes(), std::vector<std::string>{"EC00015"});
    form->CancelEdit(false);

    // Not yet approved, it does not count.
    server->Db().Exec("UPDATE MOCTH SET TH023='N' WHERE TH002='20240206001'");
    EditArrivalReceipt();
    EXPECT_TRUE(form->SaveDocument());
    EXPECT_TRUE(Codes().empty()) << ::testing::PrintToString(form->messages);
}

TEST_F(ArrivalSaveTest, TwoLinesOnOneArrivalLineAreSummed) {
    // Two inspection batches of one arrival line: 300 and 180, then 181.
    Start();
    server->Db().Exec(
        "UPDATE MOCTI SET TI019=300 WHERE TI002='20240205001';"
        "CREATE TEMP TABLE L AS SELECT * FROM MOCTI WHERE TI002='20240205001';"
        "UPDATE L SET TI003='0002', TIC05='0002', TI022=0, TI021=0, TI017=0, TI051=0, TI019=180;"
        "INSERT INTO MOCTI SELECT * FROM L;");
    form->OpenDataSet(dm->cdsMain, "", "");
    EditArrivalReceipt();
    ASSERT_EQ(dm->cdsBody1->RecordCount(), 2);
    EXPECT_TRUE(form->SaveDocument());
    EXPECT_TRUE(Codes().empty()) << ::testing::PrintToString(form->messages);

    server->Db().Exec("UPDATE MOCTI SET TI019=181 WHERE TI002='20240205001' AND TI003='0002'");
    form->OpenDataSet(dm->cdsMain, "", "");
    EditArrivalReceipt();
    EXPECT_THROW(form->SaveDocument(), plat::EAbort);
    EXPECT_EQ(Codes(), std::vector<std::string>{"EC00015"});
    // The grid shows the line that failed: the first, over with the second's 181.
    EXPECT_EQ(Line("TI003")->AsString(), "0001");
    EXPECT_EQ(dm->cdsBody1->RecordCount(), 2);
}

TEST_F(ArrivalSaveTest, ADocumentTypeCheckingArrivalsWantsTheArrivalNote) {
    Start();
    // A stored line whose arrival-note number went missing.
    server->Db().Exec("UPDATE MOCTI SET TIC03='' WHERE TI002='20240205001'");
    form->OpenDataSet(dm->cdsMain, "", "");
    EditArrivalReceipt();
    EXPECT_THROW(form->SaveDocument(), plat::EAbort);
    EXPECT_EQ(Codes(), std::vector<std::string>{"EC00044"});
    EXPECT_NE(LastMessage().find("此单别需核对委外到货,委外到货单号不可空白 !"), std::string::npos)
        << LastMessage();
    EXPECT_EQ(form->FormMode(), TFormMode::Edit);
    EXPECT_EQ(dm->cdsMain->State(), plat::dsEdit);
    EXPECT_NE(StoredNote(), "改过");
}

TEST_F(ReceiptSaveTest, ASupplierDocumentNumberInUseIsAWarning) {
    struct Case {
        const char* number;
        int answer;
        std::vector<std::string> codes;
        bool saved;
    } cases[] = {
        {"JG-240108", modal::Cancel, {"W200400"}, false},
        {"JG-240108", modal::Ok, {"W200400"}, true},
        {"JG-999999", modal::Ok, {}, true},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.number) + (c.saved ? " saved" : " refused"));
        Edit(kOpenReceipt);
        SetLine("TI018", "20240112");
        SetHead("TH006", c.number);
        form->answers = {c.answer};
        if (c.saved) {
            EXPECT_TRUE(form->SaveDocument());
        } else {
            EXPECT_THROW(form->SaveDocument(), plat::EAbort);
            EXPECT_EQ(dm->cdsMain->State(), plat::dsEdit);
            EXPECT_EQ(form->FormMode(), TFormMode::Edit);
        }
        EXPECT_EQ(Codes(), c.codes);
        EXPECT_EQ(
            Sql("SELECT TH006 FROM MOCTH WHERE TH001='5901' AND TH002='20240112001'") == c.number,
            c.saved);
        if (!c.saved) form->CancelEdit(false);
    }
}

TEST_F(ReceiptSaveTest, AnEditedReceiptWithoutOpenLinesIsConfirmed) {
    const char* stored = "SELECT TH023 FROM MOCTH WHERE TH001='5901' AND TH002='20240112001'";
    Start();
    Edit(kOpenReceipt);
    SetLine("TI018", "20240112");
    EXPECT_TRUE(form->SaveDocument());
    EXPECT_EQ(Sql(stored), "N") << "a line is still open";

    Edit(kOpenReceipt);
    SetLine("TI037", "Y");
    EXPECT_TRUE(form->SaveDocument());
    EXPECT_EQ(Sql(stored), "Y") << ::testing::PrintToString(form->messages);
}

TEST_F(ReceiptSaveTest, AConfirmStoppedAfterAnEditLeavesTheReceiptSaved) {
    Start();
    // The supplier's status asks before a confirm; the user stops it.
    server->Db().Exec("UPDATE PURMA SET MA016='3' WHERE MA001='S002'");
    Edit(kOpenReceipt);
    SetLine("TI018", "20240112");
    SetLine("TI037", "Y");
    SetHead("TH010", "改过");
    form->answers = {modal::Cancel};
    EXPECT_TRUE(form->SaveDocument());
    EXPECT_EQ(Codes(), std::vector<std::string>{"W100112"});
    EXPECT_EQ(Sql(kStoredNote), "改过");
    EXPECT_EQ(Sql("SELECT TH023 FROM MOCTH WHERE TH001='5901' AND TH002='20240112001'"), "N");
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
}

// The open demo receipt (tax included at 13 %, RMB) with three lines whose
// taxes, split line by line, add up to a cent less than the split of the
// document's total: 1433.00 gives 164.86 tax, the lines 164.85.
class TotalsTest : public ReceiptSaveTest {
  protected:
    void StartWithThreeLines(const std::vector<std::pair<std::string, std::string>>& sys = {}) {
        Start(sys);
        server->Db().Exec(
            "UPDATE MOCTI SET TI018='20240112' WHERE TI002='20240112001';"
            "CREATE TEMP TABLE L AS SELECT * FROM MOCTI WHERE TI002='20240112001';"
            "UPDATE L SET TI003='0002', TI010='B2', TI044=88.5, TI045=11.5, TI046=88.5, TI047=11.5;"
            "INSERT INTO MOCTI SELECT * FROM L;"
            "UPDATE L SET TI003='0003', TI010='B3', TI044=294.69, TI045=38.31, TI046=294.69, "
            "TI047=38.31;"
            "INSERT INTO MOCTI SELECT * FROM L; DROP TABLE L;"
            "UPDATE MOCTH SET TH027=1268.15, TH020=164.85, TH031=1268.15, TH032=164.85 "
            "WHERE TH002='20240112001';");
        form->OpenDataSet(dm->cdsMain, "", "");
        ASSERT_TRUE(GoTo(kOpenReceipt));
        ASSERT_EQ(dm->cdsBody1->RecordCount(), 3);
        form->messages.clear();
    }
    // "TI044/TI045/TI046/TI047" of every line, in line order.
    std::vector<std::string> LineAmounts() {
        std::vector<std::string> out;
        for (dm->cdsBody1->First(); !dm->cdsBody1->Eof(); dm->cdsBody1->Next())
            out.push_back(Line("TI044")->AsString() + "/" + Line("TI045")->AsString() + "/" +
                          Line("TI046")->AsString() + "/" + Line("TI047")->AsString());
        return out;
    }
    // The lines' sum of a field, as the header would hold it.
    std::string LineSum(const char* name) {
        double sum = 0;
        for (dm->cdsBody1->First(); !dm->cdsBody1->Eof(); dm->cdsBody1->Next())
            sum += Line(name)->AsFloat();
        return plat::FloatToStr(RoundToDecimals(2, sum));
    }
};

TEST_F(TotalsTest, TheResidueGoesOnTheLargestLineAndTheSumsMatchTheHeader) {
    StartWithThreeLines();
    SetHead("TH005C1", "1");
    EXPECT_TRUE(form->RecalculateTotals());
    EXPECT_TRUE(form->messages.empty()) << ::testing::PrintToString(form->messages);
    EXPECT_EQ(LineAmounts(),
              (std::vector<std::string>{"884.95/115.05/884.95/115.05", "88.5/11.5/88.5/11.5",
                                        "294.69/38.31/294.69/38.31"}));
    const char* pairs[][2] = {
        {"TH027", "TI044"}, {"TH020", "TI045"}, {"TH031", "TI046"}, {"TH032", "TI047"}};
    for (auto& [total, line] : pairs) {
        EXPECT_EQ(Head(total)->AsString(), LineSum(line)) << total;
        EXPECT_EQ(plat::FloatToStr(Head(total)->AsFloat()), LineSum(line)) << total;
    }
    EXPECT_EQ(Head("TH027")->AsFloat(), 1268.14);
    EXPECT_EQ(Head("TH020")->AsFloat(), 164.86);
    // Split again, nothing is left to place.
    EXPECT_TRUE(form->RecalculateTotals());
    EXPECT_EQ(LineAmounts()[0], "884.95/115.05/884.95/115.05");
}

TEST_F(TotalsTest, OnlyADocumentLevelTaxSettingSplitsTheTotal) {
    struct Case {
        const char *supplier, *sysDefault;
        bool split;
    } cases[] = {{"", "1", true}, {"", "2", false}, {"2", "1", false}, {"1", "2", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.supplier) + "/" + c.sysDefault);
        StartWithThreeLines({{"SYS006", c.sysDefault}});
        SetHead("TH005C1", c.supplier);
        EXPECT_TRUE(form->RecalculateTotals());
        EXPECT_EQ(LineAmounts()[0],
                  c.split ? "884.95/115.05/884.95/115.05" : "884.96/115.04/884.96/115.04");
        form->Free();
        form = nullptr;
        server->Db().Exec("DELETE FROM MOCTI WHERE TI002='20240112001' AND TI003<>'0001'");
    }
}

}  // namespace
}  // namespace ktrb::test

#include "forms/PSMSimpleBodyCF.h"

#include "body_fixture.h"
#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "forms/ShowWarningDIY.h"
#include "platform/core/exceptions.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "runtime/PropAccess.h"

namespace ktrb::test {
namespace {

class SerialFormTest : public BodyFormTest {
  protected:
    // The window over the first line's serials of a document being changed,
    // maintaining.
    TfrmPSMSimpleBody* Open() {
        cdsMain->Edit();
        auto* f = MakeForm();
        f->Show();
        f->SetMaintainMode(true);
        return f;
    }
    void Scan(TfrmPSMSimpleBody* f, const std::string& serial) {
        f->edSeqNoScan->SetText(serial);
        f->edSeqNoScanExit(f->edSeqNoScan);
    }
    bool MemoSays(TfrmPSMSimpleBody* f, const std::string& kind, const std::string& code) {
        std::string text = b->GetMessage(kind, code);
        text = text.substr(0, text.find('%'));
        return !f->moMSG->Text().empty() && f->moMSG->Text().find(text) != std::string::npos;
    }
};

TEST_F(SerialFormTest, IntervalInputFillsTheRunOfThePattern) {
    auto* f = Open();
    f->SetInputMode(TSerialInputMode::Interval);
    f->edFormatText->SetText("AB****");
    f->RunStart = 3;
    f->RunEnd = 6;
    f->edBegSeq->SetText("98");
    f->edEndSeq->SetText("101");
    f->btnSureClick(f->btnSure);
    EXPECT_TRUE(f->IntervalAccepted);
    EXPECT_EQ(Serials(),
              (std::vector<std::string>{"AB0101", "AB0100", "AB0099", "AB0098", "SN-1", "SN-2"}));
    EXPECT_EQ(cdsFoot->RecNo(), 1);
    EXPECT_EQ(f->edTotalSeqNo->Text(), "6");
    // A number wider than the run is written whole.
    EXPECT_EQ(f->FillPattern("AB****", 12345), "AB12345");
}

TEST_F(SerialFormTest, TheEncodingFormatGivesThePatternAndOnlyItsRunIsFilled) {
    auto* f = Open();
    f->SetInputMode(TSerialInputMode::Interval);
    f->DateText = "20240118";
    f->BatchNumber = "********************";
    f->SetItem("B2001");
    EXPECT_EQ(f->edFormat->Text(), "SN01");
    EXPECT_EQ(f->lblformat->Caption(), "主板序号");
    EXPECT_EQ(f->edFormatText->Text(), "B2001-240118-****");
    EXPECT_EQ(f->FillPattern(f->edFormatText->Text(), 7), "B2001-240118-0007");
    // The no-batch placeholder in a pattern keeps its asterisks.
    f->edFormatText->SetText("********************-****");
    f->RunStart = 22;
    f->RunEnd = 25;
    EXPECT_EQ(f->FillPattern(f->edFormatText->Text(), 7), "********************-0007");
    // A format whose first segment is the running number.
    f->cdsTemp->EmptyDataSet();
    EXPECT_EQ(f->BuildFormatText(false), "");
}

TEST_F(SerialFormTest, EveryRunOfThePatternIsFilled) {
    auto* f = Open();
    f->RunStart = 3;
    f->RunEnd = 5;
    struct Case {
        const char* pattern;
        const char* serial;
    };
    for (const Case& c : {Case{"A-***-B***", "A-007-B007"}, Case{"***X***Y***", "007X007Y007"},
                          Case{"AB***", "AB007"},
                          Case{"AB-********************-***", "AB-********************-007"}})
        EXPECT_EQ(f->FillPattern(c.pattern, 7), c.serial) << c.pattern;
    // The interval writes every run of each serial.
    f->SetInputMode(TSerialInputMode::Interval);
    f->edFormatText->SetText("A-***-B***");
    f->edBegSeq->SetText("1");
    f->edEndSeq->SetText("1");
    f->btnSureClick(f->btnSure);
    EXPECT_EQ(Serials().front(), "A-001-B001");
}

TEST_F(SerialFormTest, AnIntervalWithADuplicateOrWithoutARunWritesNothing) {
    auto* f = Open();
    f->SetInputMode(TSerialInputMode::Interval);
    struct Case {
        const char* pattern;
        int runStart, runEnd;
        const char* code;
    } cases[] = {{"SN-*", 4, 4, "000002"}, {"OTHER-*", 7, 7, "000002"}, {"SN-", 1, 1, "201121"}};
    for (const Case& c : cases) {
        f->edFormatText->SetText(c.pattern);
        f->RunStart = c.runStart;
        f->RunEnd = c.runEnd;
        f->edBegSeq->SetText("1");
        f->edEndSeq->SetText("3");
        f->btnSureClick(f->btnSure);
        EXPECT_FALSE(f->IntervalAccepted) << c.pattern;
        EXPECT_TRUE(MemoSays(f, "E", c.code)) << c.pattern << ": " << f->moMSG->Text();
        EXPECT_EQ(Serials().size(), 2u) << c.pattern;
    }
}

TEST_F(SerialFormTest, ScanInputRefusesDuplicatesAndUnregisteredSerials) {
    auto* f = Open();
    struct Case {
        const char* serial;
        const char* code;  // empty: accepted
    } cases[] = {
        {"SN-1", "000002"},
        {"OTHER-1", "000002"},  // a serial of another line
        {"B2001-240118-0001", ""},
        {"B2001-240118-01", "201006"},  // wrong length: not registered
        {"B2001-240118-0001", "000002"},
    };
    f->SerialControl = "Y";
    f->BatchNumber = "L240118";
    f->edINVMB001->SetText("B2001");
    f->LineKeyField = "TI003";
    for (const Case& c : cases) {
        size_t before = Serials().size();
        Scan(f, c.serial);
        if (*c.code) {
            EXPECT_TRUE(MemoSays(f, "E", c.code)) << c.serial << ": " << f->moMSG->Text();
            EXPECT_EQ(Serials().size(), before) << c.serial;
            EXPECT_EQ(f->edSeqNoScan->Text(), c.serial);
        } else {
            EXPECT_EQ(Serials().front(), c.serial);
            EXPECT_EQ(f->edSeqNoScan->Text(), "");
        }
    }
}

TEST_F(SerialFormTest, TheCapacityWarningCanBeSilencedUntilTheNextShow) {
    doc->SetFormMode(1);
    auto* f = Open();
    f->SetFormMode(1);
    f->QuantityOne = 3;
    f->QuantityTwo = 2;
    Scan(f, "NEW-1");
    Scan(f, "NEW-2");
    Scan(f, "NEW-3");  // 5 rows: as many as the quantities
    EXPECT_TRUE(runner->Shown().empty());
    runner->Expect("TfrmWarningShowDIY", [](plat::TCustomForm&) { return plat::mrCancel; });
    EXPECT_THROW(Scan(f, "NEW-4"), plat::EAbort);
    EXPECT_EQ(Serials().size(), 5u);
    runner->Expect("TfrmWarningShowDIY", [](plat::TCustomForm&) { return mrDontRemind; });
    Scan(f, "NEW-4");
    Scan(f, "NEW-5");
    EXPECT_EQ(runner->Shown().size(), 2u);
    EXPECT_EQ(Serials().size(), 7u);
    f->Hide();
    f->Show();
    runner->Expect("TfrmWarningShowDIY", [](plat::TCustomForm&) { return plat::mrOk; });
    Scan(f, "NEW-6");
    EXPECT_EQ(runner->Shown().size(), 3u);
}

TEST_F(SerialFormTest, MarkedSerialsAreSelectedByKeysAndDeletedAfterAsking) {
    auto* f = Open();
    Scan(f, "NEW-1");
    uint16_t key = 'A';
    f->DBGridKeyDown(f->DBGrid, key, {plat::TShiftStateItem::ssCtrl});
    for (cdsFoot->First(); !cdsFoot->Eof(); cdsFoot->Next())
        EXPECT_EQ(cdsFoot->FieldByName("CHECKED")->AsString(), "Y");
    key = 'B';
    f->DBGridKeyDown(f->DBGrid, key, {plat::TShiftStateItem::ssCtrl});
    for (cdsFoot->First(); !cdsFoot->Eof(); cdsFoot->Next()) {
        cdsFoot->Edit();
        SetFieldText(cdsFoot->FieldByName("CHECKED"),
                     cdsFoot->FieldByName("MB004")->AsString() == "SN-2" ? "N" : "Y");
        cdsFoot->Post();
    }
    dialogs->Answer(plat::mrCancel);
    f->btnDeleteSeqClick(f->btnDeleteSeq);
    EXPECT_EQ(Serials().size(), 3u);
    ASSERT_FALSE(dialogs->Requests().empty());
    EXPECT_NE(dialogs->Requests().back().Text.find("2"), std::string::npos);
    dialogs->Answer(plat::mrOk);
    key = plat::VK_DELETE;
    f->DBGridKeyDown(f->DBGrid, key, {plat::TShiftStateItem::ssShift});
    EXPECT_EQ(Serials(), std::vector<std::string>{"SN-2"});
}

TEST_F(SerialFormTest, APostIsCheckedOnTheSerialItPostsNotOnTheScanText) {
    auto* f = Open();
    cdsFoot->Locate("MB004", plat::Variant("SN-2"));
    cdsFoot->Edit();
    SetFieldText(cdsFoot->FieldByName("MB004"), "SN-1");
    f->edSeqNoScan->SetText("UNIQUE");
    EXPECT_THROW(cdsFoot->Post(), plat::EAbort);
    EXPECT_TRUE(MemoSays(f, "E", "000002"));
    SetFieldText(cdsFoot->FieldByName("MB004"), "FRESH");
    f->edSeqNoScan->SetText("SN-1");
    cdsFoot->Post();
    EXPECT_EQ(cdsFoot->FieldByName("MB004")->AsString(), "FRESH");
    // An empty serial is refused.
    cdsFoot->Edit();
    SetFieldText(cdsFoot->FieldByName("MB004"), "");
    EXPECT_THROW(cdsFoot->Post(), plat::EAbort);
    EXPECT_TRUE(MemoSays(f, "E", "000003"));
    cdsFoot->Cancel();
}

TEST_F(SerialFormTest, TheSiblingProgramsSerialsAreCheckedAndWritten) {
    auto* f = Open();
    if (f->btnSRLB03) f->btnSRLB03->SetVisible(true);
    f->SerialControl = "Y";
    f->BatchNumber = "L240118";
    f->DateText = "20240118";
    f->SetInputMode(TSerialInputMode::Interval);
    f->SetItem("B2001");
    f->edBegSeq->SetText("20");
    f->edEndSeq->SetText("22");
    f->btnSRLB03Click(f->btnSRLB03);
    EXPECT_EQ(Serials(), (std::vector<std::string>{"B2001-240118-0022", "B2001-240118-0021",
                                                   "B2001-240118-0020", "SN-1", "SN-2"}));
    EXPECT_FALSE(f->ExternalBatch);
    // The same numbers again: each is a duplicate now.
    f->btnSRLB03Click(f->btnSRLB03);
    EXPECT_EQ(Serials().size(), 5u);
    EXPECT_TRUE(MemoSays(f, "E", "000002"));
}

TEST_F(SerialFormTest, Pictures) {
    for (const char* ui : {"936", "437"}) {
        SetCodePages(ui, "936");
        auto* f = Open();
        f->DateText = "20240118";
        f->QuantityOne = 3;
        f->SetInputMode(TSerialInputMode::Interval);
        f->SetItem("B2001");
        f->edINVMB002->SetText("控制器主板");
        f->edINVMB003->SetText("PCBA V2.1");
        f->edNum1->SetText("3");
        f->edNum2->SetText("0");
        f->edSeqNoScan->SetFocus();
        Scan(f, "SN-1");
        EXPECT_FALSE(f->moMSG->Text().empty());
        std::string lang = std::string(ui) == "437" ? "eng" : "chs";
        plat::SaveScreenshot(f, PicturePath("serial_form_" + lang + ".png"));
        f->Free();
        form_ = nullptr;
        cdsMain->Cancel();
    }
}

}  // namespace
}  // namespace ktrb::test

#include "receipt/forms/Ktrb52Seq.h"

#include <gtest/gtest.h>

#include <functional>

#include "controls/QrvEdit.h"
#include "forms/ShowWarningDIY.h"
#include "platform/core/exceptions.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/stdctrls.h"
#include "receipt/forms/work_order_fixture.h"

namespace ktrb::test {
namespace {

class ReceiptSerialTest : public BarcodeTest {
  protected:
    // A new receipt with one line of the controller board (serial numbers
    // managed) from its work order: 3 accepted, 1 scrapped, 1 destroyed.
    void BoardLine(const std::string& ui = "936") {
        Start({}, ui);
        NewReceipt("S003", "USD", "3", "20240118", "0");
        try {
            Scan("5201-20240115001");
        } catch (...) {
            ADD_FAILURE() << ::testing::PrintToString(form->messages);
            throw;
        }
        ASSERT_EQ(dm->cdsBody1->RecordCount(), 1) << ::testing::PrintToString(form->messages);
        dm->cdsBody1->Edit();
        const std::pair<const char*, const char*> values[] = {
            {"TI007", "5"}, {"TI019", "3"}, {"TI021", "1"}, {"TI056", "1"}, {"TI010", "L240118"}};
        for (const auto& [name, value] : values) SetFieldTextQuiet(Line(name), value);
        try {
            dm->cdsBody1->Post();
        } catch (...) {
            ADD_FAILURE() << ::testing::PrintToString(form->messages);
            throw;
        }
        ASSERT_EQ(Line("TI004MB454")->AsString(), "Y");
    }
    // Opens the serial form of a kind from its button; work runs while it is shown.
    void Serials(const char* kind, const std::function<void(TfrmKTRB52Seq&)>& work) {
        dialogs->Expect("TfrmKTRB52Seq", [=](plat::TCustomForm& f) {
            auto& s = dynamic_cast<TfrmKTRB52Seq&>(f);
            if (!s.MaintainMode) s.SetMaintainMode(true);
            work(s);
            return plat::mrOk;
        });
        const std::string k = kind;
        if (k == "A") form->gdBody1IButtonClick(form->gdBody1IButton);
        if (k == "B") form->btnScrapSeqClick(form->btnScrapSeq);
        if (k == "C") form->btnDestroySeqClick(form->btnDestroySeq);
        EXPECT_EQ(dialogs->Pending(), 0);
    }
    static void ScanSerial(TfrmKTRB52Seq& s, const std::string& serial) {
        s.edSeqNoScan->SetText(serial);
        s.edSeqNoScanExit(s.edSeqNoScan);
    }
    static void Interval(TfrmKTRB52Seq& s, int first, int last) {
        s.edBegSeq->SetText(std::to_string(first));
        s.edEndSeq->SetText(std::to_string(last));
    }
    bool MemoSays(TfrmKTRB52Seq& s, const std::string& code) {
        std::string text = form->Brokers()->GetMessage("E", code);
        text = plat::Trim(text.substr(0, text.find('%')));
        return s.moMSG->Text().find(text) != std::string::npos;
    }
    void RefuseTheWarning() {
        dialogs->Expect("TfrmWarningShowDIY", [](plat::TCustomForm&) { return plat::mrCancel; });
    }
    void AcceptTheWarning() {
        dialogs->Expect("TfrmWarningShowDIY", [](plat::TCustomForm&) { return plat::mrOk; });
    }
    static int Rows(TfrmKTRB52Seq& s) { return s.BodyDataSet->RecordCount(); }
};

TEST_F(ReceiptSerialTest, EachKindTakesSerialsUpToItsQuantityAndTheyAreSaved) {
    BoardLine();
    Serials("A", [&](TfrmKTRB52Seq& s) {
        EXPECT_DOUBLE_EQ(s.QuantityOne, 3);
        // Not registered for the work order.
        ScanSerial(s, "SN2401180001");
        EXPECT_TRUE(MemoSays(s, "201063")) << s.moMSG->Text();
        for (const char* serial : {"B2001-240118-0001", "B2001-240118-0002", "B2001-240118-0003"})
            ScanSerial(s, serial);
        EXPECT_EQ(Rows(s), 3) << s.moMSG->Text();
        RefuseTheWarning();
        EXPECT_THROW(ScanSerial(s, "B2001-240118-0004"), plat::EAbort);
        EXPECT_EQ(Rows(s), 3);
    });
    Serials("B", [&](TfrmKTRB52Seq& s) {
        EXPECT_EQ(Rows(s), 0) << "only the scrapped kind's rows";
        s.SetInputMode(TSerialInputMode::Interval);
        EXPECT_EQ(s.edFormatText->Text(), "B2001-240118-****");
        Interval(s, 4, 4);
        s.btnSureClick(s.btnSure);
        EXPECT_EQ(Rows(s), 1) << s.moMSG->Text();
        Interval(s, 5, 5);
        RefuseTheWarning();
        EXPECT_THROW(s.btnSureClick(s.btnSure), plat::EAbort);
        EXPECT_EQ(Rows(s), 1);
    });
    Serials("C", [&](TfrmKTRB52Seq& s) {
        // Held by this receipt already, under another kind.
        ScanSerial(s, "B2001-240118-0001");
        EXPECT_TRUE(MemoSays(s, "000002")) << s.moMSG->Text();
        EXPECT_EQ(Rows(s), 0);
        // The sibling program's serials.
        s.SetInputMode(TSerialInputMode::Interval);
        Interval(s, 5, 5);
        s.btnSRLB03Click(s.btnSRLB03);
        EXPECT_EQ(Rows(s), 1) << s.moMSG->Text();
        Interval(s, 6, 6);
        RefuseTheWarning();
        EXPECT_THROW(s.btnSRLB03Click(s.btnSRLB03), plat::EAbort);
        EXPECT_EQ(Rows(s), 1);
    });
    EXPECT_FALSE(dm->cdsFoot->Filtered());
    EXPECT_EQ(dm->cdsFoot->RecordCount(), 5);

    ASSERT_TRUE(form->SaveDocument()) << ::testing::PrintToString(form->messages);
    const std::string where = " FROM PSMMB WHERE MB001='5901' AND MB002='" +
                              Head("TH002")->AsString() + "' AND MB005='H' AND MB006=";
    EXPECT_EQ(Sql("SELECT group_concat(MB004, ',')" + where + "'A' ORDER BY MB004"),
              "B2001-240118-0001,B2001-240118-0002,B2001-240118-0003");
    EXPECT_EQ(Sql("SELECT group_concat(MB004, ',')" + where + "'B'"), "B2001-240118-0004");
    EXPECT_EQ(Sql("SELECT group_concat(MB004, ',')" + where + "'C'"), "B2001-240118-0005");
}

TEST_F(ReceiptSerialTest, TheWorkOrdersSerialsAreOneBatchAgainstTheQuantity) {
    BoardLine();
    Serials("A", [&](TfrmKTRB52Seq& s) {
        ASSERT_TRUE(s.btnMOCSeq->Enabled());
        // Six registered serials for three accepted: refused as a whole.
        RefuseTheWarning();
        EXPECT_THROW(s.btnMOCSeqClick(s.btnMOCSeq), plat::EAbort);
        EXPECT_EQ(Rows(s), 0);
    });
}

TEST_F(ReceiptSerialTest, TheFormOpenedAgainTakesAScanInItsOpenRow) {
    BoardLine();
    for (const char* serial : {"B2001-240118-0001", "B2001-240118-0002"})
        Serials("A", [&](TfrmKTRB52Seq& s) {
            ScanSerial(s, serial);
            EXPECT_EQ(s.moMSG->Text(), "") << serial;
        });
    Serials("B", [&](TfrmKTRB52Seq& s) {
        ScanSerial(s, "B2001-240118-0004");
        EXPECT_EQ(Rows(s), 1) << s.moMSG->Text();
    });
    Serials("A", [&](TfrmKTRB52Seq& s) {
        EXPECT_EQ(Rows(s), 2);
        ScanSerial(s, "B2001-240118-0003");
        EXPECT_EQ(Rows(s), 3) << s.moMSG->Text();
    });
    ASSERT_TRUE(form->SaveDocument()) << ::testing::PrintToString(form->messages);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM PSMMB WHERE MB001='5901' AND MB002='" +
                  Head("TH002")->AsString() + "' AND MB004 <> ''"),
              "4");
}

TEST_F(ReceiptSerialTest, TheQuantityIsALimitEvenWhenTheWarningIsAccepted) {
    BoardLine();
    // One scrapped: the second by scan, interval or the sibling program is not written.
    Serials("B", [&](TfrmKTRB52Seq& s) {
        ScanSerial(s, "B2001-240118-0004");
        ASSERT_EQ(Rows(s), 1) << s.moMSG->Text();
        AcceptTheWarning();
        ScanSerial(s, "B2001-240118-0005");
        EXPECT_EQ(Rows(s), 1);
        s.SetInputMode(TSerialInputMode::Interval);
        Interval(s, 5, 6);
        AcceptTheWarning();
        s.btnSureClick(s.btnSure);
        EXPECT_EQ(Rows(s), 1);
        Interval(s, 5, 5);
        AcceptTheWarning();
        s.btnSRLB03Click(s.btnSRLB03);
        EXPECT_EQ(Rows(s), 1);
    });
    // Six registered serials for three accepted.
    Serials("A", [&](TfrmKTRB52Seq& s) {
        AcceptTheWarning();
        s.btnMOCSeqClick(s.btnMOCSeq);
        EXPECT_EQ(Rows(s), 0);
    });
    Serials("B", [&](TfrmKTRB52Seq& s) { EXPECT_EQ(Rows(s), 1); });
}

TEST_F(ReceiptSerialTest, NothingOpensWithoutAQuantityOrForABatchItemWithoutBatch) {
    BoardLine();
    dm->cdsBody1->Edit();
    SetFieldTextQuiet(Line("TI056"), "0");
    dm->cdsBody1->Post();
    form->btnDestroySeqClick(form->btnDestroySeq);
    dm->cdsBody1->Edit();
    SetFieldTextQuiet(Line("TI010"), "********************");
    dm->cdsBody1->Post();
    form->btnScrapSeqClick(form->btnScrapSeq);
    EXPECT_TRUE(Shown("E", "100161"));
    EXPECT_TRUE(dialogs->Shown().size() == 1u) << "only the barcode dialog";
}

// The selection tick comes first, as a check box, in view beside the
// serial, also after a scan made the serial the current column.
TEST_F(ReceiptSerialTest, TheSerialGridShowsItsSelectionTickAsACheckBox) {
    BoardLine();
    Serials("A", [&](TfrmKTRB52Seq& s) {
        ScanSerial(s, "B2001-240118-0001");
        ASSERT_EQ(Rows(s), 1);
        plat::TDataGridColumn* tick = nullptr;
        int index = 0;
        for (int i = 0; i < s.DBGrid->VisibleColumnCount(); ++i) {
            plat::TDataGridColumn* c = s.DBGrid->VisibleColumn(i);
            if (c->FieldName() == "CHECKED") tick = c, index = i;
        }
        ASSERT_NE(tick, nullptr);
        EXPECT_EQ(index, 0);
        EXPECT_EQ(tick->ControlType(), plat::TColumnControlType::ctCheckBox);
        const int col = s.DBGrid->IndicatorOffset() + index;
        EXPECT_FALSE(s.DBGrid->CellRect(col, s.DBGrid->Row()).IsEmpty());
        EXPECT_FALSE(s.DBGrid->CellRect(col + 1, s.DBGrid->Row()).IsEmpty());
    });
}

TEST_F(ReceiptSerialTest, PictureInChinese) {
    BoardLine();
    Serials("A", [&](TfrmKTRB52Seq& s) {
        ScanSerial(s, "B2001-240118-0001");
        ScanSerial(s, "SN2401180001");
        Picture(s, "receipt_serial_chs.png");
    });
}

TEST_F(ReceiptSerialTest, PictureInTraditionalChinese) {
    BoardLine("950");
    Serials("C", [&](TfrmKTRB52Seq& s) {
        ScanSerial(s, "B2001-240118-0009");
        Picture(s, "receipt_serial_cht.png");
    });
}

TEST_F(ReceiptSerialTest, PictureInEnglish) {
    BoardLine("437");
    Serials("B", [&](TfrmKTRB52Seq& s) {
        s.SetInputMode(TSerialInputMode::Interval);
        Interval(s, 4, 4);
        s.btnSureClick(s.btnSure);
        Picture(s, "receipt_serial_eng.png");
    });
}

}  // namespace
}  // namespace ktrb::test

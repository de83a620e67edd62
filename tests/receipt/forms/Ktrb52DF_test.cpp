#include "receipt/forms/Ktrb52DF.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "receipt/forms/receipt_form_fixture.h"

namespace ktrb::test {
namespace {

const char* const kLine = " FROM MOCTI WHERE TI001='5901' AND TI002='20240108001' AND TI003='0001'";

class AmountDialogTest : public ReceiptFormTest {
  protected:
    // The confirmed first line of a confirmed receipt, browsed.
    void OnConfirmedLine(const std::vector<std::pair<std::string, std::string>>& sys = {}) {
        Start(sys);
        ASSERT_TRUE(GoTo("20240108001"));
        dm->cdsBody1->First();
        form->UpdateButtons();
    }
    // Types a value into one of the dialog's edits, as a user does.
    static void Type(TQvDBEdit* edit, const std::string& text) {
        edit->SetFocus();
        edit->SelectAll();
        for (char32_t ch : plat::Utf8ToU32(text)) edit->SimulateKey(0, {}, ch);
    }
};

TEST_F(AmountDialogTest, AmountsOfAConfirmedLineAreStoredByTheServer) {
    OnConfirmedLine();
    EXPECT_TRUE(form->btnMoney->Enabled());
    EXPECT_EQ(Sql("SELECT TI026" + std::string(kLine)), "0");
    bool started = false;
    dialogs->Expect("TfrmKtrb52DF", [&](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmKtrb52DF&>(f);
        started = form->AmountEntryStarted;
        EXPECT_EQ(d.PageControl1->ActivePage(), d.TabSheet3);
        EXPECT_EQ(d.edTI026->Caption(), "扣款金额");
        EXPECT_TRUE(d.edTI027->Visible()) << "purchase expense hidden without AP accounting";
        Type(d.edTI026, "120");
        Type(d.edTI028, "外观刮伤");
        return plat::mrOk;
    });
    form->btnMoney->Click();
    EXPECT_EQ(dialogs->Pending(), 0);
    EXPECT_TRUE(started);
    EXPECT_FALSE(form->AmountEntryStarted) << "cleared when the entry ends";
    EXPECT_TRUE(form->messages.empty()) << form->messages.front();
    EXPECT_EQ(Sql("SELECT TI026" + std::string(kLine)), "120");
    EXPECT_EQ(Sql("SELECT TI028" + std::string(kLine)), "外观刮伤");
    // The form shows what was stored, on the same line, browsing.
    EXPECT_EQ(dm->cdsBody1->State(), plat::dsBrowse);
    EXPECT_EQ(dm->cdsMain->State(), plat::dsBrowse);
    EXPECT_EQ(Line("TI003")->AsString(), "0001");
    EXPECT_DOUBLE_EQ(Line("TI026")->AsFloat(), 120);
}

TEST_F(AmountDialogTest, CancelLeavesLineAndHeaderAsTheyWere) {
    OnConfirmedLine();
    const std::string before = Line("TI024")->AsString();
    dialogs->Expect("TfrmKtrb52DF", [&](plat::TCustomForm& f) {
        Type(static_cast<TfrmKtrb52DF&>(f).edTI024, "99");
        return plat::mrCancel;
    });
    form->btnMoneyClick(form);
    EXPECT_EQ(Line("TI024")->AsString(), before);
    EXPECT_EQ(dm->cdsBody1->State(), plat::dsBrowse);
    EXPECT_EQ(dm->cdsMain->State(), plat::dsBrowse);
    EXPECT_EQ(Sql("SELECT TI024" + std::string(kLine)), "12.5");
}

// The server refuses a line invoiced meanwhile: the message, and the typed
// amounts do not stay on the screen as if stored (a later apply of the
// header would otherwise send them past the server's refusal).
TEST_F(AmountDialogTest, RefusedAmountsAreNotLeftPending) {
    OnConfirmedLine();
    server->Db().Exec("UPDATE MOCTI SET TI038='Y'" + std::string(kLine).substr(11));
    dialogs->Expect("TfrmKtrb52DF", [&](plat::TCustomForm& f) {
        Type(static_cast<TfrmKtrb52DF&>(f).edTI026, "77");
        return plat::mrOk;
    });
    form->btnMoneyClick(form);
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find("货款更新失败"), std::string::npos) << form->messages[0];
    EXPECT_EQ(dm->cdsBody1->State(), plat::dsBrowse);
    EXPECT_DOUBLE_EQ(Line("TI026")->AsFloat(), 0);
    EXPECT_EQ(Sql("SELECT TI026" + std::string(kLine)), "0");
}

TEST_F(AmountDialogTest, PurchaseExpenseHiddenUnderApAccounting) {
    Start();
    form->ApAccountingActive = true;
    ASSERT_TRUE(GoTo("20240108001"));
    dialogs->Expect("TfrmKtrb52DF", [&](plat::TCustomForm& f) {
        EXPECT_FALSE(static_cast<TfrmKtrb52DF&>(f).edTI027->Visible());
        return plat::mrCancel;
    });
    form->btnMoneyClick(form);
    EXPECT_EQ(dialogs->Pending(), 0);
}

// Each check that stops the entry before the dialog opens.
struct Refusal {
    const char* what;
    std::vector<std::pair<std::string, std::string>> sys;
    const char* sql;      // run on the server before the form starts
    const char* message;  // part of the message shown
};

class AmountRefusalTest : public AmountDialogTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(AmountRefusalTest, StopsBeforeTheDialog) {
    const Refusal& r = GetParam();
    if (*r.sql) server->Db().Exec(r.sql);
    OnConfirmedLine(r.sys);
    EXPECT_THROW(form->btnMoneyClick(form), plat::EAbort) << r.what;
    EXPECT_TRUE(dialogs->Shown().empty()) << r.what;
    ASSERT_EQ(form->messages.size(), 1u) << r.what;
    EXPECT_NE(form->messages[0].find(r.message), std::string::npos) << form->messages[0];
    EXPECT_FALSE(form->AmountEntryStarted);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, AmountRefusalTest,
    ::testing::Values(
        // The line is dated 2024-01-08: January closed, then the month before.
        Refusal{"closed month", {{"SYS013", "202401"}}, "", "所在期间已关账"},
        Refusal{"before opening", {{"SYS011", "202402"}}, "", "所在期间已关账"},
        Refusal{"voucher",
                {},
                "INSERT INTO ACPTB (TB001, TB002, TB003, TB004, TB005, TB006, TB007) VALUES "
                "('7101', '20240120001', '0003', '2', '5901', '20240108001', '0001')",
                "此资料已被单据 7101-20240120001-0003 使用"},
        Refusal{"payment",
                {},
                "INSERT INTO ACPTQ (TQ001, TQ002, TQ003, TQ004, TQ005, TQ006, TQ007) VALUES "
                "('7301', '20240125001', '0001', '3', '5901', '20240108001', '0001')",
                "付款单据 7301-20240125001-0001"},
        Refusal{"journal",
                {},
                "UPDATE MOCTI SET TI041='Y' WHERE TI001='5901' AND TI002='20240108001'",
                "已生成分录"}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (c == ' ') c = '_';
        return name;
    });

// Without the host's validator nothing is known of the documents using the
// line: that stops the entry, it does not count as unused.
TEST_F(AmountDialogTest, LookUpThatCannotAnswerStops) {
    beforeInit = [](TRecordedReceiptForm& f) {
        f.Brokers()->SetFetchSet(f.Brokers()->FetchSet() &
                                 ~(1u << unsigned(THostSubObject::Validator)));
    };
    OnConfirmedLine();
    ASSERT_FALSE(form->Brokers()->ComValidator().IsDispatch());
    EXPECT_THROW(form->btnMoneyClick(form), plat::EAbort);
    EXPECT_TRUE(dialogs->Shown().empty());
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find("查询资料失败"), std::string::npos) << form->messages[0];
}

TEST_F(AmountDialogTest, InvoicePageStoresTheHeader) {
    OnConfirmedLine();
    dialogs->Expect("TfrmKtrb52DF", [&](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmKtrb52DF&>(f);
        EXPECT_EQ(d.PageControl1->ActivePage(), d.TabSheet1);
        EXPECT_FALSE(d.cboTH015->Enabled());
        d.cboTH012->SetFocus();
        d.cboTH012->SetItemIndex(1);  // "B.普通发票"
        d.cboTH012->UserSelected(1);
        EXPECT_TRUE(form->InvoiceKindFromDialog());
        Type(d.edTH014, "inv0099");
        return plat::mrOk;
    });
    form->btnInvEditClick(form);
    EXPECT_EQ(dialogs->Pending(), 0);
    EXPECT_EQ(Sql("SELECT TH012 FROM MOCTH WHERE TH001='5901' AND TH002='20240108001'"), "B");
    EXPECT_EQ(Sql("SELECT TH014 FROM MOCTH WHERE TH001='5901' AND TH002='20240108001'"), "INV0099");
    EXPECT_EQ(dm->cdsMain->State(), plat::dsBrowse);
}

// F2 in the dialog runs the receipt form's look-up for the line's field.
TEST_F(AmountDialogTest, F2OnThePricingUnitWritesTheLineOnly) {
    OnConfirmedLine();
    form->Show();
    auto dravoc = std::dynamic_pointer_cast<standin::ScriptedDravoc>(services->dravoc);
    ASSERT_TRUE(dravoc);
    dravoc->Enqueue("F2GetData", plat::Variant::ArrayOf({plat::Variant::ArrayOf({"BOX"})}));
    dialogs->Expect("TfrmKtrb52DF", [&](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmKtrb52DF&>(f);
        d.edTI023->SetFocus();
        uint16_t key = plat::VK_F2;
        d.HandleF2Key(key, d.edTI023);
        EXPECT_EQ(Line("TI023")->AsString(), "BOX");
        EXPECT_EQ(d.edTI023->Text(), "BOX");
        return plat::mrCancel;
    });
    form->btnMoneyClick(form);
    EXPECT_EQ(Line("TI023")->AsString(), "PCS");
    const plat::Variant request = dravoc->Calls().back().args[0];
    EXPECT_EQ(plat::VarToStr(request[request.LowBound()]), "INVMD");
    dravoc->ClearCalls();
}

TEST(AcceptanceDate, ComparesTheYearMonthWithTheClosingMonths) {
    struct Case {
        const char *date, *opening, *closing;
        bool open;
    } cases[] = {
        {"20240108", "202401", "202312", true},
        {"20231231", "202401", "202312", false},
        {"20240131", "202401", "202401", false},
        {"20240201", "202401", "202401", true},
        {"20240108", "202402", "202312", false},
        {"", "202401", "202312", false},
        {"20240108", "", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AcceptanceDateOpen(c.date, c.opening, c.closing), c.open)
            << c.date << " " << c.opening << " " << c.closing;
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

class AmountDialogPicture : public AmountDialogTest,
                            public ::testing::WithParamInterface<const char*> {};

// Both pages, in the interface language.
TEST_P(AmountDialogPicture, BothPages) {
    const std::string ui = GetParam();
    Start({}, ui);
    ASSERT_TRUE(GoTo("20240108001"));
    dm->cdsBody1->First();
    const std::string base =
        ShotPath(std::string("amount_dialog_") + (ui == "437" ? "eng" : "chs"));
    for (const char* page : {"_amounts.png", "_invoice.png"}) {
        dialogs->Expect("TfrmKtrb52DF", [base, page](plat::TCustomForm& f) {
            plat::SaveScreenshot(&f, base + page);
            return plat::mrCancel;
        });
    }
    form->btnMoneyClick(form);
    form->btnInvEditClick(form);
    EXPECT_TRUE(std::filesystem::exists(base + "_amounts.png"));
    EXPECT_TRUE(std::filesystem::exists(base + "_invoice.png"));
}

INSTANTIATE_TEST_SUITE_P(Languages, AmountDialogPicture, ::testing::Values("936", "437"));

}  // namespace
}  // namespace ktrb::test

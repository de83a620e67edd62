#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "receipt/forms/receipt_form_fixture.h"
#include "standins/servers/suite_journal.h"

namespace ktrb::test {
namespace {

using plat::Variant;

// The search windows the broker opens, recorded.
struct SearchCall {
    std::string table, query, linkField;
    Variant params;
};
std::vector<SearchCall> gSearches;
class RecordedSearch : public ISearchWindow {
  public:
    Variant Execute(TBrokers*, const Variant& table, const Variant& query, const Variant& params,
                    const Variant& bodyTable, const Variant&, const Variant&,
                    const std::string& link, const std::string&, int, const std::string&) override {
        gSearches.push_back({plat::VarToStr(table), plat::VarToStr(query),
                             plat::VarToStr(bodyTable) + ":" + link, params});
        return Variant();
    }
};

class ReceiptKeysTest : public ReceiptFormTest {
  protected:
    ReceiptKeysTest() {
        previous = SetSearchWindowFactory([] { return std::make_unique<RecordedSearch>(); });
        gSearches.clear();
    }
    ~ReceiptKeysTest() override {
        SetSearchWindowFactory(previous);
        if (dravoc()) dravoc()->ClearCalls();
    }
    std::shared_ptr<standin::ScriptedDravoc> dravoc() {
        return std::dynamic_pointer_cast<standin::ScriptedDravoc>(services->dravoc);
    }
    // The unconfirmed receipt in edit, on its first line, the column chosen.
    void EditLine(const char* field) {
        form->Show();
        ASSERT_TRUE(GoTo("20240112001"));
        ASSERT_TRUE(form->EditRecord());
        dm->cdsBody1->First();
        form->gdBody1->SetSelectedField(Line(field));
    }
    void Press(uint16_t key) { form->HandleF2Key(key, form->gdBody1); }
    // The last request to the host's look-up window: [table, query, filter, ...].
    Variant LastLookup() {
        auto calls = dravoc()->Calls();
        return calls.empty() ? Variant() : calls.back().args[0];
    }
    std::vector<standin::SuiteEvent> Programs() {
        return services->suite->journal->Events(standin::SuiteEventKind::ProgramStarted);
    }
    TSearchWindowFactory previous;
};

TEST_F(ReceiptKeysTest, F2OnTheWorkOrderSendsItsFilterAndWritesBothFields) {
    Start();
    EditLine("TI013");
    dravoc()->Enqueue("F2GetData",
                      Variant::ArrayOf({Variant::ArrayOf({"5201", "20240110001", "x"})}));
    dm->cdsBody1->Edit();
    SetFieldTextQuiet(Line("TI014"), "");
    uint16_t key = plat::VK_F2;
    form->HandleF2Key(key, form->gdBody1);
    EXPECT_EQ(Line("TI013")->AsString(), "5201");
    EXPECT_EQ(Line("TI014")->AsString(), "20240110001");
    const Variant request = LastLookup();
    ASSERT_TRUE(request.IsArray());
    const int lo = request.LowBound();
    EXPECT_EQ(plat::VarToStr(request[lo]), "MOCTA");
    EXPECT_EQ(plat::VarToStr(request[lo + 1]), "72");
    // The field's own filter reaches the look-up server, in its order.
    const Variant filter = request[lo + 2];
    ASSERT_TRUE(filter.IsArray());
    ASSERT_EQ(filter.ArrayCount(), 11);
    EXPECT_EQ(plat::VarToStr(filter[filter.LowBound()]), "2");
    EXPECT_EQ(plat::VarToStr(filter[filter.LowBound() + 1]), Head("TH004")->AsString());
    EXPECT_EQ(plat::VarToStr(filter[filter.LowBound() + 5]), "S002");
    EXPECT_EQ(plat::VarToStr(filter[filter.LowBound() + 6]), "C3001");
}

TEST_F(ReceiptKeysTest, F3OnTheBatchNumbersFromTheRule) {
    Start();
    EditLine("TI010");
    // As on an item kept by batches.
    Line("TI010")->SetReadOnly(false);
    auto f3 = [&] {
        uint16_t key = plat::VK_F3;
        form->HandleF3Key(key, form->gdBody1);
        return Line("TI010")->AsString();
    };
    // The demo's rule is "L" + today + a run of four.
    const std::string first = f3();
    ASSERT_EQ(first.size(), 13u) << first;
    EXPECT_EQ(first.substr(9), "0001") << first;
    const std::string prefix = first.substr(0, 9);
    server->Db().Exec("INSERT INTO INVME (ME001, ME002) VALUES ('C3001', '" + prefix + "0041')");
    EXPECT_EQ(f3(), prefix + "0042");
    server->Db().Exec("INSERT INTO INVME (ME001, ME002) VALUES ('C3001', '" + prefix + "9999')");
    EXPECT_EQ(f3(), prefix + "0042") << "numbers of the pattern used up";
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find("批号已用完"), std::string::npos) << form->messages[0];
}

TEST_F(ReceiptKeysTest, F3OnTheItemPicksAWorkOrder) {
    Start();
    EditLine("TI004");
    SetFieldTextQuiet(Head("MQC03C"), "Y");
    dm->cdsBody1->Edit();
    SetFieldTextQuiet(Line("TI014"), "");
    dravoc()->Enqueue("F2GetData", Variant::ArrayOf({Variant::ArrayOf({"5201", "20240110001"})}));
    uint16_t key = plat::VK_F3;
    form->HandleF3Key(key, form->gdBody1);
    EXPECT_EQ(Line("TI013")->AsString(), "5201");
    EXPECT_EQ(Line("TI014")->AsString(), "20240110001");
    const Variant request = LastLookup();
    ASSERT_TRUE(request.IsArray());
    EXPECT_EQ(plat::VarToStr(request[request.LowBound() + 1]), "71");
}

TEST_F(ReceiptKeysTest, F4OnTheItemTakesTheArrivalLine) {
    Start();
    EditLine("TI004");
    SetFieldTextQuiet(Head("MQC03C"), "Y");
    dm->cdsBody1->Edit();
    SetFieldTextQuiet(Line("TIC01"), "2");
    dravoc()->Enqueue("F2GetData",
                      Variant::ArrayOf({Variant::ArrayOf({"5A01", "20240201001", "0001"})}));
    uint16_t key = plat::VK_F4;
    try {
        form->HandleF4Key(key, form->gdBody1);
    } catch (const plat::EAbort&) {
        // A line check of the rules may refuse the arrival; the request stands.
    }
    const Variant request = LastLookup();
    ASSERT_TRUE(request.IsArray());
    EXPECT_EQ(plat::VarToStr(request[request.LowBound()]), "MOCCD");
    EXPECT_EQ(Line("TIC02")->AsString(), "5A01");
}

TEST_F(ReceiptKeysTest, QueryMenuOpensItsProgramsAndSearchWindows) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    dm->cdsBody1->First();
    form->miVNDB04->Click();
    form->miKTRB17->Click();
    form->miLDGB40->Click();
    const auto programs = Programs();
    ASSERT_EQ(programs.size(), 3u);
    EXPECT_EQ(programs[0].subject, "VNDB04");
    EXPECT_EQ(programs[0].detail, " PURMA.MA001 ='S001'");
    EXPECT_EQ(programs[1].subject, "KTRB17");
    EXPECT_EQ(programs[1].detail, " TA001 ='5201' and TA002 = '20240105001'");
    EXPECT_EQ(programs[2].subject, "LDGB40");
    EXPECT_EQ(programs[2].detail, "AJSTA.TA001='' AND AJSTA.TA002='' ");

    form->miBatchStockQuery->Click();
    form->miSubcontractPriceQuery->Click();
    form->miPriceHistoryQuery->Click();
    form->miPurchaseInvoiceQuery->Click();
    ASSERT_EQ(gSearches.size(), 4u);
    const char* expected[][2] = {
        {"INVML", "01"}, {"MOCMA", "01"}, {"MOCTN", "01"}, {"MOCTI", "60"}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(gSearches[i].table, expected[i][0]);
        EXPECT_EQ(gSearches[i].query, expected[i][1]);
    }
    EXPECT_EQ(gSearches[3].linkField, "ACPTB:TI003");
    EXPECT_TRUE(form->messages.empty());
}

TEST_F(ReceiptKeysTest, ThePriceQueryNeedsTheEditOrTheDeleteRight) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    dm->cdsBody1->First();
    struct Case {
        uint16_t rights;
        bool opens;
    };
    // $01 add, $02 edit, $04 query, $08 delete; $100 is set at creation only.
    for (const Case& c : {Case{0x01FF, true}, Case{0x0002, true}, Case{0x0008, true},
                          Case{0x01FF & ~0x0A, false}, Case{0x0104, false}}) {
        gSearches.clear();
        form->messages.clear();
        form->SetActionRights(c.rights);
        form->miSubcontractPriceQuery->Click();
        EXPECT_EQ(gSearches.size(), c.opens ? 1u : 0u) << std::hex << c.rights;
        EXPECT_EQ(form->messages.size(), c.opens ? 0u : 1u) << std::hex << c.rights;
    }
}

TEST_F(ReceiptKeysTest, QueryMenuNamesTheMissingFields) {
    Start();
    ASSERT_TRUE(form->AddRecord(false));
    form->miVNDB04->Click();
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find("委外供应商"), std::string::npos) << form->messages[0];
    EXPECT_TRUE(Programs().empty());
}

// Each open mode the host gives before the form shows.
TEST_F(ReceiptKeysTest, OpenModes) {
    struct Case {
        uint8_t mode;
        TFormMode formMode;
    } cases[] = {{1, TFormMode::Add},    {3, TFormMode::Edit},   {5, TFormMode::Browse},
                 {7, TFormMode::Add},    {8, TFormMode::Edit},   {10, TFormMode::Browse},
                 {0, TFormMode::Browse}, {42, TFormMode::Browse}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        Start();
        ASSERT_TRUE(GoTo("20240112001"));
        form->SetOpenMode(c.mode);
        form->Show();
        EXPECT_EQ(form->FormMode(), c.formMode);
        EXPECT_EQ(form->ExternalStart, c.mode == 7 || c.mode == 8);
        form->CancelEdit(false);
        form->Free();
        form = nullptr;
        services->suite->journal->Clear();
    }
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

TEST_F(ReceiptFormTest, CodedColumnsShowTheirTexts) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    dm->cdsBody1->First();
    EXPECT_EQ(Head("TH015")->Text(), "2");
    EXPECT_EQ(Head("TH015")->DisplayText(), "2.应税外加");
    EXPECT_EQ(Head("TH012")->DisplayText(), "2.三联式发票");
    EXPECT_EQ(Line("TIC01")->DisplayText(), "2.正式品号");
    EXPECT_EQ(Line("TI035")->DisplayText(), "2:合格");
    std::vector<std::string> items;
    ASSERT_TRUE(form->ComboBoxItems("cboTI035G", items));
    EXPECT_EQ(items.size(), 5u);
}

TEST_F(ReceiptFormTest, CodedTextsFollowTheInterfaceLanguage) {
    struct Case {
        const char *ui, *taxKind, *invoiceKind, *lineKind, *orWord;
    } cases[] = {
        {"437", "2.Tax added", "B.Ordinary invoice", "2.Formal item", " or "},
        {"950", "2.應稅外加", "B.普通發票", "2.正式品號", "或"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ui);
        Start({{"SYS026", "2"}}, c.ui);
        ASSERT_TRUE(GoTo("20240108001"));
        dm->cdsBody1->First();
        EXPECT_EQ(Head("TH015")->DisplayText(), c.taxKind);
        EXPECT_EQ(form->cboTH012->DisplayOf(1), c.invoiceKind);
        EXPECT_EQ(Line("TIC01")->DisplayText(), c.lineKind);
        EXPECT_EQ(form->Memo1[8], c.orWord);
        form->Free();
        form = nullptr;
    }
}

TEST_F(ReceiptFormTest, LettersOnlyInvoiceKindsUnderTheirParameter) {
    Start({{"SYS026", "2"}});
    EXPECT_EQ(form->cboTH012->Items()->Count(), 8);
    EXPECT_EQ(form->cboTH012G->Items()->Count(), 8);
    EXPECT_EQ((*form->cboTH012->Items())[1], "B.普通发票\tB");
}

TEST_F(ReceiptFormTest, InspectionStatusOnlyPassesAWaitingLine) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    struct Case {
        int before, chosen, after;
    } cases[] = {{1, 2, 2}, {1, 3, 1}, {0, 2, 0}, {2, 4, 2}};
    plat::TDBComboBox* combo = form->cboTI035G;
    for (const Case& c : cases) {
        combo->SetItemIndex(c.before);
        form->cboTI035GDropDown(combo);
        combo->SetItemIndex(c.chosen);
        form->cboTI035GChange(combo);
        EXPECT_EQ(combo->ItemIndex(), c.after) << c.before << " -> " << c.chosen;
    }
    // Without a drop-down first the guard is not armed.
    combo->SetItemIndex(3);
    form->cboTI035GChange(combo);
    EXPECT_EQ(combo->ItemIndex(), 3);
}

TEST_F(ReceiptFormTest, ProjectEditLockedWhileTheLineGridHasTheFocus) {
    Start({{"SYS180", "Y"}});
    ASSERT_TRUE(form->AddRecord(false));
    EXPECT_TRUE(form->edTH045->Enabled());
    // A locked grid: entering it neither posts the header nor adds a line.
    form->gdBody1->SetReadOnly(true);
    form->gdBody1->OnEnter(form->gdBody1);
    EXPECT_FALSE(form->edTH045->Enabled());
    form->gdBody1->OnExit(form->gdBody1);
    EXPECT_EQ(form->edTH045->Enabled(), dm->cdsBody1->IsEmpty());
}

TEST_F(ReceiptFormTest, NumberFormatsOfTheReceiptFields) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    EXPECT_EQ(Head("TH008")->DisplayText(), "1.0000000");  // exchange rate, seven places
    EXPECT_EQ(Head("TH009")->DisplayText(), "15");         // packages, whole
    EXPECT_EQ(Head("TH018")->DisplayText(), "3,750.00");   // amount in the currency's places
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

// The browse page, whose coded columns show their texts.
TEST_F(ReceiptFormTest, BrowsePagePicture) {
    Start();
    form->Show();
    form->pgHead->SetActivePage(form->tbsBrowse);
    const std::string out = ShotPath("receipt_form_browse_chs.png");
    plat::SaveScreenshot(form, out);
    EXPECT_TRUE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

// Last, Ctrl+E and Ctrl+End on the browse grid go to the last receipt of the
// query, not of the rows fetched so far; the counter then reads n/n.
TEST_F(ReceiptFormTest, LastGoesToTheLastReceiptOfTheQuery) {
    server->Db().Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 280) "
        "INSERT INTO MOCTH (TH001, TH002, TH005) SELECT '5901', printf('2025%07d', i), 'S001' "
        "FROM n");
    Start();
    form->Show();
    const int total = std::stoi(Sql("SELECT COUNT(*) FROM MOCTH"));
    ASSERT_GT(total, 280);
    const std::string last =
        Sql("SELECT TH001 || '-' || TH002 FROM MOCTH ORDER BY TH001 DESC, TH002 DESC LIMIT 1");
    auto atLast = [&] {
        EXPECT_EQ(dm->cdsMain->RecNo(), total);
        EXPECT_EQ(Head("TH001")->AsString() + "-" + Head("TH002")->AsString(), last);
        EXPECT_EQ(form->Status->Panels()->Items(3)->Text(),
                  std::to_string(total) + "/" + std::to_string(total));
    };
    ASSERT_LT(dm->cdsMain->RecordCount(), total);
    // The counter counts receipts on the browse page.
    form->pgHead->SetActivePage(form->tbsBrowse);
    form->btnLast->Click();
    atLast();

    form->OpenDataSet(dm->cdsMain, "", "");
    form->pgHead->SetActivePage(form->tbsBrowse);
    form->gdHead->SetFocus();
    form->gdHead->SimulateKey(plat::VK_END, {plat::ssCtrl});
    atLast();

    form->OpenDataSet(dm->cdsMain, "", "");
    uint16_t key = 'E';
    EXPECT_TRUE(form->IsShortCut(key, {plat::ssCtrl}));
    atLast();
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

// The void menu item and the void button are one action: one state.
TEST_F(ReceiptFormTest, TheVoidMenuItemAndButtonShareOneState) {
    Start();
    form->Show();
    for (const char* number : {"20240108001", "20240112001"}) {
        ASSERT_TRUE(GoTo(number));
        EXPECT_EQ(form->miInvalid->Enabled(), form->btnInvalid->Enabled()) << number;
        EXPECT_EQ(form->miInvalid->Checked(), form->btnInvalid->Down()) << number;
    }
    ASSERT_TRUE(GoTo("20240112001"));
    ASSERT_TRUE(form->EditRecord());
    EXPECT_EQ(form->miInvalid->Enabled(), form->btnInvalid->Enabled());
    form->CancelEdit(false);
    EXPECT_EQ(form->miInvalid->Enabled(), form->btnInvalid->Enabled());
}

// Copying stays out of the flow button's drop-down, enabled as the first-record
// button is: the copy is reached by its handler, not offered by the menu.
TEST_F(ReceiptFormTest, TheCopyItemIsHiddenAndEnabledLikeTheFirstRecordButton) {
    Start();
    form->Show();
    ASSERT_TRUE(GoTo("20240112001"));
    form->UpdateButtons();
    EXPECT_FALSE(form->mnuCopy->Visible());
    EXPECT_EQ(form->mnuCopy->Enabled(), form->btnFirst->Enabled());
    ASSERT_TRUE(form->AddRecord(false));
    EXPECT_FALSE(form->mnuCopy->Visible());
    EXPECT_EQ(form->mnuCopy->Enabled(), form->btnFirst->Enabled());
    form->CancelEdit(false);
}

}  // namespace
}  // namespace ktrb::test

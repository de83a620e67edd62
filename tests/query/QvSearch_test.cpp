// The find-in-grid dialog: matching, the search over a grid's records in
// both directions, and runs of the dialog window answered by script.
#include "query/QvSearch.h"

#include <gtest/gtest.h>

#include "controls/QvRadioButton.h"
#include "platform/core/stringlist.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"

namespace ktrb::test {
namespace {

// A grid over receipts: number, supplier name and a hidden flag.
struct GridFixture {
    plat::TForm* form = plat::CreateForm<plat::TForm>(nullptr);
    plat::TClientDataSet* ds = new plat::TClientDataSet(form);
    plat::TDataSource* src = new plat::TDataSource(form);
    plat::TDataGrid* grid = new plat::TDataGrid(form);
    TqvSearchDialog* search = new TqvSearchDialog(form);
    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope runnerScope{runner};
    std::shared_ptr<plat::ScriptedMessageDialogs> messages =
        std::make_shared<plat::ScriptedMessageDialogs>();
    plat::MessageDialogsScope messageScope{messages};

    GridFixture() {
        ds->FieldDefs().Add("TH002", plat::TFieldType::ftString, 11);
        ds->FieldDefs().Add("TH005C", plat::TFieldType::ftString, 20);
        ds->FieldDefs().Add("TH023", plat::TFieldType::ftString, 1);
        ds->CreateDataSet();
        ds->FieldByName("TH002")->SetDisplayLabel("单号");
        ds->FieldByName("TH005C")->SetDisplayLabel("供应商");
        ds->FieldByName("TH023")->SetVisible(false);
        const char* rows[][2] = {{"001", "ABC"},  {"002", "xABCx"},    {"003", "abc  "},
                                 {"004", " ABC"}, {"005", "宏达电子"}, {"006", "ABC"}};
        for (auto& r : rows) {
            ds->Append();
            ds->FieldByName("TH002")->SetAsString(r[0]);
            ds->FieldByName("TH005C")->SetAsString(r[1]);
            ds->FieldByName("TH023")->SetAsString("N");
            ds->Post();
        }
        src->SetDataSet(ds);
        grid->SetDataSource(src);
        grid->SetParent(form);
        search->SetSearchGrid(grid);
    }
    ~GridFixture() { form->Free(); }
    std::string At() { return ds->FieldByName("TH002")->AsString(); }
    void GoTo(const char* number) { ds->Locate("TH002", plat::Variant(number)); }
};

TEST(FindText, MatchingByWholeTextOrPartAndByCase) {
    struct Case {
        const char *search, *cell;
        bool whole, cased, match;
    } cases[] = {
        {"ABC", "ABC", true, false, true},       {"ABC", "xABCx", true, false, false},
        {"ABC", "xABCx", false, false, true},    {"abc", "ABC", false, false, true},
        {"abc", "ABC", false, true, false},      {"", "", true, false, true},
        {"", "ABC", false, false, false},        {"", "", false, false, false},
        {"宏达", "宏达电子", false, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextMatches(c.search, c.cell, c.whole, c.cased), c.match)
            << c.search << " in " << c.cell;
}

TEST(FindText, ForwardsAndBackwardsWithoutWrappingAround) {
    GridFixture f;
    auto find = [&](const char* text, bool beginning, bool backward, bool whole) {
        return FindText(f.grid, "TH005C", text, beginning, backward, whole, false, "editing");
    };
    f.GoTo("001");
    EXPECT_TRUE(find("ABC", false, false, true));  // from the cursor: the next record on
    EXPECT_EQ(f.At(), "003");                      // trailing blanks ignored, case too
    EXPECT_TRUE(find("ABC", false, false, true));
    EXPECT_EQ(f.At(), "006");  // leading blanks count
    EXPECT_FALSE(find("ABC", false, false, true));
    EXPECT_EQ(f.At(), "006");  // no wrap to the first record
    EXPECT_TRUE(find("ABC", false, true, false));
    EXPECT_EQ(f.At(), "004");
    EXPECT_TRUE(find("ABC", true, false, true));
    EXPECT_EQ(f.At(), "001");  // from the beginning includes the first record
    EXPECT_TRUE(find("ABC", true, true, true));
    EXPECT_EQ(f.At(), "006");
    EXPECT_FALSE(find("nothing", true, false, false));
    EXPECT_EQ(f.At(), "006");
    EXPECT_FALSE(FindText(f.grid, "NOSUCH", "ABC", true, false, false, false, "editing"));
}

TEST(FindText, ARecordBeingEditedIsNeitherPostedNorLeft) {
    GridFixture f;
    f.GoTo("002");
    f.ds->Edit();
    f.ds->FieldByName("TH005C")->SetAsString("ABC");
    try {
        FindText(f.grid, "TH005C", "ABC", true, false, false, false, "先保存或取消");
        FAIL() << "searched";
    } catch (const ESearchError& e) {
        EXPECT_STREQ(e.what(), "先保存或取消");
    }
    EXPECT_EQ(f.ds->State(), plat::dsEdit);
    EXPECT_EQ(f.At(), "002");
    EXPECT_EQ(f.ds->FieldByName("TH005C")->AsString(), "ABC");
    f.ds->Cancel();
    EXPECT_EQ(f.ds->FieldByName("TH005C")->AsString(), "xABCx");
}

TEST(SearchDialog, ARunFromTheBeginningFallsBackToTheCursor) {
    GridFixture f;
    f.GoTo("003");
    f.search->Origin = TSearchOrigin::soFromBeginning;
    f.search->WholeWordsOnly = true;
    int after = 0;
    f.search->AfterSearch = [&](TfrmSearchDlg*, bool& found) {
        ++after;
        EXPECT_FALSE(found);
    };
    std::vector<std::string> offered, names;
    f.runner->Expect([&](plat::TCustomForm& form) {
        auto& dlg = static_cast<TfrmSearchDlg&>(form);
        for (int i = 0; i < dlg.cbbFields->Items()->Count(); ++i)
            offered.push_back((*dlg.cbbFields->Items())[i]);
        for (int i = 0; i < dlg.FieldNames()->Count(); ++i) names.push_back((*dlg.FieldNames())[i]);
        EXPECT_EQ(dlg.GetSelectedFieldName(), names[0]);
        dlg.cbbFields->SetItemIndex(names[0] == "TH005C" ? 0 : 1);
        dlg.cbbText->SetText("nothing");
        dlg.btnNextClick(nullptr);
        EXPECT_TRUE(dlg.rbCursor->Checked());
        EXPECT_FALSE(dlg.rbBeginning->Checked());
        return plat::mrCancel;
    });
    EXPECT_FALSE(f.search->Execute());
    EXPECT_EQ(after, 1);
    EXPECT_EQ(f.messages->Texts(),
              (std::vector<std::string>{"Search string \"nothing\" not found"}));
    EXPECT_EQ(f.At(), "003");
    // Sorted by display label; the hidden field is not offered.
    EXPECT_EQ(offered.size(), 2u);
    for (size_t i = 0; i < offered.size(); ++i)
        EXPECT_EQ(f.ds->FieldByName(names[i])->DisplayLabel(), offered[i]);
    EXPECT_EQ(f.search->LastSearchText(), "nothing");
}

TEST(SearchDialog, ExecuteAnswersWhetherARecordWasFound) {
    GridFixture f;
    f.search->SortFields = TSearchSortFields::sfSortByFieldNo;
    int after = 0;
    f.search->AfterSearch = [&](TfrmSearchDlg*, bool&) { ++after; };
    f.runner->Expect([&](plat::TCustomForm& form) {
        auto& dlg = static_cast<TfrmSearchDlg&>(form);
        EXPECT_EQ(dlg.FieldNames()->Count(), 2);
        EXPECT_EQ((*dlg.FieldNames())[0], "TH002");  // the data set's order
        dlg.cbbFields->SetItemIndex(1);
        dlg.cbbText->SetText("宏达");
        dlg.rbBeginning->SetChecked(true);
        dlg.btnNextClick(nullptr);
        return plat::mrCancel;
    });
    EXPECT_TRUE(f.search->Execute());
    EXPECT_EQ(f.At(), "005");
    EXPECT_EQ(after, 0);  // a find from the beginning raises no AfterSearch
    EXPECT_TRUE(f.messages->Texts().empty());

    // A blank text is refused with its message; the options start from the
    // component's properties again, the text from the last run.
    f.runner->Expect([&](plat::TCustomForm& form) {
        auto& dlg = static_cast<TfrmSearchDlg&>(form);
        EXPECT_EQ(dlg.cbbText->Text(), "宏达");
        EXPECT_TRUE(dlg.rbCursor->Checked());
        dlg.cbbText->SetText("");
        dlg.btnNextClick(nullptr);
        return plat::mrCancel;
    });
    EXPECT_FALSE(f.search->Execute());
    EXPECT_EQ(f.messages->Texts(),
              (std::vector<std::string>{"The search string cannot be blank."}));
}

TEST(SearchDialog, NoActiveDataSetNoWindowAndNoSearchOverAnEdit) {
    GridFixture f;
    f.ds->Edit();
    f.runner->Expect([&](plat::TCustomForm& form) {
        auto& dlg = static_cast<TfrmSearchDlg&>(form);
        dlg.cbbText->SetText("ABC");
        EXPECT_THROW(dlg.btnNextClick(nullptr), ESearchError);
        return plat::mrCancel;
    });
    EXPECT_FALSE(f.search->Execute());
    EXPECT_EQ(f.ds->State(), plat::dsEdit);
    f.ds->Cancel();

    f.ds->Close();
    try {
        f.search->Execute();
        FAIL() << "opened";
    } catch (const ESearchError& e) {
        EXPECT_STREQ(e.what(), "DataSource does not reference an active DataSet");
    }
    EXPECT_TRUE(f.runner->Shown().size() == 1u);
}

TEST(SearchDialog, TheWindowInEnglishAndInChinese) {
    for (bool chinese : {false, true}) {
        GridFixture f;
        TQvUserIntl* intl = new TQvUserIntl(f.form);
        if (chinese) {
            TQvUserDialogInfo* i = intl->UserDialogInfo();
            i->BtnClose = "关闭(&O)";
            i->BtnNext = "下一个(&N)";
            i->ChkCaseSentitive = "区分大小写(&C)";
            i->ChkWholeWords = "全字匹配(&W)";
            i->GrpDirection = "方向";
            i->GrpFields = "查找栏位(&S)";
            i->GrpOptions = "选项";
            i->GrpOrigin = "起点";
            i->LblSearchText = "查找内容(&T)";
            i->RbBackward = "向上(&B)";
            i->RbForward = "向下(&D)";
            i->RbFromCursor = "从当前记录(&F)";
            i->RbFromBeginning = "从头开始(&E)";
            intl->DialogFont()->SetName("宋体");
            f.search->SetUserIntl(intl);
            f.search->Caption = "查找";
        }
        f.runner->Expect([&](plat::TCustomForm& form) {
            auto& dlg = static_cast<TfrmSearchDlg&>(form);
            dlg.cbbText->SetText(chinese ? "宏达" : "ABC");
            plat::SaveScreenshot(&dlg, ::testing::TempDir() + (chinese ? "find_dialog_chs.png"
                                                                       : "find_dialog_eng.png"));
            EXPECT_EQ(dlg.grpFields->Caption(), chinese ? "查找栏位(&S)" : "&Search Field");
            return plat::mrCancel;
        });
        f.search->Execute();
    }
}

}  // namespace
}  // namespace ktrb::test

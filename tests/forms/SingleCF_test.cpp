// The single-table form on the demo suppliers: open modes, add, edit, save
// with keep-on-add, cancel, delete, required keys, page and key locking.
#include "forms/SingleCF.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "controls/ExtPage.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/screenshot.h"
#include "single_fixture.h"

namespace ktrb::test {
namespace {

using Single = SingleFormTest;

TEST_F(Single, SaveWithKeepOnAddStartsTheNextRecordWithTheKeptValues) {
    Start();
    form->KeepOnAdd = true;
    dm->SetKeepFields("MA021");
    ASSERT_TRUE(form->AddRecord(true));
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    EXPECT_EQ(form->pgHead->ActivePageIndex(), 0);
    F("MA001")->SetAsString("S010");
    F("MA002")->SetAsString("新供应商");
    F("MA021")->SetAsString("JPY");
    ASSERT_TRUE(form->SaveDocument());
    EXPECT_FALSE(form->SaveFailed);
    EXPECT_EQ(dm->provider.Rows().size(), 4u);
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    EXPECT_EQ(dm->cdsMain->State(), plat::dsInsert);
    EXPECT_EQ(F("MA021")->AsString(), "JPY");
    // A fresh add from the toolbar blanks the kept values first.
    form->CancelEdit(false);
    form->AddRecord(true);
    EXPECT_EQ(F("MA021")->AsString(), "");
}

TEST_F(Single, SaveWithoutKeepOnAddReturnsToBrowsing) {
    Start();
    form->KeepOnAdd = false;
    ASSERT_TRUE(form->AddRecord(true));
    F("MA001")->SetAsString("S011");
    ASSERT_TRUE(form->SaveDocument());
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    EXPECT_EQ(dm->cdsMain->State(), plat::dsBrowse);
}

TEST_F(Single, RefusedApplyKeepsTheRecordEditable) {
    Start();
    dm->provider.OnApplyRow = [](const plat::TDeltaRow&, int, std::vector<plat::TAssignedValue>&) {
        return std::string("duplicate key");
    };
    ASSERT_TRUE(form->EditRecord());
    F("MA002")->SetAsString("改名");
    EXPECT_FALSE(form->SaveDocument());
    EXPECT_TRUE(form->SaveFailed);
    EXPECT_NE(std::find(form->Codes().begin(), form->Codes().end(), "E000008"),
              form->Codes().end());
    EXPECT_EQ(dm->cdsMain->State(), plat::dsEdit);
    EXPECT_EQ(form->FormMode(), TFormMode::Edit);
}

TEST_F(Single, EmptyKeyStopsThePostWithTheKeyMessage) {
    Start();
    form->Show();
    form->AddRecord(true);
    F("MA002")->SetAsString("无编号");
    EXPECT_FALSE(form->ValidateRequiredFields(dm->cdsMain));
    ASSERT_FALSE(form->messages.empty());
    EXPECT_EQ(form->messages.back().kind + form->messages.back().code, "E000003");
}

TEST_F(Single, CancelAsksInAddModeAndKeepsTheRecordOnNo) {
    Start();
    form->AddRecord(true);
    F("MA001")->SetAsString("S012");
    form->answers["C000004"] = modal::Cancel;
    EXPECT_FALSE(form->CancelEdit(true));
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    form->answers.clear();
    EXPECT_TRUE(form->CancelEdit(true));
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    EXPECT_EQ(form->MainWhere, "1=1");
    // Without the question nothing is asked.
    form->messages.clear();
    form->AddRecord(true);
    F("MA001")->SetAsString("S013");
    EXPECT_TRUE(form->CancelEdit(false));
    EXPECT_TRUE(form->messages.empty());
}

TEST_F(Single, DeleteRemovesTheAttachmentsOnlyAfterTheRecordIsGone) {
    Start();
    form->AttachmentKeys.Add("S001");
    dm->cdsMain->First();
    form->answers["C000001"] = modal::Cancel;
    EXPECT_FALSE(form->DeleteRecord(true));
    EXPECT_EQ(Calls("TransactionSQL"), 0);

    dm->provider.OnApplyRow = [](const plat::TDeltaRow&, int, std::vector<plat::TAssignedValue>&) {
        return std::string("in use");
    };
    form->answers.clear();
    EXPECT_FALSE(form->DeleteRecord(true));
    EXPECT_EQ(Calls("TransactionSQL"), 0);
    EXPECT_EQ(dm->provider.Rows().size(), 3u);

    dm->provider.OnApplyRow = nullptr;
    dm->cdsMain->First();
    ASSERT_TRUE(form->DeleteRecord(false));
    ASSERT_EQ(Calls("TransactionSQL"), 1);
    const Variant& args = *LastCall("TransactionSQL");
    EXPECT_EQ(plat::VarToStr(args[0][0]),
              " DELETE FROM ATTACH  WHERE Parent = 'VNDB04'        AND CompanyID = 'DEMO'        "
              "AND KeyValues = 'S001' ");
    EXPECT_EQ(plat::VarToStr(args[1]), "");
    EXPECT_EQ(form->AttachmentKeys.IndexOf("S001"), -1);
}

TEST_F(Single, EditingLocksTheKeyAndPagesFollowTheMode) {
    Start();
    dm->cdsMain->First();
    ASSERT_TRUE(form->EditRecord());
    EXPECT_FALSE(form->edMA001->Enabled());
    EXPECT_TRUE(form->edMA002->Enabled());
    EXPECT_TRUE(form->tbsHead1->Enabled());
    EXPECT_FALSE(form->tbsBrowse->Enabled());
    EXPECT_FALSE(form->tbsBrowse->TabVisible());
    EXPECT_TRUE(form->btnOK->Enabled());
    form->CancelEdit(false);
    EXPECT_TRUE(form->edMA001->Enabled());
    EXPECT_TRUE(form->tbsBrowse->Enabled());
    EXPECT_FALSE(form->tbsHead1->Enabled());
    EXPECT_FALSE(form->btnOK->Enabled());
    form->AddRecord(true);
    EXPECT_TRUE(form->edMA001->Enabled());

    // Without the page-edit bits no data page can be edited.
    form->CancelEdit(false);
    form->SetRightsSet(0);
    form->EditRecord();
    EXPECT_FALSE(form->tbsHead1->Enabled());
    EXPECT_FALSE(form->pnlHead->Enabled());
}

TEST_F(Single, CtrlPageDownWrapsToTheFirstPageOnlyWhileEditing) {
    Start();
    const int beforeBrowse = form->tbsBrowse->PageIndex() - 1;
    dm->cdsMain->First();
    form->EditRecord();
    form->pgHead->SetActivePageIndex(beforeBrowse);
    uint16_t key = plat::VK_NEXT;
    form->FormKeyDown(form, key, {plat::ssCtrl});
    EXPECT_EQ(form->pgHead->ActivePageIndex(), 0);
    EXPECT_EQ(key, 0);
    form->CancelEdit(false);
    form->pgHead->SetActivePageIndex(beforeBrowse);
    key = plat::VK_NEXT;
    form->FormKeyDown(form, key, {plat::ssCtrl});
    EXPECT_EQ(form->pgHead->ActivePage(), form->tbsBrowse);
}

// Each open mode the host gives before the form shows.
TEST_F(Single, OpenModes) {
    struct Case {
        uint8_t mode;
        TFormMode formMode;
        size_t prints;
    } cases[] = {{1, TFormMode::Add, 0},    {3, TFormMode::Edit, 0},   {5, TFormMode::Browse, 1},
                 {7, TFormMode::Add, 0},    {8, TFormMode::Edit, 0},   {10, TFormMode::Browse, 0},
                 {0, TFormMode::Browse, 0}, {42, TFormMode::Browse, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        Start(c.mode);
        dm->cdsMain->First();
        Show();
        EXPECT_EQ(form->FormMode(), c.formMode);
        EXPECT_EQ(form->printed.size(), c.prints);
        EXPECT_EQ(form->ExternalStart, c.mode == 7 || c.mode == 8);
        form->Free();
        form = nullptr;
    }
}

TEST_F(Single, HostKeysStartCloseAfterTheFirstSaveWithResultOne) {
    Start(7);
    Show();
    F("MA001")->SetAsString("S020");
    ASSERT_TRUE(form->SaveDocument());
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    TCloseAction action = TCloseAction::caHide;
    form->FormClose(form, action);
    EXPECT_EQ(form->ResultCode(), 1);
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

// The form as a user sees it, its data page and its browse page, under a
// simplified Chinese and an English interface ($KTRB_SHOTS keeps a copy).
TEST_F(Single, Pictures) {
    const char* env = std::getenv("KTRB_SOURCE_DIR");
    std::filesystem::path root =
        env && *env ? std::filesystem::path(env)
                    : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    std::filesystem::copy(root / "standins/data/client/MultiLanguage",
                          inst.client() + "MultiLanguage",
                          std::filesystem::copy_options::recursive);
    for (const char* ui : {"936", "437"}) {
        Installation::write(inst.client() + "MireltaC.ini",
                            std::string("[CodePage]\nUICodePage=") + ui +
                                "\nDBCodePage=936\n[Server Information]\nComputerName=127.0.0.1\n");
        Start();
        form->SetCaption(ui[0] == '9' ? "供应商信息查询" : "Supplier Inquiry");
        form->ApplyFormLanguage(true);
        form->Show();
        dm->cdsMain->First();
        const std::string lang = ui[0] == '9' ? "CHS" : "ENG";
        form->pgHead->SetActivePage(form->tbsBrowse);
        form->UpdateButtons();
        std::vector<std::string> names = {"single_form_" + lang + "_browse.png",
                                          "single_form_" + lang + "_edit.png"};
        plat::SaveScreenshot(form, inst.client() + names[0]);
        if (const char* dir = std::getenv("KTRB_SHOTS"))
            plat::SaveScreenshot(form, std::string(dir) + "/" + names[0]);
        form->EditRecord();
        plat::SaveScreenshot(form, inst.client() + names[1]);
        if (const char* dir = std::getenv("KTRB_SHOTS"))
            plat::SaveScreenshot(form, std::string(dir) + "/" + names[1]);
        form->CancelEdit(false);
        form->Hide();
        form->Free();
        form = nullptr;
    }
}

}  // namespace
}  // namespace ktrb::test

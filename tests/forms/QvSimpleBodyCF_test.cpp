#include "forms/QvSimpleBodyCF.h"

#include "body_fixture.h"
#include "controls/FDBGrid.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "runtime/PropAccess.h"

namespace ktrb::test {
namespace {

using SimpleBodyTest = BodyFormTest;

TEST_F(SimpleBodyTest, WithoutADataSourceItRefusesAndClosesButTheProgramGoesOn) {
    auto* f = MakeForm<TfrmSimpleBody>(false);
    ASSERT_EQ(dialogs->Requests().size(), 1u);
    EXPECT_NE(dialogs->Requests()[0].Text.find("DBGrid's DataSource or DataSet is nil"),
              std::string::npos);
    EXPECT_EQ(f->ShowModal(), plat::mrCancel);
    EXPECT_FALSE(plat::Application->Terminated());
    EXPECT_TRUE(runner->Shown().empty() || runner->Shown()[0] == "TfrmSimpleBody");
}

TEST_F(SimpleBodyTest, MaintainModeOnlyWhileTheDocumentIsAddedOrChanged) {
    auto* f = MakeForm<TfrmSimpleBody>();
    f->Show();
    EXPECT_FALSE(f->MaintainMode);
    EXPECT_TRUE(f->DBGrid->ReadOnly());
    f->SetMaintainMode(true);
    EXPECT_TRUE(f->MaintainMode);  // a browsing body may be maintained...
    f->SetMaintainMode(false);
    f->UpdateButtons();
    if (f->miRedact) {
        EXPECT_FALSE(f->miRedact->Enabled());  // ...but the menu offers it only while editing
        cdsMain->Edit();
        f->UpdateButtons();
        EXPECT_TRUE(f->miRedact->Enabled());
    }
    f->Hide();
}

TEST_F(SimpleBodyTest, AnEmptyBodyOfAnEditedDocumentStartsMaintainingWithANewKeyedRow) {
    cdsMain->Edit();
    cdsBody1->Last();  // line 0002 ...
    cdsFoot->First();
    cdsFoot->Delete();  // ... left without serials
    auto* f = MakeForm<TfrmSimpleBody>();
    f->Show();
    EXPECT_TRUE(f->MaintainMode);
    EXPECT_FALSE(f->DBGrid->ReadOnly());
    ASSERT_EQ(cdsFoot->State(), plat::dsInsert);
    EXPECT_EQ(cdsFoot->FieldByName("MB003")->AsString(), "0002");
    EXPECT_EQ(cdsFoot->FieldByName("MB001")->AsString(), "5901");
    EXPECT_EQ(cdsFoot->FieldByName("CREATOR")->AsString(), "DS");
    EXPECT_EQ(cdsFoot->FieldByName("FLAG")->AsString(), "-1");
    // An untouched new row is left as it is by Escape's cancel...
    EXPECT_FALSE(f->CancelEdit(true));
    EXPECT_EQ(cdsFoot->State(), plat::dsInsert);
    // ...and dropped when maintaining ends.
    f->SetMaintainMode(false);
    EXPECT_EQ(cdsFoot->State(), plat::dsBrowse);
    EXPECT_TRUE(cdsFoot->IsEmpty());
    f->Hide();
}

TEST_F(SimpleBodyTest, ARowOfANewLineGetsPlaceholderKeys) {
    cdsMain->Edit();
    cdsBody1->Append();
    for (auto [field, value] :
         {std::pair{"TI001", "5901"}, {"TI002", "20240118001"}, {"TI003", "0003"}})
        cdsBody1->FieldByName(field)->SetAsString(value);
    auto* f = MakeForm<TfrmSimpleBody>();
    f->SetMaintainMode(true);
    ASSERT_EQ(cdsFoot->State(), plat::dsInsert);
    // Twenty tildes, as far as each key column holds them.
    EXPECT_EQ(cdsFoot->FieldByName("MB001")->AsString(), "~~~~");
    EXPECT_EQ(cdsFoot->FieldByName("MB002")->AsString(), std::string(11, '~'));
}

TEST_F(SimpleBodyTest, ChangedRowsCountTheirFlagAndLeavingPostsThem) {
    auto* f = MakeForm<TfrmSimpleBody>();
    cdsMain->Edit();
    f->SetMaintainMode(true);
    struct Case {
        double flag;
        const char* want;
    } cases[] = {{0, "-1"}, {5, "-6"}, {999, "0"}, {-3, "-3"}};
    for (const Case& c : cases) {
        cdsFoot->First();
        cdsFoot->Edit();
        SetFieldText(cdsFoot->FieldByName("FLAG"), plat::FloatToStr(c.flag));
        SetFieldText(cdsFoot->FieldByName("MB006"), "B");
        f->SetMaintainMode(false);  // posts the modified row
        EXPECT_EQ(cdsFoot->State(), plat::dsBrowse);
        EXPECT_EQ(cdsFoot->FieldByName("FLAG")->AsString(), c.want) << c.flag;
        f->SetMaintainMode(true);
    }
    EXPECT_EQ(cdsFoot->FieldByName("MODIFIER")->AsString(), "DS");
}

TEST_F(SimpleBodyTest, AddingWithoutTheMastersKeyIsRefused) {
    cdsMain->Edit();
    cdsBody1->Edit();
    cdsBody1->FieldByName("TI003")->SetAsString("");
    auto* f = MakeForm<TfrmSimpleBody>();
    int before = cdsFoot->RecordCount();
    EXPECT_THROW(f->AddRecord(false), plat::EAbort);
    EXPECT_EQ(cdsFoot->RecordCount(), before);
    EXPECT_EQ(cdsFoot->State(), plat::dsBrowse);
}

TEST_F(SimpleBodyTest, TheDatasetsGetTheirOwnHandlersBackWhenTheWindowGoes) {
    bool own = false;
    cdsFoot->AfterPost = plat::TDataSetNotifyEvent([&](plat::TDataSet*) { own = true; });
    plat::TDataSetNotifyEvent saved = cdsFoot->AfterPost;
    auto* f = MakeForm<TfrmSimpleBody>();
    EXPECT_FALSE(cdsFoot->AfterPost == saved);
    f->Free();
    form_ = nullptr;
    EXPECT_TRUE(cdsFoot->AfterPost == saved);
    cdsFoot->Edit();
    cdsFoot->Post();
    EXPECT_TRUE(own);
}

TEST_F(SimpleBodyTest, EnterClosesOnlyOutsideAnEditedRow) {
    auto* f = MakeForm<TfrmSimpleBody>();
    f->Show();
    cdsFoot->Edit();
    uint16_t key = plat::VK_RETURN;
    f->DBGridKeyDown(f->DBGrid, key, {});
    EXPECT_TRUE(f->Visible());
    cdsFoot->Cancel();
    f->DBGridKeyDown(f->DBGrid, key, {});
    EXPECT_FALSE(f->Visible());
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

TEST_F(BodyFormTest, AWindowFreedWithItsOwnerLeavesTheDatasetsSound) {
    plat::TDataSetNotifyEvent saved = cdsFoot->BeforePost;
    MakeForm<TfrmPSMSimpleBody>();
    form_ = nullptr;  // the document form frees it with itself
    doc->RemoveComponent(cdsFoot);
    doc->RemoveComponent(cdsBody1);
    doc->RemoveComponent(cdsMain);
    doc->Free();
    doc = nullptr;
    EXPECT_TRUE(cdsFoot->BeforePost == saved);
    delete cdsFoot;
    delete cdsBody1;
    delete cdsMain;
}

}  // namespace
}  // namespace ktrb::test

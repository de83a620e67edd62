// The base document form on the demo database: which buttons and menu items
// a state allows, the state texts, the host's component overrides, required
// fields, per-record rights, field locks, Esc and closing while editing,
// and the document viewer.
#include "forms/BaseCF.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "forms_fixture.h"
#include "platform/automation/dispatch.h"
#include "platform/data/clientdataset.h"
#include "platform/data/field.h"
#include "platform/system/desktop.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/screenshot.h"

namespace ktrb::test {
namespace {

using plat::VarArrayOf;
using plat::Variant;

using BaseOnHost = FormsOnHost;

// Passes every call to the inner object; `intercept` answers first when it
// returns true.
class Wrapper : public plat::Dispatch {
  public:
    using Intercept =
        std::function<bool(std::string_view name, plat::DispArgs args, Variant& result)>;
    Wrapper(plat::DispatchPtr inner, Intercept intercept)
        : inner_(std::move(inner)), intercept_(std::move(intercept)) {}
    bool HasMember(std::string_view name) const override { return inner_->HasMember(name); }

  protected:
    Variant DoInvoke(std::string_view name, plat::DispatchKind kind, plat::DispArgs args) override {
        Variant result;
        if (intercept_(name, args, result)) return result;
        return inner_->Invoke(name, kind, args);
    }

  private:
    plat::DispatchPtr inner_;
    Intercept intercept_;
};

const char* const kRuledItems[] = {"btnAdd",  "miAdd",     "btnQuery", "miQuery",  "btnEdit",
                                   "miEdit",  "btnDelete", "miDelete", "btnPrint", "btnFirst",
                                   "miFirst", "btnPrior",  "miPrior",  "btnNext",  "miNext",
                                   "btnLast", "miLast",    "miExit"};

std::map<std::string, bool> EnabledItems(TfrmBase* form) {
    std::map<std::string, bool> out;
    for (const char* name : kRuledItems) {
        plat::TComponent* c = form->FindComponent(name);
        if (auto* item = dynamic_cast<plat::TMenuItem*>(c))
            out[name] = item->Enabled();
        else if (auto* control = dynamic_cast<plat::TControl*>(c))
            out[name] = control->Enabled();
    }
    return out;
}

struct ButtonCase {
    const char* what;
    std::function<void(TestBaseForm*)> setUp;
    std::vector<std::string> enabled;
};

TEST_F(BaseOnHost, ButtonsFollowTheStateRightsAndActionBits) {
    const std::vector<std::string> all(std::begin(kRuledItems), std::end(kRuledItems));
    const ButtonCase cases[] = {
        {"browsing with rows", [](TestBaseForm*) {}, all},
        {"empty header data set",
         [](TestBaseForm* f) { f->OpenDataSet(f->MainDataSet(), "1=2", ""); },
         {"btnAdd", "miAdd", "btnQuery", "miQuery", "miExit"}},
        {"editing", [](TestBaseForm* f) { f->MainDataSet()->Edit(); }, {"miExit"}},
        {"no print bit", [](TestBaseForm* f) { f->SetActionRights(f->ActionRights() & ~0x10); },
         [&] {
             auto v = all;
             v.erase(std::find(v.begin(), v.end(), "btnPrint"));
             return v;
         }()},
        {"no delete right",
         [](TestBaseForm* f) {
             f->SetRightsSet(f->RightsSet() & ~(uint64_t{1} << 39));
             f->ApplyRights();
         },
         [&] {
             auto v = all;
             for (const char* n : {"btnDelete", "miDelete"})
                 v.erase(std::find(v.begin(), v.end(), n));
             return v;
         }()},
    };
    for (const ButtonCase& c : cases) {
        TestBaseForm* form = StartForm(HostParams());
        ASSERT_FALSE(form->MainDataSet()->IsEmpty());
        c.setUp(form);
        form->UpdateButtons();
        std::map<std::string, bool> expected;
        for (const char* name : kRuledItems)
            expected[name] = std::find(c.enabled.begin(), c.enabled.end(), name) != c.enabled.end();
        EXPECT_EQ(EnabledItems(form), expected) << c.what;
        form->MainDataSet()->Cancel();
        form->Free();
    }
}

TEST_F(BaseOnHost, HostOverridesSingleComponentsAfterTheRules) {
    TestBaseForm* form = StartForm(HostParams());
    form->ExPower = "btnPrint=N;;miViewItem=Y;NoSuchItem=Y;btnQuery";
    form->UpdateButtons();
    EXPECT_FALSE(form->btnPrint->Enabled());
    EXPECT_TRUE(form->miViewItem->Enabled());
    // An entry without "=" counts as an empty value.
    EXPECT_FALSE(form->btnQuery->Enabled());
    EXPECT_TRUE(form->btnEdit->Enabled());
    form->Free();
}

TEST_F(BaseOnHost, StateTextsFollowTheInterfaceCodePage) {
    for (const char* ui : {"936", "437"}) {
        SetCodePages(ui, "936");
        TestBaseForm* form = StartForm(HostParams());
        const bool chinese = std::string(ui) == "936";
        const char* expected[][2] = {{"浏览", "Browse"}, {"更改", "Edit"}, {"新增", "Insert"}};
        for (uint8_t mode = 0; mode <= 2; ++mode) {
            form->SetFormMode(mode);
            EXPECT_EQ(form->Status->Panels()->Items(0)->Text(), expected[mode][chinese ? 0 : 1]);
        }
        // No text for other states: the panel keeps what it had.
        form->ShowStateText(7);
        EXPECT_EQ(form->Status->Panels()->Items(0)->Text(), expected[2][chinese ? 0 : 1]);
        form->SetFormMode(0);
        form->Free();
    }
}

TEST_F(BaseOnHost, RequiredFieldListsMergeByDataSet) {
    TestBaseForm* form = StartForm(HostParams());
    form->RequiredFields.clear();
    form->SetRequiredFields("cdsMain:A,B;CDSMAIN:B,C");
    EXPECT_EQ(form->RequiredFields, "CDSMAIN:A,B,C");
    form->AddRequiredFields("cdsBody1:TI004; :X;cdsMain:");
    EXPECT_EQ(form->RequiredFields, "CDSMAIN:A,B,C;cdsBody1:TI004");
    form->RemoveRequiredFields("cdsmain:B");
    EXPECT_EQ(form->RequiredFields, "CDSMAIN:A,C;cdsBody1:TI004");
    form->SetRequiredFields("cdsMain:TH029");
    EXPECT_EQ(form->RequiredFields, "cdsMain:TH029");
    form->Free();
}

TEST_F(BaseOnHost, MissingRequiredFieldIsNamedAndFocusedOnItsPage) {
    TestBaseForm* form = StartForm(HostParams());
    auto* pages = new plat::TPageControl(form);
    pages->SetParent(form);
    pages->SetBounds(0, 40, 400, 200);
    plat::TTabSheet* sheets[2];
    for (auto*& s : sheets) {
        s = new plat::TTabSheet(form);
        s->SetPageControl(pages);
    }
    auto* edit = new plat::TDBEdit(form);
    edit->SetParent(sheets[1]);
    edit->SetDataSource(form->BaseModule()->dsMain);
    edit->SetDataField("TH005");
    pages->SetActivePage(sheets[0]);
    form->Show();

    plat::TClientDataSet* main = form->MainDataSet();
    form->EditRecord();
    main->FieldByName("TH005")->SetAsString("");
    form->RequiredFields = "cdsMain:TH001,TH005";
    EXPECT_FALSE(form->ValidateRequiredFields(main));
    ASSERT_EQ(dialogs->Requests().size(), 1u);
    EXPECT_NE(dialogs->Requests()[0].Text.find(main->FieldByName("TH005")->DisplayLabel()),
              std::string::npos);
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    EXPECT_EQ(form->ActiveControl(), edit);

    // Browse mode checks nothing.
    form->CancelEdit(false);
    EXPECT_TRUE(form->ValidateRequiredFields(main));
    form->Free();
}

TEST_F(BaseOnHost, MissingRequiredFieldOnAHiddenFormIsNamedWithoutFocusing) {
    TestBaseForm* form = StartForm(HostParams());
    auto* edit = new plat::TDBEdit(form);
    edit->SetParent(form);
    edit->SetDataSource(form->BaseModule()->dsMain);
    edit->SetDataField("TH005");
    plat::TClientDataSet* main = form->MainDataSet();
    form->EditRecord();
    main->FieldByName("TH005")->SetAsString("");
    form->RequiredFields = "cdsMain:TH005";
    bool valid = true;
    EXPECT_NO_THROW(valid = form->ValidateRequiredFields(main));
    EXPECT_FALSE(valid);
    EXPECT_EQ(dialogs->Requests().size(), 1u);
    form->CancelEdit(false);
    form->Free();
}

// A form freed by its owner runs its destroy handlers while all of it lives.
class OwnedBaseForm : public TestBaseForm {
    PLAT_CLASS(OwnedBaseForm, TestBaseForm)
  public:
    using TestBaseForm::TestBaseForm;
    void FormDestroy(plat::TObject* sender) override {
        TestBaseForm::FormDestroy(sender);
        if (destroyed) ++*destroyed;
    }
    int* destroyed = nullptr;
};

TEST_F(BaseOnHost, AFormFreedByItsOwnerRunsItsDestroyHandlerOnce) {
    int destroyed = 0;
    auto* owner = new plat::TComponent(nullptr);
    auto* form = plat::CreateForm<OwnedBaseForm>(owner);
    form->destroyed = &destroyed;
    delete owner;
    EXPECT_EQ(destroyed, 1);

    // Freed the usual way, before its owner: once, and the owner goes quietly.
    destroyed = 0;
    owner = new plat::TComponent(nullptr);
    form = plat::CreateForm<OwnedBaseForm>(owner);
    form->destroyed = &destroyed;
    form->Free();
    delete owner;
    EXPECT_EQ(destroyed, 1);
}

TEST_F(BaseOnHost, RecordRightsFollowCreatorAndGroup) {
    TestBaseForm* form = StartForm(HostParams());
    form->GroupList = "'ADMIN','PUR'";
    // Element 31 on; own records may be edited (38), the group's deleted (48),
    // other users' confirmed (56).
    const uint64_t bits = (uint64_t{1} << 31) | (uint64_t{1} << 38) | (uint64_t{1} << 48) |
                          (uint64_t{1} << 56) | (uint64_t{1} << 42);
    form->SetRightsSet(bits);
    auto* ds = new plat::TClientDataSet(form);
    ds->FieldDefs().Add("CREATOR", plat::TFieldType::ftString, 10);
    ds->FieldDefs().Add("USR_GROUP", plat::TFieldType::ftString, 10);
    ds->CreateDataSet();
    struct Row {
        const char *creator, *group;
        bool edit, del, confirm;
    };
    for (const Row& r :
         {Row{"", "QC", true, false, false}, Row{"DS", "QC", true, false, false},
          Row{"LIMEI", "PUR", false, true, false}, Row{"WANGQ", "PU", false, false, true}}) {
        ds->Append();
        ds->FieldByName("CREATOR")->SetAsString(r.creator);
        ds->FieldByName("USR_GROUP")->SetAsString(r.group);
        ds->Post();
        form->ApplyRecordRights(ds);
        EXPECT_EQ(form->EditAllowed, r.edit) << r.creator;
        EXPECT_EQ(form->DeleteAllowed, r.del) << r.creator;
        EXPECT_EQ(form->ConfirmAllowed, r.confirm) << r.creator;
        EXPECT_TRUE(form->PrintAllowed);
    }
    EXPECT_EQ(form->Status->Panels()->Items(3)->Text().substr(0, 2), "4/");
    form->Free();
}

TEST_F(BaseOnHost, PriceFieldsLockByLookupRights) {
    struct Case {
        const char* what;
        std::vector<int> elements;
        bool readOnly, hidden;
    };
    for (const Case& c :
         {Case{"R: read-only", {34}, true, false}, Case{"Y: as designed", {32}, false, false},
          Case{"none: disabled", {}, false, true}}) {
        TestBaseForm* form = StartForm(HostParams());
        auto* edit = new plat::TDBEdit(form);
        edit->SetParent(form);
        edit->SetDataSource(form->BaseModule()->dsMain);
        edit->SetDataField("TH005");
        uint64_t bits = uint64_t{1} << 33;  // amounts stay as designed
        for (int e : c.elements) bits |= uint64_t{1} << e;
        form->SetRightsSet(bits);
        form->PriceFieldList = "cdsMain:TH005";
        form->ApplyControlSettings();
        plat::TField* field = form->MainDataSet()->FieldByName("TH005");
        EXPECT_EQ(field->ReadOnly(), c.readOnly) << c.what;
        EXPECT_EQ(edit->ReadOnly(), c.readOnly) << c.what;
        EXPECT_EQ(!field->Visible(), c.hidden) << c.what;
        EXPECT_EQ(!edit->Enabled(), c.hidden) << c.what;
        EXPECT_EQ(edit->DataField().empty(), c.hidden) << c.what;
        form->Free();
    }
}

TEST_F(BaseOnHost, EscClosesInBrowseAndAsksAboutChangesByMode) {
    TestBaseForm* form = StartForm(HostParams());
    form->Show();
    plat::TClientDataSet* main = form->MainDataSet();
    const std::string editQuestion = form->Brokers()->GetMessage("C", "000002");
    const std::string addQuestion = form->Brokers()->GetMessage("C", "000004");
    ASSERT_NE(editQuestion, addQuestion);

    ASSERT_TRUE(form->AddRecord(true));
    main->FieldByName("TH005")->SetAsString("S002");
    dialogs->Answer(plat::mrOk);
    uint16_t esc = plat::VK_ESCAPE;
    form->FormKeyDown(form, esc, {});
    ASSERT_EQ(dialogs->Requests().size(), 1u);
    EXPECT_EQ(dialogs->Requests()[0].Text.find(addQuestion), 0u);
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    form->OpenDataSet(main, "", "");

    dialogs->Clear();
    ASSERT_TRUE(form->EditRecord());
    main->FieldByName("TH005")->SetAsString("S002");
    dialogs->Answer(plat::mrCancel);
    esc = plat::VK_ESCAPE;
    form->FormKeyDown(form, esc, {});
    ASSERT_EQ(dialogs->Requests().size(), 1u);
    EXPECT_EQ(dialogs->Requests()[0].Text.find(editQuestion), 0u);
    EXPECT_EQ(form->FormMode(), TFormMode::Edit);  // declined: still editing

    // Closing while editing asks; Cancel keeps the form, Yes saves.
    dialogs->Answer(plat::mrCancel);
    form->Close();
    EXPECT_TRUE(form->Visible());
    dialogs->Answer(plat::mrYes);
    form->Close();
    EXPECT_EQ(form->trace.back(), "SaveDocument");

    form->CancelEdit(false);
    form->Show();
    esc = plat::VK_ESCAPE;
    form->FormKeyDown(form, esc, {});
    EXPECT_FALSE(form->Visible());
    form->Free();
}

TEST_F(BaseOnHost, ViewerOpensTheItemsDocumentThroughTheDesktop) {
    // The demo catalogue has no item documents: the validator answers for one.
    plat::DispatchPtr center = workCenter.AsDispatch();
    plat::DispatchPtr validator =
        std::make_shared<Wrapper>(center->Get("Com_Validator").AsDispatch(),
                                  [](std::string_view name, plat::DispArgs a, Variant& result) {
                                      if (name != "QueryData" || plat::VarToStr(a[0]) != "INVMB" ||
                                          plat::VarToStr(a[1]) != "12")
                                          return false;
                                      a[4] = VarArrayOf({"DOC-0001", "1"});
                                      result = Variant(true);
                                      return true;
                                  });
    plat::DispatchPtr host = std::make_shared<Wrapper>(
        center, [validator](std::string_view name, plat::DispArgs, Variant& result) {
            if (name != "Com_Validator") return false;
            result = Variant(validator);
            return true;
        });
    TestBaseForm* form = StartForm(HostParams(), Variant(host));
    plat::TRecordingLauncher launcher;
    plat::DesktopLauncherOverride scope(launcher);
    form->F11Fields = "cdsMain:TH005";
    form->UpdateButtons();
    EXPECT_TRUE(form->miViewItem->Visible());
    EXPECT_TRUE(form->ViewDocument());
    ASSERT_EQ(launcher.Opened().size(), 1u);
    EXPECT_NE(launcher.Opened()[0].find("DOC-0001"), std::string::npos);
    form->Free();
}

// The frame as a user sees it in each language (pictures under the build's
// temporary folder; $KTRB_SHOTS keeps a copy).
TEST_F(BaseOnHost, FramePictures) {
    for (const char* ui : {"936", "950", "437"}) {
        SetCodePages(ui, ui[0] == '9' && ui[1] == '5' ? "950" : "936");
        TestBaseForm* form = StartForm(HostParams());
        form->SetBounds(0, 0, 760, 300);
        form->Show();
        const std::string name = std::string("base_form_") + ui;
        plat::SaveScreenshot(form, ::testing::TempDir() + name + ".png");
        if (const char* dir = std::getenv("KTRB_SHOTS"))
            plat::SaveScreenshot(form, std::string(dir) + "/" + name + ".png");
        form->Free();
    }
}

}  // namespace
}  // namespace ktrb::test

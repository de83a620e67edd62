// The lookup combo against the lookup server: typing filters the server's
// rows, the chosen row reaches the form, fetch failures are retried.
#include <gtest/gtest.h>

#include <filesystem>

#include "controls/FDBGrid.h"
#include "controls/QvLookUpCombo.h"
#include "controls_fixture.h"
#include "platform/automation/dispatch.h"
#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"
#include "standins/appserver/session.h"

using namespace ktrb;
using namespace plat;

namespace {

// The lookup server in front of a session; it can say the server limited
// its rows.
class LookupServer : public DispatchObject, public IProviderSource {
  public:
    explicit LookupServer(standin::AppSession* s) : DispatchObject("DravocS.Class1"), session(s) {
        Method("GetCustomOW", [](DispArgs) { return Variant(false); });
        Property(
            "OpenWinKind", [] { return Variant(0); }, [](const Variant&) {});
        Method("GetF2Data", [this](DispArgs a) {
            ++fetches;
            session->Call("GetF2Data", a[0], a[1]);
            if (limited) a[1] = a[1].AsString() + "\r\n--NOTE\r\nSELECT TOP 200 ROWS\r\n";
            return Variant(true);
        });
    }
    IProvider* FindProvider(const std::string& name) override {
        return session->FindProvider(name);
    }
    standin::AppSession* session;
    bool limited = false;
    int fetches = 0;
};

struct ComboForm : ctltest::Fixture {
    std::shared_ptr<standin::AppServer> server = standin::AppServer::Open(":memory:");
    std::unique_ptr<standin::AppSession> session = server->NewSession();
    LookupServer lookup{session.get()};
    std::string codePage = "936";
    Variant returned;

    template <class C>
    C* Make() {
        auto* c = new C(form);
        c->SetParent(inner);
        c->SetBounds(80, 10, 120, 21);
        c->SetDataSource(src);
        c->SetDataField("TH004");
        c->SetSearchDelay(0);
        c->OnGetBaseClassParam = TGetF2ParamEvent(
            [this](TObject*, TInteraParam* p) {
                Variant r = Variant::CreateArray({0, 13});
                Variant items[] = {"PURMA", "02", "", 1,   "", "DEMO", 3,
                                   "",      "",   "", "N", "", "",     "9"};
                for (int i = 0; i <= 13; ++i) r[i] = items[i];
                p->Params = r;
                p->CodePage = codePage;
                p->FastInputEnabled = true;
                p->FormCaption = "委外进货单";
            },
            form);
        c->OnSetReturn = TSetReturnEvent(
            [this](TObject*, TInteraParam* p) { returned = p->ReturnValues; }, form);
        return c;
    }

    // Types into the combo and runs the search the delay would run.
    static void Type(TQvDBCustomLookupCombo* c, const std::string& text) {
        uitest::TypeText(c, text);
        c->DoSearch();
    }
    static std::string Codes(TQvDBCustomLookupCombo* c) {
        std::string out;
        TDataSet* t = c->LookupDataSet();
        for (t->First(); !t->Eof(); t->Next()) out += t->Fields()[0]->AsString() + " ";
        return out;
    }
};

}  // namespace

TEST(QvDBLookupCombo, TwoInitialsFindTheChineseNameOnlyUnder936) {
    for (auto [cp, typed, found] : {std::tuple{"936", "hd", "S002 "},
                                    {"950", "hd", ""},
                                    {"950", "华达", "S002 "},
                                    {"437", "jgwj", ""}}) {
        SCOPED_TRACE(std::string(cp) + " " + typed);
        ComboForm f;
        f.codePage = cp;
        f.lookup.limited = false;
        auto* c = f.Make<TQvDBLookupCombo>();
        c->SetMidas(&f.lookup);
        f.ds->Edit();
        c->SetFocus();
        ComboForm::Type(c, typed);
        EXPECT_EQ(ComboForm::Codes(c), found);
    }
}

TEST(QvDBLookupCombo, EnterHandsTheRowToTheFormOnlyWhileEditing) {
    ComboForm f;
    auto* c = f.Make<TQvDBLookupCombo>();
    c->SetMidas(&f.lookup);
    f.ds->Edit();
    c->SetFocus();
    ComboForm::Type(c, "jg");
    ASSERT_TRUE(c->DroppedDown());
    c->SimulateKey(VK_RETURN);
    ASSERT_TRUE(f.returned.IsArray());
    EXPECT_EQ(f.returned[0][0].AsString(), "S001");
    EXPECT_EQ(c->ReturnFields().substr(0, 5), "MA001");

    f.returned = Variant();
    f.ds->Post();
    c->DropDown();
    ASSERT_TRUE(c->DroppedDown());
    c->SimulateKey(VK_RETURN);
    EXPECT_TRUE(f.returned.IsEmpty());
}

TEST(QvDBLookupCombo, AFailedFetchIsToldOnceAndTriedAgain) {
    uitest::Capture cap;
    ComboForm f;
    auto* c = f.Make<TQvDBLookupCombo>();  // no connection yet
    f.ds->Edit();
    c->SetFocus();
    uitest::TypeText(c, "j");
    uitest::TypeText(c, "g");
    EXPECT_EQ(cap.dialogs->Requests().size(), 1u);
    EXPECT_TRUE(c->LookUpEnabled());
    c->SetMidas(&f.lookup);
    ComboForm::Type(c, "w");
    EXPECT_EQ(f.lookup.fetches, 1);
    EXPECT_EQ(ComboForm::Codes(c), "S001 ");
}

TEST(QvDBLookupCombo, TheRowLimitIsLearntAfreshAtEachFetchAndWarnedOnce) {
    uitest::Capture cap;
    ComboForm f;
    f.lookup.limited = true;
    auto* c = f.Make<TQvDBLookupCombo>();
    c->SetMidas(&f.lookup);
    auto* other = new TEdit(f.form);
    other->SetParent(f.inner);
    f.ds->Edit();
    c->SetFocus();
    ComboForm::Type(c, "h");
    EXPECT_TRUE(c->TopLimited());
    ComboForm::Type(c, "zz");
    ComboForm::Type(c, "q");
    ASSERT_EQ(cap.dialogs->Requests().size(), 1u);
    EXPECT_EQ(cap.dialogs->Requests()[0].Text, kDefaultTopSQLWarning);
    EXPECT_EQ(cap.dialogs->Requests()[0].Caption, "委外进货单");

    f.lookup.limited = false;
    other->SetFocus();
    c->SetFocus();
    ComboForm::Type(c, "x");
    EXPECT_EQ(f.lookup.fetches, 2);
    EXPECT_FALSE(c->TopLimited());
}

TEST(QvDBLookupCombo, UnboundComboSwallowsKeysAndControlCharactersAreDropped) {
    ComboForm f;
    auto* c = f.Make<TQvDBLookupCombo>();
    c->SetMidas(&f.lookup);
    f.ds->Edit();
    c->SetFocus();
    c->SetText("");
    uitest::TypeText(c, "\x01");
    EXPECT_EQ(c->Text(), "");
    c->SetDataField("");
    uitest::TypeText(c, "ab");
    EXPECT_EQ(c->Text(), "");
    EXPECT_EQ(f.lookup.fetches, 0);
}

TEST(QvDBComboDlg, UnmatchedTextIsWrittenAndTheButtonOpensTheDialog) {
    ComboForm f;
    auto* c = f.Make<TQvDBComboDlg>();
    c->SetMidas(&f.lookup);
    int dialogs = 0;
    c->OnCustomDlg = TNotifyEvent([&](TObject*) { ++dialogs; }, f.form);
    c->SetFocus();
    c->SetText("");
    ComboForm::Type(c, "QQ9");
    EXPECT_TRUE(c->DroppedDown());
    c->SimulateKey(VK_RETURN);
    EXPECT_EQ(f.ds->FieldByName("TH004")->AsString(), "QQ9");
    EXPECT_TRUE(f.returned.IsEmpty());

    c->SetText("");
    ComboForm::Type(c, "hd");
    c->SimulateKey(VK_RETURN);
    ASSERT_TRUE(f.returned.IsArray());
    EXPECT_EQ(f.returned[0][0].AsString(), "S002");

    EXPECT_EQ(dialogs, 0);
    f.ds->Post();
    c->DropDown();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(f.ds->State(), TDataSetState::dsEdit);
}

TEST(QvDBComboDlg, EditsTheCellOfADocumentGrid) {
    ComboForm f;
    auto* grid = new TFDBGrid(f.form);
    grid->SetParent(f.inner);
    grid->SetBounds(0, 40, 340, 150);
    grid->SetDataSource(f.src);
    TDataGridColumn* col = grid->Columns()->Add();
    col->SetFieldName("TH004");
    col->SetWidth(140);
    grid->Columns()->Add()->SetFieldName("TH026");
    auto* c = f.Make<TQvDBComboDlg>();
    c->SetParent(grid);
    c->SetMidas(&f.lookup);
    c->Hide();
    col->SetControl(c);
    int dialogs = 0;
    c->OnCustomDlg = TNotifyEvent([&](TObject*) { ++dialogs; }, f.form);
    grid->SetFocus();
    grid->SetSelectedIndex(0);
    // The combo stands over the current cell.
    ASSERT_TRUE(c->Visible());
    EXPECT_EQ(c->BoundsRect(), grid->CellRect(grid->Col(), grid->Row()));

    // A key typed in the grid goes on into the combo, which searches.
    grid->SimulateKey(0, {}, U'h');
    ComboForm::Type(c, "d");
    EXPECT_EQ(f.ds->State(), TDataSetState::dsEdit);
    ASSERT_TRUE(c->DroppedDown());
    c->SimulateKey(VK_RETURN);
    ASSERT_TRUE(f.returned.IsArray());
    EXPECT_EQ(f.returned[0][0].AsString(), "S002");

    // Its button opens the form's dialog with the record in edit.
    f.ds->Cancel();
    c->DropDown();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(f.ds->State(), TDataSetState::dsEdit);
}

TEST(QvBtnDBCombo, HidingAndDisablingCarryToLabelAndButton) {
    ComboForm f;
    auto* c = f.Make<TQvBtnDBCombo>();
    c->SetCaption("供应商");
    c->SetLabelSpacing(-1);
    EXPECT_EQ(c->LabelSpacing(), 4);
    c->SetEnabled(false);
    EXPECT_FALSE(c->EditLabel()->Enabled());
    EXPECT_FALSE(c->F2Button()->Enabled());
    c->SetVisible(false);
    EXPECT_FALSE(c->EditLabel()->Visible());
    EXPECT_FALSE(c->F2Button()->Visible());
}

// The labelled combo dropped down over the suppliers, kept for a look
// (lookupcombo-<lang>.png and its list in the temporary folder).
TEST(QvBtnDBCombo, DroppedDownPicture) {
    for (auto [lang, cp] : {std::pair{"chs", "936"}, {"eng", "437"}}) {
        ComboForm f;
        f.codePage = cp;
        auto* c = f.Make<TQvBtnDBCombo>();
        c->SetMidas(&f.lookup);
        c->SetCaption(std::string(lang) == "chs" ? "供应商" : "Supplier");
        c->SetBounds(80, 10, 120, 21);
        f.ds->Edit();
        c->SetFocus();
        c->SetText("");
        ComboForm::Type(c, "s");
        ASSERT_TRUE(c->DroppedDown());
        EXPECT_EQ(c->LookupDataSet()->Fields()[0]->FieldName(), "MA001");
        auto dir = std::filesystem::temp_directory_path();
        SaveScreenshot(f.form, (dir / (std::string("lookupcombo-") + lang + ".png")).string());
        SaveScreenshot(c->Grid(),
                       (dir / (std::string("lookupcombo-list-") + lang + ".png")).string());
    }
}

#include "forms/DoubleCF.h"

#include <gtest/gtest.h>

#include "controls/FDBGrid.h"
#include "controls/QvLookUpCombo.h"
#include "double_fixture.h"
#include "forms/MessageCentreLink.h"
#include "forms/QVConfirmDate.h"
#include "forms/QvCopy.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/copydata.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/ui_test_util.h"
#include "query/ColorComponents.h"
#include "query/QvQBE.h"
#include "runtime/MT_Doc.h"
#include "runtime/PropAccess.h"

namespace ktrb::test {
namespace {

class DoubleRoad : public DoubleFormTest {
  protected:
    DoubleRoad() {
        form->KeepOnAdd = false;
        plat::Application->SetDialogRunner(runner);
    }
    ~DoubleRoad() override { plat::Application->SetDialogRunner(nullptr); }
    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
};

TEST_F(DoubleRoad, AReceiptThroughItsWholeLife) {
    // Added with lines; the server numbers it, the form says so and shows it.
    TypeDocument("20240108001", {{"A1001-01", 3}, {"B2001", 2}});
    dm->AutoNumber = true;
    ASSERT_TRUE(form->SaveDocument()) << testing::PrintToString(form->messages);
    const std::string number = form->ServerNumber;
    ASSERT_NE(number, "20240108001");
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find(number), std::string::npos) << form->messages[0];
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    EXPECT_EQ(Head("TH002")->AsString(), number);
    EXPECT_EQ(StoredItems(number), "A1001-01,B2001");
    EXPECT_EQ(Sql("SELECT TI002 FROM MOCTI WHERE TI002='20240108001' AND TI004='B2001'"), "");

    // A line changed and a line deleted, saved as one.
    form->messages.clear();
    ASSERT_TRUE(form->EditRecord());
    dm->cdsBody1->First();
    dm->cdsBody1->Edit();
    Line("TI007")->SetAsFloat(5);
    dm->cdsBody1->Post();
    dm->cdsBody1->Last();
    dm->cdsBody1->Delete();
    ASSERT_TRUE(form->SaveDocument());
    EXPECT_EQ(StoredItems(number), "A1001-01");
    EXPECT_EQ(Sql("SELECT TI007 FROM MOCTI WHERE TI002='" + number + "'"), "5");

    // Confirmed under the date the dialog gives, then unconfirmed.
    runner->Expect("TQVConfirmDateForm", [](plat::TCustomForm& f) {
        auto& d = static_cast<TQVConfirmDateForm&>(f);
        d.edDate01->SetText("2024/04/20");
        d.btnOK->Click();
        return d.ModalResult();
    });
    ASSERT_TRUE(GoTo(number));
    EXPECT_TRUE(form->ChangeDocStatus(3, true));
    EXPECT_EQ(Status(number), "Y");
    EXPECT_EQ(LineStates(number), "Y");
    ASSERT_TRUE(GoTo(number));
    EXPECT_EQ(Head("TH023")->AsString(), "Y");
    EXPECT_TRUE(form->ChangeDocStatus(2, false));
    EXPECT_EQ(Status(number), "N");
    EXPECT_EQ(runner->Shown().size(), 1u);

    // Voided and restored by the form itself, head and lines.
    ASSERT_TRUE(GoTo(number));
    form->miInvalidClick(nullptr);
    EXPECT_EQ(Status(number), "V");
    EXPECT_EQ(LineStates(number), "V");
    ASSERT_TRUE(GoTo(number));
    EXPECT_TRUE(form->ChangeDocStatus(0, false));
    EXPECT_EQ(Status(number), "N");
    EXPECT_EQ(LineStates(number), "N");
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    form->messages.clear();

    // Copied through the copy dialog into a new number, then saved.
    ASSERT_TRUE(GoTo(number));
    runner->Expect("TfrmCopy", [&](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmCopy&>(f);
        EXPECT_EQ(d.edSource[1]->Text(), number);
        d.BBOK->Click();
        d.edDest[0]->SetFocus();
        d.edDest[0]->SetText("5901");
        d.edDest[1]->SetFocus();
        d.edDest[1]->SetText("20240416001");
        d.BBOK->SetFocus();
        d.BBOK->Click();
        return d.ModalResult();
    });
    dm->AutoNumber = false;
    form->CopyDocument();
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    EXPECT_EQ(FormItems(), std::vector<std::string>{"A1001-01"})
        << testing::PrintToString(form->messages) << runner->Shown().size();
    Head("TH002")->SetAsString("20240416001");
    ASSERT_TRUE(form->SaveDocument()) << (form->messages.empty() ? "" : form->messages[0]);
    EXPECT_EQ(StoredItems("20240416001"), "A1001-01");
    EXPECT_EQ(Sql("SELECT TI007 FROM MOCTI WHERE TI002='20240416001'"), "5");
    EXPECT_EQ(StoredItems(number), "A1001-01");
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

TEST_F(DoubleRoad, BatchConfirmCountsWhatReallyHappened) {
    // A third open receipt besides the demo's two.
    TypeDocument("20240417001", {{"C3001", 1}});
    ASSERT_TRUE(form->SaveDocument());
    form->OpenDataSet(dm->cdsMain, "", "");  // all documents again, as a query would
    form->messages.clear();
    const std::vector<std::string> docs = {"20240112001", "20240417001", "20240108001"};
    for (const std::string& d : {docs[0], docs[1]}) {
        ASSERT_TRUE(GoTo(d));
        form->gdHead->SelectRecord();
    }
    // A confirmed document in the selection is not eligible.
    ASSERT_TRUE(GoTo(docs[2]));
    form->gdHead->SelectRecord();
    // Another user saved the second one meanwhile: the server refuses it.
    server->Db().Exec("UPDATE MOCTH SET FLAG = 7 WHERE TH002 = '20240417001'");
    form->answers = {modal::Yes};  // go on after the refusal
    form->RunBatchStatusChange(3);
    EXPECT_EQ(Status(docs[0]), "Y");
    EXPECT_EQ(Status(docs[1]), "N");
    ASSERT_EQ(form->messages.size(), 2u);
    EXPECT_NE(form->messages[0].find("5901-20240417001"), std::string::npos);
    EXPECT_EQ(form->messages[1],
              "共有2笔资料,成功1笔.异常0笔.失败1笔.失败的单据有: 5901-20240417001");
    EXPECT_TRUE(form->gdHead->SelectedRows().empty());
    EXPECT_FALSE(form->BatchRunning);
}

TEST_F(DoubleRoad, BatchAsksTheSameChecksAsASingleChange) {
    form->refuseStatusChangeOf = "20240112001";
    for (const char* d : {"20240112001", "20240205001"}) {
        ASSERT_TRUE(dm->cdsMain->Locate("TH002", plat::Variant(d)));
        form->gdHead->SelectRecord();
    }
    form->RunBatchStatusChange(3);
    EXPECT_EQ(form->checkRefusals, 1);
    EXPECT_EQ(Status("20240112001"), "N");
    EXPECT_EQ(Sql("SELECT TH023 FROM MOCTH WHERE TH001='5902' AND TH002='20240205001'"), "Y");
    ASSERT_FALSE(form->messages.empty());
    EXPECT_EQ(form->messages.back(),
              "共有2笔资料,成功1笔.异常0笔.失败1笔.失败的单据有: 5901-20240112001");
}

TEST_F(DoubleRoad, ARefusedConfirmIsNoSuccess) {
    ASSERT_TRUE(GoTo("20240112001"));
    server->Db().Exec("UPDATE MOCTH SET FLAG = 9 WHERE TH002 = '20240112001'");
    const bool confirmEnabled = form->btnConfirm->Enabled();
    // The coded refusal is shown and, being an error, ends the action.
    EXPECT_THROW(form->ChangeDocStatus(3, false), plat::EAbort);
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find("已被其他用户修改"), std::string::npos);
    EXPECT_EQ(Status("20240112001"), "N");
    EXPECT_EQ(Head("TH023")->AsString(), "N");
    EXPECT_EQ(form->Stamp(), nullptr);
    EXPECT_EQ(form->btnConfirm->Enabled(), confirmEnabled);
}

TEST_F(DoubleRoad, AConfirmStoppedAfterAnAddLeavesTheDocumentSaved) {
    TypeDocument("20240419001", {{"C3001", 1}});
    form->AutoConfirmAfterAdd = 1;
    form->ConfirmAllowed = true;
    form->abortStatusChangeOf = "20240419001";
    EXPECT_TRUE(form->SaveDocument());
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    EXPECT_EQ(dm->cdsMain->State(), plat::dsBrowse);
    EXPECT_EQ(Sql("SELECT TH023 FROM MOCTH WHERE TH002='20240419001'"), "N");
}

TEST_F(DoubleRoad, ARefusedSaveStoresNothingAndKeepsWhatWasTyped) {
    const std::string lines = Sql("SELECT COUNT(*) FROM MOCTI");
    TypeDocument("20240108001", {{"A1001-01", 3}, {"B2001", 2}});  // a number in use
    EXPECT_FALSE(form->SaveDocument());
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI"), lines);
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    EXPECT_EQ(FormItems(), (std::vector<std::string>{"A1001-01", "B2001"}));
    EXPECT_TRUE(form->btnOK == nullptr || form->btnOK->Enabled());
    EXPECT_TRUE(form->Unsaved);
    ASSERT_FALSE(form->messages.empty());
    EXPECT_EQ(form->messages.back(), "资料存档失败!");
    // Corrected, the same document saves.
    Head("TH002")->SetAsString("20240418001");
    form->messages.clear();
    ASSERT_TRUE(form->SaveDocument()) << testing::PrintToString(form->messages);
    EXPECT_EQ(StoredItems("20240418001"), "A1001-01,B2001");
}

TEST_F(DoubleRoad, NumberingSwitchedOnBeforeTheAddRenumbersATakenNumber) {
    dm->SetAutoNumberKey(true);
    TypeDocument("20240108001", {{"C3001", 2}});  // another clerk's number
    ASSERT_TRUE(form->SaveDocument()) << testing::PrintToString(form->messages);
    const std::string number = form->ServerNumber;
    ASSERT_NE(number, "20240108001");
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find(number), std::string::npos) << form->messages[0];
    EXPECT_EQ(StoredItems(number), "C3001");
    EXPECT_EQ(StoredItems("20240108001"), "A1001-01");
}

TEST_F(DoubleRoad, ADocumentIsNeverStoredUnderTheNumberingFailureText) {
    const std::string heads = Sql("SELECT COUNT(*) FROM MOCTH");
    for (const char* failed : {"unKnow", "unknown"}) {
        form->messages.clear();
        TypeDocument(failed, {{"A1001-01", 3}});
        dm->AutoNumber = true;
        EXPECT_FALSE(form->SaveDocument()) << failed;
        EXPECT_EQ(form->messages, std::vector<std::string>{"取单号失败!"}) << failed;
        EXPECT_EQ(form->FormMode(), TFormMode::Add);
        EXPECT_TRUE(form->Unsaved);
        EXPECT_EQ(FormItems(), std::vector<std::string>{"A1001-01"});
        EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTH"), heads) << failed;
        form->CancelEdit(false);
    }
}

TEST_F(DoubleRoad, EmptyBodyRule) {
    struct Case {
        TEmptyBodyRule rule;
        int answer;
        bool saved;
    } cases[] = {{TEmptyBodyRule::Refuse, modal::Ok, false},
                 {TEmptyBodyRule::Ask, modal::Cancel, false},
                 {TEmptyBodyRule::Ask, modal::Ok, true},
                 {TEmptyBodyRule::Allow, modal::Ok, true}};
    int n = 0;
    for (const Case& c : cases) {
        const std::string number = "2024041900" + std::to_string(++n);
        form->EmptyBodyRule = c.rule;
        form->answers = {c.answer};
        TypeDocument(number, {});
        EXPECT_EQ(form->SaveDocument(), c.saved) << n;
        EXPECT_EQ(Status(number), c.saved ? "N" : "") << n;
        if (!c.saved) form->CancelEdit(false);
    }
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

class DoubleOverTcp : public DoubleFormTest {
  protected:
    DoubleOverTcp() : DoubleFormTest(true) { form->KeepOnAdd = false; }
};

TEST_F(DoubleOverTcp, TheServerGoneDuringASaveLeavesNothingStoredAndEverythingTyped) {
    ASSERT_TRUE(dm->cdsMain->Active());
    const std::string lines = Sql("SELECT COUNT(*) FROM MOCTI");
    TypeDocument("20240420001", {{"A1001-01", 3}, {"B2001", 2}});
    dm->beforeApply = [this] { tcpServer->Stop(); };
    bool saved = true;
    try {
        saved = form->SaveDocument();
    } catch (const std::exception&) {
        saved = false;
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(Status("20240420001"), "");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI"), lines);
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    EXPECT_EQ(Head("TH002")->AsString(), "20240420001");
    EXPECT_EQ(FormItems(), (std::vector<std::string>{"A1001-01", "B2001"}));
    EXPECT_TRUE(form->btnOK == nullptr || form->btnOK->Enabled());
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

class DoublePictures : public DoubleFormTest {
  protected:
    explicit DoublePictures(const std::string& ui = "936") : DoubleFormTest(false, ui) {}
    void Shoot(const std::string& lang) {
        ASSERT_TRUE(GoTo("20240108001"));
        // As a host start does: the interface language over the whole chain.
        form->ApplyScreenLanguage();
        form->SetBounds(0, 0, 800, 560);
        form->Show();
        form->UpdateButtons();
        form->PlaceStatusStamp();
        form->pgHeadChange(form);
        plat::Application->ProcessMessages();
        const std::string name = "DoubleCF_" + lang + ".png";
        plat::SaveScreenshot(form, installation.client() + name);
        if (const char* dir = std::getenv("KTRB_SHOTS"))
            plat::SaveScreenshot(form, std::string(dir) + "/" + name);
        form->Hide();
    }
};
class DoublePicturesEnglish : public DoublePictures {
  protected:
    DoublePicturesEnglish() : DoublePictures("437") {}
};

TEST_F(DoublePictures, Chinese) {
    Shoot("CHS");
    EXPECT_NE(form->Stamp(), nullptr);
}

TEST_F(DoublePicturesEnglish, English) {
    Shoot("ENG");
    EXPECT_NE(form->Stamp(), nullptr);
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

// The host's message-centre window as far as the form sees it.
class TMessageCentreDouble : public plat::TForm {
  public:
    explicit TMessageCentreDouble(plat::TComponent* owner) : plat::TForm(owner) {
        plat::SetWindowClassName(this, kMessageCentreWindowClass);
    }
    std::vector<std::string> received;
    void WndProc(plat::TMessage& m) override {
        if (m.Msg == plat::WM_COPYDATA) {
            auto* data = reinterpret_cast<const plat::TCopyDataStruct*>(m.LParam);
            received.push_back(
                plat::FromCodePageReplacing(
                    std::string(static_cast<const char*>(data->lpData), data->cbData - 1),
                    plat::AnsiCodePage())
                    .text);
            return;
        }
        plat::TForm::WndProc(m);
    }
};

TEST_F(DoubleRoad, MessageCentreLinkGoesToTheHostWindowOrSaysItIsMissing) {
    ASSERT_TRUE(GoTo("20240112001"));
    EXPECT_FALSE(form->SendMessageCentreLink());
    EXPECT_EQ(form->messages, std::vector<std::string>{"box:目标窗口没找到！"});
    auto* host = plat::CreateForm<TMessageCentreDouble>(nullptr);
    form->QVPagerClick(nullptr);
    ASSERT_EQ(host->received.size(), 1u);
    const std::string& link = host->received[0];
    EXPECT_EQ(link.rfind("RKLT:", 0), 0u);
    EXPECT_NE(link.find("rklt://Palora/DEMO/KTRB52/query/"), std::string::npos) << link;
    EXPECT_NE(link.find("20240112001"), std::string::npos) << link;
    EXPECT_NE(link.find("<p><p>"), std::string::npos) << link;
    EXPECT_EQ(form->WindowState(), plat::TWindowState::wsMinimized);
    host->Free();
}

TEST_F(DoubleRoad, StampAndStatusButtonsFollowTheStatus) {
    ASSERT_TRUE(GoTo("20240112001"));
    struct Case {
        const char* status;
        bool stamp, confirm, unconfirm, invalid;
    } cases[] = {{"N", false, true, false, true},
                 {"Y", true, false, true, false},
                 {"U", true, true, true, false},
                 {"V", true, false, false, false}};
    for (const Case& c : cases) {
        {
            TDataEventsDetached quiet(dm->dsMain);
            dm->cdsMain->Edit();
            Head("TH023")->SetAsString(c.status);
            dm->cdsMain->Post();
        }
        form->UpdateStatusButtons();
        EXPECT_EQ(form->Stamp() != nullptr, c.stamp) << c.status;
        EXPECT_EQ(form->btnConfirm->Enabled(), c.confirm) << c.status;
        EXPECT_EQ(form->miConfirm->Enabled(), c.confirm) << c.status;
        EXPECT_EQ(form->btnUnConfirm->Enabled(), c.unconfirm) << c.status;
        EXPECT_EQ(form->btnInvalid->Enabled(), c.invalid) << c.status;
    }
    // Without the confirm right the button stays off.
    form->SetActionRights(form->ActionRights() & ~0x20);
    {
        TDataEventsDetached quiet(dm->dsMain);
        dm->cdsMain->Edit();
        Head("TH023")->SetAsString("N");
        dm->cdsMain->Post();
    }
    form->UpdateStatusButtons();
    EXPECT_FALSE(form->btnConfirm->Enabled());
    dm->cdsMain->CancelUpdates();
}

TEST_F(DoubleRoad, UserDefinedLineColumnsAreLabelledAndHidden) {
    form->SetupUDFControls();
    plat::TField* first = dm->cdsBody1->FindField("UDF01");
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->Visible());
    EXPECT_FALSE(first->DisplayLabel().empty());
    EXPECT_NE(first->DisplayLabel(), "UDF01");
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

class DoubleLineRules : public DoubleFormTest {
  protected:
    DoubleLineRules() {
        form->lineRules = {{"UDF01", {"TH006", "TH010"}}};
        form->InitializeAfterConnect();
        form->KeepOnAdd = false;
    }
};

TEST_F(DoubleLineRules, HeadChangesReachTheLinesAfterOneQuestion) {
    ASSERT_TRUE(GoTo("20240108001"));
    for (int answer : {modal::Cancel, modal::Ok}) {
        form->messages.clear();
        form->answers = {answer};
        {
            TDataEventsDetached quiet(dm->dsMain);
            dm->cdsMain->Edit();
            Head("TH023")->SetAsString("N");
        }
        Head("TH006")->SetAsString("JG-" + std::to_string(answer));
        Head("TH010")->SetAsString("note " + std::to_string(answer));
        dm->cdsMain->Post();
        // Asked once for the two head fields; the pending changes are forgotten either way.
        EXPECT_EQ(form->messages.size(), 1u) << answer;
        EXPECT_FALSE(form->PendingHeadChange);
        dm->cdsBody1->First();
        EXPECT_EQ(Line("UDF01")->AsString(), answer == modal::Ok ? "R1" : "") << answer;
    }
    dm->cdsMain->CancelUpdates();
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

// Copies the current document through the copy dialog into a new number.
void CopyCurrentTo(plat::ScriptedDialogRunner& runner, TReceiptTestForm& form,
                   const std::string& number) {
    runner.Expect("TfrmCopy", [number](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmCopy&>(f);
        d.BBOK->Click();
        d.edDest[0]->SetFocus();
        d.edDest[0]->SetText("5901");
        d.edDest[1]->SetFocus();
        d.edDest[1]->SetText(number);
        d.BBOK->SetFocus();
        d.BBOK->Click();
        return d.ModalResult();
    });
    form.CopyDocument();
}

// A copy sets the targets of the copy rules from the source document's keys
// (head) and each source line's keys (lines), not from the new document.
TEST_F(DoubleRoad, ACopyAppliesTheCopyRulesWithTheSourceKeys) {
    form->ruleSets["F01"] = {{"TH010", {"TH001", "TH002"}}};
    form->ruleSets["F01D"] = {{"UDF01", {"TI001", "TI002", "TI003"}}};
    ASSERT_TRUE(GoTo("20240108001"));
    dm->cdsBody1->First();
    const std::string firstLine = Line("TI003")->AsString();
    CopyCurrentTo(*runner, *form, "20240417001");
    ASSERT_EQ(form->FormMode(), TFormMode::Add);
    EXPECT_EQ(Head("TH010")->AsString(), "K:5901,20240108001");
    dm->cdsBody1->First();
    EXPECT_EQ(Line("UDF01")->AsString(), "K:5901,20240108001," + firstLine);
    form->CancelEdit(false);
}

// A body that refuses the rules still copies.
TEST_F(DoubleRoad, AFailingCopyRuleLeavesTheCopiedValues) {
    form->ruleSets["F01D"] = {{"TI007", {"TI001"}}};  // a number field gets text
    ASSERT_TRUE(GoTo("20240108001"));
    dm->cdsBody1->First();
    const std::string quantity = Line("TI007")->AsString();
    CopyCurrentTo(*runner, *form, "20240417002");
    ASSERT_EQ(form->FormMode(), TFormMode::Add);
    dm->cdsBody1->First();
    EXPECT_EQ(Line("TI007")->AsString(), quantity);
    form->CancelEdit(false);
}

// A rule of a later field that replaces an earlier copied value (a work
// order offering its open quantity) does not win over the copy.
TEST_F(DoubleRoad, ACopiedLineKeepsTheValuesALaterFieldsRuleReplaced) {
    ASSERT_TRUE(GoTo("20240108001"));
    dm->cdsBody1->First();
    const double quantity = Line("TI007")->AsFloat();
    Line("TI014")->OnValidate = [](plat::TField* f) {
        f->DataSet()->FieldByName("TI007")->SetAsFloat(999);
    };
    CopyCurrentTo(*runner, *form, "20240417003");
    ASSERT_EQ(form->FormMode(), TFormMode::Add);
    dm->cdsBody1->First();
    EXPECT_EQ(Line("TI007")->AsFloat(), quantity);
    Line("TI014")->OnValidate = {};
    form->CancelEdit(false);
}

// The user's settings of the line grid's columns apply as those of the
// browse grid do: a user-defined line field the user shows gets its column.
TEST_F(DoubleRoad, TheUsersLineColumnSettingsApply) {
    form->GetUserSettings()->LoadXML(
        "<MT_User><gdBody1><Field ID=\"UDF02\"><Visible>Y</Visible>"
        "<DisplayLabel>客户料号</DisplayLabel></Field></gdBody1></MT_User>");
    ASSERT_FALSE(Line("UDF02")->Visible());
    form->Show();
    EXPECT_TRUE(Line("UDF02")->Visible());
    EXPECT_EQ(Line("UDF02")->DisplayLabel(), "客户料号");
    bool column = false;
    for (int i = 0; i < form->gdBody1->VisibleColumnCount(); ++i)
        column = column || form->gdBody1->VisibleColumn(i)->FieldName() == "UDF02";
    EXPECT_TRUE(column);
}

// The user's grid settings of three user-defined line columns: UDF01 a
// combo of two items, UDF02 a look-up of another program, UDF03 no setting.
const char* const kLineColumnSettings =
    "<MT_User><gdBody1>"
    "<Field ID=\"UDF01\"><ControlType>Combo</ControlType><Items>A&#9;B</Items></Field>"
    "<Field ID=\"UDF02\"><DataSource>INVMB</DataSource></Field>"
    "</gdBody1></MT_User>";

// Shows the form with UDF01..UDF03 visible and the settings above, so that
// the form makes the editors of those columns.
void ShowWithLineEditors(TReceiptTestForm* form, TReceiptTestModule* dm) {
    form->GetUserSettings()->LoadXML(kLineColumnSettings);
    for (const char* name : {"UDF01", "UDF02", "UDF03"})
        dm->cdsBody1->FieldByName(name)->SetVisible(true);
    form->Show();
}

// F2 on a user-defined line column, through the editor the form made for
// it, runs the column's look-up into the line; on another column the line
// stays as it was.
TEST_F(DoubleRoad, F2OnAUserDefinedLineColumnFillsTheLine) {
    auto dravoc = std::static_pointer_cast<standin::ScriptedDravoc>(services->dravoc);
    ShowWithLineEditors(form, dm);
    TypeDocument("20240419001", {{"A1001-01", 1}});
    dm->cdsBody1->First();
    const std::string item = Line("TI004")->AsString();
    // Asked once only, by the user-defined column.
    dravoc->Enqueue("GetPhrase2", plat::Variant::ArrayOf({0, "常用语"}));
    form->gdBody1->SetSelectedField(Line("TI004"));
    uint16_t key = plat::VK_F2;
    form->HandleF2Key(key, form->gdBody1);
    EXPECT_EQ(Line("TI004")->AsString(), item);

    auto* editor = dynamic_cast<TQvDBComboDlg*>(form->gdBody1->FieldControl("UDF03"));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor, form->FindComponent("cboUDF03G_UDF"));
    form->gdBody1->SetSelectedField(Line("UDF03"));
    editor->DropDown();  // the editor's button
    EXPECT_EQ(Line("UDF03")->AsString(), "常用语");
    if (const char* pictures = std::getenv("KTRB_PICTURE_DIR"))
        plat::SaveScreenshot(form, std::string(pictures) + "/double-line-editor-CHS.png");
    form->CancelEdit(false);
    form->Hide();
}

// Ctrl over a linked line cell arms the link; a left press follows it on the
// line grid's own data, and a release disarms it. A blank linked cell offers
// nothing.
TEST_F(DoubleRoad, CtrlClickOnALinkedLineFieldFollowsTheLink) {
    form->Show();
    TypeDocument("20240420001", {{"A1001-01", 1}, {"B2001", 2}});
    ASSERT_TRUE(form->SaveDocument());
    ASSERT_EQ(form->FormMode(), TFormMode::Browse);
    // The second line's item blank on view.
    dm->cdsBody1->Last();
    dm->cdsBody1->Edit();
    Line("TI004")->SetAsString("");
    dm->cdsBody1->Post();
    dm->cdsBody1->First();
    form->LinkFields = "TI004";
    form->pgHeadChange(form);
    TFDBGrid* grid = form->gdBody1;
    int col = -1;
    for (int i = 0; i < grid->VisibleColumnCount(); ++i)
        if (grid->VisibleColumn(i)->FieldName() == "TI004") col = i + grid->IndicatorOffset();
    ASSERT_GE(col, 0);
    grid->SetLeftCol(col);
    plat::Application->ProcessMessages();
    auto centre = [&](int row) {
        plat::TRect r = grid->CellRect(col, row);
        return plat::TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    };
    const int first = grid->TitleOffset();
    plat::TPoint p = centre(first);
    uitest::Mouse(grid, QEvent::MouseMove, p.X, p.Y);
    EXPECT_TRUE(grid->ShowHint());
    EXPECT_EQ(grid->Hint(), "按住CTRL并单击鼠标以跟踪链接");
    EXPECT_FALSE(form->LinkActive);  // no Ctrl: only the hint
    uitest::Mouse(grid, QEvent::MouseMove, p.X, p.Y, Qt::ControlModifier);
    EXPECT_TRUE(form->LinkActive);
    EXPECT_EQ(grid->Cursor(), plat::crHandPoint);
    uitest::Mouse(grid, QEvent::MouseButtonPress, p.X, p.Y, Qt::ControlModifier);
    uitest::Mouse(grid, QEvent::MouseButtonRelease, p.X, p.Y, Qt::ControlModifier);
    ASSERT_EQ(form->followed.size(), 1u);
    EXPECT_EQ(form->followed[0], "gdBody1:TI004:body");
    EXPECT_FALSE(form->LinkActive);
    EXPECT_EQ(grid->Cursor(), plat::crDefault);

    // The second line's item is blank: no hint, nothing armed.
    plat::TPoint blank = centre(first + 1);
    uitest::Mouse(grid, QEvent::MouseMove, blank.X, blank.Y, Qt::ControlModifier);
    EXPECT_FALSE(grid->ShowHint());
    EXPECT_FALSE(form->LinkActive);
    uitest::Mouse(grid, QEvent::MouseButtonPress, blank.X, blank.Y, Qt::ControlModifier);
    EXPECT_EQ(form->followed.size(), 1u);
    form->Hide();
}

// The look-up popup's items run F2, F3 and F4 on the control it was shown for.
TEST_F(DoubleRoad, TheLookupPopupsItemsActAsTheirKeys) {
    form->Show();
    TypeDocument("20240420002", {{"A1001-01", 1}});
    dm->cdsBody1->First();
    form->pmLookup->SetPopupComponent(form->gdBody1);
    dynamic_cast<plat::TMenuItem*>(form->FindComponent("miOpenF3Window"))->Click();
    dynamic_cast<plat::TMenuItem*>(form->FindComponent("miOpenF4Window"))->Click();
    EXPECT_EQ(form->lookupKeys, (std::vector<std::string>{"114:gdBody1", "115:gdBody1"}));
    // F2 goes into the line grid's look-up: the line goes into editing.
    dm->cdsBody1->Post();
    dynamic_cast<plat::TMenuItem*>(form->FindComponent("miOpenDravoc"))->Click();
    EXPECT_EQ(dm->cdsBody1->State(), plat::dsEdit);
    form->CancelEdit(false);
    form->Hide();
}

// Each visible user-defined line column gets the editor its settings ask
// for, once; only the combo boxes become required outside the all-Chinese
// code pages.
class DoubleEnglishCombos : public DoubleFormTest {
  protected:
    DoubleEnglishCombos() : DoubleFormTest(false, "437") {}
};

TEST_F(DoubleEnglishCombos, TheFormsLineCombosAreRequired) {
    ShowWithLineEditors(form, dm);
    auto* combo = dynamic_cast<plat::TDBComboBox*>(form->gdBody1->FieldControl("UDF01"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->Name(), "cboUDF01G_UDF");
    EXPECT_EQ(combo->Items()->Count(), 2);
    EXPECT_EQ(combo->DataField(), "UDF01");
    auto* lookup = dynamic_cast<TQvDBComboDlg*>(form->gdBody1->FieldControl("UDF02"));
    ASSERT_NE(lookup, nullptr);
    EXPECT_EQ(lookup->Hint(), "[F2]" + Line("UDF02")->DisplayLabel() + " query");
    EXPECT_EQ(dynamic_cast<TQvDBComboDlg*>(form->gdBody1->FieldControl("UDF03"))->Hint(),
              "[F2]Common phrases");
    EXPECT_EQ(form->gdBody1->FieldControl("UDF04"), nullptr);  // hidden column
    // Made once: a second show keeps the editors.
    const int components = form->ComponentCount();
    form->SetupBodyUDFEditors();
    EXPECT_EQ(form->ComponentCount(), components);

    if (const char* pictures = std::getenv("KTRB_PICTURE_DIR")) {
        // The picture shows a typed line with the combo column still empty,
        // which the requirement made at show would refuse to post.
        const std::string required = form->RequiredFields;
        form->RequiredFields.clear();
        TypeDocument("20240419002", {{"A1001-01", 1}});
        form->gdBody1->SetSelectedField(Line("UDF01"));
        plat::SaveScreenshot(form, std::string(pictures) + "/double-line-editor-ENG.png");
        form->CancelEdit(false);
        form->RequiredFields = required;
    }
    form->RequireComboFields();
    EXPECT_NE(form->RequiredFields.find("cdsBody1:UDF01"), std::string::npos)
        << form->RequiredFields;
    EXPECT_EQ(form->RequiredFields.find("UDF02"), std::string::npos) << form->RequiredFields;
    form->Hide();
}

// The editors are made when the form shows, after the settings ran: the
// combo columns are required all the same, and listed once.
TEST_F(DoubleEnglishCombos, LineCombosMadeAtShowAreRequired) {
    ShowWithLineEditors(form, dm);
    auto count = [&](const std::string& s) {
        size_t n = 0;
        for (size_t p = form->RequiredFields.find(s); p != std::string::npos;
             p = form->RequiredFields.find(s, p + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("UDF01"), 1u) << form->RequiredFields;
    EXPECT_EQ(count("UDF02"), 0u) << form->RequiredFields;
    form->RequireComboFields();
    EXPECT_EQ(count("UDF01"), 1u) << form->RequiredFields;
    form->Hide();
}

TEST_F(DoubleEnglishCombos, ADisabledLineComboStaysOptional) {
    ShowWithLineEditors(form, dm);
    // Shown enabled it was required; disabled, a new pass leaves it out.
    form->RemoveRequiredFields("cdsBody1:UDF01");
    form->gdBody1->FieldControl("UDF01")->SetEnabled(false);
    form->RequireComboFields();
    EXPECT_EQ(form->RequiredFields.find("UDF01"), std::string::npos) << form->RequiredFields;
    form->Hide();
}

TEST_F(DoubleRoad, LineCombosStayOptionalUnderChineseCodePages) {
    ShowWithLineEditors(form, dm);
    ASSERT_NE(form->gdBody1->FieldControl("UDF01"), nullptr);
    form->RequireComboFields();
    EXPECT_EQ(form->RequiredFields.find("cdsBody1"), std::string::npos) << form->RequiredFields;
    form->Hide();
}

// The query dialog gets the lines as its second source.
TEST_F(DoubleRoad, TheQueryDialogOffersTheLineFields) {
    auto* dialog = plat::CreateForm<TQBEForm>(form);
    form->QueryDialog = dialog;
    dialog->Prepare(dm->cdsMain, "MOCTH", dm->KeyFields, "", 0);
    ASSERT_EQ(dialog->cboField2->Items()->Count(), 0);
    form->SetupQueryDialog();
    EXPECT_GT(dialog->cboField2->Items()->Count(), 0);
}

// A line that matches a colour rule of the lines is drawn in its colour;
// each line finds its colour row by its own key, so the other line of the
// same document keeps the grid's colours.
TEST_F(DoubleRoad, ALineMatchingAColourRuleIsDrawnInItsColour) {
    server->Db().Exec(
        "CREATE TEMP TABLE SECONDLINE AS SELECT * FROM MOCTI WHERE TI002 = '20240118001';"
        "UPDATE SECONDLINE SET TI003 = '0002';"
        "INSERT INTO MOCTI SELECT * FROM SECONDLINE; DROP TABLE SECONDLINE;"
        "UPDATE ADMNH SET NH003 = '<colormanager><body><component name=\"gdBody1\" "
        "enable=\"Y\"><condition value=\"$$MOCTI.TI003=''0002''\" bkcolor=\"255\"/>"
        "</component></body></colormanager>' WHERE NH001 = 'KTRB52'");
    form->RefreshData();
    // The colour rows read again, as the module reads them when it starts.
    dm->cdsBodyColor->Close();
    dm->cdsMainColor->Close();
    dm->cdsMainColor->Open();
    dm->cdsBodyColor->SetDataSetField(
        dynamic_cast<plat::TDataSetField*>(dm->cdsMainColor->FindField("qryBodyColor")));
    dm->cdsBodyColor->Open();
    form->ColorManage = true;
    form->Show();                      // reads the program's colour rules
    ASSERT_TRUE(GoTo("20240118001"));  // not the first document of the colour rows
    dm->cdsBody1->First();
    ASSERT_EQ(dm->cdsBody1->RecordCount(), 2);
    // The second column of both lines, away from the current cell.
    auto cellColour = [&](bool managed, int row) {
        form->ColorManage = managed;
        plat::TBitmap shot = plat::Screenshot(form->gdBody1);
        plat::TRect r = form->gdBody1->CellRect(2, row);
        return shot.GetPixel(r.Right - 3, r.Bottom - 3);
    };
    EXPECT_EQ(cellColour(true, 2), plat::clRed);
    EXPECT_NE(cellColour(true, 1), plat::clRed);
    EXPECT_NE(cellColour(false, 2), plat::clRed);
    // Titles of the line key columns stand out.
    for (const char* name : {"TI003", "TI004"}) {
        plat::TBrush brush;
        plat::TFont font;
        plat::TAlignment alignment = plat::TAlignment::taLeftJustify;
        form->gdBody1CalcTitleAttributes(nullptr, Line(name), &font, &brush, alignment);
        EXPECT_EQ(brush.Color == plat::RGB(0, 200, 200), std::string(name) == "TI003") << name;
    }
    if (const char* pictures = std::getenv("KTRB_PICTURE_DIR")) {
        form->ColorManage = true;
        plat::SaveScreenshot(form, std::string(pictures) + "/double-line-colours.png");
    }
    form->Hide();
}

// The colour rules of the lines are read with the head's.
TEST_F(DoubleRoad, TheLinesColourRulesAreLoaded) {
    form->SetupColorComponents(
        "<colormanager><body><component name=\"TI004\" enable=\"Y\"/></body></colormanager>");
    ASSERT_NE(form->BodyColors(), nullptr);
    ASSERT_EQ(form->BodyColors()->Count(), 1);
    EXPECT_EQ(form->BodyColors()->GetItem(0)->Control, form->gdBody1);
}

}  // namespace
}  // namespace ktrb::test

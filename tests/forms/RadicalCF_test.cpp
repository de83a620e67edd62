// The root document form: the start through the controller on the demo
// database, the rights parsed from POWER_DATA, the program id of the module
// file, the lookup stages and the start without enough parameters.
#include "forms/RadicalCF.h"

#include <gtest/gtest.h>

#include "controls/QvDBCustomLookupCombo.h"
#include "controls/QvLookUpComboCommon.h"
#include "dataframe/Connection.h"
#include "forms_fixture.h"
#include "platform/core/exceptions.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/keys.h"
#include "platform/ui/stdctrls.h"
#include "runtime/Brokers.h"
#include "runtime/DLLMTCtrller.h"
#include "standins/servers/suite_journal.h"

namespace ktrb::test {
namespace {

using plat::VarArrayOf;
using plat::Variant;

uint64_t Elements(std::initializer_list<std::pair<int, int>> ranges) {
    uint64_t set = 0;
    for (auto [from, to] : ranges)
        for (int e = from; e <= to; ++e) set |= uint64_t{1} << e;
    return set;
}

using RadicalOnHost = FormsOnHost;

TEST_F(RadicalOnHost, ControllerStartRunsTheWholeChainOnTheDemoDatabase) {
    TRadicalFormClass saved = frmRadicalClass;
    frmRadicalClass = &TestBaseForm::Create;
    {
        TDLLMTCtrller ctl;
        ctl.WorkCenter = workCenter;
        ASSERT_EQ(ctl.Init(HostParams()), 0);
        auto* form = dynamic_cast<TestBaseForm*>(ctl.Form());
        ASSERT_NE(form, nullptr);

        // The fixed steps, in their order.
        EXPECT_EQ(form->trace,
                  (std::vector<std::string>{"InitFormSettings", "InitializeAfterConnect",
                                            "ApplyControlSettings"}));
        // The broker took the sign-on strings and the program id of the module.
        TBrokers* b = form->Brokers();
        EXPECT_EQ(b->UserID, "DS");
        EXPECT_EQ(b->CompanyID, "DEMO");
        EXPECT_EQ(b->ProgramCode, "KTRB52");
        EXPECT_EQ(b->UserGroup, "ADMIN");
        // Caption: program name and QRV002.
        EXPECT_EQ(form->Caption(), "委外进货单[" + b->GetSysParam("QRV002") + "]");
        // DS holds x,Y,N,xYYYYYYYYYYY,YYYYYYY,YYYYYYY for the program.
        const uint64_t expected = Elements({{0, 14}, {30, 30}, {32, 33}, {36, 59}});
        EXPECT_EQ(form->RightsSet(), expected);
        EXPECT_TRUE(form->AddAllowed);
        EXPECT_TRUE(form->EditAllowed);
        EXPECT_EQ(form->DateFormatCode, plat::StrToIntDef(b->GetSysParam("SYS001"), 1));
        EXPECT_EQ(form->SqlType, 0);
        // The connection took its place in the status bar, the state its text.
        EXPECT_EQ(form->Status->Panels()->Items(0)->Text(), "浏览");
        EXPECT_EQ(form->Status->Panels()->Items(4)->Text(), "127.0.0.1 - 211");
        // The demo header rows are there, so edit is open; SetMode narrows it.
        EXPECT_TRUE(form->btnEdit->Enabled());
        EXPECT_TRUE(form->btnAdd->Enabled());
        ctl.SetMode(0, 0xFE, Variant());
        EXPECT_FALSE(form->btnAdd->Enabled());
        EXPECT_TRUE(form->btnEdit->Enabled());
        // The lookup combos reach the lookup server through the connection.
        Variant lookupServer = TQvDBCustomLookupCombo::AppServerOf(form->DataModule->scLookUpData);
        EXPECT_TRUE(lookupServer.IsDispatch());
    }
    frmRadicalClass = saved;
}

TEST_F(RadicalOnHost, HostedStartWithoutExtraParametersSaysSoAndCloses) {
    TestBaseForm* form = StartForm(VarArrayOf({"DS", "DEMO", "DEMO"}));
    ASSERT_EQ(dialogs->Requests().size(), 1u);
    EXPECT_NE(dialogs->Requests()[0].Text.find("启动参数不正确"), std::string::npos);
    // The start went on: the broker has what there was.
    EXPECT_EQ(form->Brokers()->UserID, "DS");
    EXPECT_EQ(form->HostWindow, 0);
    form->Free();
}

TEST_F(RadicalOnHost, EmptyPowerDataLeavesTheBaseRightsAndSaysSo) {
    TestBaseForm* form = StartForm(HostParams());
    dialogs->Clear();
    form->ParseUserRights("", "'ADMIN'", "");
    EXPECT_EQ(form->RightsSet(), Elements({{15, 29}}));
    ASSERT_EQ(dialogs->Requests().size(), 1u);
    form->Free();
}

struct RightsCase {
    const char* powerData;
    uint64_t rights;
};

class ParseRights : public RadicalOnHost, public ::testing::WithParamInterface<RightsCase> {};

TEST_P(ParseRights, FlagsBecomeElements) {
    TestBaseForm* form = StartForm(HostParams());
    form->ParseUserRights(GetParam().powerData, "", "");
    EXPECT_EQ(form->RightsSet(), GetParam().rights) << GetParam().powerData;
    form->Free();
}

INSTANTIATE_TEST_SUITE_P(
    PowerData, ParseRights,
    ::testing::Values(RightsCase{"x,Y,n,xYYYYYRR,YYYYYYY,NNNNNNN",
                                 Elements({{0, 14}, {30, 30}, {34, 35}, {37, 42}, {46, 52}})},
                      // "R" counts only in capitals; item 1 takes a small "y".
                      RightsCase{"x,y,N,xNNNNNrN", Elements({{0, 14}, {30, 30}, {37, 37}})},
                      RightsCase{"x,N,N,xNNNNNYY", Elements({{0, 14}, {32, 33}, {37, 37}})},
                      // Fewer items than the form reads: the missing ones carry no flags.
                      RightsCase{"x", Elements({{0, 14}, {37, 37}})},
                      RightsCase{
                          "x,N,Y,xNNNNNNNYYYY,N,YNNNNNY",
                          Elements({{0, 14}, {31, 31}, {36, 37}, {43, 45}, {53, 53}, {59, 59}})}));

struct ModuleCase {
    const char* file;
    const char* id;
};

class ProgramId : public RadicalOnHost, public ::testing::WithParamInterface<ModuleCase> {};

TEST_P(ProgramId, FromTheModuleFileName) {
    TestBaseForm::withModule = false;
    auto* form = plat::CreateForm<TestBaseForm>(nullptr);
    TestBaseForm::withModule = true;
    form->ModuleFileName = GetParam().file;
    EXPECT_EQ(form->GetProgramIDFromModule(), GetParam().id);
    form->Free();
}

INSTANTIATE_TEST_SUITE_P(Modules, ProgramId,
                         ::testing::Values(ModuleCase{"KTRB52C.dll", "KTRB52"},
                                           ModuleCase{"ABC.dll", ""},
                                           ModuleCase{"/opt/suite/libktrb52c.so", "KTRB52"},
                                           ModuleCase{"C:\\Suite\\ktrb52c.dll", "KTRB52"},
                                           ModuleCase{"KTRB52", ""}, ModuleCase{"", ""}));

// A form whose F2 handler collects lookup parameters, delivers a chosen row
// or gives up.
class LookupForm : public TestBaseForm {
  public:
    using TestBaseForm::TestBaseForm;
    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override {
        seenStage = LookupStage();
        seenControl = control;
        if (abort) plat::Abort();
        if (LookupStage() == 1) LookupParams = VarArrayOf({"PURMA", "01"});
        if (LookupStage() == 2) delivered = LookupResultValue;
    }
    bool abort = false;
    int seenStage = -1;
    plat::TWinControl* seenControl = nullptr;
    Variant delivered;
};

TEST_F(RadicalOnHost, LookupStagesGoBackToZeroAlsoWhenTheHandlerAborts) {
    TestBaseForm::withModule = false;
    auto* form = plat::CreateForm<LookupForm>(nullptr);
    TestBaseForm::withModule = true;
    TInteraParam param;
    form->GetBaseClassParam(form, &param);
    EXPECT_EQ(form->seenStage, 1);
    EXPECT_EQ(form->LookupStage(), 0);
    EXPECT_EQ(plat::VarToStr(param.Params[0]), "PURMA");
    EXPECT_EQ(param.CodePage, form->GetUICodePage());

    param.ReturnValues = VarArrayOf({"S001", "供应商"});
    form->SetReturn(form, &param);
    EXPECT_EQ(form->seenStage, 2);
    EXPECT_EQ(plat::VarToStr(form->delivered[1]), "供应商");
    EXPECT_EQ(form->LookupStage(), 0);

    // Another window asks for F2 on a control: the stage starts from 0.
    auto* edit = new plat::TEdit(form);
    edit->SetParent(form);
    form->SetLookupStage(2);
    plat::SendMessage(form->Handle(), WM_F2LOOKUP, 0, plat::LParamOf(edit));
    EXPECT_EQ(form->seenStage, 0);
    EXPECT_EQ(form->seenControl, edit);

    form->abort = true;
    EXPECT_THROW(form->GetBaseClassParam(form, &param), plat::EAbort);
    EXPECT_EQ(form->LookupStage(), 0);
    EXPECT_THROW(form->SetReturn(form, &param), plat::EAbort);
    EXPECT_EQ(form->LookupStage(), 0);
    form->Free();
}

// A form whose program id is given, for the help topics.
class HelpForm : public TestBaseForm {
  public:
    using TestBaseForm::TestBaseForm;
    void GetProgramID(std::string& id) override { id = programID; }
    std::string programID;
};

TEST_F(RadicalOnHost, HelpTopicFollowsTheProgramKind) {
    TestBaseForm::withModule = false;
    auto* form = plat::CreateForm<HelpForm>(nullptr);
    TestBaseForm::withModule = true;
    form->Brokers()->SetMainObject(workCenter);
    form->Brokers()->AttachSubObjects();
    struct Case {
        const char* id;
        const char* prefix;
        const char* context;  // empty: no help asked for
    };
    for (const Case& c : {Case{"KTRQ52", "KTR", "1452"}, Case{"KTRI52", "KTR", "1152"},
                          Case{"KTRA52", "KTR", "6452"}, Case{"KTRM52", "KTR", "8452"},
                          Case{"KTRB52", "", ""}, Case{"KT", "", ""}}) {
        services->suite->journal->Clear();
        form->programID = c.id;
        uint16_t f1 = plat::VK_F1;
        form->FormKeyDown(form, f1, {});
        auto asked = services->suite->journal->Events(standin::SuiteEventKind::HelpRequested);
        if (!*c.context) {
            EXPECT_TRUE(asked.empty()) << c.id;
            continue;
        }
        ASSERT_EQ(asked.size(), 1u) << c.id;
        EXPECT_EQ(asked[0].subject, c.prefix);
        // In browse mode the context is the topic and four zeros.
        EXPECT_EQ(asked[0].detail, std::string(c.context) + "0000") << c.id;
    }
    form->Free();
}

TEST_F(RadicalOnHost, EnterMovesOnOutsideGridsOnly) {
    TestBaseForm* form = StartForm(HostParams());
    auto* first = new plat::TEdit(form);
    first->SetParent(form);
    first->SetBounds(10, 40, 100, 21);
    auto* second = new plat::TEdit(form);
    second->SetParent(form);
    second->SetBounds(10, 70, 100, 21);
    auto* grid = new plat::TDataGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 100, 200, 100);
    form->Show();
    form->FocusControl(first);
    char32_t enter = U'\r';
    form->FormKeyPress(form, enter);
    EXPECT_EQ(enter, U'\0');
    EXPECT_EQ(form->ActiveControl(), second);

    form->FocusControl(grid);
    enter = U'\r';
    form->FormKeyPress(form, enter);
    EXPECT_EQ(enter, U'\r');  // left to the grid
    EXPECT_EQ(form->ActiveControl(), grid);
    form->Free();
}

}  // namespace
}  // namespace ktrb::test

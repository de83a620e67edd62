// Sign-off of a receipt on the header/body form, with the stand-in of the
// outside sign-off system deciding the jobs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "double_fixture.h"
#include "forms/FSVInfo.h"
#include "forms/SetSVINFO.h"
#include "platform/system/desktop.h"
#include "platform/system/files.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/filedialogs.h"
#include "platform/ui/grids.h"
#include "platform/ui/menus.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "standins/servers/sign_off.h"

namespace ktrb::test {
namespace {

class SignOffTest : public DoubleFormTest {
  protected:
    SignOffTest() {
        plat::Application->SetDialogRunner(runner);
        auto& db = server->Db();
        db.Exec(
            "INSERT INTO SVSMC (MC001, MC002, MC006, MC007, MC008) VALUES "
            "('KTRB52', '****', 'Y', 'Y', 'Y');"
            "INSERT INTO ADMMQ (MQ001, MQ002, MQ003, MQ004) VALUES "
            "('KTRB52', '5901', 'FLOW-5901', 'Y');"
            "INSERT INTO ADMMR (MR001, MR002, MR003, MR004, MR005, MR007) VALUES "
            "('KTRB52', '5901', '0001', 'TH002', 'MOCTH', '单号'),"
            "('KTRB52', '5901', '0002', 'TH018', 'MOCTH', '金额');"
            "UPDATE MOCTH SET TH036 = '0';");
        TBrokers* b = form->Brokers();
        b->SetSysParam("SYS060", "Y");
        b->SetSysParam("SYS174", "Y");
        form->SetSignOffFieldName("TH036");
        form->btnSorvanta->SetVisible(true);
        form->SignOffAllowed = true;
        form->LoadDocTypeSettings();
        form->RefreshData();
    }
    ~SignOffTest() override { plat::Application->SetDialogRunner(nullptr); }
    // The send dialog answered with OK as it opens.
    void AcceptSendDialog() {
        runner->Expect("TfrmSetSVINFO", [](plat::TCustomForm& f) {
            auto& d = static_cast<TfrmSetSVINFO&>(f);
            EXPECT_EQ(d.cbo01->ItemIndex(), 0);
            EXPECT_EQ(d.ed02->Text(), "DS");
            d.btnOK->Click();
            return d.ModalResult();
        });
    }
    std::string SignOffStatus(const std::string& number) {
        return Sql("SELECT TH036 FROM MOCTH WHERE TH001='5901' AND TH002='" + number + "'");
    }
    std::string Decide(const std::string& number, bool approve) {
        return standin::FinishSignOffJob(*services->suite,
                                         {"DEMO", "KTRB52", "5901||" + number, approve, "DS"});
    }
    void Reopen(const std::string& number) {
        form->RefreshData();
        ASSERT_TRUE(GoTo(number));
        form->UpdateButtons();
    }

    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
    plat::TRecordingLauncher recorder;
    plat::TRecordingLauncher* launcher = &recorder;
    plat::DesktopLauncherOverride launcherScope{recorder};
};

TEST_F(SignOffTest, ConfirmGoesThroughSignOffAndIsApproved) {
    ASSERT_TRUE(GoTo("20240112001"));
    form->UpdateButtons();
    // A confirm that goes through sign-off is not offered directly as well.
    EXPECT_TRUE(form->miGoConfirm->Enabled());
    EXPECT_FALSE(form->btnConfirm->Enabled());
    EXPECT_FALSE(form->miGoUnConfirm->Enabled());

    AcceptSendDialog();
    form->miGoConfirmClick(nullptr);
    EXPECT_EQ(runner->Pending(), 0);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SVJOBQUE WHERE SV003 = '5901||20240112001'"), "1");
    EXPECT_EQ(SignOffStatus("20240112001"), "S");
    EXPECT_EQ(Status("20240112001"), "N");
    const std::string job = Sql("SELECT SV006 FROM SVJOBQUE WHERE SV003 = '5901||20240112001'");
    EXPECT_NE(job.find("单号,C,20240112001;金额,N,"), std::string::npos) << job;

    // While it waits, editing and every status action are off.
    Reopen("20240112001");
    for (plat::TControl* c :
         std::initializer_list<plat::TControl*>{form->btnEdit, form->btnDelete, form->btnConfirm,
                                                form->btnUnConfirm, form->btnInvalid})
        EXPECT_FALSE(c->Enabled()) << c->Name();
    for (plat::TMenuItem* m : {form->miGoConfirm, form->miGoUnConfirm, form->miGoInvalid})
        EXPECT_FALSE(m->Enabled()) << m->Name();
    EXPECT_TRUE(form->miViewSorvanta->Enabled());

    // A second send while the job waits is refused.
    form->messages.clear();
    form->SendForSignOff(3);
    ASSERT_EQ(form->messages.size(), 1u);

    ASSERT_EQ(Decide("20240112001", true), "");
    Reopen("20240112001");
    EXPECT_EQ(Head("TH023")->AsString(), "Y");
    EXPECT_EQ(LineStates("20240112001").find('N'), std::string::npos);
    EXPECT_EQ(Head("TH036")->AsString(), "3");
    // Approved: an unconfirm may now be sent for sign-off.
    EXPECT_TRUE(form->miGoUnConfirm->Enabled());
    EXPECT_FALSE(form->btnUnConfirm->Enabled());
}

TEST_F(SignOffTest, VoidSentAndRejectedLeavesTheDocument) {
    ASSERT_TRUE(GoTo("20240112001"));
    form->UpdateButtons();
    AcceptSendDialog();
    form->miGoInvalidClick(nullptr);
    EXPECT_EQ(SignOffStatus("20240112001"), "S");
    ASSERT_EQ(Decide("20240112001", false), "");
    Reopen("20240112001");
    EXPECT_EQ(Head("TH023")->AsString(), "N");
    EXPECT_EQ(Head("TH036")->AsString(), "2");
    EXPECT_TRUE(form->btnEdit->Enabled());
    EXPECT_TRUE(form->miGoInvalid->Enabled());
}

TEST_F(SignOffTest, CancelledSendDialogSendsNothing) {
    ASSERT_TRUE(GoTo("20240112001"));
    form->UpdateButtons();
    runner->Expect("TfrmSetSVINFO", [](plat::TCustomForm& f) {
        static_cast<TfrmSetSVINFO&>(f).btnCancel->Click();
        return f.ModalResult();
    });
    form->miGoConfirmClick(nullptr);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SVJOBQUE"), "0");
    EXPECT_EQ(SignOffStatus("20240112001"), "0");
}

TEST_F(SignOffTest, SettingsRowOfTheDocumentTypeWinsOverTheGeneralRow) {
    server->Db().Exec(
        "INSERT INTO SVSMC (MC001, MC002, MC006, MC007, MC008) VALUES ('KTRB52', '5901', 'N', "
        "'N', 'N')");
    form->LoadDocTypeSettings();
    ASSERT_TRUE(GoTo("20240112001"));
    EXPECT_FALSE(form->CanSendForSignOff(3));
    EXPECT_FALSE(form->CanSendForSignOff(1));
    ASSERT_TRUE(GoTo("20240108001"));  // confirmed, type 5901 too
    EXPECT_FALSE(form->CanSendForSignOff(2));
}

TEST_F(SignOffTest, StatusViewShowsTheApprovalRowsOfTheJob) {
    ASSERT_TRUE(GoTo("20240112001"));
    form->UpdateButtons();
    // Not sent yet: no information, nothing asked.
    form->messages.clear();
    form->miViewSorvantaClick(nullptr);
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find("无签核信息"), std::string::npos);

    AcceptSendDialog();
    form->miGoConfirmClick(nullptr);
    ASSERT_EQ(Decide("20240112001", true), "");
    Reopen("20240112001");
    form->Brokers()->SetSysParam("SYS174", "N");
    const std::string file = installation.client() + "signoff.txt";
    runner->Expect("TfrmSVInfo", [&](plat::TCustomForm& f) {
        auto& w = static_cast<TfrmSVInfo&>(f);
        EXPECT_EQ(w.StringGrid1->RowCount(), 2);
        EXPECT_EQ(w.StringGrid1->Cells(0, 1), "1");
        EXPECT_EQ(w.StringGrid1->Cells(3, 1), "FLOW-5901");
        EXPECT_EQ(w.StringGrid1->Cells(6, 1), "核准");
        EXPECT_EQ(w.StringGrid1->Cells(7, 1), "DS");
        w.N1Click(nullptr);
        w.btnOK->Click();
        return w.ModalResult();
    });
    // The save dialog gets the name without its extension.
    runner->Expect("TFileDialogForm", [&](plat::TCustomForm& f) {
        static_cast<plat::TFileDialogForm&>(f).SetFileName(installation.client() + "signoff");
        return plat::mrOk;
    });
    form->miViewSorvantaClick(nullptr);
    EXPECT_EQ(runner->Pending(), 0);
    ASSERT_EQ(launcher->Opened(), std::vector<std::string>{file});
    std::istringstream in(plat::FromAnsi(plat::ReadFileBytes(file)));
    std::string title, row;
    std::getline(in, title);
    std::getline(in, row);
    // Fixed-width columns: "序号" padded to 5 + 4 characters, then "关号".
    EXPECT_EQ(title.substr(0, 14), "序号     关");
    EXPECT_EQ(row.substr(0, 9), "1        ");
}

TEST_F(SignOffTest, OpinionPageOpensInTheBrowser) {
    ASSERT_TRUE(GoTo("20240112001"));
    form->UpdateButtons();
    AcceptSendDialog();
    form->miGoConfirmClick(nullptr);
    ASSERT_EQ(Decide("20240112001", true), "");
    Reopen("20240112001");
    form->miViewSorvantaClick(nullptr);
    EXPECT_NE(form->LastOpinionRequest.find("<SystemID>Palora</SystemID ></LogOnInfo>"),
              std::string::npos);
    ASSERT_EQ(launcher->Opened().size(), 1u);
    const std::string url = launcher->Opened()[0];
    ASSERT_EQ(url.rfind("file://", 0), 0u) << url;
    std::ifstream in(url.substr(7));
    std::stringstream page;
    page << in.rdbuf();
    EXPECT_NE(page.str().find("核准"), std::string::npos);
}

TEST(SignOffXml, ApprovalRowsPerPerson) {
    const std::string reply =
        "<RetVal><ApproveInfo><PassNoInfoList><PassNoInfo><BranchInfoList><BranchInfo>"
        "<BranchNo>2</BranchNo><FlowRole>R</FlowRole>"
        "<RecTime>t1</RecTime><ApproveTime>a1</ApproveTime><ApproveRet>Y</ApproveRet>"
        "<RecPersonId>P1</RecPersonId><RecPersonName>N1</RecPersonName>"
        "<ApprovePersonId>Q1</ApprovePersonId><ApprovePersonName>M1</ApprovePersonName>"
        "<RecTime>t2</RecTime><ApproveTime></ApproveTime><ApproveRet></ApproveRet>"
        "<RecPersonId>P2</RecPersonId><RecPersonName>N2</RecPersonName>"
        "<ApprovePersonId></ApprovePersonId><ApprovePersonName></ApprovePersonName>"
        "</BranchInfo></BranchInfoList></PassNoInfo></PassNoInfoList></ApproveInfo>"
        "<RetInfo><ErrNum>0</ErrNum><ErrDis></ErrDis></RetInfo></RetVal>";
    plat::Variant rows;
    std::string number, text;
    ASSERT_TRUE(ParseApproveInfo(reply, rows, number, text));
    ASSERT_EQ(rows.ArrayCount(), 3);
    EXPECT_EQ(plat::VarToStr(rows[0][0]), "");  // no PassNo
    EXPECT_EQ(plat::VarToStr(rows[1][1]), "2");
    EXPECT_EQ(plat::VarToStr(rows[1][2]), "R");
    EXPECT_EQ(plat::VarToStr(rows[1][6]), "P2");
    EXPECT_EQ(plat::VarToStr(rows[0][9]), "M1");
    EXPECT_TRUE(rows[2].IsEmpty());

    EXPECT_FALSE(ParseApproveInfo(
        "<RetVal><RetInfo><ErrNum>7</ErrNum><ErrDis>down</ErrDis></RetInfo></RetVal>", rows, number,
        text));
    EXPECT_EQ(number + text, "7down");
    EXPECT_TRUE(rows.IsEmpty());
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

class SignOffPictures : public DoubleFormTest {
  protected:
    explicit SignOffPictures(const std::string& ui = "936") : DoubleFormTest(false, ui) {}
    void Save(plat::TControl* c, const std::string& name) {
        plat::SaveScreenshot(c, installation.client() + name);
        if (const char* dir = std::getenv("KTRB_SHOTS"))
            plat::SaveScreenshot(c, std::string(dir) + "/" + name);
    }
    void Shoot(const std::string& lang) {
        auto* d = plat::CreateForm<TfrmSetSVINFO>(form);
        d->Show();
        plat::Application->ProcessMessages();
        EXPECT_EQ(d->ed02->Text(), "DS");
        Save(d, "SetSVINFO_" + lang + ".png");
        d->Free();

        auto* w = plat::CreateForm<TfrmSVInfo>(form);
        w->SetupColumns();
        w->FillGrid(plat::VarArrayOf(
            {plat::VarArrayOf({"1", "1", "采购主管", "20240412093000", "20240412101500", "核准",
                               "ZHANGW", "张伟", "DS", "系统管理员很长的名字"}),
             plat::VarArrayOf(
                 {"2", "1", "财务", "20240412101500", "", "签核中", "LIMEI", "李梅", "", ""}),
             plat::Variant()}));
        w->ConvertFormOnce();
        w->Show();
        plat::Application->ProcessMessages();
        // A long name widens its column: every title stays whole.
        EXPECT_GE(w->StringGrid1->ColWidths(10), plat::TextWidth("系统管理员很长的名字") * 8 + 5);
        EXPECT_EQ(w->StringGrid1->RowCount(), 3);
        EXPECT_EQ(w->SaveDialog1->Filter,
                  lang == "ENG" ? "Text files (*.txt)|*.txt" : "文本文件(*.txt)|*.txt");
        Save(w, "FSVInfo_" + lang + ".png");
        w->Free();
    }
};
class SignOffPicturesEnglish : public SignOffPictures {
  protected:
    SignOffPicturesEnglish() : SignOffPictures("437") {}
};

TEST_F(SignOffPictures, Chinese) {
    Shoot("CHS");
}
TEST_F(SignOffPicturesEnglish, English) {
    Shoot("ENG");
}

}  // namespace
}  // namespace ktrb::test

// Sign-off of a receipt on the header/body form, with the stand-in of the
// outside sign-off system deciding the jobs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "double_fixture.h"
#include "forms/FSVInfo.h"
#include "forms/SetSVINFO.h"
#include "forms/SignOffImages.h"
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

TEST_F(SignOffTest, AKeyWithAQuoteIsFoundInTheQueue) {
    server->Db().Exec(
        "PRAGMA foreign_keys = OFF;"
        "UPDATE MOCTI SET TI002 = '2024011''001' WHERE TI001 = '5901' AND TI002 = '20240112001';"
        "UPDATE MOCTH SET TH002 = '2024011''001' WHERE TH001 = '5901' AND TH002 = '20240112001';"
        "PRAGMA foreign_keys = ON;");
    form->RefreshData();
    ASSERT_TRUE(GoTo("2024011'001"));
    form->UpdateButtons();
    AcceptSendDialog();
    form->miGoConfirmClick(nullptr);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SVJOBQUE WHERE SV003 = '5901||2024011''001'"), "1");
    // The queue check found the job: the document shows it waits.
    EXPECT_EQ(SignOffStatus("2024011''001"), "S");
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

// With the settings in the program master instead of the sign-off tables,
// a job carries the document's print images.
class SignOffImagesTest : public SignOffTest {
  protected:
    void UseImages(const std::string& imageType) {
        server->Db().Query("UPDATE ADMMB SET MB007 = 'SV', MB008 = ? WHERE MB001 = 'KTRB52'",
                           {imageType});
        form->Brokers()->LoadProgramInfo();
        form->Brokers()->SetSysParam("SYS174", "N");
        services->printFolder = installation.client() + "print";
    }
    std::string Images(const std::string& number) {
        std::string all;
        for (auto& r : server->Db().Query(
                 "SELECT IM005 FROM SVJOBIMG WHERE IM003 = ? ORDER BY IM004", {"5901||" + number}))
            all += plat::VarToStr(r[0]);
        return all;
    }
};

TEST_F(SignOffImagesTest, JobCarriesThePrintedPages) {
    struct Case {
        const char* imageType;
        const char* magic;
        const char* format;
    } cases[] = {{"GIF", "GIF89a", "GIF"}, {"JPG§", "\xff\xd8\xff", "JPG"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.imageType);
        server->Db().Exec("DELETE FROM SVJOBQUE; UPDATE MOCTH SET TH036 = '0'");
        form->RefreshData();
        UseImages(c.imageType);
        ASSERT_TRUE(GoTo("20240112001"));
        form->UpdateButtons();
        AcceptSendDialog();
        form->miGoConfirmClick(nullptr);
        EXPECT_EQ(SignOffStatus("20240112001"), "S");
        const std::string bytes = Images("20240112001");
        ASSERT_EQ(bytes.rfind(c.magic, 0), 0u);
        QImage page = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                       int(bytes.size()), c.format);
        EXPECT_EQ(page.width(), 1123);
        // Collected and gone: the user's image folder is left empty.
        const std::string folder = installation.client() + "c_temp/DS";
        ASSERT_TRUE(std::filesystem::is_directory(folder));
        EXPECT_TRUE(std::filesystem::is_empty(folder));
    }

    // The opinion page shows the kept image beside the approval rows.
    ASSERT_EQ(Decide("20240112001", true), "");
    Reopen("20240112001");
    form->Brokers()->SetSysParam("SYS174", "Y");
    form->miViewSorvantaClick(nullptr);
    ASSERT_EQ(launcher->Opened().size(), 1u);
    const std::filesystem::path page = launcher->Opened()[0].substr(7);
    std::ifstream in(page);
    std::stringstream html;
    html << in.rdbuf();
    const size_t img = html.str().find("<img src=\"");
    ASSERT_NE(img, std::string::npos);
    const std::string name = html.str().substr(img + 10, html.str().find('"', img + 10) - img - 10);
    EXPECT_TRUE(std::filesystem::exists(page.parent_path() / name)) << name;
}

TEST_F(SignOffImagesTest, HostileUserNamesStayInTheImageFolder) {
    UseImages("GIF");
    form->Brokers()->UserID = "../../DS";
    ASSERT_TRUE(GoTo("20240112001"));
    form->UpdateButtons();
    runner->Expect("TfrmSetSVINFO", [](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmSetSVINFO&>(f);
        d.ed02->SetText("DS");  // the person concerned must be a user
        d.btnOK->Click();
        return d.ModalResult();
    });
    form->miGoConfirmClick(nullptr);
    EXPECT_EQ(Images("20240112001").rfind("GIF89a", 0), 0u)
        << testing::PrintToString(form->messages);
    EXPECT_TRUE(std::filesystem::is_directory(installation.client() + "c_temp/.._.._DS"));
    EXPECT_FALSE(std::filesystem::exists(installation.client() + "../DS"));
}

TEST_F(SignOffImagesTest, ImagesThatCannotBeMadeStopTheSend) {
    UseImages("GIF");
    form->ReportProgram = "NOREPORT";  // the host has no layout to print it by
    ASSERT_TRUE(GoTo("20240112001"));
    form->UpdateButtons();
    AcceptSendDialog();
    form->messages.clear();
    EXPECT_THROW(form->SendForSignOff(3), plat::EAbort);
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find("送签生成图片失败"), std::string::npos);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SVJOBQUE"), "0");
    EXPECT_EQ(SignOffStatus("20240112001"), "0");
    // Both tries asked the host.
    int runs = 0;
    for (const auto& e : services->suite->journal->Events())
        runs += e.kind == standin::SuiteEventKind::Unavailable &&
                e.detail.find("NOREPORT") != std::string::npos;
    EXPECT_EQ(runs, 2);
}

TEST(SignOffImageNames, HostileNamesBecomeOneFolderName) {
    const std::string longName(70 * 3, 'x');
    std::string cjk;
    for (int i = 0; i < 30; ++i) cjk += "用";
    struct Case {
        std::string in, out;
    } cases[] = {
        {"DS", "DS"},
        {"", "_"},
        {".", "_."},
        {"..", "_.."},
        {"../etc", ".._etc"},
        {"a/b\\c", "a_b_c"},
        {"x\x01y\x7f\n", "x_y__"},
        {"张三", "张三"},
        {"\xff\xfe", "__"},
        {longName, std::string(64, 'x')},
        {cjk, cjk.substr(0, 63)},
    };
    for (const Case& c : cases) EXPECT_EQ(SafeFolderName(c.in), c.out) << c.in;
    EXPECT_EQ(SignOffImageName("5901||2024*01||/x"), "5901-2024 01-_x");
}

TEST(SignOffImageNames, OnlyThePagesOfTheDocumentAreCollectedInPageOrder) {
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("ktrb_svimg_" + std::to_string(::getpid())))
            .string() +
        "/";
    std::filesystem::create_directories(dir);
    for (const char* f : {"5901-001_0002.GIF", "5901-001.gif", "5901-0012.GIF", "5901-001_x.GIF",
                          "5901-001.JPG", "5901-001_0010.GIF"})
        std::ofstream(dir + f) << f;
    const auto files = FindSignOffImages(dir, "5901-001", ".GIF");
    EXPECT_EQ(files, (std::vector<std::string>{dir + "5901-001.gif", dir + "5901-001_0002.GIF",
                                               dir + "5901-001_0010.GIF"}));
    TMemoryStream stream;
    std::string sizes;
    AppendFilesToStream(files, stream, sizes);
    EXPECT_EQ(sizes, "12;17;17");
    const plat::Variant bytes = StreamToByteArray(stream);
    EXPECT_EQ(bytes.LowBound(), 0);
    EXPECT_EQ(bytes.HighBound(), 45);
    EXPECT_EQ(bytes[0].RawInt(), '5');
    EXPECT_THROW(AppendFilesToStream({dir + "missing.GIF"}, stream, sizes), plat::EInOutError);
    std::filesystem::remove_all(dir);
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

TEST(SignOffXml, AReplyCutShortEndsWithTheErrorInsteadOfLooping) {
    const std::string head =
        "<RetVal><RetInfo><ErrNum>0</ErrNum><ErrDis></ErrDis></RetInfo><ApproveInfo>"
        "<PassNoInfoList><PassNoInfo><PassNo>1</PassNo><BranchInfoList><BranchInfo>"
        "<BranchNo>2</BranchNo><FlowRole>R</FlowRole>"
        "<RecTime>t1</RecTime><ApproveTime>a1</ApproveTime><ApproveRet>Y</ApproveRet>";
    const std::string tail =
        "</BranchInfo></BranchInfoList></PassNoInfo></PassNoInfoList></ApproveInfo></RetVal>";
    struct Case {
        std::string reply, text;
    };
    const Case cases[] = {
        {head + "<RecPersonId>p1", "<RetVal>"},
        {head + "<RecPersonId>p1" + tail, "<RecPersonId>"},
        {head + "<RecPersonId>p1</RecPersonId><RecPersonName>n1" + tail, "<RecPersonName>"},
        {"<RetVal><RetInfo><ErrNum>0</ErrNum><ErrDis></ErrDis></RetInfo><ApproveInfo>"
         "<PassNoInfoList><PassNoInfo><PassNo>1</PassNo></PassNoInfoList></ApproveInfo></RetVal>",
         "<PassNoInfo>"},
    };
    for (const Case& c : cases) {
        plat::Variant rows;
        std::string number, text;
        EXPECT_FALSE(ParseApproveInfo(c.reply, rows, number, text)) << c.reply;
        EXPECT_EQ(number, "");
        EXPECT_EQ(text, c.text);
        EXPECT_TRUE(rows.IsEmpty());
    }
    // Complete persons are read as many times as the branch names one.
    plat::Variant rows;
    std::string number, text;
    ASSERT_TRUE(
        ParseApproveInfo(head +
                             "<RecPersonId>p1</RecPersonId><RecPersonName>n1</RecPersonName>"
                             "<ApprovePersonId>q1</ApprovePersonId>"
                             "<ApprovePersonName>m1</ApprovePersonName>" +
                             tail,
                         rows, number, text));
    ASSERT_EQ(rows.ArrayCount(), 2);
    EXPECT_EQ(plat::VarToStr(rows[0][6]), "p1");
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

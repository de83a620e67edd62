// The whole road of a receipt through the host program's own start: the
// module library loaded by file name on a fresh demo installation, the
// receipt form opened by its controller and worked by script through its
// buttons, menus, fields and dialogs, with the stored rows read back after
// every step and once more after the form is closed and opened again.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/system/desktop.h"
#include "platform/system/inifile.h"
#include "platform/system/xls_reader.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "programs/ktrb52/host_session.h"
#include "programs/ktrb52/road_walk.h"
#include "standins/appserver/server.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/appserver/tcp_transport.h"
#include "standins/host/host_services.h"
#include "standins/host/system_parameters.h"
#include "standins/servers/sign_off.h"
#include "standins/servers/suite_services.h"

namespace standin {
namespace {

namespace fs = std::filesystem;

std::string freshHome() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path home = fs::path(::testing::TempDir()) / ("ktrb52-e2e-" + std::to_string(now));
    fs::remove_all(home);
    return home.string() + "/";
}

bool Holds(const XlsSheet& sheet, const std::string& text) {
    EXPECT_TRUE(sheet.ok) << sheet.error;
    for (const auto& [at, cell] : sheet.cells)
        if (cell.text == text) return true;
    return false;
}

class RoadE2E : public ::testing::Test {
  protected:
    RoadE2E() : home_(freshHome()) {}
    ~RoadE2E() override {
        walk.reset();
        session.reset();
        std::error_code ec;
        fs::remove_all(home_, ec);
    }

    // Opens the form as the host program does; ui: the interface code page.
    void Open(const std::string& ui = "936") {
        walk.reset();
        session.reset();
        HostOptions options;
        options.library = KTRB_DEFAULT_LIBRARY;
        options.home = home_;
        options.uiCodePage = ui;
        session = std::make_unique<HostSession>(options, log);
        // What the desktop would open (the printed PDF) is recorded instead.
        if (!launcherScope)
            launcherScope = std::make_unique<plat::DesktopLauncherOverride>(launcher);
        // Arrival-note receipts (type 5902) go through the outside sign-off
        // system: its settings row and the host's switch.
        session->Services().sysParams->Set("*", "SYS174", "Y");
        session->Server()->Db().Exec(
            "INSERT OR IGNORE INTO SVSMC (MC001, MC002, MC006, MC007, MC008) VALUES "
            "('KTRB52', '5902', 'Y', 'Y', 'Y'); UPDATE SYSPM SET PM002 = 'Y' WHERE PM001 = "
            "'SYS174'");
        ASSERT_EQ(session->Start(), 0) << log.str();
        session->Controller().SetVisible(-1);
        plat::TCustomForm* form = session->MainForm();
        ASSERT_NE(form, nullptr);
        const char* shots = std::getenv("KTRB_SHOTS");
        walk =
            std::make_unique<RoadWalk>(*form, shots ? std::string(shots) + "/e2e-" + ui : "", log);
    }
    std::string Sql(const std::string& sql) {
        return plat::VarToStr(session->Server()->Db().Scalar(sql));
    }
    std::string Head(const char* f) { return walk->Text("cdsMain", f); }
    std::string Line(const char* f) { return walk->Text("cdsBody1", f); }
    std::string Stored(const std::string& type, const std::string& number, const char* column) {
        return Sql(std::string("SELECT ") + column + " FROM MOCTH WHERE TH001='" + type +
                   "' AND TH002='" + number + "'");
    }
    std::string LineStates(const std::string& type, const std::string& number) {
        return Sql("SELECT group_concat(TI037, '') FROM MOCTI WHERE TI001='" + type +
                   "' AND TI002='" + number + "'");
    }
    // The query dialog's OK, with the receipt's type and number keyed into
    // the first two rows of its condition grid (the key fields) when given.
    void Query(const std::string& type = "", const std::string& number = "") {
        walk->Expect("TQBEForm", [type, number](plat::TCustomForm& f) {
            auto* grid = dynamic_cast<plat::TStringGrid*>(f.FindComponent("sg1"));
            EXPECT_NE(grid, nullptr);
            if (grid && !type.empty()) {
                grid->SetCells(2, 1, type);
                grid->SetCells(2, 2, number);
            }
            dynamic_cast<plat::TControl*>(f.FindComponent("BBOK"))->Click();
            return f.ModalResult();
        });
        walk->Click("btnQuery");
        EXPECT_EQ(walk->Pending(), 0) << "the query dialog did not open";
    }
    void GoTo(const std::string& type, const std::string& number) {
        Query(type, number);
        plat::TClientDataSet& head = walk->DataSet("cdsMain");
        ASSERT_EQ(head.RecordCount(), 1) << type << "-" << number;
        ASSERT_EQ(Head("TH001") + "-" + Head("TH002"), type + "-" + number);
    }
    // The confirm-date dialog answered with a date of its own.
    void ExpectConfirmDate(const std::string& date) {
        walk->Expect("TQVConfirmDateForm", [date](plat::TCustomForm& f) {
            auto* edit = dynamic_cast<plat::TCustomEdit*>(f.FindComponent("edDate01"));
            EXPECT_NE(edit, nullptr);
            if (edit) {
                edit->SetFocus();
                edit->SetText(date);
            }
            dynamic_cast<plat::TControl*>(f.FindComponent("btnOK"))->Click();
            return f.ModalResult();
        });
    }
    std::string Messages() const { return ::testing::PrintToString(walk->Messages()); }

    std::string home_;
    // Until the walk answers them, dialogs are cancelled rather than waited on.
    plat::DialogRunnerScope guard_{std::make_shared<plat::ScriptedDialogRunner>()};
    std::ostringstream log;
    plat::TRecordingLauncher launcher;
    std::unique_ptr<plat::DesktopLauncherOverride> launcherScope;
    std::unique_ptr<HostSession> session;
    std::unique_ptr<RoadWalk> walk;
};

TEST_F(RoadE2E, AReceiptThroughItsWholeRoad) {
    Open();
    ASSERT_GE(std::stoi(Sql("SELECT COUNT(*) FROM MOCTH")), 280) << "the quarter's receipts";

    // The short road: query, a receipt from a work order, saved, confirmed.
    // Another clerk saves a receipt under the number this one was given
    // first, so the server numbers it anew and the form says so.
    Query();
    EXPECT_FALSE(walk->DataSet("cdsMain").IsEmpty());
    walk->Click("btnAdd");
    walk->Key("cdsMain", "TH001", "5901");
    walk->Key("cdsMain", "TH005", "S002");
    EXPECT_EQ(Head("TH005C"), "华达电镀");
    EXPECT_EQ(Head("TH007"), "RMB");
    const std::string given = Head("TH002");
    ASSERT_EQ(given.size(), 11u) << given;
    walk->DataSet("cdsBody1").Append();
    walk->Key("cdsBody1", "TI013", "5201");
    walk->Key("cdsBody1", "TI014", "20240110001");
    EXPECT_EQ(Line("TI004"), "C3001");
    walk->Key("cdsBody1", "TI007", "20");
    walk->Key("cdsBody1", "TI060", "R-01-01");
    walk->DataSet("cdsBody1").Post();
    session->Server()->Db().Exec("INSERT INTO MOCTH (TH001, TH002, TH005) VALUES ('5901', '" +
                                 given + "', 'S001')");
    walk->Click("btnOK");
    const std::string number = Head("TH002");
    ASSERT_NE(number, given) << log.str();
    ASSERT_FALSE(walk->Messages().empty());
    EXPECT_NE(walk->Messages().back().find(number), std::string::npos) << Messages();
    EXPECT_EQ(Stored("5901", number, "TH005"), "S002");
    EXPECT_EQ(Sql("SELECT TI004 || ':' || TI007 || ':' || TI014 FROM MOCTI WHERE TI001='5901' "
                  "AND TI002='" +
                  number + "'"),
              "C3001:20.0:20240110001");

    ExpectConfirmDate("2024/06/28");
    walk->Click("btnConfirm");
    EXPECT_EQ(walk->Pending(), 0);
    EXPECT_EQ(Stored("5901", number, "TH023"), "Y") << log.str();
    EXPECT_EQ(LineStates("5901", number), "Y");

    // Unconfirmed, voided and restored.
    walk->Click("btnUnConfirm");
    EXPECT_EQ(Stored("5901", number, "TH023"), "N") << Messages();
    EXPECT_EQ(LineStates("5901", number), "N");
    walk->Click("btnInvalid");
    EXPECT_EQ(Stored("5901", number, "TH023"), "V") << Messages();
    EXPECT_EQ(LineStates("5901", number), "V");
    // A void receipt offers no void control: the status buttons turn every
    // one of them off, so a clerk has no way back from here.
    GoTo("5901", number);
    EXPECT_EQ(Head("TH023"), "V");
    EXPECT_FALSE(dynamic_cast<plat::TControl&>(walk->Find("btnInvalid")).Enabled());

    // A receipt built from a scanned work-order barcode, its serial-managed
    // line given its serial numbers by scanning them into the serial form.
    walk->Click("btnAdd");
    walk->Key("cdsMain", "TH001", "5901");
    walk->Key("cdsMain", "TH005", "S003");
    walk->Expect("TfrmKTRB52EF", [](plat::TCustomForm& f) {
        auto* code = dynamic_cast<plat::TCustomEdit*>(f.FindComponent("ed01"));
        code->SetFocus();
        code->SetText("5201-20240115001");
        code->OnExit(code);
        dynamic_cast<plat::TControl*>(f.FindComponent("btnOK"))->Click();
        return f.ModalResult();
    });
    walk->Click("btnGDToJH");
    EXPECT_EQ(walk->Pending(), 0);
    ASSERT_EQ(walk->DataSet("cdsBody1").RecordCount(), 1) << Messages();
    EXPECT_EQ(Line("TI004"), "B2001");
    walk->Key("cdsBody1", "TI007", "3");
    walk->Key("cdsBody1", "TI019", "3");  // inspected: the clerk keys what was accepted
    walk->Key("cdsBody1", "TI010", "L240118");
    walk->Key("cdsBody1", "TI060", "B-02-01");
    walk->DataSet("cdsBody1").Post();
    walk->Expect("TfrmKTRB52Seq", [](plat::TCustomForm& f) {
        auto* scan = dynamic_cast<plat::TCustomEdit*>(f.FindComponent("edSeqNoScan"));
        for (const char* serial : {"B2001-240118-0001", "B2001-240118-0002", "B2001-240118-0003"}) {
            scan->SetText(serial);
            scan->OnExit(scan);
        }
        return plat::mrOk;
    });
    walk->Click("gdBody1IButton");
    EXPECT_EQ(walk->Pending(), 0) << Messages();
    walk->Click("btnOK");
    const std::string scanned = Head("TH002");
    EXPECT_EQ(Sql("SELECT TI004 || ':' || TI014 FROM MOCTI WHERE TI001='5901' AND TI002='" +
                  scanned + "'"),
              "B2001:20240115001")
        << log.str();
    EXPECT_EQ(
        Sql("SELECT group_concat(MB004, ',') FROM (SELECT MB004 FROM PSMMB WHERE MB001='5901' "
            "AND MB002='" +
            scanned + "' AND MB006='A' ORDER BY MB004)"),
        "B2001-240118-0001,B2001-240118-0002,B2001-240118-0003")
        << log.str();

    // A receipt from an inspected arrival note, saved and sent for sign-off.
    walk->Click("btnAdd");
    walk->Key("cdsMain", "TH001", "5902");
    walk->Key("cdsMain", "TH005", "S001");
    walk->DataSet("cdsBody1").Append();
    walk->Key("cdsBody1", "TIC02", "5A01");
    walk->Key("cdsBody1", "TIC03", "20240220001");
    walk->Key("cdsBody1", "TIC04", "0001");
    walk->Key("cdsBody1", "TIC05", "0001");
    EXPECT_EQ(Line("TI004"), "D4001");
    EXPECT_EQ(Line("TI014"), "20240120001");
    walk->Key("cdsBody1", "TI024", "1.2");
    walk->Key("cdsBody1", "TI010", "L240301");
    walk->Key("cdsBody1", "TI060", "A-01-02");
    walk->DataSet("cdsBody1").Post();
    walk->Click("btnOK");
    const std::string arrival = Head("TH002");
    EXPECT_EQ(Sql("SELECT TIC03 || ':' || TI019 || ':' || TI025 FROM MOCTI WHERE TI001='5902' AND "
                  "TI002='" +
                  arrival + "'"),
              "20240220001:960.0:1158.0")
        << log.str();

    // Sent for sign-off with the send dialog, approved outside, and so
    // confirmed.
    walk->Expect("TfrmSetSVINFO", [](plat::TCustomForm& f) {
        dynamic_cast<plat::TControl*>(f.FindComponent("btnOK"))->Click();
        return f.ModalResult();
    });
    walk->Click("miGoConfirm");
    EXPECT_EQ(walk->Pending(), 0) << log.str();
    EXPECT_EQ(Stored("5902", arrival, "TH036"), "S");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SVJOBQUE WHERE SV003 = '5902||" + arrival + "'"), "1");
    EXPECT_EQ(FinishSignOffJob(*session->Services().suite,
                               {"DEMO", "KTRB52", "5902||" + arrival, true, "DS"}),
              "");
    GoTo("5902", arrival);
    EXPECT_EQ(Head("TH023"), "Y");
    EXPECT_EQ(Head("TH036"), "3");
    EXPECT_EQ(LineStates("5902", arrival), "Y");

    // Printed: the host's print run writes the PDF into the installation's
    // print folder and the desktop opens it.
    walk->Click("btnPrint");
    ASSERT_EQ(launcher.Opened().size(), 1u) << log.str();
    const std::string pdf = launcher.Opened()[0];
    EXPECT_EQ(pdf.rfind(session->Installation().home + "print/", 0), 0u) << pdf;
    std::ifstream printed(pdf, std::ios::binary);
    std::string magic(5, '\0');
    printed.read(magic.data(), 5);
    EXPECT_EQ(magic, "%PDF-");

    // Exported to the spreadsheet, the browse list and the lines; both files
    // read back.
    const std::string exports = session->Installation().clientFolder + "c_data/";
    auto newest = [&](const std::set<std::string>& before) {
        std::string found;
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(exports, ec))
            if (e.path().extension() == ".xls" && !before.count(e.path().string()))
                found = e.path().string();
        return found;
    };
    auto existing = [&] {
        std::set<std::string> files;
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(exports, ec))
            files.insert(e.path().string());
        return files;
    };
    auto before = existing();
    walk->Click("miTable2Excel");
    const std::string list = newest(before);
    ASSERT_FALSE(list.empty()) << log.str();
    EXPECT_TRUE(Holds(ReadXls(list), arrival)) << list;
    // Files are named by the second: the next export may take the same name.
    fs::remove(list);
    before = existing();
    walk->Click("miBodyToExcel");
    const std::string body = newest(before);
    ASSERT_FALSE(body.empty()) << log.str();
    EXPECT_TRUE(Holds(ReadXls(body), "D4001")) << body;

    // Copied into a new receipt through the copy dialog, then saved.
    GoTo("5901", number);
    walk->Expect("TfrmCopy", [&](plat::TCustomForm& f) {
        auto edit = [&](const char* name) {
            return dynamic_cast<plat::TCustomEdit*>(f.FindComponent(name));
        };
        auto* ok = dynamic_cast<plat::TWinControl*>(f.FindComponent("BBOK"));
        EXPECT_EQ(edit("edSource2")->Text(), number);
        ok->Click();
        edit("edDest1")->SetFocus();
        edit("edDest1")->SetText("5901");
        edit("edDest2")->SetFocus();
        edit("edDest2")->SetText("20240628901");
        ok->SetFocus();
        ok->Click();
        return f.ModalResult();
    });
    walk->Click("mnuCopy");
    EXPECT_EQ(walk->DataSet("cdsMain").State(), plat::dsInsert) << log.str();
    // The copied line keeps the copied receipt's 20, not what is still open
    // on the work order (200 less the 50 of an open receipt).
    EXPECT_DOUBLE_EQ(walk->Field("cdsBody1", "TI007").AsFloat(), 20);
    walk->Key("cdsBody1", "TI060", "R-01-01");
    walk->DataSet("cdsBody1").Post();
    walk->Click("btnOK");
    // Numbered anew by its date.
    const std::string copy = Head("TH002");
    EXPECT_NE(copy, number);
    EXPECT_EQ(
        Sql("SELECT TI004 || ':' || TI007 FROM MOCTI WHERE TI001='5901' AND TI002='" + copy + "'"),
        "C3001:20.0")
        << log.str();

    // Closed and opened again: the stored receipts come back as entered.
    Open();
    GoTo("5901", number);
    EXPECT_EQ(Head("TH005"), "S002");
    EXPECT_EQ(Head("TH023"), "V");
    EXPECT_EQ(walk->DataSet("cdsBody1").RecordCount(), 1);
    EXPECT_EQ(Line("TI004"), "C3001");
    EXPECT_DOUBLE_EQ(walk->Field("cdsBody1", "TI007").AsFloat(), 20);
    GoTo("5902", arrival);
    EXPECT_EQ(Line("TIC03"), "20240220001");
    EXPECT_EQ(walk->Unexpected(), std::vector<std::string>{}) << log.str();
}

}  // namespace
}  // namespace standin

namespace standin {
namespace {

// The short road in each interface language: the form's labels, menus and
// the messages the road shows come from the language packages and message
// tables, never empty and never with characters lost to a code page ("?").
class RoadLanguages : public RoadE2E, public ::testing::WithParamInterface<const char*> {
  protected:
    static bool lost(const std::string& text) {
        const size_t q = text.find('?');
        return q != std::string::npos && q + 1 != text.size();
    }
    // Texts a person reads on the form: "name: text" of each bad one.
    std::vector<std::string> BadTexts(plat::TComponent* owner) {
        std::vector<std::string> bad;
        for (int i = 0; i < owner->ComponentCount(); ++i) {
            plat::TComponent* c = owner->Components(i);
            std::string text;
            bool shown = false;
            if (auto* label = dynamic_cast<plat::TCustomLabel*>(c)) {
                text = label->Caption();
                // The "txt...C" labels beside the codes show looked-up
                // names, not texts of the language.
                shown = label->Showing() && c->Name().rfind("txt", 0) != 0;
            } else if (auto* item = dynamic_cast<plat::TMenuItem*>(c)) {
                text = item->Caption();
                shown = item->Visible() && text != "-";
            }
            if (shown && (plat::Trim(text).empty() || lost(text)))
                bad.push_back(c->Name() + ": \"" + text + "\"");
            for (const std::string& b : BadTexts(c)) bad.push_back(b);
        }
        return bad;
    }
};

TEST_P(RoadLanguages, TheShortRoadSpeaksTheInterfaceLanguage) {
    Open(GetParam());
    const std::string number = WalkShortRoad(*walk, log, *session->Services().suite->database);
    EXPECT_EQ(Stored("5901", number, "TH023"), "Y") << log.str();
    EXPECT_EQ(BadTexts(&walk->Form()), std::vector<std::string>{});
    for (const std::string& m : walk->Messages()) EXPECT_FALSE(lost(m) || m.empty()) << m;
    EXPECT_EQ(walk->Unexpected(), std::vector<std::string>{}) << log.str();
}

INSTANTIATE_TEST_SUITE_P(Interface, RoadLanguages, ::testing::Values("936", "950", "437"));

}  // namespace
}  // namespace standin

namespace standin {
namespace {

// The short road with the application server reached over TCP, as with the
// host program's --server: the module's own socket connection and the
// host's objects both go through the network client.
TEST_F(RoadE2E, TheShortRoadOverTcp) {
    Open();  // makes the installation and its database
    walk.reset();
    session.reset();
    auto server = AppServer::Open(home_ + "data/ktrb52-demo.db");
    TcpServer tcp(server, "127.0.0.1", 0);
    tcp.Start();
    HostOptions options;
    options.library = KTRB_DEFAULT_LIBRARY;
    options.home = home_;
    options.serverAddress = "localhost";
    options.serverPort = tcp.Port();
    session = std::make_unique<HostSession>(options, log);
    ASSERT_EQ(session->Start(), 0) << log.str();
    session->Controller().SetVisible(-1);
    walk = std::make_unique<RoadWalk>(*session->MainForm(), "", log);
    const std::string number = WalkShortRoad(*walk, log, *session->Services().suite->database);
    EXPECT_EQ(plat::VarToStr(server->Db().Scalar(
                  "SELECT TH023 FROM MOCTH WHERE TH001='5901' AND TH002='" + number + "'")),
              "Y")
        << log.str();
    walk.reset();
    session.reset();
}

}  // namespace
}  // namespace standin

namespace standin {
namespace {

// The host's --ui holds for its run: the installation keeps its own
// interface for the next start. The log names the module's version.
TEST_F(RoadE2E, TheInterfaceOfTheCommandLineHoldsForItsRunOnly) {
    Open("950");
    const std::string ini = session->Installation().clientFolder + "MireltaC.ini";
    auto setting = [&](const char* section, const char* key) {
        return plat::TIniFile(ini).ReadString(section, key, "(none)");
    };
    EXPECT_EQ(setting("CodePage", "UICodePage"), "950");
    EXPECT_NE(ConnectionLine(session->Controller()).find("version 900214, user DS"),
              std::string::npos)
        << ConnectionLine(session->Controller());
    walk.reset();
    session.reset();
    EXPECT_EQ(setting("CodePage", "UICodePage"), "936");
    EXPECT_EQ(setting("Client Components", "LangType"), "CHS");

    // A key the installation never had is gone again after the run.
    plat::TIniFile(ini).DeleteKey("Client Components", "LangType");
    Open("437");
    EXPECT_EQ(setting("Client Components", "LangType"), "ENG");
    walk.reset();
    session.reset();
    EXPECT_EQ(setting("Client Components", "LangType"), "(none)");
    EXPECT_EQ(setting("CodePage", "UICodePage"), "936");
}

}  // namespace
}  // namespace standin

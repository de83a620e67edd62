// The lookup window: opened through the broker on the demo database for every
// look-up the receipt form asks for, refused kinds and empty answers told
// without a window, the body's repeat request on the body's server, paging,
// keys, linked programs on a host object of the window's own, rights that
// take price and amount columns out, layouts that round-trip, computed
// margin columns and the field texts by display kind.
#include "query/SearchCF.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "controls/FDBGrid.h"
#include "dataframe/Connection.h"
#include "dataframe/knlBase.h"
#include "platform/automation/oleobject.h"
#include "platform/core/text.h"
#include "platform/data/provider.h"
#include "platform/system/inifile.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"
#include "runtime/language_fixture.h"
#include "standins/appserver/server.h"
#include "standins/appserver/session.h"
#include "standins/host/host_services.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"
#include "support/runtime/RadicalFormDouble.h"

namespace ktrb::test {
namespace {

using plat::TField;
using plat::TFieldType;
using plat::VarArrayOf;
using plat::Variant;

// A scripted lookup server: answers GetF2Data with a definition and serves
// rows of its own through "pvdDravoc".
class FakeLookup : public plat::DispatchObject, public plat::IProviderSource {
  public:
    FakeLookup(bool accept, std::string definition, std::vector<plat::TPacketField> fields,
               std::vector<plat::TPacketRow> rows)
        : DispatchObject("DravocS.Class1"),
          provider("pvdDravoc", std::move(fields), std::move(rows)) {
        Method("GetF2Data", [this, accept, definition](plat::DispArgs a) {
            requests.push_back(a[0]);
            a[1] = definition;
            return Variant(accept);
        });
    }
    plat::IProvider* FindProvider(const std::string&) override {
        if (failOpen) throw plat::EDatabaseError("the lookup rows cannot be read");
        return &provider;
    }
    plat::TMemoryProvider provider;
    std::vector<Variant> requests;
    bool failOpen = false;
};

std::vector<plat::TPacketRow> NumberedRows(int n) {
    std::vector<plat::TPacketRow> rows;
    rows.reserve((size_t)n);
    for (int i = 0; i < n; ++i) {
        plat::TPacketRow r;
        r.values = plat::TValueRow(
            std::vector<Variant>{Variant("K" + std::to_string(i)), Variant(std::to_string(i))});
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<plat::TPacketField> KeyNameFields() {
    return {plat::PacketField("TI003", TFieldType::ftString, 10),
            plat::PacketField("TI029", TFieldType::ftString, 10)};
}

const char* kSmallDefinition =
    "==============MI005 END=================\r\n--DISPLAY;\r\n序号;名称\r\n";

// The demo database behind the host objects, the lookup server in process
// and a broker signed on as a user.
class SearchWindow : public LanguageFixture {
  protected:
    void SetUp() override {
        standin::ConnectInProcess(*services, server);
        registration = std::make_unique<standin::HostRegistration>(services);
        SignOn("DS");
        SetSearchWindowFactory(nullptr);
        RegisterSearchWindow();
    }
    void TearDown() override { UnregisterSearchWindow(); }
    // The broker of a document form (whose dialogs the form records).
    void SignOn(const std::string& user) {
        form = std::make_unique<RadicalFormDouble>();
        broker = form->broker;
        broker->UserID = user;
        broker->CompanyID = "DEMO";
        broker->SignOnKey = "DEMO";
        broker->ProgramCode = "KTRB52";
        broker->SetMainObject(Variant(standin::CreateWorkCenter(services)));
        broker->AttachSubObjects();
    }
    // Registers fakes as the lookup server: each new connection takes the
    // next one.
    void UseFakes(std::vector<std::shared_ptr<FakeLookup>> list) {
        fakes = std::move(list);
        fakeScope = std::make_unique<plat::OleFactoryScope>(
            "DravocS.Class1", [this] { return plat::DispatchPtr(fakes.at(made++)); });
    }
    // The window of the broker's call; the script sees it while it is shown.
    void Open(const Variant& mainTable, const Variant& mainKind, const Variant& mainParams,
              const Variant& bodyTable = std::string(), const Variant& bodyKind = Variant(),
              const Variant& bodyParams = Variant(), const std::string& link = "",
              const std::string& compute = "") {
        broker->OpenSearchWindow(mainTable, mainKind, mainParams, bodyTable, bodyKind, bodyParams,
                                 link, compute);
    }
    // Expects the window and runs f on it; the window closes with result.
    void Expect(std::function<void(TfrmSearch&)> f, plat::TModalResult result = plat::mrOk) {
        runner->Expect("TfrmSearch", [f, result](plat::TCustomForm& form) {
            f(static_cast<TfrmSearch&>(form));
            return result;
        });
    }
    static std::vector<std::string> VisibleColumns(TFDBGrid* grid) {
        std::vector<std::string> names;
        for (int i = 0; i < grid->VisibleColumnCount(); ++i)
            names.push_back(grid->VisibleColumn(i)->FieldName());
        return names;
    }
    bool Shows(TFDBGrid* grid, const std::string& field) {
        auto names = VisibleColumns(grid);
        return std::find(names.begin(), names.end(), field) != names.end();
    }

    std::shared_ptr<standin::AppServer> server = standin::AppServer::Open(":memory:");
    std::shared_ptr<standin::HostServices> services = standin::MakeHostServices();
    std::unique_ptr<standin::HostRegistration> registration;
    std::unique_ptr<RadicalFormDouble> form;
    TBrokers* broker = nullptr;
    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope runnerScope{runner};
    std::shared_ptr<plat::ScriptedMessageDialogs> messages =
        std::make_shared<plat::ScriptedMessageDialogs>();
    plat::MessageDialogsScope messageScope{messages};
    std::vector<std::shared_ptr<FakeLookup>> fakes;
    size_t made = 0;
    std::unique_ptr<plat::OleFactoryScope> fakeScope;
};

TEST_F(SearchWindow, EveryLookupOfTheReceiptFormOpensOnTheDemoDatabase) {
    struct Case {
        const char* table;
        const char* kind;
        Variant params;
        const char* firstColumn;
    } cases[] = {
        {"INVML", "01", VarArrayOf({"A1001-01", "20240110", "01"}), "MC001"},
        {"MOCMA", "01", VarArrayOf({"A1001-01", "S001", "RMB", "20240110", "20240110"}), "MB004"},
        {"MOCTN", "01", VarArrayOf({"A1001-01"}), "TI001"},
        {"MOCTI", "60", VarArrayOf({"5901", "20240108001"}), "TI001"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(std::string(c.table) + " " + c.kind);
        bool shown = false;
        Expect([&](TfrmSearch& w) {
            shown = true;
            EXPECT_EQ(w.Caption(), "查询窗口");
            EXPECT_GT(w.cdsMain->RecordCount(), 0);
            EXPECT_FALSE(w.gdbody->Visible());
            ASSERT_GT(w.gdMain->VisibleColumnCount(), 0);
            EXPECT_EQ(w.gdMain->VisibleColumn(0)->FieldName(), c.firstColumn);
        });
        Open(c.table, c.kind, c.params);
        EXPECT_TRUE(shown);
    }
    EXPECT_TRUE(messages->Requests().empty()) << messages->Texts()[0];
}

TEST_F(SearchWindow, ReceiptLinesWithTheirPayableStateFollowTheHeaderRow) {
    Expect([&](TfrmSearch& w) {
        EXPECT_TRUE(w.gdbody->Visible());
        EXPECT_EQ(w.cdsMain->FieldByName("TI001")->DisplayLabel(), "进货单别");
        // The mapped confirmation code shows as its text.
        EXPECT_EQ(w.cdsMain->FieldByName("TI037")->Text(), "已审核");
        // Body rows belong to the current line.
        std::string line = w.cdsMain->FieldByName("TI003")->AsString();
        ASSERT_GT(w.cdsbody->RecordCount(), 0);
        for (w.cdsbody->First(); !w.cdsbody->Eof(); w.cdsbody->Next())
            EXPECT_EQ(w.cdsbody->FieldByName("TI003")->AsString(), line);
        if (w.cdsMain->RecordCount() > 1) {
            w.btnNextClick(nullptr);
            std::string next = w.cdsMain->FieldByName("TI003")->AsString();
            EXPECT_NE(next, line);
            w.cdsbody->First();
            EXPECT_EQ(w.cdsbody->FieldByName("TI003")->AsString(), next);
        }
        EXPECT_EQ(w.MainLinks, "MOCB02,TI013,TI014,TA001,TA002");
        EXPECT_EQ(w.gdMain->Cursor(), plat::crHandPoint);
    });
    Open("MOCTI", "60", VarArrayOf({"5901", "20240108001"}), "ACPTB", "60",
         VarArrayOf({"5901", "20240108001"}), "TI003");
    EXPECT_EQ(runner->Shown().size(), 1u);
}

TEST_F(SearchWindow, ARefusedKindIsToldAndNoWindowOpens) {
    // The header refused, then the body refused while the header is known.
    struct Case {
        Variant mainKind, bodyTable;
    } cases[] = {{"99", std::string()}, {"60", "NOSUCH"}};
    for (Case& c : cases) {
        messages->Clear();
        Open("MOCTI", c.mainKind, VarArrayOf({"5901", "20240108001"}), c.bodyTable, "60",
             VarArrayOf({"5901", "20240108001"}), "TI003");
        ASSERT_EQ(messages->Requests().size(), 1u);
        EXPECT_EQ(plat::Trim(messages->Requests()[0].Text), "开窗种类指定错误");
        EXPECT_EQ(messages->Requests()[0].Type, plat::TMsgDlgType::mtError);
    }
    EXPECT_TRUE(runner->Shown().empty());
}

TEST_F(SearchWindow, NoRowsAskAgainForAllOnEachServerThenTellNothingMatches) {
    auto head = std::make_shared<FakeLookup>(true, kSmallDefinition, KeyNameFields(),
                                             std::vector<plat::TPacketRow>{});
    auto body = std::make_shared<FakeLookup>(true, kSmallDefinition, KeyNameFields(),
                                             std::vector<plat::TPacketRow>{});
    UseFakes({head, body});
    Open("MOCTI", "60", VarArrayOf({"1"}), "ACPTB", "60", VarArrayOf({"1"}), "TI003");
    ASSERT_EQ(head->requests.size(), 2u);
    ASSERT_EQ(body->requests.size(), 2u);
    // The repeat asks for every row: element 3 is 0 and element 4 a blank.
    for (auto* fake : {head.get(), body.get()}) {
        EXPECT_EQ(fake->requests[0][3].AsInteger(), 1);
        EXPECT_EQ(fake->requests[1][3].AsInteger(), 0);
        EXPECT_EQ(fake->requests[1][4].AsString(), " ");
        EXPECT_EQ(fake->requests[0][5].AsString(), "DEMO");
    }
    EXPECT_EQ(body->requests[1][0].AsString(), "ACPTB");
    ASSERT_EQ(messages->Requests().size(), 1u);
    EXPECT_EQ(plat::Trim(messages->Requests()[0].Text), "没有任何符合的信息.");
    EXPECT_TRUE(runner->Shown().empty());
}

TEST_F(SearchWindow, RowsThatCannotBeReadAreAnErrorNotAnEmptyWindow) {
    auto head =
        std::make_shared<FakeLookup>(true, kSmallDefinition, KeyNameFields(), NumberedRows(5));
    head->failOpen = true;
    UseFakes({head});
    Open("MOCTI", "60", VarArrayOf({"1"}));
    ASSERT_EQ(messages->Requests().size(), 1u);
    EXPECT_NE(messages->Requests()[0].Text.find("cannot be read"), std::string::npos);
    EXPECT_EQ(messages->Requests()[0].Type, plat::TMsgDlgType::mtError);
    EXPECT_TRUE(runner->Shown().empty());
    EXPECT_EQ(head->requests.size(), 1u);
}

TEST_F(SearchWindow, PagesComeTwentyAtATimeAndTheHeldRowsAreDroppedAtAThousand) {
    auto head =
        std::make_shared<FakeLookup>(true, kSmallDefinition, KeyNameFields(), NumberedRows(1030));
    UseFakes({head});
    Expect([&](TfrmSearch& w) {
        // To the last row held, then past it: the next packet.
        auto nextPage = [&] {
            w.btnLastClick(nullptr);
            w.btnNextClick(nullptr);
        };
        EXPECT_EQ(w.cdsMain->RecordCount(), 20);
        w.btnLastClick(nullptr);
        EXPECT_EQ(w.cdsMain->RecordCount(), 20);
        EXPECT_EQ(w.cdsMain->FieldByName("TI003")->AsString(), "K19");
        w.btnNextClick(nullptr);
        EXPECT_EQ(w.cdsMain->RecordCount(), 40);
        EXPECT_EQ(w.cdsMain->FieldByName("TI003")->AsString(), "K20");
        while (w.cdsMain->RecordCount() < 1000) nextPage();
        EXPECT_EQ(w.cdsMain->RecordCount(), 1000);
        w.btnLastClick(nullptr);
        ASSERT_TRUE(w.cdsMain->Eof());
        w.btnLastClick(nullptr);
        // Only the next packet is held.
        EXPECT_EQ(w.cdsMain->RecordCount(), 20);
        w.cdsMain->First();
        EXPECT_EQ(w.cdsMain->FieldByName("TI003")->AsString(), "K1000");
        nextPage();
        EXPECT_EQ(w.cdsMain->RecordCount(), 30);
        // The provider has no row left: nothing is dropped.
        w.btnLastClick(nullptr);
        w.btnLastClick(nullptr);
        EXPECT_EQ(w.cdsMain->RecordCount(), 30);
    });
    Open("MOCTI", "60", VarArrayOf({"1"}));
    EXPECT_EQ(runner->Pending(), 0);
}

TEST_F(SearchWindow, EnterReturnsEscCancelsThroughTheDialogRunner) {
    auto rows = [] { return NumberedRows(3); };
    UseFakes({std::make_shared<FakeLookup>(true, kSmallDefinition, KeyNameFields(), rows()),
              std::make_shared<FakeLookup>(true, kSmallDefinition, KeyNameFields(), rows())});
    plat::TModalResult results[2] = {};
    runner->Expect("TfrmSearch", [&](plat::TCustomForm& form) {
        auto& w = static_cast<TfrmSearch&>(form);
        // Ctrl+Del takes the row out of the window once confirmed.
        messages->Answer(plat::mrOk);
        w.gdMain->SimulateKey(plat::VK_DELETE, {plat::ssCtrl});
        EXPECT_EQ(w.cdsMain->RecordCount(), 2);
        w.gdMain->SimulateKey(plat::VK_RETURN);
        results[0] = w.ModalResult();
        return w.ModalResult();
    });
    Open("MOCTI", "60", VarArrayOf({"1"}));
    runner->Expect("TfrmSearch", [&](plat::TCustomForm& form) {
        auto& w = static_cast<TfrmSearch&>(form);
        w.gdMain->SimulateKey(plat::VK_ESCAPE, {}, 0);
        results[1] = w.ModalResult();
        return w.ModalResult() == plat::mrNone ? plat::mrOk : w.ModalResult();
    });
    Open("MOCTI", "60", VarArrayOf({"1"}));
    EXPECT_EQ(results[0], plat::mrOk);
    EXPECT_EQ(results[1], plat::mrCancel);
}

// ---- linked programs ----------------------------------------------------------

TEST_F(SearchWindow, DoubleClickStartsTheLinkedProgramOnAHostObjectOfItsOwn) {
    const Variant hostObject = broker->MainObject();
    Expect([&](TfrmSearch& w) {
        w.gdMainDblClick(nullptr);
        EXPECT_TRUE(messages->Requests().empty());
    });
    Open("MOCTN", "01", VarArrayOf({"A1001-01"}));
    auto started = services->suite->journal->Events(standin::SuiteEventKind::ProgramStarted);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].subject, "KTRB52");
    EXPECT_NE(started[0].detail.find(" TH001='"), std::string::npos) << started[0].detail;
    EXPECT_NE(started[0].detail.find("' AND TH002='"), std::string::npos);
    EXPECT_EQ(broker->MainObject().AsDispatch(), hostObject.AsDispatch());
}

TEST_F(SearchWindow, LinkEntriesByRowAndTheirConditions) {
    EXPECT_EQ(LinkCondition(ParseLookupLink("KTRB52,TI001,TI002,TH001,TH002"), "5901", "O'Neil"),
              " TH001='5901' AND TH002='O''Neil'");
    TLookupLink three = ParseLookupLink("INVB01,MC001,MC002");
    EXPECT_EQ(three.Target1, "");
    EXPECT_EQ(LinkCondition(three, "A", "B"), " ='A' AND ='B'");

    // Row LINKS = 2 takes the second entry; an unknown program is told by name.
    std::vector<plat::TPacketField> fields = {plat::PacketField("A", TFieldType::ftString, 10),
                                              plat::PacketField("B", TFieldType::ftString, 10),
                                              plat::PacketField("LINKS", TFieldType::ftInteger)};
    plat::TPacketRow row;
    row.values = plat::TValueRow(std::vector<Variant>{Variant("x"), Variant(""), Variant(2)});
    plat::TPacketRow blank;
    blank.values = plat::TValueRow(std::vector<Variant>{Variant(""), Variant(""), Variant(1)});
    const std::string definition =
        std::string(kSmallDefinition) + "--LINK;\r\nMOCB02,A,B,TA001,TA002;NOPROG,A,B,X1,X2\r\n";
    UseFakes({std::make_shared<FakeLookup>(true, definition, fields,
                                           std::vector<plat::TPacketRow>{row, blank})});
    Expect([&](TfrmSearch& w) {
        w.gdMainDblClick(nullptr);
        ASSERT_EQ(messages->Requests().size(), 1u);
        EXPECT_EQ(plat::Trim(messages->Requests()[0].Text), "[NOPROG]程序不存在!");
        messages->Clear();
        w.cdsMain->Next();
        w.gdMainDblClick(nullptr);  // both values empty
        EXPECT_TRUE(messages->Requests().empty());
        ASSERT_EQ(form->dialogs.size(), 1u);
        EXPECT_EQ(form->dialogs[0].Type, plat::TMsgDlgType::mtError);
        EXPECT_NE(form->dialogs[0].Text.find("序号-名称"), std::string::npos)
            << form->dialogs[0].Text;
    });
    Open("X", "01", VarArrayOf({"1"}));
    auto refused = services->suite->journal->Events(standin::SuiteEventKind::ProgramRefused);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].subject, "NOPROG");
}

// ---- rights -------------------------------------------------------------------

TEST_F(SearchWindow, PriceAndAmountColumnsFollowTheUsersRights) {
    server->Db().Exec(
        "INSERT INTO ADMMF (MF001, MF002, MF004, MF005, MF006) VALUES "
        "('RUSER', 'R', 'RG', 'N', ''); "
        "INSERT INTO ADMMG (MG001, MG002, MG006, MG007, MG009) VALUES "
        "('RUSER', 'KTRB52', 'abcdefRNxx', '', 'RG');");
    struct Case {
        const char* user;
        bool price, amount;
    } cases[] = {{"DS", true, true},  // not limited: always sees both
                 {"WANGQ", false, false},
                 {"ZHANGW", false, true},
                 {"RUSER", true, false}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.user);
        SignOn(c.user);
        Expect([&](TfrmSearch& w) {
            EXPECT_EQ(w.PriceVisible, c.price);
            EXPECT_EQ(w.AmountVisible, c.amount);
            EXPECT_EQ(Shows(w.gdMain, "TI024"), c.price);
            EXPECT_EQ(Shows(w.gdMain, "TI025"), c.amount);
            EXPECT_EQ(w.cdsMain->FieldByName("TI024")->Visible(), c.price);
            // The body's amounts as well.
            EXPECT_EQ(Shows(w.gdbody, "TI053"), c.amount);
            // Reloading the layout brings nothing hidden back.
            w.GetGridSetting1Click(nullptr);
            EXPECT_EQ(Shows(w.gdMain, "TI025"), c.amount);
        });
        Open("MOCTI", "60", VarArrayOf({"5901", "20240108001"}), "ACPTB", "60",
             VarArrayOf({"5901", "20240108001"}), "TI003");
    }
}

TEST_F(SearchWindow, AQuoteInTheUserOrTheProgramEndsNoLiteral) {
    SignOn("O'B");
    auto* w = plat::CreateForm<TfrmSearch>(nullptr);
    w->Broker = broker;
    // A quote would break the statement (an error) or widen it to other rows.
    EXPECT_NO_THROW(w->LoadPriceAmountRights("KTRB52' OR '1'='1"));
    EXPECT_TRUE(w->PriceVisible);
    EXPECT_TRUE(w->AmountVisible);
    // A limited user with no rights for the program sees neither; read as
    // SQL the text would have found the group's rights for the receipt.
    SignOn("ZHANGW");
    w->Broker = broker;
    EXPECT_NO_THROW(w->LoadPriceAmountRights("X' OR B.MG002='KTRB52"));
    EXPECT_FALSE(w->AmountVisible);
    w->Free();
}

// ---- layouts --------------------------------------------------------------------

TEST_F(SearchWindow, TheColumnLayoutRoundTripsThroughTheUsersFile) {
    std::vector<plat::TPacketField> fields = KeyNameFields();
    fields.push_back(plat::PacketField("TI024", TFieldType::ftFloat));
    fields.push_back(plat::PacketField("TI025", TFieldType::ftFloat));
    plat::TPacketRow row;
    row.values = plat::TValueRow(
        std::vector<Variant>{Variant("1"), Variant("2"), Variant(1.5), Variant(2.5)});
    auto make = [&] {
        return std::make_shared<FakeLookup>(true, kSmallDefinition, fields,
                                            std::vector<plat::TPacketRow>{row});
    };
    UseFakes({make(), make()});
    std::string path;
    int amountWidth = 0;
    Expect([&](TfrmSearch& w) {
        path = w.LayoutPath("MOCTN-01");
        amountWidth = w.cdsMain->FieldByName("TI025")->DisplayWidth();
        TField* price = w.cdsMain->FieldByName("TI024");
        price->SetDisplayWidth(12);
        price->SetIndex(3);
        w.cdsMain->FieldByName("TI003")->SetDisplayWidth(10);
        w.cdsMain->FieldByName("TI025")->SetDisplayFormat("#,##0.00");
        w.SetGridSetting1Click(nullptr);
    });
    Open("MOCTN", "01", VarArrayOf({"1"}));
    EXPECT_EQ(path, GridLayoutFolder("DS") + "MOCTN-01.ugs");
    ASSERT_TRUE(std::filesystem::exists(path));
    plat::TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("cdsMain", "TI024", ""), "3;12;");
    EXPECT_EQ(ini.ReadString("cdsMain", "TI003", ""), "0;10");
    // Index 2 once TI024 moved behind it.
    EXPECT_EQ(ini.ReadString("cdsMain", "TI025", ""),
              "2;" + std::to_string(amountWidth) + ";#,##0.00");

    // The next window of the kind shows the saved order and widths.
    Expect([&](TfrmSearch& w) {
        EXPECT_EQ(w.cdsMain->FieldByName("TI024")->Index(), 3);
        EXPECT_EQ(w.cdsMain->FieldByName("TI024")->DisplayWidth(), 12);
        EXPECT_EQ(w.cdsMain->FieldByName("TI025")->DisplayFormat(), "#,##0.00");
        EXPECT_EQ(VisibleColumns(w.gdMain).back(), "TI024");
    });
    Open("MOCTN", "01", VarArrayOf({"1"}));

    // Without a user the file lies in the layout folder itself.
    SignOn("");
    auto* w = plat::CreateForm<TfrmSearch>(nullptr);
    w->Broker = broker;
    EXPECT_EQ(w->LayoutPath("MOCTN-01"), GridLayoutFolder() + "MOCTN-01.ugs");
    w->Free();
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

// The window as a user sees it on the receipt's lines under a simplified
// Chinese and an English interface ($KTRB_SHOTS keeps a copy).
TEST_F(SearchWindow, PicturesUnderChineseAndEnglishInterfaces) {
    const char* env = std::getenv("KTRB_SOURCE_DIR");
    std::filesystem::path root =
        env && *env ? std::filesystem::path(env)
                    : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    UseDemoTable();
    for (const char* ui : {"936", "950", "437"}) {
        SetCodePages(ui, "936");
        const std::string language = std::string(ui) == "936"   ? "CHS"
                                     : std::string(ui) == "950" ? "CHT"
                                                                : "ENG";
        std::filesystem::create_directories(inst.client() + "MultiLanguage/" + language);
        std::filesystem::copy_file(
            root / "standins/data/client/MultiLanguage" / language / "TfrmSearch.Lng",
            PackageFile(language, "TfrmSearch"), std::filesystem::copy_options::overwrite_existing);
        const std::string name = "lookup_window_" + language;
        Expect([&](TfrmSearch& w) {
            const bool english = language == "ENG";
            EXPECT_EQ(w.cdsMain->FieldByName("TI001")->DisplayLabel(), english ? "Type"
                                                                       : language == "CHS"
                                                                           ? "进货单别"
                                                                           : "進貨單別");
            EXPECT_EQ(w.btnOK->Caption(), english ? "Close" : language == "CHS" ? "退出" : "退出");
            plat::SaveScreenshot(&w, inst.root() + name + ".png");
            if (const char* dir = std::getenv("KTRB_SHOTS"))
                plat::SaveScreenshot(&w, std::string(dir) + "/" + name + ".png");
        });
        Open("MOCTI", "60", VarArrayOf({"5901", "20240108001"}), "ACPTB", "60",
             VarArrayOf({"5901", "20240108001"}), "TI003");
    }
    EXPECT_EQ(runner->Shown().size(), 3u);
}

}  // namespace
}  // namespace ktrb::test

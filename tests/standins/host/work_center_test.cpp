#include "standins/host/work_center.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/automation/oleobject.h"
#include "platform/system/desktop.h"
#include "standins/appserver/database_setup.h"
#include "support/host/ScriptedDravoc.h"

using namespace standin;
namespace fs = std::filesystem;

namespace {

struct FakeServer : IServerOperations {
    std::string name;
    plat::Variant args, signOn;
    plat::Variant CallOperation(const std::string& n, const plat::Variant& a,
                                const plat::Variant& s) override {
        if (n == "Nope") throw plat::Exception("Unknown operation Nope");
        name = n, args = a, signOn = s;
        return plat::Variant::ArrayOf({plat::Variant::ArrayOf({"x"})});
    }
};

struct FakeCatalogue : IQueryCatalogue {
    bool CheckValue(const std::string& table, const std::string& query, const std::string& db,
                    const plat::Variant& keys, plat::Variant& result) override {
        if (table != "CMSMB" || query != "01") return false;
        result = plat::Variant::ArrayOf({1, "苏州工厂 " + plat::VarToStr(keys[0]) + " " + db});
        return true;
    }
    bool QueryData(const std::string&, const std::string&, const std::string&, const plat::Variant&,
                   plat::Variant& result) override {
        result = plat::Variant::ArrayOf({plat::Variant::ArrayOf({2, "a", "b"})});
        return true;
    }
};

struct FakeNumbering : IDocumentNumbering {
    bool NextNumber(const std::string& table, const std::string&, const plat::Variant&,
                    const std::string& date, const std::string&, const std::string&,
                    std::string& number) override {
        number = date + "001";
        return table == "MOCTH";
    }
};

struct WorkCenterFixture : ::testing::Test {
    std::shared_ptr<HostServices> s = MakeHostServices();
    std::shared_ptr<ScriptedDravoc> dravoc = std::make_shared<ScriptedDravoc>();
    plat::DispatchPtr center;
    fs::path folder = fs::temp_directory_path() / ("ktrb_host_wc_" + std::to_string(::getpid()));
    WorkCenterFixture() {
        s->dravoc = dravoc;
        fs::remove_all(folder);
        s->printFolder = (folder / "print").string();
        center = CreateWorkCenter(s);
    }
    ~WorkCenterFixture() override { fs::remove_all(folder); }
    plat::DispatchPtr Sub(const char* name) { return plat::VarToDispatch(center->Get(name)); }
    std::vector<SuiteEvent> Events(SuiteEventKind k) { return s->suite->journal->Events(k); }
    plat::Variant Target(const char* program) {
        return plat::Variant::ArrayOf({"DS", "DEMO", program, 0});
    }
};

}  // namespace

TEST_F(WorkCenterFixture, VersionProductAndMessagesByLanguage) {
    EXPECT_EQ(center->Get("DependencyVersion").AsInteger(), 8000);
    EXPECT_EQ(center->Get("ProductID").AsInteger(), 1);
    EXPECT_EQ(center->Call("Connect").AsInteger(), 0);
    EXPECT_EQ(center->Call("GetMessage", "E", "000003").AsString(), "%s 不可空白!");
    center->Put("Language", "ENG");
    EXPECT_EQ(center->Call("GetMessage", "E", "000003").AsString(), "%s must not be blank!");
    EXPECT_NE(center->Call("GetMessage", "E", "123456").AsString().find("123456"),
              std::string::npos);
    // Wrongly typed arguments read as text; a missing one is refused by the object.
    EXPECT_NE(center->Call("GetMessage", plat::Null(), plat::Variant::ArrayOf({1})).AsString(), "");
    EXPECT_THROW(center->Call("GetMessage", "E"), plat::EOleSysError);
    // The sub-objects stay the same objects.
    EXPECT_EQ(Sub("Com_Validator"), Sub("Com_Validator"));
}

TEST_F(WorkCenterFixture, JobProgramsStartOrAnswerTheirErrorCode) {
    plat::Variant out;
    EXPECT_EQ(center
                  ->Call("ExecWork", Target("KTRB17"), " TA001 ='5201'",
                         plat::Variant::ArrayOf({0, 0, plat::Variant()}), 2, out)
                  .AsInteger(),
              0);
    auto started = Events(SuiteEventKind::ProgramStarted);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].subject, "KTRB17");
    EXPECT_EQ(started[0].detail, " TA001 ='5201'");

    s->programs->Put({"NORT01", "无权限程序", "", "", "", "", "", "", "", "", "", "N", "", -5});
    EXPECT_EQ(center->Call("ExecWork", Target("NORT01"), "", plat::Variant(), 2, out).AsInteger(),
              -5);
    EXPECT_EQ(center->Call("ExecWork", Target("ZZZZ99"), "", plat::Variant(), 2, out).AsInteger(),
              -1);
    EXPECT_EQ(
        center->Call("ExecWork", plat::Null(), plat::Null(), plat::Null(), 2, out).AsInteger(), -1);
    EXPECT_EQ(Events(SuiteEventKind::ProgramRefused).size(), 3u);

    // The message centre gets the link.
    plat::Variant link = plat::Variant::ArrayOf(
        {"0", plat::Variant::ArrayOf({"", "", "<A href=\"rklt://x\">委外进货单</A>"})});
    EXPECT_EQ(
        center
            ->Call("ExecWork", plat::Variant::ArrayOf({"DS", "DEMO", "MSGB25", plat::Variant()}),
                   link, plat::Variant::ArrayOf({0, 4, plat::Variant()}), 2, out)
            .AsInteger(),
        0);
    auto centre = Events(SuiteEventKind::MessageCentre);
    ASSERT_EQ(centre.size(), 1u);
    EXPECT_EQ(centre[0].detail, "<A href=\"rklt://x\">委外进货单</A>");
}

TEST_F(WorkCenterFixture, PrintRunsRenderTheDocument) {
    plat::Variant out;
    plat::Variant job = plat::Variant::ArrayOf({"DS", "DEMO", "KTRD52", 0});
    plat::Variant keys = plat::Variant::ArrayOf({"5901", "20240108001"});
    auto print = [&](const plat::Variant& run) {
        return center->Call("ExecWork", job, plat::Variant(), run, 0, out).AsBoolean();
    };
    // Without the server's database there is nothing to print.
    EXPECT_FALSE(print(plat::Variant::ArrayOf({6, 0, plat::Variant::ArrayOf({false, keys})})));
    ASSERT_EQ(Events(SuiteEventKind::Unavailable).size(), 1u);
    s->suite->database = OpenServerDatabase(":memory:");

    // A print shows the PDF through the desktop; a direct print only writes it.
    plat::TRecordingLauncher launcher;
    plat::DesktopLauncherOverride scope(launcher);
    EXPECT_TRUE(print(plat::Variant::ArrayOf({6, 0, plat::Variant::ArrayOf({false, keys})})));
    EXPECT_TRUE(print(plat::Variant::ArrayOf({6, 0, plat::Variant::ArrayOf({true, keys})})));
    auto prints = Events(SuiteEventKind::PrintRun);
    ASSERT_EQ(prints.size(), 2u);
    EXPECT_NE(prints[0].detail.find("KTRD52_5901-20240108001.pdf"), std::string::npos);
    std::ifstream pdf(prints[0].detail, std::ios::binary);
    std::string head(5, '\0');
    pdf.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");
    EXPECT_EQ(launcher.Opened(), std::vector<std::string>{prints[0].detail});

    // Into pictures: the files the sign-off collects, and the report object to quit.
    const std::string base = (folder / "c_temp" / "DS" / "5901-20240108001").string();
    for (auto [type, ext, magic] : {std::tuple{2, ".GIF", std::string("GIF89a")},
                                    std::tuple{1, ".JPG", std::string("\xff\xd8\xff")}}) {
        out = plat::Variant();
        EXPECT_TRUE(print(plat::Variant::ArrayOf(
            {11, 0, plat::Variant::ArrayOf({keys, type, base, 96, "<New>"})})));
        std::ifstream picture(base + ext, std::ios::binary);
        std::string bytes(magic.size(), '\0');
        picture.read(bytes.data(), std::streamsize(bytes.size()));
        EXPECT_EQ(bytes, magic) << ext;
        ASSERT_TRUE(out.IsDispatch());
        EXPECT_NO_THROW(plat::VarToDispatch(out)->Call("Quit"));
    }

    // Runs of an unknown kind or picture type are refused and noted.
    EXPECT_FALSE(print(plat::Variant::ArrayOf({9, 0})));
    EXPECT_FALSE(print(
        plat::Variant::ArrayOf({11, 0, plat::Variant::ArrayOf({keys, 5, base, 96, "<New>"})})));
    EXPECT_EQ(Events(SuiteEventKind::Unavailable).size(), 3u);
}

TEST_F(WorkCenterFixture, HelpRequestsAreRecorded) {
    center->Call("CallHelp", plat::Variant::ArrayOf({"KTR", "1452TH0050000"}));
    auto help = Events(SuiteEventKind::HelpRequested);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].subject, "KTR");
    EXPECT_EQ(help[0].detail, "1452TH0050000");
}

TEST_F(WorkCenterFixture, CounterGivesSystemParametersAndForwardsOperations) {
    auto counter = Sub("Com_Counter");
    plat::Variant company = "DEMO";
    plat::Variant info = counter->Call("GetSysInfo", company);
    ASSERT_EQ(info.DimCount(), 2);
    EXPECT_EQ(info.At(0, 0).AsString(), "SYS001");

    plat::Variant name = "SimpleSQL", args = plat::Variant::ArrayOf({"SELECT 1", "A"});
    EXPECT_THROW(counter->Call("GETCOUNTER", name, args, plat::Variant::ArrayOf({"DEMO", "DEMO"})),
                 plat::EOleException);
    auto server = std::make_shared<FakeServer>();
    s->suite->server = server;
    plat::Variant reply =
        counter->Call("GETCOUNTER", name, args, plat::Variant::ArrayOf({"DEMO", "DB1"}));
    EXPECT_EQ(server->name, "SimpleSQL");
    EXPECT_EQ(server->args[0].AsString(), "SELECT 1");
    EXPECT_EQ(server->signOn[1].AsString(), "DB1");
    EXPECT_EQ(reply[0][0].AsString(), "x");
    // A refused operation reaches the caller as the object's error.
    plat::Variant nope = "Nope";
    EXPECT_THROW(counter->Call("GETCOUNTER", nope, args, plat::Variant()), plat::EOleException);
}

TEST_F(WorkCenterFixture, ValidatorAnswersByReference) {
    auto validator = Sub("Com_Validator");
    plat::Variant key = "DEMO", keys = plat::Variant::ArrayOf({"01"}), result;
    EXPECT_FALSE(validator->Call("CheckValue", "CMSMB", "01", key, keys, result)
                     .AsBoolean());  // no catalogue yet
    s->catalogue = std::make_shared<FakeCatalogue>();
    validator->Put("ProductID", 3);
    validator->Put("BaseLimited", "");
    EXPECT_EQ(validator->Get("ProductID").AsInteger(), 3);
    EXPECT_TRUE(validator->Call("CheckValue", "CMSMB", "01", key, keys, result).AsBoolean());
    EXPECT_EQ(result[1].AsString(), "苏州工厂 01 DEMO");
    EXPECT_FALSE(validator->Call("CheckValue", "NOTAB", "01", key, keys, result).AsBoolean());
    EXPECT_TRUE(validator->Call("QueryData", "ADMMQ", "02", key, keys, result).AsBoolean());
    EXPECT_EQ(result[0][1].AsString(), "a");

    plat::Variant table = "MOCTH", fields = "TH001,TH002",
                  values = plat::Variant::ArrayOf({"5901", plat::Variant()});
    plat::Variant date = "20240315", program = "KTRB52", number;
    EXPECT_FALSE(validator->Call("QueryMaxSeq", table, fields, values, date, program, key, number)
                     .AsBoolean());
    s->numbering = std::make_shared<FakeNumbering>();
    EXPECT_TRUE(validator->Call("QueryMaxSeq", table, fields, values, date, program, key, number)
                    .AsBoolean());
    EXPECT_EQ(number.AsString(), "20240315001");
}

TEST_F(WorkCenterFixture, DravocForwardsToItsService) {
    auto lookup = Sub("Com_Dravoc");
    plat::Variant request = plat::Variant::ArrayOf({"PURMA", "01"});
    EXPECT_TRUE(lookup->Call("F2GetData", request).IsEmpty());  // nothing chosen
    dravoc->Enqueue("F2GetData",
                    plat::Variant::ArrayOf({plat::Variant::ArrayOf({"S001", "宏达"})}));
    EXPECT_EQ(lookup->Call("F2GetData", request)[0][1].AsString(), "宏达");
    ASSERT_EQ(dravoc->Calls().size(), 2u);
    EXPECT_EQ(dravoc->Calls()[1].args[0][0].AsString(), "PURMA");

    plat::Variant text = "原文";
    EXPECT_EQ(lookup->Call("GetPhrase2", "DS", "DEMO", 0, text).AsInteger(), -1);
    EXPECT_EQ(text.AsString(), "原文");
    dravoc->Enqueue("GetPhrase2", plat::Variant::ArrayOf({0, "常用语"}));
    EXPECT_EQ(lookup->Call("GetPhrase2", "DS", "DEMO", 0, text).AsInteger(), 0);
    EXPECT_EQ(text.AsString(), "常用语");

    dravoc->Enqueue("ShowInputDay", "20240301");
    EXPECT_EQ(lookup->Call("ShowInputDay", plat::Variant::ArrayOf({false, "20240101", "DEMO"}))
                  .AsString(),
              "20240301");
    plat::Variant expr = "1+2";
    dravoc->Enqueue("GetCalcValue", "3");
    EXPECT_EQ(lookup->Call("GetCalcValue", expr, 0).AsString(), "3");
    plat::Variant kind = 1;
    EXPECT_TRUE(lookup->Call("ShowCharaters", "DS", "DEMO", kind, -1, "0").IsEmpty());
}

TEST(HostRegistration, RegistersTheHostAndSuiteProgIdsForItsLifetime) {
    auto s = MakeHostServices();
    {
        HostRegistration reg(s);
        for (const char* id :
             {progid::kWorkCenter, progid::kCounter, progid::kTransactionServer, progid::kPager,
              progid::kNumberingRules, progid::kAttachments, progid::kDocuments})
            EXPECT_TRUE(plat::CreateOleObject(id)) << id;
        EXPECT_EQ(
            plat::CreateOleObject("brannixcenter.manager")->Get("DependencyVersion").AsInteger(),
            8000);
    }
    EXPECT_THROW(plat::CreateOleObject(progid::kWorkCenter), plat::EOleSysError);
}

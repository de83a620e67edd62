#include "standins/servers/office_servers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "standins/host/work_center.h"
#include "standins/servers/data_files.h"
#include "support/servers/ScriptedDispatch.h"

using namespace standin;
namespace fs = std::filesystem;

TEST(OfficeServers, PagerRecordsThePage) {
    auto services = std::make_shared<SuiteServices>();
    auto pager = CreatePager(services);
    plat::Variant user = "DS";
    EXPECT_TRUE(pager
                    ->Call("ShowSendSelmor", user, plat::Variant::ArrayOf({"DEMO", "KTRB52"}),
                           "5901-20240108001", plat::Variant())
                    .AsBoolean());
    auto pages = services->journal->Events(SuiteEventKind::PageSent);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].detail, "DEMO/KTRB52");
    EXPECT_EQ(plat::VarToStr(pages[0].data), "5901-20240108001");
}

TEST(OfficeServers, RuleTreeAnswersTheDefaultRuleOfTheKind) {
    auto services = std::make_shared<SuiteServices>();
    auto rules = LoadNumberingRules(StandinDataPath("host/numbering_rules.tsv"));
    auto tree = CreateNumberingRuleTree(services, rules);
    std::string pattern =
        tree->Call("ShowTree", plat::Variant::ArrayOf({"6", "DEMO", "DEMO", ""})).AsString();
    EXPECT_EQ(pattern, "L" + HostDateText() + "****");
    EXPECT_EQ(tree->Call("ShowTree", plat::Variant::ArrayOf({"9"})).AsString(), "");
    EXPECT_EQ(services->journal->Events(SuiteEventKind::Unavailable).size(), 1u);
    EXPECT_EQ(ExpandRulePattern("B{YY}{MM}{DD}-{YYYY}**", "20240315"), "B240315-2024**");
}

TEST(OfficeServers, AttachmentWindowIsNotAvailableAndSaysSo) {
    auto services = std::make_shared<SuiteServices>();
    auto attach = CreateAttachmentManager(services);
    attach->Call("Init", plat::Variant::ArrayOf(
                             {"DEMO", "DS", "KTRB52", "5901||20240108001", "TH001||TH002", "1"}));
    attach->Put("ParentHandle", 42);
    EXPECT_EQ(attach->Call("ShowModal").AsInteger(), 2);
    auto notes = services->journal->Events(SuiteEventKind::Unavailable);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].detail.find("5901||20240108001"), std::string::npos);
}

TEST(OfficeServers, DocumentManagerChecksOutACopy) {
    auto services = std::make_shared<SuiteServices>();
    fs::path root = fs::temp_directory_path() / ("ktrb_host_docs_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "store");
    std::ofstream(root / "store" / "DOC-7.pdf") << "pdf";
    services->documentFolder = (root / "store").string();
    services->checkoutFolder = (root / "out").string();
    auto docs = CreateDocumentManager(services);
    plat::Variant files;
    EXPECT_EQ(docs->Call("CheckOut", plat::Variant::ArrayOf({"DS", "R", "doc-7", "1", ""}), files)
                  .AsInteger(),
              0);
    ASSERT_TRUE(files.IsArray());
    EXPECT_TRUE(fs::exists(files[0].AsString()));
    EXPECT_EQ(fs::path(files[0].AsString()).parent_path(), root / "out" / "DS");
    // Unknown names, and names reaching out of the folder, are not found.
    for (const char* name : {"DOC-8", "../store/DOC-7", "", ".."})
        EXPECT_EQ(docs->Call("CheckOut", plat::Variant::ArrayOf({"DS", "R", name, "1", ""}), files)
                      .AsInteger(),
                  -1)
            << name;
    EXPECT_EQ(docs->Call("CheckOut", plat::Null(), files).AsInteger(), -1);
    // A user name never leads the copy out of the checkout folder.
    for (const char* user : {"../../escaped", "..", "/tmp", "a\\..\\b"}) {
        ASSERT_EQ(
            docs->Call("CheckOut", plat::Variant::ArrayOf({user, "R", "DOC-7", "1", ""}), files)
                .AsInteger(),
            0)
            << user;
        fs::path copy = fs::weakly_canonical(files[0].AsString());
        EXPECT_EQ(copy.parent_path().parent_path(), fs::weakly_canonical(root / "out")) << user;
    }
    EXPECT_FALSE(fs::exists(root.parent_path() / "escaped"));
    fs::remove_all(root);
}

TEST(ScriptedDispatch, RecordsCallsAndAnswersFromItsQueue) {
    ScriptedDispatch fake("VelmoraC.Class1", {"DoIt2", "ResultDesc"});
    fake.Enqueue("DoIt2", ScriptedDispatch::Answer{true, {{0, "changed"}}, {}});
    fake.Enqueue("doit2", false);
    fake.EnqueueError("DoIt2", "server down");
    plat::Variant request = "R";
    EXPECT_TRUE(fake.Call("DoIt2", request, "T").AsBoolean());
    EXPECT_EQ(request.AsString(), "changed");  // written back by reference
    EXPECT_FALSE(fake.Call("DoIt2", request, "T").AsBoolean());
    EXPECT_THROW(fake.Call("DoIt2", request, "T"), plat::EOleException);
    EXPECT_TRUE(fake.Call("DoIt2", request, "T").IsEmpty());  // queue empty, no default
    EXPECT_THROW(fake.Get("Unknown"), plat::EOleSysError);
    fake.Put("ResultDesc", 5);
    EXPECT_EQ(fake.Get("ResultDesc").AsInteger(), 5);
    auto calls = fake.CallsTo("DoIt2");
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].args[0].AsString(), "R");  // as the caller sent it
    EXPECT_EQ(calls[1].args[0].AsString(), "changed");
    EXPECT_EQ(fake.Calls().size(), 6u);
}

TEST(ScriptedDispatch, SuiteFakesReplaceTheRealServersForTheirLifetime) {
    auto host = MakeHostServices();
    HostRegistration real(host);
    {
        ScriptedSuite fakes;
        fakes.Fake(progid::kNumberingRules)->Enqueue("ShowTree", "LOT****");
        EXPECT_EQ(plat::CreateOleObject(progid::kNumberingRules)
                      ->Call("ShowTree", plat::Variant::ArrayOf({"6"}))
                      .AsString(),
                  "LOT****");
        plat::CreateOleObject(progid::kTransactionServer);
        plat::CreateOleObject(progid::kTransactionServer);
        EXPECT_EQ(fakes.Creations(progid::kTransactionServer), 2);
        // The work-centre fake hands out the sub-object fakes.
        auto center = plat::CreateOleObject(progid::kWorkCenter);
        EXPECT_EQ(center->Get("DependencyVersion").AsInteger(), 8000);
        fakes.Fake("Com_Validator")
            ->Enqueue("CheckValue",
                      ScriptedDispatch::Answer{true, {{4, plat::Variant::ArrayOf({1, "x"})}}, {}});
        plat::Variant result;
        EXPECT_TRUE(plat::VarToDispatch(center->Get("Com_Validator"))
                        ->Call("CheckValue", "CMSMB", "01", plat::Variant("DEMO"),
                               plat::Variant::ArrayOf({"01"}), result)
                        .AsBoolean());
        EXPECT_EQ(result[1].AsString(), "x");
        EXPECT_THROW(fakes.Fake("Excel.Application"), plat::EOleError);
    }
    // The real servers are back.
    EXPECT_EQ(plat::CreateOleObject(progid::kNumberingRules)
                  ->Call("ShowTree", plat::Variant::ArrayOf({"6"}))
                  .AsString(),
              "L" + HostDateText() + "****");
}

#include "runtime/Brokers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "installation.h"
#include "platform/core/exceptions.h"
#include "platform/data/clientdataset.h"
#include "radical_fixtures.h"
#include "runtime/LibStrs.h"
#include "runtime/Translator.h"

namespace ktrb::test {
namespace {

using plat::VarArrayOf;

// The source tree (ctest names it; a direct run finds it from this file).
std::string sourceDir() {
    if (const char* dir = std::getenv("KTRB_SOURCE_DIR")) return dir;
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string();
}

std::vector<std::string> buttonNames(const TMessageDialogSpec& d) {
    std::vector<std::string> names;
    for (const auto& b : d.Buttons) names.push_back(b.Name);
    return names;
}

std::string defaultButton(const TMessageDialogSpec& d) {
    for (const auto& b : d.Buttons)
        if (b.Default) return b.Name;
    return "";
}

TEST(BrokerStrings, CountPartsAndSplitFirst) {
    EXPECT_EQ(CountParts("", ","), 0);
    EXPECT_EQ(CountParts("a,b", ","), 2);
    EXPECT_EQ(CountParts("a#b", "#"), 2);
    EXPECT_EQ(CountParts("a,,b,", ","), 4);
    EXPECT_EQ(CountParts("a||b", "||"), 2);

    struct Case {
        std::string source, part, rest;
    };
    for (const Case& c :
         std::vector<Case>{{"abc", "abc", ""}, {"a,,b", "a", ",b"}, {",x", "", "x"}}) {
        std::string source = c.source, part;
        SplitFirst(source, ",", part);
        EXPECT_EQ(part, c.part) << c.source;
        EXPECT_EQ(source, c.rest) << c.source;
    }
}

TEST(BrokerRecord, NewBrokerAndParameterLists) {
    TBrokers b;
    EXPECT_EQ(b.FetchSet(), 15);
    EXPECT_FALSE(b.ProgramFlag());
    EXPECT_EQ(b.ProgramKind(), TProgramKind::Other);
    EXPECT_EQ(b.GetSysParam(""), "");
    EXPECT_EQ(b.GetSysParam("SYS003"), "");
    b.SetSysParam("SYS003", "NTD");
    b.SetSysParam("", "x");
    EXPECT_EQ(b.SysParams().Count(), 1);
    EXPECT_EQ(b.GetSysParam("sys003"), "NTD");
    EXPECT_EQ(b.HostParam("M11_TABLE"), "");
    EXPECT_EQ(b.GetTxnValues(), ";");
}

// A broker owned by the test form, attached to the scripted host.
class BrokerTest : public ::testing::Test {
  protected:
    BrokerTest() {
        b->UserID = "DS";
        b->CompanyID = "DEMO";
        b->SignOnKey = "DEMODB";
        b->ProgramCode = "KTRB52";
        b->SetMainObject(host.Main());
        host.validator->AnswerValue("CheckValue", false);
        EXPECT_TRUE(b->AttachSubObjects());
    }
    ~BrokerTest() override { form->FreeForm(); }

    ScriptedHost host;
    TTestRadicalForm* form = new TTestRadicalForm();
    TBrokers* b = form->broker;
};

TEST_F(BrokerTest, AttachFetchesTheServicesAndTheProgramMaster) {
    host.validator->Answer("CheckValue", [](plat::DispArgs a) {
        a[4] = VarArrayOf({"委外进货单", "KTRR52", "Velmora.TxnManager", "KTRB52", "v4", "§", "v6",
                           "Y", "E", "Receipt"});
        return Variant(true);
    });
    TBrokers fresh(form);
    fresh.ProgramCode = "KTRB52";
    fresh.SignOnKey = "DEMODB";
    fresh.SetMainObject(host.Main());
    ASSERT_TRUE(fresh.AttachSubObjects());
    EXPECT_EQ(fresh.ComValidator().AsDispatch(), host.validator);
    EXPECT_EQ(fresh.ComDravoc().AsDispatch(), host.dravoc);
    EXPECT_EQ(fresh.ComCounter().AsDispatch(), host.counter);
    const auto* call = host.validator->Last("CheckValue");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->args[0].AsString(), "ADMMB");
    EXPECT_EQ(call->args[1].AsString(), "06");
    EXPECT_EQ(call->args[3][0].AsString(), "KTRB52");
    EXPECT_EQ(call->args[3][1].AsString(), "DEMODB");
    EXPECT_EQ(fresh.GetProgramName(), "委外进货单");
    EXPECT_EQ(fresh.GetReportProgram(), "KTRR52");
    EXPECT_EQ(fresh.GetTxnValues(), "Velmora.TxnManager;KTRB52");
    EXPECT_EQ(fresh.MasterElement(5), "§");
    EXPECT_TRUE(fresh.ProgramFlag());
    EXPECT_EQ(fresh.ProgramKind(), TProgramKind::E);

    form->uiCodePage = "437";
    fresh.LoadProgramInfo();
    EXPECT_EQ(fresh.GetProgramName(), "Receipt");
}

TEST_F(BrokerTest, AttachFailsWithoutMainObjectOrWithThreeBeeps) {
    TBrokers none(form);
    EXPECT_FALSE(none.AttachSubObjects());
    EXPECT_EQ(form->beeps, 0);

    auto broken = std::make_shared<ScriptedObject>("broken");  // no Com_* members
    TBrokers failing(form);
    failing.SetMainObject(Disp(broken));
    EXPECT_FALSE(failing.AttachSubObjects());
    EXPECT_EQ(form->beeps, 3);
}

TEST_F(BrokerTest, SystemParametersFromTheCounter) {
    host.counter->Answer("GetSysInfo", [](plat::DispArgs a) {
        Variant r = Variant::CreateArray({0, 1, 0, 2});
        const char* names[] = {"SYS001", "SYS003", "QRV002"};
        const char* values[] = {"1", "NTD", "演示公司"};
        for (int c = 0; c < 3; ++c) {
            r.At(0, c) = names[c];
            r.At(1, c) = values[c];
        }
        EXPECT_EQ(a[0].AsString(), "DEMO");
        return r;
    });
    EXPECT_TRUE(b->GetSysInfo());
    EXPECT_EQ(b->GetSysParam("SYS003"), "NTD");
    EXPECT_EQ(b->GetSysParam("QRV002"), "演示公司");

    // Each entry as if set in turn: a name again replaces in place (case
    // ignored), an empty value removes, the lines already there stay.
    host.counter->Answer("GetSysInfo", [](plat::DispArgs) {
        Variant r = Variant::CreateArray({0, 1, 0, 5});
        const char* names[] = {"SYS009", "sys003", "SYS001", "", "SYS009", "SYS001"};
        const char* values[] = {"a", "RMB", "", "x", "b", "2"};
        for (int c = 0; c < 6; ++c) {
            r.At(0, c) = names[c];
            r.At(1, c) = values[c];
        }
        return r;
    });
    EXPECT_TRUE(b->GetSysInfo());
    EXPECT_EQ(b->SysParams().Text(), "sys003=RMB\r\nQRV002=演示公司\r\nSYS009=b\r\nSYS001=2\r\n");

    TBrokers noCounter(form);
    EXPECT_FALSE(noCounter.GetSysInfo());
    EXPECT_EQ(noCounter.SysParams().Count(), 0);
}

TEST_F(BrokerTest, MessageKindsPickTextDialogAndButtons) {
    host.messages["E000038"] = "缺少参数";
    host.messages["I200007"] = "已送签";
    host.messages["X000001"] = "自定义";
    struct Case {
        std::string kind;
        TMsgDlgType type;
        std::vector<std::string> buttons;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"T",
         TMsgDlgType::mtError,
         {"Yes", "No", "Cancel", "YesToAll"},
         "缺少参数 \r\n是否继续?      "},
        {"E", TMsgDlgType::mtError, {"OK"}, "缺少参数       "},
        {"I", TMsgDlgType::mtInformation, {"OK"}, "<I000038>       "},
        {"C", TMsgDlgType::mtWarning, {"OK", "Cancel"}, "<C000038>       "},
        {"D", TMsgDlgType::mtWarning, {"Yes", "No", "Cancel"}, "<D000038>       "},
        {"Q", TMsgDlgType::mtConfirmation, {"OK", "Cancel"}, "<Q000038>       "},
        {"W", TMsgDlgType::mtWarning, {"OK", "Cancel"}, "<W000038>       "},
        {"X", TMsgDlgType::mtCustom, {"OK"}, "<X000038>       "},
    };
    for (const Case& c : cases) {
        form->dialogs.clear();
        form->displayMode = 4;  // any mode but 0 gets six blanks
        b->ShowMessageCode(c.kind, "000038");
        ASSERT_EQ(form->dialogs.size(), 1u) << c.kind;
        const TMessageDialogSpec& d = form->dialogs[0];
        EXPECT_EQ(d.Type, c.type) << c.kind;
        EXPECT_EQ(buttonNames(d), c.buttons) << c.kind;
        EXPECT_EQ(d.Text, c.text) << c.kind;
        EXPECT_EQ(d.Caption, form->caption);
        EXPECT_EQ(d.FontName, "SimSun");
        EXPECT_EQ(d.FontCharset, 134);
    }
    EXPECT_EQ(form->afterMessages, (int)cases.size());
}

TEST_F(BrokerTest, WarningAbortsOnCancelOnlyWhenAsked) {
    form->answers = {modal::Cancel};
    EXPECT_THROW(b->ShowMessageCode("W", "200399", {}, 936, true), plat::EAbort);
    form->answers = {modal::Cancel};
    EXPECT_EQ(b->ShowMessageCode("W", "200399", {}, 936, false), modal::Cancel);
    form->answers = {modal::Ok};
    EXPECT_EQ(b->ShowMessageCode("W", "200399", {}, 936, true), modal::Ok);
}

TEST_F(BrokerTest, ButtonCaptionsAndTheDefaultButton) {
    b->ShowMessageCode("Q", "000001", {}, 936, false, TMsgDlgBtn::mbCancel);
    const TMessageDialogSpec& q = form->dialogs.back();
    EXPECT_EQ(defaultButton(q), "Cancel");
    EXPECT_EQ(q.Buttons[0].Caption, LocalizeDialogButtons("OK"));
    EXPECT_FALSE(q.Buttons[0].Caption.empty());

    b->ShowMessageCode("E", "000001", {}, 936, false, TMsgDlgBtn::mbCancel);
    EXPECT_EQ(defaultButton(form->dialogs.back()), "") << "no Cancel button, so no default";

    form->uiCodePage = "437";
    b->ShowMessageCode("E", "000001");
    EXPECT_EQ(form->dialogs.back().Buttons[0].Caption, "") << "the platform's own caption";
}

TEST_F(BrokerTest, TextsWithPercentOrMissingArgumentsStillShow) {
    host.messages["E900001"] = "已完成 50% 的工作";
    host.messages["E900002"] = "单号 %s 与 %s 重复";
    host.messages["E900003"] = "单号 %s 已存在";
    b->ShowMessageCode("E", "900001");
    b->ShowMessageCode("E", "900002", {"5901"});
    b->ShowMessageCode("E", "900003", {"5901-001"});
    ASSERT_EQ(form->dialogs.size(), 3u);
    EXPECT_EQ(form->dialogs[0].Text.find("已完成 50% 的工作"), 0u);
    EXPECT_EQ(form->dialogs[1].Text.find("单号 %s 与 %s 重复"), 0u);
    EXPECT_EQ(form->dialogs[2].Text.find("单号 5901-001 已存在"), 0u);
}

TEST_F(BrokerTest, Big5InterfacesGetBlanksAndTheBig5Font) {
    Installation inst;
    std::filesystem::copy_file(sourceDir() + "/standins/data/client/Language",
                               inst.client() + "Language");
    ReleaseLanguageTables();
    host.messages["E000001"] = "数据错误";
    form->uiCodePage = "950";
    form->displayMode = 2;
    b->ShowMessageCode("E", "000001");
    ReleaseLanguageTables();
    const TMessageDialogSpec& d = form->dialogs.back();
    EXPECT_EQ(d.Text.find("數據錯誤     "), 0u);
    EXPECT_EQ(d.FontCharset, 136);
    EXPECT_EQ(d.Buttons[0].Caption, "確定");
}

TEST_F(BrokerTest, ServerCallsCarryTheSignOnPair) {
    host.counter->Answer("GETCOUNTER", [](plat::DispArgs a) { return VarArrayOf({a[0], a[1]}); });
    Variant reply = b->CallServerMethod("UnitConvert", VarArrayOf({"A001", 2, "PCS", "BOX"}));
    const auto* call = host.counter->Last("GETCOUNTER");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->args[0].AsString(), "UnitConvert");
    EXPECT_EQ(call->args[1][0].AsString(), "A001");
    EXPECT_EQ(call->args[2][0].AsString(), "DEMO");
    EXPECT_EQ(call->args[2][1].AsString(), "DEMODB");
    EXPECT_EQ(reply[0].AsString(), "UnitConvert");

    TBrokers none(form);
    Variant result = "kept";
    none.CallServerMethod("SimpleSQL", Variant(), result);
    EXPECT_TRUE(result.IsEmpty());

    host.counter->Fail("GETCOUNTER", "refused");
    EXPECT_THROW(b->CallServerMethod("SimpleSQL", Variant()), plat::EOleError);
}

TEST_F(BrokerTest, ValidatorCallsSetItsPropertiesAndSwallowFailures) {
    b->HostParams().SetValues("BaseLimited", "Y");
    host.validator->Answer("CheckValue", [](plat::DispArgs a) {
        a[4] = VarArrayOf({1, "演示工厂"});
        return Variant(true);
    });
    Variant result;
    ASSERT_TRUE(b->CheckValue("CMSMB", "01", VarArrayOf({"01"}), result));
    EXPECT_EQ(result[1].AsString(), "演示工厂");
    EXPECT_EQ(host.validator->values["ProductID"].AsInteger(), 5) << "the owner form's product ID";
    EXPECT_EQ(host.validator->values["BaseLimited"].AsString(), "Y");
    EXPECT_EQ(host.validator->Last("CheckValue")->args[2].AsString(), "DEMODB");

    EXPECT_FALSE(b->ValidatorFailed());
    host.validator->Fail("QueryData", "broken");
    EXPECT_FALSE(b->QueryData("MOCTB", "60", VarArrayOf({"x"}), result));
    // A failure is not "nothing found": the caller can tell, with the reason.
    EXPECT_TRUE(b->ValidatorFailed());
    EXPECT_EQ(b->ValidatorError(), "broken");
    EXPECT_TRUE(b->CheckValue("CMSMB", "01", VarArrayOf({"01"}), result));
    EXPECT_FALSE(b->ValidatorFailed());
    TBrokers none(form);
    EXPECT_FALSE(none.CheckValue("CMSMB", "01", VarArrayOf({"01"}), result));
    EXPECT_FALSE(none.ValidatorFailed());
}

TEST_F(BrokerTest, QueryMaxSeqSendsAllKeysButTheLast) {
    auto* ds = new plat::TClientDataSet(form);
    for (const char* name : {"A", "B", "C"})
        ds->FieldDefs().Add(name, plat::TFieldType::ftString, 10);
    ds->CreateDataSet();
    ds->Append();
    ds->FieldByName("A")->SetAsString("5901");
    ds->FieldByName("B")->SetAsString("X");
    ds->Post();

    host.validator->Answer("QueryMaxSeq", [](plat::DispArgs a) {
        a[6] = "20240101001";
        return Variant(true);
    });
    std::string number;
    b->QueryMaxSeq(ds, "MOCTH", "A,B,C", "20240101", number);
    EXPECT_EQ(number, "20240101001");
    const auto* call = host.validator->Last("QueryMaxSeq");
    ASSERT_NE(call, nullptr);
    const Variant& keys = call->args[2];
    ASSERT_EQ(keys.HighBound(), 2);
    EXPECT_EQ(keys[0].AsString(), "5901");
    EXPECT_EQ(keys[1].AsString(), "X");
    EXPECT_TRUE(keys[2].IsEmpty());
    EXPECT_EQ(call->args[4].AsString(), "KTRB52");
    EXPECT_EQ(call->args[5].AsString(), "DEMODB");

    host.validator->AnswerValue("QueryMaxSeq", false);
    b->QueryMaxSeq(ds, "MOCTH", "A,B,C", "20240101", number);
    EXPECT_EQ(number, "unKnow");
    b->QueryMaxSeq(ds, "MOCTH", "A,NOSUCH,C", "20240101", number);
    EXPECT_EQ(number, "unKnow");
}

TEST_F(BrokerTest, LookupRequestLayout) {
    host.main->Fail("ProductID", "no product");  // an unreadable product ID gives 3
    b->HostParams().SetValues("BaseLimited", "N");
    form->rightsSet = (uint64_t)1 << 35;
    host.dravoc->Answer("F2GetData", [](plat::DispArgs a) {
        return VarArrayOf({VarArrayOf({"A001", "螺丝"})});
    });
    TLookupRequest r;
    r.A = "INVMB";
    r.B = "03";
    r.Value = "A0";
    r.Text1 = "A0";
    r.Bool1 = true;
    Variant rows = b->F2GetData(r);
    EXPECT_EQ(rows[0][1].AsString(), "螺丝");
    const Variant& q = host.dravoc->Last("F2GetData")->args[0];
    ASSERT_EQ(q.HighBound(), 18);
    EXPECT_EQ(q[0].AsString(), "INVMB");
    EXPECT_EQ(q[3].AsBoolean(), true);
    EXPECT_EQ(q[5].AsString(), "DEMO");
    EXPECT_EQ(q[6].AsString(), "DEMODB");
    EXPECT_EQ(q[7].AsInteger(), 4711) << "the owner form's window";
    EXPECT_EQ(q[8].AsInteger(), 1);
    EXPECT_EQ(q[10].AsInteger(), 3);
    EXPECT_EQ(q[14].AsString(), "N");
    EXPECT_TRUE(q[15].AsBoolean());
    EXPECT_FALSE(q[16].AsBoolean());
    EXPECT_EQ(q[17].AsDispatch(), host.main);
    EXPECT_EQ(q[18].AsString(), "DS");
}

TEST_F(BrokerTest, LookupCaptureStages) {
    host.dravoc->AnswerValue("F2GetData", "window");
    TLookupRequest r;
    r.A = "CMSMC";
    r.B = "02";
    r.Text1 = "W";
    r.Text2 = "t2";
    form->lookupStage = 1;
    EXPECT_TRUE(b->F2GetData(r).IsEmpty());
    const Variant& q = form->lookupParams;
    ASSERT_EQ(q.HighBound(), 13);
    EXPECT_EQ(q[3].AsInteger(), 1);
    EXPECT_EQ(q[5].AsString(), "DEMODB");
    EXPECT_EQ(q[6].AsInteger(), 7);
    EXPECT_EQ(q[7].AsString(), "t2");
    EXPECT_EQ(q[13].AsString(), "9");
    form->lookupStage = 2;
    form->lookupResult = VarArrayOf({"prepared"});
    EXPECT_EQ(b->F2GetData(r)[0].AsString(), "prepared");
    EXPECT_EQ(host.dravoc->Count("F2GetData"), 0);
}

TEST_F(BrokerTest, LookupServices) {
    host.dravoc->AnswerValue("ShowInputDay", "20240229");
    EXPECT_EQ(b->ShowInputDay(true, "20240101"), "20240229");
    EXPECT_EQ(host.dravoc->Last("ShowInputDay")->args[0][2].AsString(), "DEMODB");

    host.dravoc->Answer("GetPhrase2", [](plat::DispArgs a) {
        a[3] = "常用语";
        return Variant(0);
    });
    EXPECT_EQ(b->GetPhrase2("x"), "常用语");
    host.dravoc->AnswerValue("GetPhrase2", -1);
    EXPECT_EQ(b->GetPhrase2("x"), "");

    host.dravoc->AnswerValue("ShowCharaters", VarArrayOf({"㎡"}));
    EXPECT_EQ(b->ShowCharaters(2, true, "", "", 0)[0].AsString(), "㎡");
    const auto* sc = host.dravoc->Last("ShowCharaters");
    EXPECT_EQ(sc->args[0].AsString(), "DS");
    EXPECT_EQ(sc->args[3].Type(), plat::VarType::Boolean);
    EXPECT_EQ(sc->args[4].AsString(), "4711");

    host.messages["E000032"] = "%s";
    host.dravoc->Fail("GetCalcValue", "not registered");
    EXPECT_EQ(b->GetCalcValue("1+1"), "");
    ASSERT_FALSE(form->dialogs.empty());
    EXPECT_NE(form->dialogs.back().Text.find("[请更新DravocC.dll]"), std::string::npos);

    TBrokers none(form);
    EXPECT_EQ(none.ShowInputDay(false, "20240101"), "");
    EXPECT_EQ(none.GetCalcValue("1"), "");
    EXPECT_TRUE(none.F2GetData(TLookupRequest{}).IsEmpty());
}

TEST_F(BrokerTest, JobProgramErrorsNameTheProgram) {
    host.messages["E000032"] = "%s";
    host.main->AnswerValue("ExecWork", -5);
    host.counter->AnswerValue("GETCOUNTER",
                              VarArrayOf({VarArrayOf({"采购单", "Purchase", "", ""})}));
    Variant output = "stale";
    EXPECT_EQ(b->RunJobProgram("PURI07", "TH001='1'", Variant(), output, true), -5);
    ASSERT_EQ(form->dialogs.size(), 1u);
    EXPECT_EQ(form->dialogs[0].Text.find("[采购单]作业程序无运行作业权限!"), 0u);
    const auto* call = host.main->Last("ExecWork");
    EXPECT_EQ(call->args[0][2].AsString(), "PURI07");
    EXPECT_EQ(call->args[0][3].AsInteger(), 4711);
    EXPECT_EQ(call->args[2][1].AsInteger(), 4) << "the default options";
    EXPECT_EQ(call->args[3].AsInteger(), 2);
    EXPECT_TRUE(output.IsEmpty());

    EXPECT_EQ(b->RunJobProgram("PURI07", "", Variant(), output, false), -5);
    EXPECT_EQ(form->dialogs.size(), 1u);

    TBrokers none(form);
    EXPECT_EQ(none.RunJobProgram("PURI07", "", Variant(), output, true), -1);
    none.SetMainObject("not an automation object");
    EXPECT_EQ(none.RunJobProgram("PURI07", "", Variant(), output, true), -1);
}

// Sign-off parameters with high bound 13: P0..P13.
Variant signOffParams() {
    std::vector<Variant> p;
    for (int i = 0; i <= 13; ++i) p.push_back("P" + std::to_string(i));
    return Variant::ArrayOf(p);
}

TEST_F(BrokerTest, SendForSignOffReportsTheCountersAnswer) {
    struct Case {
        Variant reply;
        bool result;
        std::string message;
    };
    const std::vector<Case> cases = {{0, true, "<I200007>"},
                                     {1, false, "<E200128>"},
                                     {2, false, "<E200129>"},
                                     {7, false, ""},
                                     {"", false, ""}};
    for (const Case& c : cases) {
        form->dialogs.clear();
        host.counter->AnswerValue("GETCOUNTER", c.reply);
        EXPECT_EQ(b->SendDocument(1, signOffParams()), c.result) << plat::VarToStr(c.reply);
        std::string shown =
            form->dialogs.empty() ? "" : form->dialogs[0].Text.substr(0, c.message.size());
        EXPECT_EQ(shown, c.message) << plat::VarToStr(c.reply);
    }
    const Variant& item = host.counter->Last("GETCOUNTER")->args[1][0];
    ASSERT_EQ(item.HighBound(), 11);
    EXPECT_EQ(item[2].AsString(), "P6");
    EXPECT_EQ(item[4].HighBound(), 16);
    EXPECT_EQ(item[4][3].AsString(), "P1");
    EXPECT_EQ(item[4][5].AsString(), "P0");
    EXPECT_EQ(item[4][16].AsString(), "P13");
    EXPECT_EQ(item[10].AsString(), "936");
    EXPECT_EQ(item[11].AsString(), "SP7");
}

TEST_F(BrokerTest, SendForSignOffWithoutCounterIsNoSuccess) {
    TBrokers none(form);
    EXPECT_FALSE(none.SendDocument(1, signOffParams()));
    EXPECT_TRUE(form->dialogs.empty());
}

TEST_F(BrokerTest, MessageCentreLink) {
    host.counter->AnswerValue("GETCOUNTER",
                              VarArrayOf({VarArrayOf({"委外进货单", "Receipt", "", ""})}));
    host.main->AnswerValue("ExecWork", 0);
    EXPECT_FALSE(b->SendDocument(3, "TH001='5901'"));
    const auto* call = host.main->Last("ExecWork");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->args[0][2].AsString(), "MSGB25");
    EXPECT_EQ(call->args[1][1][2].AsString(),
              "<A href=\"rklt://Palora/DEMO/KTRB52/query/TH001='5901'\">委外进货单</A>");
}

TEST_F(BrokerTest, ProgramMasterQueryQuotesTheCode) {
    host.counter->AnswerValue("GETCOUNTER",
                              VarArrayOf({VarArrayOf({"采购单", "Purchase", "Y", "N"})}));
    std::string name;
    b->QueryProgramMaster("PUR'I07", name);
    EXPECT_EQ(name, "采购单");
    EXPECT_EQ(host.counter->Last("GETCOUNTER")->args[1][0].AsString(),
              "SELECT MB002,MB011,MB012,MB013 FROM ADMMB WHERE MB001='PUR''I07'");
    form->uiCodePage = "437";
    TProgramMasterRow row = b->QueryProgramMaster("PURI07");
    EXPECT_EQ(row.Name, "Purchase");
    EXPECT_EQ(row.Flag12, "Y");

    // No readable row, or no such column in it: the code stands for the name.
    for (const Variant& reply :
         {Variant::Null(), VarArrayOf({Variant::Null()}), VarArrayOf({VarArrayOf({"采购单"})})}) {
        host.counter->AnswerValue("GETCOUNTER", reply);
        b->QueryProgramMaster("NOSUCH", name);
        EXPECT_EQ(name, "NOSUCH");
    }
}

struct RecordingSearchWindow : ISearchWindow {
    static inline std::vector<std::string> log;
    static inline bool fail = false;
    ~RecordingSearchWindow() override { log.push_back("freed"); }
    Variant Execute(TBrokers* broker, const Variant& mainTable, const Variant&, const Variant&,
                    const Variant& bodyTable, const Variant&, const Variant&,
                    const std::string& linkField, const std::string&, int productID,
                    const std::string& baseLimited) override {
        log.push_back(plat::VarToStr(mainTable) + "|" + plat::VarToStr(bodyTable) + "|" +
                      linkField + "|" + std::to_string(productID) + "|" + baseLimited + "|" +
                      broker->UserID);
        if (fail) throw plat::Exception("window failed");
        return Variant();
    }
};

TEST_F(BrokerTest, SearchWindowIsFreedAlsoWhenItRaises) {
    auto previous =
        SetSearchWindowFactory([] { return std::make_unique<RecordingSearchWindow>(); });
    b->HostParams().SetValues("BaseLimited", "Y");
    RecordingSearchWindow::log.clear();
    b->OpenSearchWindow("MOCTI", "60", VarArrayOf({"5901", "001"}), "ACPTB", "60",
                        VarArrayOf({"5901"}), "TI003");
    RecordingSearchWindow::fail = true;
    EXPECT_THROW(b->OpenSearchWindow("INVML", "01", Variant()), plat::Exception);
    RecordingSearchWindow::fail = false;
    SetSearchWindowFactory(previous);
    EXPECT_EQ(
        RecordingSearchWindow::log,
        (std::vector<std::string>{"MOCTI|ACPTB|TI003|5|Y|DS", "freed", "INVML|||5|Y|DS", "freed"}));
}

}  // namespace
}  // namespace ktrb::test

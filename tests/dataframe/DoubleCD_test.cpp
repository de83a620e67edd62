// The header/body module: line keys, line numbers, new-line defaults, the
// pending key placeholder, duplicate keys, sums, data rights, sorting and
// status texts, over an in-memory provider.
#include "dataframe/DoubleCD.h"

#include <gtest/gtest.h>

#include "dataframe/LibDouble.h"
#include "dataframe/knlRadical.h"
#include "doc_fixture.h"

namespace ktrb::test {
namespace {

// The placeholder as a key field holds it: cut to the field's size.
const std::string kPendingType(4, '~'), kPendingNumber(11, '~');

class Double : public DocTest {};

// ---- keys and line numbers --------------------------------------------------

TEST_F(Double, LinesOfAnInsertedHeaderWaitForItsKeyAndTakeItOnSave) {
    Open();
    AddDoc("20240099");
    EXPECT_EQ(dm.editHooks, 1);
    AddLine("A1001", 5);
    AddLine("B2001", 7);
    EXPECT_EQ(LineTexts("TI003"), (std::vector<std::string>{"0001", "0002"}));
    EXPECT_EQ(LineTexts("TI001"), (std::vector<std::string>{kPendingType, kPendingType}));
    EXPECT_EQ(LineTexts("TI002"), (std::vector<std::string>{kPendingNumber, kPendingNumber}));
    EXPECT_EQ(FlagValue(Line("FLAG")), -1) << "the line is stamped";

    dm.ReapplyHeadKeyToBody();
    EXPECT_EQ(LineTexts("TI001"), (std::vector<std::string>{"5901", "5901"}));
    EXPECT_EQ(LineTexts("TI002"), (std::vector<std::string>{"20240099", "20240099"}));
    dm.cdsMain->Post();
    ASSERT_TRUE(dm.ApplyData(dm.cdsMain));
    ASSERT_EQ(provider.Rows().size(), 3u);
    const plat::TPacketRow& saved = provider.Rows().back();
    EXPECT_EQ(saved.values[1].AsString(), "20240099");
    ASSERT_EQ(saved.details[0].size(), 2u);
    EXPECT_EQ(saved.details[0][1].values[1].AsString(), "20240099");
    EXPECT_EQ(saved.details[0][1].values[2].AsString(), "0002");
}

// A line that could not take the header key (its edit was cancelled while
// the key was copied) must not be sent under the placeholder.
TEST_F(Double, ALineStillHoldingThePlaceholderIsNeverSaved) {
    Open();
    AddDoc("20240099");
    AddLine("A1001");
    AddLine("BAD");
    AddLine("C3001");
    bool refuse = true;
    Line("TI002")->OnValidate = [&](plat::TField* f) {
        if (refuse && f->DataSet()->FieldByName("TI004")->AsString() == "BAD") plat::Abort();
    };
    dm.ReapplyHeadKeyToBody();  // ends although one line refuses its key
    EXPECT_EQ(LineTexts("TI002"),
              (std::vector<std::string>{"20240099", kPendingNumber, "20240099"}));
    EXPECT_EQ(dm.cdsBody1->State(), plat::dsBrowse);

    EXPECT_FALSE(dm.ApplyData(dm.cdsMain));
    EXPECT_EQ(provider.ApplyCount(), 0);
    ASSERT_EQ(form.messageBoxes.size(), 1u);
    EXPECT_NE(form.messageBoxes[0].find("单身"), std::string::npos);
    EXPECT_GT(dm.cdsMain->ChangeCount(), 0) << "the document stays to be corrected";

    refuse = false;
    dm.ReapplyHeadKeyToBody();
    EXPECT_TRUE(dm.ApplyData(dm.cdsMain));
    EXPECT_EQ(provider.ApplyCount(), 1);
}

TEST_F(Double, ALineOfAnEditedHeaderTakesTheKeyAndTheNextNumber) {
    Open();
    ASSERT_TRUE(GoToDoc("20240001"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    EXPECT_EQ(dm.editHooks, 1);
    AddLine("C3001");
    EXPECT_EQ(Line("TI003")->AsString(), "0004") << "gaps are not filled";
    EXPECT_EQ(Line("TI001")->AsString(), "5901");
    EXPECT_EQ(Line("TI002")->AsString(), "20240001");
    EXPECT_EQ(form.firstColumn, 1);
    EXPECT_EQ(form.comboDefaults, 1);
    EXPECT_EQ(form.ruleLoads.back(), "KTRB52|Z01D|ALL");
}

TEST_F(Double, ALineOfABrowsingHeaderIsCancelled) {
    Open();
    ASSERT_TRUE(GoToDoc("20240002"));
    dm.cdsBody1->Append();
    EXPECT_EQ(dm.cdsBody1->State(), plat::dsBrowse);
    EXPECT_EQ(dm.cdsBody1->RecordCount(), 0);
    EXPECT_EQ(dm.editHooks, 0);
    // The header is not left in the edit that the refused line began.
    EXPECT_EQ(dm.cdsMain->State(), plat::dsBrowse);
    std::string where;
    EXPECT_TRUE(dm.GetKeyWhereText(where));
}

// Bulk work that holds the line events back still gets numbered lines.
TEST_F(Double, LinesAddedWithTheirEventsHeldBackAreSetUp) {
    Open();
    ASSERT_TRUE(GoToDoc("20240001"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    {
        TDataEventsDetached events(dm.cdsBody1);
        dm.cdsBody1->Append();
        EXPECT_EQ(dm.cdsBody1->State(), plat::dsInsert);
        EXPECT_EQ(Line("TI003")->AsString(), "0004");
        EXPECT_EQ(Line("TI002")->AsString(), "20240001");
        dm.cdsBody1->Cancel();
    }
}

TEST_F(Double, TheNextNumberPastTheFieldsSizeIsRefused) {
    provider.Rows()[1] = DocRow("5901", "20240002", {{"9999", "A1001"}});
    Open();
    ASSERT_TRUE(GoToDoc("20240002"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    EXPECT_THROW(dm.cdsBody1->Append(), ELineNumberOverflow);
    EXPECT_EQ(LineTexts("TI003"), (std::vector<std::string>{"9999"}));
}

TEST_F(Double, NumbersFollowLinesAddedAndDeletedSinceTheCloneWasMade) {
    Open();
    ASSERT_TRUE(GoToDoc("20240001"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    ASSERT_TRUE(dm.RefreshBodyClone());
    AddLine("C3001");  // 0004
    dm.cdsBody1->Last();
    dm.cdsBody1->Delete();
    AddLine("D4001");
    EXPECT_EQ(Line("TI003")->AsString(), "0004");
    dm.cdsBody1->Append();
    EXPECT_EQ(Line("TI003")->AsString(), "0005");
    dm.cdsBody1->Cancel();
}

TEST_F(Double, KeyListsAndTheAutoNumberKey) {
    form.broker->HostParams().SetValues("D11_KEY", "TI001 X,TI002,TI003");
    Open();
    EXPECT_EQ(dm.LineNumberField, "TI003");
    dm.SetAutoNumberKey(true);
    std::string names;
    dm.GetKeyFieldName(names);
    EXPECT_EQ(names, "TH002,TI002");
    EXPECT_FALSE(Head("TH002")->Required());

    ASSERT_TRUE(GoToDoc("20240002"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    AddLine("A1001");
    EXPECT_EQ(Line("TI001")->AsString(), "5901") << "an entry with an alias names its field";

    dm.SetLineNumbering(false);
    EXPECT_EQ(dm.LineNumberField, "");
    dm.SetLineNumbering(true);
    EXPECT_EQ(dm.LineNumberField, "TI003");
}

TEST_F(Double, RestoreBodyIndexFallsBackToTheLineNumber) {
    Open();
    EXPECT_TRUE(dm.RestoreBodyIndex());
    EXPECT_EQ(dm.cdsBody1->IndexFieldNames(), "TI003");
    dm.SavedBodyOrder = "IndexFieldNames=TI004";
    dm.RestoreBodyIndex();
    EXPECT_EQ(dm.cdsBody1->IndexFieldNames(), "TI004");
}

TEST_F(Double, MappedAndCarriedValuesOfANewLine) {
    Open();
    dm.HeadToBodyFields = "TH007->TI009";
    form.carryOver = "TI035";
    ASSERT_TRUE(GoToDoc("20240001"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    ASSERT_TRUE(dm.RefreshBodyClone());
    dm.cdsBody1->Append();
    EXPECT_EQ(Line("TI009")->AsString(), "NTD");
    EXPECT_EQ(Line("TI035")->AsString(), "2") << "from the last line";
    dm.cdsBody1->Cancel();
}

// ---- duplicate keys ---------------------------------------------------------

TEST_F(Double, ADuplicateLineKeyIsFoundWhileInsertingAndAfterResorting) {
    Open();
    ASSERT_TRUE(GoToDoc("20240001"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    dm.beforeBodyPost = [](TdmDouble& m) {
        if (m.IsDuplicateBodyKey(m.cdsBody1->FieldByName("TI004"), "TI004+TI009")) plat::Abort();
    };
    dm.cdsBody1->Append();
    Line("TI004")->SetAsString("A1001");
    Line("TI009")->SetAsString("W01");
    EXPECT_THROW(dm.cdsBody1->Post(), plat::EAbort);
    Line("TI009")->SetAsString("W02");
    dm.cdsBody1->Post();
    EXPECT_EQ(dm.cdsBody1->RecordCount(), 3);

    // Sorted by the user, each line is still told apart from itself.
    form.mode = TFormMode::Browse;
    dm.SortBodyByField("TI004");
    dm.SortBodyByField("TI004");
    ASSERT_EQ(dm.cdsBody1->IndexName(), "TI004");
    for (dm.cdsBody1->First(); !dm.cdsBody1->Eof(); dm.cdsBody1->Next())
        EXPECT_FALSE(dm.IsDuplicateBodyKey(Line("TI004"), "TI004+TI009"))
            << Line("TI003")->AsString();
    EXPECT_TRUE(dm.IsDuplicateBodyKey(Line("TI004"), "TI001")) << "every line has the same TI001";
}

// ---- sums -------------------------------------------------------------------

TEST_F(Double, SumsByConditionIntoAnEditingHeaderOnly) {
    Open();
    ASSERT_TRUE(GoToDoc("20240001"));
    std::vector<plat::TField*> head = {Head("TH019")};
    dm.SumBodyFields(head, {"TI044"}, {-1}, {"TI035=2"});
    EXPECT_EQ(Head("TH019")->AsFloat(), 0) << "a browsing header keeps its total";

    dm.cdsMain->Edit();
    dm.SumBodyFields(head, {"TI044"}, {-1}, {"TI035= 2 "});
    EXPECT_EQ(Head("TH019")->AsFloat(), 20);
    dm.SumBodyFields(head, {"TI044"}, {0}, {""});
    EXPECT_EQ(Head("TH019")->AsFloat(), 30);

    std::vector<double> totals;
    dm.sumFlags = [](std::vector<double>& values, std::vector<TLineSumFlag>& flags) {
        flags = {TLineSumFlag::Restart, TLineSumFlag::Skip};
        values = {100, 0};
    };
    dm.SumBodyLines({"TI044", "TI007"}, totals, {"", ""}, {-1, -1});
    EXPECT_EQ(totals, (std::vector<double>{120, 0}))
        << "restarted at 100 on the last line, then added";
    EXPECT_THROW(dm.SumBodyFields(head, {"TI044", "TI007"}, {-1}, {""}), plat::EInternalError);
}

TEST_F(Double, SummingLeavesTheLinePositionAndFiresNoLineEvents) {
    Open();
    ASSERT_TRUE(GoToDoc("20240001"));
    dm.cdsBody1->Last();
    int scrolls = 0;
    dm.cdsBody1->AfterScroll = [&](plat::TDataSet*) { ++scrolls; };
    std::vector<double> totals;
    dm.SumBodyLines({"TI007"}, totals, {""}, {-1});
    EXPECT_EQ(totals[0], 5);
    EXPECT_EQ(Line("TI003")->AsString(), "0003");
    EXPECT_EQ(scrolls, 0);
}

// ---- sorting and status texts -----------------------------------------------

TEST_F(Double, ClicksOnALineColumnSortUpDownAndOnlyWhileBrowsing) {
    Open();
    ASSERT_TRUE(GoToDoc("20240001"));
    dm.SortBodyByField("TI004");
    EXPECT_EQ(dm.cdsBody1->IndexFieldNames(), "TI004");
    dm.SortBodyByField("TI004");
    EXPECT_EQ(dm.cdsBody1->IndexName(), "TI004");
    EXPECT_EQ(LineTexts("TI004"), (std::vector<std::string>{"B2001", "A1001"}));
    dm.SortBodyByField("TI004");
    EXPECT_EQ(dm.cdsBody1->IndexFieldNames(), "TI004");
    form.mode = TFormMode::Edit;
    dm.SortBodyByField("TI009");
    EXPECT_EQ(dm.cdsBody1->IndexFieldNames(), "TI004");
    form.mode = TFormMode::Browse;
    dm.BodyDefaultOrder = "TI003";
    dm.SortBodyByField("");
    EXPECT_EQ(dm.cdsBody1->IndexFieldNames(), "TI003");
    EXPECT_EQ(dm.BodySortField, nullptr);
    form.bodySort = false;
    dm.SortBodyByField("TI004");
    EXPECT_EQ(dm.cdsBody1->IndexFieldNames(), "TI003");
}

TEST_F(Double, StatusTextsOfTheHeaderAndLinePages) {
    Open();
    dm.ServerRecordCount = 25;
    form.headPage = true;
    dm.cdsMain->Last();
    EXPECT_EQ(form.panels[2], "单头笔数");
    EXPECT_EQ(form.panels[3], "2/25");
    dm.ServerRecordCount = 0;
    dm.cdsMain->First();
    EXPECT_EQ(form.panels[3], "0/0");

    form.headPage = false;
    form.bodyPage = true;
    form.markDisplay = true;
    dm.cdsBody1->Last();
    EXPECT_EQ(form.panels[2], "«单身笔数»");
    EXPECT_EQ(form.panels[3], "«2/2»");
}

// ---- data rights and refused lines ------------------------------------------

TEST_F(Double, RefusedLinesAreShownAndLogged) {
    Installation installation;
    provider.OnApplyRow = [](const plat::TDeltaRow&, int level,
                             std::vector<plat::TAssignedValue>&) {
        return level == 1 ? std::string("line refused") : std::string();
    };
    Open();
    ASSERT_TRUE(GoToDoc("20240001"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    dm.cdsBody1->First();
    dm.cdsBody1->Edit();
    Line("TI007")->SetAsFloat(9);
    dm.cdsBody1->Post();
    EXPECT_FALSE(dm.ApplyData(dm.cdsMain));
    ASSERT_EQ(form.errorBoxes.size(), 1u);
    EXPECT_EQ(form.errorBoxes[0].first, "保存错误");
    EXPECT_EQ(form.errorBoxes[0].second, "line refused");
    EXPECT_NE(installation.alertLog("保存失败").find("PreviousError :"), std::string::npos);
}

TEST_F(Double, DataRightsOfTheLinesUseTheirOwnMessages) {
    Open();
    ASSERT_TRUE(GoToDoc("20240001"));
    struct NoneAllowed : plat::DispatchObject {
        NoneAllowed() : DispatchObject("Server") {
            Method("GetBaseLimitedRecs", [](plat::DispArgs) {
                return plat::VarArrayOf({0, Variant()});
            });
        }
    };
    auto server = std::make_shared<NoneAllowed>();
    dm.AppServer = Variant(std::static_pointer_cast<plat::Dispatch>(server));
    form.broker->HostParams().SetValues("D11_KEY", "TI001,TI002,TI003");
    EXPECT_FALSE(dm.CheckDataRights());
    EXPECT_EQ(form.codes(), (std::vector<std::string>{"200572"}));
}

}  // namespace
}  // namespace ktrb::test

#include "forms/DoubleTxn.h"

#include <gtest/gtest.h>

#include "platform/core/text.h"

namespace ktrb::test {
namespace {

using plat::Variant;

TConfirmRequestInput ThreeKeys(TStatusChange kind) {
    TConfirmRequestInput in;
    in.kind = kind;
    in.keyTexts = {"5901", "20240108001", "A"};
    in.flagText = "7";
    in.confirmDate = kind == TStatusChange::Confirm ? Variant("20240120") : Variant();
    in.programId = "KTRB52";
    in.user = "DS";
    in.company = "DEMO";
    in.uiCodePage = "936";
    in.systemCodePage = "950";
    in.programFlag = true;
    return in;
}

TEST(ConfirmRequest, ArraysAreLaidOutByTheNumberOfKeys) {
    const Variant target = BuildTxnTarget(kTxnServerClass, "KTRB52", ";");
    for (TStatusChange kind : {TStatusChange::Confirm, TStatusChange::Unconfirm}) {
        TConfirmRequestInput in = ThreeKeys(kind);
        Variant k = BuildConfirmKeys(in);
        ASSERT_EQ(k.ArrayCount(), 5);
        Variant r = BuildConfirmRequest(in, target);
        ASSERT_EQ(r.LowBound(), 0);
        ASSERT_EQ(r.HighBound(), 9);
        const Variant& p = r[5];
        ASSERT_EQ(p.LowBound(), 0);
        ASSERT_EQ(p.HighBound(), 9);
        const bool confirm = kind == TStatusChange::Confirm;
        std::vector<std::string> texts;
        for (int i = 0; i <= 9; ++i)
            texts.push_back(p[i].IsEmpty() ? "<unassigned>" : plat::VarToStr(p[i]));
        EXPECT_EQ(texts, (std::vector<std::string>{
                             "", "N", confirm ? "DO" : "UNDO", "5901", "20240108001", "A", "7", "",
                             confirm ? "20240120" : "<unassigned>", "KTRB52"}));
        EXPECT_EQ(plat::VarToStr(r[0]), "TXNKTRB52");
        EXPECT_EQ(plat::VarToStr(r[1]), "DEMO");
        EXPECT_EQ(plat::VarToStr(r[2]), "S");
        EXPECT_EQ(plat::VarToStr(r[3]), "DS");
        EXPECT_EQ(plat::VarToStr(r[6]), "936");
        EXPECT_EQ(plat::VarToStr(r[7]), "950");
        EXPECT_TRUE(r[8].AsBoolean());
        EXPECT_TRUE(r[9].IsEmpty());
    }
}

TEST(ConfirmRequest, ServerNumberReplacesTheLastKeyAndTargetsCanBeOverridden) {
    TConfirmRequestInput in = ThreeKeys(TStatusChange::Confirm);
    in.keyTexts = {"5901", "20240108001"};
    in.serverNumber = "20240108002";
    Variant k = BuildConfirmKeys(in);
    EXPECT_EQ(plat::VarToStr(k[2]), "20240108002");
    EXPECT_EQ(plat::VarToStr(k[3]), "7");

    struct Case {
        const char *values, *cls, *program;
    };
    for (const Case& c :
         {Case{";", kTxnServerClass, "KTRB52"}, Case{" Other.Txn ; ", "Other.Txn", "KTRB52"},
          Case{";MOCI05", kTxnServerClass, "MOCI05"}, Case{"", kTxnServerClass, "KTRB52"}}) {
        Variant t = BuildTxnTarget(kTxnServerClass, "KTRB52", c.values);
        EXPECT_EQ(plat::VarToStr(t[0]), c.cls) << c.values;
        EXPECT_EQ(plat::VarToStr(t[1]), c.program) << c.values;
    }
    EXPECT_EQ(plat::VarToStr(BuildConfirmRequest(in, BuildTxnTarget("", "KTRB52", ";MOCI05"))[0]),
              "TXNMOCI05");
}

TEST(ConfirmRequest, CodedResultsAndPlainTexts) {
    Variant args = plat::VarArrayOf({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"});
    Variant result = plat::VarArrayOf({3, plat::VarArrayOf({"Error", "S00002", args}), "text"});
    TCodedResult coded = CodedResult(result);
    ASSERT_TRUE(coded.coded);
    EXPECT_EQ(coded.kind, "Error");
    EXPECT_EQ(coded.code, "S00002");
    EXPECT_EQ(coded.args.size(), 10u);
    EXPECT_EQ(ResultText(result), "text");
    // Not coded: a plain description, or nothing usable at all.
    for (const Variant& r :
         {plat::VarArrayOf({3, "plain", "text"}), plat::VarArrayOf({3, plat::VarArrayOf({"E"})}),
          Variant("x"), Variant()})
        EXPECT_FALSE(CodedResult(r).coded);
    EXPECT_EQ(ResultText(Variant()), "");
    EXPECT_EQ(ResultText(plat::VarArrayOf({1})), "");
}

TEST(BatchTally, FailedKeysAndSummaries) {
    TBatchTally t;
    t.total = 7;
    t.succeeded = 1;
    for (int i = 1; i <= 6; ++i) t.AddFailure({"5901", "00" + std::to_string(i)});
    EXPECT_EQ(t.FailedList(), " 5901-001,5901-002,5901-003,5901-004,5901-005,\r\n5901-006");
    EXPECT_EQ(t.Summary("%d/%d/%d/%d:%s", "%d/%d/%d/%d"),
              "7/1/0/6: 5901-001,5901-002,5901-003,5901-004,5901-005,\r\n5901-006");
    TBatchTally none;
    EXPECT_EQ(none.Summary("%d/%d/%d/%d:%s", "%d/%d/%d/%d"), "0/0/0/0");
}

}  // namespace
}  // namespace ktrb::test

// Look-ups through the validator and the audit columns.
#include <gtest/gtest.h>

#include "dataframe/knlRadical.h"
#include "platform/automation/dispatch.h"
#include "support/dataframe/DataModuleFixture.h"

namespace ktrb::test {
namespace {

using plat::TField;
using plat::Variant;

class Lookups : public ::testing::Test {
  protected:
    Lookups()
        : dm(&form), provider("pvdMain", HeaderFields(), {HeaderRow("5901", "20240001", 998)}) {
        dm.Today = "20240401";
        dm.cdsMain->SetProvider(&provider);
        dm.cdsMain->Open();
    }
    TField* field(const char* name) { return dm.cdsMain->FieldByName(name); }
    std::string text(const char* name) { return field(name)->AsString(); }

    FakeForm form;
    TestModule dm;
    plat::TMemoryProvider provider;
};

TEST_F(Lookups, AnEmptyFieldPassesWithoutAskingTheValidator) {
    dm.cdsMain->Edit();
    field("TH007")->SetAsString("");
    Variant values;
    EXPECT_TRUE(dm.CheckValueExists(field("TH007"), "CMSMF", "01", values));
    EXPECT_TRUE(dm.CheckValueAndFill(field("TH007"), "CMSMF", "01", Variant(), "MODIFIER,CREATOR"));
    EXPECT_TRUE(form.host->checkValueCalls.empty());
    EXPECT_EQ(text("MODIFIER"), "");
    EXPECT_EQ(text("CREATOR"), "") << "the listed fields are cleared";
}

TEST_F(Lookups, KeysAreAlwaysSentAsAnArray) {
    Variant values;
    struct Case {
        Variant keys;
        Variant sent;
    };
    for (const Case& c : {Case{Variant(), plat::VarArrayOf({Variant("NTD")})},
                          Case{Variant::Null(), plat::VarArrayOf({Variant("NTD")})},
                          Case{Variant("  "), plat::VarArrayOf({Variant("NTD")})},
                          Case{Variant(7), plat::VarArrayOf({Variant(7)})},
                          Case{plat::VarArrayOf({Variant("A"), Variant("B")}),
                               plat::VarArrayOf({Variant("A"), Variant("B")})}}) {
        form.host->checkValueCalls.clear();
        dm.CheckValueSilent(field("TH007"), "CMSMF", "01", values, c.keys);
        ASSERT_EQ(form.host->checkValueCalls.size(), 1u);
        const Variant& sent = form.host->checkValueCalls[0].keys;
        ASSERT_TRUE(sent.IsArray());
        ASSERT_EQ(sent.ArrayCount(), c.sent.ArrayCount());
        for (int i = 0; i < sent.ArrayCount(); ++i) EXPECT_EQ(sent[i], c.sent[i]);
    }
}

// A validator that cannot reach the server is not "no such record": every
// look-up stops with "W" "000001" and the reason, whatever its message type,
// and a uniqueness check does not pass the value as unused.
TEST_F(Lookups, AFailedLookUpStopsWithItsReasonAndIsNotNotFound) {
    form.host->onCheckValue = [](const std::string&, const std::string&, const Variant&,
                                 Variant&) -> bool { throw plat::EOleSysError("server down", -1); };
    dm.cdsMain->Edit();
    for (const char* type : {"E", "W", "N"}) {
        form.messages.clear();
        Variant values;
        EXPECT_THROW(dm.CheckValueExists(field("TH007"), "CMSMF", "01", values, Variant(), type),
                     plat::EAbort);
        ASSERT_EQ(form.messages.size(), 1u) << type;
        EXPECT_EQ(form.messages[0].kind + form.messages[0].code, "W000001");
        EXPECT_EQ(form.messages[0].args, std::vector<std::string>{"server down"});
    }
    form.messages.clear();
    EXPECT_THROW(dm.CheckValueUnique(field("TH002"), "MOCTH", "01", "TH001,TH002", "E"),
                 plat::EAbort);
    EXPECT_EQ(form.codes(), std::vector<std::string>{"000001"});
}

TEST_F(Lookups, NotFoundRefusesWarnsOrStaysSilentByMessageType) {
    Variant values;
    field("TH007")->SetDisplayLabel("币别");
    EXPECT_THROW(dm.CheckValueExists(field("TH007"), "CMSMF", "01", values, Variant(), "E"),
                 plat::EAbort);
    ASSERT_EQ(form.messages.size(), 1u);
    EXPECT_EQ(form.messages[0].kind, "E");
    EXPECT_EQ(form.messages[0].code, "000001");
    EXPECT_EQ(form.messages[0].args, std::vector<std::string>{"币别"});

    form.answer = modal::Ok;
    EXPECT_FALSE(dm.CheckValueExists(field("TH007"), "CMSMF", "01", values, Variant(), "W"));
    EXPECT_EQ(form.codes().back(), "000004");
    form.answer = modal::Cancel;
    EXPECT_THROW(dm.CheckValueExists(field("TH007"), "CMSMF", "01", values, Variant(), "W"),
                 plat::EAbort);

    EXPECT_FALSE(dm.CheckValueExists(field("TH007"), "CMSMF", "01", values, Variant(), "N"));
    EXPECT_EQ(form.messages.size(), 3u);
}

TEST_F(Lookups, GetLookupValuesCountsTheValues) {
    form.host->onCheckValue = [](const std::string&, const std::string&, const Variant&,
                                 Variant& result) {
        result = plat::VarArrayOf({Variant("新台币"), Variant(2), Variant(0.5)});
        return true;
    };
    Variant result;
    ASSERT_TRUE(dm.GetLookupValues(field("TH007"), "CMSMF", "01", result));
    ASSERT_EQ(result.HighBound(1), 3);
    EXPECT_EQ(result[0], Variant(3));
    EXPECT_EQ(result[1], Variant("新台币"));
    EXPECT_EQ(result[3], Variant(0.5));

    form.host->onCheckValue = nullptr;
    EXPECT_FALSE(dm.GetLookupValues(field("TH007"), "CMSMF", "01", result));
    EXPECT_EQ(result.HighBound(1), 0);
    EXPECT_EQ(result[0], Variant(0));
}

TEST_F(Lookups, CheckValueAndFillWritesTheFoundValuesInListOrder) {
    form.host->onCheckValue = [](const std::string&, const std::string&, const Variant&,
                                 Variant& result) {
        result = plat::VarArrayOf({Variant("ZHANG"), Variant("PUR"), Variant("ignored")});
        return true;
    };
    field("USR_GROUP")->SetReadOnly(true);
    // Not editing: nothing is written.
    EXPECT_TRUE(dm.CheckValueAndFill(field("TH007"), "CMSMF", "01", Variant(), "MODIFIER,NOSUCH"));
    EXPECT_EQ(text("MODIFIER"), "");
    dm.cdsMain->Edit();
    EXPECT_TRUE(dm.ValidateFieldAndFill(field("TH007"), "CMSMF", "01", "MODIFIER,USR_GROUP"));
    EXPECT_EQ(text("MODIFIER"), "ZHANG");
    EXPECT_EQ(text("USR_GROUP"), "PUR");
    EXPECT_TRUE(field("USR_GROUP")->ReadOnly());
}

TEST_F(Lookups, CheckValueUniqueSendsTheListedKeysAndAnUnassignedTail) {
    dm.cdsMain->Edit();
    form.host->onCheckValue = [](const std::string&, const std::string&, const Variant&, Variant&) {
        return true;
    };
    EXPECT_THROW(dm.CheckValueUnique(field("TH002"), "MOCTH", "01", "TH001,TH002", "E"),
                 plat::EAbort);
    EXPECT_EQ(form.codes().back(), "000002");
    const Variant& keys = form.host->checkValueCalls.back().keys;
    ASSERT_EQ(keys.ArrayCount(), 3);
    EXPECT_EQ(keys[0], Variant("5901"));
    EXPECT_EQ(keys[1], Variant("20240001"));
    EXPECT_TRUE(keys[2].IsEmpty());

    form.answer = modal::Ok;
    EXPECT_FALSE(dm.CheckValueUnique(field("TH002"), "MOCTH", "01", "", "W"));
    EXPECT_EQ(form.codes().back(), "000005");
    EXPECT_EQ(form.host->checkValueCalls.back().keys.ArrayCount(), 2);

    form.host->onCheckValue = nullptr;
    EXPECT_TRUE(dm.CheckValueUnique(field("TH002"), "MOCTH", "01", "TH001,TH002", "E"));
}

// ---- audit columns ----

TEST_F(Lookups, ANewRecordIsStampedOnce) {
    dm.cdsMain->Append();
    EXPECT_EQ(text("COMPANY"), "DEMO");
    EXPECT_EQ(text("CREATOR"), "DS");
    EXPECT_EQ(text("USR_GROUP"), "ADMIN");
    EXPECT_EQ(text("CREATE_DATE"), "20240401");
    EXPECT_EQ(text("FLAG"), "-1");
    dm.Today = "20240402";
    dm.SetAuditValues(dm.cdsMain);
    EXPECT_EQ(text("CREATE_DATE"), "20240401");
    EXPECT_EQ(text("TH019"), "0") << "null numbers filled";
}

TEST_F(Lookups, AnEditIsStampedOnlyInEditModeAndTheCounterWrapsWithoutLosingItsMark) {
    dm.cdsMain->Edit();
    EXPECT_EQ(text("FLAG"), "998") << "browse mode: no stamp";
    dm.cdsMain->Cancel();

    form.mode = TFormMode::Edit;
    provider.Rows()[0].values = HeaderRow("5901", "20240001", 999).values;
    dm.cdsMain->Close();
    dm.cdsMain->Open();
    dm.cdsMain->Edit();
    EXPECT_EQ(text("MODIFIER"), "DS");
    EXPECT_EQ(text("MODI_DATE"), "20240401");
    EXPECT_EQ(text("FLAG"), "-1000");
    dm.Today = "20240402";
    dm.SetAuditValues(dm.cdsMain);
    EXPECT_EQ(text("MODI_DATE"), "20240401") << "stamped once";
    EXPECT_EQ(text("FLAG"), "-1000");
    ASSERT_TRUE(dm.ApplyData(dm.cdsMain));
    EXPECT_EQ(text("FLAG"), "0");
    EXPECT_EQ(provider.Rows()[0].values[11].AsFloat(), 0);
}

TEST_F(Lookups, AuditFieldsLabelsAndDates) {
    EXPECT_TRUE(TdmRadical::IsAuditField("modi_date"));
    EXPECT_FALSE(TdmRadical::IsAuditField("TH001"));
    dm.ShowAuditFieldsOf(dm.cdsMain, false);
    EXPECT_FALSE(field("CREATOR")->Visible());
    EXPECT_FALSE(field("CREATOR")->ReadOnly());
    EXPECT_TRUE(field("TH001")->Visible());
    dm.ShowAuditFields(true);
    EXPECT_TRUE(field("FLAG")->Visible());
    EXPECT_TRUE(field("FLAG")->ReadOnly());

    dm.SetAuditFieldLabels(dm.cdsMain);
    EXPECT_EQ(field("CREATOR")->DisplayLabel(), "录入者");
    EXPECT_EQ(field("MODI_DATE")->DisplayLabel(), "更改日期");
    dm.DateLayout = 3;
    dm.DateSeparator = "-";
    EXPECT_EQ(field("CREATE_DATE")->DisplayText(), "15-03-2024 00:00:00:000");
    EXPECT_EQ(field("MODI_DATE")->DisplayText(), "");
}

}  // namespace
}  // namespace ktrb::test

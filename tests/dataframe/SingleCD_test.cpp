// The single-table module's share of a document: keep-on-add values, keys,
// the auto-number key, new-record defaults and field rules, the save and its
// reconcile report, title sorting and the selection column.
#include "dataframe/SingleCD.h"

#include <gtest/gtest.h>

#include "dataframe/knlRadical.h"
#include "doc_fixture.h"

namespace ktrb::test {
namespace {

class Single : public DocTest {
  protected:
    // Adds and saves a document in add mode.
    void SaveNew(const std::string& number, const std::string& currency) {
        AddDoc(number);
        if (currency.empty())
            Head("TH007")->Clear();
        else
            Head("TH007")->SetAsString(currency);
        Head("TH029")->SetAsString("20240401");
        dm.cdsMain->Post();
        ASSERT_TRUE(dm.ApplyData(dm.cdsMain));
        dm.cdsMain->MergeChangeLog();
    }
};

// ---- keep-on-add values -----------------------------------------------------

TEST_F(Single, ValuesOfTheLastAddedRecordCarryOverButNotNullOnes) {
    Open();
    dm.SetKeepFields("TH001, TH007,TH029");
    SaveNew("20240101", "");  // TH007 null at the save: it leaves the list
    dm.cdsMain->Append();
    EXPECT_EQ(Head("TH001")->AsString(), "5901");
    EXPECT_EQ(Head("TH029")->AsString(), "20240401");
    EXPECT_EQ(Head("TH007")->AsString(), "") << "filled as a blank only";
    EXPECT_EQ(dm.KeepFields.IndexOfName("TH007"), -1);
    dm.cdsMain->Cancel();

    // A save in edit mode leaves the remembered values alone.
    ASSERT_TRUE(GoToDoc("20240001"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    Head("TH029")->SetAsString("20991231");
    dm.cdsMain->Post();
    ASSERT_TRUE(dm.ApplyData(dm.cdsMain));
    EXPECT_EQ(dm.KeepFields.Values("TH029"), "20240401 ");

    dm.ClearKeepValues();
    EXPECT_EQ(dm.KeepFields.Values("TH001"), " ");
    form.mode = TFormMode::Add;
    dm.cdsMain->Append();
    EXPECT_EQ(Head("TH029")->AsString(), "") << "nothing remembered, nothing written";
    dm.cdsMain->Cancel();
}

TEST_F(Single, ANewRecordTakesFixedDefaultsAndServerRules) {
    Open();
    form.host->onServerCall = [](const std::string& name, const Variant& args) {
        EXPECT_EQ(name, "QueryUDFData");
        EXPECT_EQ(plat::VarToStr(args[2]), "DEMODB");
        return plat::VarArrayOf({plat::VarArrayOf({"20250101"})});
    };
    form.onRules = [&](const std::string& code, TUDFFields& rules) {
        if (code == "Z01") AddRule(rules, "TH029", "SELECT ...", Head("TH001"));
    };
    dm.DefaultValues = Variant::CreateArray({0, 1, 0, 1});
    dm.DefaultValues.At(0, 0) = Variant("TH007");
    dm.DefaultValues.At(1, 0) = Variant("USD");
    dm.DefaultValues.At(0, 1) = Variant("NOSUCH");
    dm.DefaultValues.At(1, 1) = Variant("x");
    AddDoc("20240102");
    EXPECT_EQ(Head("TH007")->AsString(), "USD");
    EXPECT_EQ(Head("TH029")->AsString(), "20250101");
    EXPECT_EQ(form.ruleLoads, (std::vector<std::string>{"KTRB52|Z01|N"}));
    EXPECT_EQ(FlagValue(Head("FLAG")), -1);
    EXPECT_FALSE(dm.AutoNumber) << "every new record starts unnumbered";
}

TEST_F(Single, TwoFailingRulesShowOneMessage) {
    Open();
    form.host->onServerCall = [](const std::string&, const Variant&) -> Variant {
        throw plat::EOleError("type mismatch");
    };
    form.onRules = [](const std::string&, TUDFFields& rules) {
        AddRule(rules, "TH007", "q1");
        AddRule(rules, "TH029", "q2");
    };
    AddDoc("20240103");
    EXPECT_EQ(form.codes(), (std::vector<std::string>{"000032"}));
    ASSERT_EQ(form.messages[0].args.size(), 1u);
    EXPECT_NE(form.messages[0].args[0].find("TH007"), std::string::npos);
}

// ---- keys -------------------------------------------------------------------

TEST_F(Single, KeyWhereTextOnlyWhileBrowsing) {
    provider.Rows()[1] = DocRow("5901", "O'NEIL", {});
    Open();
    ASSERT_TRUE(GoToDoc("O'NEIL"));
    std::string text;
    EXPECT_TRUE(dm.GetKeyWhereText(text));
    EXPECT_EQ(text, "MOCTH.TH001 = '5901' and MOCTH.TH002 = 'O''NEIL'");

    dm.SetKeyFields("TH001,TH019,NOSUCH");
    dm.MainTable.clear();
    EXPECT_TRUE(dm.GetKeyWhereText(text));
    EXPECT_EQ(text, "TH001 = '5901' and TH019 = 0") << "numbers unquoted, unknown names skipped";

    dm.cdsMain->Edit();
    EXPECT_FALSE(dm.GetKeyWhereText(text));
    EXPECT_EQ(text, "");
    dm.cdsMain->Cancel();
}

TEST_F(Single, TheDocumentNumberOfARecordBeingAddedStandsForTheAutoNumberKey) {
    Open();
    dm.SetAutoNumberKey(true);
    EXPECT_EQ(dm.AutoNumberField, "TH002");
    EXPECT_FALSE(Head("TH002")->Required());
    form.mode = TFormMode::Add;
    form.pendingNumber = "20240415001";
    std::string text;
    ASSERT_TRUE(dm.GetKeyWhereText(text));
    EXPECT_EQ(text, "MOCTH.TH001 = '5901' and MOCTH.TH002 = '20240415001'");
    dm.SetAutoNumberKey(false);
    EXPECT_EQ(dm.AutoNumberField, "");
}

TEST_F(Single, KeyValuesByPositionAndTooLongAKeyList) {
    Open();
    ASSERT_TRUE(GoToDoc("20240002"));
    dm.StoreKeyValues();
    EXPECT_EQ(dm.KeyCount, 2);
    EXPECT_EQ(dm.KeyValues[0].AsString(), "5901");
    EXPECT_EQ(dm.KeyValues[1].AsString(), "20240002");
    EXPECT_THROW(dm.SetKeyFields("A,B,C,D,E,F,G,H,I,J,K"), plat::EInternalError);
    EXPECT_EQ(dm.KeyFields, "TH001,TH002");
}

// ---- save -------------------------------------------------------------------

TEST_F(Single, ARefusedHeaderIsShownAndLogged) {
    Installation installation;
    provider.OnApplyRow = [](const plat::TDeltaRow&, int, std::vector<plat::TAssignedValue>&) {
        return std::string("changed by another user");
    };
    Open();
    ASSERT_TRUE(GoToDoc("20240002"));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    Head("TH007")->SetAsString("USD");
    dm.cdsMain->Post();
    EXPECT_FALSE(dm.ApplyData(dm.cdsMain));
    EXPECT_EQ(form.messageBoxes, (std::vector<std::string>{"changed by another user"}));
    const std::string log = installation.alertLog("KTRB52");
    EXPECT_NE(log.find("Single保存失败Context :"), std::string::npos);
    EXPECT_NE(log.find("Single保存失败PreviousError :0"), std::string::npos);
}

TEST_F(Single, ASaveRefreshesTheColoursOfTheRightRecords) {
    Open();
    form.colors = true;
    dm.cdsMainColor->FieldDefs().Add("TH001", plat::TFieldType::ftString, 4);
    dm.cdsMainColor->FieldDefs().Add("TH002", plat::TFieldType::ftString, 11);
    dm.cdsMainColor->CreateDataSet();
    dm.cdsMainColor->Append();
    dm.cdsMainColor->FieldByName("TH001")->SetAsString("5901");
    dm.cdsMainColor->FieldByName("TH002")->SetAsString("20240104");
    dm.cdsMainColor->Post();
    form.keyValues = plat::VarArrayOf({"5901", "20240104"});
    SaveNew("20240104", "NTD");
    EXPECT_EQ(form.recordColorRefreshes, 1);
    EXPECT_EQ(form.mainColorRefreshes, 0);
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    Head("TH007")->SetAsString("USD");
    ASSERT_TRUE(dm.ApplyData(dm.cdsMain));
    EXPECT_EQ(form.mainColorRefreshes, 1);
    EXPECT_GE(form.colorsRestored, 2);
    EXPECT_GE(form.colorsApplied, 2);
}

TEST_F(Single, ARecordColouringHeldBackByTheFormIsSkipped) {
    Open();
    form.colors = true;
    form.keyValues = plat::VarArrayOf({"5901", "20240001"});
    dm.cdsMain->Last();
    EXPECT_EQ(form.colorsRestored, 1);
    struct Hold : DocForm {
        int ColorHoldValue() const override { return 1; }
    };
    Hold held;
    held.colors = true;
    DocModule other(&held, DocFields());
    other.cdsMain->SetProvider(&provider);
    other.cdsMain->Open();
    other.cdsMain->Last();
    EXPECT_EQ(held.colorsRestored, 0);
}

// A second nested level of the header, beside the lines, is checked with
// the "H11" settings; the lines and their clones are not.
TEST_F(Single, AnotherNestedLevelOfTheHeaderIsCheckedForDataRights) {
    form.broker->HostParams().SetValues("H11_KEY", "TI001,TI002,TI003");
    form.broker->HostParams().SetValues("H11_TABLE", "MOCTO");
    std::vector<plat::TPacketField> layout = DocFields();
    layout.push_back(
        plat::PacketField("qryOther", plat::TFieldType::ftDataSet, 0, DocLineFields()));
    plat::TPacketRow row = DocRow("5901", "20240001", {{"0001", "A1001"}});
    row.values.Append(Variant());  // the second nested field
    row.details.push_back(DocRow("5901", "20240001", {{"0001", "A1001"}}).details[0]);
    plat::TMemoryProvider twoLevels("pvdMain", layout, {row});
    DocModule other(&form, layout);
    other.cdsMain->SetProvider(&twoLevels);
    auto* third = new TwwClientDataSet(&other);
    third->SetName("cdsOther");
    third->SetDataSetField(
        dynamic_cast<plat::TDataSetField*>(other.cdsMain->FieldByName("qryOther")));
    ASSERT_TRUE(other.InitDataModule());
    third->Open();
    struct Server : plat::DispatchObject {
        Server() : DispatchObject("Server") {
            Method("GetBaseLimitedRecs", [this](plat::DispArgs a) {
                prefixes.push_back(plat::VarToStr(a[0]));
                return plat::VarArrayOf({0, Variant()});
            });
        }
        std::vector<std::string> prefixes;
    };
    auto server = std::make_shared<Server>();
    other.AppServer = Variant(std::static_pointer_cast<plat::Dispatch>(server));
    EXPECT_FALSE(other.TdmSingle::CheckDataRights());
    EXPECT_EQ(server->prefixes, (std::vector<std::string>{"H11_"}));
    EXPECT_EQ(form.codes(), (std::vector<std::string>{"200570"}));
}

TEST_F(Single, LocalCurrencyAmountsTakeTheLocalDecimals) {
    Open();
    form.broker->SetSysParam("SYS003", "NTD");
    form.host->onServerCall = [](const std::string& name, const Variant&) {
        EXPECT_EQ(name, "SimpleSql");
        return plat::VarArrayOf({plat::VarArrayOf({"NTD", 4, 2, 3, 1})});
    };
    dm.RegisterCurrencyField(nullptr, TCurrencyDigitType::cdtMoney, "cdsMain:TH019");
    dm.ApplyDefaultCurrencyFormats();
    EXPECT_EQ(Head("TH019")->EditFormat(), "##0.##");
}

// The document is stored once the server took it: a failing screen refresh
// afterwards is logged, not reported as a failed save.
TEST_F(Single, AFailureAfterTheSaveDoesNotUndoItsSuccess) {
    Installation installation;
    struct BrokenColours : DocForm {
        bool RefreshMainColors() override { throw plat::EDatabaseError("colours gone"); }
    };
    BrokenColours broken;
    broken.colors = true;
    broken.broker->HostParams().SetText(form.broker->HostParams().Text());
    DocModule other(&broken, DocFields());
    other.cdsMain->SetProvider(&provider);
    ASSERT_TRUE(other.InitDataModule());
    other.cdsMainColor->FieldDefs().Add("TH001", plat::TFieldType::ftString, 4);
    other.cdsMainColor->CreateDataSet();
    broken.mode = TFormMode::Edit;
    other.cdsMain->Edit();
    other.cdsMain->FieldByName("TH007")->SetAsString("USD");
    EXPECT_TRUE(other.ApplyData(other.cdsMain));
    EXPECT_EQ(provider.ApplyCount(), 1);
    EXPECT_NE(installation.alertLog("KTRB52").find("colours gone"), std::string::npos);
}

// ---- browse grid ------------------------------------------------------------

TEST_F(Single, ThreeClicksOnAColumnTitleSortUpDownUp) {
    Open();
    dm.DefaultOrder = "TH002";
    dm.SortMainByField("TH002");
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "TH002");
    EXPECT_TRUE(dm.IsIndexAscending(dm.cdsMain));
    dm.SortMainByField("TH002");
    EXPECT_EQ(dm.cdsMain->IndexName(), "TH002");
    EXPECT_FALSE(dm.IsIndexAscending(dm.cdsMain));
    dm.cdsMain->First();
    EXPECT_EQ(Head("TH002")->AsString(), "20240002");
    dm.SortMainByField("TH002");
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "TH002");

    dm.SortMainByField(kMultiSelectedField);  // not a stored column
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "TH002");
    form.mode = TFormMode::Edit;
    dm.SortMainByField("TH029");
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "TH002");
    form.mode = TFormMode::Browse;
    dm.SortMainByField("TH029");
    dm.SortMainByField("");
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "TH002") << "back to the default order";
    EXPECT_EQ(dm.SortField, nullptr);
    EXPECT_THROW(dm.SortMainByField("NOSUCH"), plat::EDatabaseError);
    form.headSort = false;
    dm.SortMainByField("TH029");
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "TH002");
}

TEST_F(Single, TheSelectionColumnLeadsTheDesignedFields) {
    form.uiCodePage = "437";
    Open();
    plat::TField* selected = dm.cdsMain->Fields()[0];
    EXPECT_EQ(selected->FieldName(), kMultiSelectedField);
    EXPECT_EQ(dm.MultiSelectedField, selected);
    EXPECT_EQ(selected->DisplayLabel(), "Selected");
    EXPECT_FALSE(selected->Visible());
    EXPECT_EQ(form.selectionClears, 1);
    EXPECT_EQ(selected->DisplayText(), "N");
    form.gridSelected = true;
    EXPECT_EQ(selected->DisplayText(), "Y");
    dm.SetMultiSelectedVisible(true);
    EXPECT_TRUE(selected->Visible());
    EXPECT_EQ(dm.cdsMain->ControlType.back(), "MultiSelected;CheckBox;Y;N");

    DocForm chinese;
    DocModule other(&chinese, DocFields());
    other.cdsMain->SetProvider(&provider);
    other.cdsMain->Open();
    EXPECT_EQ(other.cdsMain->FieldByName(kMultiSelectedField)->DisplayLabel(), "选定");
}

// ---- small operations -------------------------------------------------------

TEST_F(Single, NumberKindsComboTextsAndPackets) {
    Open();
    dm.SetKindFields(3, "cdsBody1:TI007A,TI044");
    EXPECT_EQ(dm.GetFieldNumberKind("TI007", 9), dm.GetKindDecimals(3)) << "part of a longer name";
    EXPECT_EQ(dm.GetFieldNumberKind("TI099", 9), 9);

    dm.cdsMain->ControlType.push_back("TH007;CustomEdit;cboTH007");
    form.combos["cboTH007"] = {"NTD\t新台币", "USD\t美元"};
    std::string text;
    dm.GetComboItemText(dm.cdsMain, text, "美元", "TH007");
    EXPECT_EQ(text, "USD");
    dm.GetComboItemText(dm.cdsMain, text, "EUR", "TH007");
    EXPECT_EQ(text, "EUR");

    provider.Rows().push_back(DocRow("5901", "20240003", {}));
    dm.cdsMain->Close();
    dm.cdsMain->PacketRecords = 1;
    dm.cdsMain->Open();
    dm.FetchAllPackets(dm.cdsMain);
    EXPECT_EQ(dm.cdsMain->RecordCount(), 3);
    EXPECT_EQ(dm.cdsMain->RecNo(), 1);
}

}  // namespace
}  // namespace ktrb::test

#include "runtime/MT_Doc.h"

#include <gtest/gtest.h>

#include <memory>

#include "form_components.h"
#include "language_fixture.h"
#include "platform/component/properties.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/data/field.h"

using namespace ktrb;
using namespace ktrb::test;
using plat::TFieldType;

namespace {

// The field properties the settings write, where the data layer does not
// publish them itself.
void PublishFieldProperties() {
    if (plat::GetPropInfo(plat::TField::StaticClass(), "DisplayLabel")) return;
    plat::Publisher<plat::TField> p;
    p.Prop("DisplayLabel", &plat::TField::DisplayLabel, &plat::TField::SetDisplayLabel);
    p.Prop("Visible", &plat::TField::Visible, &plat::TField::SetVisible);
    p.Prop("Index", &plat::TField::Index, &plat::TField::SetIndex);
    p.Prop("DisplayWidth", &plat::TField::DisplayWidth, &plat::TField::SetDisplayWidth);
    p.Prop("Required", &plat::TField::Required, &plat::TField::SetRequired);
}

std::string Settings(const std::string& components, const std::string& grids = "") {
    return "<?xml version=\"1.0\" encoding=\"GB2312\"?><MT_User CompanyID=\"01\" "
           "ProgID=\"KTRB52\"><Components>" +
           components + "</Components>" + grids + "</MT_User>";
}

TEST(SettingRule, FalseOnlyForTheNoWords) {
    for (const char* no : {"n", "N", "no", "NO", "f", "F", "false", "False", "0"})
        EXPECT_FALSE(SettingIsTrue(no)) << no;
    for (const char* yes : {"", "Y", "1", "TRUE", "-1", "FA", "ALSE", "yes", " N", "00"})
        EXPECT_TRUE(SettingIsTrue(yes)) << yes;
}

class SettingsTest : public LanguageFixture {
  protected:
    SettingsTest() {
        PublishFieldProperties();
        form.SetName("frmKtrb52");
        pnlHead->SetName("pnlHead");
        pnlFoot->SetName("pnlFoot");
        pgHead->SetName("pgHead");
        for (const char* name : {"tsMain", "tsOther"}) {
            auto* page = new TTestTabSheet(&form);
            page->SetName(name);
            pgHead->Pages.push_back(page);
        }
        pgHead->Pages[1]->Caption = "其他";
        edit->SetName("edTH003");
        label->SetName("lblTH003");
        label->Caption = "单号";
    }

    TTestForm form;
    TTestPanel* pnlHead = new TTestPanel(&form);
    TTestPanel* pnlFoot = new TTestPanel(&form);
    TTestPageControl* pgHead = new TTestPageControl(&form);
    TTestEdit* edit = new TTestEdit(&form);
    TTestLabel* label = new TTestLabel(&form);
};

TEST_F(SettingsTest, PropertiesByKindOnControlsAndTheForm) {
    TMT_Doc doc(Settings(
        "<Component ID=\"frmKtrb52\"><Caption>委外进货</Caption></Component>"
        "<Component ID=\"edTH003\"><Visible>no</Visible><Width>120</Width><ReadOnly>Y</ReadOnly>"
        "<CharCase>ecLowerCase</CharCase></Component>"
        "<Component "
        "ID=\"lblTH003\"><DisplayLabel>单据号码</DisplayLabel><Visible></Visible></Component>"
        "<Component ID=\"edGone\"><Visible>N</Visible></Component>"));
    label->Visible = false;
    doc.ApplyToForm(&form);
    EXPECT_EQ(form.Caption, "委外进货");
    EXPECT_FALSE(edit->Visible);
    EXPECT_EQ(edit->Width, 120);
    EXPECT_TRUE(edit->ReadOnly);
    EXPECT_EQ(edit->CharCase, ecLowerCase);
    EXPECT_EQ(label->Caption, "单据号码");
    EXPECT_TRUE(label->Visible);  // an empty text is true
}

TEST_F(SettingsTest, BadSettingsAreSkippedWithALogLine) {
    TMT_Doc doc(Settings(
        "<Component ID=\"edTH003\"><Width>wide</Width><Colour>red</Colour><Height>30</Height>"
        "<Font>Arial</Font></Component>"));
    doc.ApplyToForm(&form);
    EXPECT_EQ(edit->Width, 100);
    EXPECT_EQ(edit->Height, 30);
    std::string log = AlertLog(kSettingsLog);
    EXPECT_NE(log.find("edTH003 Width=\"wide\""), std::string::npos) << log;
    EXPECT_NE(log.find("edTH003 Colour=\"red\": no such property"), std::string::npos) << log;
    EXPECT_NE(log.find("edTH003 Font=\"Arial\": a TFont takes no setting"), std::string::npos)
        << log;
}

TEST_F(SettingsTest, TextThatDoesNotParseLeavesTheEmptyDocument) {
    TMT_Doc doc("<MT_User><Components><Component ID=\"edTH003\"></MT_User>");
    ASSERT_TRUE(doc.RootNode);
    EXPECT_EQ(doc.RootNode.NodeName(), "MT_User");
    EXPECT_TRUE(doc.ComponentsNode);
    doc.ApplyToForm(&form);
    EXPECT_EQ(doc.GetComponentProperty("edTH003", "Visible"), kNoSetting);
    EXPECT_NE(AlertLog(kSettingsLog).find("do not parse"), std::string::npos);
}

TEST_F(SettingsTest, MissingComponentsElementIsAdded) {
    TMT_Doc doc("<MT_User CompanyID=\"01\"/>");
    ASSERT_TRUE(doc.ComponentsNode);
    EXPECT_EQ(doc.ComponentsNode.NodeName(), "Components");
    EXPECT_EQ(doc.RootNode.SelectNodes("Components").Length(), 1);
}

TEST_F(SettingsTest, ParentMovesControlsToPanelsAndPages) {
    TMT_Doc doc(
        Settings("<Component ID=\"edTH003\"><Parent>Header</Parent></Component>"
                 "<Component ID=\"lblTH003\"><Parent>单尾</Parent></Component>"));
    doc.ApplyToForm(&form);
    EXPECT_EQ(edit->Parent, pnlHead);
    EXPECT_EQ(label->Parent, pnlFoot);

    TMT_Doc pages(
        Settings("<Component ID=\"edTH003\"><Parent>其他</Parent></Component>"
                 "<Component ID=\"lblTH003\"><Parent>tsMain</Parent></Component>"));
    pages.ApplyToForm(&form);
    EXPECT_EQ(edit->Parent, pgHead->Pages[1]);
    EXPECT_EQ(label->Parent, pgHead->Pages[0]);
}

TEST_F(SettingsTest, ParentTextsFollowTheDisplayCodePage) {
    UseDemoTable();
    SetCodePages("950", "936");
    TCodeConverter converter;
    TMT_Doc doc(
        Settings("<Component ID=\"edTH003\"><Parent>單頭</Parent></Component>"
                 "<Component ID=\"lblTH003\"><Parent>单头</Parent></Component>"));
    doc.Converter = &converter;
    doc.ApplyToForm(&form);
    EXPECT_EQ(edit->Parent, pnlHead);
    // Texts are converted for display before they are compared.
    EXPECT_EQ(label->Parent, pnlHead);
}

TEST_F(SettingsTest, MissingPanelKeepsTheControlWhereItIs) {
    delete pnlFoot;
    edit->Parent = pnlHead;
    TMT_Doc doc(Settings("<Component ID=\"edTH003\"><Parent>Tail</Parent></Component>"));
    doc.ApplyToForm(&form);
    EXPECT_EQ(edit->Parent, pnlHead);
    EXPECT_NE(AlertLog(kSettingsLog).find("no pnlFoot"), std::string::npos);
}

TEST_F(SettingsTest, DCVisibleHidesTabsOfSheetsAndOtherControls) {
    TMT_Doc doc(
        Settings("<Component ID=\"tsOther\"><DCVisible>N</DCVisible></Component>"
                 "<Component ID=\"edTH003\"><DCVisible>FALSE</DCVisible></Component>"));
    doc.ApplyToForm(&form);
    EXPECT_FALSE(pgHead->Pages[1]->TabVisible);
    EXPECT_TRUE(pgHead->Pages[1]->Visible);
    EXPECT_FALSE(edit->Visible);
}

TEST_F(SettingsTest, ReadersOfSingleSettings) {
    TMT_Doc doc(
        Settings("<Component ID=\"edTH003\"><Required>-1</Required></Component>"
                 "<Component ID=\"cboTH010\"><Required>-1</Required></Component>"
                 "<Component ID=\"edTH004\"><Required>0</Required></Component>"
                 "<Component ID=\"it's\"><Caption>quoted</Caption></Component>",
                 "<gdBody1><Field "
                 "ID=\"TI004\"><ControlType>Combo</ControlType><Required>-1</Required></Field>"
                 "</gdBody1>"));
    EXPECT_EQ(doc.GetComponentIDs("Components/*[Required='-1']"), "TH003,TH010");
    EXPECT_EQ(doc.GetComponentIDs("gdBody1/*[Required='-1']"), "TI004");
    EXPECT_EQ(doc.GetComponentProperty("edTH003", "Required"), "-1");
    EXPECT_EQ(doc.GetComponentProperty("edTH999", "Required"), kNoSetting);
    EXPECT_EQ(doc.GetComponentProperty("edTH003", "Caption"), kNoSetting);
    EXPECT_EQ(doc.GetComponentProperty("it's", "Caption"), "quoted");
    EXPECT_EQ(doc.GetComponentProperty("x') or ('1'='1", "Caption"), kNoSetting);
    EXPECT_EQ(doc.GetFieldProperty("gdBody1", "TI004", "ControlType"), "Combo");
    EXPECT_EQ(doc.GetFieldProperty("gdBody1", "TI005", "ControlType"), kNoSetting);
    EXPECT_EQ(doc.GetFieldProperty("gdBody1/..", "TI004", "ControlType"), kNoSetting);
}

TEST_F(SettingsTest, ChildNodesAreCreatedOnRequest) {
    TMT_Doc doc;
    plat::XmlNode c = doc.GetChildByID(doc.ComponentsNode, "Component", "edTH003", true);
    EXPECT_EQ(c.GetAttribute("ID"), "edTH003");
    EXPECT_EQ(doc.GetChildByID(doc.ComponentsNode, "Component", "edTH003", true), c);
    plat::XmlNode v = doc.GetChildNode(c, "Visible", true);
    EXPECT_EQ(v.NodeName(), "Visible");
    EXPECT_FALSE(doc.GetChildNode(c, "Caption", false));
    EXPECT_THROW(doc.GetChildNode(c, "Bad[", false), plat::EXmlError);
}

// ---- Grids and data --------------------------------------------------------------

class GridSettingsTest : public SettingsTest {
  protected:
    GridSettingsTest() {
        for (const char* name : {"TI001", "TI002", "TI003", "TI004", "UDF01", "UDF02"})
            cds.FieldDefs().Add(name, TFieldType::ftString, 20);
        cds.FieldDefs().Add("TI099", TFieldType::ftMemo);
        cds.CreateDataSet();
        ds.SetDataSet(&cds);
        grid->SetName("gdBody1");
        grid->DataSource = &ds;
    }
    plat::TField* F(const char* name) { return cds.FieldByName(name); }

    plat::TClientDataSet cds;
    plat::TDataSource ds;
    TTestGrid* grid = new TTestGrid(&form);
};

TEST_F(GridSettingsTest, FieldsTakeLabelsVisibilityAndColumnOrder) {
    TMT_Doc doc(
        Settings("",
                 "<gdBody1>"
                 "<Field ID=\"TI003\"><DisplayLabel>数量</DisplayLabel><Index>6</Index></Field>"
                 "<Field ID=\"TI004\"><Visible>N</Visible></Field>"
                 "<Field ID=\"TI002\"><Index>10</Index></Field>"
                 "<Field ID=\"TI001\"><Index>1</Index></Field>"
                 "</gdBody1>"));
    doc.ApplyGridColumns(grid);
    EXPECT_EQ(F("TI003")->DisplayLabel(), "数量");
    EXPECT_FALSE(F("TI004")->Visible());
    // The Index texts apply in the order 1, 10, 6: TI003 ends after TI002.
    std::vector<std::string> order;
    for (plat::TField* f : cds.Fields()) order.push_back(f->FieldName());
    EXPECT_EQ(order, (std::vector<std::string>{"TI004", "TI001", "UDF01", "UDF02", "TI099", "TI002",
                                               "TI003"}));
}

TEST_F(GridSettingsTest, MemoFieldsTakeOnlyTheirPlace) {
    TMT_Doc doc(
        Settings("",
                 "<gdBody1><Field ID=\"TI099\"><DisplayLabel>备注</DisplayLabel><Index>0</Index>"
                 "</Field></gdBody1>"));
    doc.ApplyGridColumns(grid);
    EXPECT_EQ(F("TI099")->DisplayLabel(), "TI099");
    EXPECT_EQ(F("TI099")->Index(), 0);
}

TEST_F(GridSettingsTest, GridWithoutSettingsOrDataIsLeftAlone) {
    TMT_Doc doc(
        Settings("", "<gdOther><Field ID=\"TI001\"><Visible>N</Visible></Field></gdOther>"));
    doc.ApplyGridColumns(grid);
    EXPECT_TRUE(F("TI001")->Visible());
    grid->DataSource = nullptr;
    TMT_Doc mine(
        Settings("", "<gdBody1><Field ID=\"TI001\"><Visible>N</Visible></Field></gdBody1>"));
    mine.ApplyGridColumns(grid);
    EXPECT_TRUE(F("TI001")->Visible());
}

TEST_F(GridSettingsTest, UserDefinedComboDefaultsGoIntoVisibleFields) {
    F("UDF02")->SetVisible(false);
    F("TI001")->SetReadOnly(true);
    cds.Append();
    TMT_Doc doc(Settings(
        "",
        "<gdBody1>"
        "<Field ID=\"UDF01\"><ControlType>Combo</ControlType><DefaultText>A1</DefaultText></Field>"
        "<Field ID=\"UDF02\"><ControlType>Combo</ControlType><DefaultText>B1</DefaultText></Field>"
        "<Field ID=\"UDF03\"><ControlType>Combo</ControlType><DefaultText>C1</DefaultText></Field>"
        "<Field ID=\"TI001\"><ControlType>Combo</ControlType><DefaultText>X</DefaultText></Field>"
        "</gdBody1>"));
    doc.ApplyUDFComboDefaults(grid);
    EXPECT_EQ(F("UDF01")->AsString(), "A1");
    EXPECT_EQ(F("UDF02")->AsString(), "");
    EXPECT_EQ(F("TI001")->AsString(), "");
}

TEST_F(GridSettingsTest, ComboDefaultsOfTheFormOnlyForShownCombos) {
    auto combo = [&](const char* name, const char* field, int left, bool visible) {
        auto* c = new TTestWWComboBox(&form);
        c->SetName(name);
        c->DataField = field;
        c->DataSource = &ds;
        c->Left = left;
        c->Visible = visible;
        return c;
    };
    combo("cboUDF01", "UDF01", 10, true);
    combo("cboUDF02", "UDF02", 0, true);
    combo("cboTI002", "TI002", 10, false);
    F("UDF01")->SetReadOnly(true);
    cds.Append();
    TMT_Doc doc(
        Settings("<Component ID=\"cboUDF01\"><DefaultText>甲</DefaultText></Component>"
                 "<Component ID=\"cboUDF02\"><DEFAULTTEXT>乙</DEFAULTTEXT></Component>"
                 "<Component ID=\"cboTI002\"><DefaultText>丙</DefaultText></Component>"));
    doc.ApplyDefaultValues(&form);
    EXPECT_EQ(F("UDF01")->AsString(), "甲");
    EXPECT_TRUE(F("UDF01")->ReadOnly());
    EXPECT_EQ(F("UDF02")->AsString(), "");
    EXPECT_EQ(F("TI002")->AsString(), "");
}

TEST_F(GridSettingsTest, ComboItemsOfUserDefinedCombos) {
    auto* udf = new TTestWWComboBox(&form);
    udf->SetName("cboUDF01");
    auto* other = new TTestWWComboBox(&form);
    other->SetName("cboTI002");
    TMT_Doc doc;
    doc.ApplyProperty(udf, "Items", "A\r\n甲");
    doc.ApplyProperty(other, "Items", "A\r\n甲");
    EXPECT_EQ(udf->Items(), (std::vector<std::string>{"A\t甲"}));
    EXPECT_TRUE(other->Items().empty());
}

}  // namespace

#include "runtime/LanguageController.h"

#include <gtest/gtest.h>

#include "form_components.h"
#include "language_fixture.h"
#include "platform/component/properties.h"

using namespace ktrb;
using namespace ktrb::test;
using plat::Variant;

namespace {

class LangMessageTest : public LanguageFixture {};

TEST_F(LangMessageTest, ReadsTheMessageOfTheCurrentLanguage) {
    WritePackage("CHS", "TdmRadical",
                 "<TdmRadical><sCompany Msg=\"公司代号\"/><sUser Msg=\"用户\"/></TdmRadical>");
    EXPECT_EQ(LangMessage(false, "TdmRadical", "sCompany", "公司编号"), "公司代号");
    EXPECT_EQ(LangMessage(false, "TdmRadical", "sCreator", "创建者"), "创建者");
    EXPECT_EQ(LangMessage(false, "TdmOther", "sCompany", "公司编号"), "公司编号");

    SetCodePages("437", "936");
    WritePackage("ENG", "TdmRadical", "<TdmRadical><sCompany Msg=\"Company\"/></TdmRadical>");
    EXPECT_EQ(LangMessage(false, "TdmRadical", "sCompany", "公司编号"), "Company");
}

TEST_F(LangMessageTest, AnyFailureGivesTheDefault) {
    WritePackage("CHS", "TdmBroken", "<TdmBroken><sCompany Msg=\"x\"></TdmBroken>");
    EXPECT_EQ(LangMessage(false, "TdmBroken", "sCompany", "公司编号"), "公司编号");
    WritePackage("CHS", "TdmRadical",
                 "<TdmRadical><sCompany Msg=\"公司代号\"/><a><b Msg=\"inner\"/></a></TdmRadical>");
    // An id is a name, never a piece of a path.
    EXPECT_EQ(LangMessage(false, "TdmRadical", "a/b", "dflt"), "dflt");
    EXPECT_EQ(LangMessage(false, "TdmRadical", "*", "dflt"), "dflt");
    EXPECT_EQ(LangMessage(false, "TdmRadical", "", "dflt"), "dflt");
}

TEST_F(LangMessageTest, ServerFlagReadsTheServerFolder) {
    WritePackage("CHS", "TdmRadical", "<r><sCompany Msg=\"client\"/></r>");
    WritePackage("CHS", "TdmRadical", "<r><sCompany Msg=\"server\"/></r>", true);
    EXPECT_EQ(LangMessage(false, "TdmRadical", "sCompany", ""), "client");
    EXPECT_EQ(LangMessage(true, "TdmRadical", "sCompany", ""), "server");
}

TEST_F(LangMessageTest, FolderByInterfaceCodePage) {
    WritePackage("CHT", "X", "<X/>");
    SetCodePages("950", "936");
    EXPECT_EQ(LanguageFolder(false), inst.client() + "MultiLanguage/CHT/");
    SetCodePages("936", "936");
    EXPECT_EQ(LanguageFolder(false), "");  // no CHS folder on disk
    SetCodePages("1252", "936");
    EXPECT_EQ(LanguageFolder(false), "");
    EXPECT_EQ(LangMessage(false, "X", "sAny", "默认"), "默认");
}

// ---- Applying packages ----------------------------------------------------------

class LangReaderTest : public LanguageFixture {
  protected:
    LangReaderTest() {
        form.SetName("frmTest");
        btnOK->SetName("btnOK");
        cbo->SetName("cboKind");
        grid->SetName("gdBody1");
        lv->SetName("lvList");
        tv->SetName("tvTree");
        ed->SetName("edtCode");
        cbo->SetItems({"甲", "乙"});
        cbo->SetItemIndex(1);
        for (int i = 0; i < 3; ++i) grid->Columns.Add();
        lv->Columns.Add();
        lv->Columns.Add();
        lv->AddItem("一");
        lv->AddItem("二");
        for (const char* n : {"根", "枝", "叶"}) tv->AddNode(n);
    }

    // Applies a package text to the form through an open controller.
    void Apply(const std::string& xml, std::vector<std::string> exclude = {}) {
        TQvLangController ctl(&form);
        ctl.SetPackageText(xml);
        ctl.SetExcludeControls(exclude);
        ctl.SetActive(true);
        ctl.GetLangReader().LoadComponent(&form);
    }

    TTestForm form;
    TTestButton* btnOK = new TTestButton(&form);
    TTestComboBox* cbo = new TTestComboBox(&form);
    TTestGrid* grid = new TTestGrid(&form);
    TTestListView* lv = new TTestListView(&form);
    TTestTreeView* tv = new TTestTreeView(&form);
    TTestEdit* ed = new TTestEdit(&form);
};

TEST_F(LangReaderTest, ComponentElementSetsItsPropertiesFirstElementWins) {
    Apply(
        "<TfrmTest Caption=\"Receipt\"><btnOK Caption=\"OK\" Hint=\"Save\"/>"
        "<x><btnOK Caption=\"Second\"/></x><frmTest Hint=\"form hint\"/></TfrmTest>");
    EXPECT_EQ(btnOK->Caption, "OK");
    EXPECT_EQ(btnOK->Hint, "Save");
    // A form takes the document element's attributes and its own element's.
    EXPECT_EQ(form.Caption, "Receipt");
    EXPECT_EQ(form.Hint, "form hint");
}

TEST_F(LangReaderTest, ItemLineJustPastTheEndAppendsAndKeepsTheSelection) {
    Apply("<r><cboKind Items_0=\"一\" Items_2=\"三\"/></r>");
    EXPECT_EQ(cbo->Items(), (std::vector<std::string>{"一", "乙", "三"}));
    EXPECT_EQ(cbo->ItemIndex(), 1);
}

TEST_F(LangReaderTest, ItemLineFarPastTheEndIsRefusedAndLogged) {
    Apply("<r><cboKind Items_3=\"D\" Items_999999999=\"x\" Items_1=\"二\"/></r>");
    EXPECT_EQ(cbo->Items(), (std::vector<std::string>{"甲", "二"}));
    std::string log = AlertLog(kLanguageLog);
    EXPECT_NE(log.find("cboKind Items_3=\"D\" not applied"), std::string::npos) << log;
    EXPECT_NE(log.find("cboKind Items_999999999=\"x\" not applied"), std::string::npos) << log;
}

TEST_F(LangReaderTest, CollectionItemsAreEnteredByTheirPropertyName) {
    Apply(
        "<r><gdBody1 Columns.Items_1.Title.Caption=\"Item\" "
        "Columns.Items_7.Title.Caption=\"None\"/></r>");
    EXPECT_EQ(grid->Columns.Column(1)->Title.Caption, "Item");
    EXPECT_EQ(grid->Columns.Column(0)->Title.Caption, "");
    EXPECT_EQ(grid->Columns.Column(2)->Title.Caption, "");
}

TEST_F(LangReaderTest, ListViewAndTreeViewItemsByIndex) {
    Apply(
        "<r><lvList Items_1.Caption=\"Two\" Columns_0.Caption=\"No.\"/><tvTree "
        "Items_2.Text=\"Leaf\"/></r>");
    EXPECT_EQ(lv->Item(1)->Caption, "Two");
    EXPECT_EQ(lv->Item(0)->Caption, "一");
    EXPECT_EQ(lv->Columns.Column(0)->Caption, "No.");
    EXPECT_EQ(tv->Node(2)->Text, "Leaf");
}

TEST_F(LangReaderTest, IdentifiersAndNumbersOfIntegerTypes) {
    Apply(
        "<r><btnOK Font.Charset=\"GB2312_CHARSET\" Font.Color=\"clRed\"/><edtCode "
        "Font.Charset=\"136\"/></r>");
    EXPECT_EQ(btnOK->Font.Charset, 134);
    EXPECT_EQ(btnOK->Font.Color, kClRed);
    EXPECT_EQ(ed->Font.Charset, 136);
}

TEST_F(LangReaderTest, AttributesThatDoNotFitAreSkippedAndLogged) {
    Apply("<r><btnOK Foo.Bar=\"x\" Width=\"wide\" Caption=\"OK\" Visible=\" False \"/></r>");
    EXPECT_EQ(btnOK->Caption, "OK");
    EXPECT_EQ(btnOK->Width, 100);
    EXPECT_FALSE(btnOK->Visible);  // the enumeration's identifier, trimmed
    std::string log = AlertLog(kLanguageLog);
    EXPECT_NE(log.find("btnOK Width=\"wide\" not applied"), std::string::npos) << log;
    EXPECT_NE(log.find("btnOK Foo.Bar=\"x\" not applied"), std::string::npos) << log;
}

TEST_F(LangReaderTest, ExcludedComponentKeepsItsTextsButItsChildrenDoNot) {
    auto* inner = new TTestLabel(ed);
    inner->SetName("lblInner");
    Apply("<r><edtCode Hint=\"code\"/><lblInner Caption=\"inner\"/></r>", {" edtCode "});
    ed->SetName("EDTCODE");
    EXPECT_EQ(ed->Hint, "");
    EXPECT_EQ(inner->Caption, "inner");
    Apply("<r><EDTCODE Hint=\"code\"/></r>", {" edtCode "});
    EXPECT_EQ(ed->Hint, "");
}

TEST_F(LangReaderTest, DataModuleTakesTheDocumentElement) {
    TTestDataModule dm;
    dm.SetName("dmTest");
    TQvLangController ctl;
    ctl.SetPackageText("<TdmTest Tag=\"7\"/>");
    ctl.SetActive(true);
    ctl.GetLangReader().LoadComponent(&dm);
    EXPECT_EQ(dm.Tag, 7);
}

TEST_F(LangReaderTest, LoadEventsSurroundEachNode) {
    TQvLangController ctl;
    std::vector<std::string> seen;
    ctl.BeforeLoadComponent = TLoadComponentEvent([&](plat::TComponent* c, const plat::XmlNode& n) {
        seen.push_back("before " + c->Name() + " " + n.NodeName());
    });
    ctl.AfterLoadComponent = TLoadComponentEvent(
        [&](plat::TComponent* c, const plat::XmlNode&) { seen.push_back("after " + c->Name()); });
    ctl.SetPackageText("<r><btnOK Caption=\"OK\"/></r>");
    ctl.SetActive(true);
    ctl.GetLangReader().LoadComponent(btnOK);
    EXPECT_EQ(seen, (std::vector<std::string>{"before btnOK btnOK", "after btnOK"}));
}

TEST_F(LangReaderTest, ReadAttributeByPositionOrName) {
    plat::XmlDocument doc;
    doc.LoadXML("<btnOK Caption=\"A\" Hint=\"B\"/>");
    TComponentRead reader(btnOK, doc.DocumentElement());
    reader.ReadAttribute(Variant(1));
    EXPECT_EQ(btnOK->Hint, "B");
    EXPECT_EQ(btnOK->Caption, "");
    reader.ReadAttribute(Variant("Caption"));
    EXPECT_EQ(btnOK->Caption, "A");
    reader.ReadAttribute(Variant(2.0));  // neither a position nor a name
    std::vector<std::string> handled;
    reader.OnReadAttribute = [&](const plat::XmlNode& a) { handled.push_back(a.NodeName()); };
    reader.ReadAllAttributes();
    EXPECT_EQ(handled, (std::vector<std::string>{"Caption", "Hint"}));
}

// ---- The controller ---------------------------------------------------------------

class LangControllerTest : public LanguageFixture {};

TEST_F(LangControllerTest, OpeningFailures) {
    TQvLangController ctl;
    try {
        ctl.SetActive(true);
        FAIL();
    } catch (const LanguageControllerError& e) {
        EXPECT_STREQ(e.what(), "Cannot Find File !");
    }
    EXPECT_THROW(ctl.GetLangReader(), LanguageControllerError);
    ctl.SetPackageText("<r><unclosed></r>");
    EXPECT_THROW(ctl.SetActive(true), LanguageControllerError);
    EXPECT_FALSE(ctl.Active());
    try {
        ctl.GetLangReader();
        FAIL();
    } catch (const LanguageControllerError& e) {
        EXPECT_STREQ(e.what(), "No active LanguageController!");
    }
}

TEST_F(LangControllerTest, PackageNameChoosesTheFileAndCloses) {
    WritePackage("CHS", "TfrmBase", "<TfrmBase Caption=\"base\"/>");
    TQvLangController ctl;
    int closes = 0;
    ctl.AfterClose = plat::TNotifyEvent([&](plat::TObject*) { ++closes; });
    ctl.SetLangPackageName("TfrmBase");
    EXPECT_EQ(ctl.FileName(), PackageFile("CHS", "TfrmBase"));
    ctl.SetActive(true);
    EXPECT_TRUE(ctl.Active());
    ctl.SetLangPackageName("TfrmBase");
    EXPECT_TRUE(ctl.Active());
    ctl.SetLangPackageName("TfrmSingle");
    EXPECT_FALSE(ctl.Active());
    EXPECT_EQ(closes, 1);

    ctl.DesignType = dtServer;
    WritePackage("CHS", "TfrmBase", "<TfrmBase/>", true);
    ctl.SetLangPackageName("TfrmBase");
    EXPECT_EQ(ctl.FileName(), PackageFile("CHS", "TfrmBase", true));
}

TEST_F(LangControllerTest, WhileLoadingActiveIsOnlyStored) {
    TQvLangController ctl;
    ctl.BeginLoading();
    plat::SetPropValue(&ctl, "Active", Variant(true));
    ctl.SetPackageText("<r/>");
    EXPECT_FALSE(ctl.Active());
    ctl.Loaded();
    EXPECT_TRUE(ctl.Active());
}

TEST_F(LangControllerTest, ExclusionsReachTheOpenReader) {
    TQvLangController ctl;
    ctl.SetPackageText("<r/>");
    ctl.SetActive(true);
    plat::SetStringsProp(&ctl, "ExcludeControls", {"btnOK"});
    ASSERT_EQ(ctl.GetLangReader().ExcludeControls.Count(), 1);
    EXPECT_EQ(ctl.GetLangReader().ExcludeControls[0], "btnOK");
}

TEST_F(LangControllerTest, PackagesOfTheClassChainApplyInOrderBadOnesAreSkipped) {
    TTestForm form;
    auto* btn = new TTestButton(&form);
    btn->SetName("btnOK");
    WritePackage("CHS", "TfrmRadical",
                 "<TfrmRadical Caption=\"root\"><btnOK Caption=\"root ok\" Hint=\"root "
                 "hint\"/></TfrmRadical>");
    WritePackage("CHS", "TfrmBase", "<TfrmBase><btnOK Caption=\"</TfrmBase>");
    WritePackage("CHS", "TfrmKtrb52", "<TfrmKtrb52><btnOK Caption=\"own ok\"/></TfrmKtrb52>");
    TQvLangController ctl(&form);
    ctl.ApplyPackages(&form, {"TfrmRadical", "TfrmBase", "TfrmSingle", "TfrmKtrb52"});
    EXPECT_EQ(form.Caption, "root");
    EXPECT_EQ(btn->Caption, "own ok");
    EXPECT_EQ(btn->Hint, "root hint");
    EXPECT_NE(AlertLog(kLanguageLog).find("TfrmBase.Lng"), std::string::npos);
    EXPECT_TRUE(ctl.Active());  // stays open on the last package
}

TEST(TrySetPropByPath, ResultsByCase) {
    TTestButton b;
    EXPECT_TRUE(TrySetPropByPath(&b, "Font.Name", Variant("Tahoma")));
    EXPECT_EQ(b.Font.Name, "Tahoma");
    EXPECT_TRUE(TrySetPropByPath(&b, "Font.Charset", Variant(134)));
    EXPECT_EQ(b.Font.Charset, 134);
    EXPECT_TRUE(TrySetPropByPath(&b, "NoSuchProperty", Variant("x")));
    EXPECT_FALSE(TrySetPropByPath(&b, "NoSuch.Name", Variant("x")));
    EXPECT_FALSE(TrySetPropByPath(&b, "Width", Variant("wide")));
    EXPECT_TRUE(TrySetPropByPath(&b, "Color", Variant("clRed")));
    EXPECT_EQ(b.Color, kClRed);
    TTestComboBox c;
    EXPECT_TRUE(TrySetPropByPath(&c, "Style", Variant(2)));
    EXPECT_EQ(c.Style, csDropDownList);
    EXPECT_TRUE(TrySetPropByPath(&c, "Style", Variant(" csSimple ")));
    EXPECT_EQ(c.Style, csSimple);
    EXPECT_FALSE(TrySetPropByPath(nullptr, "Caption", Variant("x")));
}

}  // namespace

#include "runtime/CodeConverter.h"

#include <gtest/gtest.h>

#include "form_components.h"
#include "language_fixture.h"
#include "platform/component/properties.h"

using namespace ktrb;
using namespace ktrb::test;
using plat::Variant;

namespace {

// Converters under chosen settings, with the demo conversion tables.
class ConverterTest : public LanguageFixture {
  protected:
    ConverterTest() { UseDemoTable(); }
    void Settings(const std::string& ui, const std::string& db, const std::string& windows) {
        SetCodePages(ui, db);
        windows_.emplace("KTRB_ANSI_CODEPAGE", windows);
    }

  private:
    std::optional<EnvGuard> windows_;
};

TEST_F(ConverterTest, TraditionalInterfaceOnSimplifiedDatabase) {
    Settings("950", "936", "950");
    TCodeConverter cv;
    EXPECT_EQ(cv.DisplayMode(), 2);
    EXPECT_EQ(cv.DBMode(), 2);
    EXPECT_EQ(cv.ConvertDBToUI(Variant("资料数量")).AsString(), "資料數量");
    EXPECT_EQ(cv.ConvertUIToDB(Variant("資料數量")).AsString(), "资料数量");
    EXPECT_EQ(cv.ConvertToUI(Variant("单头")).AsString(), "單頭");
    EXPECT_EQ(cv.ConvertFromUI(Variant("單頭")).AsString(), "单头");
}

// The data are converted both ways although the display is not.
TEST_F(ConverterTest, SimplifiedInterfaceOnTraditionalDatabaseConvertsTheData) {
    Settings("936", "950", "936");
    TCodeConverter cv;
    EXPECT_EQ(cv.DisplayMode(), 0);
    EXPECT_EQ(cv.DBMode(), 1);
    EXPECT_EQ(cv.ConvertDBToUI(Variant("資料數量")).AsString(), "资料数量");
    EXPECT_EQ(cv.ConvertUIToDB(Variant("资料数量")).AsString(), "資料數量");
    EXPECT_EQ(cv.ConvertToUI(Variant("单头")).AsString(), "单头");

    TTestForm form;
    form.Caption = "单头";
    cv.ConvertForm(&form, "", true);
    EXPECT_EQ(form.Caption, "单头");
}

// Common characters whose listed traditional forms start outside Big5.
TEST_F(ConverterTest, CommonCharactersReachTheirBig5Forms) {
    Settings("950", "936", "950");
    TCodeConverter cv;
    EXPECT_EQ(cv.GBToBig5("开启 为 伪 众 着 叁 钵 硷"), "開啟 為 偽 眾 著 參 缽 鹼");
}

TEST_F(ConverterTest, SameCodePagesCopy) {
    Settings("936", "936", "936");
    TCodeConverter cv;
    EXPECT_FALSE(cv.HasTranslator());
    EXPECT_EQ(cv.ConvertDBToUI(Variant("资料")).AsString(), "资料");
    EXPECT_EQ(cv.GBToBig5("资料"), "资料");
}

TEST_F(ConverterTest, CharactersOutsideTheCodePagePassThrough) {
    Settings("950", "936", "950");
    TCodeConverter cv;
    EXPECT_EQ(cv.GBToBig5("资料 ✓ é 😀 数"), "資料 ✓ é 😀 數");
    EXPECT_EQ(cv.Big5ToGB(""), "");
    EXPECT_EQ(cv.GBToBig5(std::string("A\xff"
                                      "B")),
              std::string("A\xff"
                          "B"));
}

TEST_F(ConverterTest, VariantsByKind) {
    Settings("950", "936", "950");
    TCodeConverter cv;
    Variant twelve = cv.ConvertVariant(kGBToBig5, Variant(12));
    EXPECT_TRUE(twelve.IsText());
    EXPECT_EQ(twelve.AsString(), "12");
    EXPECT_TRUE(cv.ConvertVariant(kGBToBig5, Variant::Null()).IsNull());
    EXPECT_EQ(cv.ConvertVariant(3, Variant(12)).Type(), plat::VarType::Integer);

    Variant one = Variant::ArrayOf(
        {Variant("资料"), Variant::Null(), Variant(5), Variant::ArrayOf({Variant("数量")})});
    Variant got = cv.ConvertVariant(kGBToBig5, one);
    EXPECT_EQ(got[0].AsString(), "資料");
    EXPECT_TRUE(got[1].IsNull());  // a null key value stays null
    EXPECT_EQ(got[2].AsString(), "5");
    EXPECT_EQ(got[3][0].AsString(), "數量");

    Variant two = Variant::CreateArray({0, 1, 0, 1});
    two.At(0, 0) = "资料";
    two.At(1, 1) = "数量";
    Variant got2 = cv.ConvertVariant(kGBToBig5, two);
    EXPECT_EQ(got2.At(0, 0).AsString(), "資料");
    EXPECT_EQ(got2.At(1, 1).AsString(), "數量");
    EXPECT_TRUE(got2.At(0, 1).IsEmpty());
}

TEST_F(ConverterTest, MissingConversionLibraryFailsTheConstruction) {
    Settings("950", "936", "950");
    UnregisterConversionLibrary(kTranslatorLibrary);
    EXPECT_THROW(TCodeConverter cv, plat::Exception);
    RegisterConversionLibrary(kTranslatorLibrary,
                              {[](const std::string& s, std::string& r) { r = GbToBig5Text(s); },
                               [](const std::string& s, std::string& r) { r = Big5ToGbText(s); }});
    TCodeConverter cv;
    EXPECT_EQ(cv.GBToBig5("资料"), "資料");
}

// ---- Forms ----------------------------------------------------------------------

class FormConversionTest : public ConverterTest {
  protected:
    FormConversionTest() {
        form.SetName("frmTest");
        form.Caption = "委外进货单";
        form.Hint = "单头";
        lbl->SetName("lblTitle");
        lbl->Caption = "单头";
        lbl->Hint = "单头";
        ed->SetName("edtName");
        ed->SetText("资料");
        cbo->SetName("cboKind");
        cbo->SetItems({"数量", "单价"});
        memo->SetName("memNote");
        memo->Lines.Add("说明");
        sb->SetName("sbStatus");
        sb->Panels.Add();
        sb->Panels.Panel(0)->Text = "单头笔数";
        grid->SetName("gdBody1");
    }

    TTestForm form;
    TTestLabel* lbl = new TTestLabel(&form);
    TTestEdit* ed = new TTestEdit(&form);
    TTestComboBox* cbo = new TTestComboBox(&form);
    TTestMemo* memo = new TTestMemo(&form);
    TTestStatusBar* sb = new TTestStatusBar(&form);
    TTestGrid* grid = new TTestGrid(&form);
    FakeConverterUi ui;
};

TEST_F(FormConversionTest, TraditionalDisplayConvertsTextsFontsAndStyles) {
    Settings("950", "936", "950");
    TCodeConverter cv;
    cv.ConvertForm(&form, "", true);
    EXPECT_EQ(form.Caption, "委外進貨單");
    EXPECT_EQ(form.Hint, "單頭");
    EXPECT_EQ(lbl->Caption, "單頭");
    EXPECT_EQ(lbl->Hint, "單頭");
    EXPECT_EQ(ed->Text(), "資料");
    EXPECT_EQ(cbo->Items(), (std::vector<std::string>{"數量", "單價"}));
    EXPECT_EQ(memo->Lines[0], "說明");
    EXPECT_EQ(sb->Panels.Panel(0)->Text, "單頭筆數");
    EXPECT_EQ(lbl->Font.Name, "SimSun");
    EXPECT_EQ(lbl->Font.Charset, kBig5Charset);
    EXPECT_EQ(grid->TitleFont.Charset, kBig5Charset);
    EXPECT_EQ(ui.menuFont.Charset, kBig5Charset);
    EXPECT_EQ(ui.showHintWrites, 2);
    EXPECT_TRUE(ui.showHint);
    EXPECT_EQ(cbo->Style, csOwnerDrawFixed);
    EXPECT_EQ(cbo->ItemIndex(), 0);  // a combo with items gets a selection
}

TEST_F(FormConversionTest, SimplifiedDisplayOnTraditionalWindowsChangesFontsAndStylesOnly) {
    Settings("936", "936", "950");
    auto* lb = new TTestListBox(&form);
    auto* menu = new TTestPopupMenu(&form);
    cbo->SetItemIndex(1);
    TCodeConverter cv;
    EXPECT_EQ(cv.DisplayMode(), 4);
    cv.ConvertForm(&form, "", true);
    EXPECT_EQ(form.Caption, "委外進貨單");  // the window text, for the Big5 system
    EXPECT_EQ(lbl->Caption, "单头");
    EXPECT_EQ(ed->Text(), "资料");
    EXPECT_EQ(lbl->Font.Name, "SimSun");
    EXPECT_EQ(lbl->Font.Charset, kGB2312Charset);
    EXPECT_EQ(cbo->Style, csOwnerDrawVariable);
    EXPECT_EQ(cbo->ItemIndex(), 1);
    EXPECT_EQ(lb->Style, lbOwnerDrawFixed);
    EXPECT_TRUE(menu->OwnerDraw);
}

TEST_F(FormConversionTest, ClassConversionsOfTheTraditionalDisplay) {
    Settings("950", "936", "950");
    auto* lv = new TTestListView(&form);
    lv->Columns.Add();
    lv->Columns.Add();
    lv->Columns.Column(0)->Caption = "单号";
    lv->AddItem("资料", {"数量", "单价"});
    auto* tv = new TTestTreeView(&form);
    tv->AddNode("单头");
    auto* tabs = new TTestTabSet(&form);
    tabs->Tabs = {"单头", "单身"};
    tabs->TabIndex = 1;
    auto* nav = new TTestNavigator(&form);
    nav->Hints = {"单头"};
    auto* sp = new TTestSelectPanel(&form);
    sp->HintWord = "区间选择";
    sp->BeginWords = {"起"};
    sp->ChildHints = {"单头"};
    sp->ListView->Columns.Add();
    sp->ListView->AddItem("资料");
    auto* cells = new TTestCellGrid(&form);
    cells->SetCell(1, 1, "资料");

    TCodeConverter cv;
    cv.ConvertForm(&form, "", false);
    EXPECT_EQ(lv->Columns.Column(0)->Caption, "單號");
    EXPECT_EQ(lv->Item(0)->Caption, "資料");
    // Column 1 converts sub-item 0; there is no column for sub-item 1.
    EXPECT_EQ(lv->Item(0)->SubItems, (std::vector<std::string>{"數量", "单价"}));
    EXPECT_EQ(tv->Node(0)->Text, "單頭");
    EXPECT_EQ(tabs->Tabs, (std::vector<std::string>{"單頭", "單身"}));
    EXPECT_EQ(tabs->TabIndex, 1);
    EXPECT_EQ(nav->Hints[0], "單頭");
    EXPECT_EQ(sp->HintWord, "區間選擇");
    EXPECT_EQ(sp->BeginWords[0], "起");
    EXPECT_EQ(sp->ChildHints[0], "單頭");
    EXPECT_EQ(sp->ListView->Item(0)->Caption, "資料");
    EXPECT_EQ(cells->Cell(1, 1), "资料");  // grids only when asked

    cv.ConvertForm(&form, "", true);
    EXPECT_EQ(cells->Cell(1, 1), "資料");
}

TEST_F(FormConversionTest, AlignGridCellsHintsFontsAndEditorItems) {
    Settings("950", "936", "950");
    auto* g = new TTestAlignGrid(&form);
    g->SetSize(2, 2);
    g->SetCell(0, 1, "资料");
    g->SetHintCell(1, 0, "单头");
    g->editorItems["col 1 -1"].Add("数量");
    g->MakeFont("cell", 1, 1);
    g->MakeFont("fixedrow", -1, 1);
    TCodeConverter cv;
    cv.ConvertForm(&form, "", true);
    EXPECT_EQ(g->Cell(0, 1), "資料");
    EXPECT_EQ(g->GetHintCell(1, 0), "單頭");
    EXPECT_EQ(g->editorItems["col 1 -1"][0], "數量");
    EXPECT_EQ(g->fonts["cell 1 1"]->Charset, kBig5Charset);
    EXPECT_EQ(g->fonts["fixedrow -1 1"]->Charset, kBig5Charset);
    // The walk makes no font and no hint where the grid had none.
    EXPECT_EQ(g->fonts.size(), 2u);
    EXPECT_EQ(g->hints.size(), 1u);
}

TEST_F(FormConversionTest, NameListMatchesWholeNames) {
    Settings("950", "936", "950");
    auto* lblCaption = new TTestLabel(&form);
    lblCaption->SetName("lblCaption");
    lblCaption->Caption = "单头";
    lblCaption->Hint = "单头";
    ed->SetName("EDTNAME");
    TCodeConverter cv;
    cv.ReconvertForm(
        &form,
        Variant::ArrayOf({Variant("edtName"),
                          Variant::ArrayOf({Variant("lblTitle"), Variant("TitleFont")}),
                          Variant::ArrayOf({Variant("lblCaption"), Variant("hint")})}),
        true);
    ASSERT_EQ(cv.NameList().Count(), 3);
    EXPECT_EQ(cv.NameList()[1], "lblTitle\3TitleFont");
    // A name alone: texts stay, the font no longer follows the parent.
    EXPECT_EQ(ed->Text(), "资料");
    EXPECT_FALSE(ed->ParentFont);
    EXPECT_EQ(ed->Font.Charset, kDefaultCharset);
    // Listing TitleFont leaves Font to be converted.
    EXPECT_EQ(lbl->Font.Charset, kBig5Charset);
    EXPECT_EQ(lbl->Caption, "單頭");
    // The component's own name does not count as a listed property.
    EXPECT_EQ(lblCaption->Caption, "單頭");
    EXPECT_EQ(lblCaption->Hint, "单头");
    // Components the list does not name are converted as usual.
    EXPECT_EQ(memo->Lines[0], "說明");
}

TEST_F(FormConversionTest, MessageBoxes) {
    Settings("936", "936", "936");
    form.Caption = "委外进货单";
    TCodeConverter cv(&form);
    EXPECT_EQ(cv.ShowMessageBox("", TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}), modal::None);
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_EQ(cv.ShowMessageBox("保存失败", TMsgDlgType::mtConfirmation,
                                {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}),
              modal::Yes);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    const TMessageDialogSpec& d = ui.dialogs[0];
    EXPECT_EQ(d.Text, "保存失败      ");
    EXPECT_EQ(d.Caption, "委外进货单");
    EXPECT_EQ(d.Type, TMsgDlgType::mtConfirmation);
    ASSERT_EQ(d.Buttons.size(), 2u);
    EXPECT_EQ(d.Buttons[1].Kind, TMsgDlgBtn::mbNo);
    EXPECT_EQ(d.FontName, "SimSun");
    EXPECT_EQ(d.FontCharset, kGB2312Charset);
    EXPECT_EQ(ui.restored, (std::vector<plat::TComponent*>{&form}));
    EXPECT_EQ(ui.owners[0], &form);
}

TEST_F(FormConversionTest, TraditionalMessageBoxHasNoPaddingAndABig5Font) {
    Settings("950", "936", "950");
    TCodeConverter cv(&form);
    cv.ShowMessageBox("保存失敗", TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK});
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].Text, "保存失敗");
    EXPECT_EQ(ui.dialogs[0].FontCharset, kBig5Charset);
}

TEST_F(FormConversionTest, MessageBoxButtonsSpeakTheInterfacesLanguage) {
    struct Case {
        const char *ui, *windows, *yes, *no;
    } cases[] = {{"936", "936", "是(&Y)", "否(&N)"},
                 {"950", "950", "是(&Y)", "否(&N)"},
                 {"437", "936", "", ""}};  // the toolkit's own English
    for (const Case& c : cases) {
        Settings(c.ui, "936", c.windows);
        TCodeConverter cv(&form);
        ui.dialogs.clear();
        cv.ShowMessageBox("?", TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo});
        ASSERT_EQ(ui.dialogs.size(), 1u) << c.ui;
        ASSERT_EQ(ui.dialogs[0].Buttons.size(), 2u) << c.ui;
        EXPECT_EQ(ui.dialogs[0].Buttons[0].Caption, c.yes) << c.ui;
        EXPECT_EQ(ui.dialogs[0].Buttons[1].Caption, c.no) << c.ui;
    }
    Settings("950", "936", "950");
    TCodeConverter cv(&form);
    ui.dialogs.clear();
    cv.ShowMessageBox("?", TMsgDlgType::mtWarning, {TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbCancel});
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].Buttons[0].Caption, "重試(&R)");
}

TEST(CodeConverterProps, HasPropertyOfTypeComparesTypeNamesWithoutCase) {
    TTestMemo m;
    TTestStatusBar s;
    EXPECT_TRUE(TCodeConverter::HasPropertyOfType(&m, "lines", "tstrings"));
    EXPECT_TRUE(TCodeConverter::HasPropertyOfType(&s, "Panels", "TStatusPanels"));
    EXPECT_FALSE(TCodeConverter::HasPropertyOfType(&m, "Lines", "TStatusPanels"));
    EXPECT_FALSE(TCodeConverter::HasPropertyOfType(&m, "Items", "TStrings"));
}

}  // namespace

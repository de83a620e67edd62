// Colour rules: the XML read into components, colour texts applied to grid
// cells and header controls, and the demo receipts coloured by the rules the
// stand-in evaluates.
#include "query/ColorComponents.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/forms.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "query_fixture.h"

namespace ktrb::test {
namespace {

using plat::TColor;

const char* kRules = R"(<?xml version="1.0" encoding="GB2312"?>
<root><colormanager>
  <head>
    <component name="gdHead" enable="Y">
      <condition value="$$MOCTH.TH023='Y'" colorx="0" bkcolor="13434828" msg="已审核"/>
      <condition value="$$MOCTH.TH023='V'" msg="作废"/>
    </component>
    <component name="edTH005" enable="Y"><condition value="1=1" colorx="255"/></component>
    <component name="edTH029" enable="N"/>
    <component name="edTH010"/>
    <component name="edNowhere" enable="Y"/>
  </head>
  <body>
    <component name="gdBody1" enable="Y"><condition value="x" msg="急料"/></component>
    <component name="cdsBody1TI004" enable="Y"/>
  </body>
</colormanager></root>)";

struct Form {
    plat::TForm* form = plat::CreateForm<plat::TForm>(nullptr);
    plat::TDataGrid* gdHead = new plat::TDataGrid(form);
    plat::TDataGrid* gdBody1 = new plat::TDataGrid(form);
    plat::TEdit* edTH005 = new plat::TEdit(form);
    plat::TEdit* edTH010 = new plat::TEdit(form);
    Form() {
        gdHead->SetName("gdHead");
        gdBody1->SetName("gdBody1");
        edTH005->SetName("edTH005");
        edTH010->SetName("edTH010");
    }
    ~Form() { form->Free(); }
};

TEST(ColorRules, TheXmlGivesOneItemPerEnabledComponentOfThePath) {
    Form f;
    auto head = LoadColorComponents(f.form, kRules, "head");
    ASSERT_EQ(head->Count(), 3);
    EXPECT_EQ(head->GetItem(0)->Control, f.gdHead);
    EXPECT_EQ(head->GetItem(0)->FieldName, "");
    ASSERT_EQ(head->GetItem(0)->Conditions()->Count(), 2);
    TColorCondition* c = head->GetItem(0)->Conditions()->GetItem(0);
    EXPECT_EQ(c->Value, "$$MOCTH.TH023='Y'");
    EXPECT_EQ(c->ColorX, "0");
    EXPECT_EQ(c->BkColor, "13434828");
    EXPECT_EQ(c->Msg, "已审核");
    EXPECT_FALSE(c->Checked);
    EXPECT_EQ(head->GetItem(0)->Conditions()->GetItem(1)->BkColor, "");
    EXPECT_EQ(head->GetItem(1)->Control, f.edTH005);
    EXPECT_EQ(head->GetItem(2)->Name, "edNowhere");
    EXPECT_EQ(head->GetItem(2)->Control, nullptr);
    EXPECT_EQ(head->FindItem("gdHead", ""), head->GetItem(0));
    EXPECT_EQ(head->FindItem("gdhead", ""), nullptr);

    auto body = LoadColorComponents(f.form, kRules, "body");
    ASSERT_EQ(body->Count(), 2);
    EXPECT_EQ(body->GetItem(0)->Control, f.gdBody1);
    EXPECT_EQ(body->GetItem(0)->FieldName, "");
    EXPECT_EQ(body->GetItem(1)->Control, f.gdBody1);
    EXPECT_EQ(body->GetItem(1)->FieldName, "cdsBody1TI004");
    EXPECT_EQ(body->FindItem("gdBody1", "cdsBody1TI004"), body->GetItem(1));
    EXPECT_EQ(body->FindItem("gdHead", ""), nullptr);
    EXPECT_EQ(body->FindByField("cdsBody1TI004"), body->GetItem(1));

    // Saving and restoring leaves items without a control alone.
    head->SaveColors();
    head->RestoreColors();
}

TEST(ColorRules, AnXmlThatDoesNotParseIsRefusedAndABlankOneHasNoRules) {
    Form f;
    try {
        LoadColorComponents(f.form, "<colormanager><head>", "head");
        FAIL() << "no error";
    } catch (const plat::Exception& e) {
        EXPECT_STREQ(e.what(), "颜色管理xml格式错误");
    }
    EXPECT_EQ(LoadColorComponents(f.form, "  ", "head")->Count(), 0);
    EXPECT_EQ(LoadColorComponents(f.form, kRules, "head']|//x[@a='")->Count(), 0);
}

TEST(ColorRules, ColourTextValuesAndColours) {
    struct Case {
        const char* text;
        const char* key;
        const char* value;
    } cases[] = {
        {"bkcolor=255;colorx=0;bold=Y", "bkcolor", "255"},
        {"bkcolor=255;colorx=0;bold=Y", "colorx", "0"},
        {"bkcolor=255;colorx=0;bold=Y", "bold", "Y"},
        {"bkcolor=255;colorx=0;bold=Y", "italic", ""},
        {"bkcolor=';colorx=$FF", "bkcolor", ""},
        {"bkcolor=';colorx=$FF", "colorx", "$FF"},
        {"BKCOLOR=1", "bkcolor", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetColorTextValue(c.text, c.key), c.value) << c.text << " " << c.key;
    EXPECT_EQ(ColorFromText("$800000FF"), (TColor)0x800000FF);
    EXPECT_EQ(ColorFromText("-16777211"), -16777211);
    EXPECT_EQ(ColorFromText("$FF"), plat::clRed);
    EXPECT_THROW(ColorFromText("red"), plat::EConvertError);
    EXPECT_THROW(ColorFromText("99999999999"), plat::EConvertError);
    EXPECT_EQ(ComplementColor(plat::clWhite), plat::clBlack);
    EXPECT_EQ(ComplementColor(plat::clRed), plat::clAqua);
    // A system colour is complemented from the colour it stands for.
    EXPECT_EQ(ComplementColor(plat::clWindow), ComplementColor(plat::ColorToRGB(plat::clWindow)));
    EXPECT_EQ(ComplementColor((TColor)0x7F0000FF), plat::clAqua);
}

// A colour data set of two keyed records with the grid's row texts and a
// column's texts.
struct CellFixture : Form {
    plat::TClientDataSet* colors = new plat::TClientDataSet(form);
    std::unique_ptr<TColorComponents> set;
    plat::TClientDataSet* body = new plat::TClientDataSet(form);

    explicit CellFixture(bool gridField = true) {
        colors->FieldDefs().Add("TI002", plat::TFieldType::ftString, 11);
        if (gridField) colors->FieldDefs().Add("gdBody1", plat::TFieldType::ftString, 255);
        colors->FieldDefs().Add("cdsBody1TI004", plat::TFieldType::ftString, 255);
        colors->CreateDataSet();
        body->SetName("cdsBody1");
        body->FieldDefs().Add("TI004", plat::TFieldType::ftString, 20);
        body->FieldDefs().Add("TI005", plat::TFieldType::ftString, 20);
        body->CreateDataSet();
        set = LoadColorComponents(form, kRules, "body");
    }
    void Row(const std::string& key, const std::string& row, const std::string& column) {
        colors->Append();
        colors->FieldByName("TI002")->SetAsString(key);
        if (auto* f = colors->FindField("gdBody1")) f->SetAsString(row);
        colors->FieldByName("cdsBody1TI004")->SetAsString(column);
        colors->Post();
    }
    struct Cell {
        TColor brush, font;
        plat::TFontStyles style;
        bool ok;
    };
    Cell Paint(const char* field, const std::string& key) {
        plat::TFont font;
        font.SetColor(plat::clBlack);
        plat::TBrush brush{plat::clWhite};
        bool ok = set->CalcCellColors(gdBody1, body->FieldByName(field), "TI002",
                                      plat::Variant(key), colors, &font, &brush);
        return {brush.Color, font.Color(), font.Style(), ok};
    }
};

TEST(ColorRules, ACellTakesItsRecordsRowColoursUnlessItsColumnHasARule) {
    CellFixture f;
    f.Row("A", "bkcolor=255;colorx=0;bold=Y", "");
    f.Row("B", "bkcolor=';colorx=16711680;italic=Y", "colorx=255;");
    f.Row("C", "bkcolor=16777215;colorx=16777215;", "");
    auto a = f.Paint("TI005", "A");
    EXPECT_EQ(a.brush, plat::clRed);
    EXPECT_EQ(a.font, plat::clBlack);
    EXPECT_TRUE(a.style.Contains(plat::fsBold));
    EXPECT_TRUE(a.ok);
    // The apostrophe changes no background.
    auto b = f.Paint("TI005", "B");
    EXPECT_EQ(b.brush, plat::clWhite);
    EXPECT_EQ(b.font, plat::clBlue);
    EXPECT_TRUE(b.style.Contains(plat::fsItalic));
    // The column's own rule, even with an empty text, keeps the row rule out.
    auto ca = f.Paint("TI004", "A");
    EXPECT_EQ(ca.brush, plat::clWhite);
    EXPECT_TRUE(ca.style.Empty());
    EXPECT_EQ(f.Paint("TI004", "B").font, plat::clRed);
    // White on white becomes black on white.
    auto c = f.Paint("TI005", "C");
    EXPECT_EQ(c.brush, plat::clWhite);
    EXPECT_EQ(c.font, plat::clBlack);
    // An unknown record is left as it is.
    EXPECT_EQ(f.Paint("TI005", "Z").brush, plat::clWhite);
}

TEST(ColorRules, RowRulesNeedTheGridsFieldAndABadValueSpoilsOnlyItsRule) {
    CellFixture noGrid(false);
    noGrid.Row("A", "", "bkcolor=255;");
    EXPECT_EQ(noGrid.Paint("TI005", "A").brush, plat::clWhite);
    EXPECT_EQ(noGrid.Paint("TI004", "A").brush, plat::clRed);

    CellFixture f;
    f.Row("A", "bkcolor=pink;colorx=255", "");
    auto a = f.Paint("TI005", "A");
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.brush, plat::clWhite);
}

TEST(ColorRules, ARecordColoursTheHeaderControlsButNeverTheGrid) {
    Form f;
    f.edTH010->SetColor(plat::clBtnFace);
    f.gdHead->SetColor(plat::clWindow);
    f.gdHead->Font()->SetColor(plat::clWindowText);
    const char* xml = R"(<colormanager><head>
        <component name="gdHead" enable="Y"/><component name="edTH005" enable="Y"/>
        <component name="edTH010" enable="Y"/></head></colormanager>)";
    auto set = LoadColorComponents(f.form, xml, "head");
    set->SaveColors();
    plat::TClientDataSet colors(f.form);
    for (const char* name : {"gdHead", "edTH005", "edTH010"})
        colors.FieldDefs().Add(name, plat::TFieldType::ftString, 255);
    colors.CreateDataSet();
    auto record = [&](const char* grid, const char* edit, const char* face) {
        colors.EmptyDataSet();
        colors.Append();
        colors.FieldByName("gdHead")->SetAsString(grid);
        colors.FieldByName("edTH005")->SetAsString(edit);
        colors.FieldByName("edTH010")->SetAsString(face);
        colors.Post();
        set->RestoreColors();
        set->ApplyToRecord(&colors);
    };
    record("bkcolor=255;colorx=65280;bold=Y", "bkcolor=65535;colorx=255;bold=Y", "bkcolor=255;");
    EXPECT_EQ(f.gdHead->Color(), plat::clWindow);
    EXPECT_EQ(f.gdHead->Font()->Color(), plat::clWindowText);
    EXPECT_TRUE(f.gdHead->Font()->Style().Empty());
    EXPECT_EQ(f.edTH005->Color(), plat::clYellow);
    EXPECT_EQ(f.edTH005->Font()->Color(), plat::clRed);
    EXPECT_TRUE(f.edTH005->Font()->Style().Contains(plat::fsBold));
    EXPECT_EQ(f.edTH010->Color(), plat::clBtnFace);  // a designed background stays

    // A font colour equal to the background is turned into its complement.
    record("", "bkcolor=16777215;colorx=16777215;", "colorx=-2147483633;");
    EXPECT_EQ(f.edTH005->Font()->Color(), plat::clBlack);
    EXPECT_EQ(f.edTH010->Font()->Color(), ComplementColor(plat::clBtnFace));

    // A bad value leaves a readable control.
    record("", "bkcolor=65535;colorx=oops;italic=Y", "");
    EXPECT_EQ(f.edTH005->Color(), plat::clWhite);
    EXPECT_EQ(f.edTH005->Font()->Color(), plat::clBlack);
    EXPECT_TRUE(f.edTH005->Font()->Style().Empty());

    set->RestoreColors();
    EXPECT_EQ(f.edTH005->Color(), plat::clWindow);
    EXPECT_EQ(f.edTH005->Font()->Color(), plat::clWindowText);

    plat::TClientDataSet missing(f.form);
    missing.FieldDefs().Add("gdHead", plat::TFieldType::ftString, 255);
    missing.CreateDataSet();
    EXPECT_THROW(set->ApplyToRecord(&missing), plat::EDatabaseError);
}

// ---- on the stand-in ----------------------------------------------------------

TEST_F(StandInTest, TheDemoReceiptsArePaintedByTheServersColourTexts) {
    const std::string xml = ColorManagerXml();
    Form f;
    auto set = LoadColorComponents(f.form, xml, "head");
    ASSERT_NE(set->FindItem("gdHead", ""), nullptr);
    EXPECT_EQ(set->FindItem("gdHead", "")->Conditions()->Count(), 2);

    plat::TClientDataSet* browse = Browse(f.form, "");
    plat::TClientDataSet* colors = Colors(f.form);
    auto* src = new plat::TDataSource(f.form);
    src->SetDataSet(browse);
    f.form->SetClientWidth(520);
    f.form->SetClientHeight(170);
    f.gdHead->SetParent(f.form);
    f.gdHead->SetBounds(0, 0, 520, 170);
    f.gdHead->SetDataSource(src);
    f.gdHead->Columns()->Add()->SetFieldName("TH002");
    f.gdHead->Columns()->Add()->SetFieldName("TH005");
    f.gdHead->Columns()->Add()->SetFieldName("TH010");
    f.gdHead->Columns()->Add()->SetFieldName("TH023");
    f.gdHead->Columns()->Items(0)->SetWidth(100);
    f.gdHead->Columns()->Items(2)->SetWidth(200);
    f.gdHead->OnCalcCellColors = [&](plat::TObject*, plat::TField* field, plat::TGridDrawState,
                                     bool, plat::TFont* font, plat::TBrush* brush) {
        plat::Variant keys = plat::VarArrayOf(
            {browse->FieldByName("TH001")->AsString(), browse->FieldByName("TH002")->AsString()});
        set->CalcCellColors(f.gdHead, field, "TH001,TH002", keys, colors, font, brush);
    };
    f.form->SetCaption("委外进货单 colour rules");
    f.form->Show();
    plat::Application->ProcessMessages();
    const std::string png = ArtifactPath("colour_rules_grid.png");
    plat::SaveScreenshot(f.gdHead, png);
    plat::TBitmap shot = plat::Screenshot(f.gdHead);

    // Row by row: confirmed receipts green, the void one grey, others plain.
    std::map<std::string, TColor> expected = {
        {"20240108001", 13434828}, {"20240118001", 13434828}, {"20240125001", 15790320}};
    browse->First();
    int row = f.gdHead->TitleOffset();
    for (; !browse->Eof(); browse->Next(), ++row) {
        const std::string number = browse->FieldByName("TH002")->AsString();
        plat::TRect cell = f.gdHead->CellRect(f.gdHead->IndicatorOffset() + 2, row);
        TColor want =
            expected.count(number) ? expected[number] : plat::ColorToRGB(f.gdHead->Color());
        if (browse->RecNo() == 1) continue;  // the current row is highlighted
        EXPECT_EQ(shot.GetPixel(cell.Right - 4, cell.Top + 3), want) << number;
    }
    EXPECT_EQ(row - f.gdHead->TitleOffset(), 5);
}

TEST_F(StandInTest, AColourFilterReturnsTheReceiptsOfTheTickedRules) {
    Form f;
    auto set = LoadColorComponents(f.form, ColorManagerXml(), "head");
    TColorConditions* conditions = set->FindItem("gdHead", "")->Conditions();
    auto numbers = [&](const std::string& browseCondition) {
        std::string where = AddColorFilter(browseCondition, *conditions, "DEMO");
        plat::TClientDataSet* browse = Browse(f.form, where);
        std::vector<std::string> out;
        for (browse->First(); !browse->Eof(); browse->Next())
            out.push_back(browse->FieldByName("TH002")->AsString());
        return out;
    };
    EXPECT_EQ(numbers("").size(), 5u);  // nothing ticked: no filter
    conditions->GetItem(0)->Checked = true;
    EXPECT_EQ(numbers(""), (std::vector<std::string>{"20240108001", "20240118001"}));
    EXPECT_EQ(numbers("MOCTH.TH005 = 'S001'"), (std::vector<std::string>{"20240108001"}));
    conditions->GetItem(1)->Checked = true;
    EXPECT_EQ(numbers("MOCTH.TH005 = 'S001'"),
              (std::vector<std::string>{"20240108001", "20240125001"}));
    EXPECT_EQ(AddColorFilter("A=1", *conditions, "DEMO"),
              "(A=1) and ( ( DEMO..MOCTH.TH023='Y' ) or  ( DEMO..MOCTH.TH023='V' ) )");
}

TEST_F(StandInTest, ABadColourXmlGivesItsMessageAndTheBrowseDataStillOpens) {
    server->Db().Exec("UPDATE ADMNH SET NH003 = '<colormanager><head>' WHERE NH001 = 'KTRB52'");
    Form f;
    try {
        LoadColorComponents(f.form, ColorManagerXml(), "head");
        FAIL() << "no error";
    } catch (const plat::Exception& e) {
        EXPECT_STREQ(e.what(), "颜色管理xml格式错误");
    }
    EXPECT_EQ(Browse(f.form, "")->RecordCount(), 5);
}

}  // namespace
}  // namespace ktrb::test

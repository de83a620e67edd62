#include <gtest/gtest.h>

#include <filesystem>

#include "controls/Aligrid.h"
#include "controls/FDBGrid.h"
#include "controls/controls_fixture.h"
#include "platform/data/field.h"
#include "platform/ui/screenshot.h"

using namespace plat;
using namespace ktrb;

// Both grids in Chinese and English, with every kind of in-cell control and
// digit-box money; pictures kept for a look (grids-<lang>.png in the
// temporary folder).
TEST(GridsGallery, BothGridsPaintInBothLanguages) {
    struct Texts {
        const char* lang;
        const char* field;
        const char* cond;
        const char* value;
        const char* pick;
    };
    const Texts kTexts[] = {{"CHS", "品号", "等于", "委外加工", "甲\r\n乙"},
                            {"ENG", "Item", "Equals", "Subcontract", "First\r\nSecond"}};
    for (const Texts& t : kTexts) {
        ctltest::Fixture fx;
        fx.form->SetClientWidth(640);
        fx.form->SetClientHeight(420);
        fx.outer->SetVisible(false);
        auto* ds = new TClientDataSet(fx.form);
        ds->FieldDefs().Add("TI004", TFieldType::ftString, 20);
        ds->FieldDefs().Add("TI019", TFieldType::ftFloat);
        ds->FieldDefs().Add("TI020", TFieldType::ftString, 1);
        ds->CreateDataSet();
        ds->FieldByName("TI004")->SetDisplayLabel(t.field);
        for (int i = 1; i <= 4; ++i) {
            ds->Append();
            ds->FieldByName("TI004")->SetAsString(std::string(t.value) + std::to_string(i));
            ds->FieldByName("TI019")->SetAsFloat(i * 1234.5);
            ds->FieldByName("TI020")->SetAsString(i % 2 ? "Y" : "N");
            ds->Post();
        }
        ds->First();
        auto* src = new TDataSource(fx.form);
        src->SetDataSet(ds);
        auto* grid = new TFDBGrid(fx.form);
        grid->SetParent(fx.form);
        grid->SetBounds(8, 8, 624, 200);
        grid->SetDataSource(src);
        grid->Columns()->Add()->SetFieldName("TI004");
        grid->Columns()->Add()->SetFieldName("TI019");
        grid->Columns()->Items(1)->SetWidth(200);
        grid->Columns()->Add()->SetFieldName("TI020");
        grid->Columns()->Items(2)->SetControlType(TColumnControlType::ctCheckBox);
        grid->CHNCurrencyFields()->SetCurrencyNames("TI019");
        grid->CHNCurrencyFields()->SetEnabled(true);

        auto* sg = new TStringAlignGrid(fx.form);
        sg->SetParent(fx.form);
        sg->SetBounds(8, 216, 624, 196);
        sg->SetColCount(4);
        sg->SetRowCount(5);
        sg->SetColWidths(1, 160);
        sg->SetColWidths(2, 140);
        sg->SetOptions(sg->Options() + TGridOption::goEditing);
        sg->SetCells(1, 0, t.field);
        sg->SetCells(2, 0, t.cond);
        sg->SetAlignFixedRow(0, TMyAlign::alCenter);
        sg->SetControlInfo(1, -1, 1, "", 0);
        sg->SetControlInfo(2, -1, 3, t.pick, 0);
        sg->SetControlInfo(3, -1, 2, "Y;N", 0);
        for (int r = 1; r < 5; ++r) {
            sg->SetCells(1, r, std::string(t.value) + std::to_string(r));
            sg->SetCells(3, r, r % 2 ? "Y" : "N");
        }
        sg->SetAlignCol(1, TMyAlign::alRight);
        sg->GetBrushCell(2, 2)->SetColor(0xCCFFFF);
        sg->FocusCell(1, 1, true);
        Application->ProcessMessages();
        auto dir = std::filesystem::temp_directory_path();
        std::string path = (dir / (std::string("grids-") + t.lang + ".png")).string();
        SaveScreenshot(fx.form, path);
        EXPECT_TRUE(std::filesystem::exists(path));
    }
}

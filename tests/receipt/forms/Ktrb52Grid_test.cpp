#include "controls/QvLookUpCombo.h"
#include "platform/core/text.h"
#include "receipt/forms/receipt_form_fixture.h"

namespace ktrb::test {
namespace {

class ReceiptGridTest : public ReceiptFormTest {
  protected:
    // The first line of an open receipt, being edited.
    void EditFirstLine(const std::string& ui = "936") {
        Start({}, ui);
        form->Show();
        plat::Application->ProcessMessages();  // the window becomes the active one
        ASSERT_TRUE(GoTo("20240112001"));
        ASSERT_TRUE(form->EditRecord());
        dm->cdsBody1->First();
    }
    plat::TWinControl* Select(const char* field) {
        form->gdBody1->SetSelectedField(Line(field));
        return form->gdBody1->FieldControl(field);
    }
    plat::TDataGridColumn* Column(const std::string& field) {
        for (int i = 0; i < form->gdBody1->VisibleColumnCount(); ++i)
            if (form->gdBody1->VisibleColumn(i)->FieldName() == field)
                return form->gdBody1->VisibleColumn(i);
        return nullptr;
    }
};

TEST_F(ReceiptGridTest, EditorsSitInTheCellsOfTheirColumns) {
    EditFirstLine();
    const struct {
        const char *field, *editor;
        bool dialog;
    } cases[] = {{"TI004", "cboTI004G", true},  {"TI009", "cboTI009G", true},
                 {"TI011", "cboTI011G", true},  {"TI015", "cboTI015G", true},
                 {"TI035", "cboTI035G", false}, {"TIC01", "cboTIC01G", false}};
    for (const auto& c : cases) {
        plat::TWinControl* editor = Select(c.field);
        ASSERT_NE(editor, nullptr) << c.field;
        EXPECT_EQ(editor->Name(), c.editor);
        EXPECT_EQ(dynamic_cast<TQvDBComboDlg*>(editor) != nullptr, c.dialog) << c.field;
        EXPECT_TRUE(editor->Visible()) << c.field;
        const plat::TRect cell =
            form->gdBody1->CellRect(form->gdBody1->Col(), form->gdBody1->Row());
        EXPECT_EQ(editor->Left(), cell.Left) << c.field;
        EXPECT_EQ(editor->Top(), cell.Top) << c.field;
    }
    // Leaving for a plain column hides the editor.
    plat::TWinControl* item = form->gdBody1->FieldControl("TI004");
    Select("TI019");
    EXPECT_FALSE(item->Visible());
}

TEST_F(ReceiptGridTest, YesNoColumnsAreCheckBoxes) {
    EditFirstLine();
    plat::TDataGridColumn* urgent = Column("TI048");
    ASSERT_NE(urgent, nullptr);
    EXPECT_EQ(urgent->ControlType(), plat::TColumnControlType::ctCheckBox);
    EXPECT_EQ(urgent->CheckedValue(), "Y");
    ASSERT_NE(Column("TI019"), nullptr);
    EXPECT_EQ(Column("TI019")->ControlType(), plat::TColumnControlType::ctDefault);
    // Space toggles the stored code.
    Select("TI048");
    const std::string before = Line("TI048")->AsString();
    form->gdBody1->SetFocus();
    form->gdBody1->SimulateKey(0, {}, U' ');
    EXPECT_EQ(Line("TI048")->AsString(), before == "Y" ? "N" : "Y");
}

// F2 typed in a cell editor, and the editor's button, open the column's
// look-up and write the picked row into the line.
TEST_F(ReceiptGridTest, F2InACellEditorWritesThePickedRow) {
    EditFirstLine();
    auto dravoc = std::dynamic_pointer_cast<standin::ScriptedDravoc>(services->dravoc);
    ASSERT_TRUE(dravoc);
    auto* warehouse = dynamic_cast<TQvDBComboDlg*>(Select("TI009"));
    ASSERT_NE(warehouse, nullptr);
    warehouse->SetFocus();
    ASSERT_EQ(form->ActiveControl(), warehouse);
    ASSERT_EQ(Line("TI009")->AsString(), "W02");
    dravoc->Enqueue("F2GetData", plat::Variant::ArrayOf({plat::Variant::ArrayOf({"W01"})}));
    warehouse->SimulateKey(plat::VK_F2);
    EXPECT_EQ(Line("TI009")->AsString(), "W01");
    dravoc->Enqueue("F2GetData", plat::Variant::ArrayOf({plat::Variant::ArrayOf({"W02"})}));
    warehouse->DropDown();  // the button
    EXPECT_EQ(Line("TI009")->AsString(), "W02");

    dravoc->ClearCalls();
    form->CancelEdit(false);
}

// Typed text reaches the field through the line's rules: a new item
// brings its name.
TEST_F(ReceiptGridTest, TypingAnItemFillsItsName) {
    EditFirstLine();
    auto* item = dynamic_cast<TQvDBComboDlg*>(Select("TI004"));
    ASSERT_NE(item, nullptr);
    item->SetFocus();
    item->SelectAll();
    for (char32_t ch : plat::Utf8ToU32("M0001")) item->SimulateKey(0, {}, ch);
    EXPECT_EQ(item->Text(), "M0001");
    dm->cdsBody1->UpdateRecord();  // as leaving the cell does
    EXPECT_EQ(Line("TI004")->AsString(), "M0001");
    EXPECT_EQ(Line("TI005")->AsString(), "铝锭");
    form->CancelEdit(false);
}

// Outside the Chinese code pages the coded combo columns must be filled;
// the look-up columns are not combos.
TEST_F(ReceiptGridTest, CodedColumnsAreRequiredOutsideTheChineseCodePages) {
    EditFirstLine("437");
    const std::string& required = form->RequiredFields;
    for (const char* field : {"TI035", "TI037", "TIC01"})
        EXPECT_NE(required.find(field), std::string::npos) << field << " in " << required;
    EXPECT_EQ(required.find("TI009"), std::string::npos) << required;
    form->CancelEdit(false);
}

// Each language in its own start: the language packages are read once.
class ReceiptGridPicture : public ReceiptGridTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(ReceiptGridPicture, WithAnEditorOpen) {
    const std::string ui = GetParam();
    EditFirstLine(ui);
    Select("TI009");
    plat::SaveScreenshot(
        form, ShotPath("receipt_grid_editor_" + std::string(ui == "936" ? "chs" : "eng") + ".png"));
    EXPECT_TRUE(form->gdBody1->FieldControl("TI009")->Visible());
    Select("TI048");
    plat::SaveScreenshot(
        form, ShotPath("receipt_grid_checks_" + std::string(ui == "936" ? "chs" : "eng") + ".png"));
    form->CancelEdit(false);
}

INSTANTIATE_TEST_SUITE_P(Languages, ReceiptGridPicture, ::testing::Values("936", "437"));

}  // namespace
}  // namespace ktrb::test

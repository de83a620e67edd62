#include "platform/ui/grids.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <set>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/tabset.h"
#include "ui_test_util.h"

using namespace plat;

namespace {

struct StringGridForm {
    TForm* form = CreateForm<TForm>(nullptr);
    TStringGrid* grid = new TStringGrid(form);
    StringGridForm() {
        form->SetBounds(0, 0, 420, 260);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 200);
        grid->SetColCount(4);
        grid->SetRowCount(4);
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) grid->SetCells(c, r, std::to_string(c) + std::to_string(r));
        uitest::ShowActive(form);
        grid->SetFocus();
    }
    ~StringGridForm() { form->Free(); }
};

TGridCoord At(const TCustomGrid* g) {
    return {g->Col(), g->Row()};
}

}  // namespace

TEST(StringGrid, TabWalksTheRowsAndSkipsColumnsWithoutTabStop) {
    StringGridForm f;
    f.grid->SetOptions(f.grid->Options() + TGridOption::goTabs);
    f.grid->SetTabStops(2, false);
    EXPECT_EQ(At(f.grid), (TGridCoord{1, 1}));
    f.grid->SimulateKey(VK_TAB);
    EXPECT_EQ(At(f.grid), (TGridCoord{3, 1}));
    f.grid->SimulateKey(VK_TAB);
    EXPECT_EQ(At(f.grid), (TGridCoord{1, 2}));
    f.grid->SimulateKey(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(At(f.grid), (TGridCoord{3, 1}));
    f.grid->SimulateKey(VK_DOWN);
    f.grid->SimulateKey(VK_DOWN);
    f.grid->SimulateKey(VK_DOWN);
    EXPECT_EQ(At(f.grid), (TGridCoord{3, 3}));  // stops at the last row
}

TEST(StringGrid, TypedKeyOpensTheEditorWhichWritesTheCellAndEscRestores) {
    StringGridForm f;
    f.grid->SetOptions(f.grid->Options() + TGridOption::goEditing);
    std::vector<std::string> seen;
    f.grid->OnSetEditText =
        TSetEditEvent([&](TObject*, int c, int r, const std::string& v) { seen.push_back(v); });
    uitest::TypeText(f.grid, "x7");
    ASSERT_TRUE(f.grid->EditorMode());
    ASSERT_TRUE(f.grid->InplaceEditor()->Visible());
    EXPECT_EQ(f.grid->Cells(1, 1), "x7");
    EXPECT_EQ(seen.back(), "x7");
    // The editor follows the current cell.
    f.grid->SimulateKey(VK_DOWN);
    EXPECT_EQ(At(f.grid), (TGridCoord{1, 2}));
    EXPECT_EQ(f.grid->InplaceEditor()->Text(), "12");
    EXPECT_EQ(f.grid->InplaceEditor()->Top(), f.grid->CellRect(1, 2).Top);
    f.grid->SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(f.grid->EditorMode());
    // Enter opens the editor on the cell and closes it again.
    f.grid->SimulateKey(VK_RETURN);
    ASSERT_TRUE(f.grid->EditorMode());
    f.grid->InplaceEditor()->SimulateKey(VK_RETURN);
    EXPECT_FALSE(f.grid->EditorMode());
    EXPECT_EQ(f.grid->Cells(1, 2), "12");
}

TEST(StringGrid, MovedAndDeletedRowsCarryTheirCells) {
    StringGridForm f;
    std::vector<std::pair<int, int>> moves;
    f.grid->OnRowMoved = TMovedEvent([&](TObject*, int from, int to) {
        moves.push_back({from, to});
    });
    f.grid->MoveRow(1, 3);
    EXPECT_EQ(f.grid->Rows(3), (std::vector<std::string>{"01", "11", "21", "31"}));
    EXPECT_EQ(f.grid->Rows(1), (std::vector<std::string>{"02", "12", "22", "32"}));
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{1, 3}}));
    f.grid->MoveColumn(0, 2);
    EXPECT_EQ(f.grid->Cols(2)[0], "00");
    f.grid->DeleteRow(1);
    EXPECT_EQ(f.grid->RowCount(), 3);
    EXPECT_EQ(f.grid->Cells(2, 1), "03");
}

TEST(StringGrid, MovingAnEmptyRowUpShiftsTheCellsOfShortColumns) {
    StringGridForm f;
    f.grid->SetRowCount(8);
    // Column 3 stores rows up to 3 only; the row moved from 6 is empty there.
    f.grid->SetCells(0, 6, "moved");
    f.grid->MoveRow(6, 1);
    EXPECT_EQ(f.grid->Cells(0, 1), "moved");
    EXPECT_EQ(f.grid->Cells(3, 1), "");
    EXPECT_EQ(f.grid->Cells(3, 2), "31");
    EXPECT_EQ(f.grid->Cells(3, 4), "33");
    f.grid->MoveRow(7, 0);
    EXPECT_EQ(f.grid->Cells(3, 0), "");
    EXPECT_EQ(f.grid->Cells(3, 1), "30");
    EXPECT_EQ(f.grid->Cells(0, 2), "moved");
}

TEST(StringGrid, MouseCoordAndSelectionFollowTheScroll) {
    StringGridForm f;
    f.grid->SetRowCount(200);
    f.grid->SetRow(150);
    EXPECT_LE(f.grid->TopRow(), 150);
    EXPECT_GT(f.grid->TopRow() + f.grid->VisibleRowCount(), 150);
    TRect r = f.grid->CellRect(2, 150);
    ASSERT_FALSE(r.IsEmpty());
    EXPECT_EQ(f.grid->MouseCoord(r.Left + 1, r.Top + 1), (TGridCoord{2, 150}));
    EXPECT_TRUE(f.grid->CellRect(2, 2).IsEmpty());
    uitest::MouseClick(f.grid, r.Left + 3, r.Top + 3);
    EXPECT_EQ(At(f.grid), (TGridCoord{2, 150}));
}

// A grid that chose its current column while it was narrow shows the columns
// left of it again once it is wide enough for all of them.
TEST(StringGrid, GrownWiderItShowsTheColumnsScrolledOutOnTheLeft) {
    StringGridForm f;
    f.grid->SetFixedCols(1);
    for (int c = 0; c < 4; ++c) f.grid->SetColWidths(c, 80);
    f.grid->SetWidth(150);
    f.grid->SetCol(3);
    ASSERT_EQ(f.grid->LeftCol(), 3);
    f.grid->SetWidth(270);  // room for one column more, not both
    EXPECT_EQ(f.grid->LeftCol(), 2);
    f.grid->SetWidth(400);
    EXPECT_EQ(f.grid->LeftCol(), 1);
    EXPECT_EQ(f.grid->Col(), 3);
    // Scrolled by hand where every column fits nothing is left empty either.
    f.grid->SetCol(1);
    EXPECT_EQ(f.grid->LeftCol(), 1);
}

// ---- Data grid ------------------------------------------------------------------------------

namespace {
struct DataGridForm {
    TForm* form = CreateForm<TForm>(nullptr);
    TClientDataSet* ds = new TClientDataSet(form);
    TDataSource* src = new TDataSource(form);
    TDataGrid* grid = new TDataGrid(form);
    explicit DataGridForm(int rows = 5) {
        form->SetBounds(0, 0, 520, 300);
        ds->FieldDefs().Add("CODE", TFieldType::ftString, 10);
        ds->FieldDefs().Add("NAME", TFieldType::ftString, 20);
        ds->FieldDefs().Add("QTY", TFieldType::ftInteger);
        ds->FieldDefs().Add("FLAG", TFieldType::ftString, 1);
        ds->CreateDataSet();
        for (int i = 1; i <= rows; ++i) {
            ds->Append();
            ds->FieldByName("CODE")->SetAsString("C" + std::to_string(1000 + i));
            ds->FieldByName("NAME")->SetAsString("name" + std::to_string(i));
            ds->FieldByName("QTY")->SetAsInteger(i);
            ds->FieldByName("FLAG")->SetAsString(i % 2 ? "Y" : "N");
            ds->Post();
        }
        ds->First();
        src->SetDataSet(ds);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 500, 200);
        grid->SetDataSource(src);
        uitest::ShowActive(form);
        grid->SetFocus();
    }
    std::string code() { return ds->FieldByName("CODE")->AsString(); }
    ~DataGridForm() { form->Free(); }
};
}  // namespace

TEST(DataGrid, ColumnsFollowTheVisibleFieldsAndTheCursor) {
    DataGridForm f;
    f.ds->FieldByName("FLAG")->SetVisible(false);
    ASSERT_EQ(f.grid->VisibleColumnCount(), 3);
    EXPECT_EQ(f.grid->VisibleColumn(1)->Title(), "NAME");
    EXPECT_EQ(f.grid->ColCount(), 4);  // indicator + 3
    f.ds->Next();
    f.ds->Next();
    EXPECT_EQ(f.grid->Row(), 3);  // title + third record
    f.grid->SimulateKey(VK_DOWN);
    EXPECT_EQ(f.code(), "C1004");
    f.grid->SimulateKey(VK_RIGHT);
    EXPECT_EQ(f.grid->SelectedField(), f.ds->FieldByName("NAME"));
    TRect r = f.grid->CellRect(1, 2);
    EXPECT_EQ(f.grid->MouseCoord(r.Left + 2, r.Top + 2), (TGridCoord{1, 2}));
    uitest::MouseClick(f.grid, r.Left + 2, r.Top + 2);
    EXPECT_EQ(f.code(), "C1002");
}

// A new, untouched line stays while a window over the form (a look-up that
// is to fill it) has the keyboard; moving to a control of the form drops it.
TEST(DataGrid, ANewLineStaysWhileAWindowOverTheFormIsOpen) {
    DataGridForm f;
    auto* edit = new TEdit(f.form);
    edit->SetParent(f.form);
    edit->SetTop(220);
    ASSERT_TRUE(f.grid->Options().Contains(TDataGridOption::dgCancelOnExit));
    f.ds->Append();
    {
        QDialog window(f.form->Widget());
        auto* line = new QLineEdit(&window);
        window.setModal(true);
        window.show();
        window.activateWindow();
        line->setFocus();
        Application->ProcessMessages();
        EXPECT_EQ(f.ds->State(), dsInsert);
    }
    f.form->Widget()->activateWindow();
    f.grid->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(f.ds->State(), dsInsert);
    edit->SetFocus();
    EXPECT_EQ(f.ds->State(), dsBrowse);
}

// The editor closing hands the keyboard to its grid: no move away from the
// grid, so a line being keyed is not posted (nor dropped) when a cell's
// editor goes.
TEST(DataGrid, ClosingTheEditorKeepsTheKeyboardInTheGrid) {
    DataGridForm f;
    int exits = 0;
    f.grid->OnExit = TNotifyEvent([&](TObject*) { ++exits; });
    f.ds->Append();
    f.grid->SetSelectedIndex(1);
    uitest::TypeText(f.grid, "new");
    ASSERT_TRUE(f.grid->InplaceEditor()->Focused());
    f.grid->HideEditor();
    Application->ProcessMessages();
    EXPECT_FALSE(f.grid->EditorMode());
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(f.form->ActiveControl(), f.grid);
    EXPECT_EQ(f.ds->State(), dsInsert);
}

TEST(DataGrid, TypedTextGoesThroughTheFieldAndARefusalKeepsTheEditor) {
    DataGridForm f;
    uitest::Capture cap;
    f.ds->FieldByName("NAME")->OnValidate = TFieldNotifyEvent([](TField* fld) {
        if (fld->AsString() == "bad") throw Exception("refused");
    });
    f.grid->SetSelectedIndex(1);
    uitest::TypeText(f.grid, "ok");
    ASSERT_TRUE(f.grid->EditorMode());
    EXPECT_EQ(f.ds->State(), dsEdit);
    f.grid->InplaceEditor()->SimulateKey(VK_TAB);
    EXPECT_EQ(f.ds->FieldByName("NAME")->AsString(), "ok");
    EXPECT_EQ(f.grid->SelectedIndex(), 2);
    // In the next cell the editor stays open; typing replaces the cell's text.
    ASSERT_TRUE(f.grid->EditorMode());
    const std::string before = f.grid->InplaceEditor()->Text();
    uitest::TypeText(f.grid->InplaceEditor(), "7");
    EXPECT_EQ(f.grid->InplaceEditor()->Text(), "7") << "was " << before;
    f.grid->InplaceEditor()->SimulateKey(VK_ESCAPE);

    f.grid->SetSelectedIndex(1);
    f.grid->ShowEditor();
    f.grid->InplaceEditor()->SetText("");
    uitest::TypeText(f.grid->InplaceEditor(), "bad");
    f.grid->InplaceEditor()->SimulateKey(VK_TAB);
    ASSERT_FALSE(cap.log.empty());
    EXPECT_NE(cap.log.back().find("refused"), std::string::npos);
    EXPECT_EQ(f.grid->SelectedIndex(), 1);
    EXPECT_TRUE(f.grid->InplaceEditor()->Visible());
    EXPECT_EQ(f.grid->InplaceEditor()->Text(), "bad");
    EXPECT_EQ(f.ds->FieldByName("NAME")->AsString(), "ok");
    // Moving to another record is refused as well.
    cap.log.clear();
    f.grid->InplaceEditor()->SimulateKey(VK_DOWN);
    EXPECT_FALSE(cap.log.empty());
    EXPECT_EQ(f.code(), "C1001");
}

TEST(DataGrid, EnterActsAsTabAndRunsPastTheLastColumnIntoTheNextRecord) {
    DataGridForm f(2);
    f.grid->SetKeyOptions(f.grid->KeyOptions() + TDataGridKeyOption::dgEnterToTab);
    f.grid->SetSelectedIndex(2);
    f.grid->SimulateKey(VK_RETURN);
    EXPECT_EQ(f.grid->SelectedIndex(), 3);
    f.grid->SimulateKey(VK_RETURN);
    EXPECT_EQ(f.grid->SelectedIndex(), 0);
    EXPECT_EQ(f.code(), "C1002");
    // Past the last record a new one is appended; leaving it untouched by Up cancels it.
    f.grid->SimulateKey(VK_DOWN);
    EXPECT_EQ(f.ds->State(), dsInsert);
    EXPECT_EQ(f.grid->Row(), 3);
    f.grid->SimulateKey(VK_UP);
    EXPECT_EQ(f.ds->State(), dsBrowse);
    EXPECT_EQ(f.ds->RecordCount(), 2);
    // Without insert rights Down stays on the last record.
    f.grid->SetKeyOptions({});
    f.ds->Last();
    f.grid->SimulateKey(VK_DOWN);
    EXPECT_EQ(f.ds->State(), dsBrowse);
}

TEST(DataGrid, CheckBoxColumnTogglesBetweenItsValues) {
    DataGridForm f;
    auto* c = f.grid->Columns()->Add();
    c->SetFieldName("CODE");
    auto* flag = f.grid->Columns()->Add();
    flag->SetFieldName("FLAG");
    flag->SetControlType(TColumnControlType::ctCheckBox);
    ASSERT_EQ(f.grid->VisibleColumnCount(), 2);
    f.grid->SetSelectedIndex(1);
    EXPECT_EQ(f.ds->FieldByName("FLAG")->AsString(), "Y");
    f.grid->SimulateKey(0, {}, U' ');
    EXPECT_EQ(f.ds->FieldByName("FLAG")->AsString(), "N");
    f.grid->SetReadOnly(true);
    f.grid->SimulateKey(0, {}, U' ');
    EXPECT_EQ(f.ds->FieldByName("FLAG")->AsString(), "N");
}

TEST(DataGrid, SelectedBookmarksSurviveAResort) {
    DataGridForm f;
    f.grid->SetOptions(f.grid->Options() + TDataGridOption::dgMultiSelect);
    f.ds->Locate("CODE", Variant("C1002"));
    f.grid->SelectRecord();
    f.ds->Locate("CODE", Variant("C1004"));
    f.grid->SelectRecord();
    f.ds->IndexDefs().Add("BYQTYDESC", "QTY", ixDescending);
    f.ds->SetIndexName("BYQTYDESC");
    std::set<std::string> codes;
    for (const TBookmark& b : f.grid->SelectedRows()) {
        f.ds->GotoBookmark(b);
        codes.insert(f.code());
        EXPECT_TRUE(f.grid->IsSelectedRecord());
    }
    EXPECT_EQ(codes, (std::set<std::string>{"C1002", "C1004"}));
    f.ds->Locate("CODE", Variant("C1003"));
    EXPECT_FALSE(f.grid->IsSelectedRecord());
}

TEST(DataGrid, PaintsOnlyTheRowsInView) {
    DataGridForm f(5000);
    std::set<int> painted;
    f.grid->OnCalcCellColors =
        TCalcCellColorsEvent([&](TObject*, TField*, TGridDrawState, bool, TFont*, TBrush*) {
            painted.insert(f.ds->RecNo());
        });
    f.ds->Last();
    TRecordingCanvas rec;
    f.grid->PaintTo(rec);
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(*painted.rbegin(), 5000);
    EXPECT_LE((int)painted.size(), f.grid->VisibleRowCount() + 1);
    EXPECT_EQ(f.ds->RecNo(), 5000);  // painting never moves the cursor
    std::vector<std::string> texts = rec.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "C6000"), texts.end());
}

// A field shown in two columns stands as each column says.
TEST(DataGrid, EachColumnOfAFieldKeepsItsOwnAlignment) {
    DataGridForm f(1);
    TDataGridColumn* left = f.grid->Columns()->Add();
    left->SetFieldName("QTY");
    left->SetAlignment(TAlignment::taLeftJustify);
    TDataGridColumn* right = f.grid->Columns()->Add();
    right->SetFieldName("QTY");
    right->SetAlignment(TAlignment::taRightJustify);
    TRecordingCanvas rec;
    f.grid->PaintTo(rec);
    std::vector<int> xs;
    for (const CanvasOp& op : rec.Ops())
        if (op.Kind == CanvasOpKind::Text && op.Text == "1") xs.push_back(op.Points[0].X);
    ASSERT_EQ(xs.size(), 2u);
    TCanvas measure;
    measure.Font.Assign(*f.grid->Font());
    // The cell's text keeps 2 pixels each side.
    EXPECT_EQ(xs[0], f.grid->CellRect(1, 1).Left + 2);
    EXPECT_EQ(xs[1], f.grid->CellRect(2, 1).Right - 2 - measure.TextWidth("1"));
}

TEST(DataGrid, RendersChineseTextToAPicture) {
    DataGridForm f(3);
    f.ds->FieldByName("NAME")->SetDisplayLabel("名称");
    f.ds->FieldByName("CODE")->SetDisplayLabel("品号");
    f.ds->Edit();
    f.ds->FieldByName("NAME")->SetAsString("委外进货单");
    f.ds->Post();
    f.grid->LayoutChanged();
    SaveScreenshot(f.grid, ::testing::TempDir() + "datagrid_chs.png");
    TBitmap shot = Screenshot(f.grid);
    EXPECT_EQ(shot.Width(), f.grid->Width());
}

TEST(DataGrid, ColumnsAndTitlesAreReachedByPropertyPath) {
    DataGridForm f;
    f.grid->Columns()->Add()->SetFieldName("CODE");
    f.grid->Columns()->Add()->SetFieldName("NAME");
    SetPropValueByPath(f.grid, "Columns.Items_1.Title", "名称");
    EXPECT_EQ(f.grid->VisibleColumn(1)->Title(), "名称");
    EXPECT_EQ(GetPropValueByPath(f.grid, "Columns.Items_0.FieldName").AsString(), "CODE");
    SetPropValueByPath(f.grid, "TitleFont.Charset", 134);
    EXPECT_EQ(f.grid->TitleFont()->Charset(), 134);
    TComponent* made = CreateComponent("TStringGrid", f.form);
    EXPECT_NE(dynamic_cast<TStringGrid*>(made), nullptr);
}

TEST(TabSet, ClickSelectsATabUnlessTheHandlerRefuses) {
    TForm* form = CreateForm<TForm>(nullptr);
    auto* tabs = new TTabSet(form);
    tabs->SetParent(form);
    tabs->SetBounds(0, 100, 300, 21);
    tabs->SetTabs({"一般选项", "高级选项", "单身条件"});
    uitest::ShowActive(form);
    bool allow = true;
    std::vector<int> asked;
    tabs->OnChange = TTabChangeEvent([&](TObject*, int i, bool& ok) {
        asked.push_back(i);
        ok = allow;
    });
    TRect r = tabs->ItemRect(1);
    ASSERT_FALSE(r.IsEmpty());
    uitest::MouseClick(tabs, r.Left + 5, r.Top + 5);
    EXPECT_EQ(tabs->TabIndex(), 1);
    allow = false;
    TRect r2 = tabs->ItemRect(2);
    uitest::MouseClick(tabs, r2.Left + 5, r2.Top + 5);
    EXPECT_EQ(tabs->TabIndex(), 1);
    EXPECT_EQ(asked, (std::vector<int>{1, 2}));
    EXPECT_EQ(tabs->ItemAtPos({r.Left - 1 - r.Width() - 400, 5}), -1);
    SaveScreenshot(form, ::testing::TempDir() + "tabset_chs.png");
    form->Free();
}

TEST(StringGrid, RendersChineseCellsToAPicture) {
    StringGridForm f;
    f.grid->SetCells(0, 0, "查询字段");
    f.grid->SetCells(1, 0, "操作符");
    f.grid->SetCells(2, 0, "条件");
    f.grid->SetCells(1, 1, "品号");
    f.grid->SetCells(2, 1, "等于");
    f.grid->SetColWidths(0, 90);
    SaveScreenshot(f.grid, ::testing::TempDir() + "stringgrid_chs.png");
    EXPECT_EQ(Screenshot(f.grid).Height(), f.grid->Height());
}

TEST(DataGrid, TitleButtonsReportTheFieldAndTitleImagesAreAsked) {
    DataGridForm f;
    f.grid->SetTitleButtons(true);
    std::vector<std::string> clicked;
    std::vector<std::string> asked;
    f.grid->OnTitleButtonClick =
        TTitleButtonClickEvent([&](TObject*, const std::string& name) { clicked.push_back(name); });
    f.grid->OnCalcTitleImage = TCalcTitleImageEvent([&](TObject*, TField* fld, int& image) {
        asked.push_back(fld ? fld->FieldName() : "");
        image = -1;
    });
    TRect r = f.grid->CellRect(2, 0);
    uitest::MouseClick(f.grid, r.Left + 3, r.Top + 3);
    EXPECT_EQ(clicked, (std::vector<std::string>{"NAME"}));
    EXPECT_EQ(f.code(), "C1001");  // a title click moves no record
    TRecordingCanvas rec;
    f.grid->PaintTo(rec);
    EXPECT_EQ(asked.size(), 4u);
}

TEST(DataGrid, AColumnControlStaysAndFollowsTheCurrentCell) {
    DataGridForm f;
    auto* edit = new TEdit(f.form);
    f.grid->Columns()->Add()->SetFieldName("CODE");
    auto* name = f.grid->Columns()->Add();
    name->SetFieldName("NAME");
    name->SetControl(edit);
    EXPECT_EQ(edit->Parent(), f.grid);
    EXPECT_FALSE(edit->Visible());
    f.grid->SetSelectedIndex(1);
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Top(), f.grid->CellRect(2, 1).Top);
    f.grid->SimulateKey(VK_DOWN);
    EXPECT_EQ(edit->Top(), f.grid->CellRect(2, 2).Top);
    f.grid->SetSelectedIndex(0);
    EXPECT_FALSE(edit->Visible());
    f.grid->SetSelectedIndex(1);
    EXPECT_TRUE(edit->Visible());  // the same control again
    EXPECT_EQ(name->Control(), edit);
}

// Without persistent columns the editor is kept by field name: it outlives
// the columns made again from the fields, and goes when it is freed.
TEST(DataGrid, AFieldControlOutlivesTheColumnsMadeFromTheFields) {
    DataGridForm f;
    auto* edit = new TEdit(f.form);
    f.grid->SetFieldControl("name", edit);
    EXPECT_EQ(f.grid->FieldControl("NAME"), edit);
    f.ds->FieldByName("QTY")->SetVisible(false);  // the columns are made again
    f.grid->SetSelectedField(f.ds->FieldByName("NAME"));
    EXPECT_EQ(f.grid->SelectedColumn()->Control(), edit);
    EXPECT_TRUE(edit->Visible());
    // Kept inside the view however wide the column.
    f.ds->FieldByName("NAME")->SetDisplayWidth(200);
    EXPECT_LE(edit->Left() + edit->Width(), f.grid->ClientWidth());
    f.grid->SetSelectedField(f.ds->FieldByName("CODE"));
    EXPECT_FALSE(edit->Visible());
    delete edit;
    EXPECT_EQ(f.grid->FieldControl("NAME"), nullptr);
    f.grid->SetSelectedField(f.ds->FieldByName("NAME"));
    EXPECT_EQ(f.grid->SelectedColumn()->Control(), nullptr);
}

// A cell's control that has the keyboard, hidden because the cursor went to
// another column by code (a form steering the keying), hands the keyboard
// back to the grid without the grid being left.
TEST(DataGrid, AHiddenCellControlGivesTheKeyboardBackToTheGrid) {
    DataGridForm f;
    f.grid->SetOptions(f.grid->Options() + TDataGridOption::dgEditing);
    auto* edit = new TEdit(f.form);
    f.grid->SetFieldControl("NAME", edit);
    int exits = 0;
    f.grid->OnExit = TNotifyEvent([&](TObject*) { ++exits; }, f.grid);
    f.grid->SetSelectedField(f.ds->FieldByName("NAME"));
    ASSERT_TRUE(edit->Visible());
    edit->SetFocus();
    ASSERT_EQ(f.form->ActiveControl(), edit);
    f.grid->SetSelectedField(f.ds->FieldByName("QTY"));
    EXPECT_FALSE(edit->Visible());
    EXPECT_EQ(f.form->ActiveControl(), f.grid);
    EXPECT_TRUE(f.grid->Focused());
    EXPECT_EQ(exits, 0);
}

// Scrolled sideways, a cell's editor follows its cell, or goes while the
// cell is out of view, and never reaches past the view: the custom column
// editor and the grid's own text editor alike.
TEST(DataGrid, EditorsFollowTheirCellAndStayInsideTheView) {
    DataGridForm f;
    f.grid->SetOptions(f.grid->Options() + TDataGridOption::dgEditing);
    for (const char* name : {"CODE", "NAME", "QTY", "FLAG"})
        f.ds->FieldByName(name)->SetDisplayWidth(24);
    auto* edit = new TEdit(f.form);
    f.grid->SetFieldControl("NAME", edit);
    f.grid->SetSelectedField(f.ds->FieldByName("NAME"));
    const int nameCol = f.grid->Col();
    ASSERT_TRUE(edit->Visible());
    f.grid->SetLeftCol(nameCol);
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Left(), f.grid->CellRect(nameCol, f.grid->Row()).Left);
    f.grid->SetLeftCol(nameCol + 1);  // the cell is out of view
    EXPECT_FALSE(edit->Visible());
    f.grid->SetLeftCol(f.grid->FixedCols());
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Left(), f.grid->CellRect(nameCol, f.grid->Row()).Left);

    // The text editor of the last column, partly in view.
    f.grid->SetSelectedField(f.ds->FieldByName("FLAG"));
    f.grid->ShowEditor();
    TInplaceEdit* editor = f.grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    const int flagCol = f.grid->Col();
    for (int left = f.grid->FixedCols(); left <= flagCol; ++left) {
        f.grid->SetLeftCol(left);
        TRect cell = f.grid->CellRect(flagCol, f.grid->Row());
        if (cell.IsEmpty()) {
            EXPECT_FALSE(editor->Visible()) << left;
            continue;
        }
        EXPECT_TRUE(editor->Visible()) << left;
        EXPECT_EQ(editor->Left(), cell.Left) << left;
        EXPECT_LE(editor->Left() + editor->Width(), f.grid->GridWidth()) << left;
    }
}

// Typing into a cell whose column has a control of its own: the control
// takes the keys, and the first replaces the text it shows.
TEST(DataGrid, TypingIntoAColumnControlReplacesItsText) {
    DataGridForm f;
    f.grid->SetOptions(f.grid->Options() + TDataGridOption::dgEditing);
    auto* combo = new TComboBox(f.form);
    auto* edit = new TEdit(f.form);
    f.grid->SetFieldControl("NAME", combo);
    f.grid->SetFieldControl("CODE", edit);
    for (auto [field, control] : {std::pair<const char*, TWinControl*>{"NAME", combo},
                                  std::pair<const char*, TWinControl*>{"CODE", edit}}) {
        SCOPED_TRACE(field);
        control->SetText("**********");
        f.grid->SetSelectedField(f.ds->FieldByName(field));
        ASSERT_TRUE(control->Visible());
        f.grid->SetFocus();
        uitest::TypeText(f.grid, "R");  // the first key reaches the grid
        ASSERT_TRUE(control->Focused());
        uitest::TypeText(control, "1");
        EXPECT_EQ(control->Text(), "R1");
    }
}

// A column made from a field holds its widest value whole: eleven digits
// in an eleven-character field are not cut, whatever the font's size.
TEST(DataGrid, DefaultColumnWidthsHoldTheFieldsWholeWidth) {
    DataGridForm f;
    TField* code = f.ds->FieldByName("CODE");
    code->SetDisplayWidth(11);
    for (int pixels : {12, 13, 18}) {
        SCOPED_TRACE(pixels);
        f.grid->Font()->SetHeight(-pixels);
        f.grid->TitleFont()->SetHeight(-pixels);
        f.grid->LayoutChanged();
        TCanvas measure;
        measure.Font.Assign(*f.grid->Font());
        // The cell's text keeps 2 pixels each side.
        EXPECT_GE(f.grid->VisibleColumn(0)->Width() - 4, measure.TextWidth("20240108001"));
        measure.Font.Assign(*f.grid->TitleFont());
        EXPECT_GE(f.grid->VisibleColumn(0)->Width() - 4, measure.TextWidth(code->DisplayLabel()));
    }
}

TEST(StringGrid, APickListEditorOffersItsLinesWithoutTakingTheFocus) {
    struct PickGrid : TStringGrid {
        using TStringGrid::TStringGrid;
        TEditStyle GetEditStyle(int, int) override { return TEditStyle::esPickList; }
        void GetPickListItems(int, int, std::vector<std::string>& items) override {
            items = {"AND", "OR"};
        }
    };
    TForm* form = CreateForm<TForm>(nullptr);
    auto* g = new PickGrid(form);
    g->SetParent(form);
    g->SetOptions(g->Options() + TGridOption::goEditing);
    uitest::ShowActive(form);
    g->SetFocus();
    g->ShowEditor();
    TInplaceEdit* ed = g->InplaceEditor();
    ASSERT_TRUE(ed && ed->Focused());
    EXPECT_EQ(ed->EditStyle(), TEditStyle::esPickList);
    ed->SimulateKey(VK_DOWN, TShiftState{ssAlt});
    ASSERT_TRUE(ed->ListVisible());
    EXPECT_TRUE(ed->Focused());
    ed->SimulateKey(VK_DOWN);
    ed->SimulateKey(VK_RETURN);
    EXPECT_FALSE(ed->ListVisible());
    EXPECT_EQ(g->Cells(1, 1), "OR");
    form->Free();
}

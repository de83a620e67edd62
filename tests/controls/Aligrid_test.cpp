#include "controls/Aligrid.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QHelpEvent>
#include <cstdlib>

#include "controls/controls_fixture.h"
#include "platform/system/clipboard.h"
#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"

using namespace plat;
using namespace ktrb;

namespace {

struct AlignFixture {
    ctltest::Fixture fx;
    TStringAlignGrid* grid = new TStringAlignGrid(fx.form);
    AlignFixture(int cols = 4, int rows = 4) {
        grid->SetParent(fx.form);
        grid->SetBounds(0, 0, 380, 280);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        grid->SetOptions(grid->Options() + TGridOption::goEditing);
    }
    void fill() {
        for (int c = 0; c < grid->ColCount(); ++c)
            for (int r = 0; r < grid->RowCount(); ++r)
                grid->SetCells(c, r, std::to_string(c) + "," + std::to_string(r));
    }
};

std::string stored(const TStringAlignGrid& g, const std::string& key) {
    for (auto& [k, v] : g.WriteStoredProperties())
        if (k == key) return v;
    return "<none>";
}

}  // namespace

TEST(AlignGrid, PrecedenceOfTheLevels) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    EXPECT_EQ(g->GetAlignCell(2, 2), TMyAlign::alLeft);
    g->SetAlignment(TMyAlign::alDefault);
    g->SetWordwrap(T_Wordwrap::ww_default);
    EXPECT_EQ(g->GetAlignCell(2, 2), TMyAlign::alLeft);
    EXPECT_EQ(g->GetWordwrapCell(2, 2), T_Wordwrap::ww_none);
    g->SetAlignRow(2, TMyAlign::alRight);
    g->SetAlignCol(2, TMyAlign::alCenter);
    EXPECT_EQ(g->GetAlignCell(2, 2), TMyAlign::alCenter);
    g->SetAlignCell(2, 2, TMyAlign::alRight);
    EXPECT_EQ(g->GetAlignCell(2, 2), TMyAlign::alRight);
    g->ResetAlignCell(2, 2);
    EXPECT_EQ(g->GetAlignCell(2, 2), TMyAlign::alCenter);
    // A fixed cell looks at the fixed tables only.
    g->SetAlignFixedRow(0, TMyAlign::alCenter);
    g->SetAlignCol(2, TMyAlign::alRight);
    EXPECT_EQ(g->GetAlignCell(2, 0), TMyAlign::alCenter);
    g->SetAlignFixedCol(2, TMyAlign::alLeft);
    EXPECT_EQ(g->GetAlignCell(2, 0), TMyAlign::alLeft);
    // Selected colours skip the fixed tables.
    g->SetSelectedColorRow(1, 0x123456);
    EXPECT_EQ(g->GetSelectedColorCell(3, 1), 0x123456u);
    EXPECT_EQ(g->GetSelectedColorCell(3, 2), g->SelectedCellColor());
    g->SetEditCol(3, false);
    EXPECT_FALSE(g->GetEditCell(3, 1));
    g->SetEditCell(3, 1, true);
    EXPECT_TRUE(g->GetEditCell(3, 1));
}

TEST(AlignGrid, HintsControlsAndCheckValues) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    EXPECT_EQ(g->GetHintCell(1, 1), "");
    g->SetHint("grid");
    EXPECT_EQ(g->GetHintCell(1, 1), "grid");
    g->SetHintCell(1, 1, "单元");
    EXPECT_EQ(g->GetHintCell(1, 1), "单元");
    g->SetControlInfo(-1, -1, 2, "Y;N", 0);
    EXPECT_EQ(g->GetCellControlInfo(2, 2)->Kind(), 0);
    g->SetControlInfo(2, -1, 2, "Y;N", 0);
    EXPECT_EQ(g->GetCellValue(2, 2), "N");
    g->SetCellValue(2, 2, "Y");
    EXPECT_EQ(g->GetCellValue(2, 2), "Y");
    g->SetCellValue(2, 2, "x");
    EXPECT_EQ(g->GetCellValue(2, 2), "N");
    g->SetControlInfo(1, 1, 3, "甲\r\n乙", 1);
    const TControlInfo* ci = g->GetCellControlInfo(1, 1);
    ASSERT_EQ(ci->Kind(), 3);
    EXPECT_EQ(ci->Items()->Count(), 2);
    EXPECT_TRUE(ci->Items()->ListOnly);
}

TEST(AlignGrid, ReadsForTheConverterMakeNothing) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    IAlignGridTexts& walk = *g;
    for (int c = 0; c < walk.ColCount(); ++c)
        for (int r = 0; r < walk.RowCount(); ++r) {
            EXPECT_EQ(walk.FindHintCell(c, r), nullptr);
            EXPECT_EQ(walk.FindFontCell(c, r), nullptr);
            EXPECT_EQ(walk.ControlItemsCell(c, r), nullptr);
            EXPECT_EQ(g->CellProperties(c, r), nullptr);
        }
    EXPECT_EQ(walk.FindFontCol(1), nullptr);
    EXPECT_EQ(walk.FindFontFixedRow(0), nullptr);
    EXPECT_EQ(stored(*g, "HintCell"), "<none>");
    EXPECT_EQ(stored(*g, "PropCell"), std::string("\x01\x00", 2));
    // The creating getters still make the level's own font for writers.
    g->GetFontCell(1, 1)->SetCharset(GB2312_CHARSET);
    EXPECT_EQ(walk.FindFontCell(1, 1), g->GetFontCell(1, 1));
}

TEST(AlignGrid, StoredFormatRoundTripsExactly) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    g->SetAlignCell(1, 2, TMyAlign::alRight);
    g->SetEditMaskCell(1, 2, "000;1;_");
    g->GetFontCell(2, 1)->SetStyle(TFontStyles{fsBold, fsItalic});
    g->GetBrushCol(3)->SetColor(0x00FF00);
    g->SetSelectedColorRow(2, 0xFF0000);
    g->SetAlignFixedRow(0, TMyAlign::alCenter);
    g->SetControlInfo(3, 3, 2, "是;否", 0);
    g->SetControlInfo(2, -1, 3, "甲\t1\r\n乙\t2", 1);
    g->GetControlInfoCol(2)->Items()->DropDownCount = 5;
    g->SetHintCell(0, 3, "提示");
    g->StoreCells = true;
    g->SetCells(1, 1, "资料");
    auto written = g->WriteStoredProperties();
    std::vector<std::string> keys;
    for (auto& [k, v] : written) keys.push_back(k);
    EXPECT_EQ(keys, (std::vector<std::string>{"HintCell", "Cells", "PropCell", "PropCol", "PropRow",
                                              "PropFixedCol", "PropFixedRow"}));
    EXPECT_EQ(stored(*g, "PropFixedRow"),
              std::string("\x01\x02\x00\x02\x01\x02\x02\x02\x00\x00", 10));

    AlignFixture other;
    for (auto& [k, v] : written) other.grid->ReadStoredProperty(k, v);
    other.grid->Loaded();
    EXPECT_EQ(other.grid->WriteStoredProperties(), written);
    EXPECT_EQ(other.grid->Cells(1, 1), "资料");
    EXPECT_EQ(other.grid->GetEditMaskCell(1, 2), "000;1;_");
    const TControlInfo* check = other.grid->GetCellControlInfo(3, 3);
    EXPECT_EQ(check->CheckedValue(), "是");
    EXPECT_EQ(check->UncheckedValue(), "否");
    EXPECT_EQ(check->Items(), nullptr);
    const TControlInfo* pick = other.grid->GetCellControlInfo(2, 1);
    ASSERT_TRUE(pick->Items());
    EXPECT_EQ(pick->Items()->DropDownCount, 5);
    EXPECT_TRUE(pick->Items()->ListOnly);
    EXPECT_EQ((*pick->Items())[1], "乙\t2");
}

TEST(AlignGrid, StoredValuesThatDoNotReadAreRefused) {
    AlignFixture f;
    // Tag 8 takes exactly its length byte's characters.
    std::string rec = std::string(
        "\x01\x02\x01\x02\x02\x02\x08\x03"
        "abc\x02\x00\x00",
        14);
    f.grid->ReadStoredProperty("PropCell", rec);
    EXPECT_EQ(f.grid->GetEditMaskCell(1, 2), "abc");
    for (std::string bad :
         {std::string("\x01\x02\x01", 3), std::string("\x01\x02\x01\x02\x01\x02\x08\x30", 8),
          std::string("\x01\x06\x05", 3), std::string("\x01\x02\x01\x02\x01\x02\x01\x02\x09", 9)})
        EXPECT_THROW(f.grid->ReadStoredProperty("PropCell", bad), EReadError);
    // Old layout: binary alignment records and far indices skipped.
    f.grid->ReadStoredProperty("AlignCell", std::string("\x02\x00\x01\x00\x00", 5));
    EXPECT_EQ(f.grid->GetAlignCell(2, 1), TMyAlign::alRight);
    f.grid->ReadStoredProperty("ColorCol", std::string("\x01\x04\xff\xff\xff\x7f\x02\x05\x00", 9));
    EXPECT_EQ(f.grid->CellProperties(0, 0), nullptr);
}

TEST(AlignGrid, RowsAndColumnsCarryTheirSettings) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    f.fill();
    g->SetAlignCell(2, 2, TMyAlign::alRight);
    g->SetHintCell(2, 2, "h");
    g->SetAlignRow(2, TMyAlign::alCenter);
    g->InsertRow(1);
    EXPECT_EQ(g->RowCount(), 5);
    EXPECT_EQ(g->Cells(2, 3), "2,2");
    EXPECT_EQ(g->Cells(2, 1), "");
    EXPECT_EQ(g->CellProperties(2, 3)->Align, TMyAlign::alRight);
    EXPECT_EQ(g->GetHintCell(2, 3), "h");
    EXPECT_EQ(g->GetAlignCell(1, 3), TMyAlign::alCenter);
    g->InsertCol(0);  // counts as the first non-fixed column
    EXPECT_EQ(g->Cells(3, 3), "2,2");
    EXPECT_EQ(g->CellProperties(3, 3)->Align, TMyAlign::alRight);
    g->ExchangeRows(3, 4);
    EXPECT_EQ(g->Cells(3, 4), "2,2");
    EXPECT_EQ(g->CellProperties(3, 4)->Align, TMyAlign::alRight);
    EXPECT_EQ(g->GetAlignCell(1, 4), TMyAlign::alCenter);
    g->ExchangeCols(3, 1);
    EXPECT_EQ(g->Cells(1, 4), "2,2");
    EXPECT_EQ(g->GetHintCell(1, 4), "h");
    g->MoveColumn(1, 4);
    EXPECT_EQ(g->Cells(4, 4), "2,2");
    EXPECT_EQ(g->CellProperties(4, 4)->Align, TMyAlign::alRight);
    g->MoveRow(4, 1);  // a row moved past rows only some columns store
    EXPECT_EQ(g->Cells(4, 1), "2,2");
    EXPECT_EQ(g->CellProperties(4, 1)->Align, TMyAlign::alRight);
    g->MoveRow(1, 4);
    g->RemoveRow(1);
    EXPECT_EQ(g->RowCount(), 4);
    EXPECT_EQ(g->Cells(4, 3), "2,2");
    EXPECT_EQ(g->CellProperties(4, 3)->Align, TMyAlign::alRight);
    EXPECT_EQ(g->CellProperties(4, 4), nullptr);
    g->RemoveRow(0);  // fixed: nothing
    EXPECT_EQ(g->RowCount(), 4);
}

TEST(AlignGrid, RemovingTheOnlyRowEmptiesIt) {
    AlignFixture f(3, 2);
    f.grid->SetCells(1, 1, "x");
    f.grid->RemoveRow(1);
    EXPECT_EQ(f.grid->RowCount(), 2);
    EXPECT_EQ(f.grid->Cells(1, 1), "");
}

TEST(AlignGrid, CopyAndPasteBlocks) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    g->SetCells(1, 1, "甲");
    g->SetCells(2, 1, "b");
    g->SetCells(1, 2, "c");
    g->SetCells(2, 2, "乙");
    auto s = g->CopyToStream(nullptr, '\t', {1, 1, 2, 2});
    auto* mem = static_cast<TMemoryStream*>(s.get());
    EXPECT_EQ(mem->Bytes(), "甲\tb\t\r\nc\t乙\t\r\n");
    AlignFixture other;
    other.grid->PasteFromStream(*mem, '\t', {1, 1, 2, 2});
    EXPECT_EQ(other.grid->Cells(1, 1), "甲");
    EXPECT_EQ(other.grid->Cells(2, 2), "乙");
    // A single selected cell takes only the first field of the first line.
    AlignFixture one;
    one.grid->PasteFromStream(*mem, '\t', {2, 2, 2, 2});
    EXPECT_EQ(one.grid->Cells(2, 2), "甲");
    EXPECT_EQ(one.grid->Cells(3, 2), "");
    EXPECT_EQ(one.grid->Cells(2, 3), "");
    // Without limits the paste grows the grid.
    AlignFixture grow(2, 2);
    grow.grid->PasteFromStream(*mem, '\t', {1, 1, 0, 0});
    EXPECT_EQ(grow.grid->ColCount(), 3);
    EXPECT_EQ(grow.grid->RowCount(), 3);
    EXPECT_EQ(grow.grid->Cells(2, 2), "乙");
    // Through the clipboard: copy, then cut empties the range.
    g->SetSelection({1, 1, 2, 2});
    g->CutToClipboard();
    EXPECT_EQ(g->Cells(1, 1), "");
    EXPECT_EQ(Clipboard().GetData(kClipboardText).value_or(""),
              std::string("甲\tb\t\r\nc\t乙\t\r\n") + '\0');
    g->SetSelection({1, 1, 2, 2});
    g->PasteFromClipboard();
    EXPECT_EQ(g->Cells(2, 2), "乙");
}

TEST(AlignGrid, NextCellRules) {
    AlignFixture f(4, 4);
    TStringAlignGrid* g = f.grid;
    using N = T_nextcell;
    using L = T_lastcell;
    EXPECT_EQ(g->NextCell(3, 1, N::nc_rightdown, L::lc_stop), (TGridCoord{1, 2}));
    EXPECT_EQ(g->NextCell(1, 2, N::nc_leftup, L::lc_stop), (TGridCoord{3, 1}));
    EXPECT_EQ(g->NextCell(3, 3, N::nc_rightdown, L::lc_stop), (TGridCoord{-1, -1}));
    EXPECT_EQ(g->NextCell(3, 3, N::nc_rightdown, L::lc_first), (TGridCoord{1, 1}));
    EXPECT_EQ(g->NextCell(1, 1, N::nc_upleft, L::lc_first), (TGridCoord{3, 3}));
    EXPECT_EQ(g->NextCell(3, 3, N::nc_downright, L::lc_newcolrow), (TGridCoord{4, 1}));
    EXPECT_EQ(g->ColCount(), 5);
}

TEST(AlignGrid, EnterAndTabMove) {
    AlignFixture f(4, 3);
    TStringAlignGrid* g = f.grid;
    g->AutoEditNextCell = true;
    g->FocusCell(3, 2, true);
    std::vector<std::pair<int, int>> after;
    g->OnAfterEdit = TCellEvent([&](TObject*, int c, int r) { after.push_back({c, r}); }, nullptr);
    uint16_t key = VK_RETURN;
    g->KeyDown(key, {});
    EXPECT_EQ(g->RowCount(), 4);
    EXPECT_EQ(g->Col(), 1);
    EXPECT_EQ(g->Row(), 3);
    EXPECT_EQ(after, (std::vector<std::pair<int, int>>{{3, 2}}));
    key = VK_RETURN;
    g->KeyDown(key, {ssShift});  // back to the end of the row above
    EXPECT_EQ(g->Col(), 3);
    EXPECT_EQ(g->Row(), 2);
    // A refused validation keeps the cell.
    g->OnValidateEdit = TCellEventBool([](TObject*, int, int, bool& ok) { ok = false; }, nullptr);
    key = VK_RETURN;
    g->KeyDown(key, {});
    EXPECT_EQ(g->Col(), 3);
    EXPECT_TRUE(g->ReEdit());
    g->OnValidateEdit = TCellEventBool();
    // Tab: past the last cell to the first; stops when no other column takes it.
    g->FocusCell(3, 3, true);
    key = VK_TAB;
    g->KeyDown(key, {});
    EXPECT_EQ(g->Col(), 1);
    EXPECT_EQ(g->Row(), 1);
    g->AfterLastCellTab = T_lastcell::lc_stop;
    g->FocusCell(3, 3, true);
    key = VK_TAB;
    g->KeyDown(key, {});
    EXPECT_EQ(g->Col(), 3);
    g->AfterLastCellTab = T_lastcell::lc_first;
    g->SetTabStops(1, false);
    g->SetTabStops(3, false);
    g->FocusCell(2, 1, true);
    key = VK_TAB;
    g->KeyDown(key, {});
    EXPECT_EQ(g->Col(), 2);
    EXPECT_EQ(g->Row(), 2);
}

TEST(AlignGrid, EditorChecksPicksAndCancels) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    g->SetControlInfo(1, -1, 2, "Y;N", 0);
    g->SetControlInfo(2, -1, 3, "Apple\r\nApricot\r\nBanana", 1);
    g->SetFocus();
    g->FocusCell(1, 1, true);
    g->ShowEditor();
    auto* ed = g->Editor();
    ASSERT_TRUE(ed);
    g->SetCells(1, 1, "Y");
    ed->SimulateKey(0, {}, ' ');
    EXPECT_EQ(g->Cells(1, 1), "N");
    ed->SimulateKey(0, {}, ' ');
    EXPECT_EQ(g->Cells(1, 1), "Y");

    g->FocusCell(2, 1, true);
    g->ShowEditor();
    ASSERT_EQ(ed->Style(), 2);
    int picks = 0;
    g->OnComboBoxClick = TNotifyEvent([&](TObject*) { ++picks; }, nullptr);
    EXPECT_TRUE(ed->SearchPick('a', 10000));
    EXPECT_EQ(g->Cells(2, 1), "Apple");
    EXPECT_TRUE(ed->SearchPick('p', 10500));
    EXPECT_TRUE(ed->SearchPick('r', 11000));
    EXPECT_EQ(g->Cells(2, 1), "Apricot");
    EXPECT_FALSE(ed->SearchPick('z', 11500));
    EXPECT_EQ(g->Cells(2, 1), "Apricot");
    EXPECT_TRUE(ed->SearchPick('b', 20000));  // a pause starts a new search
    EXPECT_EQ(ed->SearchText(), "b");
    EXPECT_EQ(g->Cells(2, 1), "Banana");
    EXPECT_EQ(picks, 4);

    g->SetCells(3, 1, "old");
    g->FocusCell(3, 1, true);
    int cancels = 0;
    g->OnCancelEdit = TCellEvent([&](TObject*, int, int) { ++cancels; }, nullptr);
    g->ShowEditor();
    uitest::TypeText(ed, "new");
    EXPECT_NE(g->Cells(3, 1), "old");
    ed->SimulateKey(0, {}, 27);
    EXPECT_EQ(g->Cells(3, 1), "old");
    EXPECT_EQ(cancels, 1);
}

TEST(AlignGrid, PaintingMasksAmpersandsAndSelection) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    g->SetEditMaskCell(1, 1, "(000);0;_");
    g->SetCells(2, 1, "A&B");
    g->SetDrawSelection(false);
    TRecordingCanvas c;
    g->PaintTo(c);
    auto t = c.Texts();
    EXPECT_NE(std::find(t.begin(), t.end(), "A&B"), t.end());
    EXPECT_EQ(std::find(t.begin(), t.end(), "()"), t.end());
    for (const CanvasOp& op : c.Ops())
        if (op.Kind == CanvasOpKind::FillRect && op.Rect == g->CellRect(1, 1)) {
            EXPECT_NE(op.Brush.Color, g->SelectedCellColor());
        }
}

TEST(AlignGrid, SortingOrdersByValueAndKeepsTheSettingsWithTheirCells) {
    AlignFixture f(3, 6);
    TStringAlignGrid* g = f.grid;
    const char* keys[] = {"", "甲", "b", "A", "b", "a"};
    for (int r = 1; r < 6; ++r) {
        g->SetCells(1, r, keys[r]);
        g->SetCells(2, r, std::to_string(r));
    }
    g->GetBrushCell(1, 3)->SetColor(0x123456);
    g->SetHintCell(2, 1, "first");
    g->SortRows(1, 1, 5);
    // Byte order: ASCII capitals, then lower case, then the Chinese text.
    std::vector<std::string> order;
    for (int r = 1; r < 6; ++r) order.push_back(g->Cells(1, r));
    EXPECT_EQ(order, (std::vector<std::string>{"A", "a", "b", "b", "甲"}));
    EXPECT_EQ(g->Cells(2, 1), "3");
    EXPECT_EQ(g->GetColorCell(1, 1), 0x123456);
    EXPECT_EQ(g->GetHintCell(2, 5), "first");
    EXPECT_EQ(g->Cells(1, 0), "");  // outside the range

    // Columns by the values of one row; a handler of its own reverses the order.
    AlignFixture h(5, 2);
    for (int c = 0; c < 5; ++c) h.grid->SetCells(c, 1, std::string(1, char('a' + (c * 3) % 5)));
    h.grid->OnCompareRow = [&](TObject*, int row, int a, int b) {
        std::string x = h.grid->GetCellValue(a, row), y = h.grid->GetCellValue(b, row);
        return x < y ? 2 : x == y ? 1 : 0;
    };
    h.grid->SortCols(1, 0, 4);
    std::string cols;
    for (int c = 0; c < 5; ++c) cols += h.grid->Cells(c, 1);
    EXPECT_EQ(cols, "edcba");
}

namespace {
QWidget* viewportOf(TStringAlignGrid* g) {
    return static_cast<QAbstractScrollArea*>(g->Widget())->viewport();
}
// The mouse resting over a point of the grid: the platform's hint request.
void restMouse(TStringAlignGrid* g, TPoint p) {
    QWidget* vp = viewportOf(g);
    QHelpEvent e(QEvent::ToolTip, QPoint(p.X, p.Y), vp->mapToGlobal(QPoint(p.X, p.Y)));
    QCoreApplication::sendEvent(vp, &e);
}
void moveMouse(TStringAlignGrid* g, TPoint p) {
    QWidget* vp = viewportOf(g);
    QMouseEvent e(QEvent::MouseMove, QPointF(p.X, p.Y), vp->mapToGlobal(QPointF(p.X, p.Y)),
                  Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &e);
}
TPoint centreOf(const TRect& r) {
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}
}  // namespace

TEST(AlignGrid, EachCellShowsItsOwnHintInTheHintWindow) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    f.fx.form->SetShowHint(true);
    g->SetHint("整个表格");
    g->SetHintCell(2, 1, "委外单号");
    g->SetHintCell(1, 2, "hide me");
    g->OnShowHintCell = TShowHintCellProc(
        [](TObject*, int, int, std::string& text, bool& can) { can = text != "hide me"; },
        f.fx.form);
    restMouse(g, centreOf(g->CellRect(2, 1)));
    EXPECT_EQ(Application->HintText(), "委外单号");
    EXPECT_EQ(Application->HintControl(), g);
    EXPECT_EQ(g->HintCell(), (TGridCoord{2, 1}));
    // Moving inside the cell keeps it; into another cell takes it away.
    moveMouse(g, centreOf(g->CellRect(2, 1)));
    EXPECT_EQ(Application->HintText(), "委外单号");
    moveMouse(g, centreOf(g->CellRect(3, 1)));
    EXPECT_EQ(Application->HintText(), "");
    EXPECT_EQ(g->HintCell(), (TGridCoord{-1, -1}));
    // A handler can refuse; a cell without a hint of its own shows the grid's.
    restMouse(g, centreOf(g->CellRect(1, 2)));
    EXPECT_EQ(Application->HintText(), "");
    restMouse(g, centreOf(g->CellRect(3, 3)));
    EXPECT_EQ(Application->HintText(), "整个表格");
    // Without cell hints the grid's own hint shows.
    g->ShowCellHints = false;
    restMouse(g, centreOf(g->CellRect(2, 1)));
    EXPECT_EQ(Application->HintText(), "整个表格");
    Application->CancelHint();
}

TEST(AlignGrid, DraggingTheThumbScrollsOnlyWithRedrawWhileScroll) {
    AlignFixture f(4, 200);
    TStringAlignGrid* g = f.grid;
    const WPARAM track = SB_THUMBTRACK | (40 << 16);
    g->Perform(WM_VSCROLL, track, 0);
    EXPECT_EQ(g->TopRow(), 1);
    g->RedrawWhileScroll = true;
    g->Perform(WM_VSCROLL, track, 0);
    EXPECT_EQ(g->TopRow(), 41);
}

TEST(AlignGrid, TheEditorFollowsAFontChange) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    f.fill();
    g->SetCol(1);
    g->SetRow(1);
    g->SetFocus();
    g->SetEditorMode(true);
    ASSERT_NE(g->Editor(), nullptr);
    TFont bigger;
    bigger.Assign(*g->Font());
    bigger.SetSize(16);
    g->SetFont(bigger);
    EXPECT_EQ(g->Editor()->Font()->Size(), 16);
    // A cell font of its own wins over the grid's.
    g->GetFontCell(1, 1)->SetSize(20);
    bigger.SetSize(11);
    g->SetFont(bigger);
    EXPECT_EQ(g->Editor()->Font()->Size(), 20);
}

TEST(AlignGrid, HintPictures) {
    struct Lang {
        const char *name, *title, *value, *hint;
    };
    for (Lang l : {Lang{"CHS", "委外单号", "5101-20050301001", "[F2]委外单号信息查询"},
                   Lang{"ENG", "Order No.", "5101-20050301001", "[F2] Look up the order"}}) {
        AlignFixture f(3, 4);
        TStringAlignGrid* g = f.grid;
        f.fx.form->SetShowHint(true);
        g->SetColWidths(1, 140);
        g->SetCells(1, 0, l.title);
        g->SetCells(1, 1, l.value);
        g->SetHintCell(1, 1, l.hint);
        restMouse(g, centreOf(g->CellRect(1, 1)));
        ASSERT_EQ(Application->HintText(), l.hint);
        // The hint window drawn where it stands over the form.
        TBitmap shot = Screenshot(f.fx.form);
        THintWindow* w = Application->HintWindow();
        TPoint formAt = f.fx.form->ClientToScreen({0, 0});
        TPoint at = {w->Left() - formAt.X + (shot.Width() - f.fx.form->ClientWidth()) / 2,
                     w->Top() - formAt.Y + (shot.Height() - f.fx.form->ClientHeight())};
        shot.Canvas()->Draw(at.X, at.Y, Screenshot(w));
        std::string file = std::string("AlignGridHint-") + l.name + ".png";
        shot.SaveToFile(::testing::TempDir() + file);
        if (const char* dir = std::getenv("KTRB_SHOTS")) shot.SaveToFile(dir + ("/" + file));
        Application->CancelHint();
    }
}

TEST(AlignGrid, PickListDropsDownItsOwnList) {
    AlignFixture f;
    TStringAlignGrid* g = f.grid;
    g->SetControlInfo(2, -1, 3, "苹果\tA\r\nApricot\r\nBanana\tB", 1);
    g->SetFocus();
    g->FocusCell(2, 1, true);
    g->ShowEditor();
    TNewInplaceEdit* ed = g->Editor();
    ASSERT_TRUE(ed);
    ASSERT_EQ(ed->Style(), 2);
    ed->SimulateKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(ed->ListVisible());
    TPopupListbox* list = ed->PopupList();
    ASSERT_TRUE(list && list->Visible());
    EXPECT_EQ(list->Items()->Count(), 3);
    EXPECT_EQ((*list->Items())[0], "苹果");
    EXPECT_EQ(list->Values(), (std::vector<std::string>{"A", "Apricot", "B"}));
    EXPECT_EQ(list->Height(), list->ItemHeight() * 3 + 4);
    EXPECT_EQ(list->Parent(), nullptr);
    // Down, then Enter: the display text of the chosen line goes into the cell.
    ed->SimulateKey(VK_DOWN);
    ed->SimulateKey(VK_DOWN);
    ed->SimulateKey(VK_RETURN);
    EXPECT_FALSE(ed->ListVisible());
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ(g->Cells(2, 1), "Banana");
    // Esc closes it and leaves the cell.
    ed->SimulateKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(ed->ListVisible());
    EXPECT_EQ(list->ItemIndex(), 2);  // the line equal to the text
    ed->SimulateKey(VK_UP);
    ed->SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(ed->ListVisible());
    EXPECT_EQ(g->Cells(2, 1), "Banana");
    // The list's own search, and an empty list 4 pixels high.
    EXPECT_TRUE(list->Search('a', 10000));
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_FALSE(list->Search('z', 10100));
    list->FillItems({});
    EXPECT_EQ(list->Items()->Count(), 0);
}

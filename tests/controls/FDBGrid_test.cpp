#include "controls/FDBGrid.h"

#include <gtest/gtest.h>

#include <map>

#include "controls/controls_fixture.h"
#include "platform/data/field.h"

using namespace plat;
using namespace ktrb;

namespace {

constexpr TColor kOdd = 0xECFFFB, kEven = 0xE7F9CE, kFocus = 0xF2DCB7;

// A shown grid over `rows` records of a code and an amount.
struct GridFixture {
    ctltest::Fixture fx;
    TClientDataSet* ds = new TClientDataSet(fx.form);
    TDataSource* src = new TDataSource(fx.form);
    TFDBGrid* grid = new TFDBGrid(fx.form);

    explicit GridFixture(int rows) {
        ds->FieldDefs().Add("CODE", TFieldType::ftString, 10);
        ds->FieldDefs().Add("AMOUNT", TFieldType::ftFloat);
        ds->CreateDataSet();
        for (int i = 1; i <= rows; ++i) {
            ds->Append();
            ds->FieldByName("CODE")->SetAsString("C" + std::to_string(i));
            ds->FieldByName("AMOUNT")->SetAsFloat(i * 10.5);
            ds->Post();
        }
        ds->First();
        src->SetDataSet(ds);
        grid->SetParent(fx.form);
        grid->SetBounds(0, 0, 380, 280);
        grid->SetDataSource(src);
        grid->SetOptions(grid->Options() + TDataGridOption::dgEditing +
                         TDataGridOption::dgRowLines + TDataGridOption::dgColLines);
    }
    std::vector<CanvasOp> paint() {
        TRecordingCanvas c;
        grid->PaintTo(c);
        return c.Ops();
    }
};

// The colour last filled over exactly this rectangle.
TColor fillOf(const std::vector<CanvasOp>& ops, const TRect& r) {
    TColor found = clNone;
    for (const CanvasOp& op : ops)
        if (op.Kind == CanvasOpKind::FillRect && op.Rect == r) found = op.Brush.Color;
    return found;
}

std::vector<CanvasOp> digitBoxes(TCurrencyStyle& s, int width, double value, int decimals) {
    TRecordingCanvas c;
    c.Brush.Color = 0xFFFFFF;
    s.PaintDigitBoxes(c, {0, 0, width, 20}, value, decimals, 1, false);
    return c.Ops();
}

std::vector<std::string> texts(const std::vector<CanvasOp>& ops) {
    std::vector<std::string> t;
    for (const CanvasOp& op : ops)
        if (op.Kind == CanvasOpKind::Text) t.push_back(op.Text);
    return t;
}

}  // namespace

TEST(StripedGrid, RowsStripeByRecordNumberAndTheCurrentRowIsMarked) {
    GridFixture f(3);
    f.ds->Next();  // record 2 is current
    auto ops = f.paint();
    const int col = f.grid->IndicatorOffset();
    EXPECT_EQ(fillOf(ops, f.grid->CellRect(col, 1)), kOdd);
    EXPECT_EQ(fillOf(ops, f.grid->CellRect(col, 2)), kFocus);
    EXPECT_EQ(fillOf(ops, f.grid->CellRect(col + 1, 2)), kFocus);
    EXPECT_EQ(fillOf(ops, f.grid->CellRect(col, 3)), kOdd);
    f.ds->First();
    ops = f.paint();
    EXPECT_EQ(fillOf(ops, f.grid->CellRect(col, 2)), kEven);
}

TEST(StripedGrid, FixedCellsRaiseNoColourEvent) {
    GridFixture f(2);
    std::vector<TGridDrawState> seen;
    f.grid->OnCalcCellColors = TCalcCellColorsEvent(
        [&](TObject*, TField*, TGridDrawState st, bool, TFont*, TBrush*) { seen.push_back(st); },
        nullptr);
    f.paint();
    ASSERT_FALSE(seen.empty());
    for (const TGridDrawState& st : seen) EXPECT_FALSE(st == TGridDrawState{gdFixed});
}

TEST(StripedGrid, BlankRowsContinueTheAlternation) {
    GridFixture f(3);
    auto ops = f.paint();
    const int top = f.grid->DataRowsHeight();
    std::map<int, TColor> rowColours;  // first data-column fill of each blank row
    const int dataLeft = f.grid->CellRect(f.grid->IndicatorOffset(), 1).Left;
    for (const CanvasOp& op : ops)
        if (op.Kind == CanvasOpKind::FillRect && op.Rect.Top > top && op.Rect.Left == dataLeft &&
            !rowColours.count(op.Rect.Top))
            rowColours[op.Rect.Top] = op.Brush.Color;
    ASSERT_GE(rowColours.size(), 3u);
    auto it = rowColours.begin();
    EXPECT_EQ((it++)->second, kEven);
    EXPECT_EQ((it++)->second, kOdd);
    EXPECT_EQ((it++)->second, kEven);
    f.grid->SetGrawGridInBlank(false);
    ops = f.paint();
    for (const CanvasOp& op : ops)
        if (op.Kind == CanvasOpKind::FillRect && op.Rect.Top > top) {
            EXPECT_NE(op.Brush.Color, kEven);
        }
}

TEST(StripedGrid, CheckBoxCellsUseTheModulePictures) {
    GridFixture f(1);
    f.ds->Edit();
    f.ds->FieldByName("CODE")->SetAsString("Y");
    f.ds->Post();
    f.grid->Columns()->Add()->SetFieldName("CODE");
    f.grid->Columns()->Items(0)->SetControlType(TColumnControlType::ctCheckBox);
    auto ops = f.paint();
    TRect cell = f.grid->CellRect(f.grid->IndicatorOffset(), 1);
    const TBitmap& bmp = f.grid->CheckedBitmap();
    bool drawn = false;
    for (const CanvasOp& op : ops)
        if (op.Kind == CanvasOpKind::Image &&
            op.Rect.Left == cell.Left + (cell.Width() - bmp.Width()) / 2 + 2 &&
            op.Rect.Top == cell.Top + (cell.Height() - bmp.Height()) / 2 + 1 &&
            op.Rect.Width() == bmp.Width())
            drawn = true;
    EXPECT_TRUE(drawn);
}

TEST(StripedGrid, AClickBelowTheLastRowAppendsOneRecord) {
    GridFixture f(2);
    f.paint();
    int x = f.grid->CellRect(f.grid->IndicatorOffset() + 1, 1).Left + 5;
    int y = f.grid->DataRowsHeight() + 10;
    uitest::MouseClick(f.grid, x, y);
    EXPECT_EQ(f.ds->State(), dsInsert);
    EXPECT_EQ(f.ds->RecordCount(), 2);
    EXPECT_EQ(f.grid->SelectedIndex(), 1);
    int rows = f.ds->DisplayRowCount();
    f.paint();
    uitest::MouseClick(f.grid, x, f.grid->DataRowsHeight() + 10);
    EXPECT_EQ(f.ds->DisplayRowCount(), rows);  // the untouched new row stays the only one
    EXPECT_EQ(f.ds->State(), dsInsert);
}

TEST(StripedGrid, NoAppendWhenInsertingIsNotAllowed) {
    GridFixture f(2);
    f.grid->SetKeyOptions({});
    f.paint();
    uitest::MouseClick(f.grid, f.grid->CellRect(1, 1).Left + 5, f.grid->DataRowsHeight() + 10);
    EXPECT_EQ(f.ds->State(), dsBrowse);
}

// ---- Digit boxes ----

TEST(DigitBoxes, TheWorkedExample) {
    TCurrencyStyle s(nullptr);
    s.SetEnabled(true);
    s.SetFixColWidth(false);
    auto ops = digitBoxes(s, 200, 1234.5, 2);
    EXPECT_EQ(texts(ops), (std::vector<std::string>{"1", "2", "3", "4", "5", "0"}));
    std::vector<TColor> lines;
    for (const CanvasOp& op : ops)
        if (op.Kind == CanvasOpKind::Polyline) lines.push_back(op.Pen.Color);
    ASSERT_EQ(lines.size(), 9u);  // left of boxes 1..9
    for (int i = 1; i <= 9; ++i) {
        TColor want = i == 8 ? 0x0000FF : (i == 2 || i == 5) ? 0x008000 : 0xC0C0C0;
        EXPECT_EQ(lines[i - 1], want) << "line left of box " << i;
    }
}

TEST(DigitBoxes, FixedWidthBoxesFollowTheColumnWidth) {
    TCurrencyStyle s(nullptr);
    s.SetEnabled(true);
    TCanvas measure;
    measure.Font.Assign(*s.CurrencyFont());
    const int c = measure.TextWidth("0") + 1;
    digitBoxes(s, 60, 1, 2);
    EXPECT_EQ(s.DigitalNumber(), 60 / (1 + c));
}

TEST(DigitBoxes, NoRoomPaintsNothing) {
    TCurrencyStyle s(nullptr);
    s.SetEnabled(true);
    for (int width : {0, -5}) EXPECT_TRUE(digitBoxes(s, width, 12, 2).empty()) << width;
    s.SetFixColWidth(false);
    s.SetDecimalNumber(0);
    s.SetDigitalNumber(0);
    ASSERT_EQ(s.DigitalNumber(), 0);
    EXPECT_TRUE(texts(digitBoxes(s, 100, 12, 0)).empty());
    s.SetFixColWidth(true);
    EXPECT_TRUE(texts(digitBoxes(s, 3, 12, 0)).empty());  // narrower than one box
}

TEST(DigitBoxes, ZeroNegativeAndOverflow) {
    TCurrencyStyle s(nullptr);
    s.SetEnabled(true);
    s.SetFixColWidth(false);
    EXPECT_EQ(texts(digitBoxes(s, 200, 0, 2)), (std::vector<std::string>{"0", "0", "0"}));
    s.SetZeroEmpty(true);
    EXPECT_TRUE(texts(digitBoxes(s, 200, 0, 2)).empty());
    EXPECT_EQ(texts(digitBoxes(s, 200, -12.5, 2)),
              (std::vector<std::string>{"-", "1", "2", "5", "0"}));
    s.SetShowNegativeSign(false);
    s.SetShowNegativeColor(true);
    auto ops = digitBoxes(s, 200, -12.5, 2);
    EXPECT_EQ(texts(ops), (std::vector<std::string>{"1", "2", "5", "0"}));
    EXPECT_EQ(fillOf(ops, {0, 0, 200, 20}), s.NegativeColor());
    s.SetDigitalNumber(4);
    EXPECT_EQ(texts(digitBoxes(s, 200, 123456, 2)), (std::vector<std::string>{"#", "#", "#", "#"}));
}

TEST(DigitBoxes, FieldListAndPerFieldDecimals) {
    TCurrencyStyle s(nullptr);
    s.SetEnabled(true);
    s.SetFixColWidth(false);
    s.SetCurrencyNames("A;B");
    auto semi = s.CurrencyList();
    s.SetCurrencyNames("A\r\nB");
    EXPECT_EQ(s.CurrencyList(), semi);
    s.SetCurrencyNames("AMOUNT;PRICE=4");
    TRecordingCanvas c;
    s.PaintCurrencyCell(c, {0, 0, 200, 20}, "price", 1.5, 1, false);
    EXPECT_EQ(texts(c.Ops()), (std::vector<std::string>{"1", "5", "0", "0", "0"}));
    c.Clear();
    s.SetCurrencyNames("PRICE=99");  // a count no cell can hold: the default
    s.PaintCurrencyCell(c, {0, 0, 200, 20}, "PRICE", 1.5, 1, false);
    EXPECT_EQ(texts(c.Ops()), (std::vector<std::string>{"1", "5", "0"}));
    c.Clear();
    s.PaintCurrencyCell(c, {0, 0, 200, 20}, "OTHER", 1.5, 1, false);
    EXPECT_TRUE(c.Ops().empty());
    s.SetEnabled(false);
    s.PaintCurrencyCell(c, {0, 0, 200, 20}, "AMOUNT", 1.5, 1, false);
    EXPECT_TRUE(c.Ops().empty());
}

TEST(DigitBoxes, SettersKeepTheirRanges) {
    TCurrencyStyle s(nullptr);
    s.SetDecimalNumber(10);  // not below DigitalNumber
    EXPECT_EQ(s.DecimalNumber(), 2);
    s.SetDecimalNumber(3);
    EXPECT_EQ(s.DecimalFormat(), "0.000");
    s.SetDigitalNumber(19);
    EXPECT_EQ(s.DigitalNumber(), 10);
    s.SetMaxLength(19);
    EXPECT_EQ(s.MaxLength(), 18);
    s.SetValue(-3);
    EXPECT_EQ(s.Value(), -3);
}

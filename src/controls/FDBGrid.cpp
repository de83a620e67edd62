#include "controls/FDBGrid.h"

#include <algorithm>

#include "controls/GlyphLibrary.h"
#include "platform/component/properties.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"

namespace ktrb {

using namespace plat;

// ---- Row colours -------------------------------------------------------------------------

TFDBGridColors::TFDBGridColors(TFDBGrid* grid) : grid_(grid) {
    SetOddRecColor(0xECFFFB);
    SetEvenRecColor(0xE7F9CE);
    SetFocusRecColor(0xF2DCB7);
}

void TFDBGridColors::set(TColor& field, TColor c) {
    if (field == c) return;
    field = c;
    if (grid_) grid_->LayoutChanged();
}
void TFDBGridColors::SetOddRecColor(TColor c) {
    set(odd_, c);
}
void TFDBGridColors::SetEvenRecColor(TColor c) {
    set(even_, c);
}
void TFDBGridColors::SetFocusRecColor(TColor c) {
    set(focus_, c);
}

// ---- Digit boxes ---------------------------------------------------------------------------

TCurrencyStyle::TCurrencyStyle(TFDBGrid* grid) : grid_(grid) {
    currencyFont_.OnChange = [this] {
        MeasureCurrencyFont();
        Changed();
    };
    MeasureCurrencyFont();
    enabled_ = false;
    SetCurrencyNames(";;");
}

void TCurrencyStyle::Assign(TPersistent* source) {
    if (auto* s = dynamic_cast<TCurrencyStyle*>(source)) {
        currencyFont_.Assign(s->currencyFont_);
        return;
    }
    TPersistent::Assign(source);
}

void TCurrencyStyle::Changed() {
    OnChange(this);
    if (grid_) grid_->Invalidate();
}

void TCurrencyStyle::changedIfNegative() {
    if (valueSign_ == -1) Changed();
}

void TCurrencyStyle::SetEnabled(bool v) {
    if (enabled_ == v) return;
    enabled_ = v;
    Changed();
}

void TCurrencyStyle::SetCurrencyFont(TFont* f) {
    if (!f || f == &currencyFont_) return;
    TFontData d = f->Data();
    d.Style = {};
    currencyFont_.SetData(d);
}

void TCurrencyStyle::SetNegativeFont(TFont* f) {
    if (f && f != &negativeFont_) negativeFont_.Assign(*f);
    changedIfNegative();
}

#define KTRB_STYLE_SETTER(Name, field, Type) \
    void TCurrencyStyle::Set##Name(Type v) { \
        field = v;                           \
        Changed();                           \
    }
KTRB_STYLE_SETTER(CurrencySymbol, symbol_, const std::string&)
KTRB_STYLE_SETTER(CurrencySymbolAligned, symbolAligned_, bool)
KTRB_STYLE_SETTER(DecimalSeparatorColor, decimalSepColor_, TColor)
KTRB_STYLE_SETTER(GridLineColor, lineColor_, TColor)
KTRB_STYLE_SETTER(GridLineWidth, lineWidth_, int)
KTRB_STYLE_SETTER(KilobitSeparatorColor, kiloColor_, TColor)
KTRB_STYLE_SETTER(TextLayout, layout_, TTextLayout)
KTRB_STYLE_SETTER(ZeroEmpty, zeroEmpty_, bool)
KTRB_STYLE_SETTER(ColorUseGridCellColor, useCellColor_, bool)
#undef KTRB_STYLE_SETTER

void TCurrencyStyle::SetNegativeColor(TColor v) {
    negativeColor_ = v;
    changedIfNegative();
}
void TCurrencyStyle::SetShowNegativeColor(bool v) {
    showNegColor_ = v;
    changedIfNegative();
}
void TCurrencyStyle::SetShowNegativeFont(bool v) {
    showNegFont_ = v;
    changedIfNegative();
}
void TCurrencyStyle::SetShowNegativeSign(bool v) {
    showNegSign_ = v;
    changedIfNegative();
}

void TCurrencyStyle::SetMaxLength(int v) {
    if (v >= 0 && v <= 18) maxLength_ = v;
}

void TCurrencyStyle::SetDecimalNumber(int n) {
    if (n < 0 || n >= digitalNumber_) return;
    decimalNumber_ = n;
    decimalPointCount_ = n > 0 ? 1 : 0;
    decimalFormat_ = "0" + std::string(n > 0 ? "." : "") + std::string(n, '0');
    Changed();
}

void TCurrencyStyle::SetDigitalNumber(int n) {
    if (n < decimalNumber_ || n > 18) return;
    digitalNumber_ = n;
    Changed();
}

void TCurrencyStyle::SetValue(double x) {
    if (x >= 0) {
        value_ = x;
        valueSign_ = 1;
    } else {
        value_ = -x;
        valueSign_ = -1;
    }
}

void TCurrencyStyle::SetCurrencyNames(const std::string& s) {
    if (s == names_ && !list_.empty()) return;
    names_ = s;
    // ";" and line breaks both separate names.
    list_.clear();
    std::string cur;
    for (size_t i = 0; i < s.size(); ++i) {
        char ch = s[i];
        if (ch == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
        if (ch == ';' || ch == '\r' || ch == '\n') {
            list_.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    if (!cur.empty() || (!s.empty() && s.back() == ';')) list_.push_back(cur);
    Changed();
}

void TCurrencyStyle::MeasureCurrencyFont() {
    TCanvas c;
    c.Font.Assign(currencyFont_);
    engWidth_ = c.TextWidth("0");
    engHeight_ = c.TextHeight("09");
    TFontData d = currencyFont_.Data();
    d.Height = -c.TextHeight("分");
    d.Width = (engWidth_ + engWidth_ / 2) / 2;
    c.Font.SetData(d);
    chnWidth_ = c.TextWidth("分");
    chnHeight_ = c.TextHeight("分");
}

void TCurrencyStyle::PaintCurrencyCell(TCanvas& canvas, const TRect& rect,
                                       const std::string& fieldName, double value, int topExtend,
                                       bool blank) {
    if (!enabled_ || fieldName.empty()) return;
    const std::string* found = nullptr;
    std::string decimalsText;
    for (const std::string& line : list_) {
        size_t eq = line.find('=');
        if (eq != std::string::npos && AnsiSameText(line.substr(0, eq), fieldName)) {
            found = &line;
            decimalsText = line.substr(eq + 1);
            break;
        }
    }
    if (!found)
        for (const std::string& line : list_)
            if (AnsiSameText(line, fieldName)) found = &line;
    if (!found) return;
    int decimals = decimalNumber_;
    if (!decimalsText.empty()) {
        double d = StrToFloatDef(Trim(decimalsText), -1);
        // A count the boxes could never hold is taken as not given.
        if (d == (int)d && d >= 0 && d <= 18) decimals = (int)d;
    }
    PaintDigitBoxes(canvas, rect, value, decimals, topExtend, blank);
}

void TCurrencyStyle::PaintDigitBoxes(TCanvas& canvas, const TRect& rect, double value, int decimals,
                                     int topExtend, bool blank) {
    if (!enabled_) return;
    const int L = rect.Left, T = rect.Top, B = rect.Bottom;
    const int W = rect.Right - rect.Left, H = rect.Bottom - rect.Top;
    const int g = lineWidth_;
    const int dp = decimals > 0 ? 1 : 0;
    // No room (or no boxes asked for): nothing to divide the cell into.
    if (W <= 0 || H <= 0) return;
    TFont savedFont;
    savedFont.Assign(canvas.Font);
    const TColor savedBrush = canvas.Brush.Color;
    std::string format = "0" + std::string(dp ? "." : "") + std::string(decimals, '0');
    canvas.Font.Assign(value < 0 && showNegFont_ ? negativeFont_ : currencyFont_);
    auto restore = [&] {
        canvas.Brush.Color = savedBrush;
        canvas.Font.Assign(savedFont);
    };
    int n, c;
    if (fixColWidth_) {
        c = canvas.TextWidth("0") + 1;
        n = W / (g + c);
        digitalNumber_ = n;
    } else {
        n = digitalNumber_;
        c = n > 0 ? (W - g * (n - 1)) / n : 0;
    }
    if (n <= 0 || c <= 0) {
        restore();
        return;
    }
    const int e = W - g * (n - 1) - n * c;
    auto box = [&](int j) {
        int x = L + e + j * (c + g);
        return TRect{j == 0 ? L : x, T, x + c, B};
    };
    auto fillBox = [&](int j) {
        if (j >= 0 && j < n) canvas.FillRect(box(j));
    };
    if (useCellColor_) color_ = canvas.Brush.Color;
    canvas.Brush.Color = value < 0 && showNegColor_ ? negativeColor_ : color_;
    canvas.FillRect(rect);
    const TPen savedPen = canvas.Pen;
    const TPoint savedPos = canvas.PenPos;
    canvas.Pen.Width = g;
    for (int i = 1; i < n; ++i) {
        int x = L + e + i * (c + g) - g;
        int k = n - decimals - i;
        canvas.Pen.Color = k == 0 ? decimalSepColor_ : (k % 3 == 0 ? kiloColor_ : lineColor_);
        canvas.MoveTo(x, T - topExtend);
        canvas.LineTo(x, B);
    }
    canvas.Pen = savedPen;
    canvas.PenPos = savedPos;
    if ((zeroEmpty_ && value == 0) || blank) {
        for (int j = 0; j < n; ++j) fillBox(j);
        restore();
        return;
    }
    std::string s = FormatFloat(format, value < 0 && !showNegSign_ ? -value : value);
    int m = (int)s.size();
    const int sy = symbol_.empty() ? 0 : 1;
    if (n - (m - dp) < sy) {
        s = std::string(std::max(0, n - decimals - sy), '#') + std::string(dp, '.') +
            std::string(decimals, '#');
        m = n + dp - sy;
    }
    const int f = n + dp - m;
    const int th = canvas.TextHeight("0");
    int v = layout_ == TTextLayout::tlTop      ? 0
            : layout_ == TTextLayout::tlCenter ? (H - th) / 2 + 1
                                               : H - th;
    if (sy) {
        fillBox(0);
        int sx = (c - canvas.TextWidth(symbol_)) / 2;
        if (symbolAligned_ || f == 1) {
            canvas.TextRect(box(0), L + sx + e / 2, T + v, symbol_);
            for (int j = 1; j < f; ++j) fillBox(j);
        } else {
            for (int j = 1; j <= f - 2; ++j) fillBox(j);
            if (f - 1 >= 0) {
                TRect r = box(f - 1);
                canvas.TextRect(r, L + e + (f - 1) * (c + g) + sx, T + v, symbol_);
            }
        }
    } else {
        for (int j = 0; j < f; ++j) fillBox(j);
    }
    const int lx = (c - canvas.TextWidth("0")) / 2;
    auto drawChar = [&](int j, char ch) {
        if (j < 0 || j >= n) return;
        TRect r = box(j);
        canvas.Rectangle(r);
        canvas.TextRect(r, L + e + j * (c + g) + lx, T + v, std::string(1, ch));
    };
    const int intChars = m - decimals - dp;
    for (int i = 1; i <= intChars; ++i) drawChar(f - 1 + i, s[i - 1]);
    for (int k = 0; k < decimals && m - decimals + k < (int)s.size(); ++k)
        drawChar(n - decimals + k, s[m - decimals + k]);
    restore();
}

// ---- The grid ------------------------------------------------------------------------------

TFDBGrid::TFDBGrid(TComponent* owner)
    : TCustomDataGrid(owner),
      checked_(std::make_unique<TBitmap>()),
      unchecked_(std::make_unique<TBitmap>()) {
    RegisterCheckBoxBitmaps();
    checked_->LoadFromResourceName("CHECKED");
    unchecked_->LoadFromResourceName("UNCHECKED");
    checked_->Transparent = unchecked_->Transparent = true;
    colors_ = new TFDBGridColors(this);
    currency_ = std::make_unique<TCurrencyStyle>(this);
    blank_ = true;
}

TFDBGrid::~TFDBGrid() {
    delete colors_;
}

void TFDBGrid::SetGridColors(TFDBGridColors* c) {
    if (c == colors_) return;
    delete colors_;
    colors_ = c;
}

void TFDBGrid::SetGrawGridInBlank(bool v) {
    if (blank_ == v) return;
    blank_ = v;
    LayoutChanged();
}

void TFDBGrid::DoCalcCellColors(TField* field, TGridDrawState state, bool highlight, TFont* font,
                                TBrush* brush) {
    if (TDataSet* ds = DataSet()) {
        if (state == TGridDrawState{gdFixed}) return;

        brush->Color = ds->RecNo() % 2 != 0 ? colors_->OddRecColor() : colors_->EvenRecColor();
        lastStripe_ = brush->Color;
        if (ActiveRow() == DrawingRow()) brush->Color = colors_->FocusRecColor();
        font->SetColor(Font()->Color());
        if (highlight) {
            brush->Color = clHighlight;
            font->SetColor(clHighlightText);
        }
    }
    TCustomDataGrid::DoCalcCellColors(field, state, highlight, font, brush);
}

void TFDBGrid::DrawCheckBox(const TRect& rect, int, int, bool checked) {
    TCanvas* c = Canvas();
    int dx = (rect.Width() - checked_->Width()) / 2 + 2;
    int dy = (rect.Height() - checked_->Height()) / 2 + 1;
    c->Brush.Style = TBrushStyle::bsSolid;
    c->FillRect(rect);
    c->Draw(rect.Left + dx, rect.Top + dy, checked ? *checked_ : *unchecked_);
}

void TFDBGrid::DrawDataCell(const TRect& rect, TField* field, TGridDrawState state) {
    TCustomDataGrid::DrawDataCell(rect, field, state);
    if (!field || !currency_->Enabled()) return;
    currency_->PaintCurrencyCell(*Canvas(), rect, field->FieldName(),
                                 StrToFloatDef(field->Text(), 0), GridLineWidth(), false);
}

namespace {
bool hasRecords(TDataSet* ds) {
    return ds && ds->Active() && ds->DisplayRowCount() > 0;
}
}  // namespace

int TFDBGrid::DataRowsHeight() {
    const int lw = GridLineWidth();
    const int rl = Options().Contains(TDataGridOption::dgRowLines) ? lw : 0;
    const int limit = GridHeight();
    int y = 0;
    for (int r = 0; r < FixedRows(); ++r) y += RowHeights(r) + rl;
    if (hasRecords(DataSet()))
        for (int r = TopRow(); r < RowCount() && y <= limit; ++r) y += RowHeights(r) + rl;
    return y - rl;
}

int TFDBGrid::DataAreaBottom() {
    return GridHeight() - GridLineWidth();
}

int TFDBGrid::fixedDataCount() {
    int f = FixedDataCols();
    return f > ColCount() - IndicatorOffset() ? 0 : f;
}

void TFDBGrid::PaintEmptyArea(const TRect& area) {
    TCustomDataGrid::PaintEmptyArea(area);
    if (blank_) paintBlankArea(DataRowsHeight());
}

void TFDBGrid::paintBlankArea(int y) {
    TCanvas* c = Canvas();
    const TBrush savedBrush = c->Brush;
    const TPen savedPen = c->Pen;
    const int lw = GridLineWidth();
    const int rl = Options().Contains(TDataGridOption::dgRowLines) ? lw : 0;
    const int rowH = RowHeights(std::min(1, RowCount() - 1)) + lw;
    const int q = rowH > 0 ? (GridHeight() - y - lw) / rowH : -1;
    const int r0 = hasRecords(DataSet()) ? RowCount() : TopRow();
    for (int k = 0; k <= q; ++k) {
        paintBlankRow(r0 + k, 0, y);
        y += DefaultRowHeight() + rl;
    }
    c->Brush = savedBrush;
    c->Pen = savedPen;
}

void TFDBGrid::paintBlankRow(int row, int x, int y) {
    TCanvas* c = Canvas();
    c->Brush.Style = TBrushStyle::bsSolid;
    const int ind = IndicatorOffset(), F = fixedDataCount();
    const int lw = GridLineWidth();
    const bool rowLines = Options().Contains(TDataGridOption::dgRowLines);
    const bool colLines = Options().Contains(TDataGridOption::dgColLines);
    const int h = row < RowCount() ? RowHeights(row) : DefaultRowHeight();
    const int bottom = DataAreaBottom();
    auto cellAt = [&](int col, bool fixed) {
        int w = ColWidths(col);
        int top = rowLines ? y + lw : y;
        TRect cell{x, top, x + w, top + h};
        bool cut = false;
        if (cell.Bottom > bottom) {
            cell.Bottom = bottom;
            cut = true;
        }
        c->FillRect(cell);
        drawBlankCellEdges(cell, !cut, fixed);
        if (col - ind >= 0)
            if (TDataGridColumn* column = ColumnAt(col))
                currency_->PaintCurrencyCell(*c, cell, column->FieldName(), 0, lw, true);
        x += w + (colLines ? lw : 0);
    };
    c->Brush.Color = TitleColor();
    for (int col = 0; col < ind + F; ++col) cellAt(col, true);
    if (F == ColCount() - ind) return;
    lastStripe_ =
        lastStripe_ == colors_->OddRecColor() ? colors_->EvenRecColor() : colors_->OddRecColor();
    for (int col = std::max(LeftCol(), ind + F); col < ColCount(); ++col) {
        c->Brush.Style = TBrushStyle::bsSolid;
        c->Brush.Color = lastStripe_;
        cellAt(col, false);
    }
}

void TFDBGrid::drawBlankCellEdges(const TRect& cell, bool notCut, bool fixed) {
    TCanvas* c = Canvas();
    const TColor dark = fixed ? TColor(0) : clBtnShadow;
    if (Options().Contains(TDataGridOption::dgRowLines) && notCut) {
        c->Pen.Color = 0xFFFFFF;
        c->MoveTo(cell.Left, cell.Top);
        c->LineTo(cell.Right, cell.Top);
        c->Pen.Color = dark;
        c->MoveTo(cell.Left - 1, cell.Bottom);
        c->LineTo(cell.Right, cell.Bottom);
    }
    if (Options().Contains(TDataGridOption::dgColLines)) {
        c->Pen.Color = 0xFFFFFF;
        c->MoveTo(cell.Left, cell.Top);
        c->LineTo(cell.Left, cell.Bottom);
        c->Pen.Color = dark;
        c->MoveTo(cell.Right, cell.Top - 1);
        c->LineTo(cell.Right, cell.Bottom);
    }
}

int TFDBGrid::selectColumnAt(int x, int y) {
    if (Options().Contains(TDataGridOption::dgRowSelect)) return -1;
    int col = MouseCoord(x, y).X - IndicatorOffset();
    if (col >= 0) SetSelectedIndex(col);
    return col;
}

void TFDBGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomDataGrid::MouseDown(button, shift, x, y);
    const int lw = Options().Contains(TDataGridOption::dgColLines) ? GridLineWidth() : 0;
    const int ind = IndicatorOffset(), F = fixedDataCount();
    int fixedRight = 0, lastRight = 0;
    for (int col = 0; col < ColCount(); ++col) {
        if (col < ind + F) fixedRight += ColWidths(col) + lw;
        lastRight += ColWidths(col) + lw;
    }
    const int top = DataRowsHeight();
    if (!(x > fixedRight && x < lastRight && y > top && y < DataAreaBottom())) return;
    TDataSet* d = DataSet();
    if (!d || !d->Active()) return;
    if (d->State() == dsInsert && !d->Modified() && !EditModified()) {
        bool atEnd = ActiveRow() - TitleOffset() >= d->DisplayRowCount() - 1;
        if (atEnd) {
            selectColumnAt(x, top - 1);
            return;
        }
        d->Cancel();
    }
    if (d->CanModify() && !ReadOnly() && Options().Contains(TDataGridOption::dgEditing) &&
        KeyOptions().Contains(TDataGridKeyOption::dgAllowInsert)) {
        HideControls();
        d->Append();
        selectColumnAt(x, top + 1);
    }
}

PLAT_PUBLISH(TFDBGridColors) {
    p.Color("OddRecColor", &TFDBGridColors::OddRecColor, &TFDBGridColors::SetOddRecColor);
    p.Color("EvenRecColor", &TFDBGridColors::EvenRecColor, &TFDBGridColors::SetEvenRecColor);
    p.Color("FocusRecColor", &TFDBGridColors::FocusRecColor, &TFDBGridColors::SetFocusRecColor);
}

PLAT_PUBLISH(TCurrencyStyle) {
    p.Prop("_Enabled", &TCurrencyStyle::Enabled, &TCurrencyStyle::SetEnabled);
    p.Prop("FixColWidth", &TCurrencyStyle::FixColWidth, &TCurrencyStyle::SetFixColWidth);
    p.Prop("CurrencySymbol", &TCurrencyStyle::CurrencySymbol, &TCurrencyStyle::SetCurrencySymbol);
    p.Prop("CurrencySymbolAligned", &TCurrencyStyle::CurrencySymbolAligned,
           &TCurrencyStyle::SetCurrencySymbolAligned);
    p.Prop("DecimalNumber", &TCurrencyStyle::DecimalNumber, &TCurrencyStyle::SetDecimalNumber);
    p.Prop("DigitalNumber", &TCurrencyStyle::DigitalNumber, &TCurrencyStyle::SetDigitalNumber);
    p.Prop("GridLineWidth", &TCurrencyStyle::GridLineWidth, &TCurrencyStyle::SetGridLineWidth);
    p.Prop("MaxLength", &TCurrencyStyle::MaxLength, &TCurrencyStyle::SetMaxLength);
    p.Prop("ShowNegativeColor", &TCurrencyStyle::ShowNegativeColor,
           &TCurrencyStyle::SetShowNegativeColor);
    p.Prop("ShowNegativeFont", &TCurrencyStyle::ShowNegativeFont,
           &TCurrencyStyle::SetShowNegativeFont);
    p.Prop("ShowNegativeSign", &TCurrencyStyle::ShowNegativeSign,
           &TCurrencyStyle::SetShowNegativeSign);
    p.Prop("TextLayout", &TCurrencyStyle::TextLayout, &TCurrencyStyle::SetTextLayout);
    p.Prop("ZeroEmpty", &TCurrencyStyle::ZeroEmpty, &TCurrencyStyle::SetZeroEmpty);
    p.Prop("ColorUseGridCellColor", &TCurrencyStyle::ColorUseGridCellColor,
           &TCurrencyStyle::SetColorUseGridCellColor);
    p.Prop("CurrencyNames", &TCurrencyStyle::CurrencyNames, &TCurrencyStyle::SetCurrencyNames);
}

PLAT_PUBLISH(TFDBGrid) {
    p.Prop("GrawGridInBlank", &TFDBGrid::GrawGridInBlank, &TFDBGrid::SetGrawGridInBlank);
}

}  // namespace ktrb

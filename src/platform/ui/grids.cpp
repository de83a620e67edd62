#include "platform/ui/grids.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "platform/component/properties.h"
#include "platform/core/text.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

namespace {
constexpr int kSizeMargin = 3;  // pixels either side of a line that start a resize
}

// The scroll area hands its viewport's events to the grid as well.
class GridArea : public HostWidget<QAbstractScrollArea> {
  public:
    using HostWidget<QAbstractScrollArea>::HostWidget;

  protected:
    bool viewportEvent(QEvent* e) override {
        if (!control_) return QAbstractScrollArea::viewportEvent(e);
        return RouteEvent(control_, e, QtBaseEvent{viewport(), &baseViewportEvent});
    }

  private:
    static bool baseViewportEvent(QWidget* vp, QEvent* e) {
        return static_cast<GridArea*>(vp->parentWidget())->QAbstractScrollArea::viewportEvent(e);
    }
};

// A list shown under the editor without taking the focus from it.
class TPickListPopup {
  public:
    TPickListPopup() {
        list_ = new QListWidget();
        list_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                              Qt::WindowDoesNotAcceptFocus);
        list_->setAttribute(Qt::WA_ShowWithoutActivating);
        list_->setFocusPolicy(Qt::NoFocus);
    }
    ~TPickListPopup() { delete list_; }
    QListWidget* list_;
};

// ---- TInplaceEdit -------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomMaskEdit(owner) {
    SetBorderStyle(TBorderStyle::bsNone);
    PaintsOver = true;
    Hide();
}

TInplaceEdit::~TInplaceEdit() {
    BeginDestroy();
}

void TInplaceEdit::SetEditStyle(TEditStyle v) {
    if (editStyle_ == v) return;
    if (listVisible_) CloseUp(false);
    editStyle_ = v;
    Invalidate();
}

TRect TInplaceEdit::ButtonRect() const {
    if (editStyle_ == TEditStyle::esSimple) return {};
    return {Width() - ButtonWidth, 0, Width(), Height()};
}

void TInplaceEdit::UpdateContents() {
    if (!grid_) return;
    struct Guard {
        bool& f;
        ~Guard() { f = false; }
    } g{loading_};
    loading_ = true;
    int c = grid_->Col(), r = grid_->Row();
    SetEditMask(grid_->GetEditMask(c, r));
    SetEditStyle(grid_->GetEditStyle(c, r));
    PickList.clear();
    if (editStyle_ == TEditStyle::esPickList) grid_->GetPickListItems(c, r, PickList);
    SetText(grid_->GetEditText(c, r));
    SetReadOnly(!grid_->CanEditModify());
    SetModified(false);
}

void TInplaceEdit::Move(const TRect& r) {
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    if (auto* le = Widget())
        le->setContentsMargins(0, 0, editStyle_ == TEditStyle::esSimple ? 0 : ButtonWidth, 0);
    Show();
}

bool TInplaceEdit::WantsKey(uint16_t key, TShiftState shift) const {
    if (key == VK_TAB) return grid_ && grid_->WantsKey(key, shift);
    if (key == VK_RETURN || key == VK_ESCAPE) return true;
    return TCustomMaskEdit::WantsKey(key, shift);
}

void TInplaceEdit::KeyDown(uint16_t& key, TShiftState shift) {
    TCustomMaskEdit::KeyDown(key, shift);
    if (!key || !grid_) return;
    if (listVisible_) {
        switch (key) {
            case VK_RETURN:
            case VK_ESCAPE:
                CloseUp(key == VK_RETURN);
                key = 0;
                return;
            case VK_UP:
            case VK_DOWN:
                if (shift.Contains(ssAlt)) {
                    CloseUp(true);
                } else {
                    int n = (int)PickList.size();
                    if (n)
                        SetPickListIndex(
                            std::clamp(PickListIndex() + (key == VK_UP ? -1 : 1), 0, n - 1));
                }
                key = 0;
                return;
            default:
                break;
        }
    }
    if (editStyle_ == TEditStyle::esPickList && shift.Contains(ssAlt) &&
        (key == VK_DOWN || key == VK_UP)) {
        DropDown();
        key = 0;
        return;
    }
    if (editStyle_ == TEditStyle::esEllipsis && key == VK_RETURN && shift.Contains(ssCtrl)) {
        EditButtonClick();
        key = 0;
        return;
    }
    bool atStart = SelStart() == 0 && SelLength() == 0;
    bool atEnd = SelStart() >= (int)Utf8ToU32(Text()).size() && SelLength() == 0;
    switch (key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_TAB:
        case VK_RETURN:
        case VK_ESCAPE:
            grid_->KeyDown(key, shift);
            break;
        case VK_LEFT:
            if (atStart) grid_->KeyDown(key, shift);
            break;
        case VK_RIGHT:
            if (atEnd) grid_->KeyDown(key, shift);
            break;
        case VK_HOME:
        case VK_END:
            if (shift.Contains(ssCtrl)) grid_->KeyDown(key, shift);
            break;
        default:
            break;
    }
}

void TInplaceEdit::KeyPress(char32_t& key) {
    if (grid_ && key >= 32 && !grid_->CanEditAcceptKey(key)) key = 0;
    if (key == 9 || key == 13 || key == 27) key = 0;  // the grid handled them as keys
    if (key) TCustomMaskEdit::KeyPress(key);
}

void TInplaceEdit::Change() {
    TCustomMaskEdit::Change();
    if (!loading_ && grid_) grid_->SetEditText(grid_->Col(), grid_->Row(), EditText());
}

void TInplaceEdit::DoExit() {
    if (listVisible_) CloseUp(false);
    TCustomMaskEdit::DoExit();
}

void TInplaceEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomMaskEdit::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !ButtonRect().Contains({x, y})) return;
    if (editStyle_ == TEditStyle::esPickList) {
        if (listVisible_)
            CloseUp(false);
        else
            DropDown();
    } else if (editStyle_ == TEditStyle::esEllipsis) {
        EditButtonClick();
    }
}

void TInplaceEdit::EditButtonClick() {
    if (grid_) grid_->EditButtonClick();
}

void TInplaceEdit::PaintOver() {
    if (editStyle_ == TEditStyle::esSimple) return;
    TRect r = ButtonRect();
    TCanvas* c = Canvas();
    if (editStyle_ == TEditStyle::esPickList) {
        DrawComboArrow(*c, r, listVisible_, !ReadOnly());
        return;
    }
    TRect face = r;
    DrawButtonFace(*c, face, false);
    c->Brush.Color = clBlack;
    int w = std::max(2, std::min(r.Height(), ButtonWidth) / 8);
    int x = r.Left + (r.Width() - 3 * w - 4) / 2, y = r.Top + (r.Height() - w) / 2;
    for (int i = 0; i < 3; ++i) c->FillRect({x + i * (w + 2), y, x + i * (w + 2) + w, y + w});
}

void TInplaceEdit::DropDown() {
    if (listVisible_ || editStyle_ != TEditStyle::esPickList) return;
    if (!list_) {
        list_ = std::make_unique<TPickListPopup>();
        QObject::connect(list_->list_, &QListWidget::itemClicked, list_->list_,
                         [this](QListWidgetItem* it) {
                             pickIndex_ = list_->list_->row(it);
                             SafeCall([&] { CloseUp(true); });
                         });
    }
    QListWidget* l = list_->list_;
    l->clear();
    for (const auto& s : PickList) l->addItem(Q(s));
    l->setFont(ToQFont(*Font()));
    int rowH = std::max(14, FontTextHeight(Font()->Data()) + 2);
    int rows = std::min((int)PickList.size(), DropDownRows);
    l->resize(Width(), rowH * rows + 4);
    pickIndex_ = -1;
    for (size_t i = 0; i < PickList.size(); ++i)
        if (PickList[i] == Text()) pickIndex_ = (int)i;
    if (pickIndex_ < 0 && !PickList.empty()) pickIndex_ = 0;
    if (pickIndex_ >= 0) l->setCurrentRow(pickIndex_);
    TPoint p = ClientToScreen({0, Height()});
    l->move(p.X, p.Y);
    l->show();
    listVisible_ = true;
    Invalidate();
}

void TInplaceEdit::CloseUp(bool accept) {
    if (!listVisible_) return;
    list_->list_->hide();
    listVisible_ = false;
    Invalidate();
    if (accept && pickIndex_ >= 0 && pickIndex_ < (int)PickList.size() && !ReadOnly()) {
        SetText(PickList[pickIndex_]);
        SetModified(true);
        if (grid_) grid_->SetEditText(grid_->Col(), grid_->Row(), EditText());
    }
}

void TInplaceEdit::SetPickListIndex(int i) {
    pickIndex_ = i;
    if (list_ && listVisible_) list_->list_->setCurrentRow(i);
}

// ---- TCustomGrid ----------------------------------------------------------------------

TCustomGrid::TCustomGrid(TComponent* owner) : TWinControl(owner) {
    auto* area = new GridArea(this);
    auto* vp = new QWidget;
    area->setViewport(vp);
    // Moves without a button reach the grid too (hover cursors, cell hints).
    vp->setMouseTracking(true);
    area->setFocusPolicy(Qt::StrongFocus);
    area->setFrameShape(QFrame::Box);
    area->setLineWidth(1);
    vp->setFocusPolicy(Qt::NoFocus);
    vp->setAttribute(Qt::WA_OpaquePaintEvent);
    area_ = area;
    viewport_ = vp;
    SetWidget(area, true);
    SetClientWidget(vp);
    SetTabStop(true);
    SetColor(clWindow);
    ControlStyle =
        TControlStyle{TControlStyleItem::csCaptureMouse, TControlStyleItem::csOpaque,
                      TControlStyleItem::csDoubleClicks, TControlStyleItem::csClickEvents};
    colWidths_.assign(colCount_, defaultColWidth_);
    tabStops_.assign(colCount_, true);
    for (QScrollBar* b : {area->verticalScrollBar(), area->horizontalScrollBar()}) {
        bool vert = b == area->verticalScrollBar();
        b->setTracking(true);
        QObject::connect(b, &QScrollBar::valueChanged, vp, [this, b, vert](int v) {
            if (updatingBars_) return;
            if (b->isSliderDown())
                SafeCall([&] { ScrollMessage(vert, SB_THUMBTRACK, v); });
            else
                SafeCall([&] { scrollBarMoved(vert, v); });
        });
        QObject::connect(b, &QScrollBar::sliderReleased, vp, [this, b, vert] {
            SafeCall([&] { ScrollMessage(vert, SB_THUMBPOSITION, b->value()); });
        });
    }
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() {
    BeginDestroy();
}

int TCustomGrid::GridWidth() const {
    return viewport_->width();
}
int TCustomGrid::GridHeight() const {
    return viewport_->height();
}

void TCustomGrid::SetColCount(int v) {
    v = std::max(v, 1);
    if (v == colCount_) return;
    colCount_ = v;
    colWidths_.resize(v, defaultColWidth_);
    tabStops_.resize(v, true);
    if (fixedCols_ >= v) fixedCols_ = v - 1;
    SizeChanged();
}

void TCustomGrid::SetRowCount(int v) {
    v = std::max(v, 1);
    if (v == rowCount_) return;
    rowCount_ = v;
    if (fixedRows_ >= v) fixedRows_ = v - 1;
    rowHeights_.erase(rowHeights_.lower_bound(v), rowHeights_.end());
    SizeChanged();
}

void TCustomGrid::SetFixedCols(int v) {
    v = std::clamp(v, 0, colCount_ - 1);
    fixedCols_ = v;
    SizeChanged();
}

void TCustomGrid::SetFixedRows(int v) {
    v = std::clamp(v, 0, rowCount_ - 1);
    fixedRows_ = v;
    SizeChanged();
}

void TCustomGrid::SizeChanged() {
    int c = std::clamp(col_, fixedCols_, colCount_ - 1);
    int r = std::clamp(row_, fixedRows_, rowCount_ - 1);
    topRow_ = std::clamp(topRow_, fixedRows_, rowCount_ - 1);
    leftCol_ = std::clamp(leftCol_, fixedCols_, colCount_ - 1);
    if (c != col_ || r != row_) {
        int oc = col_, orow = row_;
        col_ = anchorCol_ = c;
        row_ = anchorRow_ = r;
        CurrentCellChanged(oc, orow);
    }
    anchorCol_ = std::clamp(anchorCol_, fixedCols_, colCount_ - 1);
    anchorRow_ = std::clamp(anchorRow_, fixedRows_, rowCount_ - 1);
    UpdateScrollBars();
    if (editorMode_) placeEditor();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int v) {
    defaultColWidth_ = std::max(v, 0);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
    ColWidthsChanged();
    SizeChanged();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
    defaultRowHeight_ = std::max(v, 0);
    rowHeights_.clear();
    RowHeightsChanged();
    SizeChanged();
}

int TCustomGrid::ColWidths(int col) const {
    return col >= 0 && col < colCount_ ? colWidths_[col] : defaultColWidth_;
}

void TCustomGrid::SetColWidths(int col, int w) {
    if (col < 0 || col >= colCount_) return;
    w = std::max(w, -1);
    if (colWidths_[col] == w) return;
    colWidths_[col] = w;
    ColWidthsChanged();
    SizeChanged();
}

int TCustomGrid::RowHeights(int row) const {
    auto it = rowHeights_.find(row);
    return it == rowHeights_.end() ? defaultRowHeight_ : it->second;
}

void TCustomGrid::SetRowHeights(int row, int h) {
    if (row < 0 || row >= rowCount_) return;
    h = std::max(h, -1);
    if (h == defaultRowHeight_)
        rowHeights_.erase(row);
    else
        rowHeights_[row] = h;
    RowHeightsChanged();
    SizeChanged();
}

void TCustomGrid::SetGridLineWidth(int v) {
    gridLineWidth_ = std::max(v, 0);
    SizeChanged();
}

void TCustomGrid::SetFixedColor(TColor c) {
    fixedColor_ = c;
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions o) {
    if (o == options_) return;
    options_ = o;
    if (options_.Contains(TGridOption::goRowSelect))
        options_.Exclude(TGridOption::goAlwaysShowEditor);
    if (options_.Contains(TGridOption::goRowSelect) || !options_.Contains(TGridOption::goEditing))
        HideEditor();
    else if (options_.Contains(TGridOption::goAlwaysShowEditor))
        ShowEditor();
    Invalidate();
}

bool TCustomGrid::TabStops(int col) const {
    return col >= 0 && col < colCount_ ? (bool)tabStops_[col] : false;
}

void TCustomGrid::SetTabStops(int col, bool v) {
    if (col >= 0 && col < colCount_) tabStops_[col] = v;
}

TGridRect TCustomGrid::Selection() const {
    TGridRect r{std::min(col_, anchorCol_), std::min(row_, anchorRow_), std::max(col_, anchorCol_),
                std::max(row_, anchorRow_)};
    if (options_.Contains(TGridOption::goRowSelect)) {
        r.Left = fixedCols_;
        r.Right = colCount_ - 1;
    }
    return r;
}

void TCustomGrid::SetSelection(const TGridRect& r) {
    anchorCol_ = std::clamp(r.Left, fixedCols_, colCount_ - 1);
    anchorRow_ = std::clamp(r.Top, fixedRows_, rowCount_ - 1);
    setCurrent(std::clamp(r.Right, fixedCols_, colCount_ - 1),
               std::clamp(r.Bottom, fixedRows_, rowCount_ - 1), false);
}

bool TCustomGrid::FocusCell(int col, int row, bool moveAnchor) {
    col = std::clamp(col, fixedCols_, colCount_ - 1);
    row = std::clamp(row, fixedRows_, rowCount_ - 1);
    if (col == col_ && row == row_) {
        if (moveAnchor && (anchorCol_ != col || anchorRow_ != row)) {
            anchorCol_ = col;
            anchorRow_ = row;
            Invalidate();
        }
        return true;
    }
    if (!SelectCell(col, row)) return false;
    setCurrent(col, row, moveAnchor);
    return true;
}

void TCustomGrid::setCurrent(int col, int row, bool moveAnchor) {
    // The cell being left keeps what was typed (a refusal raises and stays).
    if (editorMode_ && editor_ && editor_->Visible()) UpdateEditorText();
    int oc = col_, orow = row_;
    col_ = col;
    row_ = row;
    if (moveAnchor) {
        anchorCol_ = col;
        anchorRow_ = row;
    }
    ClampInView();
    if (oc != col_ || orow != row_) CurrentCellChanged(oc, orow);
    if (editorMode_ || options_.Contains(TGridOption::goAlwaysShowEditor)) {
        if (CanEditShow()) {
            editorMode_ = true;
            if (editor_) {
                editor_->UpdateContents();
                // On another cell what is typed replaces the cell's text.
                if (oc != col_ || orow != row_) editor_->SelectAll();
            }
            placeEditor();
        } else {
            HideEditor();
        }
    }
    Invalidate();
}

void TCustomGrid::ClampInView() {
    int oldTop = topRow_, oldLeft = leftCol_;
    if (row_ < topRow_)
        topRow_ = row_;
    else {
        int h = GridHeight();
        for (int r = 0; r < fixedRows_; ++r) h -= RowHeights(r) + gridLineWidth_;
        // Rows from row_ upwards that fit give the lowest top row.
        int top = row_, used = RowHeights(row_) + gridLineWidth_;
        while (top > fixedRows_ && used + RowHeights(top - 1) + gridLineWidth_ <= h) {
            --top;
            used += RowHeights(top) + gridLineWidth_;
        }
        if (topRow_ < top) topRow_ = top;
    }
    if (!options_.Contains(TGridOption::goRowSelect)) {
        if (col_ < leftCol_)
            leftCol_ = col_;
        else {
            int w = GridWidth();
            for (int c = 0; c < fixedCols_; ++c) w -= ColWidths(c) + gridLineWidth_;
            int left = col_, used = ColWidths(col_) + gridLineWidth_;
            while (left > fixedCols_ && used + ColWidths(left - 1) + gridLineWidth_ <= w) {
                --left;
                used += ColWidths(left) + gridLineWidth_;
            }
            if (leftCol_ < left) leftCol_ = left;
        }
    }
    if (oldTop != topRow_ || oldLeft != leftCol_) TopLeftChanged();
}

void TCustomGrid::SetTopRow(int r) {
    r = std::clamp(r, fixedRows_, rowCount_ - 1);
    if (r == topRow_) return;
    topRow_ = r;
    TopLeftChanged();
}

void TCustomGrid::SetLeftCol(int c) {
    c = std::clamp(c, fixedCols_, colCount_ - 1);
    if (c == leftCol_) return;
    leftCol_ = c;
    TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
    UpdateScrollBars();
    if (editorMode_) placeEditor();
    Invalidate();
    OnTopLeftChanged(this);
}

int TCustomGrid::VisibleRowCount() const {
    int h = GridHeight();
    for (int r = 0; r < fixedRows_; ++r) h -= RowHeights(r) + gridLineWidth_;
    int n = 0;
    for (int r = topRow_; r < rowCount_; ++r) {
        h -= RowHeights(r) + gridLineWidth_;
        if (h < 0) break;
        ++n;
    }
    return n;
}

int TCustomGrid::VisibleColCount() const {
    int w = GridWidth();
    for (int c = 0; c < fixedCols_; ++c) w -= ColWidths(c) + gridLineWidth_;
    int n = 0;
    for (int c = leftCol_; c < colCount_; ++c) {
        w -= ColWidths(c) + gridLineWidth_;
        if (w < 0) break;
        ++n;
    }
    return n;
}

int TCustomGrid::rowTopOf(int row) const {
    if (row < 0 || row >= rowCount_) return -1;
    int y = 0;
    if (row < fixedRows_) {
        for (int r = 0; r < row; ++r) y += RowHeights(r) + gridLineWidth_;
        return y;
    }
    if (row < topRow_) return -1;
    for (int r = 0; r < fixedRows_; ++r) y += RowHeights(r) + gridLineWidth_;
    int h = GridHeight();
    for (int r = topRow_; r < row; ++r) {
        y += RowHeights(r) + gridLineWidth_;
        if (y >= h) return -1;
    }
    return y < h ? y : -1;
}

int TCustomGrid::colLeftOf(int col) const {
    if (col < 0 || col >= colCount_) return -1;
    int x = 0;
    if (col < fixedCols_) {
        for (int c = 0; c < col; ++c) x += ColWidths(c) + gridLineWidth_;
        return x;
    }
    if (col < leftCol_) return -1;
    for (int c = 0; c < fixedCols_; ++c) x += ColWidths(c) + gridLineWidth_;
    int w = GridWidth();
    for (int c = leftCol_; c < col; ++c) {
        x += ColWidths(c) + gridLineWidth_;
        if (x >= w) return -1;
    }
    return x < w ? x : -1;
}

TRect TCustomGrid::CellRect(int col, int row) const {
    int x = colLeftOf(col), y = rowTopOf(row);
    if (x < 0 || y < 0) return {};
    return {x, y, x + ColWidths(col), y + RowHeights(row)};
}

TRect TCustomGrid::EditorRect(int col, int row) const {
    TRect r = CellRect(col, row);
    if (r.IsEmpty()) return {};
    r.Right = std::min(r.Right, GridWidth());
    r.Bottom = std::min(r.Bottom, GridHeight());
    if (r.Right <= r.Left || r.Bottom <= r.Top) return {};
    return r;
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
    TGridCoord g;
    int cx = 0;
    for (int c = 0; c < colCount_; ++c) {
        if (c == fixedCols_) c = std::max(c, leftCol_);
        if (c >= colCount_) break;
        int w = ColWidths(c) + gridLineWidth_;
        if (x >= cx && x < cx + w) {
            g.X = c;
            break;
        }
        cx += w;
        if (cx > GridWidth()) break;
    }
    int cy = 0;
    for (int r = 0; r < rowCount_; ++r) {
        if (r == fixedRows_) r = std::max(r, topRow_);
        if (r >= rowCount_) break;
        int h = RowHeights(r) + gridLineWidth_;
        if (y >= cy && y < cy + h) {
            g.Y = r;
            break;
        }
        cy += h;
        if (cy > GridHeight()) break;
    }
    if (g.X < 0 || g.Y < 0) return {-1, -1};
    return g;
}

TGridDrawState TCustomGrid::StateOf(int col, int row) const {
    TGridDrawState s;
    if (col < fixedCols_ || row < fixedRows_) return TGridDrawState{gdFixed};
    TGridRect sel = Selection();
    if (col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom)
        s.Include(gdSelected);
    if (col == col_ && row == row_ && Focused()) s.Include(gdFocused);
    return s;
}

bool TCustomGrid::inplaceFocused() const {
    return editor_ && editor_->Focused();
}

void TCustomGrid::Paint() {
    TCanvas* c = Canvas();
    int w = GridWidth(), h = GridHeight();
    TColor lineColor = clSilver;
    int lw = gridLineWidth_;
    int y = 0, lastX = 0, lastY = 0;
    auto paintRow = [&](int r) {
        int rh = RowHeights(r);
        int x = 0;
        bool fixedRow = r < fixedRows_;
        for (int col = 0; col < colCount_ && x < w; ++col) {
            if (col == fixedCols_) col = std::max(col, leftCol_);
            if (col >= colCount_) break;
            int cw = ColWidths(col);
            if (cw < 0) continue;
            TRect cell{x, y, x + cw, y + rh};
            TGridDrawState st = StateOf(col, r);
            bool fixed = st.Contains(gdFixed);
            if (DefaultDrawing) {
                c->Brush.Style = TBrushStyle::bsSolid;
                c->Brush.Color = fixed ? fixedColor_ : Color();
                if (st.Contains(gdSelected) &&
                    (!st.Contains(gdFocused) ||
                     options_.Contains(TGridOption::goDrawFocusSelected) ||
                     options_.Contains(TGridOption::goRowSelect))) {
                    c->Brush.Color = clHighlight;
                    c->Font.Assign(*Font());
                    c->Font.SetColor(clHighlightText);
                } else {
                    c->Font.Assign(*Font());
                }
                c->FillRect(cell);
            }
            DrawCell(col, r, cell, st);
            bool vline = fixed ? options_.Contains(TGridOption::goFixedVertLine)
                               : options_.Contains(TGridOption::goVertLine);
            bool hline = (fixed || fixedRow) ? options_.Contains(TGridOption::goFixedHorzLine)
                                             : options_.Contains(TGridOption::goHorzLine);
            if (lw > 0) {
                c->Brush.Style = TBrushStyle::bsSolid;
                c->Brush.Color = fixed ? clBlack : lineColor;
                if (vline) c->FillRect({cell.Right, y, cell.Right + lw, y + rh + lw});
                if (hline) c->FillRect({x, cell.Bottom, cell.Right + lw, cell.Bottom + lw});
                if (!vline || !hline) {
                    c->Brush.Color = fixed ? fixedColor_ : Color();
                    if (!vline) c->FillRect({cell.Right, y, cell.Right + lw, y + rh + lw});
                    if (!hline) c->FillRect({x, cell.Bottom, cell.Right + lw, cell.Bottom + lw});
                }
            }
            if (fixed && DefaultDrawing) {
                TRect e = cell;
                Frame3D(*c, e, clBtnHighlight, clBtnShadow, 1);
            }
            if (st.Contains(gdFocused) && !options_.Contains(TGridOption::goRowSelect) &&
                !(editorMode_ && editor_ && editor_->Visible()))
                c->DrawFocusRect(cell);
            x += cw + lw;
        }
        lastX = std::max(lastX, x);
        y += rh + lw;
    };
    for (int r = 0; r < fixedRows_ && y < h; ++r) paintRow(r);
    for (int r = topRow_; r < rowCount_ && y < h; ++r) paintRow(r);
    lastY = y;
    c->Brush.Style = TBrushStyle::bsSolid;
    c->Brush.Color = Color();
    if (lastX < w) c->FillRect({lastX, 0, w, h});
    if (lastY < h) PaintEmptyArea({0, lastY, std::min(lastX, w), h});
}

void TCustomGrid::PaintEmptyArea(const TRect& area) {
    Canvas()->Brush.Color = Color();
    Canvas()->FillRect(area);
}

void TCustomGrid::InvalidateCell(int col, int row) {
    Invalidate();
}
void TCustomGrid::InvalidateRow(int row) {
    Invalidate();
}

void TCustomGrid::UpdateScrollBars() {
    updatingBars_ = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{updatingBars_};
    QScrollBar* vb = area_->verticalScrollBar();
    int vrows = std::max(1, VisibleRowCount());
    int vmax = std::max(0, rowCount_ - fixedRows_ - vrows);
    vb->setRange(0, vmax);
    vb->setPageStep(vrows);
    vb->setValue(topRow_ - fixedRows_);
    area_->setVerticalScrollBarPolicy(vmax > 0 || topRow_ > fixedRows_ ? Qt::ScrollBarAlwaysOn
                                                                       : Qt::ScrollBarAlwaysOff);
    QScrollBar* hb = area_->horizontalScrollBar();
    int total = 0;
    for (int c = 0; c < colCount_; ++c) total += ColWidths(c) + gridLineWidth_;
    int hmax = 0;
    if (total > GridWidth() + (vmax > 0 ? 0 : 0)) hmax = std::max(0, colCount_ - fixedCols_ - 1);
    hb->setRange(0, hmax);
    hb->setValue(leftCol_ - fixedCols_);
    area_->setHorizontalScrollBarPolicy(hmax > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TCustomGrid::ScrollMessage(bool vertical, int code, int position) {
    if (code == SB_THUMBPOSITION ||
        (code == SB_THUMBTRACK && options_.Contains(TGridOption::goThumbTracking)))
        scrollBarMoved(vertical, position);
}

void TCustomGrid::WndProc(TMessage& m) {
    if (m.Msg == WM_HSCROLL || m.Msg == WM_VSCROLL) {
        ScrollMessage(m.Msg == WM_VSCROLL, (int)(m.WParam & 0xFFFF),
                      (int)((m.WParam >> 16) & 0xFFFF));
        return;
    }
    TWinControl::WndProc(m);
}

void TCustomGrid::scrollBarMoved(bool vertical, int value) {
    if (vertical)
        SetTopRow(fixedRows_ + value);
    else
        SetLeftCol(fixedCols_ + value);
}

bool TCustomGrid::CanEditShow() {
    return options_.Contains(TGridOption::goEditing) &&
           !options_.Contains(TGridOption::goRowSelect) && col_ >= fixedCols_ && row_ >= fixedRows_;
}

TInplaceEdit* TCustomGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

void TCustomGrid::placeEditor() {
    if (!editor_) return;
    TRect r = EditorRect(col_, row_);
    if (r.IsEmpty()) {
        editor_->Hide();
        return;
    }
    editor_->Move(r);
}

void TCustomGrid::ShowEditor() {
    if (!CanEditShow()) return;
    editorMode_ = true;
    if (!editor_) {
        editor_ = CreateEditor();
        editor_->SetGrid(this);
        editor_->SetParent(this);
    }
    editor_->UpdateContents();
    placeEditor();
    if (Focused() || (GetParentForm(this) && Showing())) {
        if (editor_->CanFocus()) editor_->SetFocus();
    }
    Invalidate();
}

void TCustomGrid::HideEditor() {
    if (!editorMode_ && !(editor_ && editor_->Visible())) return;
    bool hadFocus = inplaceFocused();
    editorMode_ = false;
    if (editor_) {
        editor_->CloseUp(false);
        // The grid takes the keyboard before its editor goes: a focused
        // control hidden hands it to the form, which would be a move away
        // from the grid (its exit posting the line being keyed).
        if (hadFocus && CanFocus()) SetFocus();
        editor_->Hide();
    }
    Invalidate();
}

void TCustomGrid::SetEditorMode(bool on) {
    if (on)
        ShowEditor();
    else
        HideEditor();
}

void TCustomGrid::UpdateEditorText() {
    if (editor_ && editorMode_ && editor_->Modified()) SetEditText(col_, row_, editor_->EditText());
}

bool TCustomGrid::WantsKey(uint16_t key, TShiftState shift) const {
    switch (key) {
        case VK_TAB:
            return options_.Contains(TGridOption::goTabs) && !shift.Contains(ssCtrl);
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
            return true;
        case VK_ESCAPE:
            return editorMode_;
        default:
            return false;
    }
}

void TCustomGrid::MoveRowBy(int delta, TShiftState shift) {
    int r = std::clamp(row_ + delta, fixedRows_, rowCount_ - 1);
    bool range = shift.Contains(ssShift) && options_.Contains(TGridOption::goRangeSelect);
    FocusCell(col_, r, !range);
}

void TCustomGrid::KeyDown(uint16_t& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    if (!key) return;
    bool range = shift.Contains(ssShift) && options_.Contains(TGridOption::goRangeSelect);
    bool rowSel = options_.Contains(TGridOption::goRowSelect);
    int page = std::max(1, VisibleRowCount());
    auto nextTabCol = [&](bool fwd, int& c, int& r) {
        int start = c, sr = r;
        do {
            c += fwd ? 1 : -1;
            if (c >= colCount_) {
                c = fixedCols_;
                if (r + 1 >= rowCount_) return false;
                ++r;
            } else if (c < fixedCols_) {
                c = colCount_ - 1;
                if (r - 1 < fixedRows_) return false;
                --r;
            }
            if (c == start && r == sr) return false;
        } while (!TabStops(c));
        return true;
    };
    switch (key) {
        case VK_UP:
            MoveRowBy(-1, shift);
            break;
        case VK_DOWN:
            MoveRowBy(1, shift);
            break;
        case VK_PRIOR:
            MoveRowBy(-page, shift);
            break;
        case VK_NEXT:
            MoveRowBy(page, shift);
            break;
        case VK_LEFT:
            if (rowSel)
                SetLeftCol(leftCol_ - 1);
            else
                FocusCell(col_ - 1, row_, !range);
            break;
        case VK_RIGHT:
            if (rowSel)
                SetLeftCol(leftCol_ + 1);
            else
                FocusCell(col_ + 1, row_, !range);
            break;
        case VK_HOME:
            if (shift.Contains(ssCtrl))
                MoveRowBy(fixedRows_ - row_, shift);
            else
                FocusCell(fixedCols_, row_, !range);
            break;
        case VK_END:
            if (shift.Contains(ssCtrl))
                MoveRowBy(rowCount_ - 1 - row_, shift);
            else
                FocusCell(colCount_ - 1, row_, !range);
            break;
        case VK_TAB: {
            if (!options_.Contains(TGridOption::goTabs) || shift.Contains(ssCtrl)) return;
            int c = col_, r = row_;
            if (nextTabCol(!shift.Contains(ssShift), c, r)) {
                if (r != row_) MoveRowBy(r - row_, {});
                if (row_ == r) FocusCell(c, row_, true);
            }
            break;
        }
        case VK_F2:
            if (options_.Contains(TGridOption::goEditing)) ShowEditor();
            break;
        case VK_RETURN:
            // Enter opens and closes the editor unless it always shows.
            if (!options_.Contains(TGridOption::goEditing) ||
                options_.Contains(TGridOption::goAlwaysShowEditor))
                return;
            if (editorMode_) {
                UpdateEditorText();
                HideEditor();
            } else {
                ShowEditor();
            }
            break;
        case VK_ESCAPE:
            if (editorMode_ && editor_) {
                editor_->UpdateContents();
                if (!options_.Contains(TGridOption::goAlwaysShowEditor)) HideEditor();
            }
            break;
        default:
            return;
    }
    key = 0;
}

void TCustomGrid::KeyPress(char32_t& key) {
    TWinControl::KeyPress(key);
    if (!key) return;
    if (!options_.Contains(TGridOption::goEditing)) return;
    if (editorMode_) {
        // A character that reached the grid belongs to the open editor.
        if (editor_ && editor_->Visible() && (key == 8 || key >= 32)) {
            char32_t k = key;
            key = 0;
            editor_->SimulateKey(0, {}, k);
        }
        return;
    }
    if (key == 13) {
        ShowEditor();
        if (editor_ && editorMode_) editor_->SelectAll();
        key = 0;
        return;
    }
    if (key == 8 || key >= 32) {
        if (!CanEditAcceptKey(key) && key != 8) return;
        ShowEditor();
        if (editor_ && editorMode_) {
            editor_->SelectAll();
            char32_t k = key;
            editor_->SimulateKey(0, {}, k);
        }
        key = 0;
    }
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (CanFocus() && !Focused() && !inplaceFocused()) SetFocus();
    TGridCoord g = MouseCoord(x, y);
    drag_ = Drag::None;
    if (button == TMouseButton::mbLeft && g.X >= 0) {
        // Near a line of a fixed cell: resize or move.
        if (g.Y < fixedRows_ && options_.Contains(TGridOption::goColSizing)) {
            TRect r = CellRect(g.X, g.Y);
            int edge = -1;
            if (x >= r.Right - kSizeMargin)
                edge = g.X;
            else if (x <= r.Left + kSizeMargin && g.X > 0)
                edge = g.X - 1;
            if (edge >= 0 && colLeftOf(edge) >= 0) {
                drag_ = Drag::ColSize;
                dragIndex_ = edge;
                dragStart_ = x;
                dragOrig_ = ColWidths(edge);
            }
        }
        if (drag_ == Drag::None && g.X < fixedCols_ &&
            options_.Contains(TGridOption::goRowSizing)) {
            TRect r = CellRect(g.X, g.Y);
            if (y >= r.Bottom - kSizeMargin) {
                drag_ = Drag::RowSize;
                dragIndex_ = g.Y;
                dragStart_ = y;
                dragOrig_ = RowHeights(g.Y);
            }
        }
        if (drag_ == Drag::None && g.Y < fixedRows_ && g.X >= fixedCols_ &&
            options_.Contains(TGridOption::goColMoving)) {
            drag_ = Drag::ColMove;
            dragIndex_ = g.X;
        } else if (drag_ == Drag::None && g.X < fixedCols_ && g.Y >= fixedRows_ &&
                   options_.Contains(TGridOption::goRowMoving)) {
            drag_ = Drag::RowMove;
            dragIndex_ = g.Y;
        }
        if (drag_ == Drag::None && g.X >= fixedCols_ && g.Y >= fixedRows_) {
            bool range = shift.Contains(ssShift) && options_.Contains(TGridOption::goRangeSelect);
            if (g.X == col_ && g.Y == row_ && options_.Contains(TGridOption::goEditing) &&
                !shift.Contains(ssDouble)) {
                ShowEditor();
            } else {
                FocusCell(g.X, g.Y, !range);
            }
            drag_ = options_.Contains(TGridOption::goRangeSelect) ? Drag::Select : Drag::None;
        }
    }
    TWinControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y) {
    switch (drag_) {
        case Drag::ColSize:
            SetColWidths(dragIndex_, std::max(0, dragOrig_ + x - dragStart_));
            break;
        case Drag::RowSize:
            SetRowHeights(dragIndex_, std::max(0, dragOrig_ + y - dragStart_));
            break;
        case Drag::Select: {
            TGridCoord g = MouseCoord(x, y);
            if (g.X >= fixedCols_ && g.Y >= fixedRows_) FocusCell(g.X, g.Y, false);
            break;
        }
        default:
            break;
    }
    TWinControl::MouseMove(shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    Drag d = drag_;
    drag_ = Drag::None;
    TGridCoord g = MouseCoord(x, y);
    if (d == Drag::ColMove && g.X >= fixedCols_ && g.X != dragIndex_) MoveColumn(dragIndex_, g.X);
    if (d == Drag::RowMove && g.Y >= fixedRows_ && g.Y != dragIndex_) MoveRow(dragIndex_, g.Y);
    TWinControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::MoveColumn(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= colCount_ || to >= colCount_) return;
    HideEditor();
    int w = colWidths_[from];
    bool t = tabStops_[from];
    colWidths_.erase(colWidths_.begin() + from);
    colWidths_.insert(colWidths_.begin() + to, w);
    tabStops_.erase(tabStops_.begin() + from);
    tabStops_.insert(tabStops_.begin() + to, t);
    ColumnMoved(from, to);
    if (col_ == from) col_ = anchorCol_ = to;
    Invalidate();
}

void TCustomGrid::MoveRow(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= rowCount_ || to >= rowCount_) return;
    HideEditor();
    int hf = RowHeights(from);
    // Heights between the two rows shift by one.
    std::map<int, int> moved;
    for (auto [r, h] : rowHeights_) {
        int nr = r;
        if (r == from)
            nr = to;
        else if (from < to && r > from && r <= to)
            nr = r - 1;
        else if (from > to && r >= to && r < from)
            nr = r + 1;
        moved[nr] = h;
    }
    rowHeights_ = std::move(moved);
    if (hf != defaultRowHeight_) rowHeights_[to] = hf;
    RowMoved(from, to);
    if (row_ == from) row_ = anchorRow_ = to;
    Invalidate();
}

void TCustomGrid::DeleteColumn(int col) {
    if (col < 0 || col >= colCount_ || colCount_ <= 1) return;
    MoveColumn(col, colCount_ - 1);
    SetColCount(colCount_ - 1);
}

void TCustomGrid::DeleteRow(int row) {
    if (row < 0 || row >= rowCount_ || rowCount_ <= 1) return;
    MoveRow(row, rowCount_ - 1);
    SetRowCount(rowCount_ - 1);
}

void TCustomGrid::DoExit() {
    TWinControl::DoExit();
}

void TCustomGrid::Resize() {
    TWinControl::Resize();
    ClampInView();
    // Grown wider: columns scrolled out on the left come back while the
    // columns from there to the last one fit, so no room is left empty on
    // the right while columns are hidden on the left.
    if (!options_.Contains(TGridOption::goRowSelect) && leftCol_ > fixedCols_) {
        int room = GridWidth();
        for (int c = 0; c < fixedCols_; ++c) room -= ColWidths(c) + gridLineWidth_;
        int used = 0;
        for (int c = leftCol_; c < colCount_; ++c) used += ColWidths(c) + gridLineWidth_;
        int left = leftCol_;
        while (left > fixedCols_ && used + ColWidths(left - 1) + gridLineWidth_ <= room) {
            --left;
            used += ColWidths(left) + gridLineWidth_;
        }
        if (left != leftCol_) SetLeftCol(left);
    }
    UpdateScrollBars();
    if (editorMode_) placeEditor();
}

bool TCustomGrid::HandleQtEvent(QEvent* e, const QtBaseEvent& base) {
    if (base.widget == viewport_) {
        switch (e->type()) {
            case QEvent::Paint: {
                QPainter p(viewport_);
                TCanvas* c = Canvas();
                c->SetDevice(MakePainterDevice(&p));
                c->Font.Assign(*Font());
                c->Brush = TBrush{Color(), TBrushStyle::bsSolid};
                c->Pen = TPen{};
                struct Unbind {
                    TCanvas* c;
                    ~Unbind() { c->SetDevice(nullptr); }
                } unbind{c};
                Paint();
                return true;
            }
            case QEvent::Resize:
                base(e);
                Resize();
                return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::ToolTip:
                return TWinControl::HandleQtEvent(e, base);
            case QEvent::Wheel: {
                auto* we = static_cast<QWheelEvent*>(e);
                int steps = we->angleDelta().y() / 120;
                if (steps) SetTopRow(topRow_ - steps * 3);
                return true;
            }
            default:
                return base(e);
        }
    }
    switch (e->type()) {
        case QEvent::Paint:
            return base(e);
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            // The platform's key pipeline had the key; the scroll area must
            // not scroll by itself.
            return true;
        case QEvent::Wheel:
            return true;
        default:
            return TWinControl::HandleQtEvent(e, base);
    }
}

// ---- TStringGrid ----------------------------------------------------------------------

TStringGrid::TStringGrid(TComponent* owner) : TCustomGrid(owner) {
    cells_.resize(ColCount());
}

TStringGrid::CellData* TStringGrid::cell(int col, int row, bool create) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return nullptr;
    if ((int)cells_.size() <= col) cells_.resize(col + 1);
    auto& c = cells_[col];
    if ((int)c.size() <= row) {
        if (!create) return nullptr;
        c.resize(row + 1);
    }
    return &c[row];
}

const TStringGrid::CellData* TStringGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= (int)cells_.size() || row >= (int)cells_[col].size())
        return nullptr;
    return &cells_[col][row];
}

std::string TStringGrid::Cells(int col, int row) const {
    const CellData* c = cell(col, row);
    return c ? c->text : std::string();
}

void TStringGrid::SetCells(int col, int row, const std::string& v) {
    if (CellData* c = cell(col, row, true)) {
        if (c->text == v) return;
        c->text = v;
        if (EditorMode() && col == Col() && row == Row() && InplaceEditor() &&
            InplaceEditor()->EditText() != v)
            InplaceEditor()->UpdateContents();
        InvalidateCell(col, row);
    }
}

TObject* TStringGrid::Objects(int col, int row) const {
    const CellData* c = cell(col, row);
    return c ? c->object : nullptr;
}

void TStringGrid::SetObjects(int col, int row, TObject* o) {
    if (CellData* c = cell(col, row, true)) c->object = o;
}

std::vector<std::string> TStringGrid::Cols(int col) const {
    std::vector<std::string> out;
    for (int r = 0; r < RowCount(); ++r) out.push_back(Cells(col, r));
    return out;
}

std::vector<std::string> TStringGrid::Rows(int row) const {
    std::vector<std::string> out;
    for (int c = 0; c < ColCount(); ++c) out.push_back(Cells(c, row));
    return out;
}

void TStringGrid::SetColCount(int v) {
    TCustomGrid::SetColCount(v);
    cells_.resize(ColCount());
}

void TStringGrid::SetRowCount(int v) {
    TCustomGrid::SetRowCount(v);
    for (auto& c : cells_)
        if ((int)c.size() > RowCount()) c.resize(RowCount());
}

void TStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
    if (DefaultDrawing) DrawCellText(*Canvas(), rect, Cells(col, row), TAlignment::taLeftJustify);
    OnDrawCell(this, col, row, rect, state);
}

bool TStringGrid::SelectCell(int col, int row) {
    bool can = true;
    OnSelectCell(this, col, row, can);
    return can;
}

std::string TStringGrid::GetEditText(int col, int row) {
    std::string s = Cells(col, row);
    OnGetEditText(this, col, row, s);
    return s;
}

void TStringGrid::SetEditText(int col, int row, const std::string& value) {
    CellData* c = cell(col, row, true);
    if (c && c->text != value) {
        c->text = value;
        InvalidateCell(col, row);
    }
    OnSetEditText(this, col, row, value);
}

std::string TStringGrid::GetEditMask(int col, int row) {
    std::string s;
    OnGetEditMask(this, col, row, s);
    return s;
}

void TStringGrid::ColumnMoved(int from, int to) {
    if ((int)cells_.size() < ColCount()) cells_.resize(ColCount());
    auto moved = std::move(cells_[from]);
    cells_.erase(cells_.begin() + from);
    cells_.insert(cells_.begin() + to, std::move(moved));
    OnColumnMoved(this, from, to);
}

void TStringGrid::RowMoved(int from, int to) {
    for (auto& c : cells_) {
        int need = std::max(from, to) + 1;
        if ((int)c.size() <= from) {
            // The source cell is empty; the cells it passes over still shift down.
            if (to < (int)c.size()) c.insert(c.begin() + to, CellData{});
            continue;
        }
        if ((int)c.size() < need) c.resize(need);
        CellData d = std::move(c[from]);
        c.erase(c.begin() + from);
        c.insert(c.begin() + to, std::move(d));
    }
    OnRowMoved(this, from, to);
}

void DrawCellText(TCanvas& canvas, const TRect& rect, const std::string& text,
                  TAlignment alignment) {
    TRect r{rect.Left + 2, rect.Top, rect.Right - 2, rect.Bottom};
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (alignment == TAlignment::taRightJustify) flags |= DT_RIGHT;
    if (alignment == TAlignment::taCenter) flags |= DT_CENTER;
    TBrushStyle old = canvas.Brush.Style;
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.DrawText(text, r, flags);
    canvas.Brush.Style = old;
}

// ---- Published properties -------------------------------------------------------------

PLAT_PUBLISH(TCustomGrid) {
    p.Prop("ColCount", &TCustomGrid::ColCount, &TCustomGrid::SetColCount);
    p.Prop("RowCount", &TCustomGrid::RowCount, &TCustomGrid::SetRowCount);
    p.Prop("FixedCols", &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols);
    p.Prop("FixedRows", &TCustomGrid::FixedRows, &TCustomGrid::SetFixedRows);
    p.Prop("DefaultColWidth", &TCustomGrid::DefaultColWidth, &TCustomGrid::SetDefaultColWidth);
    p.Prop("DefaultRowHeight", &TCustomGrid::DefaultRowHeight, &TCustomGrid::SetDefaultRowHeight);
    p.Prop("GridLineWidth", &TCustomGrid::GridLineWidth, &TCustomGrid::SetGridLineWidth);
    p.Color("FixedColor", &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor);
    p.Prop("Options", &TCustomGrid::Options, &TCustomGrid::SetOptions);
    p.Prop("DefaultDrawing", &TCustomGrid::DefaultDrawing);
    p.Prop("OnTopLeftChanged", &TCustomGrid::OnTopLeftChanged);
}

PLAT_PUBLISH(TStringGrid) {
    p.Prop("OnDrawCell", &TStringGrid::OnDrawCell, nullptr, "TDrawCellEvent");
    p.Prop("OnSelectCell", &TStringGrid::OnSelectCell, nullptr, "TSelectCellEvent");
    p.Prop("OnGetEditText", &TStringGrid::OnGetEditText, nullptr, "TGetEditEvent");
    p.Prop("OnGetEditMask", &TStringGrid::OnGetEditMask, nullptr, "TGetEditEvent");
    p.Prop("OnSetEditText", &TStringGrid::OnSetEditText, nullptr, "TSetEditEvent");
    p.Prop("OnColumnMoved", &TStringGrid::OnColumnMoved, nullptr, "TMovedEvent");
    p.Prop("OnRowMoved", &TStringGrid::OnRowMoved, nullptr, "TMovedEvent");
}

}  // namespace plat

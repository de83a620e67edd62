// Painting, editing, navigation and the in-place editor of the string grid.
#include <algorithm>
#include <chrono>

#include "controls/Aligrid.h"
#include "platform/core/text.h"
#include "platform/ui/forms.h"
#include "platform/ui/keys.h"

namespace ktrb {

using namespace plat;

namespace {
int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
bool isPrintable(char32_t k) {
    return k >= 32 && k != 127;
}

// The search by typing of a pick list: a printable key extends the search
// text typed within two seconds (at most 32 characters) or starts it anew;
// the first line beginning with it, ignoring case, else the first beginning
// with the key alone. The line's index, -1 when none.
int searchLines(const std::vector<std::string>& lines, std::string& search, int64_t& lastKey,
                char32_t key, int64_t now) {
    std::string ch = U32ToUtf8(std::u32string(1, key));
    if (now - lastKey > 2000)
        search = ch;
    else if (Utf8ToU32(search).size() < 32)
        search += ch;
    lastKey = now;
    auto findPrefix = [&](const std::string& p) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (AnsiUpperCase(lines[i]).rfind(AnsiUpperCase(p), 0) == 0) return (int)i;
        return -1;
    };
    int hit = findPrefix(search);
    if (hit < 0) {
        hit = findPrefix(ch);
        if (hit >= 0) search = ch;
    }
    return hit;
}
}  // namespace

// ---- Painting -------------------------------------------------------------------------------

void TStringAlignGrid::DrawCell(int c, int r, const TRect& rect, TGridDrawState st) {
    TRect rc = rect;
    if (DefaultDrawing) DrawCellButton(c, r, rc, st);
    PrepareCellCanvas(c, r, rc, st);
    if (DefaultDrawing && !isFixed(c, r) && GetCellControlInfo(c, r)->Kind() == 2) {
        DrawCheckCell(c, r, rc, st);
    } else {
        DrawCellText(c, r, rc, st);
        OnDrawCell(this, c, r, rc, st);
    }
}

void TStringAlignGrid::PrepareCellCanvas(int c, int r, TRect& rect, TGridDrawState st) {
    TCanvas* cv = Canvas();
    cv->Font.Assign(*GetCellFont(c, r));
    cv->Brush = GetCellBrush(c, r);
    if (drawSelection_ && st.Contains(gdSelected) &&
        (!st.Contains(gdFocused) || Options().Contains(TGridOption::goDrawFocusSelected) ||
         Options().Contains(TGridOption::goRowSelect))) {
        cv->Brush.Color = GetSelectedColorCell(c, r);
        cv->Font.SetColor(GetSelectedFontColorCell(c, r));
    }
    const bool fixed = isFixed(c, r);
    if (!fixed) {
        cv->Pen.Color = lineColor_;
        cv->Pen.Width = GridLineWidth();
        cv->Polyline({{rect.Left, rect.Top},
                      {rect.Right, rect.Top},
                      {rect.Right, rect.Bottom},
                      {rect.Left, rect.Bottom},
                      {rect.Left, rect.Top}});
    }
    CalcCellColors(c, r, rect, st, &cv->Font, &cv->Brush);
    if (!DefaultDrawing) return;
    cv->FillRect(rect);
    const int lw = GridLineWidth();
    auto opt = [&](TGridOption o) { return Options().Contains(o); };
    if (fixed) {
        if (!opt(TGridOption::goFixedVertLine)) rect.Bottom += lw;
        if (!opt(TGridOption::goFixedHorzLine)) rect.Right += lw;
    } else {
        if (!opt(TGridOption::goVertLine)) rect.Bottom += lw;
        if (!opt(TGridOption::goHorzLine)) rect.Right += lw;
    }
    if (background_ && !background_->Empty() && !fixed) {
        TCopyMode saved = cv->CopyMode;
        if (st.Contains(gdSelected)) cv->CopyMode = cmNotSrcCopy;
        const int bw = background_->Width(), bh = background_->Height();
        for (int i = 0; i <= ClientWidth() / bw; ++i)
            for (int j = 0; j <= ClientHeight() / bh; ++j) {
                TRect tile{i * bw, j * bh, (i + 1) * bw, (j + 1) * bh};
                TRect part{std::max(tile.Left, rect.Left), std::max(tile.Top, rect.Top),
                           std::min(tile.Right, rect.Right), std::min(tile.Bottom, rect.Bottom)};
                if (part.Left >= part.Right || part.Top >= part.Bottom) continue;
                cv->CopyRect(part, *background_,
                             {part.Left - tile.Left, part.Top - tile.Top, part.Right - tile.Left,
                              part.Bottom - tile.Top});
            }
        cv->CopyMode = saved;
        cv->Brush.Style = TBrushStyle::bsClear;
        if (st.Contains(gdSelected) || st.Contains(gdFocused)) cv->Font.SetColor(clHighlightText);
    }
}

void TStringAlignGrid::CalcCellColors(int c, int r, const TRect& rect, TGridDrawState st,
                                      TFont* font, TBrush* brush) {
    OnCalcCellColors(this, c, r, rect, st, font, brush);
}

void TStringAlignGrid::DrawCellText(int c, int r, const TRect& rect, TGridDrawState) {
    if (!DefaultDrawing) return;
    TMyAlign a = GetAlignCell(c, r);
    T_Wordwrap w = GetWordwrapCell(c, r);
    std::string text = GetCellValue(c, r);
    std::string mask = GetEditMaskCell(c, r);
    if (!mask.empty()) {
        std::string shown = FormatMaskedText(mask, text);
        text = shown != FormatMaskedText(mask, "") ? shown : std::string();
    }
    TRect tr{rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2};
    unsigned flags = DT_NOPREFIX;
    flags |= a == TMyAlign::alRight ? DT_RIGHT : a == TMyAlign::alCenter ? DT_CENTER : DT_LEFT;
    if (w == T_Wordwrap::ww_wordwrap)
        flags |= DT_WORDBREAK;
    else if (w == T_Wordwrap::ww_ellipsis)
        flags |= DT_END_ELLIPSIS | DT_SINGLELINE;
    else
        flags |= DT_SINGLELINE;
    TBrushStyle saved = Canvas()->Brush.Style;
    Canvas()->Brush.Style = TBrushStyle::bsClear;
    Canvas()->DrawText(text, tr, flags);
    Canvas()->Brush.Style = saved;
}

void TStringAlignGrid::DrawCellButton(int c, int r, TRect& rect, TGridDrawState st) {
    if (!(st.Contains(gdSelected) || st.Contains(gdFocused))) return;
    if (!Options().Contains(TGridOption::goEditing) || Options().Contains(TGridOption::goRowSelect))
        return;
    uint8_t kind = GetCellControlInfo(c, r)->Kind();
    if (kind != 1 && kind != 3) return;
    TCanvas* cv = Canvas();
    TRect b{rect.Right - 16, rect.Top, rect.Right, rect.Bottom};
    cv->Brush = TBrush{clBtnFace, TBrushStyle::bsSolid};
    cv->FillRect(b);
    TRect f = b;
    Frame3D(*cv, f, cl3DLight, cl3DDkShadow, 1);
    Frame3D(*cv, f, clBtnHighlight, clBtnShadow, 1);
    bool enabled = Enabled() && GetEditCell(c, r);
    if (kind == 1)
        DrawEllipsisButton(b, enabled);
    else
        DrawComboButton(b, enabled);
    rect.Right -= 16;
}

void TStringAlignGrid::DrawComboButton(const TRect& b, bool enabled) {
    TCanvas* cv = Canvas();
    int cx = b.Left + 8, mid = b.Top + (b.Bottom - b.Top) / 2;
    auto tri = [&](int dx, int dy, TColor col) {
        cv->Brush = TBrush{col, TBrushStyle::bsSolid};
        cv->Pen = TPen{col, 1};
        cv->Polygon({{cx - 4 + dx, mid - 2 + dy},
                     {cx + 2 + dx, mid - 2 + dy},
                     {cx - 1 + dx, mid + 1 + dy}});
    };
    if (enabled) {
        tri(0, 0, clBtnText);
    } else {
        tri(2, 1, clBtnHighlight);
        tri(0, 0, clBtnShadow);
    }
}

void TStringAlignGrid::DrawEllipsisButton(const TRect& b, bool) {
    TCanvas* cv = Canvas();
    int half = (b.Bottom - b.Top) / 2;
    int y = half == 2 ? b.Top + 1 : b.Top + half - 2;
    cv->Brush = TBrush{0, TBrushStyle::bsSolid};
    for (int x : {b.Left + 3, b.Left + 7, b.Left + 11}) cv->FillRect({x, y, x + 2, y + 2});
}

void TStringAlignGrid::DrawCheckCell(int c, int r, const TRect& rect, TGridDrawState) {
    const TControlInfo* ci = GetCellControlInfo(c, r);
    if (ci->Kind() != 2) return;
    const TBitmap& bmp = GetCellValue(c, r) == ci->CheckedValue() ? *check_ : *uncheck_;
    int x = rect.Left + (rect.Width() - bmp.Width()) / 2 + 2;
    int y = rect.Top + (rect.Height() - bmp.Height()) / 2 + 1;
    TCanvas* cv = Canvas();
    cv->Brush = GetCellBrush(c, r);
    cv->Brush.Style = TBrushStyle::bsClear;
    cv->Draw(x, y, bmp);
}

void TStringAlignGrid::Paint() {
    TStringGrid::Paint();
    TRect r = CellRect(Col(), Row());
    TCanvas* cv = Canvas();
    if (r.Width() > 0) {
        cv->Pen = TPen{lineColor_, GridLineWidth()};
        cv->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
    }
    if (DefaultDrawing && Focused() && r.Width() > 0 &&
        !(Options().Contains(TGridOption::goEditing) &&
          Options().Contains(TGridOption::goAlwaysShowEditor)) &&
        !Options().Contains(TGridOption::goRowSelect) && !drawSelection_) {
        uint8_t kind = GetCellControlInfo(Col(), Row())->Kind();
        if ((kind == 1 || kind == 3) && Options().Contains(TGridOption::goEditing)) {
            cv->DrawFocusRect(r);
            cv->DrawFocusRect({r.Left, r.Top, r.Right - 16, r.Bottom});
        } else if (kind == 2) {
            cv->DrawFocusRect(r);
        }
    }
}

void TStringAlignGrid::AdjustLastCol() {
    if (ColCount() < 1) return;
    int s = 0;
    for (int c = 0; c < ColCount() - 1; ++c) s += ColWidths(c);
    bool lines = Options().Contains(TGridOption::goVertLine) ||
                 Options().Contains(TGridOption::goFixedVertLine);
    int l = lines ? ColCount() * GridLineWidth() : 0;
    // A client area narrower than the lines leaves the column as it is.
    if (s < GridWidth() && GridWidth() - s - l > 0)
        SetColWidths(ColCount() - 1, GridWidth() - s - l);
}

void TStringAlignGrid::Resize() {
    TStringGrid::Resize();
    if (autoAdjust_) AdjustLastCol();
}

void TStringAlignGrid::FontChanged() {
    TStringGrid::FontChanged();
    TNewInplaceEdit* ed = Editor();
    if (!ed) return;
    ed->Font()->Assign(*GetCellFont(Col(), Row()));
    // Placing it again recomputes its text area for the new font.
    if (ed->Visible()) ed->Move(ed->BoundsRect());
}

// While the thumb is dragged the grid follows it, as if each step were the
// final position.
void TStringAlignGrid::ScrollMessage(bool vertical, int code, int position) {
    TStringGrid::ScrollMessage(vertical, code, position);
    if (RedrawWhileScroll && code == SB_THUMBTRACK)
        TStringGrid::ScrollMessage(vertical, SB_THUMBPOSITION, position);
}

void TStringAlignGrid::ColWidthsChanged() {
    TStringGrid::ColWidthsChanged();
    OnColWidthsChanged(this);
}
void TStringAlignGrid::RowHeightsChanged() {
    TStringGrid::RowHeightsChanged();
    OnRowHeightsChanged(this);
}

bool TStringAlignGrid::HintShow(THintInfo& info) {
    if (!ShowCellHints) return TStringGrid::HintShow(info);
    TGridCoord at = MouseCoord(info.CursorPos.X, info.CursorPos.Y);
    if (at.X < 0 || at.Y < 0) return false;
    hintCell_ = at;
    TRect r = CellRect(at.X, at.Y);
    info.HintPos = ClientToScreen({r.Left, r.Top});
    info.CursorRect = r;
    info.HintStr = GetHintCell(at.X, at.Y);
    bool can = true;
    OnShowHintCell(this, at.X, at.Y, info.HintStr, can);
    return can;
}

// ---- Editing --------------------------------------------------------------------------------

TNewInplaceEdit* TStringAlignGrid::Editor() const {
    return dynamic_cast<TNewInplaceEdit*>(InplaceEditor());
}

TInplaceEdit* TStringAlignGrid::CreateEditor() {
    auto* ed = new TNewInplaceEdit(this);
    ed->EditedCell = {-1, -1};
    return ed;
}

std::string TStringAlignGrid::GetEditText(int c, int r) {
    std::string s = GetCellValue(c, r);
    OnGetEditText(this, c, r, s);
    return s;
}

std::string TStringAlignGrid::GetEditMask(int c, int r) {
    return GetCellControlInfo(c, r)->Kind() == 2 ? std::string() : GetEditMaskCell(c, r);
}

TEditStyle TStringAlignGrid::GetEditStyle(int c, int r) {
    const TControlInfo* ci = GetCellControlInfo(c, r);
    if (ci->Kind() == 1) return TEditStyle::esEllipsis;
    if (ci->Kind() == 3 && ci->Items() && GetEditCell(c, r)) return TEditStyle::esPickList;
    return TEditStyle::esSimple;
}

void TStringAlignGrid::GetPickListItems(int c, int r, std::vector<std::string>& items) {
    const TControlInfo* ci = GetCellControlInfo(c, r);
    if (!ci->Items()) return;
    const std::string& sep = ci->Items()->Separator;
    for (int i = 0; i < ci->Items()->Count(); ++i) {
        const std::string& line = (*ci->Items())[i];
        items.push_back(line.substr(0, sep.empty() ? line.size() : line.find(sep)));
    }
}

bool TStringAlignGrid::CanEditShow() {
    // Showing the editor asks this again; the UI runs on one thread.
    static bool showing = false;
    if (Options().Contains(TGridOption::goAlwaysShowEditor) && !EditorMode() && !showing) {
        showing = true;
        SetEditorMode(true);
        showing = false;
    }
    bool result = TStringGrid::CanEditShow();
    TNewInplaceEdit* ed = Editor();
    if (ed && ed->EditedCell.X >= 0 && ed->EditedCell.Y >= 0 &&
        !(ed->EditedCell.X == Col() && ed->EditedCell.Y == Row())) {
        TGridCoord left = ed->EditedCell;
        ed->Started = false;
        EditStep(msgDone, left.X, left.Y);
    }
    result = result && GetEditCell(Col(), Row());
    if (result) {
        if (ed && !ed->Started) {
            ed->Started = true;
            EditStep(msgBefore, Col(), Row());
            ed->StartText = GetCellValue(Col(), Row());
        }
    } else if (ed) {
        ed->EditedCell = {-1, -1};
    }
    return result;
}

void TStringAlignGrid::EditStep(int msg, int col, int row) {
    TNewInplaceEdit* ed = Editor();
    auto backTo = [&] {
        FocusCell(col, row, true);
        ShowEditor();
        reEdit_ = true;
    };
    switch (msg) {
        case msgCancel:
            reEdit_ = false;
            if (ed) ed->AfterEdit = false;
            if (col >= 0 && row >= 0) OnCancelEdit(this, col, row);
            return;
        case msgEnter: {
            reEdit_ = false;
            if (ed) ed->AfterEdit = false;
            if (col < 0 || row < 0) return;
            if (ed && EditorMode() && ed->EditText() != GetCellValue(col, row))
                SetEditText(col, row, ed->EditText());
            bool ok = true;
            OnValidateEdit(this, col, row, ok);
            if (!ok) {
                backTo();
                return;
            }
            OnAfterEdit(this, col, row);
            if (AutoEditNextCell && !reEdit_) {
                TGridCoord next = NextEditableCell(Col(), Row(), NextCellEdit, AfterLastCellEdit);
                if (next.X >= 0 && next.Y >= 0) {
                    if (ed) {
                        ed->EditedCell = {-1, -1};
                        ed->Started = false;
                    }
                    FocusCell(next.X, next.Y, true);
                    ShowEditor();
                    reEdit_ = true;
                }
            }
            return;
        }
        case msgDone: {
            reEdit_ = false;
            if (ed) ed->AfterEdit = false;
            if (col < 0 || row < 0) return;
            bool ok = true;
            OnValidateEdit(this, col, row, ok);
            if (!ok) {
                backTo();
                return;
            }
            OnAfterEdit(this, col, row);
            if (ed) ed->AfterEdit = true;
            return;
        }
        case msgBefore:
            if (col >= 0 && row >= 0) OnBeforeEdit(this, col, row);
            reEdit_ = true;
            return;
        case msgRestore:
            ShowEditor();
            if (ed) {
                if (savedSelLength_ < 0) {
                    ed->SelectAll();
                } else {
                    ed->SetSelStart(savedSelStart_);
                    ed->SetSelLength(savedSelLength_);
                }
            }
            return;
        default:
            return;
    }
}

void TStringAlignGrid::EndEdit(bool cancel) {
    reEdit_ = false;
    TNewInplaceEdit* ed = Editor();
    if (!ed || !ed->Visible()) return;
    if (cancel) {
        char32_t esc = 27;
        ed->KeyPress(esc);
    } else {
        HideEditor();
        EditStep(msgDone, Col(), Row());
    }
}

void TStringAlignGrid::EditAgain() {
    ShowEditor();
    reEdit_ = true;
}

T_nextcell TStringAlignGrid::Reverse(T_nextcell d) {
    switch (d) {
        case T_nextcell::nc_rightdown:
            return T_nextcell::nc_leftup;
        case T_nextcell::nc_leftup:
            return T_nextcell::nc_rightdown;
        case T_nextcell::nc_downright:
            return T_nextcell::nc_upleft;
        case T_nextcell::nc_upleft:
            return T_nextcell::nc_downright;
        case T_nextcell::nc_leftdown:
            return T_nextcell::nc_rightup;
        case T_nextcell::nc_rightup:
            return T_nextcell::nc_leftdown;
        case T_nextcell::nc_downleft:
            return T_nextcell::nc_upright;
        case T_nextcell::nc_upright:
            return T_nextcell::nc_downleft;
    }
    return d;
}

TGridCoord TStringAlignGrid::NextCell(int c, int r, T_nextcell d, T_lastcell last) {
    const int fc = FixedCols(), fr = FixedRows(), cc = ColCount(), rc = RowCount();
    bool end = false;
    switch (d) {
        case T_nextcell::nc_rightdown:
            if (++c >= cc) c = fc, ++r;
            end = r >= rc;
            break;
        case T_nextcell::nc_downright:
            if (++r >= rc) r = fr, ++c;
            end = c >= cc;
            break;
        case T_nextcell::nc_leftdown:
            if (--c < fc) c = cc - 1, ++r;
            end = r >= rc;
            break;
        case T_nextcell::nc_downleft:
            if (++r >= rc) r = fr, --c;
            end = c < fc;
            break;
        case T_nextcell::nc_leftup:
            if (--c < fc) c = cc - 1, --r;
            end = r < fr;
            break;
        case T_nextcell::nc_upleft:
            if (--r < fr) r = rc - 1, --c;
            end = c < fc;
            break;
        case T_nextcell::nc_rightup:
            if (++c >= cc) c = fc, --r;
            end = r < fr;
            break;
        case T_nextcell::nc_upright:
            if (--r < fr) r = rc - 1, ++c;
            end = c >= cc;
            break;
    }
    if (!end) return {c, r};
    switch (last) {
        case T_lastcell::lc_stop:
            return {-1, -1};
        case T_lastcell::lc_exit:
            if (TCustomForm* f = GetParentForm(this)) f->SelectNext(this, true, true);
            return {-1, -1};
        case T_lastcell::lc_first:
            switch (d) {
                case T_nextcell::nc_rightdown:
                case T_nextcell::nc_downright:
                    return {fc, fr};
                case T_nextcell::nc_leftdown:
                case T_nextcell::nc_downleft:
                    return {cc - 1, fr};
                case T_nextcell::nc_leftup:
                case T_nextcell::nc_upleft:
                    return {cc - 1, rc - 1};
                default:
                    return {fc, rc - 1};
            }
        case T_lastcell::lc_newcolrow:
            switch (d) {
                case T_nextcell::nc_rightdown:
                    InsertRow(RowCount());
                    return {FixedCols(), RowCount() - 1};
                case T_nextcell::nc_downright:
                    InsertCol(ColCount());
                    return {ColCount() - 1, FixedRows()};
                case T_nextcell::nc_leftdown:
                    InsertRow(RowCount());
                    return {ColCount() - 1, RowCount() - 1};
                case T_nextcell::nc_downleft:
                    InsertCol(FixedCols());
                    return {FixedCols(), FixedRows()};
                case T_nextcell::nc_leftup:
                    InsertRow(FixedRows());
                    return {ColCount() - 1, FixedRows()};
                case T_nextcell::nc_upleft:
                    InsertCol(FixedCols());
                    return {FixedCols(), RowCount() - 1};
                case T_nextcell::nc_rightup:
                    InsertRow(FixedRows());
                    return {FixedCols(), FixedRows()};
                case T_nextcell::nc_upright:
                    InsertCol(ColCount());
                    return {ColCount() - 1, RowCount() - 1};
            }
    }
    return {-1, -1};
}

TGridCoord TStringAlignGrid::NextEditableCell(int c, int r, T_nextcell d, T_lastcell last) {
    const TGridCoord start{c, r};
    TGridCoord at = start;
    for (;;) {
        int rows = RowCount(), cols = ColCount();
        at = NextCell(at.X, at.Y, d, last);
        if (at.X < 0 || at.Y < 0 || at == start) return at;
        if (RowCount() != rows || ColCount() != cols) return at;  // a new row or column
        if (GetEditCell(at.X, at.Y)) return at;
    }
}

void TStringAlignGrid::KeyDown(uint16_t& key, TShiftState shift) {
    const bool sh = shift.Contains(ssShift), alt = shift.Contains(ssAlt),
               ctrl = shift.Contains(ssCtrl);
    if (key == VK_RETURN && AutoEditNextCell && !EditMultiline) {
        T_nextcell saved = NextCellEdit;
        if (sh) NextCellEdit = Reverse(NextCellEdit);
        EditStep(msgEnter, Col(), Row());
        NextCellEdit = saved;
        key = 0;
        return;
    }
    if (key == VK_TAB && !alt) {
        T_nextcell d = sh ? Reverse(NextCellTab) : NextCellTab;
        const TGridCoord start{Col(), Row()};
        TGridCoord at = start;
        do {
            at = NextCell(at.X, at.Y, d, AfterLastCellTab);
        } while (at.X >= 0 && at.Y >= 0 && !(at == start) && !TabStops(at.X));
        if (at.X >= 0 && at.Y >= 0 && !(at == start)) FocusCell(at.X, at.Y, true);
        key = 0;
        return;
    }
    if (key == VK_INSERT && sh) {
        PasteFromClipboard();
    } else if (key == VK_INSERT && ctrl) {
        CopyToClipboard();
    } else if (key == VK_DELETE && sh) {
        CutToClipboard();
    }
    TStringGrid::KeyDown(key, shift);
}

void TStringAlignGrid::KeyPress(char32_t& key) {
    if (key == 13 && EditMultiline) return;
    TStringGrid::KeyPress(key);
}

void TStringAlignGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft) {
        TGridCoord at = MouseCoord(x, y);
        if (at.X >= 0 && at.Y >= 0) {
            bool fixedCol = at.X < FixedCols(), fixedRow = at.Y < FixedRows();
            if (fixedCol && !fixedRow) OnFixedRowClick(this, at.Y);
            if (fixedRow && !fixedCol) OnFixedColClick(this, at.X);
        }
    }
    TStringGrid::MouseDown(button, shift, x, y);
}

void TStringAlignGrid::MouseMove(TShiftState shift, int x, int y) {
    if (hintCell_.X >= 0) {
        TGridCoord at = MouseCoord(x, y);
        // Another cell: its hint comes afresh when the mouse rests there.
        if (!(at == hintCell_)) {
            Application->CancelHint();
            hintCell_ = {-1, -1};
        }
    }
    TStringGrid::MouseMove(shift, x, y);
}

void TStringAlignGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TStringGrid::MouseUp(button, shift, x, y);
    if (autoAdjust_) AdjustLastCol();
}

void TStringAlignGrid::DoExit() {
    TNewInplaceEdit* ed = Editor();
    if (EditorMode() && ed && ed->Visible()) {
        restoreEditor_ = true;
        savedSelStart_ = ed->SelStart();
        savedSelLength_ = ed->SelLength();
        EndEdit(false);
        if (reEdit_) {
            SetFocus();
            return;
        }
    }
    TStringGrid::DoExit();
    SetEditorMode(false);
}

void TStringAlignGrid::EditButtonClick() {
    OnEditButtonClick(this);
}
void TStringAlignGrid::ComboBoxClick() {
    OnComboBoxClick(this);
}

// ---- The in-place editor --------------------------------------------------------------------

TNewInplaceEdit::TNewInplaceEdit(TComponent* owner) : TInplaceEdit(owner) {
    EditedCell = {-1, -1};
}

TStringAlignGrid* TNewInplaceEdit::grid() const {
    return dynamic_cast<TStringAlignGrid*>(Grid());
}
const TControlInfo* TNewInplaceEdit::control() const {
    TStringAlignGrid* g = grid();
    return g ? g->GetCellControlInfo(g->Col(), g->Row()) : nullptr;
}
bool TNewInplaceEdit::listOnly() const {
    const TControlInfo* ci = control();
    return ci && ci->Kind() == 3 && ci->Items() && ci->Items()->ListOnly;
}

void TNewInplaceEdit::UpdateContents() {
    TStringAlignGrid* g = grid();
    if (!g) return;
    const TControlInfo* ci = control();
    style_ = ci->Kind() == 1                                                        ? 1
             : ci->Kind() == 3 && ci->Items() && g->GetEditCell(g->Col(), g->Row()) ? 2
                                                                                    : 0;
    if (style_ == 2) {
        DropDownRows = ci->Items()->DropDownCount;
        if (list_) {
            list_->SetColor(g->GetColorCell(g->Col(), g->Row()));
            list_->Font()->Assign(*g->GetCellFont(g->Col(), g->Row()));
            TCanvas measure;
            measure.Font.Assign(*list_->Font());
            list_->SetItemHeight(measure.TextHeight("w"));
        } else {
            list_ = new TPopupListbox(this);
        }
    }
    TInplaceEdit::UpdateContents();
    EditedCell = {g->Col(), g->Row()};
    Font()->Assign(*g->GetCellFont(g->Col(), g->Row()));
    SetColor(g->GetColorCell(g->Col(), g->Row()));
    if (listOnly()) SetReadOnly(true);
}

void TNewInplaceEdit::ToggleCheck() {
    TStringAlignGrid* g = grid();
    const TControlInfo* ci = control();
    if (!g || !ci || ci->Kind() != 2) return;
    int c = g->Col(), r = g->Row();
    g->SetCellValue(
        c, r, g->Cells(c, r) != ci->CheckedValue() ? ci->CheckedValue() : ci->UncheckedValue());
}

bool TNewInplaceEdit::SearchPick(char32_t key, int64_t now) {
    const TControlInfo* ci = control();
    TStringAlignGrid* g = grid();
    if (!ci || !g || !ci->Items()) return false;
    if (key == 8) {
        std::u32string u = Utf8ToU32(search_);
        if (!u.empty()) u.pop_back();
        search_ = U32ToUtf8(u);
        return false;
    }
    if (key == 27) {
        search_.clear();
        return false;
    }
    if (!isPrintable(key)) return false;
    std::vector<std::string> items;
    g->GetPickListItems(g->Col(), g->Row(), items);
    int hit = searchLines(items, search_, lastKey_, key, now);
    if (hit < 0) return false;
    SetText(items[hit]);
    g->SetEditText(g->Col(), g->Row(), items[hit]);
    g->ComboBoxClick();
    SelectAll();
    return true;
}

int TNewInplaceEdit::PickListIndex() const {
    return list_ ? list_->ItemIndex() : -1;
}

void TNewInplaceEdit::SetPickListIndex(int i) {
    if (list_) list_->SetItemIndex(i);
}

void TNewInplaceEdit::DropDown() {
    if (ListVisible() || !list_ || EditStyle() != TEditStyle::esPickList) return;
    // The cell's own lines, values included.
    std::vector<std::string> lines = PickList;
    if (const TControlInfo* ci = control(); ci && ci->Items()) {
        lines.clear();
        for (int i = 0; i < ci->Items()->Count(); ++i) lines.push_back((*ci->Items())[i]);
    }
    list_->FillItems(lines);
    list_->SetColor(Color());
    list_->Font()->Assign(*Font());
    const int count = list_->Items()->Count();
    int width = Width();
    TCanvas measure;
    measure.Font.Assign(*list_->Font());
    for (int i = 0; i < count; ++i)
        width = std::max(width, measure.TextWidth((*list_->Items())[i]) + 8);
    const int height = list_->ItemHeight() * std::min(count, DropDownRows) + 4;
    int index = list_->Items()->IndexOf(Text());
    list_->SetItemIndex(index >= 0 ? index : (count ? 0 : -1));
    TPoint below = ClientToScreen({0, Height()});
    if (below.Y + height > Screen->Height()) below.Y = ClientToScreen({0, 0}).Y - height;
    list_->SetBounds(below.X, below.Y, width, height);
    list_->Show();
    SetListVisible(true);
    Invalidate();
}

void TNewInplaceEdit::CloseUp(bool accept) {
    if (!ListVisible() || !list_) return;
    const int index = list_->ItemIndex();
    std::string chosen =
        index >= 0 && index < list_->Items()->Count() ? (*list_->Items())[index] : std::string();
    list_->Hide();
    SetListVisible(false);
    search_.clear();
    Invalidate();
    TStringAlignGrid* g = grid();
    if (!accept || !g || (ReadOnly() && !listOnly())) return;
    SetText(chosen);
    g->SetEditText(g->Col(), g->Row(), chosen);
    g->ComboBoxClick();
    SetModified(true);
}

// ---- The drop-down list ----------------------------------------------------------------------

TPopupListbox::TPopupListbox(TNewInplaceEdit* editor) : TCustomListBox(editor), editor_(editor) {
    MakePopupWindow();
    SetStyle(TListBoxStyle::lbOwnerDrawFixed);
    SetItemHeight(14);
    Hide();
}

void TPopupListbox::FillItems(const std::vector<std::string>& lines) {
    Items()->Clear();
    values_.clear();
    for (const std::string& line : lines) {
        size_t tab = line.find(Separator);
        std::string display = line.substr(0, tab);
        std::string value = tab == std::string::npos ? std::string() : line.substr(tab + 1);
        Items()->Add(display);
        values_.push_back(value.empty() ? display : value);
    }
}

bool TPopupListbox::Search(char32_t key, int64_t now) {
    if (key == 8 || key == 27) {
        search_.clear();
        return false;
    }
    if (!isPrintable(key)) return false;
    std::vector<std::string> lines;
    for (int i = 0; i < Items()->Count(); ++i) lines.push_back((*Items())[i]);
    int hit = searchLines(lines, search_, lastKey_, key, now);
    if (hit >= 0) SetItemIndex(hit);
    return hit >= 0;
}

void TPopupListbox::DrawItemTo(TCanvas& canvas, int index, const TRect& r, TOwnerDrawState state) {
    canvas.Font.Assign(*Font());
    canvas.Brush.Color = Color();
    if (state.Contains(TOwnerDrawStateItem::odSelected)) {
        canvas.Brush.Color = clHighlight;
        canvas.Font.SetColor(clHighlightText);
    }
    canvas.FillRect(r);
    if (index < 0 || index >= Items()->Count()) return;
    TRect text{r.Left + 2, r.Top, r.Right, r.Bottom};
    canvas.DrawText((*Items())[index], text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TPopupListbox::KeyPress(char32_t& key) {
    Search(key, nowMs());
    key = 0;
}

void TPopupListbox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomListBox::MouseUp(button, shift, x, y);
    if (editor_) editor_->CloseUp(ClientRect().Contains({x, y}));
}

bool TNewInplaceEdit::HintShow(THintInfo& info) {
    TStringAlignGrid* g = grid();
    if (g && g->ShowCellHints) {
        int c = g->Col(), r = g->Row();
        info.HintStr = g->GetHintCell(c, r);
        bool can = true;
        g->OnShowHintCell(g, c, r, info.HintStr, can);
        if (!can) return false;
    }
    return TInplaceEdit::HintShow(info);
}

void TNewInplaceEdit::EditButtonClick() {
    if (grid()) grid()->EditButtonClick();
}

void TNewInplaceEdit::KeyDown(uint16_t& key, TShiftState shift) {
    TStringAlignGrid* g = grid();
    const bool alt = shift.Contains(ssAlt), ctrl = shift.Contains(ssCtrl);
    // Enter or Esc that closes the list is spent on it, its character too.
    swallowChar_ = ListVisible() && !alt && (key == VK_RETURN || key == VK_ESCAPE);
    const bool multi = g && g->EditMultiline;
    if (g && key == VK_RETURN && !multi) {
        if (style_ == 1 && shift == TShiftState{ssAlt}) {
            EditButtonClick();
            key = 0;
            return;
        }
        if (!alt && !ctrl && !ListVisible()) {
            g->KeyDown(key, shift);
            key = 0;
            return;
        }
    }
    if (key == VK_DELETE && !(shift == TShiftState{ssCtrl})) {
        const TControlInfo* ci = control();
        if (ci && (ci->Kind() == 2 || listOnly())) {
            key = 0;
            return;
        }
    }
    if (multi && (key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME ||
                  key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN))
        return;
    TInplaceEdit::KeyDown(key, shift);
}

void TNewInplaceEdit::KeyPress(char32_t& key) {
    if (swallowChar_) {
        swallowChar_ = false;
        key = 0;
        return;
    }
    TStringAlignGrid* g = grid();
    if (!g || EditedCell.X < 0 || EditedCell.Y < 0) {
        key = 0;
        return;
    }
    const bool multi = g->EditMultiline;
    if (key == 27 && !multi) {
        SetText(StartText);
        g->SetEditText(EditedCell.X, EditedCell.Y, StartText);
        TGridCoord cell = EditedCell;
        g->HideEditor();
        g->SetEditorMode(false);
        g->EditStep(TStringAlignGrid::msgCancel, cell.X, cell.Y);
        key = 0;
        return;
    }
    if (key == 9) {
        key = 0;
        return;
    }
    const TControlInfo* ci = control();
    if (ci && ci->Kind() == 2) {
        if (key == ' ') ToggleCheck();
        key = 0;
        return;
    }
    if (style_ == 2 && listOnly()) {
        SearchPick(key, nowMs());
        key = 0;
        return;
    }
    TInplaceEdit::KeyPress(key);
}

void TNewInplaceEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    const TControlInfo* ci = control();
    if (ci && ci->Kind() == 2) {
        ToggleCheck();
        return;
    }
    if (button == TMouseButton::mbLeft && style_ == 2 && listOnly() &&
        !ButtonRect().Contains({x, y})) {
        if (ListVisible())
            CloseUp(false);
        else
            DropDown();
        return;
    }
    TInplaceEdit::MouseDown(button, shift, x, y);
}

}  // namespace ktrb

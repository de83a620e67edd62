// The grid bases: TCustomGrid (cells in rows and columns, fixed rows and
// columns, scrolling, selection, keys, an in-place editor), TInplaceEdit
// (the masked editor a descendant may replace, with an edit button or a pick
// list) and TStringGrid (texts and objects per cell). The grid is a scroll
// area whose viewport is painted cell by cell through the control's canvas;
// only the cells in view are drawn, so a grid of any row count costs the
// same to paint.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/mask.h"

class QAbstractScrollArea;
class QWidget;

namespace plat {

enum class TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking,
};
PLAT_ENUM_INFO(TGridOption, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
               goDrawFocusSelected, goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing,
               goTabs, goRowSelect, goAlwaysShowEditor, goThumbTracking)
PLAT_SET(TGridOptions, TGridOption)

enum class TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
PLAT_ENUM_INFO(TGridDrawStateItem, gdSelected, gdFocused, gdFixed)
PLAT_SET(TGridDrawState, TGridDrawStateItem)
constexpr TGridDrawStateItem gdSelected = TGridDrawStateItem::gdSelected,
                             gdFocused = TGridDrawStateItem::gdFocused,
                             gdFixed = TGridDrawStateItem::gdFixed;

struct TGridCoord {
    int X = -1;
    int Y = -1;
    bool operator==(const TGridCoord&) const = default;
};
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

class TCustomGrid;

using TDrawCellEvent = Event<TObject*, int, int, TRect, TGridDrawState>;
using TSelectCellEvent = Event<TObject*, int, int, bool&>;
using TGetEditEvent = Event<TObject*, int, int, std::string&>;
using TSetEditEvent = Event<TObject*, int, int, const std::string&>;
using TMovedEvent = Event<TObject*, int, int>;

enum class TEditStyle { esSimple, esEllipsis, esPickList };
PLAT_ENUM_INFO(TEditStyle, esSimple, esEllipsis, esPickList)

class TPickListPopup;

// The editor a grid places on its current cell. It hands navigation keys to
// the grid; a descendant may give it an edit button or a pick list.
class TInplaceEdit : public TCustomMaskEdit {
    PLAT_CLASS(TInplaceEdit, TCustomMaskEdit)
  public:
    explicit TInplaceEdit(TComponent* owner);
    ~TInplaceEdit() override;
    TCustomGrid* Grid() const { return grid_; }
    void SetGrid(TCustomGrid* g) { grid_ = g; }
    // Takes the text, mask and place of the grid's current cell.
    virtual void UpdateContents();
    // Places the editor on a cell rectangle of the grid and shows it.
    void Move(const TRect& r);
    TEditStyle EditStyle() const { return editStyle_; }
    void SetEditStyle(TEditStyle v);
    int ButtonWidth = 16;
    // The pick list's lines; the grid fills them in GetPickListItems.
    std::vector<std::string> PickList;
    bool ListVisible() const { return listVisible_; }
    int DropDownRows = 8;
    // Shows the pick list below the cell without taking the focus.
    virtual void DropDown();
    // Hides it; with accept the chosen line becomes the text.
    virtual void CloseUp(bool accept);
    virtual int PickListIndex() const { return pickIndex_; }
    virtual void SetPickListIndex(int i);
    TRect ButtonRect() const;
    bool WantsKey(uint16_t key, TShiftState shift) const override;

  protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void Change() override;
    void DoExit() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void PaintOver() override;
    // The edit button was pressed (esEllipsis).
    virtual void EditButtonClick();
    // For a descendant that shows a drop-down list of its own.
    void SetListVisible(bool v) { listVisible_ = v; }

  private:
    friend class TCustomGrid;
    TCustomGrid* grid_ = nullptr;
    TEditStyle editStyle_ = TEditStyle::esSimple;
    bool listVisible_ = false;
    int pickIndex_ = -1;
    std::unique_ptr<TPickListPopup> list_;
    bool loading_ = false;
};

class TCustomGrid : public TWinControl {
    PLAT_CLASS(TCustomGrid, TWinControl)
  public:
    explicit TCustomGrid(TComponent* owner);
    ~TCustomGrid() override;

    int ColCount() const { return colCount_; }
    virtual void SetColCount(int v);
    int RowCount() const { return rowCount_; }
    virtual void SetRowCount(int v);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int v);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int v);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int v);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int v);
    int ColWidths(int col) const;
    void SetColWidths(int col, int w);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int h);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int v);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor c);
    TGridOptions Options() const { return options_; }
    virtual void SetOptions(TGridOptions o);
    bool DefaultDrawing = true;
    bool TabStops(int col) const;
    void SetTabStops(int col, bool v);

    // The current cell and the selection.
    int Col() const { return col_; }
    void SetCol(int c) { FocusCell(c, row_, true); }
    int Row() const { return row_; }
    void SetRow(int r) { FocusCell(col_, r, true); }
    TGridRect Selection() const;
    void SetSelection(const TGridRect& r);
    // Moves the current cell when SelectCell allows it; false when refused.
    bool FocusCell(int col, int row, bool moveAnchor);

    int TopRow() const { return topRow_; }
    void SetTopRow(int r);
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int c);
    // Whole rows and columns in view beside the fixed ones.
    int VisibleRowCount() const;
    int VisibleColCount() const;

    // Cell rectangle in client coordinates; empty when out of view.
    TRect CellRect(int col, int row) const;
    // Where an editor of the cell goes: its rectangle cut to the view; empty
    // when none of it is in view.
    TRect EditorRect(int col, int row) const;
    // The cell under a client point; (-1, -1) past the last cell.
    TGridCoord MouseCoord(int x, int y) const;

    // The editor.
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool on);
    void ShowEditor();
    void HideEditor();
    TInplaceEdit* InplaceEditor() const { return editor_; }
    // Puts the editor's text into the cell now.
    void UpdateEditorText();

    // The viewport's size: the client area less the scroll bars.
    int GridWidth() const;
    int GridHeight() const;

    TNotifyEvent OnTopLeftChanged;

    bool WantsKey(uint16_t key, TShiftState shift) const override;
    bool WantsChars() const override { return true; }

    // The grid's own handling of keys, also for those the editor passes on.
    void KeyDown(uint16_t& key, TShiftState shift) override;

  protected:
    friend class TInplaceEdit;
    // Hooks a descendant overrides.
    virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {}
    virtual bool SelectCell(int col, int row) { return true; }
    virtual bool CanEditShow();
    virtual bool CanEditModify() { return true; }
    virtual bool CanEditAcceptKey(char32_t key) { return true; }
    virtual std::string GetEditText(int col, int row) { return ""; }
    virtual void SetEditText(int col, int row, const std::string& value) {}
    virtual std::string GetEditMask(int col, int row) { return ""; }
    virtual TEditStyle GetEditStyle(int col, int row) { return TEditStyle::esSimple; }
    virtual void GetPickListItems(int col, int row, std::vector<std::string>& items) {}
    virtual void EditButtonClick() {}
    virtual TInplaceEdit* CreateEditor();
    virtual void ColumnMoved(int from, int to) {}
    virtual void RowMoved(int from, int to) {}
    virtual void ColWidthsChanged() {}
    virtual void RowHeightsChanged() {}
    virtual void TopLeftChanged();
    // The current cell moved (after SelectCell agreed).
    virtual void CurrentCellChanged(int oldCol, int oldRow) {}
    // Whether the grid owns a cell move by keys (data grids scroll their dataset).
    virtual void MoveRowBy(int delta, TShiftState shift);
    // Moves a column or row with its width or height; calls the hook.
    void MoveColumn(int from, int to);
    void MoveRow(int from, int to);
    // Removes a column or row (the count shrinks by one).
    virtual void DeleteColumn(int col);
    virtual void DeleteRow(int row);

    void Paint() override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoExit() override;
    void Resize() override;
    bool HandleQtEvent(QEvent* e, const QtBaseEvent& base) override;
    // A scroll-bar message (WM_HSCROLL, WM_VSCROLL): the code (SB_...) and
    // the thumb position. Dragging the thumb sends SB_THUMBTRACK, which
    // scrolls only with goThumbTracking; letting go sends SB_THUMBPOSITION.
    virtual void ScrollMessage(bool vertical, int code, int position);
    void WndProc(TMessage& m) override;
    // Painting of the area below and right of the last cell.
    virtual void PaintEmptyArea(const TRect& area);
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    void InvalidateGrid() { Invalidate(); }
    // Keeps the scroll bars in step with the counts and the top-left cell.
    void UpdateScrollBars();
    // Makes the current cell visible.
    void ClampInView();
    void SizeChanged();
    QAbstractScrollArea* Area() const { return area_; }
    int rowTopOf(int row) const;  // client y of a row in view, -1 when not
    int colLeftOf(int col) const;
    TGridDrawState StateOf(int col, int row) const;
    bool inplaceFocused() const;

  private:
    void setCurrent(int col, int row, bool moveAnchor);
    void scrollBarMoved(bool vertical, int value);
    void placeEditor();
    QAbstractScrollArea* area_ = nullptr;
    QWidget* viewport_ = nullptr;
    int colCount_ = 5, rowCount_ = 5, fixedCols_ = 1, fixedRows_ = 1;
    int defaultColWidth_ = 64, defaultRowHeight_ = 24, gridLineWidth_ = 1;
    std::vector<int> colWidths_;
    std::map<int, int> rowHeights_;  // rows of another height than the default
    std::vector<bool> tabStops_;
    TColor fixedColor_ = clBtnFace;
    TGridOptions options_{TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine,
                          TGridOption::goVertLine, TGridOption::goHorzLine,
                          TGridOption::goRangeSelect};
    int col_ = 1, row_ = 1, anchorCol_ = 1, anchorRow_ = 1;
    int topRow_ = 1, leftCol_ = 1;
    bool editorMode_ = false;
    TInplaceEdit* editor_ = nullptr;
    bool updatingBars_ = false;
    // Mouse: sizing or moving a column or row.
    enum class Drag { None, ColSize, RowSize, ColMove, RowMove, Select } drag_ = Drag::None;
    int dragIndex_ = -1, dragStart_ = 0, dragOrig_ = 0;
};

// A grid of texts with an object per cell.
class TStringGrid : public TCustomGrid {
    PLAT_CLASS(TStringGrid, TCustomGrid)
  public:
    explicit TStringGrid(TComponent* owner);
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& v);
    TObject* Objects(int col, int row) const;
    void SetObjects(int col, int row, TObject* o);
    // A whole column or row as lines.
    std::vector<std::string> Cols(int col) const;
    std::vector<std::string> Rows(int row) const;
    void SetColCount(int v) override;
    void SetRowCount(int v) override;
    using TCustomGrid::DeleteColumn;
    using TCustomGrid::DeleteRow;
    using TCustomGrid::MoveColumn;
    using TCustomGrid::MoveRow;

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TGetEditEvent OnGetEditText;
    TGetEditEvent OnGetEditMask;
    TSetEditEvent OnSetEditText;
    TMovedEvent OnColumnMoved;
    TMovedEvent OnRowMoved;

  protected:
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    bool SelectCell(int col, int row) override;
    std::string GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const std::string& value) override;
    std::string GetEditMask(int col, int row) override;
    void ColumnMoved(int from, int to) override;
    void RowMoved(int from, int to) override;

  private:
    struct CellData {
        std::string text;
        TObject* object = nullptr;
    };
    CellData* cell(int col, int row, bool create);
    const CellData* cell(int col, int row) const;
    // Columns of rows; only cells written exist.
    std::vector<std::vector<CellData>> cells_;
};

// Draws a cell's text the way grids do: 2 pixels in, one line, clipped.
void DrawCellText(TCanvas& canvas, const TRect& rect, const std::string& text,
                  TAlignment alignment);

}  // namespace plat

// The string grid with settings per cell, column, row, fixed column and
// fixed row (alignment, word wrap, edit permission, mask, font, brush,
// selected colours, an in-cell control and a hint per cell), resolved by a
// fixed precedence, kept with their cells when rows and columns move, and
// stored with the form in its own tagged format. Its in-place editor adds an
// edit button, a pick list with incremental search and check-box cells.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/stringlist.h"
#include "platform/ui/grids.h"
#include "runtime/CodeConverter.h"
#include "runtime/MemoryStream.h"

namespace ktrb {

enum class TMyAlign { alRight, alLeft, alCenter, alDefault };
PLAT_ENUM_INFO(TMyAlign, alRight, alLeft, alCenter, alDefault)
enum class T_Wordwrap { ww_none, ww_wordwrap, ww_ellipsis, ww_default };
PLAT_ENUM_INFO(T_Wordwrap, ww_none, ww_wordwrap, ww_ellipsis, ww_default)
enum class T_nextcell {
    nc_rightdown,
    nc_downright,
    nc_leftdown,
    nc_downleft,
    nc_leftup,
    nc_upleft,
    nc_rightup,
    nc_upright
};
PLAT_ENUM_INFO(T_nextcell, nc_rightdown, nc_downright, nc_leftdown, nc_downleft, nc_leftup,
               nc_upleft, nc_rightup, nc_upright)
enum class T_lastcell { lc_newcolrow, lc_stop, lc_first, lc_exit };
PLAT_ENUM_INFO(T_lastcell, lc_newcolrow, lc_stop, lc_first, lc_exit)

// The item list of a pick list.
class TGridStrings : public plat::TStringList {
  public:
    TGridStrings() = default;
    std::string Separator = "\t";
    bool ListOnly = false;
    int DropDownCount = 8;
    bool Changed = false;
    void Assign(const plat::TStringList& other);
    void Assign(const TGridStrings& other);
};

// A font and a brush that remember being changed.
class TMyFont : public plat::TFont {
  public:
    TMyFont() {
        OnChange = [this] { changed(); };
    }
    bool Changed = false;
    std::function<void()> OnRepaint;

  private:
    void changed() {
        Changed = true;
        if (OnRepaint) OnRepaint();
    }
};

class TMyBrush {
  public:
    plat::TColor Color() const { return b_.Color; }
    void SetColor(plat::TColor c);
    plat::TBrushStyle Style() const { return b_.Style; }
    void SetStyle(plat::TBrushStyle s);
    const plat::TBrush& Data() const { return b_; }
    void Assign(const plat::TBrush& b);
    bool Changed = false;
    std::function<void()> OnRepaint;

  private:
    void changed();
    plat::TBrush b_;
};

// The in-cell control of a cell, column or row: 0 none, 1 edit button,
// 2 check box, 3 pick list, 4 text only.
class TControlInfo {
  public:
    std::function<void()> OnChange;
    uint8_t Kind() const { return kind_; }
    void SetKind(uint8_t k);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& s);
    const std::string& CheckedValue() const { return checked_; }
    void SetCheckedValue(const std::string& s);
    const std::string& UncheckedValue() const { return unchecked_; }
    void SetUncheckedValue(const std::string& s);
    TGridStrings* Items() const { return items_.get(); }
    void SetItems(const plat::TStringList& l);
    void SetItems(const TGridStrings& l);
    bool ChangedFlag = false;
    void Changed();
    virtual ~TControlInfo() = default;
    virtual void AssignControlInfo(const TControlInfo* source);

  private:
    uint8_t kind_ = 0;
    std::string text_, checked_, unchecked_;
    std::unique_ptr<TGridStrings> items_;
};

class TStringAlignGrid;

// One level's settings.
class TCellProperties {
  public:
    explicit TCellProperties(TStringAlignGrid* owner) : owner_(owner) {}
    virtual ~TCellProperties() = default;
    uint8_t EditPermission = 0;  // 0 not set, 1 not editable, 2 editable
    std::string EditMask;
    T_Wordwrap Wordwrap = T_Wordwrap::ww_default;
    TMyAlign Align = TMyAlign::alDefault;
    std::unique_ptr<TMyBrush> Brush, SelectedBrush;
    std::unique_ptr<TMyFont> Font, SelectedFont;
    std::unique_ptr<TControlInfo> ControlInfo;

    virtual void WriteProperties(std::string& out) const;
    // Reads the value of one tag; false for a malformed value.
    virtual void ReadProperty(int tag, class TStoredReader& in);
    virtual void AssignProperties(const TCellProperties* source);
    virtual bool IsEmpty() const;
    virtual std::unique_ptr<TCellProperties> CloneProperties() const;

    void CopyFont(std::unique_ptr<TMyFont>& target, const plat::TFont* source) const;
    void CopyBrush(std::unique_ptr<TMyBrush>& target, const TMyBrush* source) const;
    TStringAlignGrid* Owner() const { return owner_; }

  private:
    TStringAlignGrid* owner_;
};

// A stored value that cannot be read.
class EReadError : public plat::Exception {
  public:
    using plat::Exception::Exception;
};

// The platform's typed stream values the stored settings are written in.
class TStoredWriter {
  public:
    std::string Bytes;
    void Int(int32_t v);
    void Str(const std::string& s);
    void Bool(bool v);
    void ListBegin() { Bytes += char(1); }
    void ListEnd() { Bytes += char(0); }
    void Raw(const std::string& s) { Bytes += s; }
};
class TStoredReader {
  public:
    explicit TStoredReader(const std::string& bytes) : b_(bytes) {}
    int32_t Int();
    std::string Str();
    bool Bool();
    void ListBegin();
    bool EndOfList();
    void ListEnd();
    uint8_t Byte();
    std::string RawBytes(size_t n);
    bool AtEnd() const { return pos_ >= b_.size(); }

  private:
    uint8_t peek() const;
    const std::string& b_;
    size_t pos_ = 0;
};

class TNewInplaceEdit;

using TCellEvent = plat::Event<plat::TObject*, int, int>;
using TCellEventBool = plat::Event<plat::TObject*, int, int, bool&>;
using TColEvent = plat::Event<plat::TObject*, int>;
using TRowEvent = plat::Event<plat::TObject*, int>;
// Sender, column, row, rectangle, state, font, brush.
using TAlignCalcCellColorsEvent = plat::Event<plat::TObject*, int, int, plat::TRect,
                                              plat::TGridDrawState, plat::TFont*, plat::TBrush*>;
// Sender, column, row, hint text, may show.
using TShowHintCellProc = plat::Event<plat::TObject*, int, int, std::string&, bool&>;
// Sender, column or row compared in, the two others; 0, 1 (equal) or 2.
using TCompareFunction = std::function<int(plat::TObject*, int, int, int)>;

class TStringAlignGrid : public plat::TStringGrid, public IAlignGridTexts {
    PLAT_CLASS(TStringAlignGrid, plat::TStringGrid)
    friend class TNewInplaceEdit;
    friend class TCellProperties;

  public:
    explicit TStringAlignGrid(plat::TComponent* owner);
    ~TStringAlignGrid() override;

    int ColCount() const override { return TStringGrid::ColCount(); }
    int RowCount() const override { return TStringGrid::RowCount(); }

    // ---- grid-wide settings ----
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& v);
    TMyAlign Alignment() const { return alignment_; }
    void SetAlignment(TMyAlign v);
    T_Wordwrap Wordwrap() const { return wordwrap_; }
    void SetWordwrap(T_Wordwrap v);
    bool Editable = true;
    plat::TColor SelectedCellColor() const { return selColor_; }
    void SetSelectedCellColor(plat::TColor c);
    plat::TColor SelectedFontColor() const { return selFontColor_; }
    void SetSelectedFontColor(plat::TColor c);
    plat::TColor GridLineColor() const { return lineColor_; }
    void SetGridLineColor(plat::TColor c);
    plat::TColor FixedColor() const { return TStringGrid::FixedColor(); }
    void SetFixedColor(plat::TColor c);
    bool DrawSelection() const { return drawSelection_; }
    void SetDrawSelection(bool v);
    bool ShowCellHints = true;
    bool SelectEditText = true;
    bool EditMultiline = false;
    bool AutoEditNextCell = false;
    T_nextcell NextCellEdit = T_nextcell::nc_rightdown;
    T_nextcell NextCellTab = T_nextcell::nc_rightdown;
    T_lastcell AfterLastCellEdit = T_lastcell::lc_newcolrow;
    T_lastcell AfterLastCellTab = T_lastcell::lc_first;
    bool AutoAdjustLastCol() const { return autoAdjust_; }
    void SetAutoAdjustLastCol(bool v);
    bool RedrawWhileScroll = false;
    plat::TBitmap* BackgroundBitmap() { return background_.get(); }

    TCellEvent OnBeforeEdit, OnAfterEdit, OnCancelEdit;
    TCellEventBool OnValidateEdit;
    plat::TNotifyEvent OnEditButtonClick, OnComboBoxClick;
    TAlignCalcCellColorsEvent OnCalcCellColors;
    TShowHintCellProc OnShowHintCell;
    TColEvent OnFixedColClick;
    TRowEvent OnFixedRowClick;
    plat::TNotifyEvent OnColWidthsChanged, OnRowHeightsChanged;
    TCompareFunction OnCompareCol, OnCompareRow;

    // ---- per-level settings ----
    void SetAlignCell(int c, int r, TMyAlign v);
    void SetAlignCol(int c, TMyAlign v);
    void SetAlignFixedCol(int c, TMyAlign v);
    void SetAlignRow(int r, TMyAlign v);
    void SetAlignFixedRow(int r, TMyAlign v);
    TMyAlign GetAlignCell(int c, int r) const;
    void ResetAlignCell(int c, int r);
    T_Wordwrap GetWordwrapCell(int c, int r) const;
    void ResetWordwrapCell(int c, int r);
    void SetEditCell(int c, int r, bool v);
    void SetEditCol(int c, bool v);
    void SetEditRow(int r, bool v);
    bool GetEditCell(int c, int r) const;
    void ResetEditCell(int c, int r);
    // Fonts and brushes for writing: made (from the grid's) on first use.
    TMyFont* GetFontCell(int c, int r);
    TMyFont* GetFontCol(int c);
    TMyFont* GetFontFixedCol(int c);
    TMyFont* GetFontRow(int r);
    TMyFont* GetFontFixedRow(int r);
    const plat::TFont* GetCellFont(int c, int r) const;
    void ResetFontCell(int c, int r);
    TMyBrush* GetBrushCell(int c, int r);
    TMyBrush* GetBrushCol(int c);
    TMyBrush* GetBrushFixedCol(int c);
    TMyBrush* GetBrushRow(int r);
    TMyBrush* GetBrushFixedRow(int r);
    plat::TBrush GetCellBrush(int c, int r) const;
    plat::TColor GetColorCell(int c, int r) const { return GetCellBrush(c, r).Color; }
    void ResetBrushCell(int c, int r);
    void SetSelectedColorCell(int c, int r, plat::TColor v);
    void SetSelectedColorCol(int c, plat::TColor v);
    void SetSelectedColorRow(int r, plat::TColor v);
    plat::TColor GetSelectedColorCell(int c, int r) const;
    void ResetSelectedColorCell(int c, int r);
    plat::TColor GetSelectedFontColorCell(int c, int r) const;
    void ResetSelectedFontCell(int c, int r);
    void SetEditMaskCell(int c, int r, const std::string& v);
    std::string GetEditMaskCell(int c, int r) const;
    void ResetEditMaskCell(int c, int r);
    TControlInfo* GetControlInfoCell(int c, int r);
    TControlInfo* GetControlInfoCol(int c);
    TControlInfo* GetControlInfoRow(int r);
    const TControlInfo* GetCellControlInfo(int c, int r) const;
    void ResetControlInfoCell(int c, int r);
    std::string GetHintCell(int c, int r) const;
    void SetHintCell(int c, int r, const std::string& v) override;
    void ResetCellProperties(int c, int r);
    std::string GetCellValue(int c, int r) const override;
    void SetCellValue(int c, int r, const std::string& v) override;
    void SetControlInfo(int c, int r, int kind, const std::string& text, int index);
    static std::string FormatMaskedText(const std::string& mask, const std::string& value);

    // What the code-page converter reads: nothing is made by these.
    const std::string* FindHintCell(int c, int r) const override;
    plat::TObject* FindFontCell(int c, int r) override;
    plat::TObject* FindFontCol(int c) override;
    plat::TObject* FindFontFixedCol(int c) override;
    plat::TObject* FindFontRow(int r) override;
    plat::TObject* FindFontFixedRow(int r) override;
    plat::TStringList* ControlItemsCell(int c, int r) override;
    plat::TStringList* ControlItemsCol(int c) override;
    plat::TStringList* ControlItemsRow(int r) override;
    // The cell's own settings record, or null.
    const TCellProperties* CellProperties(int c, int r) const;

    // ---- rows and columns ----
    void InsertRow(int row);
    void InsertCol(int col);
    void RemoveRow(int row);
    void ExchangeRows(int r1, int r2);
    void ExchangeCols(int c1, int c2);
    void SortRows(int col, int fromRow, int toRow);
    void SortCols(int row, int fromCol, int toCol);

    // ---- editing ----
    void EndEdit(bool cancel);
    void EditAgain();
    // The next cell from (c, r) by a rule; (-1, -1) when there is none.
    plat::TGridCoord NextCell(int c, int r, T_nextcell dir, T_lastcell last);
    plat::TGridCoord NextEditableCell(int c, int r, T_nextcell dir, T_lastcell last);
    // Edit steps (the grid's own messages).
    static constexpr int msgCancel = 3024, msgEnter = 3025, msgDone = 3026, msgBefore = 3027,
                         msgRestore = 3028, msgNone = 3029;
    void EditStep(int msg, int col, int row);
    bool ReEdit() const { return reEdit_; }

    // ---- clipboard ----
    std::unique_ptr<TStream> CopyToStream(TStream* stream, char separator, plat::TGridRect range);
    void PasteFromStream(TStream& stream, char separator, plat::TGridRect range);
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // ---- stored settings ----
    // The stored-property keys and their values in the order they are kept.
    std::vector<std::pair<std::string, std::string>> WriteStoredProperties() const;
    void ReadStoredProperty(const std::string& key, const std::string& value);
    void Loaded();
    bool StoreCells = false;

    // ---- painting ----
    void AdjustLastCol();
    static T_nextcell Reverse(T_nextcell d);
    const plat::TBitmap& CheckBitmap() const { return *check_; }
    const plat::TBitmap& UncheckBitmap() const { return *uncheck_; }
    // Each cell its own hint: the hint window shows the cell's hint at the
    // cell's top-left corner.
    bool HintShow(plat::THintInfo& info) override;
    plat::TGridCoord HintCell() const { return hintCell_; }

    void KeyDown(uint16_t& key, plat::TShiftState shift) override;
    TNewInplaceEdit* Editor() const;

  protected:
    virtual void Initialize();
    virtual void PrepareCellCanvas(int c, int r, plat::TRect& rect, plat::TGridDrawState st);
    virtual void DrawCellText(int c, int r, const plat::TRect& rect, plat::TGridDrawState st);
    virtual void DrawCellButton(int c, int r, plat::TRect& rect, plat::TGridDrawState st);
    virtual void DrawCheckCell(int c, int r, const plat::TRect& rect, plat::TGridDrawState st);
    virtual void DrawComboButton(const plat::TRect& button, bool enabled);
    virtual void DrawEllipsisButton(const plat::TRect& button, bool enabled);
    virtual void CalcCellColors(int c, int r, const plat::TRect& rect, plat::TGridDrawState st,
                                plat::TFont* font, plat::TBrush* brush);
    virtual void EditButtonClick() override;
    virtual void ComboBoxClick();

    void DrawCell(int col, int row, const plat::TRect& rect, plat::TGridDrawState state) override;
    void Paint() override;
    bool CanEditShow() override;
    std::string GetEditText(int col, int row) override;
    std::string GetEditMask(int col, int row) override;
    plat::TEditStyle GetEditStyle(int col, int row) override;
    void GetPickListItems(int col, int row, std::vector<std::string>& items) override;
    plat::TInplaceEdit* CreateEditor() override;
    void ColumnMoved(int from, int to) override;
    void RowMoved(int from, int to) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void KeyPress(char32_t& key) override;
    void MouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void MouseMove(plat::TShiftState shift, int x, int y) override;
    void MouseUp(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void DoExit() override;
    void Resize() override;
    void FontChanged() override;
    void ScrollMessage(bool vertical, int code, int position) override;

  private:
    using Table = std::vector<std::unique_ptr<TCellProperties>>;
    static TCellProperties* find(const Table& t, int i);
    TCellProperties* findCell(int c, int r) const;
    TCellProperties& make(Table& t, int i);
    TCellProperties& makeCell(int c, int r);
    TCellProperties* colLevel(int c, int r) const;
    TCellProperties* rowLevel(int c, int r) const;
    bool isFixed(int c, int r) const { return c < FixedCols() || r < FixedRows(); }
    template <class F>
    auto resolve(int c, int r, F get) const -> decltype(get((TCellProperties*)nullptr));
    TMyFont* fontOf(TCellProperties& p);
    TMyBrush* brushOf(TCellProperties& p);
    TControlInfo* controlOf(TCellProperties& p);
    void bindFont(TMyFont& f);
    void bindBrush(TMyBrush& b);
    void moveTexts(bool rows, int from, int to);
    void clearTexts(bool rows, int index);
    template <class T>
    static void moveEntry(std::vector<T>& v, int from, int to);
    void quickSort(bool rows, int colRow, int lo, int hi);
    void readOldKey(const std::string& key, TStoredReader& in);

    std::unique_ptr<plat::TBitmap> background_, check_, uncheck_;
    Table colTab_, rowTab_, fixedColTab_, fixedRowTab_;
    std::vector<Table> cellTab_;
    std::vector<std::vector<std::unique_ptr<std::string>>> hintTab_;
    std::string editMask_;
    TControlInfo defaultControl_;
    TMyAlign alignment_ = TMyAlign::alLeft;
    T_Wordwrap wordwrap_ = T_Wordwrap::ww_none;
    plat::TColor selColor_ = plat::clActiveCaption, selFontColor_ = 0xFFFFFF;
    plat::TColor lineColor_ = 0xC0C0C0;
    TMyFont fixedFont_;
    TMyBrush fixedBrush_;
    plat::TGridCoord hintCell_;
    bool hasHints_ = false;
    std::unique_ptr<std::vector<std::pair<plat::TGridCoord, std::string>>> storedCells_;
    bool drawSelection_ = true, autoAdjust_ = false;
    bool reEdit_ = false, restoreEditor_ = false;
    int savedSelStart_ = 0, savedSelLength_ = 0;
};

class TNewInplaceEdit;

// The editor's drop-down list: a window of its own under the editor that
// never takes the focus. Each line is a display text and, after a TAB, the
// value it stands for (the display text when none is given).
class TPopupListbox : public plat::TCustomListBox {
    PLAT_CLASS(TPopupListbox, plat::TCustomListBox)
  public:
    explicit TPopupListbox(TNewInplaceEdit* editor);
    static constexpr char Separator = '\t';
    void FillItems(const std::vector<std::string>& lines);
    const std::vector<std::string>& Values() const { return values_; }
    // The search by typing: selects the first line beginning with the text
    // typed within two seconds, else with the key alone; true on a match.
    bool Search(char32_t key, int64_t nowMs);
    void DrawItemTo(plat::TCanvas& canvas, int index, const plat::TRect& r,
                    plat::TOwnerDrawState state) override;

  protected:
    void KeyPress(char32_t& key) override;
    void MouseUp(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;

  private:
    TNewInplaceEdit* editor_;
    std::vector<std::string> values_;
    std::string search_;
    int64_t lastKey_ = -1000000;
};

// The grid's editor: masked text, an edit button, a pick list that can
// search as the user types, and check-box cells toggled by Space and click.
class TNewInplaceEdit : public plat::TInplaceEdit {
    PLAT_CLASS(TNewInplaceEdit, plat::TInplaceEdit)
    friend class TStringAlignGrid;

  public:
    explicit TNewInplaceEdit(plat::TComponent* owner);
    void UpdateContents() override;
    uint8_t Style() const { return style_; }
    plat::TGridCoord EditedCell;
    bool AfterEdit = false, Started = false;
    std::string StartText;
    // The incremental search of a list-only pick list; true when a line matched.
    bool SearchPick(char32_t key, int64_t nowMs);
    const std::string& SearchText() const { return search_; }
    void DropDown() override;
    void CloseUp(bool accept) override;
    int PickListIndex() const override;
    void SetPickListIndex(int i) override;
    // The drop-down list (made when a pick-list cell is first edited).
    TPopupListbox* PopupList() const { return list_; }
    void ToggleCheck();
    // The current cell's hint while the grid shows cell hints.
    bool HintShow(plat::THintInfo& info) override;

  protected:
    void KeyDown(uint16_t& key, plat::TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void EditButtonClick() override;

  private:
    TStringAlignGrid* grid() const;
    const TControlInfo* control() const;
    bool listOnly() const;
    uint8_t style_ = 0;
    TPopupListbox* list_ = nullptr;
    bool swallowChar_ = false;
    std::string search_;
    int64_t lastKey_ = -1000000;
};

}  // namespace ktrb

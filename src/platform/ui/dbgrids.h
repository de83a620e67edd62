// The data grid: a grid whose rows are a dataset's records and whose columns
// are bound to its fields. It reads the dataset through a data link and
// paints only the rows in view (each read where it stands, the cursor never
// moves for painting). Cells are edited in place or through a column's own
// control; what is typed reaches the field through the field's text, so the
// field's conversions and validations run, and a refusal keeps the editor.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/component/collection.h"
#include "platform/data/datasource.h"
#include "platform/ui/grids.h"

namespace plat {

class TCustomImageList;
class TCustomDataGrid;

enum class TDataGridOption {
    dgEditing,
    dgAlwaysShowEditor,
    dgTitles,
    dgIndicator,
    dgColumnResize,
    dgColLines,
    dgRowLines,
    dgTabs,
    dgRowSelect,
    dgAlwaysShowSelection,
    dgConfirmDelete,
    dgCancelOnExit,
    dgMultiSelect,
    dgWordWrap,
};
PLAT_ENUM_INFO(TDataGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator,
               dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection,
               dgConfirmDelete, dgCancelOnExit, dgMultiSelect, dgWordWrap)
PLAT_SET(TDataGridOptions, TDataGridOption)

enum class TDataGridKeyOption { dgEnterToTab, dgAllowDelete, dgAllowInsert };
PLAT_ENUM_INFO(TDataGridKeyOption, dgEnterToTab, dgAllowDelete, dgAllowInsert)
PLAT_SET(TDataGridKeyOptions, TDataGridKeyOption)

// How a column's cells are shown and edited.
enum class TColumnControlType { ctDefault, ctCheckBox, ctCombo, ctCustom };
PLAT_ENUM_INFO(TColumnControlType, ctDefault, ctCheckBox, ctCombo, ctCustom)

class TDataGridColumn : public TCollectionItem {
    PLAT_CLASS(TDataGridColumn, TCollectionItem)
  public:
    explicit TDataGridColumn(TCollection* c = nullptr);
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& v);
    // The bound field of the grid's dataset, or null.
    TField* Field() const;
    // The title; the field's display label when none was set.
    std::string Title() const;
    void SetTitle(const std::string& v);
    // Pixels; the field's display width in characters when none was set.
    int Width() const;
    void SetWidth(int v);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    // The field's alignment unless one was set.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment v);
    TAlignment TitleAlignment() const { return titleAlignment_; }
    void SetTitleAlignment(TAlignment v);
    TColumnControlType ControlType() const { return controlType_; }
    void SetControlType(TColumnControlType v);
    // Check boxes: "checked;unchecked" texts ("Y;N").
    const std::string& CheckValues() const { return checkValues_; }
    void SetCheckValues(const std::string& v);
    std::string CheckedValue() const;
    std::string UncheckedValue() const;
    // Combo columns: the lines the in-place editor offers.
    std::vector<std::string> PickList;
    // Custom columns: the control placed over the current cell while it is
    // edited; it stays the grid's for the column's life.
    TWinControl* Control() const { return control_; }
    void SetControl(TWinControl* c);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    TCustomDataGrid* Grid() const;
    std::string DisplayName() const override { return fieldName_; }

  private:
    friend class TCustomDataGrid;
    std::string fieldName_, title_, checkValues_ = "Y;N";
    int width_ = -1;
    bool readOnly_ = false, visible_ = true, hasAlignment_ = false;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TAlignment titleAlignment_ = TAlignment::taLeftJustify;
    TColumnControlType controlType_ = TColumnControlType::ctDefault;
    TWinControl* control_ = nullptr;
    TCustomDataGrid* grid_ = nullptr;  // default columns: not in a collection
};

class TDataGridColumns : public TCollection {
    PLAT_CLASS(TDataGridColumns, TCollection)
  public:
    explicit TDataGridColumns(TCustomDataGrid* grid);
    TDataGridColumn* Add() { return static_cast<TDataGridColumn*>(TCollection::Add()); }
    TDataGridColumn* Items(int i) const { return ItemAs<TDataGridColumn>(i); }
    TDataGridColumn* operator[](int i) const { return Items(i); }
    // The column bound to a field name (case-insensitive), or null.
    TDataGridColumn* ColumnByField(const std::string& name) const;
    TCustomDataGrid* Grid() const { return grid_; }

  protected:
    void Update(TCollectionItem* item) override;

  private:
    TCustomDataGrid* grid_;
};

// Sender, field, state, highlight, font, brush.
using TCalcCellColorsEvent = Event<TObject*, TField*, TGridDrawState, bool, TFont*, TBrush*>;
// Sender, field, font, brush, title alignment.
using TCalcTitleAttributesEvent = Event<TObject*, TField*, TFont*, TBrush*, TAlignment&>;
// Sender, field, image index (-1 none).
using TCalcTitleImageEvent = Event<TObject*, TField*, int&>;
using TTitleButtonClickEvent = Event<TObject*, const std::string&>;
using TDrawDataCellEvent = Event<TObject*, const TRect&, TField*, TGridDrawState>;

class TCustomDataGrid : public TCustomGrid {
    PLAT_CLASS(TCustomDataGrid, TCustomGrid)
  public:
    explicit TCustomDataGrid(TComponent* owner);
    ~TCustomDataGrid() override;

    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* ds);
    TDataSet* DataSet() const { return link_.DataSet(); }
    TDataGridColumns* Columns() { return &columns_; }
    // The editor of a field's cells while the grid makes its columns from the
    // fields: kept by field name, since those columns are made again with
    // every layout change. The control becomes the grid's child, hidden until
    // a cell of the field is edited; null takes the editor away.
    void SetFieldControl(const std::string& fieldName, TWinControl* control);
    // The editor of a field's cells: its persistent column's control, else
    // the one set for the field; null when none.
    TWinControl* FieldControl(const std::string& fieldName) const;
    // The columns shown: the visible persistent columns, or one per visible
    // field while no column was added.
    int VisibleColumnCount() const { return (int)shown_.size(); }
    TDataGridColumn* VisibleColumn(int i) const;

    TDataGridOptions Options() const { return dgOptions_; }
    void SetOptions(TDataGridOptions o);
    TDataGridKeyOptions KeyOptions() const { return keyOptions_; }
    void SetKeyOptions(TDataGridKeyOptions o) { keyOptions_ = o; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    // Data columns that stay put when scrolling sideways.
    int FixedDataCols() const { return fixedDataCols_; }
    void SetFixedDataCols(int v);
    bool TitleButtons() const { return titleButtons_; }
    void SetTitleButtons(bool v);
    TCustomImageList* TitleImages() const { return titleImages_; }
    void SetTitleImages(TCustomImageList* l);
    TColor TitleColor() const { return titleColor_; }
    void SetTitleColor(TColor c);
    TFont* TitleFont() { return &titleFont_; }
    int IndicatorWidth() const { return 11; }
    // 1 with the indicator column, else 0.
    int IndicatorOffset() const;
    int TitleOffset() const;

    // The current column (0-based among the shown columns) and its field.
    int SelectedIndex() const;
    void SetSelectedIndex(int i);
    TDataGridColumn* SelectedColumn() const { return VisibleColumn(SelectedIndex()); }
    TField* SelectedField() const;
    void SetSelectedField(TField* f);
    // The grid row of the current record, and of the row being painted.
    int ActiveRow() const;
    int DrawingRow() const { return drawingRow_; }
    // The text of the field shown in a data cell of any row on view; empty
    // for the title, the indicator and rows past the data.
    std::string CellFieldText(int col, int row) const;

    // Marked records (dgMultiSelect), as bookmarks: they survive re-sorting.
    const std::vector<TBookmark>& SelectedRows() const { return selected_; }
    bool IsSelectedRecord() const;
    void SelectRecord();
    void UnselectRecord();
    void ToggleRecordSelection();
    void SelectAll();
    void UnselectAll();

    // The editor's text goes into the field (raises what the field raises).
    void UpdateData();
    // The cell editor and the column controls are hidden.
    void HideControls();
    // The layout is built again from the columns and the fields.
    void LayoutChanged();
    // The typed text waits to be written into the field.
    bool EditModified() const { return editModified_; }

    TCalcCellColorsEvent OnCalcCellColors;
    TCalcTitleAttributesEvent OnCalcTitleAttributes;
    TCalcTitleImageEvent OnCalcTitleImage;
    TTitleButtonClickEvent OnTitleButtonClick;
    TDrawDataCellEvent OnDrawDataCell;
    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;

    bool WantsKey(uint16_t key, TShiftState shift) const override;
    void KeyDown(uint16_t& key, TShiftState shift) override;

  protected:
    // Painting hooks of a descendant.
    virtual void DoCalcCellColors(TField* field, TGridDrawState state, bool highlight, TFont* font,
                                  TBrush* brush);
    virtual void DrawDataCell(const TRect& rect, TField* field, TGridDrawState state);
    virtual void DrawCheckBox(const TRect& rect, int col, int row, bool checked);
    virtual void DrawTitleCell(int col, const TRect& rect, TDataGridColumn* column);
    virtual void DrawIndicator(const TRect& rect, int row);

    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    void PaintEmptyArea(const TRect& area) override;
    bool SelectCell(int col, int row) override;
    bool CanEditShow() override;
    bool CanEditModify() override;
    bool CanEditAcceptKey(char32_t key) override;
    std::string GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const std::string& value) override;
    std::string GetEditMask(int col, int row) override;
    TEditStyle GetEditStyle(int col, int row) override;
    void GetPickListItems(int col, int row, std::vector<std::string>& items) override;
    void CurrentCellChanged(int oldCol, int oldRow) override;
    void TopLeftChanged() override;
    void ColWidthsChanged() override;
    void ColumnMoved(int from, int to) override;
    void MoveRowBy(int delta, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoExit() override;
    void Notification(TComponent* c, TOperation op) override;
    void Paint() override;

    TDataSetLink* DataLink() { return &link_; }
    // The dataset changed or scrolled (after the grid followed it).
    virtual void DataChanged() {}
    // The column of a grid column index, or null (indicator).
    TDataGridColumn* ColumnAt(int gridCol) const;
    int GridColOf(int visibleIndex) const { return visibleIndex + IndicatorOffset(); }

  private:
    friend class TDataGridColumns;
    friend class TDataGridColumn;
    void dataChanged();
    void recordChanged(TField* f);
    void editingChanged();
    void syncRows();
    void rebuildColumns();
    void toggleCheck();
    void placeColumnControl();
    bool moveByRecord(int delta);
    void nextCell(bool forward);
    bool selectedContains(const TBookmark& b) const;
    // Texts measured for the layout, kept while their font stays the same:
    // layouts come again with every change of the fields or options.
    struct TextWidths {
        TFontData font;
        std::unordered_map<std::string, int> widths;
    };
    static int textWidth(TextWidths& cache, const TFontData& font, const std::string& text);
    TextWidths cellWidths_, titleWidths_;
    TDataGridColumns columns_;
    std::vector<std::unique_ptr<TDataGridColumn>> defaults_;
    std::vector<std::pair<std::string, TWinControl*>> fieldControls_;
    std::vector<TDataGridColumn*> shown_;
    TDataSetLink link_;
    TDataGridOptions dgOptions_;
    TDataGridKeyOptions keyOptions_;
    bool readOnly_ = false, titleButtons_ = false;
    int fixedDataCols_ = 0;
    TCustomImageList* titleImages_ = nullptr;
    TColor titleColor_ = clBtnFace;
    TFont titleFont_;
    std::vector<TBookmark> selected_;
    bool syncing_ = false, layingOut_ = false;
    bool editModified_ = false;
    std::string editText_;
    int drawingRow_ = -1;
    TDataGridColumn* drawingColumn_ = nullptr;
    TWinControl* shownControl_ = nullptr;
};

class TDataGrid : public TCustomDataGrid {
    PLAT_CLASS(TDataGrid, TCustomDataGrid)
  public:
    using TCustomDataGrid::TCustomDataGrid;
};

}  // namespace plat

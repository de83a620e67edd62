#include "platform/ui/dbgrids.h"

#include <algorithm>

#include "platform/component/properties.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/field.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/imglist.h"

namespace plat {

namespace {
// Numbers stand right, as the platform aligns numeric fields.
TAlignment FieldAlignment(const TField* f) {
    return f && f->IsNumeric() ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
}

// Field reads go to one display row while it lives.
struct PeekGuard {
    const TDataSet* ds;
    PeekGuard(const TDataSet* d, int row) : ds(d) {
        if (ds) ds->BeginPeek(row);
    }
    ~PeekGuard() {
        if (ds) ds->EndPeek();
    }
};

struct FlagGuard {
    bool& f;
    bool old;
    explicit FlagGuard(bool& flag) : f(flag), old(flag) { f = true; }
    ~FlagGuard() { f = old; }
};
}  // namespace

// ---- Columns ----------------------------------------------------------------------------

TDataGridColumn::TDataGridColumn(TCollection* c) : TCollectionItem(c) {}

TCustomDataGrid* TDataGridColumn::Grid() const {
    if (grid_) return grid_;
    auto* cols = dynamic_cast<TDataGridColumns*>(Collection());
    return cols ? cols->Grid() : nullptr;
}

void TDataGridColumn::SetFieldName(const std::string& v) {
    fieldName_ = v;
    Changed();
}

TField* TDataGridColumn::Field() const {
    TCustomDataGrid* g = Grid();
    TDataSet* ds = g ? g->DataSet() : nullptr;
    return ds && ds->Active() && !fieldName_.empty() ? ds->FindField(fieldName_) : nullptr;
}

std::string TDataGridColumn::Title() const {
    if (!title_.empty()) return title_;
    if (TField* f = Field()) return f->DisplayLabel();
    return fieldName_;
}

void TDataGridColumn::SetTitle(const std::string& v) {
    title_ = v;
    Changed();
}

int TDataGridColumn::Width() const {
    if (width_ >= 0) return width_;
    TCustomDataGrid* g = Grid();
    int chars = 10;
    if (TField* f = Field()) chars = std::clamp(f->DisplayWidth(), 0, 1000);
    // The whole run measured: a digit's width is seldom a whole pixel.
    int cw = g ? g->textWidth(g->cellWidths_, g->Font()->Data(), std::string((size_t)chars, '0'))
               : 7 * chars;
    int tw = g ? g->textWidth(g->titleWidths_, g->TitleFont()->Data(), Title()) : 0;
    // The cell's text keeps 2 pixels each side, and one more for rounding.
    return std::max(cw, tw) + 5;
}

void TDataGridColumn::SetWidth(int v) {
    width_ = std::max(v, 0);
    Changed();
}

void TDataGridColumn::SetReadOnly(bool v) {
    readOnly_ = v;
    Changed();
}

TAlignment TDataGridColumn::Alignment() const {
    if (hasAlignment_) return alignment_;
    if (TField* f = Field()) return FieldAlignment(f);
    return TAlignment::taLeftJustify;
}

void TDataGridColumn::SetAlignment(TAlignment v) {
    alignment_ = v;
    hasAlignment_ = true;
    Changed();
}

void TDataGridColumn::SetTitleAlignment(TAlignment v) {
    titleAlignment_ = v;
    Changed();
}

void TDataGridColumn::SetControlType(TColumnControlType v) {
    controlType_ = v;
    Changed();
}

void TDataGridColumn::SetCheckValues(const std::string& v) {
    checkValues_ = v;
    Changed();
}

std::string TDataGridColumn::CheckedValue() const {
    auto p = checkValues_.find(';');
    return p == std::string::npos ? checkValues_ : checkValues_.substr(0, p);
}

std::string TDataGridColumn::UncheckedValue() const {
    auto p = checkValues_.find(';');
    return p == std::string::npos ? std::string() : checkValues_.substr(p + 1);
}

void TDataGridColumn::SetControl(TWinControl* c) {
    if (control_ == c) return;
    control_ = c;
    if (c) {
        if (TCustomDataGrid* g = Grid()) {
            c->SetParent(g);
            c->Hide();
            g->FreeNotification(c);
        }
        controlType_ = TColumnControlType::ctCustom;
    } else if (controlType_ == TColumnControlType::ctCustom) {
        controlType_ = TColumnControlType::ctDefault;
    }
    Changed();
}

void TDataGridColumn::SetVisible(bool v) {
    visible_ = v;
    Changed();
}

TDataGridColumns::TDataGridColumns(TCustomDataGrid* grid)
    : TCollection(FactoryOf<TDataGridColumn>(), grid), grid_(grid) {}

TDataGridColumn* TDataGridColumns::ColumnByField(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->FieldName(), name)) return Items(i);
    return nullptr;
}

void TDataGridColumns::Update(TCollectionItem*) {
    if (grid_ && !grid_->Destroying()) grid_->LayoutChanged();
}

// ---- Grid -------------------------------------------------------------------------------

int TCustomDataGrid::textWidth(TextWidths& cache, const TFontData& font, const std::string& text) {
    if (!(cache.font == font) || cache.widths.size() > 1024) {
        cache.font = font;
        cache.widths.clear();
    }
    auto [it, fresh] = cache.widths.try_emplace(text, 0);
    if (fresh) it->second = MeasureText(font, text).cx;
    return it->second;
}

TCustomDataGrid::TCustomDataGrid(TComponent* owner) : TCustomGrid(owner), columns_(this) {
    link_.OnActiveChange = TNotifyEvent([this](TObject*) { LayoutChanged(); }, this);
    link_.OnLayoutChange = TNotifyEvent([this](TObject*) { LayoutChanged(); }, this);
    link_.OnDataSetChange = TNotifyEvent([this](TObject*) { dataChanged(); }, this);
    link_.OnScroll = Event<TObject*, int>([this](TObject*, int) { dataChanged(); }, this);
    link_.OnRecordChange =
        TDataChangeEvent([this](TObject*, TField* f) { recordChanged(f); }, this);
    link_.OnEditingChange = TNotifyEvent([this](TObject*) { editingChanged(); }, this);
    link_.OnUpdateData = TNotifyEvent([this](TObject*) { UpdateData(); }, this);
    titleFont_.Assign(*Font());
    titleFont_.OnChange = [this] { Invalidate(); };
    dgOptions_ = TDataGridOptions{TDataGridOption::dgEditing,     TDataGridOption::dgTitles,
                                  TDataGridOption::dgIndicator,   TDataGridOption::dgColumnResize,
                                  TDataGridOption::dgColLines,    TDataGridOption::dgRowLines,
                                  TDataGridOption::dgTabs,        TDataGridOption::dgConfirmDelete,
                                  TDataGridOption::dgCancelOnExit};
    keyOptions_ =
        TDataGridKeyOptions{TDataGridKeyOption::dgAllowDelete, TDataGridKeyOption::dgAllowInsert};
    SetDefaultRowHeight(20);
    LayoutChanged();
}

TCustomDataGrid::~TCustomDataGrid() {
    BeginDestroy();
    link_.OnActiveChange = nullptr;
    link_.OnLayoutChange = nullptr;
    link_.OnDataSetChange = nullptr;
    link_.OnScroll = nullptr;
    link_.OnRecordChange = nullptr;
    link_.OnEditingChange = nullptr;
    link_.OnUpdateData = nullptr;
    link_.SetDataSource(nullptr);
}

void TCustomDataGrid::SetDataSource(TDataSource* ds) {
    if (ds == link_.DataSource()) return;
    if (link_.DataSource()) RemoveFreeNotification(link_.DataSource());
    UnselectAll();
    {
        // Laid out once, below, whether or not the link's state changes.
        FlagGuard g(layingOut_);
        link_.SetDataSource(ds);
    }
    if (ds) FreeNotification(ds);
    LayoutChanged();
}

void TCustomDataGrid::Notification(TComponent* c, TOperation op) {
    TCustomGrid::Notification(c, op);
    if (op != TOperation::opRemove) return;
    if (c == link_.DataSource()) link_.SetDataSource(nullptr);
    if (c == titleImages_) titleImages_ = nullptr;
    if (c == shownControl_) shownControl_ = nullptr;
    for (int i = 0; i < columns_.Count(); ++i)
        if (columns_[i]->control_ == c) columns_[i]->control_ = nullptr;
    for (auto& d : defaults_)
        if (d->control_ == c) d->control_ = nullptr;
    std::erase_if(fieldControls_, [c](const auto& e) { return e.second == c; });
}

void TCustomDataGrid::SetFieldControl(const std::string& fieldName, TWinControl* control) {
    std::erase_if(fieldControls_, [&](const auto& e) { return SameText(e.first, fieldName); });
    if (control) {
        fieldControls_.emplace_back(fieldName, control);
        control->SetParent(this);
        control->Hide();
        FreeNotification(control);
    }
    LayoutChanged();
}

TWinControl* TCustomDataGrid::FieldControl(const std::string& fieldName) const {
    if (TDataGridColumn* c = columns_.ColumnByField(fieldName); c && c->Control())
        return c->Control();
    for (const auto& [name, control] : fieldControls_)
        if (SameText(name, fieldName)) return control;
    return nullptr;
}

TDataGridColumn* TCustomDataGrid::VisibleColumn(int i) const {
    return i >= 0 && i < (int)shown_.size() ? shown_[i] : nullptr;
}

TDataGridColumn* TCustomDataGrid::ColumnAt(int gridCol) const {
    return VisibleColumn(gridCol - IndicatorOffset());
}

int TCustomDataGrid::IndicatorOffset() const {
    return dgOptions_.Contains(TDataGridOption::dgIndicator) ? 1 : 0;
}

int TCustomDataGrid::TitleOffset() const {
    return dgOptions_.Contains(TDataGridOption::dgTitles) ? 1 : 0;
}

void TCustomDataGrid::SetOptions(TDataGridOptions o) {
    dgOptions_ = o;
    LayoutChanged();
}

void TCustomDataGrid::SetReadOnly(bool v) {
    // Line rules set it on every scroll: only a change lays the grid out.
    if (v == readOnly_) return;
    readOnly_ = v;
    if (v) HideControls();
    LayoutChanged();
}

void TCustomDataGrid::SetFixedDataCols(int v) {
    fixedDataCols_ = std::max(0, v);
    LayoutChanged();
}

void TCustomDataGrid::SetTitleButtons(bool v) {
    titleButtons_ = v;
    Invalidate();
}

void TCustomDataGrid::SetTitleImages(TCustomImageList* l) {
    if (titleImages_) RemoveFreeNotification(titleImages_);
    titleImages_ = l;
    if (l) FreeNotification(l);
    Invalidate();
}

void TCustomDataGrid::SetTitleColor(TColor c) {
    titleColor_ = c;
    Invalidate();
}

void TCustomDataGrid::rebuildColumns() {
    shown_.clear();
    defaults_.clear();
    if (columns_.Count() > 0) {
        for (int i = 0; i < columns_.Count(); ++i)
            if (columns_[i]->Visible()) shown_.push_back(columns_[i]);
        return;
    }
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active()) return;
    for (TField* f : ds->Fields()) {
        if (!f->Visible()) continue;
        auto c = std::make_unique<TDataGridColumn>();
        c->fieldName_ = f->FieldName();
        c->grid_ = this;
        // The dataset's own check-box setting: "TI033;CheckBox;Y;N".
        if (auto* cds = dynamic_cast<TClientDataSet*>(ds))
            for (const std::string& line : cds->ControlType) {
                const size_t a = line.find(';');
                if (a == std::string::npos || !SameText(line.substr(0, a), f->FieldName()))
                    continue;
                const size_t b = line.find(';', a + 1);
                if (!SameText(line.substr(a + 1, b == std::string::npos ? b : b - a - 1),
                              "CheckBox"))
                    continue;
                c->controlType_ = TColumnControlType::ctCheckBox;
                if (b != std::string::npos && line.find(';', b + 1) != std::string::npos)
                    c->checkValues_ = line.substr(b + 1);
            }
        for (const auto& [name, control] : fieldControls_)
            if (SameText(name, f->FieldName())) {
                c->control_ = control;
                c->controlType_ = TColumnControlType::ctCustom;
            }
        defaults_.push_back(std::move(c));
    }
    // Default columns are not in the collection; they find the grid here.
    for (auto& c : defaults_) shown_.push_back(c.get());
}

void TCustomDataGrid::LayoutChanged() {
    if (layingOut_ || Destroying()) return;
    FlagGuard g(layingOut_);
    rebuildColumns();
    TGridOptions o{TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine,
                   TGridOption::goDrawFocusSelected};
    if (dgOptions_.Contains(TDataGridOption::dgColLines)) o.Include(TGridOption::goVertLine);
    if (dgOptions_.Contains(TDataGridOption::dgRowLines)) o.Include(TGridOption::goHorzLine);
    if (dgOptions_.Contains(TDataGridOption::dgColumnResize)) o.Include(TGridOption::goColSizing);
    if (dgOptions_.Contains(TDataGridOption::dgTabs)) o.Include(TGridOption::goTabs);
    if (dgOptions_.Contains(TDataGridOption::dgRowSelect)) o.Include(TGridOption::goRowSelect);
    if (dgOptions_.Contains(TDataGridOption::dgEditing) && !readOnly_) {
        o.Include(TGridOption::goEditing);
        if (dgOptions_.Contains(TDataGridOption::dgAlwaysShowEditor))
            o.Include(TGridOption::goAlwaysShowEditor);
    }
    int ind = IndicatorOffset();
    int n = std::max(1, (int)shown_.size());
    SetColCount(ind + n);
    int fixed = std::min(fixedDataCols_, n - 1);
    SetFixedCols(ind + fixed);
    if (ind) SetColWidths(0, IndicatorWidth());
    for (int i = 0; i < (int)shown_.size(); ++i) SetColWidths(ind + i, shown_[i]->Width());
    TCustomGrid::SetOptions(o);
    syncRows();
    Invalidate();
}

void TCustomDataGrid::syncRows() {
    FlagGuard g(syncing_);
    TDataSet* ds = DataSet();
    int t = TitleOffset();
    int rows = link_.Active() && ds ? ds->DisplayRowCount() : 0;
    SetRowCount(t + std::max(1, rows));
    SetFixedRows(t);
    int cur = link_.Active() && ds ? std::max(0, ds->CursorRow()) : 0;
    FocusCell(Col(), t + cur, true);
    placeColumnControl();
    Invalidate();
}

void TCustomDataGrid::dataChanged() {
    if (Destroying()) return;
    syncRows();
    if (EditorMode() && InplaceEditor() && !editModified_) InplaceEditor()->UpdateContents();
    DataChanged();
}

void TCustomDataGrid::recordChanged(TField* f) {
    if (Destroying()) return;
    if (EditorMode() && InplaceEditor() && !editModified_ && (!f || f == SelectedField()))
        InplaceEditor()->UpdateContents();
    Invalidate();
}

void TCustomDataGrid::editingChanged() {
    if (Destroying()) return;
    if (!link_.Editing()) {
        editModified_ = false;
        if (EditorMode() && InplaceEditor()) InplaceEditor()->UpdateContents();
    }
    Invalidate();
}

int TCustomDataGrid::SelectedIndex() const {
    return Col() - IndicatorOffset();
}

void TCustomDataGrid::SetSelectedIndex(int i) {
    if (i < 0 || i >= (int)shown_.size()) return;
    FocusCell(GridColOf(i), Row(), true);
}

TField* TCustomDataGrid::SelectedField() const {
    TDataGridColumn* c = SelectedColumn();
    return c ? c->Field() : nullptr;
}

void TCustomDataGrid::SetSelectedField(TField* f) {
    for (int i = 0; i < (int)shown_.size(); ++i)
        if (f && shown_[i]->Field() == f) SetSelectedIndex(i);
}

int TCustomDataGrid::ActiveRow() const {
    TDataSet* ds = DataSet();
    return ds && link_.Active() ? TitleOffset() + ds->CursorRow() : -1;
}

// ---- Selected records ------------------------------------------------------------------

bool TCustomDataGrid::selectedContains(const TBookmark& b) const {
    return b.Assigned() && std::find(selected_.begin(), selected_.end(), b) != selected_.end();
}

bool TCustomDataGrid::IsSelectedRecord() const {
    TDataSet* ds = DataSet();
    return ds && link_.Active() && selectedContains(ds->GetBookmark());
}

void TCustomDataGrid::SelectRecord() {
    TDataSet* ds = DataSet();
    if (!ds || !link_.Active()) return;
    TBookmark b = ds->GetBookmark();
    if (b.Assigned() && !selectedContains(b)) selected_.push_back(b);
    Invalidate();
}

void TCustomDataGrid::UnselectRecord() {
    TDataSet* ds = DataSet();
    if (!ds || !link_.Active()) return;
    TBookmark b = ds->GetBookmark();
    selected_.erase(std::remove(selected_.begin(), selected_.end(), b), selected_.end());
    Invalidate();
}

void TCustomDataGrid::ToggleRecordSelection() {
    if (IsSelectedRecord())
        UnselectRecord();
    else
        SelectRecord();
}

void TCustomDataGrid::SelectAll() {
    TDataSet* ds = DataSet();
    if (!ds || !link_.Active()) return;
    selected_.clear();
    int n = ds->DisplayRowCount();
    for (int r = 0; r < n; ++r) {
        TBookmark b = ds->BookmarkOfRow(r);
        if (!b.Assigned() && r == ds->CursorRow()) b = ds->GetBookmark();
        if (b.Assigned()) selected_.push_back(b);
    }
    Invalidate();
}

void TCustomDataGrid::UnselectAll() {
    selected_.clear();
    Invalidate();
}

// ---- Editing -----------------------------------------------------------------------------

void TCustomDataGrid::UpdateData() {
    if (!editModified_) return;
    TField* f = SelectedField();
    if (!f) {
        editModified_ = false;
        return;
    }
    f->SetText(editText_);  // the field's pipeline; a refusal raises and keeps the text
    editModified_ = false;
    if (InplaceEditor()) InplaceEditor()->SetModified(false);
}

void TCustomDataGrid::HideControls() {
    HideEditor();
    if (shownControl_) shownControl_->Hide();
    shownControl_ = nullptr;
}

bool TCustomDataGrid::CanEditModify() {
    TDataSet* ds = DataSet();
    TDataGridColumn* c = SelectedColumn();
    TField* f = c ? c->Field() : nullptr;
    return !readOnly_ && ds && link_.Active() && ds->CanModify() && !link_.ReadOnly && f &&
           !f->ReadOnly() && !c->ReadOnly() && f->IsDataField();
}

bool TCustomDataGrid::CanEditShow() {
    TDataGridColumn* c = SelectedColumn();
    if (!c || !link_.Active() || readOnly_) return false;
    if (c->ControlType() == TColumnControlType::ctCheckBox ||
        (c->ControlType() == TColumnControlType::ctCustom && c->Control()))
        return false;
    return TCustomGrid::CanEditShow();
}

bool TCustomDataGrid::CanEditAcceptKey(char32_t key) {
    return FieldAcceptsChar(SelectedField(), key);
}

std::string TCustomDataGrid::GetEditText(int, int) {
    if (editModified_) return editText_;
    TField* f = SelectedField();
    return f ? f->Text() : std::string();
}

void TCustomDataGrid::SetEditText(int, int, const std::string& value) {
    if (syncing_) return;
    TField* f = SelectedField();
    if (!f) return;
    if (!editModified_ && value == f->Text()) return;
    editText_ = value;
    editModified_ = true;
    if (!link_.Editing() && !link_.Edit()) {
        editModified_ = false;
        if (InplaceEditor()) InplaceEditor()->UpdateContents();
    }
}

std::string TCustomDataGrid::GetEditMask(int, int) {
    TField* f = SelectedField();
    return f ? f->EditMask() : std::string();
}

TEditStyle TCustomDataGrid::GetEditStyle(int, int) {
    TDataGridColumn* c = SelectedColumn();
    return c && c->ControlType() == TColumnControlType::ctCombo ? TEditStyle::esPickList
                                                                : TEditStyle::esSimple;
}

void TCustomDataGrid::GetPickListItems(int, int, std::vector<std::string>& items) {
    if (TDataGridColumn* c = SelectedColumn()) items = c->PickList;
}

void TCustomDataGrid::toggleCheck() {
    TDataGridColumn* c = SelectedColumn();
    TField* f = c ? c->Field() : nullptr;
    if (!f || c->ControlType() != TColumnControlType::ctCheckBox || !CanEditModify()) return;
    if (!link_.Editing() && !link_.Edit()) return;
    f->SetText(f->Text() == c->CheckedValue() ? c->UncheckedValue() : c->CheckedValue());
}

void TCustomDataGrid::placeColumnControl() {
    TDataGridColumn* c = SelectedColumn();
    TWinControl* want = c && c->ControlType() == TColumnControlType::ctCustom &&
                                dgOptions_.Contains(TDataGridOption::dgEditing) && !readOnly_ &&
                                link_.Active()
                            ? c->Control()
                            : nullptr;
    if (shownControl_ && shownControl_ != want) {
        // The cell's control that has the keyboard gives it back to the grid:
        // hidden with it, it would leave the form with no control at all.
        TCustomForm* form = GetParentForm(this);
        if (form && form->ActiveControl() &&
            shownControl_->ContainsControl(form->ActiveControl()) && CanFocus())
            SetFocus();
        shownControl_->Hide();
    }
    shownControl_ = want;
    if (!want) return;
    // A column wider than the view: the control's own button stays in sight.
    TRect r = EditorRect(Col(), Row());
    if (r.IsEmpty()) {
        want->Hide();
        return;
    }
    want->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    want->Show();
}

void TCustomDataGrid::TopLeftChanged() {
    TCustomGrid::TopLeftChanged();
    placeColumnControl();
}

void TCustomDataGrid::CurrentCellChanged(int oldCol, int oldRow) {
    if (oldCol != Col()) {
        OnColExit(this);
        OnColEnter(this);
    }
    placeColumnControl();
}

void TCustomDataGrid::ColWidthsChanged() {
    if (layingOut_) return;
    int ind = IndicatorOffset();
    for (int i = 0; i < (int)shown_.size(); ++i) {
        int w = ColWidths(ind + i);
        if (w != shown_[i]->Width()) shown_[i]->width_ = w;
    }
    placeColumnControl();
}

void TCustomDataGrid::ColumnMoved(int from, int to) {
    int ind = IndicatorOffset();
    int f = from - ind, t = to - ind;
    if (f < 0 || t < 0 || f >= (int)shown_.size() || t >= (int)shown_.size()) return;
    TDataGridColumn* c = shown_[f];
    if (columns_.Count() > 0) c->SetIndex(columns_[0] == shown_[t] ? 0 : shown_[t]->Index());
}

// ---- Navigation -------------------------------------------------------------------------

bool TCustomDataGrid::SelectCell(int col, int row) {
    if (syncing_) return true;
    TDataSet* ds = DataSet();
    if (col != Col()) UpdateData();
    if (row != Row() && ds && link_.Active()) {
        UpdateData();
        int cur = ds->CursorRow();
        ds->MoveBy(row - TitleOffset() - cur);
        FlagGuard g(syncing_);
        FocusCell(col, TitleOffset() + std::max(0, ds->CursorRow()), true);
        return false;
    }
    return true;
}

bool TCustomDataGrid::moveByRecord(int delta) {
    TDataSet* ds = DataSet();
    if (!ds || !link_.Active() || !delta) return false;
    UpdateData();
    int before = ds->CursorRow();
    ds->MoveBy(delta);
    return ds->CursorRow() != before;
}

void TCustomDataGrid::MoveRowBy(int delta, TShiftState shift) {
    TDataSet* ds = DataSet();
    if (!ds || !link_.Active()) return;
    UpdateData();
    bool canInsert = keyOptions_.Contains(TDataGridKeyOption::dgAllowInsert) && CanEditModify() &&
                     dgOptions_.Contains(TDataGridOption::dgEditing);
    if (delta == 1 && ds->State() != dsInsert && ds->CursorRow() == ds->DisplayRowCount() - 1 &&
        canInsert) {
        ds->Append();
        return;
    }
    if (delta < 0 && ds->State() == dsInsert && !ds->Modified() &&
        ds->CursorRow() == ds->DisplayRowCount() - 1) {
        ds->Cancel();
        return;
    }
    moveByRecord(delta);
}

void TCustomDataGrid::nextCell(bool forward) {
    TDataSet* ds = DataSet();
    if (!ds || !link_.Active() || shown_.empty()) return;
    UpdateData();
    int first = std::min(fixedDataCols_, (int)shown_.size() - 1);
    int last = (int)shown_.size() - 1;
    int i = SelectedIndex();
    if (forward ? i < last : i > first) {
        SetSelectedIndex(i + (forward ? 1 : -1));
        return;
    }
    if (forward) {
        int before = ds->CursorRow();
        MoveRowBy(1, {});
        if (ds->CursorRow() != before || ds->State() == dsInsert) SetSelectedIndex(first);
    } else if (ds->CursorRow() > 0) {
        MoveRowBy(-1, {});
        SetSelectedIndex(last);
    }
}

bool TCustomDataGrid::WantsKey(uint16_t key, TShiftState shift) const {
    if (key == VK_RETURN)
        return keyOptions_.Contains(TDataGridKeyOption::dgEnterToTab) || EditorMode();
    if (key == VK_TAB)
        return dgOptions_.Contains(TDataGridOption::dgTabs) && !shift.Contains(ssCtrl);
    if (key == VK_ESCAPE) {
        TDataSet* ds = DataSet();
        return EditorMode() || (ds && (ds->State() == dsEdit || ds->State() == dsInsert));
    }
    return TCustomGrid::WantsKey(key, shift);
}

void TCustomDataGrid::KeyDown(uint16_t& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    if (!key) return;
    TDataSet* ds = DataSet();
    bool active = ds && link_.Active();
    bool editable =
        active && !readOnly_ && ds->CanModify() && dgOptions_.Contains(TDataGridOption::dgEditing);
    switch (key) {
        case VK_RETURN:
            if (keyOptions_.Contains(TDataGridKeyOption::dgEnterToTab)) {
                nextCell(!shift.Contains(ssShift));
            } else if (EditorMode()) {
                UpdateData();
                if (!dgOptions_.Contains(TDataGridOption::dgAlwaysShowEditor)) HideEditor();
            } else if (editable) {
                ShowEditor();
            }
            key = 0;
            return;
        case VK_TAB:
            if (!dgOptions_.Contains(TDataGridOption::dgTabs) || shift.Contains(ssCtrl)) return;
            nextCell(!shift.Contains(ssShift));
            key = 0;
            return;
        case VK_ESCAPE:
            if (editModified_) {
                editModified_ = false;
                if (InplaceEditor()) InplaceEditor()->UpdateContents();
            } else if (active && (ds->State() == dsEdit || ds->State() == dsInsert)) {
                ds->Cancel();
            }
            if (!dgOptions_.Contains(TDataGridOption::dgAlwaysShowEditor)) HideEditor();
            key = 0;
            return;
        case VK_INSERT:
            if (shift.Empty() && editable &&
                keyOptions_.Contains(TDataGridKeyOption::dgAllowInsert)) {
                UpdateData();
                ds->Insert();
                key = 0;
            }
            return;
        case VK_DELETE:
            if (shift.Contains(ssCtrl) && editable && !ds->IsEmpty() &&
                keyOptions_.Contains(TDataGridKeyOption::dgAllowDelete)) {
                key = 0;
                if (dgOptions_.Contains(TDataGridOption::dgConfirmDelete) &&
                    MessageDlg("Delete record?", TMsgDlgType::mtConfirmation, mbOKCancel) != mrOk)
                    return;
                editModified_ = false;
                ds->Delete();
            }
            return;
        default:
            break;
    }
    TCustomGrid::KeyDown(key, shift);
}

void TCustomDataGrid::KeyPress(char32_t& key) {
    TDataGridColumn* c = SelectedColumn();
    if (key == ' ' && c && c->ControlType() == TColumnControlType::ctCheckBox) {
        toggleCheck();
        key = 0;
        return;
    }
    if (key == 13 || key == 9 || key == 27) {
        key = 0;  // handled as keys
        return;
    }
    if (c && c->ControlType() == TColumnControlType::ctCustom && c->Control() && key >= 32 &&
        c->Control()->Visible()) {
        c->Control()->SetFocus();
        // The first key typed into the cell replaces what the cell shows.
        if (auto* edit = dynamic_cast<TCustomEdit*>(c->Control()))
            edit->SelectAll();
        else if (auto* combo = dynamic_cast<TCustomComboBox*>(c->Control()))
            combo->SelectAll();
        c->Control()->SimulateKey(0, {}, key);
        key = 0;
        return;
    }
    TCustomGrid::KeyPress(key);
}

void TCustomDataGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGridCoord g = MouseCoord(x, y);
    TDataSet* ds = DataSet();
    if (button == TMouseButton::mbLeft && g.Y >= 0 && g.Y < TitleOffset() && titleButtons_) {
        if (TDataGridColumn* c = ColumnAt(g.X)) {
            TControl::MouseDown(button, shift, x, y);
            OnTitleButtonClick(this, c->FieldName());
            return;
        }
    }
    bool wasCurrent = g.X == Col() && g.Y == Row();
    TCustomGrid::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft || g.Y < TitleOffset() || !ds || !link_.Active()) return;
    if (dgOptions_.Contains(TDataGridOption::dgMultiSelect)) {
        if (shift.Contains(ssCtrl)) {
            ToggleRecordSelection();
        } else if (shift.Contains(ssShift) && !selected_.empty()) {
            // From the last marked record to this one, in the current order.
            TBookmark last = selected_.back();
            int here = ds->CursorRow(), from = here;
            for (int r = 0; r < ds->DisplayRowCount(); ++r)
                if (ds->BookmarkOfRow(r) == last) from = r;
            for (int r = std::min(from, here); r <= std::max(from, here); ++r) {
                TBookmark b = ds->BookmarkOfRow(r);
                if (b.Assigned() && !selectedContains(b)) selected_.push_back(b);
            }
            Invalidate();
        }
    }
    TDataGridColumn* c = ColumnAt(g.X);
    if (c && c->ControlType() == TColumnControlType::ctCheckBox && g.Y == Row() &&
        (wasCurrent || !shift.Contains(ssDouble)))
        toggleCheck();
}

void TCustomDataGrid::DoExit() {
    TDataSet* ds = DataSet();
    if (ds && link_.Active()) {
        UpdateData();
        if (dgOptions_.Contains(TDataGridOption::dgCancelOnExit) && ds->State() == dsInsert &&
            !ds->Modified())
            ds->Cancel();
    }
    TCustomGrid::DoExit();
}

// ---- Painting ---------------------------------------------------------------------------

void TCustomDataGrid::Paint() {
    drawingRow_ = -1;
    TCustomGrid::Paint();
    drawingRow_ = -1;
}

void TCustomDataGrid::DoCalcCellColors(TField* field, TGridDrawState state, bool highlight,
                                       TFont* font, TBrush* brush) {
    OnCalcCellColors(this, field, state, highlight, font, brush);
}

void TCustomDataGrid::DrawTitleCell(int col, const TRect& rect, TDataGridColumn* column) {
    TCanvas* c = Canvas();
    TField* f = column ? column->Field() : nullptr;
    c->Font.Assign(titleFont_);
    c->Brush = TBrush{titleColor_, TBrushStyle::bsSolid};
    TAlignment a = column ? column->TitleAlignment() : TAlignment::taLeftJustify;
    OnCalcTitleAttributes(this, f, &c->Font, &c->Brush, a);
    c->FillRect(rect);
    TRect r = rect;
    Frame3D(*c, r, clBtnHighlight, clBtnShadow, 1);
    if (!column) return;
    int image = -1;
    OnCalcTitleImage(this, f, image);
    TRect textRect = rect;
    if (image >= 0 && titleImages_) {
        int iw = titleImages_->Width(), ih = titleImages_->Height();
        titleImages_->Draw(*c, rect.Right - iw - 2, rect.Top + (rect.Height() - ih) / 2, image);
        textRect.Right -= iw + 2;
    }
    DrawCellText(*c, textRect, column->Title(), a);
}

void TCustomDataGrid::DrawIndicator(const TRect& rect, int row) {
    TCanvas* c = Canvas();
    c->Brush = TBrush{FixedColor(), TBrushStyle::bsSolid};
    c->FillRect(rect);
    TRect r = rect;
    Frame3D(*c, r, clBtnHighlight, clBtnShadow, 1);
    TDataSet* ds = DataSet();
    if (!ds || !link_.Active() || row != ActiveRow()) return;
    int cx = rect.Left + rect.Width() / 2, cy = rect.Top + rect.Height() / 2;
    c->Brush.Color = clBlack;
    c->Pen.Color = clBlack;
    if (ds->State() == dsInsert || ds->State() == dsEdit) {
        c->Font.Assign(*Font());
        c->Font.SetColor(clBlack);
        TRect tr = rect;
        c->Brush.Style = TBrushStyle::bsClear;
        c->DrawText(ds->State() == dsInsert ? "*" : "I", tr,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        c->Brush.Style = TBrushStyle::bsSolid;
        return;
    }
    c->Polygon({{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}});
}

void TCustomDataGrid::DrawCheckBox(const TRect& rect, int, int, bool checked) {
    TCanvas* c = Canvas();
    c->FillRect(rect);
    int s = std::min(13, std::min(rect.Width(), rect.Height()) - 2);
    if (s <= 2) return;
    int x = rect.Left + (rect.Width() - s) / 2, y = rect.Top + (rect.Height() - s) / 2;
    TBrush old = c->Brush;
    c->Brush = TBrush{clWindow, TBrushStyle::bsSolid};
    c->Pen = TPen{clBtnShadow, 1};
    c->Rectangle(x, y, x + s, y + s);
    if (checked) {
        c->Pen = TPen{clBlack, 2};
        c->Polyline({{x + 3, y + s / 2}, {x + s / 2 - 1, y + s - 4}, {x + s - 3, y + 3}});
    }
    c->Brush = old;
    c->Pen = TPen{};
}

void TCustomDataGrid::DrawDataCell(const TRect& rect, TField* field, TGridDrawState state) {
    if (field) {
        TAlignment a = FieldAlignment(field);
        if (drawingColumn_ && drawingColumn_->Field() == field)
            a = drawingColumn_->Alignment();
        else
            for (TDataGridColumn* c : shown_)
                if (c->Field() == field) a = c->Alignment();
        if (dgOptions_.Contains(TDataGridOption::dgWordWrap) &&
            rect.Height() > 2 * FontTextHeight(Canvas()->Font.Data())) {
            TRect r{rect.Left + 2, rect.Top + 1, rect.Right - 2, rect.Bottom};
            unsigned flags = DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS;
            if (a == TAlignment::taRightJustify) flags |= DT_RIGHT;
            if (a == TAlignment::taCenter) flags |= DT_CENTER;
            TBrushStyle old = Canvas()->Brush.Style;
            Canvas()->Brush.Style = TBrushStyle::bsClear;
            Canvas()->DrawText(field->DisplayText(), r, flags);
            Canvas()->Brush.Style = old;
        } else {
            DrawCellText(*Canvas(), rect, field->DisplayText(), a);
        }
    }
    OnDrawDataCell(this, rect, field, state);
}

void TCustomDataGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
    TCanvas* c = Canvas();
    int t = TitleOffset();
    if (row < t) {
        if (col < IndicatorOffset()) {
            c->Brush = TBrush{FixedColor(), TBrushStyle::bsSolid};
            c->FillRect(rect);
            TRect r = rect;
            Frame3D(*c, r, clBtnHighlight, clBtnShadow, 1);
        } else {
            DrawTitleCell(col, rect, ColumnAt(col));
        }
        return;
    }
    if (col < IndicatorOffset()) {
        DrawIndicator(rect, row);
        return;
    }
    TDataSet* ds = DataSet();
    TDataGridColumn* column = ColumnAt(col);
    if (!ds || !link_.Active() || !column || row - t >= ds->DisplayRowCount()) return;
    PeekGuard peek(ds, row - t);
    drawingRow_ = row;
    TField* f = column->Field();
    bool current = row == ActiveRow();
    bool marked = dgOptions_.Contains(TDataGridOption::dgMultiSelect) &&
                  selectedContains(current ? ds->GetBookmark() : ds->BookmarkOfRow(row - t));
    bool showSel = Focused() || (InplaceEditor() && InplaceEditor()->Focused()) ||
                   dgOptions_.Contains(TDataGridOption::dgAlwaysShowSelection);
    bool highlight =
        marked ||
        (state.Contains(gdSelected) && showSel &&
         (dgOptions_.Contains(TDataGridOption::dgRowSelect) || !state.Contains(gdFocused)) &&
         current);
    c->Font.Assign(*Font());
    c->Brush = TBrush{Color(), TBrushStyle::bsSolid};
    if (highlight) {
        c->Brush.Color = clHighlight;
        c->Font.SetColor(clHighlightText);
    }
    DoCalcCellColors(f, state, highlight, &c->Font, &c->Brush);
    c->FillRect(rect);
    if (column->ControlType() == TColumnControlType::ctCheckBox) {
        DrawCheckBox(rect, col, row, f && f->Text() == column->CheckedValue());
        return;
    }
    struct Drawing {
        TDataGridColumn*& c;
        ~Drawing() { c = nullptr; }
    } drawing{drawingColumn_ = column};
    DrawDataCell(rect, f, state);
}

std::string TCustomDataGrid::CellFieldText(int col, int row) const {
    TDataSet* ds = DataSet();
    const int t = TitleOffset();
    TDataGridColumn* column = ColumnAt(col);
    if (!ds || !link_.Active() || !column || !column->Field() || row < t ||
        row - t >= ds->DisplayRowCount())
        return {};
    PeekGuard peek(ds, row - t);
    return column->Field()->DisplayText();
}

void TCustomDataGrid::PaintEmptyArea(const TRect& area) {
    TCustomGrid::PaintEmptyArea(area);
}

// ---- Published properties ---------------------------------------------------------------

PLAT_PUBLISH(TDataGridColumn) {
    p.Prop("FieldName", &TDataGridColumn::FieldName, &TDataGridColumn::SetFieldName);
    p.Prop("Title", &TDataGridColumn::Title, &TDataGridColumn::SetTitle, "TCaption");
    p.Prop("Width", &TDataGridColumn::Width, &TDataGridColumn::SetWidth);
    p.Prop("ReadOnly", &TDataGridColumn::ReadOnly, &TDataGridColumn::SetReadOnly);
    p.Prop("Alignment", &TDataGridColumn::Alignment, &TDataGridColumn::SetAlignment);
    p.Prop("TitleAlignment", &TDataGridColumn::TitleAlignment, &TDataGridColumn::SetTitleAlignment);
    p.Prop("ControlType", &TDataGridColumn::ControlType, &TDataGridColumn::SetControlType);
    p.Prop("CheckValues", &TDataGridColumn::CheckValues, &TDataGridColumn::SetCheckValues);
    p.Strings(
        "PickList", [](TDataGridColumn& c) { return c.PickList; },
        [](TDataGridColumn& c, const std::vector<std::string>& l) { c.PickList = l; });
    p.Prop("Visible", &TDataGridColumn::Visible, &TDataGridColumn::SetVisible);
}

PLAT_PUBLISH(TCustomDataGrid) {
    p.Prop("DataSource", &TCustomDataGrid::DataSource, &TCustomDataGrid::SetDataSource);
    p.Prop("Columns", [](TCustomDataGrid& g) -> TDataGridColumns& { return *g.Columns(); });
    p.Prop("Options", &TCustomDataGrid::Options, &TCustomDataGrid::SetOptions);
    p.Prop("KeyOptions", &TCustomDataGrid::KeyOptions, &TCustomDataGrid::SetKeyOptions);
    p.Prop("ReadOnly", &TCustomDataGrid::ReadOnly, &TCustomDataGrid::SetReadOnly);
    p.Prop("FixedCols", &TCustomDataGrid::FixedDataCols, &TCustomDataGrid::SetFixedDataCols);
    p.Prop("TitleButtons", &TCustomDataGrid::TitleButtons, &TCustomDataGrid::SetTitleButtons);
    p.Prop("TitleImages", &TCustomDataGrid::TitleImages, &TCustomDataGrid::SetTitleImages,
           "TCustomImageList");
    p.Color("TitleColor", &TCustomDataGrid::TitleColor, &TCustomDataGrid::SetTitleColor);
    p.Prop("TitleFont", [](TCustomDataGrid& g) -> TFont& { return *g.TitleFont(); });
    p.Prop("OnCalcCellColors", &TCustomDataGrid::OnCalcCellColors, nullptr, "TCalcCellColorsEvent");
    p.Prop("OnCalcTitleAttributes", &TCustomDataGrid::OnCalcTitleAttributes, nullptr,
           "TCalcTitleAttributesEvent");
    p.Prop("OnCalcTitleImage", &TCustomDataGrid::OnCalcTitleImage, nullptr, "TCalcTitleImageEvent");
    p.Prop("OnTitleButtonClick", &TCustomDataGrid::OnTitleButtonClick, nullptr,
           "TTitleButtonClickEvent");
    p.Prop("OnDrawDataCell", &TCustomDataGrid::OnDrawDataCell, nullptr, "TDrawDataCellEvent");
    p.Prop("OnColEnter", &TCustomDataGrid::OnColEnter);
    p.Prop("OnColExit", &TCustomDataGrid::OnColExit);
}

}  // namespace plat

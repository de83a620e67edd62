#include "platform/ui/lookupcombo.h"

#include <QAbstractScrollArea>
#include <QWidget>
#include <algorithm>

#include "platform/component/properties.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/field.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/forms.h"

namespace plat {

namespace {
std::vector<std::string> SplitOn(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        size_t p = s.find(sep, start);
        out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) break;
        start = p + 1;
    }
    return out;
}
}  // namespace

// ---- Client dataset with control settings ---------------------------------------------------

bool TGridClientDataSet::GetControl(const std::string& fieldName, std::string& kind,
                                    std::string& parameter) const {
    for (const std::string& line : ControlType) {
        std::vector<std::string> parts = SplitOn(line, ';');
        if (parts.size() < 2 || !SameText(parts[0], fieldName)) continue;
        kind = parts[1];
        size_t p = line.find(';', line.find(';') + 1);
        parameter = p == std::string::npos ? std::string() : line.substr(p + 1);
        return true;
    }
    kind.clear();
    parameter.clear();
    return false;
}

// ---- Popup grid -----------------------------------------------------------------------------

TPopupGrid::TPopupGrid(TComponent* owner) : TCustomDataGrid(owner) {
    MakePopupWindow();
    SetTabStop(false);
    SetOptions(TDataGridOptions{TDataGridOption::dgTitles, TDataGridOption::dgColLines,
                                TDataGridOption::dgRowLines, TDataGridOption::dgRowSelect,
                                TDataGridOption::dgAlwaysShowSelection});
    SetReadOnly(true);
    Hide();
}

void TPopupGrid::Popup(int x, int y, int width, int height) {
    SetBounds(x, y, width, height);
    Show();
    Widget()->raise();
}

void TPopupGrid::CloseUp() {
    Hide();
}

void TPopupGrid::DataChanged() {
    UpdateScrollBars();
}

void TPopupGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomDataGrid::MouseUp(button, shift, x, y);
    TGridCoord g = MouseCoord(x, y);
    if (button == TMouseButton::mbLeft && combo_ && g.Y >= TitleOffset()) combo_->GridClick();
}

// ---- Lookup combo base ------------------------------------------------------------------------

TLookupComboBase::TLookupComboBase(TComponent* owner)
    : TCustomMaskEdit(owner),
      binding_(
          this, [this] { dataChange(); }, {}, [this] { updateData(); }),
      lookupSource_(nullptr) {
    PaintsOver = true;
    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(searchDelay_);
    timer_->OnTimer = TNotifyEvent([this](TObject*) { DoSearch(); }, this);
    SetGrid(new TPopupGrid(this));
}

TLookupComboBase::~TLookupComboBase() {
    BeginDestroy();
    binding_.Link.OnDataChange = nullptr;
    binding_.Link.OnActiveChange = nullptr;
    binding_.Link.OnUpdateData = nullptr;
    binding_.Link.SetDataSource(nullptr);
    if (grid_) grid_->SetDataSource(nullptr);
}

void TLookupComboBase::Notification(TComponent* c, TOperation op) {
    TCustomMaskEdit::Notification(c, op);
    binding_.Notification(c, op);
    if (op != TOperation::opRemove) return;
    if (c == lookupTable_) SetLookupTable(nullptr);
    if (c == grid_) grid_ = nullptr;
}

void TLookupComboBase::SetLookupTable(TDataSet* t) {
    if (lookupTable_) RemoveFreeNotification(lookupTable_);
    lookupTable_ = t;
    if (t) FreeNotification(t);
    lookupSource_.SetDataSet(t);
    buildColumns();
}

void TLookupComboBase::SetSelected(const std::vector<std::string>& lines) {
    selected_ = lines;
    buildColumns();
}

void TLookupComboBase::buildColumns() {
    if (!grid_) return;
    TDataGridColumns* cols = grid_->Columns();
    cols->Clear();
    int cw = MeasureText(grid_->Font()->Data(), "0").cx;
    for (const std::string& line : selected_) {
        std::vector<std::string> p = SplitOn(line, '\t');
        if (p.empty() || p[0].empty()) continue;
        TDataGridColumn* c = cols->Add();
        c->SetFieldName(p[0]);
        // A field the table marks as a check box shows one with its two values.
        std::string kind, parameter;
        if (auto* t = dynamic_cast<TGridClientDataSet*>(lookupTable_);
            t && t->GetControl(p[0], kind, parameter) && SameText(kind, "CheckBox")) {
            c->SetControlType(TColumnControlType::ctCheckBox);
            if (!parameter.empty()) c->SetCheckValues(parameter);
        }
        if (p.size() > 2) c->SetTitle(p[2]);
        if (p.size() > 1) {
            // A width in characters, widened to the title so no caption is cut.
            int chars = 0;
            if (TryStrToInt(Trim(p[1]), chars) && chars > 0) {
                int tw = MeasureText(grid_->TitleFont()->Data(), c->Title()).cx;
                c->SetWidth(std::max(chars * cw, tw) + 4);
            }
        }
    }
    grid_->LayoutChanged();
}

void TLookupComboBase::SetGrid(TPopupGrid* g) {
    if (g == grid_) return;
    if (grid_ && grid_->Owner() == this) delete grid_;
    grid_ = g;
    if (!g) return;
    g->SetCombo(this);
    g->SetDataSource(&lookupSource_);
    FreeNotification(g);
    buildColumns();
}

bool TLookupComboBase::DroppedDown() const {
    return grid_ && grid_->Visible();
}

void TLookupComboBase::SetSearchDelay(int ms) {
    searchDelay_ = std::max(0, ms);
    if (searchDelay_ > 0) timer_->SetInterval(searchDelay_);
}

void TLookupComboBase::DropDown() {
    if (!grid_ || DroppedDown() || !lookupTable_ || !lookupTable_->Active()) return;
    OnDropDown(this);
    int rows = std::min(std::max(1, DropDownCount), std::max(1, lookupTable_->RecordCount()));
    int rowH = grid_->DefaultRowHeight() + grid_->GridLineWidth();
    int h = (rows + grid_->TitleOffset()) * rowH + 4;
    int w = DropDownWidth > 0 ? DropDownWidth : Width();
    TPoint p = ClientToScreen({0, Height()});
    Busy = true;
    grid_->Popup(p.X, p.Y, w, h);
    Busy = false;
    Invalidate();
}

void TLookupComboBase::CloseUp(bool modified) {
    if (!DroppedDown()) return;
    grid_->CloseUp();
    timer_->SetEnabled(false);
    if (modified && lookupTable_ && lookupTable_->Active() && !lookupTable_->IsEmpty()) {
        TField* src = lookupTable_->FindField(lookupField_);
        TField* dst = Field();
        if (src && dst && binding_.Edit()) {
            dst->SetText(src->Text());
        } else if (src && !dst) {
            SetText(src->Text());
        }
    }
    Invalidate();
    OnCloseUp(this);
}

bool TLookupComboBase::FindRecord(const std::string& searchText, const std::string& searchField,
                                  TLookupMatch match, bool) {
    if (!lookupTable_ || !lookupTable_->Active() || searchField.empty()) return false;
    TLocateOptions o = loCaseInsensitive;
    if (match != TLookupMatch::mtExactMatch) o |= loPartialKey;
    bool found = lookupTable_->Locate(searchField, Variant(searchText), o);
    if (!found) unmatched_ = searchText;
    return found;
}

void TLookupComboBase::DoSearch() {
    timer_->SetEnabled(false);
    lastSearch_ = Value();
    FindRecord(lastSearch_, lookupField_, TLookupMatch::mtPartialMatchStart, false);
}

void TLookupComboBase::GridClick() {
    CloseUp(true);
}

void TLookupComboBase::KeyDown(uint16_t& key, TShiftState shift) {
    TCustomMaskEdit::KeyDown(key, shift);
    if (!key) return;
    bool dropped = DroppedDown();
    if ((key == VK_DOWN || key == VK_UP) && shift.Contains(ssAlt)) {
        if (dropped)
            CloseUp(true);
        else
            DropDown();
        key = 0;
        return;
    }
    if (!dropped || !lookupTable_ || !lookupTable_->Active()) return;
    switch (key) {
        case VK_UP:
            lookupTable_->Prior();
            break;
        case VK_DOWN:
            lookupTable_->Next();
            break;
        case VK_PRIOR:
            lookupTable_->MoveBy(-std::max(1, DropDownCount));
            break;
        case VK_NEXT:
            lookupTable_->MoveBy(std::max(1, DropDownCount));
            break;
        case VK_RETURN:
        case VK_TAB:
            CloseUp(true);
            if (key == VK_TAB) return;  // Tab still moves the focus
            break;
        case VK_ESCAPE:
            CloseUp(false);
            break;
        default:
            return;
    }
    key = 0;
}

void TLookupComboBase::KeyPress(char32_t& key) {
    TCustomMaskEdit::KeyPress(key);
    if (!key) return;
    if (key == 13 || key == 27) {
        key = 0;
        return;
    }
    if (!lookUpEnabled_) return;
    if (key >= 32 || key == 8 || key == 22) {
        if (!binding_.Link.Field() || binding_.Link.CanModify()) {
            if (binding_.Link.Field() && !binding_.Link.Edit()) {
                key = 0;
                return;
            }
        }
        DropDown();
    }
}

void TLookupComboBase::Change() {
    TCustomMaskEdit::Change();
    if (loading_) return;
    if (binding_.Link.Field()) binding_.Link.SetModified();
    // Each change restarts the wait: the search runs once per pause.
    if (lookUpEnabled_ && DroppedDown() && searchDelay_ > 0) {
        timer_->SetEnabled(false);
        timer_->SetInterval(searchDelay_);
        timer_->SetEnabled(true);
    }
}

void TLookupComboBase::DoExit() {
    CloseUp(false);
    if (binding_.Link.Field() && binding_.Link.Modified()) updateData();
    TCustomMaskEdit::DoExit();
}

void TLookupComboBase::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomMaskEdit::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !ButtonRect().Contains({x, y})) return;
    if (DroppedDown())
        CloseUp(false);
    else
        DropDown();
}

void TLookupComboBase::PaintOver() {
    DrawComboArrow(*Canvas(), ButtonRect(), DroppedDown(), Enabled());
}

void TLookupComboBase::dataChange() {
    if (Destroying()) return;
    struct Guard {
        bool& f;
        ~Guard() { f = false; }
    } g{loading_};
    loading_ = true;
    TField* f = binding_.Link.Field();
    SetText(f ? f->Text() : std::string());
}

void TLookupComboBase::updateData() {
    TField* f = binding_.Link.Field();
    if (!f || !binding_.Link.Modified()) return;
    if (!binding_.Link.Editing() && !binding_.Link.Edit()) return;
    f->SetText(Text());
    binding_.Link.Reset();
}

// ---- Lookup list ------------------------------------------------------------------------------

TLookupList::TLookupList(TComponent* owner)
    : TCustomDataGrid(owner), lookupSource_(nullptr), binding_(this, {}) {
    TCustomDataGrid::SetDataSource(&lookupSource_);
    SetOptions(TDataGridOptions{TDataGridOption::dgTitles, TDataGridOption::dgColLines,
                                TDataGridOption::dgRowLines, TDataGridOption::dgRowSelect,
                                TDataGridOption::dgAlwaysShowSelection});
    SetReadOnly(true);
}

TLookupList::~TLookupList() {
    BeginDestroy();
    binding_.Link.SetDataSource(nullptr);
    TCustomDataGrid::SetDataSource(nullptr);
}

void TLookupList::Choose() {
    TDataSet* t = LookupTable();
    TField* dst = binding_.Link.Field();
    if (!t || !t->Active() || t->IsEmpty() || !dst) return;
    TField* src = t->FindField(lookupField_);
    if (!src || !binding_.Link.CanModify() || !binding_.Link.Edit()) return;
    dst->SetText(src->Text());
}

void TLookupList::Notification(TComponent* c, TOperation op) {
    TCustomDataGrid::Notification(c, op);
    binding_.Notification(c, op);
}

void TLookupList::DblClick() {
    TCustomDataGrid::DblClick();
    Choose();
}

void TLookupList::KeyDown(uint16_t& key, TShiftState shift) {
    if (key == VK_RETURN) {
        Choose();
        key = 0;
        return;
    }
    TCustomDataGrid::KeyDown(key, shift);
}

// ---- Published properties -----------------------------------------------------------------------

PLAT_PUBLISH(TGridClientDataSet) {
    p.Strings(
        "ControlType", [](TGridClientDataSet& d) { return d.ControlType; },
        [](TGridClientDataSet& d, const std::vector<std::string>& l) { d.ControlType = l; });
}

PLAT_PUBLISH(TLookupComboBase) {
    p.Prop("DataSource", &TLookupComboBase::DataSource, &TLookupComboBase::SetDataSource);
    p.Prop("DataField", &TLookupComboBase::DataField, &TLookupComboBase::SetDataField);
    p.Prop("LookupTable", &TLookupComboBase::LookupTable, &TLookupComboBase::SetLookupTable,
           "TDataSet");
    p.Prop("LookupField", &TLookupComboBase::LookupField, &TLookupComboBase::SetLookupField);
    p.Strings("Selected", &TLookupComboBase::Selected, &TLookupComboBase::SetSelected);
    p.Prop("DropDownCount", &TLookupComboBase::DropDownCount);
    p.Prop("DropDownWidth", &TLookupComboBase::DropDownWidth);
    p.Prop("Options", &TLookupComboBase::Options);
    p.Prop("SearchDelay", &TLookupComboBase::SearchDelay, &TLookupComboBase::SetSearchDelay);
    p.Prop("LookUpEnabled", &TLookupComboBase::LookUpEnabled, &TLookupComboBase::SetLookUpEnabled);
    p.Prop("OnDropDown", &TLookupComboBase::OnDropDown);
    p.Prop("OnCloseUp", &TLookupComboBase::OnCloseUp);
}

PLAT_PUBLISH(TLookupList) {
    p.Prop("LookupField", &TLookupList::LookupField, &TLookupList::SetLookupField);
    p.Prop("DataField", &TLookupList::DataField, &TLookupList::SetDataField);
}

}  // namespace plat

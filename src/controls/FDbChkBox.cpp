#include "controls/FDbChkBox.h"

#include "platform/component/properties.h"
#include "platform/core/text.h"
#include "platform/data/datatypes.h"
#include "platform/data/field.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using namespace plat;

namespace {
// Whether a text is one of the ";"-separated entries (case ignored).
bool ValueMatch(const std::string& list, const std::string& value) {
    for (int i = 1, n = FieldCount(list, ";"); i <= n; ++i)
        if (AnsiCompareText(TokenAt(list, ";", i), value) == 0) return true;
    return false;
}
}  // namespace

TFDbCheckBox::TFDbCheckBox(TComponent* owner) : TBitCheckBox(owner) {
    link_.Control = this;
    link_.OnDataChange = TNotifyEvent([this](TObject*) { dataChange(); }, this);
    link_.OnActiveChange = TNotifyEvent([this](TObject*) { dataChange(); }, this);
    link_.OnUpdateData = TNotifyEvent([this](TObject*) { updateData(); }, this);
    link_.OnFocusControl = TNotifyEvent(
        [this](TObject*) {
            if (CanFocus()) SetFocus();
        },
        this);
}

TFDbCheckBox::~TFDbCheckBox() {
    BeginDestroy();
}

void TFDbCheckBox::SetDataSource(TDataSource* ds) {
    if (ds == link_.DataSource()) return;
    if (link_.DataSource()) RemoveFreeNotification(link_.DataSource());
    link_.SetDataSource(ds);
    if (ds) FreeNotification(ds);
}

void TFDbCheckBox::Notification(TComponent* c, TOperation op) {
    TBitCheckBox::Notification(c, op);
    if (op == TOperation::opRemove && c && c == link_.DataSource()) link_.SetDataSource(nullptr);
}

void TFDbCheckBox::SetValueChecked(const std::string& v) {
    valueChecked_ = v;
    dataChange();
}

void TFDbCheckBox::SetValueUnchecked(const std::string& v) {
    valueUnchecked_ = v;
    dataChange();
}

void TFDbCheckBox::SetAutoCaption(bool v) {
    if (v && Field()) SetCaption(Field()->DisplayLabel());
    autoCaption_ = v;
}

void TFDbCheckBox::dataChange() {
    TField* f = Field();
    if (!f || f->IsNull())
        SetState(TCheckBoxState::cbUnchecked);
    else if (f->DataType() == TFieldType::ftBoolean)
        SetState(f->AsBoolean() ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
    else if (ValueMatch(valueChecked_, f->Text()))
        SetState(TCheckBoxState::cbChecked);
    else if (ValueMatch(valueUnchecked_, f->Text()))
        SetState(TCheckBoxState::cbUnchecked);
    else
        SetState(TCheckBoxState::cbGrayed);
}

void TFDbCheckBox::updateData() {
    TField* f = Field();
    // A read-only field keeps its value whatever the box shows.
    if (!f || !link_.CanModify()) return;
    if (State() == TCheckBoxState::cbGrayed)
        f->Clear();
    else if (f->DataType() == TFieldType::ftBoolean)
        f->SetAsBoolean(Checked());
    else
        f->SetText(TokenAt(Checked() ? valueChecked_ : valueUnchecked_, ";", 1));
}

void TFDbCheckBox::Toggle() {
    if (!edit()) return;
    TBitCheckBox::Toggle();
    link_.SetModified();
}

void TFDbCheckBox::KeyPress(char32_t& key) {
    TBitCheckBox::KeyPress(key);
    if (key == 8 || key == ' ') edit();
    if (key == 27) link_.Reset();
}

void TFDbCheckBox::DoExit() {
    try {
        link_.UpdateRecord();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    TBitCheckBox::DoExit();
}

void TFDbCheckBox::WndProc(TMessage& m) {
    if (m.Msg == CM_GETDATALINK) {
        m.Result = reinterpret_cast<LRESULT>(&link_);
        return;
    }
    TBitCheckBox::WndProc(m);
}

PLAT_PUBLISH(TFDbCheckBox) {
    p.Prop("DataField", &TFDbCheckBox::DataField, &TFDbCheckBox::SetDataField);
    p.Prop("DataSource", &TFDbCheckBox::DataSource, &TFDbCheckBox::SetDataSource, "TDataSource");
    p.Prop("ReadOnly", &TFDbCheckBox::ReadOnly, &TFDbCheckBox::SetReadOnly);
    p.Prop("ValueChecked", &TFDbCheckBox::ValueChecked, &TFDbCheckBox::SetValueChecked);
    p.Prop("ValueUnchecked", &TFDbCheckBox::ValueUnchecked, &TFDbCheckBox::SetValueUnchecked);
    p.Prop("AutoCaption", &TFDbCheckBox::AutoCaption, &TFDbCheckBox::SetAutoCaption);
}

}  // namespace ktrb

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

TFDbCheckBox::TFDbCheckBox(TComponent* owner)
    : TBitCheckBox(owner),
      binding_(
          this, [this] { dataChange(); }, {}, [this] { updateData(); }) {}

TFDbCheckBox::~TFDbCheckBox() {
    BeginDestroy();
}

void TFDbCheckBox::Notification(TComponent* c, TOperation op) {
    TBitCheckBox::Notification(c, op);
    binding_.Notification(c, op);
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
    if (!f || !binding_.Link.CanModify()) return;
    if (State() == TCheckBoxState::cbGrayed)
        f->Clear();
    else if (f->DataType() == TFieldType::ftBoolean)
        f->SetAsBoolean(Checked());
    else
        f->SetText(TokenAt(Checked() ? valueChecked_ : valueUnchecked_, ";", 1));
}

void TFDbCheckBox::Toggle() {
    if (!binding_.Edit()) return;
    TBitCheckBox::Toggle();
    binding_.Link.SetModified();
}

void TFDbCheckBox::KeyPress(char32_t& key) {
    TBitCheckBox::KeyPress(key);
    if (key == 8 || key == ' ') binding_.Edit();
    if (key == 27) binding_.Link.Reset();
}

void TFDbCheckBox::DoExit() {
    binding_.Exit([this] {
        if (CanFocus()) SetFocus();
    });
    TBitCheckBox::DoExit();
}

void TFDbCheckBox::WndProc(TMessage& m) {
    if (!binding_.AnswerDataLink(m)) TBitCheckBox::WndProc(m);
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

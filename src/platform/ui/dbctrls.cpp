#include "platform/ui/dbctrls.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/datatypes.h"
#include "platform/data/field.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

// ---- Binding ---------------------------------------------------------------------

TFieldBinding::TFieldBinding(TControl* control, Answer dataChange, Answer editingChange,
                             Answer updateData)
    : control_(control) {
    Link.Control = control;
    Link.OnFocusControl = TNotifyEvent(
        [this](TObject*) {
            auto* c = dynamic_cast<TWinControl*>(control_);
            if (c && c->CanFocus()) c->SetFocus();
        },
        this);
    auto event = [this](Answer a) { return TNotifyEvent([a](TObject*) { a(); }, this); };
    if (dataChange) {
        Link.OnDataChange = event(dataChange);
        Link.OnActiveChange = event(dataChange);
    }
    if (editingChange) Link.OnEditingChange = event(editingChange);
    if (updateData) Link.OnUpdateData = event(updateData);
}

void TFieldBinding::SetDataSource(TDataSource* ds) {
    if (ds == Link.DataSource()) return;
    if (Link.DataSource()) control_->RemoveFreeNotification(Link.DataSource());
    Link.SetDataSource(ds);
    if (ds) control_->FreeNotification(ds);
}

void TFieldBinding::Notification(TComponent* c, TOperation op) {
    if (op == TOperation::opRemove && c && c == Link.DataSource()) Link.SetDataSource(nullptr);
}

bool TFieldBinding::AnswerDataLink(TMessage& m) {
    if (m.Msg != CM_GETDATALINK) return false;
    m.Result = reinterpret_cast<LRESULT>(&Link);
    return true;
}

void TFieldBinding::Exit(const Answer& refused) {
    try {
        Link.UpdateRecord();
    } catch (...) {
        if (refused) refused();
        throw;
    }
}

bool FieldAcceptsChar(const TField* field, char32_t ch) {
    if (!field || ch < 32) return true;
    switch (field->DataType()) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftLargeint:
            return (ch >= '0' && ch <= '9') || ch == '+' || ch == '-';
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD:
            return (ch >= '0' && ch <= '9') || ch == '+' || ch == '-' || ch == '.' || ch == 'E' ||
                   ch == 'e';
        default:
            return true;
    }
}

namespace {
// Loading the control from the field is not an edit of the control.
struct LoadingGuard {
    bool& flag;
    bool old;
    explicit LoadingGuard(bool& f) : flag(f), old(f) { f = true; }
    ~LoadingGuard() { flag = old; }
};

bool IsEditChar(char32_t key) {
    return key == 8 || key == 22 || key == 24 || key >= 32;
}
}  // namespace

// ---- Edit ------------------------------------------------------------------------

TDBEdit::TDBEdit(TComponent* owner)
    : TCustomMaskEdit(owner),
      binding_(
          this, [this] { dataChange(); }, [this] { editingChange(); }, [this] { updateData(); }) {
    editingChange();
}

TDBEdit::~TDBEdit() {
    BeginDestroy();
}

void TDBEdit::Notification(TComponent* c, TOperation op) {
    TCustomMaskEdit::Notification(c, op);
    binding_.Notification(c, op);
}

void TDBEdit::SetReadOnly(bool v) {
    binding_.Link.ReadOnly = v;
    editingChange();
}

void TDBEdit::editingChange() {
    TCustomEdit::SetReadOnly(!binding_.Editable());
}

void TDBEdit::dataChange() {
    LoadingGuard g(binding_.Loading);
    TField* f = Field();
    auto* le = static_cast<QLineEdit*>(Widget());
    editingChange();
    if (!f) {
        SetEditMask("");
        SetText("");
        le->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    le->setAlignment((f->IsNumeric() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    SetEditMask(f->EditMask());
    // A masked text carries its literals (a date's separators), and a text
    // that the field's own handler turns into what is stored may be longer
    // than it: the mask or the handler bounds its length, not the stored size.
    const bool converted = IsMasked() || static_cast<bool>(f->OnSetText);
    if (f->DataType() == TFieldType::ftString && MaxLength() == 0 && !converted)
        SetMaxLength(f->Size());
    else if (converted && MaxLength() == f->Size())
        SetMaxLength(0);  // set from the size before the field had its handler
    if (binding_.Focused && binding_.Link.CanModify())
        SetText(f->Text());
    else
        SetText(f->DisplayText());
}

void TDBEdit::updateData() {
    ValidateEdit();
    if (TField* f = Field()) f->SetText(Text());
}

void TDBEdit::Change() {
    if (!binding_.Loading) binding_.Link.SetModified();
    TCustomMaskEdit::Change();
}

void TDBEdit::KeyDown(uint16_t& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    if ((key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift))) && !binding_.Edit())
        key = 0;
    MaskKeyDown(key, shift);
}

void TDBEdit::KeyPress(char32_t& key) {
    TWinControl::KeyPress(key);
    if (key == 0) return;
    if (key >= 32 && !FieldAcceptsChar(Field(), key)) {
        QApplication::beep();
        key = 0;
        return;
    }
    if (key == 27) {
        binding_.Link.Reset();
        SelectAll();
        key = 0;
        return;
    }
    // A record or field that may not change takes no typing.
    if (IsEditChar(key) && !binding_.Edit()) {
        key = 0;
        return;
    }
    MaskKeyPress(key);
}

void TDBEdit::DoEnter() {
    binding_.Focused = true;
    dataChange();
    TCustomMaskEdit::DoEnter();
}

void TDBEdit::DoExit() {
    binding_.Exit([this] { SelectAll(); });
    binding_.Focused = false;
    dataChange();
    TWinControl::DoExit();
}

void TDBEdit::WndProc(TMessage& m) {
    if (!binding_.AnswerDataLink(m)) TCustomMaskEdit::WndProc(m);
}

// ---- Memo ------------------------------------------------------------------------

TDBMemo::TDBMemo(TComponent* owner)
    : TCustomMemo(owner),
      binding_(
          this, [this] { dataChange(); }, [this] { editingChange(); }, [this] { updateData(); }) {
    editingChange();
}

TDBMemo::~TDBMemo() {
    BeginDestroy();
}

void TDBMemo::Notification(TComponent* c, TOperation op) {
    TCustomMemo::Notification(c, op);
    binding_.Notification(c, op);
}

void TDBMemo::SetReadOnly(bool v) {
    binding_.Link.ReadOnly = v;
    editingChange();
}

void TDBMemo::editingChange() {
    TCustomEdit::SetReadOnly(!binding_.Editable());
}

void TDBMemo::dataChange() {
    LoadingGuard g(binding_.Loading);
    editingChange();
    TField* f = Field();
    if (!f)
        SetText("");
    else if (f->IsBlob())
        SetText(f->AsString());
    else if (binding_.Focused && binding_.Link.CanModify())
        SetText(f->Text());
    else
        SetText(f->DisplayText());
}

void TDBMemo::updateData() {
    if (TField* f = Field()) f->SetAsString(Text());
}

void TDBMemo::Change() {
    if (!binding_.Loading) binding_.Link.SetModified();
    TCustomMemo::Change();
}

void TDBMemo::KeyPress(char32_t& key) {
    TCustomMemo::KeyPress(key);
    if (key == 0) return;
    if (key == 27) {
        binding_.Link.Reset();
        key = 0;
        return;
    }
    if ((IsEditChar(key) || key == 9 || key == 10 || key == 13) && !binding_.Edit()) key = 0;
}

void TDBMemo::DoEnter() {
    binding_.Focused = true;
    dataChange();
    TCustomMemo::DoEnter();
}

void TDBMemo::DoExit() {
    binding_.Exit();
    binding_.Focused = false;
    dataChange();
    TCustomMemo::DoExit();
}

void TDBMemo::WndProc(TMessage& m) {
    if (!binding_.AnswerDataLink(m)) TCustomMemo::WndProc(m);
}

// ---- Combo box ---------------------------------------------------------------------

TDBComboBox::TDBComboBox(TComponent* owner)
    : TCustomComboBox(owner),
      binding_(
          this, [this] { dataChange(); }, [this] { editingChange(); }, [this] { updateData(); }) {
    editingChange();
}

TDBComboBox::~TDBComboBox() {
    BeginDestroy();
}

void TDBComboBox::Notification(TComponent* c, TOperation op) {
    TCustomComboBox::Notification(c, op);
    binding_.Notification(c, op);
}

void TDBComboBox::SetReadOnly(bool v) {
    binding_.Link.ReadOnly = v;
    editingChange();
}

void TDBComboBox::editingChange() {
    if (auto* le = static_cast<QComboBox*>(Widget())->lineEdit())
        le->setReadOnly(!binding_.Editable());
}

void TDBComboBox::dataChange() {
    if (DroppedDown()) return;
    LoadingGuard g(binding_.Loading);
    editingChange();
    TField* f = Field();
    std::string value = f ? f->Text() : "";
    if (MapList()) {
        SetValue(value);
        return;
    }
    if (Style() == TComboBoxStyle::csDropDown || Style() == TComboBoxStyle::csSimple)
        SetText(value);
    else
        SetItemIndex(Items()->IndexOf(value));
}

void TDBComboBox::updateData() {
    TField* f = Field();
    if (!f) return;
    if (MapList())
        f->SetText(Value());
    else
        f->SetText(Text());
}

void TDBComboBox::Change() {
    // Only a change the record may take is written back.
    if (!binding_.Loading && binding_.Editable()) binding_.Link.SetModified();
    TCustomComboBox::Change();
}

void TDBComboBox::Click() {
    // A pick from the list while the record may not change (read-only, or a
    // source that does not start editing) shows the field's value again.
    if (!binding_.Edit() && !binding_.Loading) binding_.Link.Reset();
    TCustomComboBox::Click();
    if (!binding_.Loading && binding_.Editable()) binding_.Link.SetModified();
}

void TDBComboBox::KeyDown(uint16_t& key, TShiftState shift) {
    TCustomComboBox::KeyDown(key, shift);
    if (key == VK_BACK || key == VK_DELETE || key == VK_UP || key == VK_DOWN) {
        if (!binding_.Edit() && (key == VK_UP || key == VK_DOWN)) key = 0;
    }
}

void TDBComboBox::KeyPress(char32_t& key) {
    TCustomComboBox::KeyPress(key);
    if (key == 0) return;
    if (key >= 32 && !FieldAcceptsChar(Field(), key)) {
        QApplication::beep();
        key = 0;
        return;
    }
    if (key == 27) {
        binding_.Link.Reset();
        SelectAll();
        key = 0;
        return;
    }
    if (IsEditChar(key) && !binding_.Edit()) key = 0;
}

void TDBComboBox::DoEnter() {
    binding_.Focused = true;
    TCustomComboBox::DoEnter();
}

void TDBComboBox::DoExit() {
    binding_.Exit([this] { SelectAll(); });
    binding_.Focused = false;
    TCustomComboBox::DoExit();
}

void TDBComboBox::WndProc(TMessage& m) {
    if (!binding_.AnswerDataLink(m)) TCustomComboBox::WndProc(m);
}

// ---- Check box ---------------------------------------------------------------------

namespace {
// Whether a text is one of the ";"-separated entries (case ignored).
bool ValueMatch(const std::string& list, const std::string& value) {
    size_t start = 0;
    for (;;) {
        size_t end = list.find(';', start);
        std::string entry =
            list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (AnsiCompareText(entry, value) == 0) return true;
        if (end == std::string::npos) return false;
        start = end + 1;
    }
}

std::string FirstEntry(const std::string& list) {
    return list.substr(0, list.find(';'));
}
}  // namespace

TDBCheckBox::TDBCheckBox(TComponent* owner)
    : TCustomCheckBox(owner),
      binding_(
          this, [this] { dataChange(); }, {}, [this] { updateData(); }) {
    SetState(TCheckBoxState::cbUnchecked);
}

TDBCheckBox::~TDBCheckBox() {
    BeginDestroy();
}

void TDBCheckBox::Notification(TComponent* c, TOperation op) {
    TCustomCheckBox::Notification(c, op);
    binding_.Notification(c, op);
}

void TDBCheckBox::SetValueChecked(const std::string& v) {
    valueChecked_ = v;
    dataChange();
}

void TDBCheckBox::SetValueUnchecked(const std::string& v) {
    valueUnchecked_ = v;
    dataChange();
}

TCheckBoxState TDBCheckBox::fieldState() const {
    TField* f = Field();
    if (!f || f->IsNull()) return TCheckBoxState::cbGrayed;
    if (f->DataType() == TFieldType::ftBoolean)
        return f->AsBoolean() ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked;
    std::string text = f->Text();
    if (ValueMatch(valueChecked_, text)) return TCheckBoxState::cbChecked;
    if (ValueMatch(valueUnchecked_, text)) return TCheckBoxState::cbUnchecked;
    return TCheckBoxState::cbGrayed;
}

void TDBCheckBox::dataChange() {
    LoadingGuard g(binding_.Loading);
    SetState(fieldState());
}

void TDBCheckBox::updateData() {
    TField* f = Field();
    if (!f) return;
    if (State() == TCheckBoxState::cbGrayed)
        f->Clear();
    else if (f->DataType() == TFieldType::ftBoolean)
        f->SetAsBoolean(Checked());
    else
        f->SetText(FirstEntry(Checked() ? valueChecked_ : valueUnchecked_));
}

void TDBCheckBox::Toggle() {
    if (!binding_.Edit()) return;
    TCustomCheckBox::Toggle();
    binding_.Link.SetModified();
}

void TDBCheckBox::KeyPress(char32_t& key) {
    TCustomCheckBox::KeyPress(key);
    if (key == 8 || key == ' ') binding_.Edit();
    if (key == 27) binding_.Link.Reset();
}

void TDBCheckBox::DoExit() {
    binding_.Exit();
    TCustomCheckBox::DoExit();
}

void TDBCheckBox::WndProc(TMessage& m) {
    if (!binding_.AnswerDataLink(m)) TCustomCheckBox::WndProc(m);
}

// ---- Label ---------------------------------------------------------------------------

TDBText::TDBText(TComponent* owner)
    : TCustomLabel(owner),
      binding_(this, [this] { SetCaption(Field() ? Field()->DisplayText() : ""); }) {
    SetAutoSize(false);
}

TDBText::~TDBText() {
    BeginDestroy();
}

void TDBText::Notification(TComponent* c, TOperation op) {
    TCustomLabel::Notification(c, op);
    binding_.Notification(c, op);
}

// ---- Published properties --------------------------------------------------

namespace {
template <class T>
void PublishBinding(Publisher<T>& p) {
    p.Prop("DataField", &T::DataField, &T::SetDataField);
    p.Prop("DataSource", &T::DataSource, &T::SetDataSource, "TDataSource");
}
}  // namespace

PLAT_PUBLISH(TDBEdit) {
    PublishBinding(p);
    p.Prop("ReadOnly", &TDBEdit::ReadOnly, &TDBEdit::SetReadOnly);
}

PLAT_PUBLISH(TDBMemo) {
    PublishBinding(p);
    p.Prop("ReadOnly", &TDBMemo::ReadOnly, &TDBMemo::SetReadOnly);
}

PLAT_PUBLISH(TDBComboBox) {
    PublishBinding(p);
    p.Prop("ReadOnly", &TDBComboBox::ReadOnly, &TDBComboBox::SetReadOnly);
}

PLAT_PUBLISH(TDBCheckBox) {
    PublishBinding(p);
    p.Prop("ReadOnly", &TDBCheckBox::ReadOnly, &TDBCheckBox::SetReadOnly);
    p.Prop("ValueChecked", &TDBCheckBox::ValueChecked, &TDBCheckBox::SetValueChecked);
    p.Prop("ValueUnchecked", &TDBCheckBox::ValueUnchecked, &TDBCheckBox::SetValueUnchecked);
}

PLAT_PUBLISH(TDBText) {
    PublishBinding(p);
}

}  // namespace plat

#include "controls/F2Button.h"

#include "controls/Attach.h"
#include "platform/component/properties.h"
#include "platform/ui/forms.h"

namespace ktrb {

using namespace plat;

TCustomForm* OwningForm(const TControl* control) {
    for (TComponent* o = control ? control->Owner() : nullptr; o; o = o->Owner())
        if (auto* f = dynamic_cast<TCustomForm*>(o)) return f;
    return GetParentForm(control);
}

void RequestF2(TWinControl* control) {
    if (control->CanFocus()) control->SetFocus();
    TCustomForm* parentForm = GetParentForm(control);
    bool focused = control->Focused() || (parentForm && parentForm->ActiveControl() == control);
    if (!focused) return;
    if (TCustomForm* f = OwningForm(control))
        SendMessage(f->Handle(), WM_F2KEY, 0, LParamOf(control));
}

TF2Button::TF2Button(TComponent* owner) : TGSpeedButton(owner) {
    SetGlyphIndex(8);
    SetFlat(true);
}

TF2Button::~TF2Button() {
    if (f2Control_) f2Control_->RemoveFreeNotification(this);
}

void TF2Button::SetAutoAlign(bool v) {
    autoAlign_ = v;
    align();
}

void TF2Button::SetGap(uint8_t v) {
    if (v == gap_) return;
    gap_ = v;
    align();
}

void TF2Button::SetF2Control(TWinControl* control) {
    if (AttachedElsewhere(
            this, control, [](TF2Button* b) { return b->f2Control_; },
            "不能同时有两个 F2Button 指到同一个 Edit."))
        return;
    // The button keeps no pointer to a control that is gone.
    if (f2Control_) f2Control_->RemoveFreeNotification(this);
    f2Control_ = control;
    if (control) {
        control->FreeNotification(this);
        align();
    }
}

void TF2Button::align() {
    if (!f2Control_ || !autoAlign_) return;
    SetHeight(f2Control_->Height());
    SetWidth(Height());
    SetTop(f2Control_->Top());
    SetLeft(f2Control_->Left() + f2Control_->Width() + gap_);
}

void TF2Button::Click() {
    TGSpeedButton::Click();
    if (f2Control_ && IsLiveControl(f2Control_) && f2Control_->Enabled()) RequestF2(f2Control_);
}

void TF2Button::Notification(TComponent* c, TOperation op) {
    TGSpeedButton::Notification(c, op);
    if (op == TOperation::opRemove && c == f2Control_) f2Control_ = nullptr;
}

PLAT_PUBLISH(TF2Button) {
    p.Prop("AutoAlign", &TF2Button::AutoAlign, &TF2Button::SetAutoAlign);
    p.Prop("F2Control", &TF2Button::F2Control, &TF2Button::SetF2Control, "TWinControl");
    p.Prop("Gap", &TF2Button::Gap, &TF2Button::SetGap, "Byte");
}

}  // namespace ktrb

#include "controls/QrvEdit.h"

#include "controls/F2Button.h"
#include "controls/QVForm.h"
#include "controls/QvDBCustomLookupCombo.h"
#include "platform/component/properties.h"

namespace ktrb {

using namespace plat;

template <class Base>
TLabelledControl<Base>::TLabelledControl(TComponent* owner) : Base(owner) {
    label_ = new TLabel(this);
    label_->SetName("EditLabel");
    label_->SetCaption("");
    label_->SetFocusControl(this);
    this->FreeNotification(label_);
}

template <class Base>
void TLabelledControl<Base>::CreateF2Button() {
    button_ = new TGSpeedButton(this);
    this->FreeNotification(button_);
    button_->SetName("F2Button");
    button_->SetFlat(true);
    button_->SetGlyphIndex(glyphIndex_);
    button_->OnClick = TNotifyEvent([this](TObject*) { buttonClick(); }, this);
    button_->SetParent(this->Parent());
    button_->SetEnabled(this->Enabled());
    button_->SetVisible(this->Visible());
    placeButton();
}

template <class Base>
void TLabelledControl<Base>::SetCaption(const std::string& text) {
    if (!label_) return;
    label_->SetCaption(text);
    SetLabelPosition(labelPosition_);
}

template <class Base>
void TLabelledControl<Base>::SetLabelPosition(TLabelPosition value) {
    if (!label_) return;
    labelPosition_ = value;
    placeLabel();
}

template <class Base>
void TLabelledControl<Base>::SetLabelSpacing(int value) {
    if (value < 0) return;
    labelSpacing_ = value;
    placeLabel();
}

template <class Base>
void TLabelledControl<Base>::SetButtonSpacing(int value) {
    buttonSpacing_ = value;
    placeButton();
}

template <class Base>
void TLabelledControl<Base>::SetGlyphIndex(int value) {
    if (!button_) return;
    button_->SetGlyphIndex(value);
    glyphIndex_ = value;
}

template <class Base>
void TLabelledControl<Base>::SetButtonHint(const std::string& text) {
    if (button_) button_->SetHint(text);
}

template <class Base>
void TLabelledControl<Base>::placeLabel() {
    if (!label_) return;
    int l = this->Left(), t = this->Top(), w = this->Width(), h = this->Height();
    int lw = label_->Width(), lh = label_->Height(), s = labelSpacing_;
    switch (labelPosition_) {
        case TLabelPosition::lpAbove:
            label_->SetBounds(l, t - lh - s, lw, lh);
            break;
        case TLabelPosition::lpBelow:
            label_->SetBounds(l, t + h + s, lw, lh);
            break;
        case TLabelPosition::lpLeft:
            label_->SetBounds(l - lw - s, t + (h - lh) / 2, lw, lh);
            break;
        case TLabelPosition::lpRight:
            label_->SetBounds(l + w + s, t + (h - lh) / 2, lw, lh);
            break;
    }
}

template <class Base>
void TLabelledControl<Base>::placeButton() {
    if (!button_) return;
    int h = this->Height();
    button_->SetBounds(this->Left() + this->Width() + buttonSpacing_, this->Top(), h, h);
}

template <class Base>
void TLabelledControl<Base>::buttonClick() {
    if (OnDialog) {
        OnDialog(this);
        return;
    }
    RequestF2(this);
}

template <class Base>
void TLabelledControl<Base>::SetParent(TWinControl* parent) {
    Base::SetParent(parent);
    if (label_) label_->SetParent(parent);
    if (button_) button_->SetParent(parent);
}

template <class Base>
void TLabelledControl<Base>::SetBounds(int left, int top, int width, int height) {
    Base::SetBounds(left, top, width, height);
    placeLabel();
    placeButton();
}

template <class Base>
void TLabelledControl<Base>::Notification(TComponent* c, TOperation op) {
    Base::Notification(c, op);
    if (op != TOperation::opRemove) return;
    if (c == label_) label_ = nullptr;
    if (c == button_) button_ = nullptr;
}

template <class Base>
void TLabelledControl<Base>::EnabledChanged() {
    Base::EnabledChanged();
    if (label_) label_->SetEnabled(this->Enabled());
    if (button_) button_->SetEnabled(this->Enabled());
}

template <class Base>
void TLabelledControl<Base>::VisibleChanged() {
    Base::VisibleChanged();
    if (label_) label_->SetVisible(this->Visible());
    if (button_) button_->SetVisible(this->Visible());
}

template class TLabelledControl<TEdit>;
template class TLabelledControl<TDBEdit>;
template class TLabelledControl<TComboBox>;
template class TLabelledControl<TDBComboBox>;
template class TLabelledControl<TQvDBLookupCombo>;

namespace {
template <class T>
void PublishLabel(Publisher<T>& p) {
    p.Prop("Caption", &T::Caption, &T::SetCaption, "TCaption");
    p.Prop("LabelPosition", &T::LabelPosition, &T::SetLabelPosition);
    p.Prop("LabelSpacing", &T::LabelSpacing, &T::SetLabelSpacing);
    p.Prop("EditLabel", &T::EditLabel, nullptr, "TLabel");
}

template <class T>
void PublishButton(Publisher<T>& p) {
    p.Prop("ButtonSpacing", &T::ButtonSpacing, &T::SetButtonSpacing);
    p.Prop("GlyphIndex", &T::GlyphIndex, &T::SetGlyphIndex);
    p.Prop("ButtonHint", &T::ButtonHint, &T::SetButtonHint);
    p.Prop("OnDialog", &T::OnDialog);
}
}  // namespace

PLAT_PUBLISH(TQvEdit) {
    PublishLabel(p);
}

PLAT_PUBLISH(TQvBtnEdit) {
    PublishButton(p);
}

PLAT_PUBLISH(TQvDBEdit) {
    PublishLabel(p);
}

PLAT_PUBLISH(TQvBtnDBEdit) {
    PublishButton(p);
}

PLAT_PUBLISH(TQvComboBox) {
    PublishLabel(p);
}

PLAT_PUBLISH(TQvDBComboBox) {
    PublishLabel(p);
}

// The data-aware button edit's F2 button gets a disabled image on a base
// form; the unbound button edit's keeps its single glyph.
const GlyphButtonsRegistrar<TQvBtnDBEdit> kBtnDBEditGlyphs(10, [](TQvBtnDBEdit& e) {
    return e.F2Button() ? std::vector<plat::TComponent*>{e.F2Button()}
                        : std::vector<plat::TComponent*>{};
});

}  // namespace ktrb

#include "controls/DBLabel.h"

#include <algorithm>

#include "controls/Attach.h"
#include "platform/component/properties.h"
#include "platform/data/dataset.h"
#include "platform/data/datasource.h"
#include "platform/data/field.h"

namespace ktrb {

using namespace plat;

TDBLabel::TDBLabel(TComponent* owner) : TLabel(owner) {
    SetCaption("挂靠标签");
}

void TDBLabel::SetAutoAlign(bool v) {
    autoAlign_ = v;
    Refresh();
}

void TDBLabel::SetAutoCaption(bool v) {
    autoCaption_ = v;
    Refresh();
}

void TDBLabel::SetGap(uint8_t v) {
    if (v == gap_) return;
    gap_ = v;
    Refresh();
}

void TDBLabel::SetPos(TPos v) {
    if (v == pos_) return;
    pos_ = v;
    Refresh();
}

void TDBLabel::SetFocusControl(TWinControl* c) {
    if (AttachedElsewhere(
            this, c, [](TDBLabel* l) { return l->FocusControl(); },
            "不能同时有两个 DBLabel 指到同一个 Control."))
        return;
    TLabel::SetFocusControl(c);
    if (c) Refresh();
}

void TDBLabel::Refresh() {
    updateCaption();
    place();
}

void TDBLabel::updateCaption() {
    TWinControl* c = FocusControl();
    if (!autoCaption_ || !c) return;
    try {
        const TPropInfo* source = GetPropInfo(c, "DataSource");
        if (!source || source->Kind() != TTypeKind::tkClass) return;
        auto* ds = dynamic_cast<TDataSource*>(GetObjectProp(c, *source));
        if (!ds || !ds->DataSet()) return;
        std::string fieldName = GetStrProp(c, "DataField");
        TField* f = ds->DataSet()->FieldByName(fieldName);
        if (f) SetCaption(f->DisplayLabel());
    } catch (const std::exception&) {
        // A missing field keeps the design text.
    }
}

void TDBLabel::place() {
    TWinControl* c = FocusControl();
    if (!c || !autoAlign_) return;
    int w = Width(), h = Height(), g = gap_;
    int top = c->Height() == h ? c->Top() : c->Top() + c->Height() / 2 - h / 2;
    switch (pos_) {
        case TPos::psTop:
            SetBounds(c->Left(), std::max(0, c->Top() - h - g), w, h);
            break;
        case TPos::psBottom:
            SetBounds(c->Left(), std::max(0, c->Top() + c->Height() + g), w, h);
            break;
        case TPos::psLeft:
            SetBounds(std::max(0, c->Left() - w - g), std::max(0, top), w, h);
            break;
        case TPos::psRight:
            SetBounds(std::max(0, c->Left() + c->Width() + g), std::max(0, top), w, h);
            break;
    }
}

PLAT_PUBLISH(TDBLabel) {
    p.Prop("AutoAlign", &TDBLabel::AutoAlign, &TDBLabel::SetAutoAlign);
    p.Prop("AutoCaption", &TDBLabel::AutoCaption, &TDBLabel::SetAutoCaption);
    p.Prop("Gap", &TDBLabel::Gap, &TDBLabel::SetGap, "Byte");
    p.Prop("Pos", &TDBLabel::Pos, &TDBLabel::SetPos);
}

}  // namespace ktrb

#include "controls/QvLookUpCombo.h"

#include "controls/QVForm.h"
#include "platform/component/properties.h"

namespace ktrb {

using namespace plat;

TQvBtnDBCombo::TQvBtnDBCombo(TComponent* owner) : TLabelledControl(owner) {
    CreateF2Button();
}

TQvDBComboDlg::TQvDBComboDlg(TComponent* owner) : TQvDBLookupCombo(owner) {}

void TQvDBComboDlg::DropDown() {
    if (!dialogMode_) {
        TQvDBLookupCombo::DropDown();
        return;
    }
    if (!OnCustomDlg) return;
    Invalidate();
    if (DataSource() && DataSource()->DataSet()) EditField();
    OnCustomDlg(this);
    Invalidate();
}

void TQvDBComboDlg::EditField() {
    struct Raised {
        bool& flag;
        explicit Raised(bool& f) : flag(f) { flag = true; }
        ~Raised() { flag = false; }
    } busy(Busy);
    DataLink()->Edit();
}

void TQvDBComboDlg::KeyPress(char32_t& key) {
    // Typing searches: the list it drops down is the lookup list.
    dialogMode_ = false;
    TQvDBLookupCombo::KeyPress(key);
    dialogMode_ = true;
    typedSinceKeyUp_ = true;
}

void TQvDBComboDlg::KeyUp(uint16_t& key, TShiftState shift) {
    if (!DroppedDown() && LookUpEnabled() && !Text().empty()) {
        // Search at once and drop the list down in lookup mode.
        dialogMode_ = false;
        DoSearch();
        if (typedSinceKeyUp_) DropDown();
        dialogMode_ = true;
    } else {
        TQvDBLookupCombo::KeyUp(key, shift);
    }
    typedSinceKeyUp_ = false;
}

void TQvDBComboDlg::CloseUp(bool modified) {
    const bool wasVisible = DroppedDown();
    TQvDBLookupCombo::CloseUp(modified);
    // Nothing matched: the typed text itself is the value.
    if (wasVisible && !WarningJustShown && ChoiceConfirmed && LookupDataSet()->Active() &&
        LookupDataSet()->IsEmpty() && DataLink()->Editing() && Field() && Field()->Text() != Text())
        Field()->SetText(Text());
}

PLAT_PUBLISH(TQvDBLookupCombo) {
    p.Prop("ProviderName", &TQvDBLookupCombo::ProviderName, &TQvDBLookupCombo::SetProviderName);
    p.Prop("TopSQLWarning", &TQvDBLookupCombo::TopSQLWarning);
    p.Prop("LookUpEnabled", &TQvDBLookupCombo::LookUpEnabled, &TQvDBLookupCombo::SetLookUpEnabled);
    p.Prop("SearchDelay", &TQvDBLookupCombo::SearchDelay, &TQvDBLookupCombo::SetSearchDelay);
    p.Prop("DropDownCount", &TQvDBLookupCombo::DropDownCount);
    p.Prop("DropDownWidth", &TQvDBLookupCombo::DropDownWidth);
    // The lookup connection as the designs name it (the forms' scLookUpData).
    p.Prop(
        "Midas", [](TQvDBLookupCombo& c) { return dynamic_cast<TComponent*>(c.Midas()); },
        [](TQvDBLookupCombo& c, TComponent* v) { c.SetMidas(dynamic_cast<IProviderSource*>(v)); },
        "TSocketConnection");
    p.Prop("OnGetBaseClassParam", &TQvDBLookupCombo::OnGetBaseClassParam, nullptr,
           "TGetF2ParamEvent");
    p.Prop("OnSetReturn", &TQvDBLookupCombo::OnSetReturn, nullptr, "TSetReturnEvent");
}

PLAT_PUBLISH(TQvBtnDBCombo) {
    p.Prop("Caption", &TQvBtnDBCombo::Caption, &TQvBtnDBCombo::SetCaption, "TCaption");
    p.Prop("LabelPosition", &TQvBtnDBCombo::LabelPosition, &TQvBtnDBCombo::SetLabelPosition);
    p.Prop("LabelSpacing", &TQvBtnDBCombo::LabelSpacing, &TQvBtnDBCombo::SetLabelSpacing);
    p.Prop("ButtonSpacing", &TQvBtnDBCombo::ButtonSpacing, &TQvBtnDBCombo::SetButtonSpacing);
    p.Prop("GlyphIndex", &TQvBtnDBCombo::GlyphIndex, &TQvBtnDBCombo::SetGlyphIndex);
    p.Prop("ButtonHint", &TQvBtnDBCombo::ButtonHint, &TQvBtnDBCombo::SetButtonHint);
    p.Prop("OnDialog", &TQvBtnDBCombo::OnDialog);
}

PLAT_PUBLISH(TwwButtonEffects) {
    p.Prop("Flat", &TwwButtonEffects::Flat);
    p.Prop("Transparent", &TwwButtonEffects::Transparent);
}

PLAT_PUBLISH(TwwEditFrame) {
    p.Prop("Enabled", &TwwEditFrame::Enabled);
    p.Prop("Transparent", &TwwEditFrame::Transparent);
}

PLAT_PUBLISH(TQvDBComboDlg) {
    p.Prop("WordWrap", &TQvDBComboDlg::WordWrap);
    p.Prop("AutoFillDate", &TQvDBComboDlg::AutoFillDate);
    p.Prop("UsePictureMask", &TQvDBComboDlg::UsePictureMask);
    // Stored only: the published face of the grid library's dialog combo.
    using D = TQvDBComboDlg;
    p.Prop("LimiEditRect", &D::LimiEditRect);
    p.Prop("UnboundAlignment", &D::UnboundAlignment);
    p.Prop("UnboundDataType", &D::UnboundDataType);
    p.Prop("Picture", &D::Picture, nullptr, "TwwDBPicture");
    p.Prop("ButtonStyle", &D::ButtonStyle);
    p.Prop("ButtonWidth", &D::ButtonWidth);
    p.Prop("ShowButton", &D::ShowButton);
    p.Prop("Style", &D::Style);
    p.Prop(
        "ButtonGlyph", [](D& d) { return d.ButtonGlyph(); },
        [](D& d, TBitmap* g) { *d.ButtonGlyph() = g ? *g : TBitmap(); });
    p.Prop("ButtonEffects", [](D& d) { return d.ButtonEffects(); });
    p.Prop("Frame", [](D& d) { return d.Frame(); });
    p.Prop("OnCustomDlg", &D::OnCustomDlg);
    p.Prop("OnCheckValue", &D::OnCheckValue, nullptr, "TwwValidateEvent");
}

// The labelled lookup combo's F2 button gets a disabled image on a base form.
const GlyphButtonsRegistrar<TQvBtnDBCombo> kBtnDBComboGlyphs(20, [](TQvBtnDBCombo& c) {
    return c.F2Button() ? std::vector<plat::TComponent*>{c.F2Button()}
                        : std::vector<plat::TComponent*>{};
});

}  // namespace ktrb

// Two ready-made lookup combos: the header field of a document form, with
// its caption label and F2 button, and the in-grid editor of a document's
// lines, whose button opens the form's own dialog while typing still
// searches.
#pragma once
#include "controls/QrvEdit.h"
#include "controls/QvDBCustomLookupCombo.h"

namespace ktrb {

extern template class TLabelledControl<TQvDBLookupCombo>;

class TQvBtnDBCombo : public TLabelledControl<TQvDBLookupCombo> {
    PLAT_CLASS(TQvBtnDBCombo, TQvDBLookupCombo)
  public:
    explicit TQvBtnDBCombo(plat::TComponent* owner);

  protected:
    // The F2 button beside the combo replaces the built-in drop-down arrow.
    void PaintOver() override {}
};

// The grid library's kinds of unbound value and of combo button.
enum class TwwEditDataType { wwDefault, wwEdtDate, wwEdtTime, wwEdtDateTime, wwEdtNumeric };
PLAT_ENUM_INFO(TwwEditDataType, wwDefault, wwEdtDate, wwEdtTime, wwEdtDateTime, wwEdtNumeric)
enum class TwwComboButtonStyle { cbsEllipsis, cbsCustom, cbsDownArrow };
PLAT_ENUM_INFO(TwwComboButtonStyle, cbsEllipsis, cbsCustom, cbsDownArrow)
enum class TwwComboStyle { csDropDown, csDropDownList };
PLAT_ENUM_INFO(TwwComboStyle, csDropDown, csDropDownList)
// The combo button's look and the edit frame, as the designs store them.
class TwwButtonEffects : public plat::TPersistent {
    PLAT_CLASS(TwwButtonEffects, plat::TPersistent)
  public:
    bool Flat = false, Transparent = false;
};
class TwwEditFrame : public plat::TPersistent {
    PLAT_CLASS(TwwEditFrame, plat::TPersistent)
  public:
    bool Enabled = false, Transparent = false;
};
// Sender, whether the text passes the picture mask.
using TwwValidateEvent = plat::Event<plat::TObject*, bool>;

class TQvDBComboDlg : public TQvDBLookupCombo {
    PLAT_CLASS(TQvDBComboDlg, TQvDBLookupCombo)
  public:
    explicit TQvDBComboDlg(plat::TComponent* owner);

    // Kept for the forms that store them.
    bool WordWrap = false;
    bool LimiEditRect = false;
    bool AutoFillDate = true;
    bool UsePictureMask = true;
    plat::TAlignment UnboundAlignment = plat::TAlignment::taLeftJustify;
    TwwEditDataType UnboundDataType = TwwEditDataType::wwDefault;
    // The picture the form gave, kept as given.
    plat::TObject* Picture = nullptr;
    TwwComboButtonStyle ButtonStyle = TwwComboButtonStyle::cbsEllipsis;
    int ButtonWidth = 0;
    bool ShowButton = true;
    TwwComboStyle Style = TwwComboStyle::csDropDown;
    TwwButtonEffects* ButtonEffects() { return &buttonEffects_; }
    TwwEditFrame* Frame() { return &frame_; }
    plat::TBitmap* ButtonGlyph() { return &buttonGlyph_; }
    TwwValidateEvent OnCheckValue;

    // The dialog the button (or a drop-down request) opens.
    plat::TNotifyEvent OnCustomDlg;
    bool DialogMode() const { return dialogMode_; }

    void DropDown() override;
    void CloseUp(bool modified) override;
    // Puts the edited record into edit mode.
    void EditField();

  protected:
    void KeyPress(char32_t& key) override;
    void KeyUp(uint16_t& key, plat::TShiftState shift) override;

  private:
    bool dialogMode_ = true;
    bool typedSinceKeyUp_ = false;
    plat::TBitmap buttonGlyph_;
    TwwButtonEffects buttonEffects_;
    TwwEditFrame frame_;
};

}  // namespace ktrb

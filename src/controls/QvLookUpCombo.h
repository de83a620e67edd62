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
};

}  // namespace ktrb

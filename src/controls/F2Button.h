// The F2 look-up button glued to the right of an edit, and the F2 message a
// control sends to its form to ask for the form's look-up.
#pragma once
#include "controls/GSpdBtn.h"

namespace plat {
class TCustomForm;
}  // namespace plat

namespace ktrb {

// Sent to the form's window with the control in LParam (F3, F4: +1, +2).
constexpr plat::UINT WM_F2KEY = plat::WM_USER + 10;
constexpr plat::UINT WM_F3KEY = plat::WM_USER + 11;
constexpr plat::UINT WM_F4KEY = plat::WM_USER + 12;

// The form a control belongs to: the first form up its owner chain, else the
// form it sits on.
plat::TCustomForm* OwningForm(const plat::TControl* control);
// Focuses the control when it can take the focus and, once it has it, sends
// its form the F2 message: the same as pressing F2 in the control.
void RequestF2(plat::TWinControl* control);

class TF2Button : public TGSpeedButton {
    PLAT_CLASS(TF2Button, TGSpeedButton)
  public:
    explicit TF2Button(plat::TComponent* owner);
    ~TF2Button() override;

    bool AutoAlign() const { return autoAlign_; }
    void SetAutoAlign(bool v);
    plat::TWinControl* F2Control() const { return f2Control_; }
    // Refused with an error box when another F2 button of the same parent
    // already serves the control.
    void SetF2Control(plat::TWinControl* control);
    uint8_t Gap() const { return gap_; }
    void SetGap(uint8_t v);

    // OnClick, then the control's look-up.
    void Click() override;
    void Notification(plat::TComponent* c, plat::TOperation op) override;

  private:
    void align();
    bool autoAlign_ = true;
    plat::TWinControl* f2Control_ = nullptr;
    uint8_t gap_ = 2;
};

}  // namespace ktrb

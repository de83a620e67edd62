// The dialog in which the user picks the urgency of a sign-off job and the
// person concerned before a document goes to the outside sign-off system.
#pragma once
#include "controls/QVDialogCF.h"
#include "platform/core/variant.h"

namespace plat {
class TPanel;
class TLabel;
class TEdit;
class TComboBox;
class TButton;
}  // namespace plat

namespace ktrb {

class TF2Button;

class TfrmSetSVINFO : public TfrmQVDialog {
    PLAT_CLASS(TfrmSetSVINFO, TfrmQVDialog)
  public:
    explicit TfrmSetSVINFO(plat::TComponent* owner);

    plat::TPanel *Panel1, *Panel2;
    plat::TLabel *lbl01, *lbl02;
    plat::TComboBox* cbo01;
    plat::TEdit* ed02;
    TF2Button* F2Button1;
    plat::TButton *btnOK, *btnCancel;

    // Shows the dialog owned by the form; value is [urgency 1..3, person]
    // when it closed with OK.
    static bool Execute(plat::TComponent* owner, plat::Variant& value);
    const plat::Variant& Value() const { return value_; }

    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override;
    void SetSVFormShow(plat::TObject* sender);
    void FormCloseQuery(plat::TObject* sender, bool& canClose);
    void ed02Exit(plat::TObject*) {}

  private:
    plat::Variant value_;
};

}  // namespace ktrb

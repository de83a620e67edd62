// The reminder dialog: one warning text and three answers (go on, cancel,
// go on and do not show it again). The caller keeps the list of warnings
// the user silenced; the dialog knows nothing of codes.
#pragma once
#include <string>

#include "controls/QVDialogCF.h"

namespace plat {
class TBitBtn;
class TButton;
class TImage;
class TLabel;
class TMemo;
class TPanel;
}  // namespace plat

namespace ktrb {

// The answers of ShowWarningDialog.
enum class TWarningAnswer { GoOn = 0, Cancel = 1, GoOnSilenced = 2 };

// The modal result of the "do not remind again" button.
constexpr plat::TModalResult mrDontRemind = 5;

class TfrmWarningShowDIY : public TfrmQVDialog {
    PLAT_CLASS(TfrmWarningShowDIY, TfrmQVDialog)
  public:
    explicit TfrmWarningShowDIY(plat::TComponent* owner);

    plat::TPanel* Panel1;
    plat::TPanel* Panel2;
    plat::TImage* Image1;
    plat::TLabel* lblMSG;
    plat::TMemo* moMSG;
    plat::TButton* btnOK;
    plat::TButton* btnCancel;
    plat::TBitBtn* BitBtn1;

    std::string MessageText;

    void FormShow(plat::TObject* sender);
};

// The dialog while it is open (null otherwise).
extern TfrmWarningShowDIY* frmWarningShowDIY;

// Shows the text modally. A window closed by its frame leaves `answer` as the
// caller set it.
void ShowWarningDialog(plat::TComponent* owner, const std::string& text, TWarningAnswer& answer);

}  // namespace ktrb

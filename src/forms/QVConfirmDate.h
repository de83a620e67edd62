// The dialog that asks for the date under which a document is confirmed.
// The edit works as a fixed mask in the owner's display date format; the
// chosen date comes back as "yyyymmdd".
#pragma once
#include <string>

#include "controls/QVDialogCF.h"

namespace plat {
class TPanel;
class TLabel;
class TEdit;
class TButton;
}  // namespace plat

namespace ktrb {

class TF2Button;

class TQVConfirmDateForm : public TfrmQVDialog {
    PLAT_CLASS(TQVConfirmDateForm, TfrmQVDialog)
  public:
    explicit TQVConfirmDateForm(plat::TComponent* owner);

    plat::TPanel* Panel1;
    plat::TLabel* lbl01;
    plat::TEdit* edDate01;
    TF2Button* btn01;
    plat::TPanel* Panel2;
    plat::TButton* btnOK;
    plat::TButton* btnCancel;

    // confirmDateMode is "SYS025": "1" proposes today, anything else the
    // document's own date (yyyymmdd); dateLabel is that date's display label.
    void Setup(const std::string& confirmDateMode, const std::string& documentDate,
               const std::string& dateLabel);
    // The chosen date as "yyyymmdd" once the dialog closed with OK.
    const std::string& ResultDate() const { return resultDate_; }

    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override;

    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void FormCloseQuery(plat::TObject* sender, bool& canClose);
    void edDate01KeyPress(plat::TObject* sender, char32_t& key);
    void edDate01Enter(plat::TObject* sender);
    void edDate01Exit(plat::TObject* sender);
    void btnOKClick(plat::TObject* sender);

  private:
    std::string lang(const std::string& key, const std::string& def);
    // False (after "E" "000005") when the edit holds digits that are no date.
    bool checkDateEdit(plat::TEdit* edit);
    std::string resultDate_;
};

}  // namespace ktrb

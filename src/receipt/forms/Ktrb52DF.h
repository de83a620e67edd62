// TfrmKtrb52DF: the amount and invoice dialog of the receipt form. Page 0
// takes the amounts of a confirmed line and hands them to the server's
// "KeyinMoney" instead of saving the document; page 1 changes the header's
// invoice data and applies the header.
#pragma once
#include <string>

#include "controls/QVDialogCF.h"
#include "platform/core/variant.h"

namespace plat {
class TPageControl;
class TTabSheet;
class TPanel;
class TButton;
}  // namespace plat

namespace ktrb {

class TfrmKtrb52;
class TQvDBEdit;
class TQvDBComboBox;
class TF2Button;

class TfrmKtrb52DF : public TfrmQVDialog {
    PLAT_CLASS(TfrmKtrb52DF, TfrmQVDialog)
  public:
    enum TMode { mdAmounts = 0, mdInvoice = 1 };

    explicit TfrmKtrb52DF(plat::TComponent* owner);

    // Shows the dialog on the owner's current line (mode 0) or header
    // (mode 1); true when it closed with OK. result stays Unassigned.
    static bool Execute(TfrmKtrb52* owner, int mode, plat::Variant& result, bool showTI027,
                        int width, int height);

    int Mode = mdAmounts;
    void SetMode(int index);
    // The active page's data-aware controls take their data source.
    void BindDataSources();

    plat::TPageControl* PageControl1 = nullptr;
    plat::TTabSheet *TabSheet3 = nullptr, *TabSheet1 = nullptr;
    plat::TPanel* Panel1 = nullptr;
    plat::TButton *btnOK = nullptr, *btnCancel = nullptr;
    TQvDBEdit *edTI020 = nullptr, *edTI024 = nullptr, *edTI025 = nullptr, *edTI023 = nullptr,
              *edTI027 = nullptr, *edTI028 = nullptr, *edTI026 = nullptr, *edTI044 = nullptr,
              *edTI045 = nullptr, *edTI046 = nullptr, *edTI047 = nullptr;
    TF2Button *F2Button1 = nullptr, *btnTI028 = nullptr, *btnTI026 = nullptr, *btnTH013 = nullptr;
    TQvDBComboBox *cboTH012 = nullptr, *cboTH015 = nullptr;
    TQvDBEdit *edTH013 = nullptr, *edTH014 = nullptr, *edTH011 = nullptr, *edTH030 = nullptr;

    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override;
    void FormCreate(plat::TObject* sender);
    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void FormCloseQuery(plat::TObject* sender, bool& canClose);
    void cboTH012Change(plat::TObject* sender);

  private:
    TfrmKtrb52* mainForm() const;
    void storeAmounts();
    void cancelPending();
};

}  // namespace ktrb

// The dialog "维护编码格式": the user fills in the content of each segment
// of a product serial-number encoding format for one item. It works on a
// copy of the caller's segment rows and hands them back on OK.
#pragma once
#include <string>

#include "controls/QVDialogCF.h"

namespace plat {
class TButton;
class TClientDataSet;
class TDataSource;
class TField;
class TLabel;
class TMemo;
class TPanel;
}  // namespace plat

namespace ktrb {

class TFDBGrid;
class TQvComboBox;
class TQvDBComboDlg;
class TQvEdit;

class TfrmPSMDIY : public TfrmQVDialog {
    PLAT_CLASS(TfrmPSMDIY, TfrmQVDialog)
  public:
    explicit TfrmPSMDIY(plat::TComponent* owner);

    plat::TPanel* Panel1;
    plat::TLabel* lblformat;
    TQvEdit* edItem;
    TQvEdit* edFormat;
    TFDBGrid* DBGrid;
    plat::TPanel* Panel2;
    plat::TButton* btnOK;
    plat::TButton* btnCancel;
    plat::TMemo* moF2;
    TQvDBComboDlg* cboTEXT;
    TQvComboBox* cboMC001;
    plat::TClientDataSet* cdsTemp;
    plat::TDataSource* dsTemp;

    std::string ItemCode;
    std::string FormatCode;
    // The caller's segment rows: read on show, written on OK.
    plat::TClientDataSet* SegmentDataSet = nullptr;

    void FormShow(plat::TObject* sender);
    void FormCloseQuery(plat::TObject* sender, bool& canClose);
    void edFormatExit(plat::TObject* sender);
    void cdsTempAfterScroll(plat::TDataSet* dataSet);
    void cdsTempMC001GetText(plat::TField* sender, std::string& text, bool displayText);
    void cdsTempMC002Validate(plat::TField* sender);
    void cdsTempMC002CGetText(plat::TField* sender, std::string& text, bool displayText);
    void cboTEXTCustomDlg(plat::TObject* sender);
    void cboTEXTKeyPress(plat::TObject* sender, char32_t& key);
    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override;

    // The memo line naming a kind ("1.品号"), and the F2 hint line that
    // follows it; empty when there is none.
    std::string KindName(const std::string& kind) const;
    std::string KindHint(const std::string& kind) const;

  private:
    void bindSegmentFields();
};

// The dialog while it is open (null otherwise).
extern TfrmPSMDIY* frmPSMDIY;

// Shows the dialog on the item, the format and the caller's segment rows;
// True on OK (the rows then hold what the user entered).
bool ShowPSMFormatDialog(plat::TComponent* owner, const std::string& itemCode,
                         const std::string& formatCode, plat::TClientDataSet*& segments);

}  // namespace ktrb

// TfrmKTRB52EF: the dialog into which the user scans a subcontract work
// order's barcode. It splits the barcode into work-order type and number and
// checks the work order against the receipt header; the receipt data module
// then builds the lines from the work order (TdmKtrb52::AddLinesFromWorkOrder).
#pragma once
#include <string>

#include "controls/QVDialogCF.h"
#include "platform/core/stringlist.h"

namespace plat {
class TButton;
class TPanel;
}  // namespace plat

namespace ktrb {

class TQvEdit;
class TfrmKtrb52;

// A work-order barcode: the type, "-", the number; a third part is ignored.
struct TWorkOrderBarcode {
    std::string type, number;
    bool Complete() const { return !type.empty() && !number.empty(); }
};
TWorkOrderBarcode SplitWorkOrderBarcode(const std::string& barcode);

class TfrmKTRB52EF : public TfrmQVDialog {
    PLAT_CLASS(TfrmKTRB52EF, TfrmQVDialog)
  public:
    explicit TfrmKTRB52EF(plat::TComponent* owner);

    // Shows the dialog over the receipt form; true with [type, number] in
    // result when it closed with OK.
    static bool ScanWorkOrder(TfrmKtrb52* owner, plat::Variant& result);

    plat::TPanel *Panel1 = nullptr, *Panel2 = nullptr;
    TQvEdit *ed01 = nullptr, *ed02 = nullptr, *ed03 = nullptr;
    plat::TButton *btnOK = nullptr, *btnCancel = nullptr;
    // Message arguments: the work order is missing; its project differs.
    plat::TStringList Memo1;
    // [work-order type, work-order number] once closed with OK.
    plat::Variant Result;

    void FormShow(plat::TObject* sender);
    void ed01Change(plat::TObject* sender);
    void ed01Exit(plat::TObject* sender);
    void FormCloseQuery(plat::TObject* sender, bool& canClose);

  private:
    TfrmKtrb52* receipt() const;
    // Shows the message, puts the focus back on the barcode.
    void refuse(const std::string& code, const std::string& arg);
};

}  // namespace ktrb

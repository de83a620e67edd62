// The two-page wizard that names the source of a copied document by its key
// values (first page) and takes the new document's keys (second page). The
// owner form reads the source between the pages and starts the new
// document, whose key fields the second page's edits are bound to.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "controls/QVForm.h"
#include "platform/core/variant.h"

namespace plat {
class TDataSet;
class TDataSource;
class TPageControl;
class TTabSheet;
class TGroupBox;
class TPanel;
class TLabel;
class TEdit;
class TDBEdit;
class TBitBtn;
}  // namespace plat

namespace ktrb {

class TF2Button;

// What the copy dialog asks of the document form that opens it.
class ICopyDialogOwner {
  public:
    // Reads the source document by its head key values (database code page)
    // and starts the new document; false keeps the dialog on the first page.
    virtual bool ReadCopySource(const std::vector<std::string>& sourceKeys,
                                plat::Variant& headValues, plat::Variant& extras,
                                plat::Variant& bodyRows) = 0;
    // The form's F2 handling for a control of the dialog.
    virtual void CopyDialogF2Key(uint16_t& key, plat::TWinControl* control) = 0;

  protected:
    ~ICopyDialogOwner() = default;
};

class TfrmCopy : public TQVForm {
    PLAT_CLASS(TfrmCopy, TQVForm)
  public:
    static constexpr int kRows = 8;

    explicit TfrmCopy(plat::TComponent* owner);

    // Shows the dialog for the head key fields in keyList (comma-separated);
    // true on OK with the three results. The dialog is freed either way.
    static bool Execute(TQVForm* owner, plat::TDataSet* dataSet, plat::TDataSource* dataSource,
                        bool allowEmpty, plat::Variant& extras, plat::Variant& bodyRows,
                        plat::Variant& headValues, const std::string& keyList);

    plat::TPageControl* PageControl1;
    plat::TTabSheet* tbsSource;
    plat::TTabSheet* tbsDest;
    plat::TGroupBox* gbSource;
    plat::TGroupBox* gbDest;
    plat::TPanel* pnlBottom;
    plat::TBitBtn* BBOK;
    plat::TBitBtn* BBCancel;
    plat::TBitBtn* BBPrior;
    std::array<plat::TLabel*, kRows> lblSource{};
    std::array<plat::TEdit*, kRows> edSource{};
    std::array<plat::TLabel*, kRows> lblDest{};
    std::array<plat::TDBEdit*, kRows> edDest{};
    std::array<TF2Button*, kRows> btnDest{};

    bool AllowEmpty = false;
    plat::Variant HeadValues, BodyRows, Extras;
    // The texts of the visible rows (database code page), kept at the close.
    std::vector<std::string> SourceTexts, DestTexts;

    // Binds one row per key field; false (after an error box) when the data
    // set lacks one of them.
    bool SetupRows(plat::TDataSet* dataSet, plat::TDataSource* dataSource,
                   const std::string& keyList);

    void BBOKClick(plat::TObject* sender);
    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void FormKeyPress(plat::TObject* sender, char32_t& key);
    void FormCloseQuery(plat::TObject* sender, bool& canClose);
    void WndProc(plat::TMessage& m) override;

  private:
    std::string toDB(const std::string& text) const;
    void blankMessage(int row);
    void focus(plat::TWinControl* control);
};

}  // namespace ktrb

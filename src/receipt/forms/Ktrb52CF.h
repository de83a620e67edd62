// TfrmKtrb52: the subcontract receipt's main document form, the form the
// module controller opens. It puts the header/body form on the receipt: the
// receipt data module, the receipt's field roles and screen settings, its
// own tool buttons kept in step with the document and the user's rights,
// the look-up keys of its fields, the amount entry, the query menu, the
// payment hold and the line grid's guards. It sets the receipt module's
// session when editing starts and shows the module's view when told it
// changed (IKtrb52Owner).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "forms/DoubleCF.h"
#include "platform/ui/dbctrls.h"
#include "receipt/rules/Ktrb52CD.h"
#include "receipt/rules/Ktrb52Owner.h"

namespace plat {
class TDBComboBox;
class TMemo;
class TLabel;
class TSpeedButton;
}  // namespace plat

namespace ktrb {

class TQvDBEdit;
class TQvBtnDBEdit;
class TQvDBComboBox;
class TfrmKTRB52Seq;

// The batch number after `highest` in a numbering pattern with one run of
// '*' (prefix, run, suffix); the first of the run when `highest` is empty;
// empty when the run's numbers are used up.
std::string NextBatchNumber(const std::string& pattern, const std::string& highest);

// Whether a line's acceptance date ("YYYYMMDD") lies in an open month: not
// before the opening year-month and after the closing one ("YYYYMM").
bool AcceptanceDateOpen(const std::string& date, const std::string& openingMonth,
                        const std::string& closingMonth);

class TfrmKtrb52 : public TfrmDouble, public IKtrb52Owner {
    PLAT_CLASS(TfrmKtrb52, TfrmDouble)
  public:
    explicit TfrmKtrb52(plat::TComponent* owner);
    ~TfrmKtrb52() override;

    // The class the library names as its main form: a new form with no owner.
    static IRadicalForm* Create();

    // ---- designed components ----
    plat::TToolButton *btnMoney = nullptr, *btnInvEdit = nullptr, *BtnSearchs = nullptr,
                      *btnFMoney = nullptr, *btnCR = nullptr, *btnScrapSeq = nullptr,
                      *btnDestroySeq = nullptr, *btnGDToJH = nullptr, *btnSRLB03 = nullptr;
    // The accepted quantity's serial numbers, in the corner of the line grid.
    plat::TSpeedButton* gdBody1IButton = nullptr;
    plat::TPopupMenu *PopSearchs = nullptr, *popCr = nullptr;
    plat::TMenuItem *miVNDB04 = nullptr, *miKTRB17 = nullptr, *miBatchStockQuery = nullptr,
                    *miSubcontractPriceQuery = nullptr, *miPriceHistoryQuery = nullptr,
                    *miPurchaseInvoiceQuery = nullptr, *miLDGB40 = nullptr;
    // Head edits of the first page.
    TQvBtnDBEdit *edTH001 = nullptr, *edTH002 = nullptr, *edTH029 = nullptr, *edTH004 = nullptr,
                 *edTH005 = nullptr, *edTH025 = nullptr, *edTH037 = nullptr, *edTH038 = nullptr,
                 *edTH003 = nullptr, *edTH045 = nullptr, *edTH011 = nullptr, *edTH013 = nullptr,
                 *edTH014 = nullptr;
    TQvDBComboBox *cboTH036 = nullptr, *cboTH012 = nullptr;
    plat::TDBText *txtTH001C = nullptr, *txtTH004C = nullptr, *txtTH005C = nullptr,
                  *txtTH038C = nullptr, *txtTH045C = nullptr, *txtTH033C = nullptr;
    // The second head page.
    plat::TTabSheet* TabSheet1 = nullptr;
    TQvBtnDBEdit *edTH006 = nullptr, *edTH007 = nullptr, *edTH009 = nullptr, *edTH010 = nullptr,
                 *edTH008 = nullptr, *edTH033 = nullptr, *edTH030 = nullptr;
    TQvDBComboBox* cboTH015 = nullptr;
    // Foot totals.
    TQvDBEdit *edTH018 = nullptr, *edTH021 = nullptr, *edTH019 = nullptr, *edTH027 = nullptr,
              *edTH020 = nullptr, *edTH031 = nullptr, *edTH032 = nullptr, *edTH034 = nullptr,
              *edTH043 = nullptr, *edTH042 = nullptr, *edTH022 = nullptr;
    // Editors of the coded columns of the browse and line grids; their items
    // ("text TAB code") give the texts the grids show.
    plat::TDBComboBox *cboTH012G = nullptr, *cboTH015G = nullptr, *cboTH023G = nullptr,
                      *cboTI035G = nullptr, *cboTI037G = nullptr, *cboTIC01G = nullptr;
    // Texts held by the form: invoice kinds and the serial-quantity labels.
    plat::TStringList Memo1, Me;

    // ---- form state ----
    bool AmountEntryStarted = false;
    bool ApAccountingActive = false;
    bool LineCheckActive = false;
    std::string SerialParam;
    plat::TClientDataSet* SerialCopy = nullptr;
    TfrmKTRB52Seq* SerialForm = nullptr;

    TdmKtrb52* ReceiptModule() const;

    // ---- overrides ----
    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override;
    void HandleF3Key(uint16_t& key, plat::TWinControl* control) override;
    void HandleF4Key(uint16_t& key, plat::TWinControl* control) override;
    void ApplyControlSettings() override;
    void InitFormSettings() override;
    bool InitializeFromHost(const plat::Variant& params) override;
    void UpdateButtons() override;
    TDataModuleClass GetDataModuleClass() override;
    bool AddRecord(bool ask) override;
    bool EditRecord() override;
    bool DeleteRecord(bool ask) override;
    bool BuildDocumentKeyArray(plat::Variant& a, plat::Variant& b) override;
    // Batch, location, line type, arrival-note quantities, the supplier's
    // document number and the arrival requirement before the header/body
    // save; a refused check leaves the document as typed, still edited.
    // After an edit, a document with no open line is confirmed.
    bool SaveDocument() override;
    // Document-level tax (the supplier's setting, or "SYS006", is "1"): the
    // header's split of the document total, its rounding residues put on
    // the line with the largest amount. Nothing here calls it.
    virtual bool RecalculateTotals();

    // ---- new operations ----
    virtual bool CanChangeBody() { return true; }
    virtual bool CheckAllBodyLines();
    // True, after telling the user, when the form's start failed: it does nothing then.
    bool RefusedUnstarted();

    // ---- line and confirm checks (Ktrb52Checks.cpp) ----
    bool ValidateRequiredFields(plat::TDataSet* dataSet) override;
    bool CheckStatusChange(uint8_t kind) override;
    // The material groups of a work order that issued less than `received`
    // of `planned` needs: for each, CR, "type-number", "/", item, "/", group.
    // Rows as the line check reads them: TB001, TB002, TB003, TB006, TB005,
    // TB027, group, TB031, TB004, MB403, sorted by group.
    static std::string ShortMaterialGroups(const plat::Variant& rows, double received,
                                           double planned, const std::string& item);

    // ---- actions ----
    // Amounts of the current confirmed line; the invoice data of the header.
    void btnMoneyClick(plat::TObject* sender);
    void btnInvEditClick(plat::TObject* sender);
    void btnFMoneyClick(plat::TObject* sender);
    // Void only when every line may be deleted.
    void miInvalidGuarded(plat::TObject* sender);
    // Inspection status: only "1" (waiting) may become "2" (passed) by hand.
    void cboTI035GDropDown(plat::TObject* sender);
    void cboTI035GChange(plat::TObject* sender);
    void gdBody1EnterExtra(plat::TObject* sender);
    void gdBody1ExitExtra(plat::TObject* sender);
    // A new line is keyed from its work order: it starts in the work-order
    // type column, and Tab or Enter after the work-order number goes on to
    // the received quantity. The columns keep their order.
    void gdBody1ColEnterLineOrder(plat::TObject* sender);
    void dsBody1StateLineOrder(plat::TObject* sender);
    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) override;
    // The items of the coded combos in the interface language; the invoice
    // kinds lettered alone, or with the digit kinds too.
    void FillCodeItems(bool lettersOnly);
    bool ComboBoxItems(const std::string& componentName,
                       std::vector<std::string>& items) const override;
    void gdBody1KeyPressGuard(plat::TObject* sender, char32_t& key);
    void gdBody1KeyDownGuard(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void miVNDB04Click(plat::TObject* sender);
    void miKTRB17Click(plat::TObject* sender);
    void miBatchStockQueryClick(plat::TObject* sender);
    void miSubcontractPriceQueryClick(plat::TObject* sender);
    void miPriceHistoryQueryClick(plat::TObject* sender);
    void miPurchaseInvoiceQueryClick(plat::TObject* sender);
    void miLDGB40Click(plat::TObject* sender);
    // A scanned work order's barcode becomes a receipt line (Ktrb52EF.cpp).
    void btnGDToJHClick(plat::TObject* sender);
    // The lines come from the receipt data module's rules.
    void AddLinesFromWorkOrder(const std::string& type, const std::string& number);
    // The serial numbers of the line's accepted, scrapped and destroyed
    // quantities; the item-barcode program (Ktrb52Seq.cpp).
    void gdBody1IButtonClick(plat::TObject* sender);
    void btnScrapSeqClick(plat::TObject* sender);
    void btnDestroySeqClick(plat::TObject* sender);
    void btnSRLB03Click(plat::TObject* sender);

    // ---- the receipt module's session (off, or empty, without a module) ----
    bool ValidationActive() const;
    bool QuantityEditActive() const;
    bool InvoiceKindFromDialog() const;
    std::string SupplierAtEdit() const;
    // The header project edit is enabled only while the document has no line
    // and locked is false.
    void UpdateProjectEditEnabled(bool locked);
    // Line i (0..12) of the memo holding the line editors' lookup texts.
    std::string LookupTextLine(int index) const;

    // ---- IKtrb52Owner ----
    // Applies the part of the module's view that changed to the controls.
    void ReceiptViewChanged(const TKtrb52View& view, TKtrb52Part part,
                            const std::string& editor) override;
    plat::TClientDataSet* SerialDataSet() override { return SerialCopy; }
    using TfrmDouble::AssignDocumentNumber;
    std::string AssignDocumentNumber() override;

    // ---- event handlers ----
    void FormCreate(plat::TObject* sender) override;
    void FormShow(plat::TObject* sender) override;
    void ApplyScreenLanguage() override;
    void FormDestroy(plat::TObject* sender) override;

  private:
    enum class TDownstreamUse { Unused, Used, Failed };
    // Whether a document uses what the keys name; values as GetLookupValues.
    TDownstreamUse downstreamUse(const std::string& table, const std::string& query,
                                 const plat::Variant& keys, plat::Variant& values);
    // Message code (values 1 to 3 of the user) and silent abort when used;
    // a look-up that cannot answer stops too.
    void refuseIfUsed(const std::string& table, const std::string& query, const plat::Variant& keys,
                      const std::string& code);
    void createReceiptDesign();
    void bindSerialButtons();
    // Opens the serial form on the current line for one kind ("A", "B", "C").
    void openSerialForm(const std::string& kind, const char* quantityField);
    void createCodeEditors();
    // The line grid's cell editors, as the line data set names them.
    void placeLineEditors();
    void codedFieldGetText(plat::TField* sender, std::string& text, bool displayText);
    void applyNumberFormats();
    void fitCodedColumns();
    // The receipt's own tool-bar glyphs: a letter of the interface's language
    // on a coloured square each, added once and redrawn in place.
    void drawOwnGlyphs();
    bool glyphsAdded_ = false;
    void bindQueryMenu();
    std::string labelOf(const char* name, bool body) const;
    // The head and foot edits' captions are their fields' display labels.
    void captionsFromFields();
    std::string sys(const std::string& name) const;
    plat::TField* head(const char* name) const;
    plat::TField* line(const char* name) const;
    std::string headText(const char* name) const;
    std::string lineText(const char* name) const;
    void setLineFieldVisible(const char* name, bool on);
    void readQualityParam();
    // F2 on the head, on the amount dialog's edits, on the grid.
    void headF2(const std::string& field);
    void bodyF2(plat::TField* field);
    void bodyF3(plat::TField* field);
    void batchNumberFromRule(plat::TField* field);
    void convertPrice(plat::TField* price);
    plat::TField* selectedBodyField() const;
    // A line the clerk appended or inserted in the grid, not yet typed in.
    bool freshLine() const;
    int bodyColumnOf(const char* field) const;
    void steerLineColumn(const char* field);
    // The line filled from its work order: keying goes on at the quantity.
    void onToTheQuantity();

    int inspectionBefore_ = -1;
    bool inspectionGuard_ = false;
    std::string assignedNumber_;
    std::string itemViewSource_;
    std::vector<std::string> lookupTexts_;
    plat::TNotifyEvent savedBodyStateChange_;
    bool afterWorkOrderNumber_ = false;
    std::string numberBefore_;  // the work-order number before the key that leaves it
    bool steeringColumn_ = false;
};

}  // namespace ktrb

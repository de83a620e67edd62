// TdmKtrb52: the data module of the subcontract receipt. It holds the
// receipt's three nested data sets (header MOCTH, lines MOCTI, serial
// numbers PSMMB), and every rule of the receipt's data: the defaults of a new
// receipt and line, the field validations, the header totals, and the checks
// before a line is posted or deleted. It keeps the rules' state itself; the
// receipt form owns it, is told when the view changed and is reached for the
// rest through IKtrb52Owner.
//
// The rules are grouped by topic below; each group lives in its own source
// file (named in the group's heading). The handlers are bound to the fields
// and data sets by name through one table (Ktrb52Design.cpp): a new handler
// is declared in its group, published and given a row there.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dataframe/DoubleCD.h"
#include "platform/core/stringlist.h"
#include "receipt/rules/Ktrb52Owner.h"

namespace ktrb {

// The placeholders of the receipt's "nothing" values.
inline constexpr const char* kNoLot = "********************";      // TI010
inline constexpr const char* kNoProject = "********************";  // TH045, TI032
inline constexpr const char* kWholeWorkOrder = "****";             // TI015
inline constexpr const char* kNoLocation = "**********";           // TI060
inline constexpr const char* kLocationsUnused = "##########";  // TI060 when locations are not used

class TdmKtrb52 : public TdmDouble {
    PLAT_CLASS(TdmKtrb52, TdmDouble)
  public:
    explicit TdmKtrb52(plat::TComponent* owner);
    ~TdmKtrb52() override;

    // ---- designed components (cdsMain, cdsBody1 and their sources are inherited) ----
    plat::TDataSetField* cdsMainqryBody;   // the lines of a header
    plat::TDataSetField* cdsBody1qryFoot;  // the serial numbers of a line
    TwwClientDataSet* cdsFoot;
    TwwDataSource* dsFoot;

    // ---- state ----
    // Switched on by a new line; the line amount rules read it.
    bool PriceFromAmountEnabled = false;
    // "field=1" (read-only) or "field=0" per line field, as the lines were at
    // the first line scroll in edit mode; built then, kept until destroy.
    std::unique_ptr<plat::TStringList> ReadOnlySnapshot;

    // The flags and settings of the document being edited; the form sets
    // them when editing starts, the rules keep them.
    TKtrb52Session Session;
    // What the rules say of the form's controls.
    const TKtrb52View& View() const { return view_; }

    // The owner form's receipt side; a neutral one (no view, no serial copy,
    // no numbering) when the owner is not a receipt form.
    IKtrb52Owner& ReceiptForm() const;
    // The field of the header, line or serial data set; raises when missing.
    plat::TField* HeadField(const std::string& name) const;
    plat::TField* LineField(const std::string& name) const;

    // ---- virtual operations, in slot order ----
    void SetDefaultValues() override;  // new header
    void AssignBodyLine() override;    // new line
    void CalcHeadTotals() override;
    // Same totals, from sums the line store keeps instead of a walk.
    void CalcHeadTotalsAfterLineChange() override;
    // An export writes the project placeholder as no project, as the form reads it.
    void GetComboItemText(plat::TDataSet* dataSet, std::string& text, const std::string& value,
                          const std::string& fieldName) override;
    // True when the current line may be deleted; otherwise shows why and aborts.
    virtual bool CheckLineDelete();
    // True when no line is unconfirmed (TI037 "N").
    virtual bool HasNoUnconfirmedLine();

    // ======== Line post and delete rules (Ktrb52LineRules.cpp) ========
    void cdsBody1BeforePost(plat::TDataSet* DataSet);
    void cdsBody1BeforeDelete(plat::TDataSet* DataSet);
    // The last day of the month of a "yyyymmdd" date, as "yyyymmdd"; empty
    // for an empty or invalid date.
    static std::string EndOfMonthDate(const std::string& date);

    // ======== Line scroll rules (Ktrb52Scroll.cpp) ========
    void cdsBody1AfterScroll(plat::TDataSet* DataSet);
    void SnapshotLineReadOnly();
    void RestoreLineReadOnly(const plat::TStringList* snapshot);
    // The visible line fields (nested ones aside) named in the comma list
    // get the read-only value; with allExcept, those not named in it.
    void SetLineFieldsReadOnly(const std::string& fields, bool readOnly, bool allExcept);

    // ======== Inspection state of a line (Ktrb52Inspection.cpp) ========
    void DeriveInspectionState();
    void cdsBody1TI035Validate(plat::TField* Sender);
    void ApplyLotAndDateLocks();

    // ======== Packaging quantities (Ktrb52Packaging.cpp) ========
    void UpdatePackagingReadOnly();

    // ======== Production date, storage location and stock quantity (Ktrb52LineDates.cpp) ========
    void cdsBody1TI054Validate(plat::TField* Sender);
    void cdsBody1TI060Validate(plat::TField* Sender);
    void cdsBody1TI062Validate(plat::TField* Sender);

    // ======== Header validations (Ktrb52CD_Header.cpp) ========
    void cdsMainTH001Validate(plat::TField* Sender);
    void cdsMainTH002Validate(plat::TField* Sender);
    void cdsMainTH029Validate(plat::TField* Sender);
    void cdsMainTH004Validate(plat::TField* Sender);
    void cdsMainTH005Validate(plat::TField* Sender);
    void cdsMainTH005SetText(plat::TField* Sender, const std::string& Text);
    void cdsMainTH007Validate(plat::TField* Sender);
    void cdsMainTH008Validate(plat::TField* Sender);
    void cdsMainTH009Validate(plat::TField* Sender);
    void cdsMainTH011Validate(plat::TField* Sender);
    void cdsMainTH012Validate(plat::TField* Sender);
    void cdsMainTH013Validate(plat::TField* Sender);
    void cdsMainTH015Validate(plat::TField* Sender);
    void cdsMainTH030Validate(plat::TField* Sender);
    void cdsMainTH033Validate(plat::TField* Sender);
    void cdsMainTH038Validate(plat::TField* Sender);
    // Called by the form while it sets up its controls, and before amounts
    // are edited; nothing to do for the receipt.
    void PrepareControlsHook();
    void BeforeAmountEditHook();
    // Every unconfirmed line's work order must still match the header's
    // supplier, currency and tax terms.
    void CheckLinesAgainstWorkOrders();

    // ======== Item on a line (Ktrb52CD_Item.cpp) ========
    void cdsBody1TI004SetText(plat::TField* Sender, const std::string& Text);
    void cdsBody1TI004Validate(plat::TField* Sender);
    // The unit price of an engineering-item line from the item's price list.
    void CalcEngineeringItemPrice();
    // The look-up columns a typed item and work order give the current line
    // (item settings, the work order's quantities, tax rate and order), for a
    // line whose fields were written with the rules detached.
    void FillLineLookupFields();
    void RepriceLine() { CalcEngineeringItemPrice(); }

    // ======== Work order and its type (Ktrb52CD_WorkOrder.cpp) ========
    // One line for each row of the work order read from its barcode
    // (Ktrb52ScannedLines.cpp).
    void AddLinesFromWorkOrder(const std::string& type, const std::string& number);
    void cdsBody1TI013Validate(plat::TField* Sender);
    void cdsBody1TI014Validate(plat::TField* Sender);

    // ======== Warehouse, lot and process (Ktrb52CD_Stock.cpp) ========
    void cdsBody1TI009Validate(plat::TField* Sender);
    void cdsBody1TI010Validate(plat::TField* Sender);
    void cdsBody1TI015Validate(plat::TField* Sender);

    // ======== Quantities, units and acceptance date (Ktrb52CD_Quantities.cpp) ========
    void cdsBody1TI007Validate(plat::TField* Sender);
    void cdsBody1TI008Validate(plat::TField* Sender);
    void cdsBody1TI018Validate(plat::TField* Sender);
    void cdsBody1TI019Validate(plat::TField* Sender);
    void cdsBody1TI021Validate(plat::TField* Sender);
    void cdsBody1TI056Validate(plat::TField* Sender);
    void cdsBody1TI022Validate(plat::TField* Sender);
    void cdsBody1TI020Validate(plat::TField* Sender);
    void cdsBody1TI023Validate(plat::TField* Sender);

    // ======== Packaging quantities (Ktrb52CD_PackagingQty.cpp) ========
    void cdsBody1TI016Validate(plat::TField* Sender);
    void cdsBody1TI017Validate(plat::TField* Sender);
    void cdsBody1TI050Validate(plat::TField* Sender);
    void cdsBody1TI057Validate(plat::TField* Sender);
    void cdsBody1TI051Validate(plat::TField* Sender);
    void cdsBody1TI049Validate(plat::TField* Sender);

    // ======== Line amounts and tax (Ktrb52CD_Amounts.cpp) ========
    // On while the processing amount's rule runs: the unit price's rule then
    // does nothing.
    bool PriceBeingDerived = false;
    void cdsBody1TI024Validate(plat::TField* Sender);
    void cdsBody1TI025Validate(plat::TField* Sender);
    void cdsBody1TI026Validate(plat::TField* Sender);
    void cdsBody1TI045Validate(plat::TField* Sender);
    void cdsBody1TI047Validate(plat::TField* Sender);
    void CalcLineAmounts();
    void RecalcAllLineAmounts();

    // ======== Arrival and inspection link (Ktrb52CD_Arrival.cpp) ========
    void cdsBody1TIC01Validate(plat::TField* Sender);
    void cdsBody1TIC02Validate(plat::TField* Sender);
    void cdsBody1TIC03Validate(plat::TField* Sender);
    void cdsBody1TIC04Validate(plat::TField* Sender);
    void cdsBody1TIC05Validate(plat::TField* Sender);
    void cdsMainAfterScroll(plat::TDataSet* DataSet);

    // ======== Supplier document number, project and the serial copy (Ktrb52CD_Serial.cpp) ========
    void cdsMainTH006Validate(plat::TField* Sender);
    void cdsMainTH045Validate(plat::TField* Sender);
    void cdsFootAfterPost(plat::TDataSet* DataSet);
    void cdsFootBeforeDelete(plat::TDataSet* DataSet);

  protected:
    // The owner form's mode (browse without a form).
    TFormMode formMode() const;
    // The text of a header or line field.
    std::string headText(const std::string& name) const;
    std::string lineText(const std::string& name) const;
    double lineValue(const std::string& name) const;
    // Shows an error by code with one empty argument and aborts silently.
    [[noreturn]] void refuseBlank(const std::string& code);
    // The display labels of the '+'-separated line fields, joined by '+'.
    std::string lineLabels(const std::string& keyList) const;

  private:
    TKtrb52View view_;
    // Tells the owner form which part of the view changed.
    void viewChanged(TKtrb52Part part, const std::string& editor = {});
    // An editor's hint from look-up text lines (none: no hint); the text a
    // rule accepted for an editor.
    void showEditorHint(const std::string& editor, std::vector<int> lines);
    void showEditorText(const std::string& editor, const std::string& text);
    void showQueryMenu(bool on);
    void showF11Fields(const std::string& fields);

    // The header totals; from a walk over the lines when recount, else from
    // the sums the line store keeps (equal to the walk's, bit for bit).
    void headTotals(bool recount);
    std::vector<double> lineSums(const std::vector<std::string>& lines, int decimals, bool recount);
    void createDataSets();
    void bindHandlers();
    void checkFormalItemLine();
    void checkArrivalLine();

    // ---- shared by the field rules (Ktrb52CD_Common.cpp) ----
    void writeHead(const std::string& name, const std::string& text);
    void writeLine(const std::string& name, const std::string& text);
    void writeLineQuiet(const std::string& name, const std::string& text);
    void writeLineNumber(const std::string& name, double value);
    // A grid bound to the line shows the field's new value.
    void refreshLineField(const std::string& name);
    double headValue(const std::string& name) const;
    // True when the look-up found a record with values.
    static bool hasValues(const plat::Variant& reply);
    // The reply (its first element when an array) as a number; otherwise the
    // error by code with the argument, and a silent abort.
    double replyNumber(const plat::Variant& reply, const std::string& code,
                       const plat::Variant& arg);
    // A look-up value at a position that must be a number, as replyNumber.
    double valueNumber(const plat::Variant& reply, int index, const std::string& code,
                       const plat::Variant& arg);
    // "UnitConvert" of the line's item: true with the quantity when the
    // server answered with an array holding a number.
    bool convertQuantity(double quantity, const std::string& fromUnit, const std::string& toUnit,
                         double& converted);
    // The same where the quantity cannot go without: "100026" and abort.
    double convertRequired(double quantity, const std::string& fromUnit, const std::string& toUnit);
    // The line names all of its arrival-note type, number and line / none of them.
    bool arrivalLinked() const;
    bool arrivalUnlinked() const;
    // Quantities and packaging quantities convert into each other.
    bool fixedWeight() const;
    // A quantity must equal the latest inspection result and must not exceed
    // the arrival line.
    void checkInspectionAndArrival(plat::TField* field, const char* inspectionColumn,
                                   const char* arrivalColumn, bool focus);
    void deriveRejectedQuantity();
    // Rejected packages of a line without arrival link (only for a
    // fixed-weight item when asked).
    void deriveRejectedPackages(bool fixedWeightOnly);
    // The decimals of an amount field in a currency.
    int amountDecimals(const std::string& field, const std::string& currency);
    // The fields and terms of the amount rules; kept while every line is
    // recalculated, so that each line does not look them up again.
    struct TLineAmounts;
    TLineAmounts* lineAmounts_ = nullptr;
    template <class F>
    void withLineAmounts(F&& rule);
    void calcLineAmounts(TLineAmounts& terms);
    // Valuation and stock quantity from the accepted quantity.
    void deriveValuationAndStock(bool stockRequired, bool valuationRequired);
    void packagingQuantityValidate(plat::TField* field, const char* quantity);
    // Checks the line's work order and fills the line from it.
    void fillFromWorkOrder(plat::TField* field);
    // Its three steps: the work order looked up and checked; every number
    // and server reply the fill needs, read before the first write, so that
    // a bad one leaves the line as it was; the writes.
    struct TWorkOrderFill;
    plat::Variant readWorkOrder(plat::TField* field, bool formal);
    TWorkOrderFill decideWorkOrderFill(plat::TField* field, const plat::Variant& wo, bool formal);
    void writeWorkOrderFill(const TWorkOrderFill& fill);
    // The item rule's steps: the change refused while the line has serial
    // numbers or when the arrival line names another item; an engineering
    // item filled from its master; a formal item read, with everything that
    // can refuse it, before the first write; the writes.
    struct TItemFill;
    void checkItemChange(plat::TField* field, const std::string& item);
    void checkArrivalItem(const std::string& item);
    void fillEngineeringItem(plat::TField* field, const std::string& item);
    TItemFill readFormalItem(plat::TField* field, const std::string& item);
    void clearLineItem();
    void writeFormalItem(plat::TField* field, const TItemFill& fill);
    std::string itemInspection(plat::TField* field, const TItemFill& fill);
    void writeItemDates(const TItemFill& fill, const std::string& date);
    void writeItemPrice(const TItemFill& fill, const std::string& date);
    // The work order's quantities, order reference and over-receipt rate
    // (MOCTA "01") and a tax rate into the line's look-up columns.
    void writeOrderLookupFields(const plat::Variant& order, double taxRate);
    // The item's over-receipt rates MB402 and MB403 into TI004C13 and TI004C14.
    void writeItemRates(const std::string& item);

    // While a header rule writes several header fields, the lines are
    // recalculated and checked once, when the outermost rule ends, instead
    // of after every field.
    friend class THeaderBatch;
    int headerBatch_ = 0;
    bool recalcPending_ = false, checkPending_ = false;
    // On while the received packages write the received quantity: that
    // quantity's rule then leaves the packages as typed.
    bool packagesDriveQuantity_ = false;
    // The tax-rate edit's state an accepted invoice kind asks for.
    std::optional<bool> rateEditPending_;
};

// A text as an SQL string literal: in single quotes, inner quotes doubled.
std::string SqlText(const std::string& value);

}  // namespace ktrb

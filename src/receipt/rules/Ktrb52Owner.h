// The receipt form as the receipt data module sees it. The form layer lies
// above the rules, so the module reaches its owner form only through this
// interface, which the receipt's main form implements beside
// IDataModuleOwner; tests use a fake. The flags and fields carry the form's
// own names.
#pragma once
#include <string>

namespace plat {
class TClientDataSet;
class TStringList;
}  // namespace plat

namespace ktrb {

class IKtrb52Owner {
  public:
    // ---- flags of the form ----
    // Set by the add, edit, amount-entry and invoice-edit actions: the line
    // rules look up and fill defaults only while it holds.
    virtual bool ValidationActive() const = 0;
    virtual void SetValidationActive(bool on) = 0;
    // Set by the add and edit actions: the quantity rules run their
    // dependent steps only while it holds.
    virtual bool QuantityEditActive() const = 0;
    virtual void SetQuantityEditActive(bool on) = 0;
    // Cleared when the form is created; nothing in the module turns it on.
    virtual bool AmountsFrozen() const = 0;
    // Set when the amount dialog changed the invoice kind.
    virtual bool InvoiceKindFromDialog() const = 0;
    virtual void SetInvoiceKindFromDialog(bool on) = 0;

    // ---- settings the form reads ----
    // MB001 and MB002 of the work-order parameter table ("Y" on).
    virtual std::string MocParam1() const = 0;
    virtual std::string MocParam2() const = 0;
    // "Y" when inspection is in use for the document (read on add and edit).
    virtual std::string QualityParam() const = 0;
    // The supplier last accepted by the header's supplier rule; the form sets
    // it to the document's supplier when editing starts.
    virtual std::string SupplierAtEdit() const = 0;
    virtual void SetSupplierAtEdit(const std::string& supplier) = 0;
    // Line numbers bound by inspection results (filled when editing starts);
    // null when the form has none.
    virtual const plat::TStringList* InspectionKeys() const = 0;
    // The form's own copy of the serial numbers; null before start-up.
    virtual plat::TClientDataSet* SerialDataSet() = 0;

    // ---- controls the rules set ----
    // Line i (0..12) of the memo holding the line editors' lookup texts.
    virtual std::string LookupTextLine(int index) const = 0;
    // The lookup text (hint) of a line editor, by component name ("cboTI004G").
    virtual void SetEditorHint(const std::string& editor, const std::string& text) = 0;
    // The shown text of a line editor, by component name.
    virtual void SetEditorText(const std::string& editor, const std::string& text) = 0;
    // The inspection-state combo cboTI035G.
    virtual void SetInspectionEditReadOnly(bool on) = 0;
    // The amount-entry button btnMoney.
    virtual bool MoneyButtonEnabled() const = 0;
    virtual void SetMoneyButtonEnabled(bool on) = 0;
    // The lock flag of the line grid gdBody1.
    virtual bool BodyGridLocked() const = 0;
    virtual void SetBodyGridLocked(bool on) = 0;
    // The three query menu items (lot stock, outsourcing prices and their history).
    virtual void SetQueryMenuEnabled(bool on) = 0;
    // "dataset:field" whose item the document view shows.
    virtual void SetItemViewSource(const std::string& source) = 0;
    // The tax-kind combo cboTH015 and the tax-rate edit edTH030.
    virtual void SetTaxKindEnabled(bool on) = 0;
    virtual void SetTaxRateEnabled(bool on) = 0;
    // The header project edit is enabled only while the document has no line
    // and locked is false.
    virtual void UpdateProjectEditEnabled(bool locked) = 0;

    // ---- set by the document type's rule ----
    // A new document is confirmed, or printed, right after it is saved.
    virtual void SetAutoConfirmAfterSave(bool on) {}
    virtual void SetPrintAfterSave(bool on) {}
    // The next document number for the header's type and date ("unKnow"
    // when none can be given).
    virtual std::string AssignDocumentNumber() { return "unKnow"; }
    // The F11 field list ("dataset:field,...") of the form.
    virtual void SetF11Fields(const std::string& fields) {}

  protected:
    ~IKtrb52Owner() = default;
};

}  // namespace ktrb

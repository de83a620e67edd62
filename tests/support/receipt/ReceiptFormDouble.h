// The receipt's main form as the receipt data module sees it, for tests: the
// owner-form double with the receipt side, its flags and settings as fields
// and every control the rules set recorded.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/stringlist.h"
#include "receipt/rules/Ktrb52Owner.h"
#include "support/dataframe/OwnerFormDouble.h"

namespace plat {
class TClientDataSet;
}  // namespace plat

namespace ktrb::test {

class ReceiptFormDouble : public OwnerFormDouble, public IKtrb52Owner {
  public:
    // Lookup text lines "L0" to "L12".
    ReceiptFormDouble();
    ~ReceiptFormDouble() override;

    bool ValidationActive() const override { return validationActive; }
    void SetValidationActive(bool on) override { validationActive = on; }
    bool QuantityEditActive() const override { return quantityEditActive; }
    void SetQuantityEditActive(bool on) override { quantityEditActive = on; }
    bool AmountsFrozen() const override { return amountsFrozen; }
    bool InvoiceKindFromDialog() const override { return invoiceKindFromDialog; }
    void SetInvoiceKindFromDialog(bool on) override { invoiceKindFromDialog = on; }
    std::string MocParam1() const override { return mocParam1; }
    std::string MocParam2() const override { return mocParam2; }
    std::string QualityParam() const override { return qualityParam; }
    std::string SupplierAtEdit() const override { return supplierAtEdit; }
    void SetSupplierAtEdit(const std::string& s) override { supplierAtEdit = s; }
    const plat::TStringList* InspectionKeys() const override { return inspectionKeys.get(); }
    plat::TClientDataSet* SerialDataSet() override { return serialCopy; }
    // The line of lookupTexts; empty past its end.
    std::string LookupTextLine(int index) const override;
    void SetEditorHint(const std::string& editor, const std::string& text) override {
        hints[editor] = text;
    }
    void SetEditorText(const std::string& editor, const std::string& text) override {
        texts[editor] = text;
    }
    void SetInspectionEditReadOnly(bool on) override { inspectionEditReadOnly = on; }
    bool MoneyButtonEnabled() const override { return moneyButton; }
    void SetMoneyButtonEnabled(bool on) override { moneyButton = on; }
    bool BodyGridLocked() const override { return gridLocked; }
    void SetBodyGridLocked(bool on) override { gridLocked = on; }
    void SetQueryMenuEnabled(bool on) override { queryMenu = on; }
    void SetItemViewSource(const std::string& source) override { itemViewSource = source; }
    void SetTaxKindEnabled(bool on) override { taxKindEnabled = on; }
    void SetTaxRateEnabled(bool on) override { taxRateEnabled = on; }
    void UpdateProjectEditEnabled(bool locked) override { projectEditLocks.push_back(locked); }
    void SetAutoConfirmAfterSave(bool on) override { autoConfirm = on; }
    void SetPrintAfterSave(bool on) override { printAfterSave = on; }
    // Through assignNumber; "unKnow" when it is not set.
    std::string AssignDocumentNumber() override { return assignNumber ? assignNumber() : "unKnow"; }
    void SetF11Fields(const std::string& fields) override { f11Fields = fields; }

    bool validationActive = false, quantityEditActive = false, invoiceKindFromDialog = false;
    bool amountsFrozen = false;
    std::string mocParam1 = "N", mocParam2 = "N", qualityParam = "N", supplierAtEdit;
    std::unique_ptr<plat::TStringList> inspectionKeys;  // null: the form has none
    std::vector<std::string> lookupTexts;
    std::map<std::string, std::string> hints, texts;
    bool inspectionEditReadOnly = false, moneyButton = true, gridLocked = false, queryMenu = true;
    bool taxKindEnabled = true, taxRateEnabled = true;
    std::string itemViewSource;
    std::vector<bool> projectEditLocks;
    bool autoConfirm = false, printAfterSave = false;
    std::string f11Fields;
    std::function<std::string()> assignNumber;   // unset: numbering fails
    plat::TClientDataSet* serialCopy = nullptr;  // the form's serial copy (not owned)
};

}  // namespace ktrb::test

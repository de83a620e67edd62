#include "receipt/rules/Ktrb52CD.h"

#include "platform/core/text.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

// The receipt side of an owner that is not a receipt form: every flag off,
// every setting empty, every control ignored.
class TNoReceiptForm final : public IKtrb52Owner {
  public:
    bool ValidationActive() const override { return false; }
    void SetValidationActive(bool) override {}
    bool QuantityEditActive() const override { return false; }
    void SetQuantityEditActive(bool) override {}
    bool AmountsFrozen() const override { return false; }
    bool InvoiceKindFromDialog() const override { return false; }
    void SetInvoiceKindFromDialog(bool) override {}
    std::string MocParam1() const override { return {}; }
    std::string MocParam2() const override { return {}; }
    std::string QualityParam() const override { return {}; }
    std::string SupplierAtEdit() const override { return {}; }
    void SetSupplierAtEdit(const std::string&) override {}
    const plat::TStringList* InspectionKeys() const override { return nullptr; }
    plat::TClientDataSet* SerialDataSet() override { return nullptr; }
    std::string LookupTextLine(int) const override { return {}; }
    void SetEditorHint(const std::string&, const std::string&) override {}
    void SetEditorText(const std::string&, const std::string&) override {}
    void SetInspectionEditReadOnly(bool) override {}
    bool MoneyButtonEnabled() const override { return false; }
    void SetMoneyButtonEnabled(bool) override {}
    bool BodyGridLocked() const override { return false; }
    void SetBodyGridLocked(bool) override {}
    void SetQueryMenuEnabled(bool) override {}
    void SetItemViewSource(const std::string&) override {}
    void SetTaxKindEnabled(bool) override {}
    void SetTaxRateEnabled(bool) override {}
    void UpdateProjectEditEnabled(bool) override {}
};

}  // namespace

std::string SqlText(const std::string& value) {
    return plat::QuotedStr(value, '\'');
}

TdmKtrb52::TdmKtrb52(plat::TComponent* owner) : TdmDouble(owner) {
    createDataSets();
    bindHandlers();
}

TdmKtrb52::~TdmKtrb52() {
    BeginDestroy();
}

IKtrb52Owner& TdmKtrb52::ReceiptForm() const {
    static TNoReceiptForm none;
    auto* form = dynamic_cast<IKtrb52Owner*>(Owner());
    return form ? *form : none;
}

TField* TdmKtrb52::HeadField(const std::string& name) const {
    return cdsMain->FieldByName(name);
}

TField* TdmKtrb52::LineField(const std::string& name) const {
    return cdsBody1->FieldByName(name);
}

TFormMode TdmKtrb52::formMode() const {
    return OwnerForm() ? OwnerForm()->FormMode() : TFormMode::Browse;
}

std::string TdmKtrb52::headText(const std::string& name) const {
    return HeadField(name)->AsString();
}

std::string TdmKtrb52::lineText(const std::string& name) const {
    return LineField(name)->AsString();
}

double TdmKtrb52::lineValue(const std::string& name) const {
    return LineField(name)->AsFloat();
}

void TdmKtrb52::GetComboItemText(plat::TDataSet* dataSet, std::string& text,
                                 const std::string& value, const std::string& fieldName) {
    TdmDouble::GetComboItemText(dataSet, text, value, fieldName);
    if ((plat::SameText(fieldName, "TH045") || plat::SameText(fieldName, "TI032")) &&
        plat::Trim(value) == kNoProject)
        text.clear();
}

void TdmKtrb52::refuseBlank(const std::string& code) {
    refuse(code, {Variant(std::string())});
}

std::string TdmKtrb52::lineLabels(const std::string& keyList) const {
    std::string labels, rest = keyList;
    while (!rest.empty()) {
        std::string name = plat::Trim(CutToken(rest, "+"));
        if (name.empty()) continue;
        if (!labels.empty()) labels += "+";
        labels += LineField(name)->DisplayLabel();
    }
    return labels;
}

}  // namespace ktrb

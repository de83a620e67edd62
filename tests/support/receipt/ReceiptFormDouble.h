// The receipt's main form as the receipt data module sees it, for tests: the
// owner-form double with the receipt side. The session's flags and settings
// read and write the module's own (as plain fields); the view the module
// tells of lands in fields as the form's controls would show it.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/core/stringlist.h"
#include "receipt/rules/Ktrb52CD.h"
#include "receipt/rules/Ktrb52Owner.h"
#include "support/dataframe/OwnerFormDouble.h"

namespace plat {
class TClientDataSet;
}  // namespace plat

namespace ktrb::test {

class ReceiptFormDouble;

// A member of the session of the double's receipt module, used as a plain
// field; the module must exist (std::logic_error otherwise).
template <class T>
class SessionField {
  public:
    SessionField(const ReceiptFormDouble& form, T TKtrb52Session::*member)
        : form_(form), member_(member) {}
    SessionField(const SessionField&) = delete;
    operator const T&() const { return get(); }
    SessionField& operator=(const T& value) {
        get() = value;
        return *this;
    }
    // The value, not the binding.
    SessionField& operator=(const SessionField& other) { return *this = other.get(); }
    void clear() { get().clear(); }
    friend bool operator==(const SessionField& a, const T& b) { return a.get() == b; }
    friend std::ostream& operator<<(std::ostream& os, const SessionField& f) {
        return os << f.get();
    }

  private:
    T& get() const;
    const ReceiptFormDouble& form_;
    T TKtrb52Session::*member_;
};

// The session's inspection keys: a new list replaces their lines.
class SessionKeys {
  public:
    explicit SessionKeys(const ReceiptFormDouble& form) : form_(form) {}
    SessionKeys(const SessionKeys&) = delete;
    SessionKeys& operator=(const SessionKeys&) = delete;
    SessionKeys& operator=(std::unique_ptr<plat::TStringList> list);
    plat::TStringList* operator->() const;

  private:
    const ReceiptFormDouble& form_;
};

class ReceiptFormDouble : public OwnerFormDouble, public IKtrb52Owner {
  public:
    // Lookup text lines "L0" to "L12".
    ReceiptFormDouble();
    ~ReceiptFormDouble() override;

    // The receipt module the double owns; std::logic_error when it has none.
    TdmKtrb52& ReceiptModule() const;

    // Records the view as the form's controls would take it.
    void ReceiptViewChanged(const TKtrb52View& view, TKtrb52Part part,
                            const std::string& editor) override;
    plat::TClientDataSet* SerialDataSet() override { return serialCopy; }
    // Through assignNumber; "unKnow" when it is not set.
    std::string AssignDocumentNumber() override { return assignNumber ? assignNumber() : "unKnow"; }
    // The line of lookupTexts; empty past its end.
    std::string LookupTextLine(int index) const;

    SessionField<bool> validationActive{*this, &TKtrb52Session::ValidationActive};
    SessionField<bool> quantityEditActive{*this, &TKtrb52Session::QuantityEditActive};
    SessionField<bool> invoiceKindFromDialog{*this, &TKtrb52Session::InvoiceKindFromDialog};
    SessionField<std::string> mocParam1{*this, &TKtrb52Session::MocParam1};
    SessionField<std::string> mocParam2{*this, &TKtrb52Session::MocParam2};
    SessionField<std::string> qualityParam{*this, &TKtrb52Session::QualityParam};
    SessionField<std::string> supplierAtEdit{*this, &TKtrb52Session::SupplierAtEdit};
    SessionKeys inspectionKeys{*this};

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

template <class T>
T& SessionField<T>::get() const {
    return form_.ReceiptModule().Session.*member_;
}

}  // namespace ktrb::test

// The owner form as the data modules see it. A data module is created with
// its document form as owner; the form layer lies above this one, so the
// modules reach it only through this interface, which the root document
// form implements beside IRadicalForm (members of the same name and
// signature serve both). Tests use a small fake. Members past the first
// block have neutral defaults.
#pragma once
#include <cstdint>
#include <string>

#include "platform/core/variant.h"
#include "runtime/RadicalFormIntf.h"

namespace plat {
class TDataSet;
}  // namespace plat

namespace ktrb {

// Document mode of the owner form.
enum class TFormMode : uint8_t { Browse = 0, Edit = 1, Add = 2 };

class IDataModuleOwner {
  public:
    virtual TFormMode FormMode() const = 0;
    // False stops the post of the record (the caller aborts silently).
    virtual bool ValidateRequiredFields(plat::TDataSet* dataSet) = 0;
    // The user's rights applied to the current record's controls.
    virtual void ApplyRecordRights(plat::TDataSet* dataSet) = 0;
    // A stored text shown in the display code page, and a typed text back
    // into the database code page.
    virtual plat::Variant ConvertByDisplayMode(const plat::Variant& value) = 0;
    virtual plat::Variant RevertByDisplayMode(const plat::Variant& value) = 0;

    // The form's modal message box; the modal result.
    virtual int ShowMessageBox(const std::string& text, TMsgDlgType type,
                               const TMsgDlgButtons& buttons) {
        return modal::Ok;
    }
    // "936", "950" or "437".
    virtual std::string GetUICodePage() const { return "936"; }
    // The document number held for the record being added.
    virtual std::string PendingDocumentNumber() const { return {}; }
    // Applies the user's DEFAULTTEXT settings to the form's data-aware edits.
    virtual void ApplyUserDefaultTexts() {}
    // The client folder, ending with a separator.
    virtual std::string ClientFolder() const { return {}; }

    // Colour rules of the header controls.
    virtual bool ColorRulesEnabled() const { return false; }
    // Non-zero while the form holds record colouring back.
    virtual int ColorHoldValue() const { return 0; }
    virtual bool RefreshMainColors() { return false; }
    virtual bool RefreshCurrentRecordColors() { return false; }
    virtual void RestoreColors() {}
    virtual void ApplyColorsToRecord(plat::TDataSet* colorDataSet) {}

    // Status bar panels (1 key texts, 2 and 3 record counts).
    virtual void SetStatusPanelText(int panel, const std::string& text) {}

  protected:
    ~IDataModuleOwner() = default;
};

// The owner form behind a component, or null.
inline IDataModuleOwner* AsDataModuleOwner(plat::TComponent* component) {
    return dynamic_cast<IDataModuleOwner*>(component);
}

}  // namespace ktrb

// The root form as the data modules see it, for tests: the broker's form and
// the modules' owner in one component. Answers are fields the test sets;
// what the modules ask of the form is counted or recorded.
#pragma once
#include <map>
#include <string>

#include "dataframe/OwnerForm.h"
#include "support/runtime/RadicalFormDouble.h"

namespace ktrb::test {

class OwnerFormDouble : public RadicalFormDouble, public IDataModuleOwner {
  public:
    OwnerFormDouble() = default;
    ~OwnerFormDouble() override;

    TFormMode FormMode() const override { return mode; }
    bool ValidateRequiredFields(plat::TDataSet*) override { return requiredOk; }
    // Counted; raises a database error when rightsThrow is set.
    void ApplyRecordRights(plat::TDataSet*) override;
    // With markDisplay, texts are shown inside "«»" and the marks are taken
    // off again on the way back; otherwise as the root form converts.
    plat::Variant ConvertByDisplayMode(const plat::Variant& value) override;
    plat::Variant RevertByDisplayMode(const plat::Variant& value) override;
    int ShowMessageBox(const std::string& text, TMsgDlgType type,
                       const TMsgDlgButtons& buttons) override {
        return RadicalFormDouble::ShowMessageBox(text, type, buttons);
    }
    std::string GetUICodePage() const override { return uiCodePage; }
    std::string PendingDocumentNumber() const override { return pendingNumber; }
    void ApplyUserDefaultTexts() override { ++defaultTextsApplied; }
    std::string ClientFolder() const override { return clientFolder; }
    bool ColorRulesEnabled() const override { return colors; }
    int ColorHoldValue() const override { return colorHold; }
    bool RefreshMainColors() override { return ++mainColorRefreshes, true; }
    bool RefreshCurrentRecordColors() override { return ++recordColorRefreshes, true; }
    void RestoreColors() override { ++colorsRestored; }
    void ApplyColorsToRecord(plat::TDataSet*) override { ++colorsApplied; }
    void SetStatusPanelText(int panel, const std::string& text) override { panels[panel] = text; }

    TFormMode mode = TFormMode::Browse;
    bool requiredOk = true;
    int rightsApplied = 0;
    bool rightsThrow = false;
    bool markDisplay = false;
    std::string pendingNumber, clientFolder;
    int defaultTextsApplied = 0;
    bool colors = false;
    int colorHold = 0;
    int colorsRestored = 0, colorsApplied = 0, mainColorRefreshes = 0, recordColorRefreshes = 0;
    std::map<int, std::string> panels;
};

}  // namespace ktrb::test

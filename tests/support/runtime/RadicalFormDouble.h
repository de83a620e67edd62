// The root document form as the controller and the broker see it, for tests:
// every answer is a field the test sets, and what the broker asks of the form
// (message boxes, dialogs, beeps) is recorded.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "runtime/Brokers.h"
#include "runtime/RadicalFormIntf.h"

namespace ktrb::test {

class RadicalFormDouble : public plat::TComponent, public IRadicalForm {
  public:
    // Creates the form's broker, owned by the form.
    RadicalFormDouble();
    ~RadicalFormDouble() override;

    plat::TComponent* FormComponent() override { return this; }
    TBrokers* Brokers() override { return broker; }

    bool FormVisible() const override { return visible; }
    void ShowForm() override;
    void HideForm() override;
    THandle FormHandle() override { return handle; }
    std::string FormCaption() const override { return caption; }
    int ShowFormModal() override;
    // Fires OnDestroy, then deletes the form: only for forms made with new.
    void FreeForm() override;

    void SetModuleFileName(const std::string& path) override { moduleFileName = path; }
    bool InitializeFromHost(const plat::Variant& params) override;
    void UpdateButtons() override;
    std::string VersionText() const override { return versionText; }
    uint16_t ActionRights() const override { return actionRights; }
    void SetActionRights(uint16_t r) override { actionRights = r; }
    uint8_t OpenMode() const override { return openMode; }
    void SetOpenMode(uint8_t m) override;
    plat::Variant HostKeys() const override { return hostKeys; }
    void SetHostKeys(const plat::Variant& k) override { hostKeys = k; }
    std::string StartCondition() const override { return startCondition; }
    void SetStartCondition(const std::string& t) override { startCondition = t; }
    plat::Variant StartParam() const override { return startParam; }
    void SetStartParam(const plat::Variant& v) override { startParam = v; }
    int32_t ResultCode() const override { return resultCode; }
    plat::Variant ResultValue() const override { return resultValue; }
    plat::TNotifyEvent& OnShowEvent() override { return onShow; }
    plat::TNotifyEvent& OnHideEvent() override { return onHide; }
    plat::TNotifyEvent& OnDestroyEvent() override { return onDestroy; }
    TCloseEvent& OnCloseEvent() override { return onClose; }

    int ProductID() const override { return productID; }
    uint64_t RightsSet() const override { return rightsSet; }
    uint8_t LookupStage() const override { return lookupStage; }
    void SetLookupParams(const plat::Variant& r) override { lookupParams = r; }
    plat::Variant LookupResult() const override { return lookupResult; }
    std::string GetUICodePage() const override { return uiCodePage; }
    std::string GetSystemCodePage() const override { return systemCodePage; }
    int GetDisplayMode() const override { return displayMode; }
    // Through displayConversion when set; unchanged otherwise.
    plat::Variant ConvertByDisplayMode(const plat::Variant& value) override;
    // Recorded in messageBoxes; answers `answer`.
    int ShowMessageBox(const std::string& text, TMsgDlgType type,
                       const TMsgDlgButtons& buttons) override;
    // Recorded in dialogs; answers the next of `answers`, then `answer`.
    int RunMessageDialog(const TMessageDialogSpec& dialog) override;
    void AfterMessage() override { ++afterMessages; }
    void Beep() override { ++beeps; }

    TBrokers* broker;
    bool visible = false;
    THandle handle = 0;
    std::string caption;
    std::string moduleFileName;
    std::vector<plat::Variant> initParams;
    bool initAnswer = true;
    std::string versionText = "900214";
    uint16_t actionRights = 0x01FF;
    uint8_t openMode = 0;
    plat::Variant hostKeys;
    std::string startCondition;
    plat::Variant startParam;
    int32_t resultCode = 0;
    plat::Variant resultValue;
    plat::TNotifyEvent onShow, onHide, onDestroy;
    TCloseEvent onClose;
    int productID = 1;
    uint64_t rightsSet = 0;
    uint8_t lookupStage = 0;
    plat::Variant lookupParams;
    plat::Variant lookupResult;
    std::string uiCodePage = "936";
    std::string systemCodePage = "936";
    int displayMode = 0;
    std::function<plat::Variant(const plat::Variant&)> displayConversion;
    int answer = modal::Ok;  // the answer to every box and dialog not scripted in `answers`
    std::deque<int> answers;
    std::vector<std::string> messageBoxes;
    std::vector<TMessageDialogSpec> dialogs;
    int afterMessages = 0;
    int beeps = 0;
    // "show", "UpdateButtons:<rights>", "SetOpenMode", in call order.
    std::vector<std::string> trace;
};

}  // namespace ktrb::test

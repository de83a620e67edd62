// TfrmRadical: the root of every document form. The host's start call
// enters the form framework here: the broker is filled from the host's start
// parameters, the data module connected, the user's rights parsed, the
// caption and language applied. It routes F1, F2, F3, F4 and F11 to
// overridable handlers, moves on with Enter outside grids, serves the lookup
// combos' parameter events and starts other programs through the host.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/QVForm.h"
#include "dataframe/OwnerForm.h"
#include "platform/core/variant.h"
#include "runtime/RadicalFormIntf.h"
#include "runtime/Rights.h"

namespace plat {
class TField;
class TDataSource;
class TToolBar;
class TWinControl;
}  // namespace plat

namespace ktrb {

class TBrokers;
class TdmRadical;
class TInteraParam;

// A data-module class (a class reference): creates the module with the form
// as owner.
using TDataModuleClass = std::function<TdmRadical*(plat::TComponent* owner)>;

// The form asks for a lookup (F2, F3, F4) or the F11 input on a control.
inline constexpr plat::UINT WM_F2LOOKUP = plat::WM_USER + 10;
inline constexpr plat::UINT WM_F3LOOKUP = plat::WM_USER + 11;
inline constexpr plat::UINT WM_F4LOOKUP = plat::WM_USER + 12;
inline constexpr plat::UINT WM_F11INPUT = plat::WM_USER + 13;

// The rights set at creation: {0..14, 22..59}.
inline constexpr uint64_t kInitialRightsSet = 0x0FFFFFFFFFC07FFFull;
inline constexpr uint16_t kInitialActionRights = 0x01FF;

class TfrmRadical : public TQVForm, public IRadicalForm, public IDataModuleOwner {
    PLAT_CLASS(TfrmRadical, TQVForm)
  public:
    explicit TfrmRadical(plat::TComponent* owner);
    ~TfrmRadical() override;

    // ---- fields ----
    // Set by the concrete form, which creates it from GetDataModuleClass.
    TdmRadical* DataModule = nullptr;
    int DateFormatCode = 1;  // SYS001
    std::string Sys002Text;  // SYS002
    uint8_t SqlType = 0;
    plat::Variant ExtraParams;
    THandle HostWindow = 0;
    std::string ReportProgram;
    std::string GroupList, ExPower;
    std::string ProfileFolder, ClientIniFile;
    std::string CreateGifBeforeSendSV;
    std::string ModuleFileName;
    plat::Variant LookupParams, LookupResultValue;
    bool LookupOption = false;
    bool StartFailed = false;
    // The third sign-on string as it was at start.
    std::string SignOn3Copy;
    // Parts of the executable's name that mark the host shell: a form
    // created inside it is hosted, anywhere else it starts standalone.
    static std::vector<std::string> HostProgramMarkers;
    void SetVersionText(const std::string& text) { versionText_ = text; }

    bool HasRight(int element) const { return HasRightIn(rights_, element); }
    bool HasRight(TRight right) const { return HasRightIn(rights_, right); }
    void SetRightsSet(uint64_t rights) { rights_ = rights; }
    void SetLookupStage(uint8_t stage) { lookupStage_ = stage; }
    void SetProductID(int id) { productID_ = id; }
    // A child window works with its owner's broker instead of its own.
    void SetBrokers(TBrokers* brokers) { brokers_ = brokers; }

    // ---- event handlers ----
    virtual void FormCreate(plat::TObject* sender);
    virtual void FormShow(plat::TObject* sender);
    virtual void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    virtual void FormKeyPress(plat::TObject* sender, char32_t& key);
    virtual void FormResize(plat::TObject* sender);
    virtual void FormPaint(plat::TObject* sender);
    virtual void FormClose(plat::TObject* sender, ktrb::TCloseAction& action);
    virtual void FormDestroy(plat::TObject* sender);
    void Notification(plat::TComponent* c, plat::TOperation op) override;

    // ---- virtual operations ----
    virtual void HandleF2Key(uint16_t& key, plat::TWinControl* control);
    virtual void HandleF3Key(uint16_t& key, plat::TWinControl* control);
    virtual void HandleF4Key(uint16_t& key, plat::TWinControl* control);
    virtual void HandleF11Key(uint16_t& key, plat::TWinControl* control);
    virtual void PrepareOnShow() {}
    // A hook no code calls; descendants only call the parent.
    virtual void SpareHook() {}
    virtual void ApplyControlSettings() {}
    virtual void InitializeAfterConnect();
    virtual void InitFormSettings();
    virtual int OpenProgram(const std::string& programCode, const std::string& condition);
    virtual void GetProgramInfo(const std::string& programID, plat::Variant& info);
    virtual void LoadRequiredControls() {}
    virtual void SetupUDFControls() {}
    bool InitializeFromHost(const plat::Variant& params) override;
    void UpdateButtons() override {}
    // The platform's data-module base class: no module of its own.
    virtual TDataModuleClass GetDataModuleClass();
    virtual void GetProgramID(std::string& programID);
    virtual void GetHelpContext(const std::string& topic, std::string& context);
    virtual void SpareOperation() {}

    // ---- interfaces ----
    void ParseUserRights(const std::string& powerData, const std::string& groupList,
                         const std::string& exPower);
    bool IsHosted();
    std::string GetProgramIDFromModule();
    void ShowHelp();
    // The form's texts, the screen fonts and the toolkit's own texts in the
    // interface's language.
    virtual void ApplyScreenLanguage();
    void ApplyDataModuleLanguage();
    void GetBaseClassParam(plat::TObject* sender, TInteraParam* param);
    void SetReturn(plat::TObject* sender, TInteraParam* param);
    void ConvertVariant(int direction, const plat::Variant& value, plat::Variant& result);
    void ConvertDBToUI(const plat::Variant& value, plat::Variant& result);
    void ConvertByDisplayMode(const plat::Variant& value, plat::Variant& result);
    void RevertByDisplayMode(const plat::Variant& value, plat::Variant& result);
    void PickDate(plat::TField* field);
    void OpenLookup(plat::TField* field, const std::string& tableName, const plat::Variant& params,
                    const std::string& queryNo);
    // True when the look-up answered with rows, written into the targets.
    bool OpenLookupEx(plat::TField* field, const std::string& targetFields, bool option1,
                      bool option2, const plat::Variant& params, const std::string& queryNo,
                      const std::string& tableName);
    void PickPhrase(plat::TField* field);
    void RebindDataSource(plat::TDataSource* dataSource);
    void PackToolButtons(plat::TToolBar* toolBar);

    void WndProc(plat::TMessage& m) override;

    // ---- IRadicalForm ----
    plat::TComponent* FormComponent() override { return this; }
    TBrokers* Brokers() override { return brokers_; }
    TBrokers* Brokers() const { return brokers_; }
    bool FormVisible() const override;
    void ShowForm() override;
    void HideForm() override;
    THandle FormHandle() override;
    std::string FormCaption() const override;
    int ShowFormModal() override;
    void FreeForm() override;
    void SetModuleFileName(const std::string& path) override { ModuleFileName = path; }
    std::string VersionText() const override;
    uint16_t ActionRights() const override { return actionRights_; }
    void SetActionRights(uint16_t rights) override { actionRights_ = rights; }
    uint8_t OpenMode() const override { return openMode_; }
    void SetOpenMode(uint8_t mode) override { openMode_ = mode; }
    plat::Variant HostKeys() const override { return hostKeys_; }
    void SetHostKeys(const plat::Variant& keys) override { hostKeys_ = keys; }
    std::string StartCondition() const override { return startCondition_; }
    void SetStartCondition(const std::string& text) override { startCondition_ = text; }
    plat::Variant StartParam() const override { return startParam_; }
    void SetStartParam(const plat::Variant& value) override { startParam_ = value; }
    int32_t ResultCode() const override { return resultCode_; }
    plat::Variant ResultValue() const override { return resultValue_; }
    void SetResultCode(int32_t code) { resultCode_ = code; }
    void SetResultValue(const plat::Variant& value) { resultValue_ = value; }
    plat::TNotifyEvent& OnShowEvent() override { return OnShow; }
    plat::TNotifyEvent& OnHideEvent() override { return OnHide; }
    plat::TNotifyEvent& OnDestroyEvent() override { return OnDestroy; }
    TCloseEvent& OnCloseEvent() override { return closeEvent_; }
    int ProductID() const override { return productID_; }
    uint64_t RightsSet() const override { return rights_; }
    uint8_t LookupStage() const override { return lookupStage_; }
    void SetLookupParams(const plat::Variant& request) override { LookupParams = request; }
    plat::Variant LookupResult() const override { return LookupResultValue; }
    std::string GetUICodePage() const override { return TQVForm::GetUICodePage(); }
    std::string GetSystemCodePage() const override { return TQVForm::GetSystemCodePage(); }
    int GetDisplayMode() const override { return TQVForm::GetDisplayMode(); }
    plat::Variant ConvertByDisplayMode(const plat::Variant& value) override;
    int ShowMessageBox(const std::string& text, TMsgDlgType type,
                       const TMsgDlgButtons& buttons) override;
    int RunMessageDialog(const TMessageDialogSpec& dialog) override;
    void AfterMessage() override {}
    void Beep() override;

    // ---- IDataModuleOwner ----
    TFormMode FormMode() const override { return TFormMode::Browse; }
    bool ValidateRequiredFields(plat::TDataSet*) override { return true; }
    void ApplyRecordRights(plat::TDataSet*) override {}
    plat::Variant RevertByDisplayMode(const plat::Variant& value) override;

  protected:
    // Runs the close event (FormClose unless the controller chained in
    // front of it) in the controller's terms.
    void DoClose(plat::TCloseAction& action) override;

  private:
    TBrokers* brokers_ = nullptr;
    uint64_t rights_ = kInitialRightsSet;
    uint16_t actionRights_ = kInitialActionRights;
    uint8_t openMode_ = 0;
    uint8_t lookupStage_ = 0;
    int productID_ = 3;
    plat::Variant hostKeys_, startParam_, resultValue_;
    std::string startCondition_;
    std::string spareText_;
    std::string versionText_;
    bool spareFlag_ = false;
    int32_t resultCode_ = 0;
    TCloseEvent closeEvent_;
};

}  // namespace ktrb

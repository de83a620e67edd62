#include "runtime/DLLMTCtrller.h"

#include <array>

#include "platform/automation/dispatch.h"
#include "platform/core/exceptions.h"
#include "platform/system/system.h"
#include "runtime/Brokers.h"

namespace ktrb {

using plat::Variant;

TRadicalFormClass frmRadicalClass = nullptr;

namespace {

// An address inside this library; its module is the library's own file even
// when the host shares the platform's code with the library.
const char kModuleAnchor = 0;

// Argument bit n of SetMode's rights byte guards this bit of the form's
// rights word (bits 1 and 3 cross over).
constexpr std::array<uint16_t, 8> kRightsBits = {0x0001, 0x0008, 0x0004, 0x0002,
                                                 0x0010, 0x0020, 0x0040, 0x0080};

struct OpenModeRule {
    int32_t mode;
    uint8_t formMode;
    bool takesKeys;
};
constexpr std::array<OpenModeRule, 10> kOpenModes = {{
    {1, 1, false},
    {2, 2, false},
    {3, 3, false},
    {4, 4, false},
    {5, 5, false},
    {7, 7, true},
    {8, 8, true},
    {10, 9, true},
    {12, 10, false},
    {13, 11, false},
}};

TDLLBaseController* createController() {
    return new TDLLMTCtrller();
}

}  // namespace

class TDLLMTCtrller::FormWatch : public plat::TComponent {
  public:
    FormWatch(TDLLMTCtrller* owner, plat::TComponent* form) : controller_(owner) {
        form->FreeNotification(this);
    }

  protected:
    void Notification(plat::TComponent* c, plat::TOperation op) override {
        if (op == plat::TOperation::opRemove && controller_->form_ &&
            controller_->form_->FormComponent() == c) {
            controller_->form_ = nullptr;
            controller_->stage_ = Stage::None;
            controller_->savedOnShow_ = {};
            controller_->savedOnHide_ = {};
            controller_->savedOnDestroy_ = {};
            controller_->savedOnClose_ = {};
        }
    }

  private:
    TDLLMTCtrller* controller_;
};

void InitializeDLLMTCtrller() {
    DLLControllerClass = &createController;
}

TDLLMTCtrller::TDLLMTCtrller() = default;

TDLLMTCtrller::~TDLLMTCtrller() {
    try {
        // Freed from inside the close step's notification: the form goes
        // without a second close step.
        if (form_ && stage_ == Stage::Closing)
            form_->FreeForm();
        else if (form_ && stage_ == Stage::None)
            Close(0);
    } catch (...) {
    }
    *alive_ = false;
    // A form that outlives us must not tell a freed controller about itself.
    if (form_) {
        for (plat::TNotifyEvent* e :
             {&form_->OnShowEvent(), &form_->OnHideEvent(), &form_->OnDestroyEvent()})
            if (e->Handle().Object() == this) *e = {};
        if (form_->OnCloseEvent().Handle().Object() == this) form_->OnCloseEvent() = {};
    }
}

void TDLLMTCtrller::releaseForm() {
    form_ = nullptr;
    stage_ = Stage::None;
    savedOnShow_ = {};
    savedOnHide_ = {};
    savedOnDestroy_ = {};
    savedOnClose_ = {};
    watch_.reset();
}

void TDLLMTCtrller::GetVersion(std::string& version) {
    if (form_) version = form_->VersionText();
}

WordBool TDLLMTCtrller::GetVisible() {
    return form_ && form_->FormVisible() ? -1 : 0;
}

void TDLLMTCtrller::SetVisible(WordBool value) {
    if (!form_) return;
    if (value != 0)
        form_->ShowForm();
    else
        form_->HideForm();
}

THandle TDLLMTCtrller::GetHandle() {
    return form_ ? form_->FormHandle() : 0;
}

void TDLLMTCtrller::checkHostVersion() {
    static const char* const kWrongVersion = "BrannixCenter version too old,please update!";
    try {
        Variant version = plat::VarToDispatch(WorkCenter)->Get("DependencyVersion");
        int order = Variant::Compare(version, Variant(kDependencyVersion));
        const char* text = order > 0   ? "This program's version is too old, please update."
                           : order < 0 ? "BrannixCenter version too old,please update."
                                       : nullptr;
        if (text) {
            form_->ShowMessageBox(text, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
            throw plat::Exception(text);
        }
    } catch (const std::exception& e) {
        form_->ShowMessageBox(kWrongVersion, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        throw plat::Exception(std::string(kWrongVersion) + e.what());
    }
}

int32_t TDLLMTCtrller::Init(const Variant& params) {
    int32_t result = -1;
    if (!form_) {
        if (!frmRadicalClass)
            throw plat::Exception(
                "QRV DLL Internal Error :\rNot Assign \"frmRadicalClass\" varible");
        form_ = frmRadicalClass();
        watch_ = std::make_unique<FormWatch>(this, form_->FormComponent());
        form_->SetModuleFileName(plat::ModuleFileNameOf(&kModuleAnchor));
        checkHostVersion();
        form_->Brokers()->SetMainObject(WorkCenter);
        NotifyCreated();
    }
    hookForm();
    if (form_ && form_->InitializeFromHost(params)) result = 0;
    return result;
}

void TDLLMTCtrller::hookForm() {
    if (!form_) return;
    // A handler that is already ours is not saved again, so a second Init
    // never chains the controller's hooks to themselves.
    auto hook = [this](plat::TNotifyEvent& event, plat::TNotifyEvent& saved,
                       const plat::TNotifyEvent& mine) {
        if (event == mine) return;
        saved = event;
        event = mine;
    };
    hook(form_->OnShowEvent(), savedOnShow_,
         plat::TNotifyEvent(this, &TDLLMTCtrller::FormShowHook));
    hook(form_->OnHideEvent(), savedOnHide_,
         plat::TNotifyEvent(this, &TDLLMTCtrller::FormHideHook));
    hook(form_->OnDestroyEvent(), savedOnDestroy_,
         plat::TNotifyEvent(this, &TDLLMTCtrller::FormDestroyHook));
    TCloseEvent closeHook(this, &TDLLMTCtrller::FormCloseHook);
    if (!(form_->OnCloseEvent() == closeHook)) {
        savedOnClose_ = form_->OnCloseEvent();
        form_->OnCloseEvent() = closeHook;
    }
}

int32_t TDLLMTCtrller::SetParams(const Variant& params) {
    int32_t result = -1;
    if (!form_ || params.IsNull() || !params.IsArray()) return result;
    try {
        const Variant& item = params[1];
        if (item.IsArray()) {
            form_->SetStartCondition(plat::VarToStr(item[item.LowBound()]));
            form_->SetStartParam(item[item.LowBound() + 1]);
        } else {
            form_->SetStartCondition(plat::VarToStr(item));
        }
        result = 0;
    } catch (...) {
    }
    return result;
}

int32_t TDLLMTCtrller::SetMode(int32_t mode, uint8_t rights, const Variant& param) {
    if (!form_) return -1;
    uint16_t word = form_->ActionRights();
    for (size_t bit = 0; bit < kRightsBits.size(); ++bit)
        if (!(rights & (1u << bit))) word &= (uint16_t)~kRightsBits[bit];
    form_->SetActionRights(word);
    form_->UpdateButtons();
    uint8_t formMode = 0;
    for (const OpenModeRule& rule : kOpenModes)
        if (rule.mode == mode) {
            formMode = rule.formMode;
            if (rule.takesKeys) form_->SetHostKeys(param);
        }
    form_->SetOpenMode(formMode);
    return 0;
}

void TDLLMTCtrller::ShowModal(Variant& result) {
    if (!form_) return;
    const std::shared_ptr<bool> alive = alive_;
    form_->ShowFormModal();
    if (!*alive) return;
    // A form that freed itself while modal left its result with us.
    result = form_ ? form_->ResultValue() : ResultValue;
    Close(0);
}

void TDLLMTCtrller::Close(int32_t flag) {
    if (!form_ || stage_ != Stage::None || form_->FormComponent()->Destroying()) return;
    const std::shared_ptr<bool> alive = alive_;
    if (flag == 0 && !closedSinceShown_) {
        stage_ = Stage::Closing;
        TCloseAction action = TCloseAction::caHide;
        try {
            FormCloseHook(form_->FormComponent(), action);
        } catch (...) {
            if (*alive) stage_ = Stage::None;
            throw;
        }
        if (!*alive || !form_) return;
    }
    stage_ = Stage::Freeing;
    IRadicalForm* form = form_;
    form->FreeForm();
    if (!*alive) return;
    // The destroy hook or the watch has let go of the form by now; the watch
    // is gone with it when it was not hooked.
    if (form_ == form) form_ = nullptr;
    releaseForm();
}

int32_t TDLLMTCtrller::GetConnectionInfo(Variant& info) {
    if (!form_) return -1;
    TBrokers* broker = form_->Brokers();
    info = plat::VarArrayOf(
        {broker->UserID, broker->CompanyID, broker->ProgramCode, broker->GetProgramName()});
    return 0;
}

bool TDLLMTCtrller::IsFree() {
    return form_ == nullptr;
}

void TDLLMTCtrller::FormShowHook(plat::TObject* sender) {
    closedSinceShown_ = false;
    if (savedOnShow_) savedOnShow_(sender);
    TDLLBaseController::FormShowHook(sender);
}

void TDLLMTCtrller::FormHideHook(plat::TObject* sender) {
    if (savedOnHide_) savedOnHide_(sender);
    TDLLBaseController::FormHideHook(sender);
}

void TDLLMTCtrller::FormCloseHook(plat::TObject* sender, TCloseAction& action) {
    closedSinceShown_ = true;
    if (savedOnClose_) savedOnClose_(sender, action);
    TDLLBaseController::FormCloseHook(sender, action);
}

void TDLLMTCtrller::FormDestroyHook(plat::TObject* sender) {
    if (!form_) {
        releaseForm();
        return;
    }
    {
        struct Release {
            TDLLMTCtrller* self;
            ~Release() { self->releaseForm(); }
        } release{this};
        stage_ = Stage::Freeing;
        ResultCode = form_->ResultCode();
        ResultValue = form_->ResultValue();
        plat::TNotifyEvent saved = savedOnDestroy_;
        if (saved) saved(sender);
    }
    // The form is forgotten before the host hears that it is gone, so that
    // the host may free the controller from its handler.
    TDLLBaseController::FormDestroyHook(sender);
}

}  // namespace ktrb

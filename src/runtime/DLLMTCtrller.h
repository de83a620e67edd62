// The module's controller: creates the main document form, checks the host's
// interface version, hands the form the host object and the start-up
// parameters, chains its handlers in front of the form's show, hide, destroy
// and close events and reports them to the host.
#pragma once
#include <memory>

#include "runtime/DLLBaseCtrller.h"

namespace ktrb {

// The main form class (a class reference): creates the form with no owner.
using TRadicalFormClass = IRadicalForm* (*)();
// Set by the library's main block; the controller's Init creates its form
// from it.
extern TRadicalFormClass frmRadicalClass;

// The interface version the host must speak.
inline constexpr int kDependencyVersion = 8000;

class TDLLMTCtrller : public TDLLBaseController {
  public:
    TDLLMTCtrller();
    ~TDLLMTCtrller() override;

    void GetVersion(std::string& version) override;
    WordBool GetVisible() override;
    void SetVisible(WordBool value) override;
    THandle GetHandle() override;
    int32_t Init(const plat::Variant& params) override;
    int32_t SetParams(const plat::Variant& params) override;
    int32_t SetMode(int32_t mode, uint8_t rights, const plat::Variant& param) override;
    void ShowModal(plat::Variant& result) override;
    void Close(int32_t flag) override;
    int32_t GetConnectionInfo(plat::Variant& info) override;
    bool IsFree() override;
    void FormShowHook(plat::TObject* sender) override;
    void FormHideHook(plat::TObject* sender) override;
    void FormDestroyHook(plat::TObject* sender) override;
    void FormCloseHook(plat::TObject* sender, TCloseAction& action) override;

    // The main form, or null.
    IRadicalForm* Form() const { return form_; }

  private:
    class FormWatch;
    void checkHostVersion();
    void hookForm();
    // The form is gone (or going): forget it and the handlers saved from it.
    void releaseForm();

    // Where the form is on its way out. A Close from inside a notification
    // must not close or free it a second time, and a controller freed by
    // its host from inside the close step still frees the form.
    enum class Stage { None, Closing, Freeing };

    IRadicalForm* form_ = nullptr;
    Stage stage_ = Stage::None;
    // Cleared by the destructor: a host may free the controller from inside
    // a notification, and nothing of it may be touched after that.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    plat::TNotifyEvent savedOnShow_, savedOnHide_, savedOnDestroy_;
    TCloseEvent savedOnClose_;
    // The form's close step ran since it was last shown (its user closed
    // it): a Close that follows frees it without closing and telling the
    // host a second time.
    bool closedSinceShown_ = false;
    // Tells the controller when the form is destroyed by any road, so that
    // it never keeps a pointer to a form that is gone.
    std::unique_ptr<FormWatch> watch_;
};

// The unit's start-up: registers TDLLMTCtrller as the controller class.
void InitializeDLLMTCtrller();

}  // namespace ktrb

#include "runtime/DLLBaseCtrller.h"

#include "platform/core/exceptions.h"

namespace ktrb {

TControllerClass DLLControllerClass = nullptr;

TDLLBaseController* CreateRegisteredController() {
    if (!DLLControllerClass)
        throw plat::Exception(
            "QRV DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
    return DLLControllerClass();
}

void TDLLBaseController::NotifyCreated() {
    DoNotify(notify::Created, this);
}
void TDLLBaseController::FormShowHook(plat::TObject*) {
    DoNotify(notify::Shown, this);
}
void TDLLBaseController::FormHideHook(plat::TObject*) {
    DoNotify(notify::Hidden, this);
}
void TDLLBaseController::FormDestroyHook(plat::TObject*) {
    DoNotify(notify::Destroyed, this);
}
void TDLLBaseController::FormCloseHook(plat::TObject*, TCloseAction&) {
    DoNotify(notify::Closed, this);
}

void TDLLBaseController::DoNotify(int32_t code, TDLLBaseController* sender) {
    // A copy: the host may free the controller, and with it OnNotify, from
    // inside its handler.
    const TNotifyHandler handler = OnNotify;
    if (handler) handler(code, sender);
}

void TDLLBaseController::Reserved() {}

}  // namespace ktrb

// The controller the host drives: the module library's export GetController
// hands one out, the host writes WorkCenter and OnNotify, then calls the
// virtual operations below by their place in the table of virtual
// operations. That table and the field layout are a contract with the host:
// the operations are declared in slot order 0 to 17 and the destructor comes
// after them, so nothing may be inserted, removed or reordered here. The host
// program includes this header.
#pragma once
#include <cstdint>
#include <string>

#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/core/variant.h"
#include "runtime/RadicalFormIntf.h"

namespace ktrb {

class TDLLBaseController;

// A 16-bit Boolean of the host interface: -1 true, 0 false.
using WordBool = int16_t;

// Codes passed to OnNotify.
namespace notify {
inline constexpr int32_t Created = 256;
inline constexpr int32_t Shown = 272;
inline constexpr int32_t Hidden = 288;
inline constexpr int32_t Destroyed = 304;
inline constexpr int32_t Closed = 320;
}  // namespace notify

// The host's notification handler: (code, the controller).
using TNotifyHandler = plat::Event<int32_t, TDLLBaseController*>;

class TDLLBaseController {
  public:
    TDLLBaseController() = default;
    TDLLBaseController(const TDLLBaseController&) = delete;
    TDLLBaseController& operator=(const TDLLBaseController&) = delete;

    // Fields, in the contract's order; the host writes the first and the last.
    plat::Variant WorkCenter;
    int32_t ResultCode = 0;
    plat::Variant ResultValue;
    TNotifyHandler OnNotify;

    /* slot 0 */ virtual void GetVersion(std::string& version) = 0;
    /* slot 1 */ virtual WordBool GetVisible() = 0;
    /* slot 2 */ virtual void SetVisible(WordBool value) = 0;
    /* slot 3 */ virtual THandle GetHandle() = 0;
    /* slot 4 */ virtual int32_t Init(const plat::Variant& params) = 0;
    /* slot 5 */ virtual int32_t SetParams(const plat::Variant& params) = 0;
    /* slot 6 */ virtual int32_t SetMode(int32_t mode, uint8_t rights,
                                         const plat::Variant& param) = 0;
    /* slot 7 */ virtual void ShowModal(plat::Variant& result) = 0;
    /* slot 8 */ virtual void Close(int32_t flag) = 0;
    /* slot 9 */ virtual int32_t GetConnectionInfo(plat::Variant& info) = 0;
    /* slot 10 */ virtual bool IsFree() = 0;
    /* slot 11 */ virtual void NotifyCreated();
    /* slot 12 */ virtual void FormShowHook(plat::TObject* sender);
    /* slot 13 */ virtual void FormHideHook(plat::TObject* sender);
    /* slot 14 */ virtual void FormDestroyHook(plat::TObject* sender);
    /* slot 15 */ virtual void FormCloseHook(plat::TObject* sender, TCloseAction& action);
    /* slot 16 */ virtual void DoNotify(int32_t code, TDLLBaseController* sender);
    /* slot 17 */ virtual void Reserved();
    virtual ~TDLLBaseController() = default;
};

// The controller class GetController instantiates (a class reference).
using TControllerClass = TDLLBaseController* (*)();
extern TControllerClass DLLControllerClass;

// A new controller of DLLControllerClass; raises the internal error when no
// class is registered.
TDLLBaseController* CreateRegisteredController();

}  // namespace ktrb

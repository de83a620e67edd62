// The root document form as the controller and the broker see it. The form
// chain (TfrmRadical and its descendants) implements this interface; the
// runtime layer reaches the form only through it, so it needs no windows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/core/msgdlg.h"
#include "platform/core/variant.h"

namespace ktrb {

class TBrokers;

// A window handle (HWND); 0 for none.
using THandle = std::intptr_t;

// What a form does when it is closed; the order is the platform's.
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = plat::Event<plat::TObject*, TCloseAction&>;

// Message dialogs: the type picks the icon and the title; buttons come in the
// platform's order, which is also the order of the names below.
using TMsgDlgType = plat::TMsgDlgType;
using TMsgDlgBtn = plat::TMsgDlgBtn;
using TMsgDlgButtons = std::vector<TMsgDlgBtn>;

// The name of each button as the platform's message dialog names it.
const char* MsgDlgButtonName(TMsgDlgBtn button);

// Modal results.
namespace modal {
inline constexpr int None = 0, Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6,
                     No = 7, All = 8, NoToAll = 9, YesToAll = 10;
}  // namespace modal

// One button of a message dialog the broker asks the form to show.
struct TMessageDialogButton {
    TMsgDlgBtn Kind = TMsgDlgBtn::mbOK;
    std::string Name;      // "OK", "Cancel" ...
    std::string Caption;   // empty: the platform's own caption
    bool Default = false;  // the default button, first in tab order
};

// A message dialog as the broker builds it: the form shows it modally, owned
// by itself, and returns the modal result.
struct TMessageDialogSpec {
    std::string Text;
    TMsgDlgType Type = TMsgDlgType::mtInformation;
    std::vector<TMessageDialogButton> Buttons;
    std::string Caption;   // the owner form's caption
    std::string FontName;  // empty: keep the dialog's font
    int FontCharset = 0;   // with FontName: 134 GB2312, 136 Big5
};

class IRadicalForm {
  public:
    // The form as a component: the Sender of its events and the owner of its
    // broker.
    virtual plat::TComponent* FormComponent() = 0;
    // The broker the form created with itself as owner.
    virtual TBrokers* Brokers() = 0;

    // ---- window ----
    virtual bool FormVisible() const = 0;
    // Shows the form; a minimised form is set back to normal and brought to
    // the top.
    virtual void ShowForm() = 0;
    virtual void HideForm() = 0;
    // The window handle, created when needed.
    virtual THandle FormHandle() = 0;
    virtual std::string FormCaption() const = 0;
    // Shows the form modally; the modal result.
    virtual int ShowFormModal() = 0;
    // Fires OnDestroy while the form is still whole, then destroys it.
    virtual void FreeForm() = 0;

    // ---- start-up (controller) ----
    virtual void SetModuleFileName(const std::string& path) = 0;
    // Takes the host's start parameters; exceptions pass to the caller.
    virtual bool InitializeFromHost(const plat::Variant& params) = 0;
    virtual void UpdateButtons() = 0;
    virtual std::string VersionText() const = 0;
    // Bits: $01 add, $02 edit, $04 query, $08 delete, $10 print, $20
    // confirm, $40 unconfirm, $80 void.
    virtual uint16_t ActionRights() const = 0;
    virtual void SetActionRights(uint16_t rights) = 0;
    virtual uint8_t OpenMode() const = 0;
    virtual void SetOpenMode(uint8_t mode) = 0;
    // The document keys for open modes 7, 8 and 9.
    virtual plat::Variant HostKeys() const = 0;
    virtual void SetHostKeys(const plat::Variant& keys) = 0;
    // The start condition (a query condition, or the XML text to import).
    virtual std::string StartCondition() const = 0;
    virtual void SetStartCondition(const std::string& text) = 0;
    virtual plat::Variant StartParam() const = 0;
    virtual void SetStartParam(const plat::Variant& value) = 0;
    // Set by the form before it is destroyed.
    virtual int32_t ResultCode() const = 0;
    virtual plat::Variant ResultValue() const = 0;

    // The form's own events, read and replaced by the controller.
    virtual plat::TNotifyEvent& OnShowEvent() = 0;
    virtual plat::TNotifyEvent& OnHideEvent() = 0;
    virtual plat::TNotifyEvent& OnDestroyEvent() = 0;
    virtual TCloseEvent& OnCloseEvent() = 0;

    // ---- what the broker reads ----
    // The host's product ID as read at start-up (3 when that failed).
    virtual int ProductID() const = 0;
    // The user-rights set parsed from POWER_DATA, bit n = element n.
    virtual uint64_t RightsSet() const = 0;
    // 0 normal, 1 capture the next lookup request, 2 answer the next lookup
    // with the prepared value.
    virtual uint8_t LookupStage() const = 0;
    virtual void SetLookupParams(const plat::Variant& request) = 0;
    virtual plat::Variant LookupResult() const = 0;
    // "936", "950" or "437".
    virtual std::string GetUICodePage() const = 0;
    virtual std::string GetSystemCodePage() const = 0;
    // 0 to 4: 1 converts Big5 to GB for display, 2 GB to Big5.
    virtual int GetDisplayMode() const = 0;
    virtual plat::Variant ConvertByDisplayMode(const plat::Variant& value) = 0;
    // A message box owned by the form, the text converted for its code page.
    virtual int ShowMessageBox(const std::string& text, TMsgDlgType type,
                               const TMsgDlgButtons& buttons) = 0;
    virtual int RunMessageDialog(const TMessageDialogSpec& dialog) = 0;
    // Called by the broker after every message dialog.
    virtual void AfterMessage() = 0;
    // A system beep.
    virtual void Beep() = 0;

  protected:
    ~IRadicalForm() = default;
};

// The form behind a component (its broker's owner), or null.
inline IRadicalForm* AsRadicalForm(plat::TComponent* component) {
    return dynamic_cast<IRadicalForm*>(component);
}

}  // namespace ktrb

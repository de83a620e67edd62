// The rule that one control is served by at most one helper (an F2 button, a
// caption label) of the same parent.
#pragma once
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"

namespace ktrb {

// True when a helper of class T owned by self's parent is attached to
// target already; one attached that is not self is reported in an error box.
// The parent's owned components are walked: on a form that is every helper
// of the form, on a panel none.
template <class T, class Attached>
bool AttachedElsewhere(const T* self, const plat::TWinControl* target, Attached attached,
                       const std::string& message) {
    plat::TWinControl* parent = self->Parent();
    if (!target || !parent) return false;
    bool taken = false;
    for (int i = 0; i < parent->ComponentCount(); ++i) {
        auto* other = dynamic_cast<T*>(parent->Components(i));
        if (!other || attached(other) != target) continue;
        taken = true;
        if (other != self)
            plat::MessageDlg(message, plat::TMsgDlgType::mtError, {plat::TMsgDlgBtn::mbOK});
    }
    return taken;
}

}  // namespace ktrb

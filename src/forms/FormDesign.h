// Builders of the designed components the framework's windows share: each
// names the component, gives it its parent and its first properties.
#pragma once
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

namespace ktrb {

// A captionless panel aligned in its parent (height for top and bottom).
inline plat::TPanel* DesignPanel(plat::TComponent* owner, plat::TWinControl* parent,
                                 const char* name, plat::TAlign align, int height = 0) {
    auto* p = new plat::TPanel(owner);
    p->SetName(name);
    p->SetParent(parent);
    p->SetCaption("");
    if (height > 0) p->SetHeight(height);
    p->SetAlign(align);
    return p;
}

// A push button; a Cancel result also makes it the Escape button.
inline plat::TButton* DesignButton(plat::TComponent* owner, plat::TWinControl* parent,
                                   const char* name, const char* caption, plat::TRect bounds,
                                   plat::TModalResult result = plat::mrNone) {
    auto* b = new plat::TButton(owner);
    b->SetName(name);
    b->SetParent(parent);
    b->SetBounds(bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top);
    b->SetCaption(caption);
    b->ModalResult = result;
    b->Cancel = result == plat::mrCancel;
    return b;
}

}  // namespace ktrb

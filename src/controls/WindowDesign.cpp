#include "controls/WindowDesign.h"

#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/ui/comctrls.h"

namespace ktrb::design {

namespace {

plat::TComponent* Named(plat::TComponent* window, const char* name) {
    if (!*name) return window;
    return window->FindComponent(name);
}

[[noreturn]] void Fail(const std::string& what, const char* name) {
    throw plat::Exception(what + " '" + name + "'");
}

}  // namespace

void Build(plat::TWinControl* window, std::span<const Control> controls) {
    for (const Control& row : controls) {
        auto* parent = dynamic_cast<plat::TWinControl*>(Named(window, row.parent));
        if (!parent) Fail(std::string("No parent '") + row.parent + "' for", row.name);
        plat::TComponent* made = row.make(window);
        auto* c = dynamic_cast<plat::TControl*>(made);
        if (!c) {
            delete made;
            Fail("Not a control", row.name);
        }
        c->SetName(row.name);
        auto* sheet = dynamic_cast<plat::TTabSheet*>(c);
        auto* pages = dynamic_cast<plat::TPageControl*>(parent);
        if (sheet && pages) {
            sheet->SetPageControl(pages);
        } else {
            c->SetParent(parent);
            if (row.align == plat::TAlign::alNone) {
                if (row.bounds.Given())
                    c->SetBounds(row.bounds.left, row.bounds.top, row.bounds.width,
                                 row.bounds.height);
            } else {
                // Aligned first: a splitter turns itself to its new side.
                c->SetAlign(row.align);
                if (row.bounds.width > 0) c->SetWidth(row.bounds.width);
                if (row.bounds.height > 0) c->SetHeight(row.bounds.height);
            }
        }
        // Through the published property: a labelled edit's caption is its
        // label's, not the text the plain control would take.
        if (row.caption) {
            if (const plat::TPropInfo* caption = plat::GetPropInfo(c, "Caption"))
                plat::SetStrProp(c, *caption, row.caption);
            else
                c->SetCaption(row.caption);
        }
        if (row.tabOrder >= 0)
            if (auto* w = dynamic_cast<plat::TWinControl*>(c)) w->SetTabOrder(row.tabOrder);
    }
}

void Connect(plat::TComponent* window, std::span<const Handler> handlers) {
    for (const Handler& h : handlers) {
        plat::TComponent* c = Named(window, h.control);
        if (!c) Fail("No control", h.control);
        plat::SetMethodProp(c, h.event, h.bind(window));
    }
}

}  // namespace ktrb::design

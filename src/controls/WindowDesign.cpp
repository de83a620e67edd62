#include "controls/WindowDesign.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"

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
                if (row.bounds.Given()) {
                    auto own = [](int v, int current) { return v == kOwn ? current : v; };
                    c->SetBounds(own(row.bounds.left, c->Left()), own(row.bounds.top, c->Top()),
                                 own(row.bounds.width, c->Width()),
                                 own(row.bounds.height, c->Height()));
                }
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

void FieldsByName(plat::TComponent* window, std::span<const Control> controls) {
    for (const Control& row : controls) {
        plat::TComponent* c = window->FindComponent(row.name);
        if (!plat::IsPublishedProp(c, "DataField")) continue;
        const char* field = row.name;
        while (*field >= 'a' && *field <= 'z') ++field;
        plat::SetStrProp(c, "DataField", field);
    }
}

void Connect(plat::TComponent* window, std::span<const Handler> handlers) {
    for (const Handler& h : handlers) {
        plat::TComponent* c = Named(window, h.control);
        if (!c) Fail("No control", h.control);
        plat::SetMethodProp(c, h.event, h.bind(window));
    }
}

namespace {

// Where an item of the row's parent goes: a menu's top level or the item.
plat::TMenuItem* ItemsOf(plat::TComponent* parent) {
    if (auto* menu = dynamic_cast<plat::TMenu*>(parent)) return menu->Items();
    return dynamic_cast<plat::TMenuItem*>(parent);
}

}  // namespace

void Build(plat::TComponent* window, std::span<const Item> items) {
    auto dropDown = [window](plat::TToolButton* button, const char* name) {
        auto* menu = dynamic_cast<plat::TPopupMenu*>(window->FindComponent(name));
        if (!menu) return false;
        button->SetStyle(plat::TToolButtonStyle::tbsDropDown);
        button->SetDropdownMenu(menu);
        return true;
    };
    std::vector<std::pair<plat::TToolButton*, const char*>> later;
    for (const Item& row : items) {
        plat::TComponent* parent = *row.parent ? window->FindComponent(row.parent) : nullptr;
        if (*row.parent && !parent)
            Fail(std::string("No parent '") + row.parent + "' for", row.name);
        plat::TComponent* made = row.make(window);
        made->SetName(row.name);
        const bool line = row.text && std::string_view(row.text) == "-";
        if (auto* item = dynamic_cast<plat::TMenuItem*>(made)) {
            plat::TMenuItem* into = ItemsOf(parent);
            if (!into) {
                delete made;
                Fail("No menu or item to hold", row.name);
            }
            if (row.text) item->SetCaption(row.text);
            if (row.shortCut) item->SetShortCut(plat::TextToShortCut(row.shortCut));
            if (row.image >= 0) item->SetImageIndex(row.image);
            if (row.radioGroup) {
                item->SetRadioItem(true);
                item->SetGroupIndex(row.radioGroup);
            }
            if (row.insertAt >= 0)
                into->Insert(std::min(row.insertAt, into->Count()), item);
            else
                into->Add(item);
            if (row.checked) item->SetChecked(true);
            if (!row.visible) item->SetVisible(false);
        } else if (auto* button = dynamic_cast<plat::TToolButton*>(made)) {
            auto* bar = dynamic_cast<plat::TToolBar*>(parent);
            if (!bar) {
                delete made;
                Fail("No tool bar to hold", row.name);
            }
            button->SetParent(bar);
            if (line)
                button->SetStyle(plat::TToolButtonStyle::tbsSeparator);
            else if (row.text)
                button->SetHint(row.text);
            if (row.image >= 0) button->SetImageIndex(row.image);
            if (!row.visible) button->SetVisible(false);
            // At once when its menu is made: the buttons after it take
            // their places beside its arrow.
            if (*row.dropDown && !dropDown(button, row.dropDown))
                later.emplace_back(button, row.dropDown);
        } else if (!dynamic_cast<plat::TMenu*>(made) || parent) {
            delete made;
            Fail("Not a menu, an item or a tool button", row.name);
        }
        if (row.click) plat::SetMethodProp(made, "OnClick", row.click(window));
    }
    // A button's menu may be a later row of the table.
    for (auto [button, name] : later)
        if (!dropDown(button, name))
            Fail(std::string("No drop-down menu '") + name + "' for", button->Name().c_str());
}

}  // namespace ktrb::design

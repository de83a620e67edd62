// A window's design as data: constant tables of controls (kind, name,
// parent, bounds or alignment, caption, tab order) and of event handlers by
// event name, built into the window in one call. The window's behaviour
// stays in code; its look reads from the table.
//
//   const design::Control kControls[] = {
//       {"pnlTop", design::Make<plat::TPanel>, "", {}, "", plat::TAlign::alTop, 30},
//       {"btnOK", design::Field<&TfrmX::btnOK>, "pnlTop", {8, 4, 80, 25}, "确定"},
//   };
//   const design::Handler kEvents[] = {{"btnOK", "OnClick", design::On<&TfrmX::btnOKClick>}};
//   design::Build(this, kControls);
//   design::Connect(this, kEvents);
#pragma once
#include <climits>
#include <span>
#include <string>

#include "platform/component/events.h"
#include "platform/ui/controls.h"

namespace ktrb::design {

// Makes the component of a row, owned by the window.
using Maker = plat::TComponent* (*)(plat::TComponent* owner);

template <class T>
plat::TComponent* Make(plat::TComponent* owner) {
    return new T(owner);
}

namespace detail {
template <class M>
struct MemberOf;
template <class C, class T>
struct MemberOf<T * C::*> {
    using Window = C;
    using Type = T;
};
template <class M>
struct MethodOf;
template <class C, class R, class... A>
struct MethodOf<R (C::*)(A...)> {
    using Window = C;
    using EventType = plat::Event<A...>;
};
// The window as the class that declares a member; raises when it is not one.
template <class C>
C& WindowAs(plat::TObject* window) {
    return dynamic_cast<C&>(*window);
}
}  // namespace detail

// Makes the component and keeps it in the window's member.
template <auto Member>
plat::TComponent* Field(plat::TComponent* owner) {
    using M = detail::MemberOf<decltype(Member)>;
    auto& window = detail::WindowAs<typename M::Window>(owner);
    auto* c = new typename M::Type(owner);
    window.*Member = c;
    return c;
}

// In a row's bounds: the control keeps its own value there, as an edit
// given only its height: {kOwn, kOwn, kOwn, 24}.
inline constexpr int kOwn = INT_MIN;

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
    bool Given() const { return left || top || width || height; }
};

// One control. An aligned control takes only the width or height of its
// bounds (the one its alignment leaves free), a placed one those not kOwn;
// a tab sheet whose parent is a page control joins its pages.
struct Control {
    const char* name;
    Maker make;
    const char* parent = "";  // "" for the window itself
    Bounds bounds = {};
    const char* caption = nullptr;  // nullptr leaves the control's own
    plat::TAlign align = plat::TAlign::alNone;
    int tabOrder = -1;  // -1: the order of creation
};

// An event of a control ("" for the window) set to a handler of the window.
struct Handler {
    const char* control;
    const char* event;
    plat::EventHandle (*bind)(plat::TObject* window);
};

template <auto Method>
plat::EventHandle On(plat::TObject* window) {
    using M = detail::MethodOf<decltype(Method)>;
    return typename M::EventType(&detail::WindowAs<typename M::Window>(window), Method).Handle();
}

// Makes every row's control in order; a parent must come before its
// children. Raises plat::Exception naming the row for an unknown parent or a
// row that is not a control.
void Build(plat::TWinControl* window, std::span<const Control> controls);
// Gives each data-aware control of the rows the field its name ends in,
// past the name's lower-case prefix ("edTH013" shows TH013).
void FieldsByName(plat::TComponent* window, std::span<const Control> controls);
// Sets each handler; raises for an unknown control, an unknown event or a
// handler of another kind than the event.
void Connect(plat::TComponent* window, std::span<const Handler> handlers);

// ---- menu rows ----------------------------------------------------------------

// One menu, menu item or tool button. A menu (main or pop-up) has no parent;
// an item joins its parent, a menu's top level or an item, after the items
// already there or at its given place; a tool button joins its tool bar after
// the buttons already there. The text is an item's caption and a button's
// hint; "-" makes a menu's line or a tool bar's separator. An item's name may
// be "": the window then holds it only through its menu.
struct Item {
    const char* name;
    Maker make;
    const char* parent = "";
    const char* text = nullptr;
    int image = -1;
    plat::EventHandle (*click)(plat::TObject* window) = nullptr;  // OnClick
    const char* shortCut = nullptr;                               // as shown: "F5", "Ctrl+H"
    bool visible = true;
    const char* dropDown = "";  // a button's drop-down menu, from any row of the table
    int radioGroup = 0;         // an item's: 0 a plain item, else one of a group checked alone
    bool checked = false;
    int insertAt = -1;  // an item's place among its parent's items; -1: after them
};

// Makes every row's component in order; a parent must come before its items.
// Raises plat::Exception naming the row for an unknown parent or drop-down
// menu, a parent of another kind, or a row that is neither a menu, an item
// nor a tool button.
void Build(plat::TComponent* window, std::span<const Item> items);

}  // namespace ktrb::design

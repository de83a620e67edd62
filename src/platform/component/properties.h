// Published properties, published methods and items by index, registered per
// class and reached by name at run time: the property-by-name routines,
// language packages, user settings and the code-page converter walk objects
// through this registry only.
//
// Registering (in the .cpp that defines the class's members, at namespace
// scope in the class's namespace):
//
//   PLAT_PUBLISH(TEdit) {
//       p.Prop("Text", &TEdit::Text, &TEdit::SetText);       // string
//       p.Prop("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly);  // Boolean
//       p.Color("Color", &TEdit::Color, &TEdit::SetColor);    // TColor
//       p.Prop("Font", [](TEdit& e) { return e.Font(); });    // TFont* (class)
//       p.Prop("Style", &TEdit::Style, &TEdit::SetStyle);     // PLAT_ENUM type
//       p.Prop("OnChange", &TEdit::OnChange);                  // Event<...> field
//       p.Strings("Items", &TEdit::ItemLines, &TEdit::SetItemLines);
//       p.Method("edCodeExit", &TEdit::edCodeExit);
//       p.Indexed("Columns", &TEdit::ColumnCount, &TEdit::Column);
//   }
//
// Accessors are member functions, data members, or callables taking the
// object (T&) (and the value for setters). The kind and type follow the
// getter's value type:
//   std::string            string (tkLString "String"; "WideString" → tkWString)
//   bool                   Boolean (enumeration False, True)
//   char                   tkChar
//   integers               tkInteger "Integer" (64-bit: tkInt64) or the type
//                          named ("TColor", "TFontCharset", "TCursor")
//   float, double          tkFloat "Double" (or "TDateTime", ...)
//   PLAT_ENUM enumeration  tkEnumeration, its identifiers
//   PLAT_SET set           tkSet, "[a,b]" text
//   X* or X& (X a TObject) tkClass, type name X's class name (or the one given)
//   Event<A...>            tkMethod ("TNotifyEvent" for Event<TObject*>)
//   Variant                tkVariant
// A data member given alone is read and written directly; an embedded object
// member (TFont Font;) is written by Assign. Without a setter a property is
// read-only and writing it raises EPropertyError.
//
// Names are looked up without regard to case, in O(1) per class: each class
// keeps one flattened table of its own and its ancestors' properties (a
// later registration under the same name in a descendant overrides).
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <vector>

#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/component/typeinfo.h"
#include "platform/core/variant.h"

namespace plat {

// A published property: name, type, the class that published it and the
// type-erased accessors (one pair is set, matching the kind; an absent
// setter means read-only).
struct TPropInfo {
    std::string Name;
    const TTypeInfo* PropType = nullptr;
    const TClassInfo* Owner = nullptr;
    int Index = 0;  // position in the class's property list

    TTypeKind Kind() const { return PropType->Kind; }
    const std::string& TypeName() const { return PropType->Name; }
    bool IsStrings() const { return bool(getLines); }  // a TStrings-kind list of lines
    bool Writable() const;

    std::function<int64_t(TObject&)> getOrd;
    std::function<void(TObject&, int64_t)> setOrd;
    std::function<double(TObject&)> getFloat;
    std::function<void(TObject&, double)> setFloat;
    std::function<std::string(TObject&)> getStr;
    std::function<void(TObject&, const std::string&)> setStr;
    std::function<Variant(TObject&)> getVar;
    std::function<void(TObject&, const Variant&)> setVar;
    std::function<TObject*(TObject&)> getObj;
    std::function<void(TObject&, TObject*)> setObj;
    std::function<EventHandle(TObject&)> getMethod;
    std::function<void(TObject&, const EventHandle&)> setMethod;
    std::function<std::vector<std::string>(TObject&)> getLines;
    std::function<void(TObject&, const std::vector<std::string>&)> setLines;
};

// A published method: bound to an object it becomes an event handle, so it
// can be called by name or assigned to an event property by name.
struct TMethodInfo {
    std::string Name;
    const TClassInfo* Owner = nullptr;
    MemberId Member;
    std::function<EventHandle(TObject&)> bind;
};

// Items of an object by index under a name ("Items_3", "Columns_2").
struct TIndexedInfo {
    std::string Name;
    const TClassInfo* Owner = nullptr;
    std::function<int(TObject&)> count;
    std::function<TObject*(TObject&, int)> item;
};

// Registration; normally reached through Publisher and PLAT_PUBLISH.
void RegisterPropInfo(std::unique_ptr<TPropInfo> info);
void RegisterMethodInfo(std::unique_ptr<TMethodInfo> info);
void RegisterIndexedInfo(std::unique_ptr<TIndexedInfo> info);

// ---- Lookup ---------------------------------------------------------------

// nullptr when the class (or object) is null or has no such property.
const TPropInfo* GetPropInfo(const TClassInfo* cls, std::string_view name);
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name);
// Raises EPropertyError ("Property X does not exist") instead.
const TPropInfo& FindPropInfo(const TObject* obj, std::string_view name);
// Own and inherited properties, ancestors' first, in registration order.
std::vector<const TPropInfo*> GetPropList(const TClassInfo* cls);
bool IsPublishedProp(const TObject* obj, std::string_view name);
bool IsPublishedProp(const TClassInfo* cls, std::string_view name);
// The kind of a property; raises EPropertyError when it does not exist.
TTypeKind PropType(const TObject* obj, std::string_view name);
bool PropIsType(const TObject* obj, std::string_view name, TTypeKind kind);

// ---- Values ---------------------------------------------------------------
// All raise EPropertyError for a missing object or property, a read-only
// property written, or a value of the wrong kind (EPropertyConvertError for
// an unknown identifier or a text that is not a number).

// As a variant: integers as integers, Boolean as Boolean, enumerations as
// their identifier, sets as "[a,b]", floats, strings, variants; a TStrings
// list as its text (lines joined by CR LF). Writing accepts identifiers for
// enumerations, sets and integer types with identifiers (clRed), and numbers.
Variant GetPropValue(TObject* obj, std::string_view name);
Variant GetPropValue(TObject* obj, const TPropInfo& prop);
void SetPropValue(TObject* obj, std::string_view name, const Variant& value);
void SetPropValue(TObject* obj, const TPropInfo& prop, const Variant& value);

// Strings: string kinds directly; other value kinds through their text.
std::string GetStrProp(TObject* obj, std::string_view name);
std::string GetStrProp(TObject* obj, const TPropInfo& prop);
void SetStrProp(TObject* obj, std::string_view name, const std::string& value);
void SetStrProp(TObject* obj, const TPropInfo& prop, const std::string& value);
// Ordinals: integers, chars, enumerations (ordinal), sets (bit mask).
int64_t GetOrdProp(TObject* obj, std::string_view name);
int64_t GetOrdProp(TObject* obj, const TPropInfo& prop);
void SetOrdProp(TObject* obj, std::string_view name, int64_t value);
void SetOrdProp(TObject* obj, const TPropInfo& prop, int64_t value);
double GetFloatProp(TObject* obj, std::string_view name);
void SetFloatProp(TObject* obj, std::string_view name, double value);
std::string GetEnumProp(TObject* obj, std::string_view name);
void SetEnumProp(TObject* obj, std::string_view name, std::string_view ident);
std::string GetSetProp(TObject* obj, std::string_view name, bool brackets = true);
void SetSetProp(TObject* obj, std::string_view name, std::string_view text);
Variant GetVariantProp(TObject* obj, std::string_view name);
void SetVariantProp(TObject* obj, std::string_view name, const Variant& value);
// Class-typed properties: the object held (nullptr when none).
TObject* GetObjectProp(TObject* obj, std::string_view name);
TObject* GetObjectProp(TObject* obj, const TPropInfo& prop);
void SetObjectProp(TObject* obj, std::string_view name, TObject* value);
// Events: the handle (empty when no handler); writing an empty handle clears.
EventHandle GetMethodProp(TObject* obj, std::string_view name);
EventHandle GetMethodProp(TObject* obj, const TPropInfo& prop);
void SetMethodProp(TObject* obj, std::string_view name, const EventHandle& handler);
void SetMethodProp(TObject* obj, const TPropInfo& prop, const EventHandle& handler);
// TStrings-kind lists of lines.
std::vector<std::string> GetStringsProp(TObject* obj, std::string_view name);
void SetStringsProp(TObject* obj, std::string_view name, const std::vector<std::string>& lines);
// Sets the line at index; the index just past the last line appends one, an
// index further out raises EPropertyError; a negative index changes nothing.
void SetStringsItem(TObject* obj, const TPropInfo& prop, int index, const std::string& value);

// ---- Published methods ----------------------------------------------------

// The method bound to obj (an empty handle when obj is null or has no such
// published method).
EventHandle MethodAddress(TObject* obj, std::string_view name);
// The published name of a handler bound to obj ("" when it is none of them).
std::string MethodName(const TObject* obj, const EventHandle& handler);
// Calls a published method by name; raises EPropertyError when obj has no
// such method or its parameters differ from Args.
//   CallMethodByName<TObject*>(form, "miViewListClick", form);
template <class... Args>
void CallMethodByName(TObject* obj, std::string_view name, std::type_identity_t<Args>... args);

// ---- Items by index -------------------------------------------------------

// A collection's items under any name; otherwise the items the class
// publishes under that name. -1 / nullptr when there are none, nullptr also
// when the index is out of range.
int GetIndexedCount(TObject* obj, std::string_view name);
TObject* GetIndexedItem(TObject* obj, std::string_view name, int index);

// ---- Paths ----------------------------------------------------------------

// One segment of a dotted path: "Font", or "Items_3" (name and the decimal
// number after the first "_"). Blanks around the segment are trimmed.
struct TPathSegment {
    std::string Name;
    int Index = -1;  // -1: no index
    bool HasIndex() const { return Index >= 0; }
};
TPathSegment ParsePathSegment(std::string_view segment);
// The object one segment leads to: an indexed segment gives the item,
// a plain one the object held by the class-typed property; nullptr if none.
TObject* GetSubObject(TObject* obj, std::string_view segment);
// Walks every segment but the last ("Columns.Items_1.Title.Caption" gives
// the title object and "Caption"); nullptr when a step leads nowhere.
TObject* ResolvePropPath(TObject* root, std::string_view path, std::string* lastName);
// Read and write by path; raise EPropertyError when the path leads nowhere.
Variant GetPropValueByPath(TObject* root, std::string_view path);
void SetPropValueByPath(TObject* root, std::string_view path, const Variant& value);

// ---- Registration helpers -------------------------------------------------

namespace detail {

template <class T>
struct IsEvent : std::false_type {};
template <class... A>
struct IsEvent<Event<A...>> : std::true_type {};
template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {};

template <class V>
concept HasTypeInfo = requires {
    PlatTypeInfo(static_cast<V*>(nullptr));
};

[[noreturn]] void ThrowNoSetTypeName();
[[noreturn]] void ThrowNoMethod(const TObject* obj, std::string_view name);
[[noreturn]] void ThrowWrongClass(const TObject* value, std::string_view prop);

}  // namespace detail

template <class T>
class Publisher {
  public:
    explicit Publisher(const TClassInfo* cls = T::StaticClass()) : cls_(cls) {}

    template <class G, class S = std::nullptr_t>
    Publisher& Prop(std::string_view name, G get, S set = nullptr, std::string_view typeName = {});

    template <class G, class S = std::nullptr_t>
    Publisher& Color(std::string_view name, G get, S set = nullptr) {
        return Prop(name, get, set, "TColor");
    }
    template <class G, class S = std::nullptr_t>
    Publisher& Charset(std::string_view name, G get, S set = nullptr) {
        return Prop(name, get, set, "TFontCharset");
    }

    // A TStrings-kind property as lines: get(T&) → std::vector<std::string>,
    // set(T&, const std::vector<std::string>&); or get(T&) → TStringList& (or
    // TStringList*) alone, the list being read and written in place.
    template <class G, class S = std::nullptr_t>
    Publisher& Strings(std::string_view name, G get, S set = nullptr,
                       std::string_view typeName = "TStrings");

    // A published method (an event handler) of the class or an ancestor.
    template <class C, class R, class... A>
    Publisher& Method(std::string_view name, R (C::*member)(A...));

    // Items by index: count(T&) → int, item(T&, int) → X* (X a TObject).
    template <class C, class I>
    Publisher& Indexed(std::string_view name, C count, I item);

  private:
    static T& self(TObject& o) { return static_cast<T&>(o); }
    std::unique_ptr<TPropInfo> newProp(std::string_view name, const TTypeInfo* type) {
        auto info = std::make_unique<TPropInfo>();
        info->Name = std::string(name);
        info->PropType = type;
        info->Owner = cls_;
        return info;
    }
    template <class V>
    const TTypeInfo* typeFor(std::string_view typeName);

    const TClassInfo* cls_;
};

// Runs a class's registration function once, at start-up.
template <class T>
struct ClassPublisher {
    explicit ClassPublisher(void (*publish)(Publisher<T>&)) {
        Publisher<T> p;
        publish(p);
    }
};

}  // namespace plat

// Opens the registration body of a class; the publisher is named p.
#define PLAT_PUBLISH(Class)                                                            \
    static void PlatPublish_##Class(::plat::Publisher<Class>& p);                      \
    [[maybe_unused]] static const ::plat::ClassPublisher<Class> platPublisher_##Class( \
        &PlatPublish_##Class);                                                         \
    static void PlatPublish_##Class(::plat::Publisher<Class>& p)

#include "platform/component/properties_impl.h"

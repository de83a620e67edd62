// Run-time type information of published properties: the kind of a type
// (numbered as the component library numbers them), its name, and what is
// needed to turn values into text and back: enumeration identifiers, the
// element type of a set, and the identifier maps of integer types such as
// colours, font character sets and cursors (clRed, GB2312_CHARSET).
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/exceptions.h"

namespace plat {

class TClassInfo;

enum class TTypeKind : int {
    tkUnknown = 0,
    tkInteger = 1,
    tkChar = 2,
    tkEnumeration = 3,
    tkFloat = 4,
    tkString = 5,
    tkSet = 6,
    tkClass = 7,
    tkMethod = 8,
    tkWChar = 9,
    tkLString = 10,
    tkWString = 11,
    tkVariant = 12,
    tkArray = 13,
    tkRecord = 14,
    tkInterface = 15,
    tkInt64 = 16,
    tkDynArray = 17,
};

// A value that does not fit its property (an unknown identifier, a bad set
// text, a number where an identifier is required).
class EPropertyConvertError : public EPropertyError {
  public:
    using EPropertyError::EPropertyError;
    const char* ClassName() const override { return "EPropertyConvertError"; }
};

// A named type. Types are registered once and live for the whole run; they
// are compared by address.
class TTypeInfo {
  public:
    TTypeKind Kind = TTypeKind::tkUnknown;
    std::string Name;
    // Enumeration: identifiers by ordinal, from 0.
    std::vector<std::string> EnumNames;
    // Set: the enumeration of its elements (at most 32).
    const TTypeInfo* CompType = nullptr;
    // Integer types with identifiers (colours, charsets, cursors).
    std::vector<std::pair<std::string, int64_t>> Idents;
    // Class kind: the class, when it has run-time identity.
    const TClassInfo* ClassType = nullptr;
};

// Looks a registered type up by name (case-insensitive); nullptr if unknown.
const TTypeInfo* FindTypeInfo(std::string_view name);
// The type of that name; registers a plain one of the kind when unknown.
// Raises EPropertyError when the name is registered with another kind.
const TTypeInfo* TypeInfoOf(TTypeKind kind, std::string_view name);
// Registers an enumeration; identifiers given as one comma-separated text
// ("csDropDown, csSimple") or as a list. Registering the same name again with
// the same identifiers gives the same type; other identifiers raise.
const TTypeInfo* RegisterEnumType(std::string_view name, std::string_view commaIdents);
const TTypeInfo* RegisterEnumType(std::string_view name, std::vector<std::string> idents);
const TTypeInfo* RegisterSetType(std::string_view name, const TTypeInfo* elementEnum);
// An integer type with identifiers for some of its values.
const TTypeInfo* RegisterIntegerType(std::string_view name,
                                     std::vector<std::pair<std::string, int64_t>> idents);

// Built-in types.
const TTypeInfo* BooleanType();  // enumeration False, True
const TTypeInfo* ColorType();    // "TColor": clRed, clBtnFace, ...
const TTypeInfo* CharsetType();  // "TFontCharset": GB2312_CHARSET, ...
const TTypeInfo* CursorType();   // "TCursor": crDefault, crHourGlass, ...

// Enumerations: identifier of an ordinal ("" when out of range) and ordinal
// of an identifier, case-insensitive (-1 when unknown).
std::string GetEnumName(const TTypeInfo* enumType, int64_t value);
int64_t GetEnumValue(const TTypeInfo* enumType, std::string_view name);
// Sets as text: "[fsBold,fsItalic]" (no brackets when brackets is false).
std::string SetToString(const TTypeInfo* setType, uint32_t value, bool brackets = true);
// Accepts the text with or without brackets, blanks around identifiers;
// raises EPropertyConvertError for an unknown identifier.
uint32_t StringToSet(const TTypeInfo* setType, std::string_view text);

// Identifier maps of integer types (case-insensitive identifiers).
bool IdentToInt(const TTypeInfo* type, std::string_view ident, int64_t& value);
bool IntToIdent(const TTypeInfo* type, int64_t value, std::string& ident);
// Colours: IdentToInt / IntToIdent with ColorType() (the colour texts with
// numbers, ColorToString and StringToColor, belong to the graphics).
// Font character sets (GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136).
bool IdentToCharset(std::string_view ident, int32_t& charset);
bool CharsetToIdent(int32_t charset, std::string& ident);

// The type information of a C++ enumeration or set type, found through the
// PlatTypeInfo function that PLAT_ENUM or PLAT_SET declares beside the type.
template <class E>
const TTypeInfo* TypeInfoFor() {
    return PlatTypeInfo(static_cast<E*>(nullptr));
}

// A set of up to 32 elements of an enumeration, as a bit mask.
template <class E>
class TSet {
  public:
    using element_type = E;
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items) bits_ |= bit(e);
    }
    static constexpr TSet FromBits(uint32_t bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr uint32_t Bits() const { return bits_; }
    constexpr bool Contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& Include(E e) {
        bits_ |= bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e) {
        bits_ &= ~bit(e);
        return *this;
    }
    constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr TSet operator+(E e) const { return FromBits(bits_ | bit(e)); }
    constexpr TSet operator-(E e) const { return FromBits(bits_ & ~bit(e)); }
    constexpr bool operator==(const TSet&) const = default;

  private:
    static constexpr uint32_t bit(E e) { return uint32_t(1) << static_cast<unsigned>(e); }
    uint32_t bits_ = 0;
};

}  // namespace plat

// Declares an enumeration with run-time identifiers, at namespace scope:
//   PLAT_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, ...)
// Values run from 0 in the order given.
#define PLAT_ENUM(Name, ...)         \
    enum Name : int { __VA_ARGS__ }; \
    PLAT_ENUM_INFO(Name, __VA_ARGS__)

// Gives an existing enumeration (plain or scoped, values from 0 in order)
// its run-time identifiers; put it in the enumeration's namespace.
#define PLAT_ENUM_INFO(Name, ...)                                                             \
    inline const ::plat::TTypeInfo* PlatTypeInfo(Name*) {                                     \
        static const ::plat::TTypeInfo* info = ::plat::RegisterEnumType(#Name, #__VA_ARGS__); \
        return info;                                                                          \
    }

// Declares a set type over a PLAT_ENUM enumeration:
//   PLAT_SET(TFontStyles, TFontStyle)
#define PLAT_SET(Name, Element)                                             \
    using Name = ::plat::TSet<Element>;                                     \
    inline const ::plat::TTypeInfo* PlatTypeInfo(Name*) {                   \
        static const ::plat::TTypeInfo* info =                              \
            ::plat::RegisterSetType(#Name, ::plat::TypeInfoFor<Element>()); \
        return info;                                                        \
    }

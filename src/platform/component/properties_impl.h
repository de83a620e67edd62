// Template part of properties.h: how Publisher turns accessors into the
// type-erased accessors of TPropInfo. Include properties.h, not this file.
#pragma once
#include <concepts>
#include <functional>
#include <utility>

#include "platform/core/stringlist.h"

namespace plat {
namespace detail {

template <class V>
constexpr bool IsOrdinalValue = std::is_integral_v<V> || std::is_enum_v<V> || IsSet<V>::value;

template <class V>
int64_t ToOrd(const V& v) {
    if constexpr (std::is_same_v<V, bool>)
        return v ? 1 : 0;
    else if constexpr (std::is_same_v<V, char>)
        return static_cast<unsigned char>(v);
    else if constexpr (IsSet<V>::value)
        return v.Bits();
    else
        return static_cast<int64_t>(v);
}

[[noreturn]] void ThrowOutOfRange(int64_t value, std::string_view typeName);

template <class V>
V FromOrd(int64_t n) {
    if constexpr (std::is_same_v<V, bool>)
        return n != 0;
    else if constexpr (std::is_same_v<V, char>)
        return static_cast<char>(n);
    else if constexpr (IsSet<V>::value)
        return V::FromBits(static_cast<uint32_t>(n));
    else if constexpr (std::is_enum_v<V>)
        return static_cast<V>(n);
    else {
        if (!std::in_range<V>(n)) ThrowOutOfRange(n, "integer");
        return static_cast<V>(n);
    }
}

// The class a class-kind value points at (X for X* and X&).
template <class R>
using ObjectOf = std::remove_cvref_t<std::remove_pointer_t<std::remove_cvref_t<R>>>;

template <class R>
constexpr bool IsObjectValue = std::is_base_of_v<TObject, ObjectOf<R>> &&
                               (std::is_pointer_v<std::remove_cvref_t<R>> ||
                                std::is_lvalue_reference_v<R>);

template <class R>
TObject* ObjectPtr(R&& r) {
    if constexpr (std::is_pointer_v<std::remove_cvref_t<R>>)
        return const_cast<ObjectOf<R>*>(r);
    else
        return const_cast<ObjectOf<R>*>(&r);
}

const TTypeInfo* ClassTypeInfo(const TClassInfo* cls, std::string_view typeName);

}  // namespace detail

template <class T>
template <class V>
const TTypeInfo* Publisher<T>::typeFor(std::string_view typeName) {
    if constexpr (std::is_same_v<V, std::string>) {
        if (!typeName.empty() && FindTypeInfo(typeName) &&
            FindTypeInfo(typeName)->Kind == TTypeKind::tkWString)
            return FindTypeInfo(typeName);
        return TypeInfoOf(TTypeKind::tkLString, typeName.empty() ? "String" : typeName);
    } else if constexpr (std::is_same_v<V, bool>) {
        return BooleanType();
    } else if constexpr (std::is_same_v<V, char>) {
        return TypeInfoOf(TTypeKind::tkChar, "Char");
    } else if constexpr (std::is_enum_v<V>) {
        static_assert(detail::HasTypeInfo<V>,
                      "declare the enumeration with PLAT_ENUM or PLAT_ENUM_INFO");
        return TypeInfoFor<V>();
    } else if constexpr (detail::IsSet<V>::value) {
        if constexpr (detail::HasTypeInfo<V>) {
            return TypeInfoFor<V>();
        } else {
            if (typeName.empty()) detail::ThrowNoSetTypeName();
            return RegisterSetType(typeName, TypeInfoFor<typename V::element_type>());
        }
    } else if constexpr (std::is_integral_v<V>) {
        TTypeKind kind = sizeof(V) > 4 ? TTypeKind::tkInt64 : TTypeKind::tkInteger;
        return TypeInfoOf(kind, !typeName.empty() ? typeName : sizeof(V) > 4 ? "Int64" : "Integer");
    } else if constexpr (std::is_floating_point_v<V>) {
        return TypeInfoOf(TTypeKind::tkFloat, typeName.empty() ? "Double" : typeName);
    } else if constexpr (std::is_same_v<V, Variant>) {
        return TypeInfoOf(TTypeKind::tkVariant, "Variant");
    } else if constexpr (detail::IsEvent<V>::value) {
        constexpr bool notify = std::is_same_v<V, Event<TObject*>>;
        return TypeInfoOf(TTypeKind::tkMethod, !typeName.empty() ? typeName
                                               : notify          ? "TNotifyEvent"
                                                                 : "TMethod");
    } else {
        static_assert(sizeof(V) == 0, "unsupported property value type");
    }
}

template <class T>
template <class G, class S>
Publisher<T>& Publisher<T>::Prop(std::string_view name, G get, S set, std::string_view typeName) {
    using R = std::invoke_result_t<G&, T&>;
    constexpr bool hasSet = !std::is_null_pointer_v<S>;

    if constexpr (detail::IsObjectValue<R>) {
        using X = detail::ObjectOf<R>;
        auto info = newProp(name, detail::ClassTypeInfo(X::StaticClass(), typeName));
        info->getObj = [get](TObject& o) -> TObject* {
            return detail::ObjectPtr(std::invoke(get, self(o)));
        };
        if constexpr (hasSet) {
            info->setObj = [set, propName = info->Name](TObject& o, TObject* v) {
                auto* x = dynamic_cast<X*>(v);
                if (v && !x) detail::ThrowWrongClass(v, propName);
                if constexpr (std::is_invocable_v<S&, T&, X*>)
                    std::invoke(set, self(o), x);
                else {
                    if (!x) detail::ThrowWrongClass(v, propName);
                    std::invoke(set, self(o), *x);
                }
            };
        } else if constexpr (std::is_lvalue_reference_v<R> &&
                             !std::is_const_v<std::remove_reference_t<R>> &&
                             std::is_base_of_v<TPersistent, X>) {
            // An embedded object is written by copying the value into it.
            info->setObj = [get](TObject& o, TObject* v) {
                std::invoke(get, self(o)).Assign(dynamic_cast<TPersistent*>(v));
            };
        }
        RegisterPropInfo(std::move(info));
        return *this;
    } else {
        using V = std::remove_cvref_t<R>;
        constexpr bool direct = std::is_member_object_pointer_v<G> && !hasSet &&
                                !std::is_const_v<std::remove_reference_t<R>>;
        auto info = newProp(name, typeFor<V>(typeName));
        auto write = [get, set](T& t, V value) {
            if constexpr (hasSet)
                std::invoke(set, t, std::move(value));
            else if constexpr (direct)
                std::invoke(get, t) = std::move(value);
        };
        constexpr bool writable = hasSet || direct;
        if constexpr (std::is_same_v<V, std::string>) {
            info->getStr = [get](TObject& o) -> std::string { return std::invoke(get, self(o)); };
            if constexpr (writable)
                info->setStr = [write](TObject& o, const std::string& v) { write(self(o), v); };
        } else if constexpr (detail::IsOrdinalValue<V>) {
            info->getOrd = [get](TObject& o) -> int64_t {
                return detail::ToOrd<V>(std::invoke(get, self(o)));
            };
            if constexpr (writable)
                info->setOrd = [write](TObject& o, int64_t v) {
                    write(self(o), detail::FromOrd<V>(v));
                };
        } else if constexpr (std::is_floating_point_v<V>) {
            info->getFloat = [get](TObject& o) -> double { return std::invoke(get, self(o)); };
            if constexpr (writable)
                info->setFloat = [write](TObject& o, double v) {
                    write(self(o), static_cast<V>(v));
                };
        } else if constexpr (std::is_same_v<V, Variant>) {
            info->getVar = [get](TObject& o) -> Variant { return std::invoke(get, self(o)); };
            if constexpr (writable)
                info->setVar = [write](TObject& o, const Variant& v) { write(self(o), v); };
        } else if constexpr (detail::IsEvent<V>::value) {
            info->getMethod = [get](TObject& o) -> EventHandle {
                return std::invoke(get, self(o)).Handle();
            };
            if constexpr (writable)
                info->setMethod = [write](TObject& o, const EventHandle& h) {
                    write(self(o), V(h));
                };
        }
        RegisterPropInfo(std::move(info));
        return *this;
    }
}

template <class T>
template <class G, class S>
Publisher<T>& Publisher<T>::Strings(std::string_view name, G get, S set,
                                    std::string_view typeName) {
    using R = std::invoke_result_t<G&, T&>;
    using L = std::remove_cvref_t<std::remove_pointer_t<std::remove_cvref_t<R>>>;
    auto info = newProp(name, TypeInfoOf(TTypeKind::tkClass, typeName));
    if constexpr (std::is_same_v<L, TStringList>) {
        // A string list held by the object: read and written in place.
        static_assert(std::is_null_pointer_v<S>, "a TStringList property is written in place");
        auto list = [get](TObject& o) -> TStringList& {
            if constexpr (std::is_pointer_v<std::remove_cvref_t<R>>)
                return *std::invoke(get, self(o));
            else
                return const_cast<TStringList&>(std::invoke(get, self(o)));
        };
        info->getLines = [list](TObject& o) {
            const TStringList& l = list(o);
            std::vector<std::string> lines;
            lines.reserve(l.Count());
            for (int i = 0; i < l.Count(); ++i) lines.push_back(l.Strings(i));
            return lines;
        };
        info->setLines = [list](TObject& o, const std::vector<std::string>& lines) {
            TStringList& l = list(o);
            l.Clear();
            for (const auto& line : lines) l.Add(line);
        };
    } else {
        info->getLines = [get](TObject& o) -> std::vector<std::string> {
            return std::vector<std::string>(std::invoke(get, self(o)));
        };
        if constexpr (!std::is_null_pointer_v<S>)
            info->setLines = [set](TObject& o, const std::vector<std::string>& lines) {
                std::invoke(set, self(o), lines);
            };
    }
    RegisterPropInfo(std::move(info));
    return *this;
}

template <class T>
template <class C, class R, class... A>
Publisher<T>& Publisher<T>::Method(std::string_view name, R (C::*member)(A...)) {
    static_assert(std::is_base_of_v<C, T>, "the method must belong to the class or an ancestor");
    auto info = std::make_unique<TMethodInfo>();
    info->Name = std::string(name);
    info->Owner = cls_;
    info->Member = MemberId::Of(member);
    info->bind = [member](TObject& o) -> EventHandle {
        return Event<A...>(static_cast<C*>(&self(o)), member).Handle();
    };
    RegisterMethodInfo(std::move(info));
    return *this;
}

template <class T>
template <class C, class I>
Publisher<T>& Publisher<T>::Indexed(std::string_view name, C count, I item) {
    auto info = std::make_unique<TIndexedInfo>();
    info->Name = std::string(name);
    info->Owner = cls_;
    info->count = [count](TObject& o) -> int {
        return static_cast<int>(std::invoke(count, self(o)));
    };
    info->item = [item](TObject& o, int i) -> TObject* {
        return detail::ObjectPtr(std::invoke(item, self(o), i));
    };
    RegisterIndexedInfo(std::move(info));
    return *this;
}

template <class... Args>
void CallMethodByName(TObject* obj, std::string_view name, std::type_identity_t<Args>... args) {
    EventHandle h = MethodAddress(obj, name);
    if (!h) detail::ThrowNoMethod(obj, name);
    Event<Args...> handler(h);
    handler(std::forward<Args>(args)...);
}

}  // namespace plat

#include "platform/component/properties.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "platform/component/collection.h"
#include "platform/component/detail/nocase.h"

namespace plat {

template <class V>
using NoCaseMap = std::unordered_map<std::string_view, V, detail::NoCaseHash, detail::NoCaseEqual>;

// The flattened table of a class: its own and its ancestors' entries. Keys
// view the names held by the entries, which live as long as the registry.
struct TClassTable {
    unsigned generation = 0;
    NoCaseMap<const TPropInfo*> props;
    std::vector<const TPropInfo*> list;
    NoCaseMap<const TMethodInfo*> methods;
    NoCaseMap<const TIndexedInfo*> indexed;
};

namespace {

struct OwnEntries {
    std::vector<std::unique_ptr<TPropInfo>> props;
    std::vector<std::unique_ptr<TMethodInfo>> methods;
    std::vector<std::unique_ptr<TIndexedInfo>> indexed;
};

class Registry {
  public:
    static Registry& Get() {
        static Registry r;
        return r;
    }

    template <class Info>
    void add(std::unique_ptr<Info> info) {
        std::lock_guard lock(mu_);
        auto& own = own_[info->Owner];
        if constexpr (std::is_same_v<Info, TPropInfo>) {
            info->Index = (int)own.props.size();
            own.props.push_back(std::move(info));
        } else if constexpr (std::is_same_v<Info, TMethodInfo>) {
            own.methods.push_back(std::move(info));
        } else {
            own.indexed.push_back(std::move(info));
        }
        generation_.fetch_add(1, std::memory_order_release);
    }

    const TClassTable* table(const TClassInfo* cls) {
        const TClassTable* t = cls->table_.load(std::memory_order_acquire);
        if (t && t->generation == generation_.load(std::memory_order_acquire)) return t;
        std::lock_guard lock(mu_);
        return build(cls);
    }

  private:
    // Called with the lock held.
    const TClassTable* build(const TClassInfo* cls) {
        unsigned gen = generation_.load(std::memory_order_acquire);
        const TClassTable* cached = cls->table_.load(std::memory_order_acquire);
        if (cached && cached->generation == gen) return cached;
        auto t = std::make_unique<TClassTable>();
        t->generation = gen;
        if (cls->Parent()) {
            const TClassTable* parent = build(cls->Parent());
            t->props = parent->props;
            t->list = parent->list;
            t->methods = parent->methods;
            t->indexed = parent->indexed;
        }
        if (auto it = own_.find(cls); it != own_.end()) {
            for (auto& p : it->second.props) {
                auto [pos, added] = t->props.try_emplace(p->Name, p.get());
                if (added) {
                    t->list.push_back(p.get());
                } else {
                    // A descendant re-publishing a name replaces it in place.
                    std::replace(t->list.begin(), t->list.end(), pos->second,
                                 (const TPropInfo*)p.get());
                    pos->second = p.get();
                }
            }
            for (auto& m : it->second.methods) t->methods.insert_or_assign(m->Name, m.get());
            for (auto& x : it->second.indexed) t->indexed.insert_or_assign(x->Name, x.get());
        }
        const TClassTable* raw = t.get();
        built_.push_back(std::move(t));  // kept: readers may still hold an older table
        cls->table_.store(raw, std::memory_order_release);
        return raw;
    }

    std::mutex mu_;
    std::atomic<unsigned> generation_{1};
    std::unordered_map<const TClassInfo*, OwnEntries> own_;
    std::vector<std::unique_ptr<TClassTable>> built_;
};

const TClassTable* tableOf(const TObject* obj) {
    return Registry::Get().table(obj->ClassInfo());
}

[[noreturn]] void noProperty(std::string_view name) {
    throw EPropertyError("Property " + std::string(name) + " does not exist");
}

TObject& need(TObject* obj, std::string_view name) {
    if (!obj)
        throw EPropertyError("Cannot access property " + std::string(name) + " of a nil object");
    return *obj;
}

[[noreturn]] void readOnly(const TPropInfo& p) {
    throw EPropertyError("Property " + p.Name + " is read-only");
}

[[noreturn]] void wrongKind(const TPropInfo& p, const char* what) {
    throw EPropertyError("Property " + p.Name + " (" + p.TypeName() + ") is not " + what);
}

[[noreturn]] void badValue(const TPropInfo& p, const Variant& v) {
    std::string text;
    try {
        text = VarToStr(v);
    } catch (...) {
        text = VarTypeName(v.Type());
    }
    throw EPropertyConvertError("Invalid property value '" + text + "' for " + p.Name + " (" +
                                p.TypeName() + ")");
}

bool isStringKind(TTypeKind k) {
    return k == TTypeKind::tkLString || k == TTypeKind::tkString || k == TTypeKind::tkWString;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

// Lines of a text: CR LF, LF or CR end a line; a final break adds no line.
std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        out.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) out.emplace_back(text.substr(start));
    return out;
}

// Checks an ordinal against its type before it is written.
void checkOrd(const TPropInfo& p, int64_t v) {
    const TTypeInfo* t = p.PropType;
    bool ok = true;
    if (t->Kind == TTypeKind::tkEnumeration)
        ok = v >= 0 && v < (int64_t)t->EnumNames.size();
    else if (t->Kind == TTypeKind::tkSet)
        ok = v >= 0 &&
             (t->CompType->EnumNames.size() >= 32 || (v >> t->CompType->EnumNames.size()) == 0);
    else if (t->Kind == TTypeKind::tkChar)
        ok = v >= 0 && v <= 255;
    if (!ok) detail::ThrowOutOfRange(v, t->Name);
}

int64_t ordFromVariant(const TPropInfo& p, const Variant& v) {
    const TTypeInfo* t = p.PropType;
    if (v.IsArray() || v.IsNull() || v.IsDispatch()) badValue(p, v);
    if (v.IsText()) {
        const std::string& s = v.RawText();
        switch (t->Kind) {
            case TTypeKind::tkEnumeration: {
                int64_t n = GetEnumValue(t, s);
                if (n >= 0) return n;
                break;
            }
            case TTypeKind::tkSet:
                return StringToSet(t, s);
            case TTypeKind::tkChar:
                return s.empty() ? 0 : (unsigned char)s[0];
            default: {
                int64_t n;
                if (IdentToInt(t, s, n)) return n;
                break;
            }
        }
    }
    if (v.Type() == VarType::Boolean) return v.AsBoolean() ? 1 : 0;
    try {
        return v.AsInt64();
    } catch (const EVariantError&) {
        badValue(p, v);
    }
}

}  // namespace

namespace detail {

void ThrowNoSetTypeName() {
    throw EPropertyError("A set property needs its type name");
}

void ThrowNoMethod(const TObject* obj, std::string_view name) {
    throw EPropertyError("Method " + std::string(name) + " does not exist" +
                         (obj ? " in " + obj->ClassName() : std::string()));
}

void ThrowWrongClass(const TObject* value, std::string_view prop) {
    throw EPropertyError(
        "Invalid property value: " + (value ? value->ClassName() : std::string("nil")) + " for " +
        std::string(prop));
}

void ThrowOutOfRange(int64_t value, std::string_view typeName) {
    throw EPropertyConvertError("Value " + std::to_string(value) + " out of range for " +
                                std::string(typeName));
}

const TTypeInfo* ClassTypeInfo(const TClassInfo* cls, std::string_view typeName) {
    const TTypeInfo* t = TypeInfoOf(TTypeKind::tkClass, typeName.empty() ? cls->Name() : typeName);
    if (!t->ClassType && SameTextAscii(t->Name, cls->Name()))
        const_cast<TTypeInfo*>(t)->ClassType = cls;
    return t;
}

}  // namespace detail

bool TPropInfo::Writable() const {
    return setOrd || setFloat || setStr || setVar || setObj || setMethod || setLines;
}

void RegisterPropInfo(std::unique_ptr<TPropInfo> info) {
    Registry::Get().add(std::move(info));
}
void RegisterMethodInfo(std::unique_ptr<TMethodInfo> info) {
    Registry::Get().add(std::move(info));
}
void RegisterIndexedInfo(std::unique_ptr<TIndexedInfo> info) {
    Registry::Get().add(std::move(info));
}

// ---- Lookup ---------------------------------------------------------------

const TPropInfo* GetPropInfo(const TClassInfo* cls, std::string_view name) {
    if (!cls) return nullptr;
    const auto& props = Registry::Get().table(cls)->props;
    auto it = props.find(name);
    return it == props.end() ? nullptr : it->second;
}

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) {
    return obj ? GetPropInfo(obj->ClassInfo(), name) : nullptr;
}

const TPropInfo& FindPropInfo(const TObject* obj, std::string_view name) {
    if (!obj) need(nullptr, name);
    const TPropInfo* p = GetPropInfo(obj, name);
    if (!p) noProperty(name);
    return *p;
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo* cls) {
    return cls ? Registry::Get().table(cls)->list : std::vector<const TPropInfo*>{};
}

bool IsPublishedProp(const TObject* obj, std::string_view name) {
    return GetPropInfo(obj, name) != nullptr;
}
bool IsPublishedProp(const TClassInfo* cls, std::string_view name) {
    return GetPropInfo(cls, name) != nullptr;
}

TTypeKind PropType(const TObject* obj, std::string_view name) {
    return FindPropInfo(obj, name).Kind();
}

bool PropIsType(const TObject* obj, std::string_view name, TTypeKind kind) {
    return PropType(obj, name) == kind;
}

// ---- Values ---------------------------------------------------------------

Variant GetPropValue(TObject* obj, std::string_view name) {
    return GetPropValue(obj, FindPropInfo(obj, name));
}

Variant GetPropValue(TObject* obj, const TPropInfo& p) {
    TObject& o = need(obj, p.Name);
    switch (p.Kind()) {
        case TTypeKind::tkInteger:
        case TTypeKind::tkInt64: {
            int64_t n = p.getOrd(o);
            if (n >= INT32_MIN && n <= INT32_MAX) return Variant((int)n);
            return Variant((long long)n);
        }
        case TTypeKind::tkChar:
        case TTypeKind::tkWChar: {
            int64_t n = p.getOrd(o);
            return Variant(n ? std::string(1, (char)n) : std::string());
        }
        case TTypeKind::tkEnumeration:
            if (p.PropType == BooleanType()) return Variant(p.getOrd(o) != 0);
            return Variant(GetEnumName(p.PropType, p.getOrd(o)));
        case TTypeKind::tkSet:
            return Variant(SetToString(p.PropType, (uint32_t)p.getOrd(o)));
        case TTypeKind::tkFloat: {
            double d = p.getFloat(o);
            const std::string& t = p.TypeName();
            if (t == "TDateTime" || t == "TDate" || t == "TTime") return Variant::Date(d);
            return Variant(d);
        }
        case TTypeKind::tkString:
        case TTypeKind::tkLString:
            return Variant(p.getStr(o));
        case TTypeKind::tkWString:
            return Variant::Wide(p.getStr(o));
        case TTypeKind::tkVariant:
            return p.getVar(o);
        case TTypeKind::tkClass:
            if (p.IsStrings()) return Variant(joinLines(p.getLines(o)));
            [[fallthrough]];
        default:
            throw EPropertyError("Invalid property type: " + p.TypeName() + " (" + p.Name + ")");
    }
}

void SetPropValue(TObject* obj, std::string_view name, const Variant& value) {
    SetPropValue(obj, FindPropInfo(obj, name), value);
}

void SetPropValue(TObject* obj, const TPropInfo& p, const Variant& value) {
    TObject& o = need(obj, p.Name);
    switch (p.Kind()) {
        case TTypeKind::tkInteger:
        case TTypeKind::tkInt64:
        case TTypeKind::tkChar:
        case TTypeKind::tkWChar:
        case TTypeKind::tkEnumeration:
        case TTypeKind::tkSet:
            return SetOrdProp(obj, p, ordFromVariant(p, value));
        case TTypeKind::tkFloat: {
            if (!p.setFloat) readOnly(p);
            double d;
            try {
                if (value.IsNull() || value.IsArray()) badValue(p, value);
                d = value.AsFloat();
            } catch (const EVariantError&) {
                badValue(p, value);
            }
            return p.setFloat(o, d);
        }
        case TTypeKind::tkString:
        case TTypeKind::tkLString:
        case TTypeKind::tkWString:
            if (value.IsArray() || value.IsDispatch()) badValue(p, value);
            return SetStrProp(obj, p, VarToStr(value));
        case TTypeKind::tkVariant:
            if (!p.setVar) readOnly(p);
            return p.setVar(o, value);
        case TTypeKind::tkClass:
            if (p.IsStrings()) {
                if (value.IsArray() || value.IsDispatch()) badValue(p, value);
                return SetStrProp(obj, p, VarToStr(value));
            }
            [[fallthrough]];
        default:
            throw EPropertyError("Invalid property type: " + p.TypeName() + " (" + p.Name + ")");
    }
}

std::string GetStrProp(TObject* obj, std::string_view name) {
    return GetStrProp(obj, FindPropInfo(obj, name));
}

std::string GetStrProp(TObject* obj, const TPropInfo& p) {
    TObject& o = need(obj, p.Name);
    if (isStringKind(p.Kind())) return p.getStr(o);
    if (p.IsStrings()) return joinLines(p.getLines(o));
    return VarToStr(GetPropValue(obj, p));
}

void SetStrProp(TObject* obj, std::string_view name, const std::string& value) {
    SetStrProp(obj, FindPropInfo(obj, name), value);
}

void SetStrProp(TObject* obj, const TPropInfo& p, const std::string& value) {
    TObject& o = need(obj, p.Name);
    if (isStringKind(p.Kind())) {
        if (!p.setStr) readOnly(p);
        return p.setStr(o, value);
    }
    if (p.IsStrings()) {
        if (!p.setLines) readOnly(p);
        return p.setLines(o, splitLines(value));
    }
    SetPropValue(obj, p, Variant(value));
}

int64_t GetOrdProp(TObject* obj, std::string_view name) {
    return GetOrdProp(obj, FindPropInfo(obj, name));
}

int64_t GetOrdProp(TObject* obj, const TPropInfo& p) {
    TObject& o = need(obj, p.Name);
    if (!p.getOrd) wrongKind(p, "an ordinal");
    return p.getOrd(o);
}

void SetOrdProp(TObject* obj, std::string_view name, int64_t value) {
    SetOrdProp(obj, FindPropInfo(obj, name), value);
}

void SetOrdProp(TObject* obj, const TPropInfo& p, int64_t value) {
    TObject& o = need(obj, p.Name);
    if (!p.getOrd) wrongKind(p, "an ordinal");
    if (!p.setOrd) readOnly(p);
    if (p.PropType == BooleanType()) value = value != 0;  // -1 is True, as in host calls
    checkOrd(p, value);
    p.setOrd(o, value);
}

double GetFloatProp(TObject* obj, std::string_view name) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (!p.getFloat) wrongKind(p, "a float");
    return p.getFloat(*obj);
}

void SetFloatProp(TObject* obj, std::string_view name, double value) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (!p.getFloat) wrongKind(p, "a float");
    if (!p.setFloat) readOnly(p);
    p.setFloat(*obj, value);
}

std::string GetEnumProp(TObject* obj, std::string_view name) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (p.Kind() != TTypeKind::tkEnumeration) wrongKind(p, "an enumeration");
    return GetEnumName(p.PropType, p.getOrd(*obj));
}

void SetEnumProp(TObject* obj, std::string_view name, std::string_view ident) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (p.Kind() != TTypeKind::tkEnumeration) wrongKind(p, "an enumeration");
    int64_t n = GetEnumValue(p.PropType, ident);
    if (n < 0) badValue(p, Variant(std::string(ident)));
    SetOrdProp(obj, p, n);
}

std::string GetSetProp(TObject* obj, std::string_view name, bool brackets) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (p.Kind() != TTypeKind::tkSet) wrongKind(p, "a set");
    return SetToString(p.PropType, (uint32_t)p.getOrd(*obj), brackets);
}

void SetSetProp(TObject* obj, std::string_view name, std::string_view text) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (p.Kind() != TTypeKind::tkSet) wrongKind(p, "a set");
    SetOrdProp(obj, p, StringToSet(p.PropType, text));
}

Variant GetVariantProp(TObject* obj, std::string_view name) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (!p.getVar) wrongKind(p, "a variant");
    return p.getVar(*obj);
}

void SetVariantProp(TObject* obj, std::string_view name, const Variant& value) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (!p.getVar) wrongKind(p, "a variant");
    if (!p.setVar) readOnly(p);
    p.setVar(*obj, value);
}

TObject* GetObjectProp(TObject* obj, std::string_view name) {
    return GetObjectProp(obj, FindPropInfo(obj, name));
}

TObject* GetObjectProp(TObject* obj, const TPropInfo& p) {
    TObject& o = need(obj, p.Name);
    if (p.Kind() != TTypeKind::tkClass) wrongKind(p, "an object");
    return p.getObj ? p.getObj(o) : nullptr;
}

void SetObjectProp(TObject* obj, std::string_view name, TObject* value) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (p.Kind() != TTypeKind::tkClass) wrongKind(p, "an object");
    if (!p.setObj) readOnly(p);
    p.setObj(*obj, value);
}

EventHandle GetMethodProp(TObject* obj, std::string_view name) {
    return GetMethodProp(obj, FindPropInfo(obj, name));
}

EventHandle GetMethodProp(TObject* obj, const TPropInfo& p) {
    TObject& o = need(obj, p.Name);
    if (!p.getMethod) wrongKind(p, "an event");
    return p.getMethod(o);
}

void SetMethodProp(TObject* obj, std::string_view name, const EventHandle& handler) {
    SetMethodProp(obj, FindPropInfo(obj, name), handler);
}

void SetMethodProp(TObject* obj, const TPropInfo& p, const EventHandle& handler) {
    TObject& o = need(obj, p.Name);
    if (!p.getMethod) wrongKind(p, "an event");
    if (!p.setMethod) readOnly(p);
    p.setMethod(o, handler);
}

std::vector<std::string> GetStringsProp(TObject* obj, std::string_view name) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (!p.IsStrings()) wrongKind(p, "a string list");
    return p.getLines(*obj);
}

void SetStringsProp(TObject* obj, std::string_view name, const std::vector<std::string>& lines) {
    const TPropInfo& p = FindPropInfo(obj, name);
    if (!p.IsStrings()) wrongKind(p, "a string list");
    if (!p.setLines) readOnly(p);
    p.setLines(*obj, lines);
}

void SetStringsItem(TObject* obj, const TPropInfo& p, int index, const std::string& value) {
    TObject& o = need(obj, p.Name);
    if (!p.IsStrings()) wrongKind(p, "a string list");
    if (index < 0) return;
    if (!p.setLines) readOnly(p);
    auto lines = p.getLines(o);
    // One line past the end appends; further out would size the list from a
    // number that may come from a file.
    if ((size_t)index > lines.size())
        throw EPropertyError("Line " + std::to_string(index) + " of " + p.Name +
                             " lies beyond the end of its " + std::to_string(lines.size()) +
                             " lines");
    if ((size_t)index == lines.size()) lines.emplace_back();
    lines[index] = value;
    p.setLines(o, lines);
}

// ---- Published methods ----------------------------------------------------

EventHandle MethodAddress(TObject* obj, std::string_view name) {
    if (!obj) return {};
    const auto& methods = tableOf(obj)->methods;
    auto it = methods.find(name);
    return it == methods.end() ? EventHandle{} : it->second->bind(*obj);
}

std::string MethodName(const TObject* obj, const EventHandle& handler) {
    if (!obj || !handler) return "";
    for (const auto& [name, m] : tableOf(obj)->methods)
        if (m->Member == handler.Member() && m->bind(const_cast<TObject&>(*obj)) == handler)
            return m->Name;
    return "";
}

// ---- Items by index -------------------------------------------------------

int GetIndexedCount(TObject* obj, std::string_view name) {
    if (!obj) return -1;
    if (auto* c = dynamic_cast<TCollection*>(obj)) return c->Count();
    const auto& indexed = tableOf(obj)->indexed;
    auto it = indexed.find(name);
    return it == indexed.end() ? -1 : it->second->count(*obj);
}

TObject* GetIndexedItem(TObject* obj, std::string_view name, int index) {
    if (!obj || index < 0) return nullptr;
    if (auto* c = dynamic_cast<TCollection*>(obj))
        return index < c->Count() ? c->Items(index) : nullptr;
    const auto& indexed = tableOf(obj)->indexed;
    auto it = indexed.find(name);
    if (it == indexed.end() || index >= it->second->count(*obj)) return nullptr;
    return it->second->item(*obj, index);
}

// ---- Paths ----------------------------------------------------------------

TPathSegment ParsePathSegment(std::string_view segment) {
    segment = detail::TrimBlanks(segment);
    TPathSegment out;
    size_t us = segment.find('_');
    if (us != std::string_view::npos) {
        std::string_view digits = segment.substr(us + 1);
        bool number = !digits.empty() && digits.size() <= 9;
        for (char c : digits) number = number && c >= '0' && c <= '9';
        if (number) {
            out.Name = std::string(detail::TrimBlanks(segment.substr(0, us)));
            out.Index = std::stoi(std::string(digits));
            return out;
        }
    }
    out.Name = std::string(segment);
    return out;
}

TObject* GetSubObject(TObject* obj, std::string_view segment) {
    if (!obj) return nullptr;
    TPathSegment s = ParsePathSegment(segment);
    if (s.HasIndex()) return GetIndexedItem(obj, s.Name, s.Index);
    const TPropInfo* p = GetPropInfo(obj, s.Name);
    if (!p || p->Kind() != TTypeKind::tkClass || !p->getObj) return nullptr;
    return p->getObj(*obj);
}

TObject* ResolvePropPath(TObject* root, std::string_view path, std::string* lastName) {
    TObject* target = root;
    while (target) {
        size_t dot = path.find('.');
        if (dot == std::string_view::npos) {
            if (lastName) *lastName = std::string(detail::TrimBlanks(path));
            return target;
        }
        target = GetSubObject(target, path.substr(0, dot));
        path.remove_prefix(dot + 1);
    }
    return nullptr;
}

namespace {

// The last segment of a path on its target: a property, or a line of a
// TStrings property ("Items_3").
struct LastStep {
    const TPropInfo* prop = nullptr;
    int line = -1;
};

LastStep lastStep(TObject* target, std::string_view root, const std::string& last) {
    if (!target) throw EPropertyError("Invalid property path: " + std::string(root));
    if (const TPropInfo* p = GetPropInfo(target, last)) return {p, -1};
    TPathSegment s = ParsePathSegment(last);
    if (s.HasIndex())
        if (const TPropInfo* p = GetPropInfo(target, s.Name); p && p->IsStrings())
            return {p, s.Index};
    noProperty(last);
}

}  // namespace

Variant GetPropValueByPath(TObject* root, std::string_view path) {
    std::string last;
    TObject* target = ResolvePropPath(root, path, &last);
    LastStep step = lastStep(target, path, last);
    if (step.line < 0) return GetPropValue(target, *step.prop);
    auto lines = step.prop->getLines(*target);
    return Variant(step.line < (int)lines.size() ? lines[step.line] : std::string());
}

void SetPropValueByPath(TObject* root, std::string_view path, const Variant& value) {
    std::string last;
    TObject* target = ResolvePropPath(root, path, &last);
    LastStep step = lastStep(target, path, last);
    if (step.line < 0) return SetPropValue(target, *step.prop, value);
    SetStringsItem(target, *step.prop, step.line, VarToStr(value));
}

}  // namespace plat

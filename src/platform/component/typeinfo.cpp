#include "platform/component/typeinfo.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/component/detail/nocase.h"

namespace plat {

namespace {

using detail::SameTextAscii;
using detail::TrimBlanks;

using IdentTable = std::vector<std::pair<std::string, int64_t>>;

// Colours are $00BBGGRR; system colours are $80000000 + the system index.
constexpr int64_t kSys = (int64_t)(int32_t)0x80000000;

IdentTable colorIdents() {
    IdentTable t = {
        {"clBlack", 0x000000},      {"clMaroon", 0x000080},  {"clGreen", 0x008000},
        {"clOlive", 0x008080},      {"clNavy", 0x800000},    {"clPurple", 0x800080},
        {"clTeal", 0x808000},       {"clGray", 0x808080},    {"clSilver", 0xC0C0C0},
        {"clRed", 0x0000FF},        {"clLime", 0x00FF00},    {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
        {"clLtGray", 0xC0C0C0},     {"clDkGray", 0x808080},  {"clWhite", 0xFFFFFF},
        {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF},
        {"clMedGray", 0xA4A0A0},    {"clNone", 0x1FFFFFFF},  {"clDefault", 0x20000000},
    };
    static const char* const system[] = {
        "clScrollBar",    "clBackground",  "clActiveCaption", "clInactiveCaption",
        "clMenu",         "clWindow",      "clWindowFrame",   "clMenuText",
        "clWindowText",   "clCaptionText", "clActiveBorder",  "clInactiveBorder",
        "clAppWorkSpace", "clHighlight",   "clHighlightText", "clBtnFace",
        "clBtnShadow",    "clGrayText",    "clBtnText",       "clInactiveCaptionText",
        "clBtnHighlight", "cl3DDkShadow",  "cl3DLight",       "clInfoText",
        "clInfoBk"};
    for (int i = 0; i < (int)std::size(system); ++i) t.emplace_back(system[i], kSys + i);
    return t;
}

IdentTable charsetIdents() {
    return {{"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
            {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
            {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
            {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
            {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
            {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
            {"OEM_CHARSET", 255}};
}

IdentTable cursorIdents() {
    return {{"crDefault", 0},     {"crNone", -1},     {"crArrow", -2},      {"crCross", -3},
            {"crIBeam", -4},      {"crSizeNESW", -6}, {"crSizeNS", -7},     {"crSizeNWSE", -8},
            {"crSizeWE", -9},     {"crUpArrow", -10}, {"crHourGlass", -11}, {"crDrag", -12},
            {"crNoDrop", -13},    {"crHSplit", -14},  {"crVSplit", -15},    {"crMultiDrag", -16},
            {"crSQLWait", -17},   {"crNo", -18},      {"crAppStart", -19},  {"crHelp", -20},
            {"crHandPoint", -21}, {"crSizeAll", -22}};
}

class TypeRegistry {
  public:
    static TypeRegistry& Get() {
        static TypeRegistry r;
        return r;
    }

    const TTypeInfo* find(std::string_view name) {
        std::lock_guard lock(mu_);
        auto it = types_.find(name);
        return it == types_.end() ? nullptr : it->second.get();
    }

    // Returns the registered type of that name, or adds the one made by make.
    template <class Make, class Same>
    const TTypeInfo* findOrAdd(std::string_view name, Make make, Same same) {
        std::lock_guard lock(mu_);
        auto it = types_.find(name);
        if (it != types_.end()) {
            if (!same(*it->second))
                throw EPropertyError("Type " + std::string(name) +
                                     " is already registered differently");
            return it->second.get();
        }
        auto t = std::make_unique<TTypeInfo>(make());
        t->Name = std::string(name);
        auto* raw = t.get();
        types_.emplace(raw->Name, std::move(t));
        return raw;
    }

    const TTypeInfo* boolean;
    const TTypeInfo* color;
    const TTypeInfo* charset;
    const TTypeInfo* cursor;

  private:
    TypeRegistry() {
        auto plain = [this](TTypeKind k, const char* n) {
            auto t = std::make_unique<TTypeInfo>();
            t->Kind = k;
            t->Name = n;
            auto* raw = t.get();
            types_.emplace(raw->Name, std::move(t));
            return raw;
        };
        for (const char* n :
             {"Integer", "Cardinal", "Smallint", "Word", "Byte", "ShortInt", "LongWord"})
            plain(TTypeKind::tkInteger, n);
        plain(TTypeKind::tkInt64, "Int64");
        plain(TTypeKind::tkChar, "Char");
        plain(TTypeKind::tkWChar, "WideChar");
        plain(TTypeKind::tkLString, "String");
        plain(TTypeKind::tkLString, "AnsiString");
        plain(TTypeKind::tkLString, "TCaption");
        plain(TTypeKind::tkWString, "WideString");
        for (const char* n :
             {"Double", "Single", "Extended", "Currency", "TDateTime", "TDate", "TTime"})
            plain(TTypeKind::tkFloat, n);
        plain(TTypeKind::tkVariant, "Variant");
        auto* b = plain(TTypeKind::tkEnumeration, "Boolean");
        b->EnumNames = {"False", "True"};
        boolean = b;
        auto withIdents = [&](const char* n, IdentTable idents) {
            auto* t = plain(TTypeKind::tkInteger, n);
            t->Idents = std::move(idents);
            return t;
        };
        color = withIdents("TColor", colorIdents());
        charset = withIdents("TFontCharset", charsetIdents());
        cursor = withIdents("TCursor", cursorIdents());
    }

    std::mutex mu_;
    std::unordered_map<std::string, std::unique_ptr<TTypeInfo>, detail::NoCaseHash,
                       detail::NoCaseEqual>
        types_;
};

std::vector<std::string> splitIdents(std::string_view text) {
    std::vector<std::string> out;
    while (true) {
        size_t comma = text.find(',');
        std::string_view part = TrimBlanks(text.substr(0, comma));
        if (!part.empty()) out.emplace_back(part);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return out;
}

void requireKind(const TTypeInfo* t, TTypeKind k, const char* what) {
    if (!t || t->Kind != k) throw EPropertyError(std::string("Type is not ") + what);
}

}  // namespace

const TTypeInfo* FindTypeInfo(std::string_view name) {
    return TypeRegistry::Get().find(name);
}

const TTypeInfo* TypeInfoOf(TTypeKind kind, std::string_view name) {
    return TypeRegistry::Get().findOrAdd(
        name,
        [&] {
            TTypeInfo t;
            t.Kind = kind;
            return t;
        },
        [&](const TTypeInfo& t) { return t.Kind == kind; });
}

const TTypeInfo* RegisterEnumType(std::string_view name, std::string_view commaIdents) {
    return RegisterEnumType(name, splitIdents(commaIdents));
}

const TTypeInfo* RegisterEnumType(std::string_view name, std::vector<std::string> idents) {
    return TypeRegistry::Get().findOrAdd(
        name,
        [&] {
            TTypeInfo t;
            t.Kind = TTypeKind::tkEnumeration;
            t.EnumNames = idents;
            return t;
        },
        [&](const TTypeInfo& t) {
            return t.Kind == TTypeKind::tkEnumeration && t.EnumNames == idents;
        });
}

const TTypeInfo* RegisterSetType(std::string_view name, const TTypeInfo* elementEnum) {
    requireKind(elementEnum, TTypeKind::tkEnumeration, "an enumeration");
    if (elementEnum->EnumNames.size() > 32)
        throw EPropertyError("Set type " + std::string(name) + " has more than 32 elements");
    return TypeRegistry::Get().findOrAdd(
        name,
        [&] {
            TTypeInfo t;
            t.Kind = TTypeKind::tkSet;
            t.CompType = elementEnum;
            return t;
        },
        [&](const TTypeInfo& t) {
            return t.Kind == TTypeKind::tkSet && t.CompType == elementEnum;
        });
}

const TTypeInfo* RegisterIntegerType(std::string_view name,
                                     std::vector<std::pair<std::string, int64_t>> idents) {
    return TypeRegistry::Get().findOrAdd(
        name,
        [&] {
            TTypeInfo t;
            t.Kind = TTypeKind::tkInteger;
            t.Idents = idents;
            return t;
        },
        [&](const TTypeInfo& t) { return t.Kind == TTypeKind::tkInteger && t.Idents == idents; });
}

const TTypeInfo* BooleanType() {
    return TypeRegistry::Get().boolean;
}
const TTypeInfo* ColorType() {
    return TypeRegistry::Get().color;
}
const TTypeInfo* CharsetType() {
    return TypeRegistry::Get().charset;
}
const TTypeInfo* CursorType() {
    return TypeRegistry::Get().cursor;
}

std::string GetEnumName(const TTypeInfo* enumType, int64_t value) {
    requireKind(enumType, TTypeKind::tkEnumeration, "an enumeration");
    if (value < 0 || value >= (int64_t)enumType->EnumNames.size()) return "";
    return enumType->EnumNames[(size_t)value];
}

int64_t GetEnumValue(const TTypeInfo* enumType, std::string_view name) {
    requireKind(enumType, TTypeKind::tkEnumeration, "an enumeration");
    name = TrimBlanks(name);
    for (size_t i = 0; i < enumType->EnumNames.size(); ++i)
        if (SameTextAscii(enumType->EnumNames[i], name)) return (int64_t)i;
    return -1;
}

std::string SetToString(const TTypeInfo* setType, uint32_t value, bool brackets) {
    requireKind(setType, TTypeKind::tkSet, "a set");
    std::string out;
    const auto& names = setType->CompType->EnumNames;
    for (size_t i = 0; i < names.size(); ++i) {
        if (!(value & (uint32_t(1) << i))) continue;
        if (!out.empty()) out += ',';
        out += names[i];
    }
    return brackets ? "[" + out + "]" : out;
}

uint32_t StringToSet(const TTypeInfo* setType, std::string_view text) {
    requireKind(setType, TTypeKind::tkSet, "a set");
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '[') {
        if (text.back() != ']')
            throw EPropertyConvertError("Invalid set text: " + std::string(text));
        text = text.substr(1, text.size() - 2);
    }
    uint32_t bits = 0;
    for (const auto& ident : splitIdents(text)) {
        int64_t n = GetEnumValue(setType->CompType, ident);
        if (n < 0) throw EPropertyConvertError("Invalid property element: " + ident);
        bits |= uint32_t(1) << n;
    }
    return bits;
}

bool IdentToInt(const TTypeInfo* type, std::string_view ident, int64_t& value) {
    if (!type) return false;
    ident = TrimBlanks(ident);
    for (const auto& [name, n] : type->Idents)
        if (SameTextAscii(name, ident)) {
            value = n;
            return true;
        }
    return false;
}

bool IntToIdent(const TTypeInfo* type, int64_t value, std::string& ident) {
    if (!type) return false;
    for (const auto& [name, n] : type->Idents)
        if (n == value) {
            ident = name;
            return true;
        }
    return false;
}

bool IdentToCharset(std::string_view ident, int32_t& charset) {
    int64_t v;
    if (!IdentToInt(CharsetType(), ident, v)) return false;
    charset = (int32_t)v;
    return true;
}

bool CharsetToIdent(int32_t charset, std::string& ident) {
    return IntToIdent(CharsetType(), charset, ident);
}

}  // namespace plat

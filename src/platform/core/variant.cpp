#include "platform/core/variant.h"

#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/core/dates.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"

namespace plat {

const char* VarTypeName(VarType t) {
    switch (t) {
        case VarType::Empty:
            return "Empty";
        case VarType::Null:
            return "Null";
        case VarType::SmallInt:
            return "SmallInt";
        case VarType::Integer:
            return "Integer";
        case VarType::Single:
            return "Single";
        case VarType::Double:
            return "Double";
        case VarType::Currency:
            return "Currency";
        case VarType::Date:
            return "Date";
        case VarType::OleStr:
            return "OleStr";
        case VarType::Dispatch:
            return "Dispatch";
        case VarType::Error:
            return "Error";
        case VarType::Boolean:
            return "Boolean";
        case VarType::Variant:
            return "Variant";
        case VarType::ShortInt:
            return "ShortInt";
        case VarType::Byte:
            return "Byte";
        case VarType::Word:
            return "Word";
        case VarType::LongWord:
            return "LongWord";
        case VarType::Int64:
            return "Int64";
        case VarType::String:
            return "String";
    }
    return "Unknown";
}

[[noreturn]] static void castError(const Variant& v, VarType to) {
    std::string from = v.IsArray() ? "Array" : VarTypeName(v.Type());
    throw EVariantError("Could not convert variant of type (" + from + ") into type (" +
                        VarTypeName(to) + ")");
}

Variant::Variant(DispatchPtr d) : type_(VarType::Dispatch), disp_(std::move(d)) {}

Variant Variant::Currency(double value) {
    Variant v;
    v.type_ = VarType::Currency;
    v.i_ = (int64_t)std::llround(value * 10000.0);
    return v;
}

Variant Variant::Integer(VarType t, int64_t value) {
    Variant v;
    v.type_ = t;
    switch (t) {
        case VarType::SmallInt:
            v.i_ = (int16_t)value;
            break;
        case VarType::Integer:
            v.i_ = (int32_t)value;
            break;
        case VarType::ShortInt:
            v.i_ = (int8_t)value;
            break;
        case VarType::Byte:
            v.i_ = (uint8_t)value;
            break;
        case VarType::Word:
            v.i_ = (uint16_t)value;
            break;
        case VarType::LongWord:
            v.i_ = (uint32_t)value;
            break;
        case VarType::Int64:
            v.i_ = value;
            break;
        case VarType::Boolean:
            v.i_ = value ? -1 : 0;
            break;
        default:
            throw EVariantError("Not an integer variant type");
    }
    return v;
}

bool Variant::IsOrdinal() const {
    switch (type_) {
        case VarType::SmallInt:
        case VarType::Integer:
        case VarType::ShortInt:
        case VarType::Byte:
        case VarType::Word:
        case VarType::LongWord:
        case VarType::Int64:
        case VarType::Boolean:
            return !IsArray();
        default:
            return false;
    }
}

bool Variant::IsNumeric() const {
    return !IsArray() && (IsOrdinal() || IsFloat() || type_ == VarType::Date);
}

double Variant::CurrencyValue() const {
    return (double)i_ / 10000.0;
}

std::string Variant::AsString() const {
    if (IsArray()) castError(*this, VarType::String);
    switch (type_) {
        case VarType::Empty:
            return "";
        case VarType::Null:
            castError(*this, VarType::String);
        case VarType::String:
        case VarType::OleStr:
            return s_;
        case VarType::Boolean:
            return i_ ? "True" : "False";
        case VarType::Double:
        case VarType::Single:
            return FloatToStr(d_);
        case VarType::Currency:
            return FloatToStr(CurrencyValue());
        case VarType::Date:
            return DateTimeToStr(d_);
        case VarType::Dispatch:
        case VarType::Error:
            castError(*this, VarType::String);
        default:
            return std::to_string(i_);
    }
}

double Variant::AsFloat() const {
    if (IsArray()) castError(*this, VarType::Double);
    switch (type_) {
        case VarType::Empty:
            return 0;
        case VarType::Double:
        case VarType::Single:
        case VarType::Date:
            return d_;
        case VarType::Currency:
            return CurrencyValue();
        case VarType::String:
        case VarType::OleStr: {
            double d;
            if (!TryStrToFloat(s_, d)) castError(*this, VarType::Double);
            return d;
        }
        case VarType::Null:
        case VarType::Dispatch:
        case VarType::Error:
            castError(*this, VarType::Double);
        default:
            return (double)i_;
    }
}

int64_t Variant::AsInt64() const {
    if (IsArray()) castError(*this, VarType::Int64);
    switch (type_) {
        case VarType::Empty:
            return 0;
        case VarType::Double:
        case VarType::Single:
        case VarType::Date:
            if (!std::isfinite(d_) || std::fabs(d_) > 9.2e18) castError(*this, VarType::Int64);
            return RoundBankers(d_);
        case VarType::Currency:
            return RoundBankers(CurrencyValue());
        case VarType::String:
        case VarType::OleStr: {
            int64_t v;
            if (TryStrToInt64(s_, v)) return v;
            double d;
            if (TryStrToFloat(s_, d) && std::fabs(d) < 9.2e18) return RoundBankers(d);
            castError(*this, VarType::Int64);
        }
        case VarType::Null:
        case VarType::Dispatch:
        case VarType::Error:
            castError(*this, VarType::Int64);
        default:
            return i_;
    }
}

int Variant::AsInteger() const {
    int64_t v = AsInt64();
    if (v < INT32_MIN || v > INT32_MAX) castError(*this, VarType::Integer);
    return (int)v;
}

bool Variant::AsBoolean() const {
    if (IsArray()) castError(*this, VarType::Boolean);
    switch (type_) {
        case VarType::Empty:
            return false;
        case VarType::String:
        case VarType::OleStr: {
            if (strcasecmp(s_.c_str(), "true") == 0) return true;
            if (strcasecmp(s_.c_str(), "false") == 0) return false;
            double d;
            if (TryStrToFloat(s_, d)) return d != 0;
            castError(*this, VarType::Boolean);
        }
        case VarType::Double:
        case VarType::Single:
        case VarType::Date:
            return d_ != 0;
        case VarType::Null:
        case VarType::Dispatch:
        case VarType::Error:
            castError(*this, VarType::Boolean);
        default:
            return i_ != 0;
    }
}

double Variant::AsDateTime() const {
    if (type_ == VarType::Boolean) castError(*this, VarType::Date);
    return AsFloat();
}

DispatchPtr Variant::AsDispatch() const {
    if (type_ == VarType::Dispatch && !IsArray()) return disp_;
    if (IsEmptyOrNull()) return nullptr;
    castError(*this, VarType::Dispatch);
}

Variant Variant::AsType(VarType t) const {
    switch (t) {
        case VarType::Empty:
            return Variant();
        case VarType::Null:
            return Variant::Null();
        case VarType::String:
            return Variant(AsString());
        case VarType::OleStr:
            return Variant::Wide(AsString());
        case VarType::Double:
            return Variant(AsFloat());
        case VarType::Single:
            return Variant::Single((float)AsFloat());
        case VarType::Date:
            return Variant::Date(AsDateTime());
        case VarType::Currency:
            return Variant::Currency(AsFloat());
        case VarType::Boolean:
            return Variant(AsBoolean());
        case VarType::Dispatch:
            return Variant(AsDispatch());
        case VarType::Variant:
            return *this;
        default:
            return Variant::Integer(t, AsInt64());
    }
}

// ---- arrays -----------------------------------------------------------------

Variant Variant::CreateArray(const std::vector<VarArrayBound>& bounds, VarType elem) {
    if (bounds.empty() || bounds.size() > 2)
        throw EVariantError("Variant array: one or two dimensions");
    size_t n = 1;
    for (auto& b : bounds) {
        if (b.high < b.low - 1) throw EVariantError("Variant array: bad bounds");
        n *= (size_t)b.count();
    }
    Variant v;
    v.type_ = VarType::Variant;
    v.arr_ = std::make_shared<VarArrayData>();
    v.arr_->elemType = elem;
    v.arr_->bounds = bounds;
    Variant init;
    if (elem != VarType::Variant && elem != VarType::Empty) {
        if (elem == VarType::String || elem == VarType::OleStr)
            init = Variant(std::string());
        else if (elem == VarType::Dispatch)
            init = Variant(DispatchPtr());
        else
            init = Variant(0).AsType(elem);
    }
    v.arr_->items.assign(n, init);
    return v;
}

Variant Variant::CreateArray(std::initializer_list<int> bounds, VarType elem) {
    std::vector<int> b(bounds);
    if (b.size() != 2 && b.size() != 4) throw EVariantError("Variant array: bounds come in pairs");
    std::vector<VarArrayBound> vb;
    for (size_t i = 0; i < b.size(); i += 2) vb.push_back({b[i], b[i + 1]});
    return CreateArray(vb, elem);
}

Variant Variant::ArrayOf(std::vector<Variant> items) {
    Variant v;
    v.type_ = VarType::Variant;
    v.arr_ = std::make_shared<VarArrayData>();
    v.arr_->bounds = {{0, (int)items.size() - 1}};
    v.arr_->items = std::move(items);
    return v;
}

Variant Variant::ByteArray(std::string bytes) {
    Variant v;
    v.type_ = VarType::Variant;
    v.arr_ = std::make_shared<VarArrayData>();
    v.arr_->elemType = VarType::Byte;
    v.arr_->bounds = {{0, (int)bytes.size() - 1}};
    v.arr_->packed = std::move(bytes);
    v.arr_->isPacked = true;
    return v;
}

const std::string* Variant::PackedBytes() const {
    return arr_ && arr_->isPacked.load(std::memory_order_acquire) ? &arr_->packed : nullptr;
}

// The packed bytes become elements the first time one is reached; an array
// may be read from more than one thread.
void Variant::unpack() const {
    if (!arr_ || !arr_->isPacked.load(std::memory_order_acquire)) return;
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    if (!arr_->isPacked.load(std::memory_order_relaxed)) return;
    std::vector<Variant> items;
    items.reserve(arr_->packed.size());
    for (unsigned char c : arr_->packed) items.push_back(Integer(VarType::Byte, c));
    arr_->items = std::move(items);
    std::string().swap(arr_->packed);
    arr_->isPacked.store(false, std::memory_order_release);
}

Variant Variant::ArrayOf(std::initializer_list<Variant> items) {
    return ArrayOf(std::vector<Variant>(items));
}

int Variant::DimCount() const {
    return IsArray() ? (int)arr_->bounds.size() : 0;
}

int Variant::LowBound(int dim) const {
    if (!IsArray() || dim < 1 || dim > DimCount())
        throw EVariantError("Variant array index out of bounds");
    return arr_->bounds[dim - 1].low;
}

int Variant::HighBound(int dim) const {
    if (!IsArray() || dim < 1 || dim > DimCount())
        throw EVariantError("Variant array index out of bounds");
    return arr_->bounds[dim - 1].high;
}

int Variant::ArrayCount() const {
    return IsArray() ? arr_->bounds[0].count() : 0;
}

VarType Variant::ArrayElemType() const {
    if (!IsArray()) throw EVariantError("Variant is not an array");
    return arr_->elemType;
}

const std::vector<Variant>& Variant::Items() const {
    if (!IsArray()) throw EVariantError("Variant is not an array");
    unpack();
    return arr_->items;
}

int Variant::flatIndex(int i, int j, bool twoDim) const {
    if (!IsArray()) throw EVariantError("Variant is not an array");
    const auto& b = arr_->bounds;
    if ((int)b.size() != (twoDim ? 2 : 1))
        throw EVariantError("Variant array: wrong number of indexes");
    if (i < b[0].low || i > b[0].high) throw EVariantError("Variant array index out of bounds");
    if (!twoDim) return i - b[0].low;
    if (j < b[1].low || j > b[1].high) throw EVariantError("Variant array index out of bounds");
    return (i - b[0].low) * b[1].count() + (j - b[1].low);
}

void Variant::detach() {
    // A shared array is copied first: the others keep their bytes packed.
    if (arr_ && arr_.use_count() > 1) arr_ = std::make_shared<VarArrayData>(*arr_);
    unpack();
}

const Variant& Variant::operator[](int index) const {
    const int k = flatIndex(index, 0, false);
    unpack();
    return arr_->items[(size_t)k];
}

Variant& Variant::operator[](int index) {
    int k = flatIndex(index, 0, false);
    detach();
    return arr_->items[k];
}

const Variant& Variant::At(int i, int j) const {
    const int k = flatIndex(i, j, true);
    unpack();
    return arr_->items[(size_t)k];
}

Variant& Variant::At(int i, int j) {
    int k = flatIndex(i, j, true);
    detach();
    return arr_->items[k];
}

void Variant::Redim(int newHigh) {
    if (!IsArray()) throw EVariantError("Variant is not an array");
    detach();
    auto& b = arr_->bounds;
    if (newHigh < b.back().low - 1) throw EVariantError("Variant array: bad bounds");
    Variant init = CreateArray(std::vector<VarArrayBound>{{0, 0}}, arr_->elemType)[0];
    if (b.size() == 1) {
        b[0].high = newHigh;
        arr_->items.resize(b[0].count(), init);
    } else {
        int rows = b[0].count(), oldCols = b[1].count();
        b[1].high = newHigh;
        int cols = b[1].count();
        std::vector<Variant> items((size_t)rows * cols, init);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < std::min(cols, oldCols); ++c)
                items[(size_t)r * cols + c] = std::move(arr_->items[(size_t)r * oldCols + c]);
        arr_->items = std::move(items);
    }
}

// ---- comparison -------------------------------------------------------------

static int cmp3(double a, double b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

int Variant::Compare(const Variant& a, const Variant& b) {
    if (a.IsArray() || b.IsArray()) throw EVariantError("Invalid variant operation");
    bool an = a.IsNull(), bn = b.IsNull();
    if (an || bn) return an && bn ? 0 : (an ? -1 : 1);
    if (a.IsEmpty() && b.IsEmpty()) return 0;
    if (a.IsDispatch() || b.IsDispatch()) {
        if (a.IsDispatch() && b.IsDispatch())
            return a.disp_ == b.disp_ ? 0 : (a.disp_ < b.disp_ ? -1 : 1);
        throw EVariantError("Invalid variant operation");
    }
    bool at = a.IsText(), bt = b.IsText();
    if (at && bt) {
        int c = a.s_.compare(b.s_);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    // Empty compares as "" against text and as 0 against numbers.
    if (a.IsEmpty()) return bt ? (b.s_.empty() ? 0 : -1) : cmp3(0, b.AsFloat());
    if (b.IsEmpty()) return at ? (a.s_.empty() ? 0 : 1) : cmp3(a.AsFloat(), 0);
    if (a.IsOrdinal() && b.IsOrdinal()) return a.i_ < b.i_ ? -1 : (a.i_ > b.i_ ? 1 : 0);
    return cmp3(a.AsFloat(), b.AsFloat());
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.IsArray() || b.IsArray()) {
        if (!(a.IsArray() && b.IsArray())) return false;
        if (a.arr_ == b.arr_) return true;
        if (a.PackedBytes() && b.PackedBytes()) return *a.PackedBytes() == *b.PackedBytes();
        if (b.PackedBytes()) return b == a;
        if (const std::string* bytes = a.PackedBytes()) {
            // Element by element without unpacking the bytes.
            if (b.arr_->bounds.size() != 1 || b.arr_->bounds[0].low != 0 ||
                b.arr_->items.size() != bytes->size())
                return false;
            for (size_t k = 0; k < bytes->size(); ++k)
                if (b.arr_->items[k] != Variant::Integer(VarType::Byte, (unsigned char)(*bytes)[k]))
                    return false;
            return true;
        }
        if (a.arr_->bounds.size() != b.arr_->bounds.size()) return false;
        for (size_t k = 0; k < a.arr_->bounds.size(); ++k)
            if (a.arr_->bounds[k].low != b.arr_->bounds[k].low ||
                a.arr_->bounds[k].high != b.arr_->bounds[k].high)
                return false;
        return a.arr_->items == b.arr_->items;
    }
    try {
        return Variant::Compare(a, b) == 0;
    } catch (const EVariantError&) {
        return false;  // a text that is no number differs from every number
    }
}

// ---- routines -----------------------------------------------------------------

bool VarIsBlank(const Variant& v) {
    if (v.IsEmptyOrNull()) return true;
    if (!v.IsText()) return false;
    for (unsigned char c : v.RawText())
        if (c > ' ') return false;
    return true;
}

uint16_t VarType_(const Variant& v) {
    return v.VType();
}

std::string VarToStr(const Variant& v) {
    if (v.IsEmptyOrNull()) return "";
    try {
        return v.AsString();
    } catch (const EVariantError&) {
        return "";
    }
}

double VarToFloatDef(const Variant& v, double def) {
    try {
        return v.IsEmptyOrNull() ? def : v.AsFloat();
    } catch (const EVariantError&) {
        return def;
    }
}

int64_t VarToIntDef(const Variant& v, int64_t def) {
    try {
        return v.IsEmptyOrNull() ? def : v.AsInt64();
    } catch (const EVariantError&) {
        return def;
    }
}

Variant VarArrayOf(std::initializer_list<Variant> items) {
    return Variant::ArrayOf(items);
}

Variant VarArrayCreate(std::initializer_list<int> bounds, VarType elem) {
    return Variant::CreateArray(bounds, elem);
}

}  // namespace plat

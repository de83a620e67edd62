// The platform's variant: a tagged value with the platform's conversion and
// comparison rules. Empty (Unassigned), Null and the empty text are three
// different values. Arrays are copied by value (copy on write).
#pragma once
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace plat {

class Dispatch;  // late-bound object, defined by the automation layer
using DispatchPtr = std::shared_ptr<Dispatch>;

enum class VarType : uint16_t {
    Empty = 0,
    Null = 1,
    SmallInt = 2,
    Integer = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    OleStr = 8,  // wide text
    Dispatch = 9,
    Error = 10,
    Boolean = 11,
    Variant = 12,  // element type of an array of variants
    ShortInt = 16,
    Byte = 17,
    Word = 18,
    LongWord = 19,
    Int64 = 20,
    String = 0x100,  // single-byte text
};
constexpr uint16_t varArray = 0x2000;

struct VarArrayBound {
    int low = 0;
    int high = -1;
    int count() const { return high - low + 1; }
};

class Variant;

struct VarArrayData {
    VarType elemType = VarType::Variant;
    std::vector<VarArrayBound> bounds;  // one or two dimensions
    std::vector<Variant> items;         // row-major: the last dimension varies fastest
    // A byte array made from bytes keeps them as bytes (a byte each, not a
    // variant each) until one of its elements is reached.
    std::string packed;
    std::atomic<bool> isPacked{false};

    VarArrayData() = default;
    VarArrayData(const VarArrayData& o)
        : elemType(o.elemType),
          bounds(o.bounds),
          items(o.items),
          packed(o.packed),
          isPacked(o.isPacked.load()) {}
    VarArrayData& operator=(const VarArrayData&) = delete;
};

class Variant {
  public:
    Variant() = default;
    Variant(bool b) : type_(VarType::Boolean), i_(b ? -1 : 0) {}
    Variant(int v) : type_(VarType::Integer), i_(v) {}
    Variant(long v) : type_(VarType::Int64), i_(v) {}
    Variant(long long v) : type_(VarType::Int64), i_(v) {}
    Variant(unsigned v) : type_(VarType::LongWord), i_(v) {}
    Variant(unsigned long v) : type_(VarType::Int64), i_((int64_t)v) {}
    Variant(double v) : type_(VarType::Double), d_(v) {}
    Variant(const char* s) : type_(VarType::String), s_(s ? s : "") {}
    Variant(std::string s) : type_(VarType::String), s_(std::move(s)) {}
    Variant(DispatchPtr d);

    // Typed constructors.
    static Variant Null() {
        Variant v;
        v.type_ = VarType::Null;
        return v;
    }
    static Variant Wide(std::string s) {
        Variant v(std::move(s));
        v.type_ = VarType::OleStr;
        return v;
    }
    static Variant Currency(double value);  // kept as a scaled integer (4 decimals)
    static Variant Date(double dateTime) {
        Variant v(dateTime);
        v.type_ = VarType::Date;
        return v;
    }
    static Variant Integer(VarType t, int64_t value);  // SmallInt, Byte, Word, Int64, ...
    static Variant Single(float value) {
        Variant v((double)value);
        v.type_ = VarType::Single;
        return v;
    }
    static Variant Error(int32_t code) {
        Variant v;
        v.type_ = VarType::Error;
        v.i_ = code;
        return v;
    }

    VarType Type() const { return type_; }
    uint16_t VType() const {
        return IsArray() ? (varArray | (uint16_t)arr_->elemType) : (uint16_t)type_;
    }
    bool IsEmpty() const { return type_ == VarType::Empty; }
    bool IsNull() const { return type_ == VarType::Null; }
    bool IsEmptyOrNull() const { return IsEmpty() || IsNull(); }
    bool IsArray() const { return arr_ != nullptr; }
    bool IsText() const { return type_ == VarType::String || type_ == VarType::OleStr; }
    bool IsNumeric() const;  // integer kinds, floats, currency, Boolean
    bool IsOrdinal() const;
    bool IsFloat() const {
        return type_ == VarType::Single || type_ == VarType::Double || type_ == VarType::Currency;
    }
    bool IsDispatch() const { return type_ == VarType::Dispatch; }

    // Strict conversions: a Null, or text that is not a number, raises EVariantError.
    std::string AsString() const;
    int64_t AsInt64() const;
    int AsInteger() const;
    double AsFloat() const;
    bool AsBoolean() const;
    double AsDateTime() const;
    DispatchPtr AsDispatch() const;  // raises unless a Dispatch (or Empty/Null → nullptr)
    // Raw payloads without conversion.
    int64_t RawInt() const { return i_; }
    const std::string& RawText() const { return s_; }
    double CurrencyValue() const;

    // Arrays.
    static Variant CreateArray(std::initializer_list<int> bounds, VarType elem = VarType::Variant);
    static Variant CreateArray(const std::vector<VarArrayBound>& bounds,
                               VarType elem = VarType::Variant);
    static Variant ArrayOf(std::initializer_list<Variant> items);
    static Variant ArrayOf(std::vector<Variant> items);
    // A one-dimension array of Byte elements with bounds 0 .. size - 1.
    static Variant ByteArray(std::string bytes);
    // The bytes of a byte array made by ByteArray that no element has been
    // reached of; null for every other value.
    const std::string* PackedBytes() const;
    int DimCount() const;
    int LowBound(int dim = 1) const;
    int HighBound(int dim = 1) const;
    int ArrayCount() const;                      // elements in the first dimension
    const Variant& operator[](int index) const;  // one dimension, by bound index
    Variant& operator[](int index);
    const Variant& At(int i, int j) const;  // two dimensions
    Variant& At(int i, int j);
    void Redim(int newHigh);  // resizes the last dimension
    VarType ArrayElemType() const;
    const std::vector<Variant>& Items() const;  // raw elements in storage order

    // Comparison by the platform's variant rules. A number and a text compare
    // numerically; text compares byte-wise; Null equals only Null.
    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
    // -1, 0, 1; Null and Empty sort before everything else.
    static int Compare(const Variant& a, const Variant& b);

    // Converted copy to the given type (raises like the strict conversions).
    Variant AsType(VarType t) const;

  private:
    void detach();
    void unpack() const;
    int flatIndex(int i, int j, bool twoDim) const;

    VarType type_ = VarType::Empty;
    int64_t i_ = 0;  // integer kinds, Boolean (-1/0), Currency (×10000), Error
    double d_ = 0;   // Double, Single, Date
    std::string s_;
    DispatchPtr disp_;
    std::shared_ptr<VarArrayData> arr_;
};

// The platform's routines on variants.
inline const Variant Unassigned{};
inline Variant Null() {
    return Variant::Null();
}
inline bool VarIsArray(const Variant& v) {
    return v.IsArray();
}
inline bool VarIsNull(const Variant& v) {
    return v.IsNull();
}
inline bool VarIsEmpty(const Variant& v) {
    return v.IsEmpty();
}
// Empty, Null, or a text that is empty after trimming.
bool VarIsBlank(const Variant& v);
uint16_t VarType_(const Variant& v);
// Neutral conversions: Null/Empty give "" and 0; failures give the default.
std::string VarToStr(const Variant& v);
double VarToFloatDef(const Variant& v, double def = 0);
int64_t VarToIntDef(const Variant& v, int64_t def = 0);
Variant VarArrayOf(std::initializer_list<Variant> items);
Variant VarArrayCreate(std::initializer_list<int> bounds, VarType elem = VarType::Variant);
inline int VarArrayDimCount(const Variant& v) {
    return v.DimCount();
}
inline int VarArrayLowBound(const Variant& v, int dim) {
    return v.LowBound(dim);
}
inline int VarArrayHighBound(const Variant& v, int dim) {
    return v.HighBound(dim);
}
inline void VarArrayRedim(Variant& v, int high) {
    v.Redim(high);
}
const char* VarTypeName(VarType t);

}  // namespace plat

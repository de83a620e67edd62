#include "platform/data/datatypes.h"

namespace plat {

bool IsNumericType(TFieldType t) {
    switch (t) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftLargeint:
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD:
            return true;
        default:
            return false;
    }
}

bool IsTextType(TFieldType t) {
    return t == TFieldType::ftString || t == TFieldType::ftFixedChar ||
           t == TFieldType::ftWideString || t == TFieldType::ftMemo;
}

const char* FieldTypeName(TFieldType t) {
    static const char* const names[] = {
        "Unknown", "String",   "FixedChar", "WideString", "Memo",    "Smallint", "Integer",
        "Word",    "Largeint", "Float",     "Currency",   "BCD",     "Boolean",  "Date",
        "Time",    "DateTime", "Blob",      "Bytes",      "Variant", "DataSet"};
    return names[(int)t];
}

}  // namespace plat

// Enumerations shared by fields, datasets and providers. The ordinals of the
// dataset states are the platform's and are compared as numbers by callers.
#pragma once
#include <cstdint>

namespace plat {

enum class TFieldType : uint8_t {
    ftUnknown,
    ftString,     // single-byte text, Size counted in database-code-page width
    ftFixedChar,  // blank-padded text of Size
    ftWideString,
    ftMemo,
    ftSmallint,
    ftInteger,
    ftWord,
    ftLargeint,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftBoolean,
    ftDate,
    ftTime,
    ftDateTime,
    ftBlob,
    ftBytes,
    ftVariant,
    ftDataSet,  // nested dataset: the detail rows of each master row
};

enum class TFieldKind : uint8_t { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

enum TDataSetState : int {
    dsInactive = 0,
    dsBrowse = 1,
    dsEdit = 2,
    dsInsert = 3,
    dsSetKey = 4,
    dsCalcFields = 5,
    dsFilter = 6,
    dsNewValue = 7,
    dsOldValue = 8,
    dsCurValue = 9,
};

enum class TUpdateStatus : uint8_t { usUnmodified, usModified, usInserted, usDeleted };

enum class TUpdateKind : uint8_t { ukModify, ukInsert, ukDelete };

enum class TReconcileAction : uint8_t { raSkip, raAbort, raMerge, raCorrect, raCancel, raRefresh };

// A set of locate options: combine with |.
enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

enum class TGetMode : uint8_t { gmCurrent, gmNext, gmPrior };

bool IsNumericType(TFieldType t);
bool IsTextType(TFieldType t);
const char* FieldTypeName(TFieldType t);

}  // namespace plat

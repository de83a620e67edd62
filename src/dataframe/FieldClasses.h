// The database field classes registered by name while the library is
// loaded, so that stored component trees can create their fields. The three
// structured kinds the data layer does not model (ADT, array and reference
// fields) are object fields without a value of their own.
#pragma once
#include <string>
#include <vector>

#include "platform/data/field.h"

namespace ktrb {

class TADTField : public plat::TObjectField {
    PLAT_CLASS(TADTField, TObjectField)
  public:
    explicit TADTField(plat::TComponent* owner = nullptr)
        : TObjectField(owner, plat::TFieldType::ftUnknown) {}
};

class TArrayField : public plat::TObjectField {
    PLAT_CLASS(TArrayField, TObjectField)
  public:
    explicit TArrayField(plat::TComponent* owner = nullptr)
        : TObjectField(owner, plat::TFieldType::ftUnknown) {}
};

class TReferenceField : public plat::TDataSetField {
    PLAT_CLASS(TReferenceField, TDataSetField)
  public:
    using TDataSetField::TDataSetField;
};

// The class names, in registration order (26).
const std::vector<std::string>& DatabaseFieldClassNames();
// Library load and unload.
void RegisterDatabaseFieldClasses();
void UnregisterDatabaseFieldClasses();

}  // namespace ktrb

#include "runtime/libUDF.h"

namespace ktrb {

TUDFRelatedField::TUDFRelatedField(plat::TCollection* collection)
    : plat::TCollectionItem(collection) {}

TUDFRelatedFields::TUDFRelatedFields() : plat::TCollection(FactoryOf<TUDFRelatedField>()) {}

TUDFRelatedField* TUDFRelatedFields::Add() {
    return static_cast<TUDFRelatedField*>(plat::TCollection::Add());
}

TUDFRelatedField* TUDFRelatedFields::GetItem(int index) const {
    return ItemAs<TUDFRelatedField>(index);
}

TUDFRelatedField* TUDFRelatedFields::FindByField(const plat::TField* field) const {
    if (!field) return nullptr;
    for (int i = 0; i < Count(); ++i)
        if (GetItem(i)->SourceField == field) return GetItem(i);
    return nullptr;
}

TUDFField::TUDFField(plat::TCollection* collection)
    : plat::TCollectionItem(collection), related_(std::make_unique<TUDFRelatedFields>()) {}

TUDFFields::TUDFFields() : plat::TCollection(FactoryOf<TUDFField>()) {}

TUDFField* TUDFFields::Add() {
    return static_cast<TUDFField*>(plat::TCollection::Add());
}

TUDFField* TUDFFields::GetItem(int index) const {
    return ItemAs<TUDFField>(index);
}

}  // namespace ktrb

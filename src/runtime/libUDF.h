// The field-assignment rules of a document form: for a target field, the
// server query that computes its value and the source fields that feed it.
// The form fills the collections, hooks the source fields' change events and
// keeps their previous handlers here while hooked.
#pragma once
#include <memory>
#include <string>

#include "platform/component/collection.h"
#include "platform/component/events.h"

namespace plat {
class TField;
}

namespace ktrb {

class TUDFRelatedField : public plat::TCollectionItem {
    PLAT_CLASS(TUDFRelatedField, plat::TCollectionItem)
  public:
    explicit TUDFRelatedField(plat::TCollection* collection = nullptr);

    // The source field's change handler from before the form hooked it.
    plat::Event<plat::TField*> SavedOnChange;
    // Not owned; nullptr when the name matched no field.
    plat::TField* SourceField = nullptr;
    std::string SourceFieldName;
};

class TUDFRelatedFields : public plat::TCollection {
    PLAT_CLASS(TUDFRelatedFields, plat::TCollection)
  public:
    TUDFRelatedFields();
    TUDFRelatedField* Add();
    TUDFRelatedField* GetItem(int index) const;  // raises EListError out of range
    // The first item (lowest index) whose SourceField is this very field;
    // nullptr when none is.
    TUDFRelatedField* FindByField(const plat::TField* field) const;
};

class TUDFField : public plat::TCollectionItem {
    PLAT_CLASS(TUDFField, plat::TCollectionItem)
  public:
    explicit TUDFField(plat::TCollection* collection = nullptr);

    std::string TargetField;  // rule column TL006
    TUDFRelatedFields& RelatedFields() { return *related_; }
    const TUDFRelatedFields& RelatedFields() const { return *related_; }
    std::string QueryText;  // rule column TL013, for "QueryUDFData"

  private:
    std::unique_ptr<TUDFRelatedFields> related_;
};

class TUDFFields : public plat::TCollection {
    PLAT_CLASS(TUDFFields, plat::TCollection)
  public:
    TUDFFields();
    TUDFField* Add();
    TUDFField* GetItem(int index) const;  // raises EListError out of range
};

}  // namespace ktrb

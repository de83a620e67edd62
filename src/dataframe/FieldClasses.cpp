#include "dataframe/FieldClasses.h"

#include <functional>

#include "platform/component/classes.h"

namespace ktrb {

using plat::TComponent;
using plat::TFieldType;

namespace {

// The abstract bases are created as themselves with a neutral type; the
// class name stays the base's own.
template <class Base>
class Plain : public Base {
  public:
    Plain(TComponent* owner, TFieldType type) : Base(owner, type) {}
};

struct FieldClass {
    const plat::TClassInfo* info;
    std::function<TComponent*(TComponent*)> create;
};

template <class T>
FieldClass of() {
    return {T::StaticClass(), [](TComponent* owner) -> TComponent* { return new T(owner); }};
}

template <class T>
FieldClass plain(TFieldType type) {
    return {T::StaticClass(),
            [type](TComponent* owner) -> TComponent* { return new Plain<T>(owner, type); }};
}

const std::vector<FieldClass>& fieldClasses() {
    static const std::vector<FieldClass> table = {
        of<TADTField>(),
        of<plat::TAggregateField>(),
        of<TArrayField>(),
        of<plat::TAutoIncField>(),
        of<plat::TBCDField>(),
        plain<plat::TBinaryField>(TFieldType::ftBytes),
        of<plat::TBlobField>(),
        of<plat::TBooleanField>(),
        of<plat::TBytesField>(),
        of<plat::TCurrencyField>(),
        of<plat::TDateField>(),
        of<plat::TDataSetField>(),
        of<plat::TDateTimeField>(),
        of<plat::TFloatField>(),
        of<plat::TGraphicField>(),
        of<plat::TIntegerField>(),
        of<plat::TLargeintField>(),
        of<plat::TMemoField>(),
        plain<plat::TNumericField>(TFieldType::ftFloat),
        plain<plat::TObjectField>(TFieldType::ftUnknown),
        of<TReferenceField>(),
        of<plat::TSmallintField>(),
        of<plat::TStringField>(),
        of<plat::TTimeField>(),
        of<plat::TVarBytesField>(),
        of<plat::TWordField>(),
    };
    return table;
}

}  // namespace

const std::vector<std::string>& DatabaseFieldClassNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const FieldClass& c : fieldClasses()) out.emplace_back(c.info->Name());
        return out;
    }();
    return names;
}

void RegisterDatabaseFieldClasses() {
    for (const FieldClass& c : fieldClasses()) plat::RegisterClass(c.info, c.create);
}

void UnregisterDatabaseFieldClasses() {
    for (const FieldClass& c : fieldClasses()) plat::UnRegisterClass(c.info);
}

}  // namespace ktrb

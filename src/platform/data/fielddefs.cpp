#include "platform/data/fielddefs.h"

#include "platform/core/exceptions.h"
#include "platform/core/text.h"

namespace plat {

TFieldDef::TFieldDef() = default;
TFieldDef::~TFieldDef() = default;

TFieldDef::TFieldDef(const TFieldDef& o)
    : Name(o.Name),
      DataType(o.DataType),
      Size(o.Size),
      Precision(o.Precision),
      Required(o.Required),
      ReadOnly(o.ReadOnly),
      child_(o.child_ ? std::make_unique<TFieldDefs>(*o.child_) : nullptr) {}

TFieldDef& TFieldDef::operator=(const TFieldDef& o) {
    if (this != &o) {
        Name = o.Name;
        DataType = o.DataType;
        Size = o.Size;
        Precision = o.Precision;
        Required = o.Required;
        ReadOnly = o.ReadOnly;
        child_ = o.child_ ? std::make_unique<TFieldDefs>(*o.child_) : nullptr;
    }
    return *this;
}

TFieldDefs& TFieldDef::ChildDefs() {
    if (!child_) child_ = std::make_unique<TFieldDefs>();
    return *child_;
}

const TFieldDefs& TFieldDef::ChildDefs() const {
    static const TFieldDefs empty;
    return child_ ? *child_ : empty;
}

TFieldDef& TFieldDefs::Add(const std::string& name, TFieldType type, int size, bool required) {
    if (IndexOf(name) >= 0) throw EDatabaseError("Duplicate field name '" + name + "'");
    TFieldDef& d = items_.emplace_back();
    d.Name = name;
    d.DataType = type;
    d.Size = size;
    d.Required = required;
    return d;
}

int TFieldDefs::IndexOf(const std::string& name) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (SameText(items_[i].Name, name)) return (int)i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const std::string& name) {
    int i = IndexOf(name);
    if (i < 0) throw EDatabaseError("Field '" + name + "' not found");
    return &items_[i];
}

std::vector<TPacketField> TFieldDefs::ToPacketFields() const {
    std::vector<TPacketField> out;
    for (const TFieldDef& d : items_) {
        TPacketField f = PacketField(d.Name, d.DataType, d.Size);
        f.precision = d.Precision;
        f.required = d.Required;
        f.readOnly = d.ReadOnly;
        if (d.DataType == TFieldType::ftDataSet) f.fields = d.ChildDefs().ToPacketFields();
        out.push_back(std::move(f));
    }
    return out;
}

void TFieldDefs::Assign(const std::vector<TPacketField>& fields) {
    items_.clear();
    for (const TPacketField& f : fields) {
        TFieldDef& d = items_.emplace_back();
        d.Name = f.name;
        d.DataType = f.type;
        d.Size = f.size;
        d.Precision = f.precision;
        d.Required = f.required;
        d.ReadOnly = f.readOnly;
        if (!f.fields.empty()) d.ChildDefs().Assign(f.fields);
    }
}

TIndexDef& TIndexDefs::Add(const std::string& name, const std::string& fields,
                           TIndexOptions options) {
    if (IndexOf(name) >= 0) throw EDatabaseError("Duplicate index name '" + name + "'");
    TIndexDef& d = items_.emplace_back();
    d.Name = name;
    d.Fields = fields;
    d.Options = options;
    return d;
}

int TIndexDefs::IndexOf(const std::string& name) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (SameText(items_[i].Name, name)) return (int)i;
    return -1;
}

TIndexDef* TIndexDefs::FindIndexForName(const std::string& name) {
    int i = IndexOf(name);
    return i < 0 ? nullptr : &items_[i];
}

std::vector<std::string> SplitFieldNames(const std::string& names) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= names.size()) {
        size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        std::string part = Trim(names.substr(start, end - start));
        if (!part.empty()) out.push_back(part);
        start = end + 1;
    }
    return out;
}

}  // namespace plat

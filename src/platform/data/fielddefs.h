// Field definitions (the structure of an in-memory dataset before it is
// created) and index definitions (named orders with descending fields).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/data/datatypes.h"
#include "platform/data/provider.h"

namespace plat {

class TFieldDefs;

class TFieldDef {
  public:
    std::string Name;
    TFieldType DataType = TFieldType::ftUnknown;
    int Size = 0;
    int Precision = 0;
    bool Required = false;
    bool ReadOnly = false;
    // The definitions of a nested dataset field's rows.
    TFieldDefs& ChildDefs();
    const TFieldDefs& ChildDefs() const;

    TFieldDef();
    TFieldDef(const TFieldDef& o);
    TFieldDef& operator=(const TFieldDef& o);
    ~TFieldDef();

  private:
    std::unique_ptr<TFieldDefs> child_;
};

class TFieldDefs {
  public:
    TFieldDef& Add(const std::string& name, TFieldType type, int size = 0, bool required = false);
    TFieldDef& AddFieldDef() { return items_.emplace_back(); }
    int Count() const { return (int)items_.size(); }
    TFieldDef& operator[](int i) { return items_.at(i); }
    const TFieldDef& operator[](int i) const { return items_.at(i); }
    int IndexOf(const std::string& name) const;  // case-insensitive; -1
    TFieldDef* Find(const std::string& name);    // raises EDatabaseError when missing
    void Clear() { items_.clear(); }
    bool Empty() const { return items_.empty(); }

    std::vector<TPacketField> ToPacketFields() const;
    void Assign(const std::vector<TPacketField>& fields);

  private:
    std::vector<TFieldDef> items_;
};

enum TIndexOption : unsigned {
    ixPrimary = 1,
    ixUnique = 2,
    ixDescending = 4,
    ixCaseInsensitive = 8
};
using TIndexOptions = unsigned;

struct TIndexDef {
    std::string Name;
    std::string Fields;         // "A;B"
    std::string DescFields;     // fields sorted descending
    std::string CaseInsFields;  // fields compared without regard to case
    TIndexOptions Options = 0;
};

class TIndexDefs {
  public:
    // Raises EDatabaseError when the name is taken.
    TIndexDef& Add(const std::string& name, const std::string& fields, TIndexOptions options = 0);
    int Count() const { return (int)items_.size(); }
    TIndexDef& operator[](int i) { return items_.at(i); }
    const TIndexDef& operator[](int i) const { return items_.at(i); }
    int IndexOf(const std::string& name) const;            // case-insensitive; -1
    TIndexDef* FindIndexForName(const std::string& name);  // nullptr when missing
    void Delete(int i) { items_.erase(items_.begin() + i); }
    void Clear() { items_.clear(); }

  private:
    std::vector<TIndexDef> items_;
};

// "A;B; C" → {"A","B","C"} (blanks trimmed, empty parts dropped).
std::vector<std::string> SplitFieldNames(const std::string& names);

}  // namespace plat

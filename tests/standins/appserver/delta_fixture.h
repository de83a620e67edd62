// Delta rows as a client dataset sends them, built from fetched packets.
#pragma once
#include <gtest/gtest.h>

#include <map>

#include "platform/data/provider.h"

namespace standin::testing {

using plat::TDeltaRow;
using plat::TPacketField;
using plat::TPacketRow;
using plat::TUpdateStatus;
using plat::TValueRow;
using plat::Variant;

inline int Field(const std::vector<TPacketField>& f, const std::string& name) {
    for (size_t i = 0; i < f.size(); ++i)
        if (f[i].name == name) return (int)i;
    ADD_FAILURE() << "no field " << name;
    return -1;
}

inline plat::Variant Value(const std::vector<TPacketField>& f, const TPacketRow& r,
                           const std::string& name) {
    return r.values[Field(f, name)];
}

inline uint64_t nextId = 1;

// The row's new values with the named ones set and marked changed.
inline plat::TDeltaRow WithValues(const std::vector<TPacketField>& f, plat::TDeltaRow d,
                                  std::vector<Variant> v,
                                  const std::map<std::string, Variant>& set) {
    d.changed.assign(f.size(), false);
    for (auto& [name, value] : set) {
        v[(size_t)Field(f, name)] = value;
        d.changed[(size_t)Field(f, name)] = true;
    }
    d.newValues = TValueRow(v);
    for (auto& nf : f)
        if (nf.type == plat::TFieldType::ftDataSet) d.details.emplace_back();
    return d;
}

inline plat::TDeltaRow Modify(const std::vector<TPacketField>& f, const TPacketRow& row,
                              std::map<std::string, Variant> changes) {
    TDeltaRow d;
    d.id = nextId++;
    d.status = changes.empty() ? TUpdateStatus::usUnmodified : TUpdateStatus::usModified;
    d.oldValues = row.values;
    std::vector<Variant> v = row.values.Values();
    return WithValues(f, std::move(d), std::move(v), changes);
}

inline plat::TDeltaRow Insert(const std::vector<TPacketField>& f,
                              std::map<std::string, Variant> values) {
    TDeltaRow d;
    d.id = nextId++;
    d.status = TUpdateStatus::usInserted;
    std::vector<Variant> v(f.size());
    return WithValues(f, std::move(d), std::move(v), values);
}

inline plat::TDeltaRow Delete(const TPacketRow& row) {
    TDeltaRow d;
    d.id = nextId++;
    d.status = TUpdateStatus::usDeleted;
    d.oldValues = row.values;
    return d;
}

}  // namespace standin::testing

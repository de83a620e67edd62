// The delta that gives every line of a fetched receipt a new remark (TI040)
// under its unchanged header: one update a line, as the client sends it.
#pragma once
#include <string>
#include <vector>

#include "platform/data/provider.h"

namespace bench {

inline plat::TDelta ChangedRemarks(const plat::TDataPacket& p,
                                   const std::vector<plat::TPacketField>& lineFields,
                                   const std::string& remark) {
    size_t at = 0;
    while (lineFields[at].name != "TI040") ++at;
    plat::TDeltaRow head;
    head.id = 1;
    head.status = plat::TUpdateStatus::usUnmodified;
    head.oldValues = p.rows[0].values;
    head.details.resize(1);
    uint64_t id = 2;
    for (auto& line : p.rows[0].details[0]) {
        plat::TDeltaRow d;
        d.id = id++;
        d.status = plat::TUpdateStatus::usModified;
        d.oldValues = line.values;
        std::vector<plat::Variant> v = line.values.Values();
        v[at] = plat::Variant(remark);
        d.newValues = plat::TValueRow(v);
        d.changed.assign(lineFields.size(), false);
        d.changed[at] = true;
        d.details.resize(1);
        head.details[0].push_back(std::move(d));
    }
    return plat::TDelta{p.fields, {std::move(head)}};
}

}  // namespace bench

#include "standins/host/system_parameters.h"

#include "platform/core/text.h"
#include "standins/servers/data_files.h"

namespace standin {

SystemParameters SystemParameters::Load(const std::string& path) {
    SystemParameters p;
    for (auto& row : ReadTsvFile(path, 4, true)) p.Set(row.fields[0], row.fields[1], row.fields[2]);
    return p;
}

const SystemParameters& SystemParameters::Bundled() {
    static const SystemParameters p = Load(StandinDataPath("host/sysparams.tsv"));
    return p;
}

namespace {

// Names are compared without case: the index holds them upper-cased.
std::string IndexKey(const std::string& company, const std::string& name) {
    return company + '\t' + plat::UpperCase(name);
}

}  // namespace

void SystemParameters::Set(const std::string& company, const std::string& name,
                           const std::string& value) {
    const auto [at, added] = index_.try_emplace(IndexKey(company, name), rows_.size());
    if (!added) {
        rows_[at->second].value = value;
        return;
    }
    rows_.push_back({company, name, value});
}

std::vector<std::pair<std::string, std::string>> SystemParameters::ForCompany(
    const std::string& company) const {
    std::vector<std::pair<std::string, std::string>> out;
    std::unordered_map<std::string, size_t> seen;
    auto put = [&](const Row& r) {
        const auto [at, added] = seen.try_emplace(plat::UpperCase(r.name), out.size());
        if (added)
            out.emplace_back(r.name, r.value);
        else
            out[at->second].second = r.value;
    };
    for (auto& r : rows_)
        if (r.company == "*") put(r);
    if (company != "*")
        for (auto& r : rows_)
            if (r.company == company) put(r);
    return out;
}

plat::Variant SystemParameters::SysInfoReply(const std::string& company) const {
    auto params = ForCompany(company);
    plat::Variant reply = plat::Variant::CreateArray({0, 1, 0, int(params.size()) - 1});
    for (size_t i = 0; i < params.size(); ++i) {
        reply.At(0, int(i)) = params[i].first;
        reply.At(1, int(i)) = params[i].second;
    }
    return reply;
}

}  // namespace standin

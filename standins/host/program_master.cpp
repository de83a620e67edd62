#include "standins/host/program_master.h"

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "standins/servers/data_files.h"

namespace standin {

ProgramMaster ProgramMaster::Load(const std::string& path) {
    ProgramMaster pm;
    for (auto& row : ReadTsvFile(path, 14, true)) {
        const auto& f = row.fields;
        ProgramRecord r{f[0], f[1], f[2], f[3],  f[4],  f[5],  f[6],
                        f[7], f[8], f[9], f[10], f[11], f[12], 0};
        try {
            r.startResult = std::stoi(f[13]);
        } catch (const std::exception&) {
            throw plat::EInOutError(path + ":" + std::to_string(row.line) +
                                    ": START is not a number");
        }
        if (r.code.empty())
            throw plat::EInOutError(path + ":" + std::to_string(row.line) + ": no program code");
        pm.Put(std::move(r));
    }
    return pm;
}

const ProgramMaster& ProgramMaster::Bundled() {
    static const ProgramMaster pm = Load(StandinDataPath("host/programs.tsv"));
    return pm;
}

const ProgramRecord* ProgramMaster::Find(const std::string& code) const {
    const std::string c = plat::Trim(code);
    for (auto& r : records_)
        if (plat::SameText(r.code, c)) return &r;
    return nullptr;
}

void ProgramMaster::Put(ProgramRecord record) {
    for (auto& r : records_)
        if (plat::SameText(r.code, record.code)) {
            r = std::move(record);
            return;
        }
    records_.push_back(std::move(record));
}

plat::Variant ProgramMaster::ValidatorRow(const ProgramRecord& r) {
    return plat::Variant::ArrayOf({r.name, r.reportProgram, r.txnValue1, r.txnValue2, r.value4,
                                   r.value5, r.value6, r.programFlag, r.kind, r.englishName});
}

}  // namespace standin

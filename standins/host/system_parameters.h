// The system parameters of each company (host/sysparams.tsv), as the
// counter's GetSysInfo hands them out.
#pragma once
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/core/variant.h"

namespace standin {

class SystemParameters {
  public:
    // Raises plat::EInOutError for a missing or malformed file.
    static SystemParameters Load(const std::string& path);
    static const SystemParameters& Bundled();

    // (name, value) pairs for the company, in file order: its own rows
    // replace the "*" rows of the same name (names compared without case).
    std::vector<std::pair<std::string, std::string>> ForCompany(const std::string& company) const;
    // The reply of GetSysInfo: a two-dimensional array [0..1, 0..n-1], row 0
    // the names, row 1 the values. Every company gets the "*" rows.
    plat::Variant SysInfoReply(const std::string& company) const;

    // Sets one value for a company ("*" for all); used by tests and the host
    // program's options.
    void Set(const std::string& company, const std::string& name, const std::string& value);

  private:
    struct Row {
        std::string company, name, value;
    };
    std::vector<Row> rows_;
    // Company and upper-cased name to the row's place: loading stays linear.
    std::unordered_map<std::string, size_t> index_;
};

}  // namespace standin

// A query dialog for form tests: no conditions of its own.
#pragma once
#include <string>

#include "forms/SingleCF.h"

namespace ktrb::test {

class NoQueryDialog : public IQueryDialog {
  public:
    void Prepare(plat::TClientDataSet*, const std::string&, bool, const std::string&,
                 const std::string&) override {}
    bool Execute(std::string& where, std::string& orderBy) override {
        where.clear();
        orderBy.clear();
        return true;
    }
    void GetCondition(std::string& where, std::string& orderBy) override {
        where.clear();
        orderBy.clear();
    }
    void LoadScheme(int, const std::string&) override {}
    void SetTopRowCount(int) override {}
    int GetTopRowCount() override { return 500; }
    std::string GetWhereText() override { return {}; }
    std::string GetOrderText() override { return {}; }
};

}  // namespace ktrb::test

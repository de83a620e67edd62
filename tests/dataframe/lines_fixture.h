// In-memory lines for the routines of the header/body documents: a client
// data set of line rows and a clone cursor over the same rows.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/data/clientdataset.h"

namespace ktrb::testing {

struct LineRow {
    std::string no, item, lot;
    double amount = 0;
};

class LinesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        lines = std::make_unique<plat::TClientDataSet>();
        lines->SetName("cdsBody1");
        lines->FieldDefs().Add("TI003", plat::TFieldType::ftString, 4);
        lines->FieldDefs().Add("TI004", plat::TFieldType::ftString, 20);
        lines->FieldDefs().Add("TI010", plat::TFieldType::ftString, 20);
        lines->FieldDefs().Add("TI044", plat::TFieldType::ftFloat);
        lines->FieldDefs().Add("TI045", plat::TFieldType::ftFloat);
        lines->FieldDefs().Add("TI035", plat::TFieldType::ftString, 1);
        lines->CreateDataSet();
        clone = std::make_unique<plat::TClientDataSet>();
    }

    void Add(const LineRow& r) {
        lines->Append();
        lines->FieldByName("TI003")->SetAsString(r.no);
        lines->FieldByName("TI004")->SetAsString(r.item);
        lines->FieldByName("TI010")->SetAsString(r.lot);
        lines->FieldByName("TI044")->SetAsFloat(r.amount);
        lines->FieldByName("TI045")->SetAsFloat(0);
        lines->Post();
    }
    void Add(std::initializer_list<LineRow> rows) {
        for (const LineRow& r : rows) Add(r);
    }
    void Clone() { clone->CloneCursor(lines.get(), true); }

    std::vector<double> Amounts(const char* field = "TI044") {
        std::vector<double> out;
        for (lines->First(); !lines->Eof(); lines->Next())
            out.push_back(lines->FieldByName(field)->AsFloat());
        return out;
    }
    bool GoTo(const std::string& no) { return lines->Locate("TI003", plat::Variant(no)); }

    std::unique_ptr<plat::TClientDataSet> lines;
    std::unique_ptr<plat::TClientDataSet> clone;
};

}  // namespace ktrb::testing

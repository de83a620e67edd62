// The spreadsheet books the clerk's exports write, read back.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/system/xls_reader.h"

namespace clerk {

// No number carries binary noise past the fields' decimals (seven at the
// most, exchange rates).
inline void ExpectNoBinaryNoise(const XlsSheet& sheet) {
    for (const auto& [at, cell] : sheet.cells) {
        if (cell.kind != 2) continue;
        char decimals[64];
        std::snprintf(decimals, sizeof decimals, "%.7f", cell.number);
        EXPECT_EQ(cell.number, std::stod(decimals))
            << "row " << at.first << " column " << at.second << " of " << sheet.name;
    }
}

}  // namespace clerk

// What the host's print run puts on paper: a document read from the server's
// database by the report program's layout, as plain texts (title, header
// fields, line columns and rows, totals), ready for any page renderer.
#pragma once
#include <string>
#include <vector>

#include "platform/core/variant.h"

namespace standin {

class Database;

enum class PrintLanguage { Chinese, English };

struct PrintColumn {
    std::string title;
    double width = 1;  // share of the line's width
    bool numeric = false;
};

struct PrintedDocument {
    std::string title;
    std::vector<std::pair<std::string, std::string>> header;  // label, value
    std::vector<PrintColumn> columns;
    std::vector<std::vector<std::string>> rows;  // one text per column
    std::vector<std::string> totals;             // one per column; empty when none
    std::string footer;                          // printed under the lines of every page
};

// True when the host has a layout for the report program.
bool HasReportLayout(const std::string& reportProgram);

// Reads the document the key values (an array) name by the
// report program's layout. False with the reason in `error` when the report
// program has no layout, the keys do not fit it or no such document exists.
bool LoadPrintedDocument(Database& db, const std::string& reportProgram, const plat::Variant& keys,
                         PrintLanguage language, PrintedDocument& doc, std::string& error);

}  // namespace standin

// The module writes SQL Server's dialect; the stand-in runs SQLite. This
// translates what the module sends: "$$" and "db.." table prefixes, TOP n,
// (nolock) hints, string concatenation by "+", CR line breaks and a few
// functions with other names. Texts inside string literals are never touched.
#pragma once
#include <functional>
#include <string>

namespace standin {

struct SqlDialectOptions {
    // Tells whether a column name (unqualified, upper case) holds text; a "+"
    // next to a text operand concatenates.
    std::function<bool(const std::string&)> isTextColumn;
    // The view that shows a table (upper case) as the module names its
    // columns, or empty; a "$$" table reads that view under its own name.
    std::function<std::string(const std::string&)> companyView;
};

std::string TranslateSql(const std::string& sql, const SqlDialectOptions& options = {});

// The first keyword of a statement, upper case ("SELECT", "WITH", "UPDATE" ...).
std::string FirstKeyword(const std::string& sql);

// "O'Brien" -> "'O''Brien'".
std::string QuoteSql(const std::string& text);

}  // namespace standin

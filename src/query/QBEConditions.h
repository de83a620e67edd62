// The texts of the query dialog as plain functions: one grid row and the
// grid's WHERE, a term of the advanced and body pages, the body count
// subquery, the ORDER BY of the sort list, and the saved scheme texts.
// Every value typed by a user reaches SQL quoted or checked as a number or a
// date; anything that would not is refused with EQBEConditionError.
#pragma once
#include <string>
#include <vector>

#include "platform/core/exceptions.h"

namespace ktrb {

class TGridStrings;

// A value or a saved text that cannot become part of a query.
class EQBEConditionError : public plat::Exception {
  public:
    using plat::Exception::Exception;
};

// Field kinds the condition texts tell apart.
enum class TQBETypeClass { None = -1, Text = 1, Number = 2 };
// The kind of a platform field type (plat::TFieldType as an integer).
TQBETypeClass GetTypeClass(int dataType);
// The narrower number set of the advanced and body pages.
bool IsTermNumberType(int dataType);

enum class TQBEMask { None, Date, YearMonth };

// The operator lines (caption TAB code) when the language gives none.
std::vector<std::string> DefaultOperatorLines();
// The codes a grid row may carry.
bool IsKnownOperatorCode(const std::string& code);
// The second TAB piece of the first line whose first piece equals the text;
// the text itself when none does.
std::string DisplayToStoredValue(const std::vector<std::string>& lines, const std::string& text);
// The display text of a stored value; the value itself when none matches.
std::string StoredToDisplayValue(const std::vector<std::string>& lines, const std::string& value);
// Between apostrophes, each apostrophe doubled.
std::string QuoteSql(const std::string& value);
// The text as a number the server reads ("5.0" -> "5"); raises when it is none.
std::string SqlNumber(const std::string& value, const std::string& caption);
// Bounded by the text's ends, a blank, a comma, CR or LF.
bool IsWholeWordIn(const std::string& word, const std::string& text);
// "YYYYMM" with a month of 1..12.
bool IsValidYearMonthText(const std::string& ym);
// A display date in layout 1..5 as "YYYYMMDD" ("%d%.2d%.2d"); "" when it
// does not give three integers.
std::string DisplayDateToYmdText(const std::string& value, int layout,
                                 const std::string& separator);

// One row of the condition grid.
struct TQBERow {
    std::string caption;  // for messages
    std::string expr;     // the field as SQL writes it
    TQBETypeClass cls = TQBETypeClass::Text;
    TQBEMask mask = TQBEMask::None;
    const TGridStrings* pickList = nullptr;
    std::string op;  // operator code
    std::string value;
    std::string connector;
    int dateLayout = 1;
    std::string dateSeparator = "/";
};
// The row's condition followed by a blank and its connector ("AND" unless
// it is "OR"); empty when the operator or the value is empty.
std::string BuildRowConditionText(const TQBERow& row);
// " (" condition ") " connector for each row, the last connector dropped.
std::string JoinGridConditions(const std::vector<std::string>& rows);

// A term of the advanced or body page.
struct TQBETerm {
    std::string table;
    std::string columns;  // the SELECT's column list
    std::string fieldName;
    std::string sqlName;
    bool number = false;
    std::string caption;  // for messages
    int opIndex = 0;      // 0..8 of the page's operator list
    std::string value;
    int sqlType = 0;
};
std::string BuildTermText(const TQBETerm& term);
// The memo line of a term: the term alone first, later "  " connector " " term.
std::string TermLine(bool first, const std::string& connector, const std::string& term);

struct TQBEBodyQuery {
    std::string headTable, bodyTable;
    std::vector<std::string> headKeys, bodyKeys;
    std::string companyDB;
    bool noDBPrefix = false;
    std::string bodyJoin;
    std::string where, bodyWhere;
};
// The header condition joined with the count subquery of the body lines.
std::string BuildWithSubquery(const TQBEBodyQuery& q);

struct TQBESortItem {
    std::string text;  // padded caption TAB SQL name
    bool desc = false;
};
std::string BuildOrderText(const std::vector<TQBESortItem>& items, const std::string& table,
                           const std::string& columns);

// ---- saved schemes ----
struct TQBEGridSchemeRow {
    std::string caption, op, value, connector;
};
struct TQBEGridScheme {
    std::string topRow;
    std::vector<TQBEGridSchemeRow> rows;
};
struct TQBEAdvancedScheme {
    std::string topRow;
    std::string memo1;
    std::vector<TQBESortItem> sort;
    bool body = false;
    std::string memo2;
};
std::string FormatGridScheme(const TQBEGridScheme& s);
std::string FormatAdvancedScheme(const TQBEAdvancedScheme& s);
// Raise EQBEConditionError for a text that is not of the format.
TQBEGridScheme ParseGridScheme(const std::string& text);
TQBEAdvancedScheme ParseAdvancedScheme(const std::string& text);

}  // namespace ktrb

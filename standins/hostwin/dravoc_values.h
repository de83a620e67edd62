// What the host's lookup-window services decide without a window: the
// lookup request read from the module's array, the reply rows, column
// captions, the window texts in the interface's language, the special
// characters by kind and the calculator's arithmetic. The windows in
// dravoc_windows.h only show and collect.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/core/variant.h"
#include "standins/host/host_services.h"

namespace standin {

// The interface languages: code pages 936, 950 and 437.
enum class HostLanguage { Simplified, Traditional, English };
HostLanguage HostLanguageOfCodePage(const std::string& codePage);
const char* CodePageOf(HostLanguage language);

// A stored (GB) text as the interface shows it: the traditional form under
// code page 950, unchanged otherwise. The host program supplies it; without
// one texts are shown as stored.
using TextConversion = std::function<std::string(const std::string&)>;

// The lookup request as the module sends it (19 elements).
struct LookupWindowRequest {
    std::string table, query;
    plat::Variant params;   // element 2: one value or an array of values
    bool several = false;   // element 3: more than one row may be chosen
    std::string text;       // element 4: the field's text
    bool complete = false;  // element 9: code completion, one match answers at once
    bool amounts = true;    // element 15: the user may see amounts
    bool prices = true;     // element 16: the user may see prices
    std::string user;       // element 18
};
// Raises plat::Exception for a request that is not an array of 19 elements
// with a table name and a query number.
LookupWindowRequest ReadLookupRequest(const plat::Variant& request);

// The text a code completion starts from: the field's text, or else the
// first extra value (the completing handlers send the typed text as the key).
std::string CompletionText(const LookupWindowRequest& request);

// Positions of the columns the user may not see: the amount fields without
// the amount right, the price fields without the price right.
std::vector<size_t> HiddenColumns(const LookupRows& page, bool amounts, bool prices);

// The texts of a lookup's coded columns, by column position: stored value
// to shown text.
using ValueMaps = std::vector<std::vector<std::pair<std::string, std::string>>>;
ValueMaps LookupValueMaps(const LookupRows& page);
// The shown text of a value in a column (the value itself when unmapped).
std::string MappedText(const ValueMaps& maps, size_t column, const std::string& value);

// Positions of the fields handed back, among the page's columns: the
// return fields in their order, or every column when none is named (or a
// named one is missing).
std::vector<size_t> ReturnColumns(const LookupRows& page);

// The reply: one array per chosen row, the return fields' values in order;
// Unassigned when no row was chosen.
plat::Variant LookupReply(const std::vector<std::vector<plat::Variant>>& chosen,
                          const std::vector<size_t>& returned);

// A column's caption in the language ("caption$code" entries of the
// lookup's display lists; the column name when the list has none).
std::vector<std::string> LookupCaptions(const LookupRows& page, HostLanguage language,
                                        const TextConversion& toInterface);

// The windows' own texts.
enum class HostText {
    LookupTitle,
    Filter,
    FilterHint,
    Rows,
    MoreRows,
    Ok,
    Cancel,
    DateTitle,
    Today,
    PhraseTitle,
    PhraseNew,
    PhraseAdd,
    PhraseDelete,
    PhraseForCompany,
    PhraseCompany,
    CharTitle,
    CalcTitle,
    CalcError,
};
std::string HostTextOf(HostText text, HostLanguage language);

// The special characters by kind, each kind with its caption: characters
// that the interface's code page cannot write are left out.
struct CharacterKind {
    int kind;
    std::string caption;
    std::vector<std::string> characters;
};
std::vector<CharacterKind> CharacterKinds(HostLanguage language);

// The calculator: + - * / and parentheses over decimal numbers, with unary
// signs. False with an empty result for anything else, a division by zero
// or a number out of range.
bool EvaluateExpression(const std::string& text, double& result);
// The result as the field takes it: up to ten decimals, no trailing zeros.
std::string CalculatorText(double value);

// The date picker's start: "YYYYMMDD" when the text is a date, else today.
// Short years under the flag only change how the window shows the date.
std::string PickerStartDate(const std::string& text, const std::string& today);

}  // namespace standin

// Small routines every unit uses: tokens, padding, dates by the users'
// date-format codes, amounts and tax splits, durations, the alert log, a few
// variant helpers and the code-page conversions of variants.
//
// Texts are UTF-8. Widths count as the database code page writes the text (a
// Chinese character is 2). A search for a delimiter is a plain search: UTF-8
// never matches inside a character. Dates are the platform's date-time.
#pragma once
#include <cstdint>
#include <string>

#include "platform/core/dates.h"
#include "platform/core/variant.h"

namespace ktrb {

// ---- Tokens and texts -------------------------------------------------------

// Fill before (PadLeft) or after (PadRight) the text up to `width`; a text
// as wide or wider comes back unchanged.
std::string PadLeft(const std::string& text, int width, char pad = ' ');
std::string PadRight(const std::string& text, int width, char pad = ' ');

// The n-th (from 1) part of the text cut at each delimiter; "" when there are
// fewer parts or n < 1.
std::string TokenAt(const std::string& text, const std::string& delimiter, int n);
// Occurrences of the delimiter + 1; 0 for an empty text.
int FieldCount(const std::string& text, const std::string& delimiter);
// The part before the first delimiter; `text` keeps what follows it. Without a
// delimiter the whole text is returned and `text` becomes empty.
std::string CutToken(std::string& text, const std::string& delimiter);
// At least `width` digits with leading zeros, the sign before them.
std::string ZeroPad(int width, int64_t value);
// Every occurrence of oldText replaced by newText; nothing when the two are
// equal ignoring case. With `trim` the result is trimmed.
std::string ReplaceAllText(const std::string& text, const std::string& oldText,
                           const std::string& newText, bool trim);
// "ta001 desc" -> "TA001": an ORDER BY item without its direction and blanks.
std::string StripSortOrder(const std::string& item);

// ---- Dates ------------------------------------------------------------------

// Date-format codes: 1 year-month-day, 2 month-day-year, 3 day-month-year,
// 4 and 5 year-month-day with the year counted from 1911 (two and three digits).
std::string DateToText(int code, const std::string& separator, plat::TDateTime date);
// A display date back to a date; 0 for a blank, malformed or non-existent date.
plat::TDateTime TextToDate(const std::string& text, int code, const std::string& separator);
// A display date to its stored "yyyymmdd" text; "0" for a malformed or
// non-existent date.
std::string DisplayDateToYmd(const std::string& text, int code, const std::string& separator);
// "yyyymmdd" to a date; 0 unless it is a valid date.
plat::TDateTime YmdToDate(const std::string& ymd);
// True for "" and for a valid "yyyymmdd" within the SQL date range
// 17530101..99991231.
bool IsSqlDateRange(const std::string& ymd);
// The "yyyymmdd" date n years ("Y"), months ("M") or days ("D") after the
// given date (a "yyyymmdd" text or a date); "" for a bad date or unit.
std::string IncYmdDate(const plat::Variant& date, const std::string& unit, int n);
// 28..31; 0 for a month outside 1..12.
int DaysOfMonth(int year, int month);
// DateToText followed by " hh:nn:ss:zzz".
std::string DateTimeToText(int code, const std::string& separator, plat::TDateTime dateTime);
// "yyyymmddhhnnsszzz" to a date-time; the time alone when the date part is
// zero; 0 when a part is out of range.
plat::TDateTime YmdHmsToDateTime(const std::string& text);
// The 8-digit identification-number check.
bool CheckIdNumber(const std::string& text);

// ---- Numbers ----------------------------------------------------------------

// The value rounded half away from zero to `decimals` places, with a tolerance
// of 1e-12 so that 1.005 gives 1.01.
double RoundToDecimals(int decimals, double value);
// Guards against the swapped argument order (value, decimals).
double RoundToDecimals(double value, int decimals) = delete;
// 0 when a and b differ by less than 1e-10 (each read back from its text),
// 1 when a is greater, -1 when smaller.
int CompareFloats(double a, double b);
// [total seconds, duration text] of a + sign * b for texts "hhh:nn:ss";
// [0, "000:00:00"] for a bad text or a sign other than 1 and -1.
plat::Variant AddDurationTexts(const std::string& a, const std::string& b, int sign);
// "[-]hhhh:nn:ss".
std::string SecondsToDurationText(int64_t seconds);
// Input [currency, local currency, tax rate, tax type, exchange rate,
// decimals, local decimals, amount, (quantity, price)]; result [untaxed, tax,
// local untaxed, local tax]. Tax type "1" tax included, "2" tax added.
plat::Variant SplitTaxAmounts(const plat::Variant& input);
// As SplitTaxAmounts with the tax taken as a share of the amount, tax type
// "1" only (zeros for other types).
plat::Variant SplitTaxByRate(const plat::Variant& input);

// ---- Alert log --------------------------------------------------------------

// Appends "[yyyy/mm/dd hh:nn:ss:zzz] text" to <log folder>/Log/Alert_<name>_<stamp>
// (+ ".log" unless the name holds a "."); the stamp is by period "D" day,
// "M" month, "Y" year, anything else day. False when it could not be written;
// never raises.
bool WriteAlertLog(const std::string& name, const std::string& text, const std::string& period);
// "ClientPath", else "ServerPath" of the installation's registry key; "" when
// neither is set.
std::string HostLogFolder();

// ---- Variants ---------------------------------------------------------------

plat::Variant VarIIf(bool condition, const plat::Variant& whenTrue, const plat::Variant& whenFalse);
// True for Unassigned and Null.
bool VarIsBlank(const plat::Variant& value);
// The flag of the column whose row-0 name matches (ignoring case) in a
// two-row array of names and flags; true when no column matches; false for a
// malformed array.
bool LookupVarFlag(const plat::Variant& flags, const std::string& name);
// True exactly for "127.0.0.1": the application server then runs in-process.
bool IsLocalAddress(const std::string& address);

// ---- Code pages -------------------------------------------------------------

// Text (UTF-8) to bytes in the code page; a code page this system does not
// know converts in the ANSI code page instead. A character the code page
// lacks becomes "?".
std::string WideStrToAnsiCP(const std::string& text, int codePage);
// Bytes in the code page to text (UTF-8), with the same fallback; a byte
// sequence that does not decode becomes U+FFFD.
std::string AnsiStrToWideCP(const std::string& bytes, int codePage);
// Every wide text in the variant (nested arrays of a one-dimensional array
// included; a text at the top of either kind) becomes single-byte text limited
// to the code page's characters. Failures go to the "libstrs" alert log.
plat::Variant VarToAnsiCP(const plat::Variant& value, int codePage);
// The other direction: every single-byte text becomes wide text.
plat::Variant VarToWideCP(const plat::Variant& value, int codePage);
// The Chinese caption of a standard dialog button ("Yes", "OK" ...); other
// names come back unchanged.
std::string LocalizeDialogButtons(const std::string& buttonName);

}  // namespace ktrb

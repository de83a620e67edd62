// The shared field handlers of TdmRadical. Stored forms (whatever the user's
// layout): time "HHMM", day and month "DD", date "YYYYMMDD" (or a date
// field), month-day "MMDD", year-month "YYYYMM", year "YYYY", duration in
// seconds, percent as a fraction of 1.
#include <algorithm>

#include "dataframe/RadicalCD.h"
#include "dataframe/knlRadical.h"
#include "platform/component/properties.h"
#include "platform/core/format.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr const char* kMaskTail = ";1; ";

bool editing(const TField* f) {
    const plat::TDataSet* ds = f->DataSet();
    return ds && (ds->State() == plat::dsEdit || ds->State() == plat::dsInsert);
}

bool isDateField(const TField* f) {
    return f->DataType() == plat::TFieldType::ftDate ||
           f->DataType() == plat::TFieldType::ftDateTime;
}

// The integer of a text; `bad` when it is not one.
int intOr(const std::string& s, int bad) {
    return plat::StrToIntDef(plat::Trim(s), bad);
}

std::string twoDigits(int v) {
    return plat::Format("%.*d", {2, v});
}

// The year part of a date mask.
std::string yearMask(int layout) {
    switch (layout) {
        case 1:
        case 2:
        case 3:
            return "9999";
        case 4:
            return "99";
        case 5:
            return "999";
        default:
            return "";
    }
}

// A stored "YYYY" year shown in the layout; '' for an unknown layout.
std::string showYear(const std::string& year, int layout) {
    switch (layout) {
        case 1:
        case 2:
        case 3:
            return year;
        case 4:
            return std::to_string(plat::StrToInt(year) - 1911);
        case 5:
            return ZeroPad(3, plat::StrToInt(year) - 1911);
        default:
            return "";
    }
}

bool after0(const std::string& s) {
    return plat::CompareStr(s, "0") > 0;
}

// The first value of a look-up answer: a two-dimensional array, an array of
// rows, or a plain array.
Variant firstCell(const Variant& answer) {
    if (answer.DimCount() == 2) return answer.At(answer.LowBound(1), answer.LowBound(2));
    const Variant& row = answer[answer.LowBound(1)];
    return row.IsArray() ? (row.ArrayCount() > 0 ? row[row.LowBound(1)] : Variant()) : row;
}

bool hasRows(const Variant& answer) {
    return answer.IsArray() && answer.ArrayCount() > 0;
}

}  // namespace

// ---- time ----

std::string TdmRadical::TimeFieldEditMask() const {
    return "99:99;1; ";
}

void TdmRadical::TimeFieldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (Sender->IsNull()) return;
    Text = Sender->AsString();
    Text.insert(std::min<size_t>(2, Text.size()), ":");
}

void TdmRadical::TimeFieldSetText(TField* Sender, const std::string& Text) {
    if (Text == "  :  " || plat::Trim(Text).empty() || plat::Trim(Text) == ":") {
        Sender->Clear();
        return;
    }
    int hours = intOr(TokenAt(Text, ":", 1), 0);
    int minutes = intOr(TokenAt(Text, ":", 2), 0);
    Sender->SetAsString(twoDigits(hours) + twoDigits(minutes));
}

void TdmRadical::TimeFieldValidate(TField* Sender) {
    if (!editing(Sender)) return;
    std::string s = Sender->AsString();
    if (s.empty()) return;
    int hours = s.size() == 4 ? intOr(s.substr(0, 2), -1) : -1;
    int minutes = s.size() == 4 ? intOr(s.substr(2, 2), -1) : -1;
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) refuse("100187");
}

// ---- day and month ----

std::string TdmRadical::DayFieldEditMask() const {
    return "99;1; ";
}

void TdmRadical::DayFieldSetText(TField* Sender, const std::string& Text) {
    if (plat::Trim(Text).empty()) {
        Sender->Clear();
        return;
    }
    Sender->SetAsString(twoDigits(intOr(Text, 0)));
}

void TdmRadical::DayFieldValidate(TField* Sender) {
    if (!editing(Sender) || Sender->AsString().empty()) return;
    int day = intOr(Sender->AsString(), 0);
    if (day < 1 || day > 31) refuse("000005");
}

std::string TdmRadical::MonthFieldEditMask() const {
    return "99;1; ";
}

void TdmRadical::MonthFieldSetText(TField* Sender, const std::string& Text) {
    DayFieldSetText(Sender, Text);
}

void TdmRadical::MonthFieldValidate(TField* Sender) {
    if (!editing(Sender) || Sender->AsString().empty()) return;
    int month = intOr(Sender->AsString(), 0);
    if (month < 1 || month > 12) refuse("100002");
}

// ---- date ----

std::string TdmRadical::DateFieldEditMask() const {
    std::string year = yearMask(DateLayout);
    const std::string& sep = DateSeparator;
    if (DateLayout == 2 || DateLayout == 3) return "99" + sep + "99" + sep + year + kMaskTail;
    return year + sep + "99" + sep + "99" + kMaskTail;
}

void TdmRadical::DateFieldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (Sender->IsNull()) return;
    plat::TDateTime date =
        isDateField(Sender) ? Sender->AsDateTime() : YmdToDate(Sender->AsString());
    Text = DateToText(DateLayout, DateSeparator, date);
}

void TdmRadical::DateFieldSetText(TField* Sender, const std::string& Text) {
    // A text with no digit (an emptied mask) clears the date; digits that make
    // no date are refused, so the clerk sees the typed text again instead of
    // a silently blanked field.
    const bool typed = Text.find_first_of("0123456789") != std::string::npos;
    if (isDateField(Sender)) {
        plat::TDateTime date = TextToDate(Text, DateLayout, DateSeparator);
        if (date > 0)
            Sender->SetAsDateTime(date);
        else if (typed)
            refuse("000005");
        else
            Sender->Clear();
        return;
    }
    std::string ymd = DisplayDateToYmd(Text, DateLayout, DateSeparator);
    if ((ymd.empty() || ymd == "0") && typed) refuse("000005");
    Sender->SetAsString(ymd.empty() || ymd == "0" ? std::string() : ymd);
}

void TdmRadical::DateFieldValidate(TField* Sender) {
    if (!editing(Sender)) return;
    std::string ymd = isDateField(Sender) && !Sender->IsNull()
                          ? plat::FormatDateTime("yyyymmdd", Sender->AsDateTime())
                          : Sender->AsString();
    if (!IsSqlDateRange(ymd)) refuse("000005");
}

// ---- month-day ----

std::string TdmRadical::MDFieldEditMask() const {
    return "99" + DateSeparator + "99" + kMaskTail;
}

void TdmRadical::MDFieldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (Sender->IsNull()) return;
    std::string s = Sender->AsString();
    std::string month = s.substr(0, std::min<size_t>(2, s.size()));
    std::string day = s.size() > 2 ? s.substr(2, 2) : std::string();
    Text = DateLayout == 3 ? day + DateSeparator + month : month + DateSeparator + day;
}

void TdmRadical::MDFieldSetText(TField* Sender, const std::string& Text) {
    std::string blank = plat::Trim(Text);
    if (Text == "  " + DateSeparator + "  " || blank.empty() ||
        blank == plat::Trim(DateSeparator)) {
        Sender->Clear();
        return;
    }
    std::string first = TokenAt(Text, DateSeparator, 1), second = TokenAt(Text, DateSeparator, 2);
    int month = intOr(DateLayout == 3 ? second : first, 0);
    int day = intOr(DateLayout == 3 ? first : second, 0);
    Sender->SetAsString(twoDigits(month) + twoDigits(day));
}

void TdmRadical::MDFieldValidate(TField* Sender) {
    if (!editing(Sender) || Sender->AsString().empty()) return;
    std::string year = plat::FormatDateTime("yyyy", plat::Date());
    if (!IsSqlDateRange(year + Sender->AsString())) refuse("000005");
}

// ---- year-month ----

std::string TdmRadical::YMFieldEditMask() const {
    std::string year = yearMask(DateLayout);
    if (DateLayout == 2 || DateLayout == 3) return "99" + DateSeparator + year + kMaskTail;
    return year + DateSeparator + "99" + kMaskTail;
}

void TdmRadical::YMFieldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (Sender->IsNull()) return;
    std::string s = Sender->AsString();
    std::string year = s.substr(0, std::min<size_t>(4, s.size()));
    std::string month = s.size() > 4 ? s.substr(4, 2) : std::string();
    if (!after0(year) || !after0(month)) return;
    try {
        std::string shown = showYear(year, DateLayout);
        if (shown.empty()) return;
        Text = DateLayout == 2 || DateLayout == 3 ? month + DateSeparator + shown
                                                  : shown + DateSeparator + month;
    } catch (const plat::Exception&) {
        Text.clear();
    }
}

void TdmRadical::YMFieldSetText(TField* Sender, const std::string& Text) {
    Sender->SetAsString(NormalizeYearMonthText(Text, DateLayout, DateSeparator));
}

void TdmRadical::YMFieldValidate(TField* Sender) {
    if (!editing(Sender)) return;
    std::string s = Sender->AsString();
    if (s.empty()) return;
    int year = s.size() >= 6 ? intOr(s.substr(0, 4), 0) : 0;
    if (year < 1753 || year > 9999) refuse("200820");
    int month = intOr(s.substr(4, 2), 0);
    if (month < 1 || month > 12) refuse("100002");
}

// ---- year ----

std::string TdmRadical::YearFieldEditMask() const {
    return yearMask(DateLayout) + kMaskTail;
}

void TdmRadical::YearFieldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (Sender->IsNull()) return;
    std::string year = Sender->AsString().substr(0, 4);
    if (!after0(year)) return;
    try {
        Text = showYear(year, DateLayout);
    } catch (const plat::Exception&) {
        Text.clear();
    }
}

void TdmRadical::YearFieldSetText(TField* Sender, const std::string& Text) {
    int year = intOr(Text, 0);
    std::string stored;
    switch (DateLayout) {
        case 1:
        case 2:
        case 3:
            stored = PadLeft(std::to_string(year), 4, '0');
            break;
        case 4:
        case 5:
            stored = PadLeft(std::to_string(year + 1911), 4, '0');
            break;
        default:
            break;
    }
    Sender->SetAsString(stored);
}

// ---- percent ----

std::string TdmRadical::PercentFieldEditMask() const {
    return "###.##%;1; ";
}

void TdmRadical::PercentFieldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (Sender->IsNull()) return;
    Text = plat::Format("%3.2f%%", {Sender->AsFloat() * 100});
}

void TdmRadical::PercentFieldSetText(TField* Sender, const std::string& Text) {
    // A text typed without the mask may lack the decimal point: then all of
    // it up to "%" is the integer part.
    std::string upToPercent = Text.substr(0, Text.find('%'));
    size_t dot = upToPercent.find('.');
    std::string whole = plat::Trim(upToPercent.substr(0, dot));
    std::string fraction =
        dot == std::string::npos ? std::string() : plat::Trim(upToPercent.substr(dot + 1));
    double value = 0;
    if (!plat::TryStrToFloat(
            (whole.empty() ? "0" : whole) + (fraction.empty() ? "" : "." + fraction), value) ||
        (whole.empty() && fraction.empty()))
        value = 0;
    Sender->SetAsFloat(value / 100);
}

// ---- duration ----

std::string TdmRadical::SecondFieldEditMask() const {
    return "9999:99:99;1; ";
}

void TdmRadical::SecondFldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (Sender->IsNull()) return;
    Text = SecondsToDurationText(plat::VarToIntDef(Sender->Value(), 0));
}

void TdmRadical::SecondFldSetText(TField* Sender, const std::string& Text) {
    if (Text == "0") {
        Sender->SetValue(Variant(0));
        return;
    }
    int hours = intOr(TokenAt(Text, ":", 1), 0);
    int minutes = intOr(TokenAt(Text, ":", 2), 0);
    int seconds = intOr(TokenAt(Text, ":", 3), 0);
    std::string duration =
        ZeroPad(4, hours) + ":" + ZeroPad(2, minutes) + ":" + ZeroPad(2, seconds);
    bool valid = duration.size() == 10 && hours >= 0 && intOr(duration.substr(5, 2), -1) >= 0 &&
                 intOr(duration.substr(5, 2), -1) <= 59 && intOr(duration.substr(8, 2), -1) >= 0 &&
                 intOr(duration.substr(8, 2), -1) <= 59;
    if (!valid) refuse("100187");
    Variant total = AddDurationTexts(duration, "0000:00:00", 1);
    Sender->SetAsString(plat::VarToStr(total[total.LowBound(1)]));
}

// ---- number formats ----

void TdmRadical::NumberFieldDisplayFormat(int decimals, std::string& format) const {
    if (decimals < 0) return;
    format = decimals == 0 ? "#,##0.#######" : "#,##0." + std::string(std::min(decimals, 11), '0');
}

std::string TdmRadical::NumberFieldEditFormat() const {
    return "##0.#######";
}

// ---- code completion ----

void TdmRadical::BarCodeFieldSetText(TField* field, const std::string& text,
                                     const Variant& keyValues, const std::string& queryNo,
                                     const std::string& tableName) {
    completeCode(field, text, keyValues, queryNo.empty() ? "63" : queryNo,
                 tableName.empty() ? "INVMB" : tableName, "SYS053", TCodeKind::Item);
}

void TdmRadical::CostFieldSetText(TField* field, const std::string& text, const Variant& keyValues,
                                  const std::string& queryNo, const std::string& tableName) {
    completeCode(field, text, keyValues, queryNo.empty() ? "66" : queryNo,
                 tableName.empty() ? "ACTMA" : tableName, "SYS056", TCodeKind::CostCentre);
}

void TdmRadical::CustomerFieldSetText(TField* Sender, const std::string& Text) {
    completeCode(Sender, Text, Variant(), sysParam("SYS054") == "2" ? "62" : "61", "COPMA",
                 "SYS054", TCodeKind::Customer);
}

void TdmRadical::ProviderFieldSetText(TField* field, const std::string& text,
                                      const std::string& queryNo) {
    completeCode(field, text, Variant(), queryNo, "PURMA", "SYS055", TCodeKind::Supplier);
}

void TdmRadical::completeCode(TField* field, const std::string& text, Variant keys,
                              std::string queryNo, const std::string& table,
                              const std::string& param, TCodeKind kind) {
    const bool barCode = kind == TCodeKind::Item;
    const bool partner = kind == TCodeKind::Customer || kind == TCodeKind::Supplier;
    if (text.empty()) {
        field->SetAsString(barCode ? std::string() : fromDisplay(""));
        return;
    }
    std::string typed = fromDisplay(text);
    auto lookUp = [&](const std::string& t, const std::string& q, const Variant& k) {
        TLookupRequest request;
        request.A = Variant(t);
        request.B = Variant(q);
        request.Value = k;
        request.Bool2 = true;
        return Broker ? Broker->F2GetData(request) : Variant();
    };
    if (barCode && BarCodeKindField && BarCodeKindField->AsString() == "2") {
        Variant answer = lookUp("INVMH", "01", plat::VarArrayOf({Variant(typed)}));
        if (hasRows(answer)) {
            field->SetAsString(plat::VarToStr(firstCell(answer)));
            field->FocusControl();
            return;
        }
    }
    std::string setting = sysParam(param);
    if (setting == "1") {
        field->SetAsString(typed);
        return;
    }
    if (barCode && setting != "2" && setting != "3") return;
    // Partners are looked up by the typed code alone; items and cost centres
    // by the given keys, or the typed code when none are given.
    if (partner) {
        keys = plat::VarArrayOf({Variant(typed)});
    } else {
        if (!keys.IsArray())
            keys = plat::VarArrayOf({plat::VarToStr(keys).empty() ? Variant(text) : keys});
        for (int i = keys.LowBound(1); i <= keys.HighBound(1); ++i)
            if (keys[i].IsText()) keys[i] = Variant(fromDisplay(plat::VarToStr(keys[i])));
    }
    if (setting == "2" && kind != TCodeKind::Customer)
        queryNo = std::to_string(plat::StrToIntDef(queryNo, 0) + 1);
    Variant answer = lookUp(table, queryNo, keys);
    field->SetAsString(hasRows(answer) ? plat::VarToStr(firstCell(answer)) : typed);
    field->FocusControl();
}

}  // namespace ktrb

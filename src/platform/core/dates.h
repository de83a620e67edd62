// The platform's date-time: days since 1899-12-30 as a double, the time of
// day as the fraction. Before 1899-12-30 the whole part counts back and the
// fraction still adds the time (-1.25 is 1899-12-29 06:00).
#pragma once
#include <string>
#include <string_view>

namespace plat {

using TDateTime = double;

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);  // 0 for a month outside 1..12
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int min, int sec, int msec);
// Raise EConvertError on an invalid date or time; the Try forms return false.
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out);
// Values round to the millisecond first, as the platform does; a value
// outside the years 1..9999 (or NaN) decodes as all zeros.
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime dt);
// Adds months; the day is lowered to the last day of a shorter month, the
// time of day is kept. Raises EConvertError beyond the year 9999.
TDateTime IncMonth(TDateTime dt, int months = 1);

// Local time now with milliseconds; today at midnight; the time of day now.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Date-time patterns, letters in either case: d dd (day), ddd dddd (day
// names), ddddd (short date), dddddd (long date), m mm (month; minutes right
// after h or hh), mmm mmmm (month names), yy yyyy, h hh, n nn, s ss, z zzz,
// t (short time), tt (long time), c (short date, then long time when there is
// a time of day), am/pm a/p ampm (12-hour clock), "/" and ":" (the date and
// time separators of the settings), text in single or double quotes; every
// other character stands for itself.
std::string FormatDateTime(std::string_view format, TDateTime dt);
// Short date and long time of the settings ("YYYY/MM/DD hh:nn:ss" by default),
// the time left out at midnight.
std::string DateTimeToStr(TDateTime dt);
std::string DateToStr(TDateTime dt);
std::string TimeToStr(TDateTime dt);

}  // namespace plat

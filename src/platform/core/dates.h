// The platform's date-time: days since 1899-12-30 as a double, the time of
// day as the fraction.
#pragma once
#include <string>

namespace plat {

using TDateTime = double;

bool IsValidDate(int year, int month, int day);
// Raise EConvertError on an invalid date or time; the Try form returns false.
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
// "YYYY/MM/DD", with " hh:nn:ss" when there is a time of day.
std::string DateTimeToStr(TDateTime dt);

}  // namespace plat

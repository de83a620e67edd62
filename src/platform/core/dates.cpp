#include "platform/core/dates.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"

namespace plat {

namespace {

constexpr long kDaysTo18991230 = 693594;  // from 0001-01-01 (day 1)
constexpr double kMsPerDay = 86400000.0;
constexpr double kMinDate = -693593;  // 0001-01-01
constexpr double kMaxDate = 2958466;  // 10000-01-01

// The platform's split of a date-time: whole days and milliseconds of the day,
// after rounding the absolute value to the millisecond.
bool split(TDateTime dt, long& days, long& ms) {
    if (!std::isfinite(dt) || dt < kMinDate || dt >= kMaxDate) return false;
    long long total = std::llround(std::fabs(dt) * kMsPerDay);
    days = (long)(total / 86400000LL);
    ms = (long)(total % 86400000LL);
    if (dt < 0) days = -days;
    return true;
}

}  // namespace

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInAMonth(int y, int m) {
    static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12) return 0;
    return m == 2 && IsLeapYear(y) ? 29 : d[m - 1];
}

bool IsValidDate(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInAMonth(y, m);
}

bool IsValidTime(int h, int n, int s, int ms) {
    return h >= 0 && h <= 23 && n >= 0 && n <= 59 && s >= 0 && s <= 59 && ms >= 0 && ms <= 999;
}

bool TryEncodeDate(int y, int m, int d, TDateTime& out) {
    if (!IsValidDate(y, m, d)) return false;
    long yy = y - 1;
    long days = yy * 365L + yy / 4 - yy / 100 + yy / 400;
    for (int i = 1; i < m; ++i) days += DaysInAMonth(y, i);
    days += d;
    out = (double)(days - kDaysTo18991230);
    return true;
}

TDateTime EncodeDate(int y, int m, int d) {
    TDateTime r;
    if (!TryEncodeDate(y, m, d, r)) throw EConvertError("Invalid argument to date encode");
    return r;
}

bool TryEncodeTime(int h, int n, int s, int ms, TDateTime& out) {
    if (!IsValidTime(h, n, s, ms)) return false;
    out = (h * 3600000.0 + n * 60000.0 + s * 1000.0 + ms) / kMsPerDay;
    return true;
}

TDateTime EncodeTime(int h, int n, int s, int ms) {
    TDateTime r;
    if (!TryEncodeTime(h, n, s, ms, r)) throw EConvertError("Invalid argument to time encode");
    return r;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    long days, ms;
    if (!split(dt, days, ms)) {
        year = month = day = 0;
        return;
    }
    long t = days + kDaysTo18991230 - 1;  // days since 0001-01-01
    long y400 = t / 146097;
    t %= 146097;
    long y100 = t / 36524;
    t %= 36524;
    if (y100 == 4) {
        y100 = 3;
        t += 36524;
    }
    long y4 = t / 1461;
    t %= 1461;
    long y1 = t / 365;
    t %= 365;
    if (y1 == 4) {
        y1 = 3;
        t += 365;
    }
    year = (int)(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    month = 1;
    while (t >= DaysInAMonth(year, month)) {
        t -= DaysInAMonth(year, month);
        ++month;
    }
    day = (int)t + 1;
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
    long days, ms;
    if (!split(dt, days, ms)) {
        hour = min = sec = msec = 0;
        return;
    }
    hour = (int)(ms / 3600000);
    ms %= 3600000;
    min = (int)(ms / 60000);
    ms %= 60000;
    sec = (int)(ms / 1000);
    msec = (int)(ms % 1000);
}

int DayOfWeek(TDateTime dt) {
    long days, ms;
    if (!split(dt, days, ms)) return 0;
    // 1899-12-30 was a Saturday (7).
    long r = (days + 6) % 7;
    if (r < 0) r += 7;
    return (int)r + 1;
}

TDateTime IncMonth(TDateTime dt, int months) {
    int y, m, d;
    DecodeDate(dt, y, m, d);
    if (y == 0) throw EConvertError("Invalid argument to date encode");
    long index = (long)y * 12 + (m - 1) + months;
    long ny = index / 12;
    int nm = (int)(index % 12) + 1;
    if (index < 0 || ny < 1 || ny > 9999) throw EConvertError("Invalid argument to date encode");
    int maxDay = DaysInAMonth((int)ny, nm);
    TDateTime date = EncodeDate((int)ny, nm, d > maxDay ? maxDay : d);
    double timePart = std::fabs(dt - std::trunc(dt));
    return date < 0 ? date - timePart : date + timePart;
}

TDateTime Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                      (int)(ts.tv_nsec / 1000000));
}

TDateTime Date() {
    return std::floor(Now());
}

TDateTime Time() {
    TDateTime n = Now();
    return n - std::floor(n);
}

namespace {

class DateFormatter {
  public:
    explicit DateFormatter(TDateTime dt) : s_(CurrentFormatSettings()) {
        DecodeDate(dt, y_, m_, d_);
        DecodeTime(dt, h_, n_, sec_, ms_);
        dow_ = DayOfWeek(dt);
        hasTime_ = h_ || n_ || sec_ || ms_;
    }

    std::string run(std::string_view f, int depth = 0) {
        std::string out;
        bool lastWasHour = false;
        bool twelve = uses12Hour(f);
        size_t i = 0;
        while (i < f.size()) {
            char c = f[i];
            char u = upper(c);
            size_t count = runOf(f, i);
            bool hourToken = false;
            switch (u) {
                case '"':
                case '\'': {
                    size_t end = f.find(c, i + 1);
                    if (end == std::string_view::npos) end = f.size();
                    out.append(f.substr(i + 1, end - i - 1));
                    i = end + 1;
                    continue;
                }
                case 'C':
                    i += 1;
                    if (depth < 2) {
                        out += run(s_->ShortDateFormat, depth + 1);
                        if (hasTime_) {
                            out += ' ';
                            out += run(s_->LongTimeFormat, depth + 1);
                        }
                    }
                    break;
                case 'D':
                    i += count;
                    if (count <= 2)
                        out += num(d_, (int)count);
                    else if (count == 3)
                        out += s_->ShortDayNames[(size_t)dayIndex()];
                    else if (count == 4)
                        out += s_->LongDayNames[(size_t)dayIndex()];
                    else if (depth < 2)
                        out +=
                            run(count == 5 ? s_->ShortDateFormat : s_->LongDateFormat, depth + 1);
                    break;
                case 'M':
                    i += count;
                    if (count <= 2)
                        out += num(lastWasHour ? n_ : m_, (int)count);
                    else if (m_ >= 1)
                        out +=
                            (count == 3 ? s_->ShortMonthNames : s_->LongMonthNames)[(size_t)m_ - 1];
                    break;
                case 'Y':
                    i += count;
                    out += count <= 2 ? num(y_ % 100, 2) : num(y_, 4);
                    break;
                case 'H':
                    i += count;
                    hourToken = true;
                    out += num(twelve ? (h_ % 12 == 0 ? 12 : h_ % 12) : h_, count >= 2 ? 2 : 1);
                    break;
                case 'N':
                    i += count;
                    out += num(n_, count >= 2 ? 2 : 1);
                    break;
                case 'S':
                    i += count;
                    out += num(sec_, count >= 2 ? 2 : 1);
                    break;
                case 'Z':
                    i += count;
                    out += num(ms_, count >= 2 ? 3 : 1);
                    break;
                case 'T':
                    i += count;
                    if (depth < 2)
                        out +=
                            run(count >= 2 ? s_->LongTimeFormat : s_->ShortTimeFormat, depth + 1);
                    break;
                case 'A':
                    i += ampm(f, i, out);
                    break;
                case '/':
                    ++i;
                    out += s_->DateSeparator;
                    break;
                case ':':
                    ++i;
                    out += s_->TimeSeparator;
                    break;
                default:
                    ++i;
                    out += c;
                    break;
            }
            // "m" right after an hour means minutes; separators in between do not break it.
            if (hourToken)
                lastWasHour = true;
            else if (isalpha((unsigned char)u))
                lastWasHour = false;
        }
        return out;
    }

  private:
    static char upper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 0x20) : c; }

    static size_t runOf(std::string_view f, size_t i) {
        size_t j = i + 1;
        while (j < f.size() && upper(f[j]) == upper(f[i])) ++j;
        return j - i;
    }

    static bool startsWithNoCase(std::string_view f, size_t i, std::string_view what) {
        if (f.size() - i < what.size()) return false;
        for (size_t k = 0; k < what.size(); ++k)
            if (upper(f[i + k]) != upper(what[k])) return false;
        return true;
    }

    static bool uses12Hour(std::string_view f) {
        char quote = 0;
        for (size_t i = 0; i < f.size(); ++i) {
            if (quote) {
                if (f[i] == quote) quote = 0;
            } else if (f[i] == '"' || f[i] == '\'') {
                quote = f[i];
            } else if (startsWithNoCase(f, i, "am/pm") || startsWithNoCase(f, i, "a/p") ||
                       startsWithNoCase(f, i, "ampm")) {
                return true;
            }
        }
        return false;
    }

    // Writes an am/pm marker at i (or the letter itself) and returns its length.
    size_t ampm(std::string_view f, size_t i, std::string& out) const {
        bool pm = h_ >= 12;
        if (startsWithNoCase(f, i, "am/pm")) {
            std::string_view pick = pm ? f.substr(i + 3, 2) : f.substr(i, 2);
            out.append(pick);
            return 5;
        }
        if (startsWithNoCase(f, i, "a/p")) {
            out += pm ? f[i + 2] : f[i];
            return 3;
        }
        if (startsWithNoCase(f, i, "ampm")) {
            out += pm ? s_->TimePMString : s_->TimeAMString;
            return 4;
        }
        out += f[i];
        return 1;
    }

    int dayIndex() const { return dow_ >= 1 ? dow_ - 1 : 0; }

    static std::string num(int v, int width) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%0*d", width, v);
        return buf;
    }

    std::shared_ptr<const FormatSettings> s_;
    int y_, m_, d_, h_, n_, sec_, ms_, dow_;
    bool hasTime_;
};

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime dt) {
    return DateFormatter(dt).run(format);
}

std::string DateTimeToStr(TDateTime dt) {
    return FormatDateTime("c", dt);
}
std::string DateToStr(TDateTime dt) {
    return FormatDateTime(CurrentFormatSettings()->ShortDateFormat, dt);
}
std::string TimeToStr(TDateTime dt) {
    return FormatDateTime(CurrentFormatSettings()->LongTimeFormat, dt);
}

}  // namespace plat

#include "platform/core/dates.h"

#include <cmath>
#include <cstdio>

#include "platform/core/exceptions.h"

namespace plat {

static bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
static int daysIn(int y, int m) {
    static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : d[m - 1];
}

bool IsValidDate(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= daysIn(y, m);
}

// Days from 0001-01-01 (day 1) as the platform counts them.
bool TryEncodeDate(int y, int m, int d, TDateTime& out) {
    if (!IsValidDate(y, m, d)) return false;
    int yy = y - 1;
    long days = yy * 365L + yy / 4 - yy / 100 + yy / 400;
    for (int i = 1; i < m; ++i) days += daysIn(y, i);
    days += d;
    out = (double)(days - 693594);  // 693594 = days from 0001-01-01 to 1899-12-30
    return true;
}

TDateTime EncodeDate(int y, int m, int d) {
    TDateTime r;
    if (!TryEncodeDate(y, m, d, r)) throw EConvertError("Invalid argument to date encode");
    return r;
}

TDateTime EncodeTime(int h, int n, int s, int ms) {
    if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
        throw EConvertError("Invalid argument to time encode");
    return (h * 3600000.0 + n * 60000.0 + s * 1000.0 + ms) / 86400000.0;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    long t = (long)std::floor(dt + 1e-9) + 693594;  // days since 0001-01-01 as day 1
    if (t <= 0) { year = month = day = 0; return; }
    --t;
    long y400 = t / 146097; t %= 146097;
    long y100 = t / 36524; t %= 36524;
    if (y100 == 4) { y100 = 3; t += 36524; }
    long y4 = t / 1461; t %= 1461;
    long y1 = t / 365; t %= 365;
    if (y1 == 4) { y1 = 3; t += 365; }
    year = (int)(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    month = 1;
    while (t >= daysIn(year, month)) { t -= daysIn(year, month); ++month; }
    day = (int)t + 1;
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
    double frac = dt - std::floor(dt);
    long ms = std::lround(frac * 86400000.0);
    if (ms >= 86400000) ms = 86399999;
    hour = (int)(ms / 3600000); ms %= 3600000;
    min = (int)(ms / 60000); ms %= 60000;
    sec = (int)(ms / 1000);
    msec = (int)(ms % 1000);
}

std::string DateTimeToStr(TDateTime dt) {
    int y, m, d, h, n, s, ms;
    DecodeDate(dt, y, m, d);
    DecodeTime(dt, h, n, s, ms);
    char buf[40];
    if (h == 0 && n == 0 && s == 0)
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", y, m, d);
    else
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", y, m, d, h, n, s);
    return buf;
}

}  // namespace plat

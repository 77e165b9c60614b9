#include "support/tdttools.h"

#include <cmath>
#include <cstdio>

#include "platform/clock.h"
#include "support/strutil.h"

namespace krv {

namespace {

// Days from 1970-01-01 of a civil date (proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kUnixEpochDay = 25569;  // 1970-01-01 as a host date value

bool ValidDate(int y, int m, int d) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

}  // namespace

double TdtTools::EncodeDate(int year, int month, int day) {
    return static_cast<double>(DaysFromCivil(year, month, day) + kUnixEpochDay);
}

double TdtTools::EncodeTime(int hour, int minute, int second, int ms) {
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + ms) / 86400000.0;
}

void TdtTools::DecodeDate(double value, int& year, int& month, int& day) {
    CivilFromDays(static_cast<int64_t>(std::floor(value)) - kUnixEpochDay, year, month, day);
}

void TdtTools::DecodeTime(double value, int& hour, int& minute, int& second, int& ms) {
    double frac = value - std::floor(value);
    int64_t total = static_cast<int64_t>(std::llround(frac * 86400000.0));
    if (total >= 86400000) total = 86399999;
    hour = static_cast<int>(total / 3600000);
    minute = static_cast<int>(total / 60000 % 60);
    second = static_cast<int>(total / 1000 % 60);
    ms = static_cast<int>(total % 1000);
}

double TdtTools::Date() const { return std::floor(value_); }

double TdtTools::Now() { return platform::CurrentClock().NowDateTime(); }

bool TdtTools::FromString(std::string_view text, int format) {
    value_ = 0.0;
    std::string t = Trim(text);
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    char tail = 0;
    switch (format) {
        case kDate:
            if (std::sscanf(t.c_str(), "%4d-%2d-%2d%c", &y, &mo, &d, &tail) != 3) return false;
            break;
        case kTime:
            if (std::sscanf(t.c_str(), "%2d:%2d:%2d.%3d%c", &h, &mi, &s, &ms, &tail) != 4)
                return false;
            break;
        case kDateTime:
        case kStorage: {
            int n = std::sscanf(t.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s,
                                &tail);
            bool dateOnly = format == kStorage && n == 3 && t.size() == 10;
            if (n != 6 && !dateOnly) return false;
            break;
        }
        default: return false;
    }
    if (format != kTime && !ValidDate(y, mo, d)) return false;
    if (h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0 || ms < 0) return false;
    value_ = (format == kTime ? 0.0 : EncodeDate(y, mo, d)) + EncodeTime(h, mi, s, ms);
    return true;
}

std::string TdtTools::ToString(int format) const {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(value_, y, mo, d);
    DecodeTime(value_, h, mi, s, ms);
    switch (format) {
        case kDate: return Format("%04d-%02d-%02d", y, mo, d);
        case kTime: return Format("%02d:%02d:%02d.%03d", h, mi, s, ms);
        default: return Format("%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    }
}

}  // namespace krv

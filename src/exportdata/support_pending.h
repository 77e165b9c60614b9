// Stand-ins for the date and number tools of the support package until they
// are available to this subsystem. Internal; to be replaced by TdtTools and
// TxfTools.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/exception.h"
#include "support/strutil.h"

namespace krv::pending {

inline int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return int64_t{era} * 146097 + static_cast<int64_t>(doe) - 719468;
}

inline void CivilFromDays(int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yoe + era * 400) + (m <= 2);
}

// 1899-12-30 is day 0 of the host's calendar; 1970-01-01 is day 25569.
inline std::string DateToString(double value, int format) {
    int64_t ms = std::llround(value * 86400000.0);
    int64_t day = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    int64_t rest = ms - day * 86400000;
    int y;
    unsigned m, d;
    CivilFromDays(day - 25569, y, m, d);
    int hh = static_cast<int>(rest / 3600000), mi = static_cast<int>(rest / 60000 % 60),
        ss = static_cast<int>(rest / 1000 % 60), zz = static_cast<int>(rest % 1000);
    if (format == 1) return Format("%04d-%02u-%02u", y, m, d);
    if (format == 5) return Format("%02d:%02d:%02d.%03d", hh, mi, ss, zz);
    return Format("%04d-%02u-%02u %02d:%02d:%02d", y, m, d, hh, mi, ss);
}

inline double DateFromString(std::string_view text, int) {
    std::string t = Trim(text);
    int y = 0, m = 0, d = 0, hh = 0, mi = 0, ss = 0;
    int n = std::sscanf(t.c_str(), "%d-%d-%d %d:%d:%d", &y, &m, &d, &hh, &mi, &ss);
    if (n != 3 && n != 6) throw EConvertError("'" + t + "' is not a valid date and time");
    return static_cast<double>(DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) +
                               25569) +
           (hh * 3600 + mi * 60 + ss) / 86400.0;
}

inline double FloatFromString(std::string_view text) {
    std::string t = Trim(text);
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (t.empty() || *end) throw EConvertError("'" + t + "' is not a valid floating point value");
    return v;
}

inline double RoundTo(double value, int digits) {
    double f = std::pow(10.0, digits);
    return std::round(value * f) / f;
}

}  // namespace krv::pending

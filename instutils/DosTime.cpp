// Calendar arithmetic behind DosTime.h.
#include "DosTime.h"

#include <cmath>

TCivilTime SplitLocalDateTime(LocalDateTime value) {
    double whole = std::floor(value);
    int64_t ms = std::llround((value - whole) * 86400000.0);
    int64_t days = static_cast<int64_t>(whole);
    if (ms >= 86400000) {  // rounding reached midnight
        ms -= 86400000;
        ++days;
    }
    // Civil date from a day count (inverse of DaysSince1899).
    int64_t z = days + 693899;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
    TCivilTime t{};
    t.Year = year;
    t.Month = month;
    t.Day = day;
    t.Hour = static_cast<int>(ms / 3600000);
    t.Minute = static_cast<int>(ms / 60000 % 60);
    t.Second = static_cast<int>(ms / 1000 % 60);
    t.Millisecond = static_cast<int>(ms % 1000);
    return t;
}

bool LocalDateTimeToDos(LocalDateTime value, uint16_t& date, uint16_t& time) {
    date = 0;
    time = 0;
    if (!std::isfinite(value) || value < -1e7 || value > 1e7) return false;
    const TCivilTime t = SplitLocalDateTime(value);
    if (t.Year < 1980 || t.Year > 2099) return false;
    date = static_cast<uint16_t>(t.Day + 32 * t.Month + 512 * (t.Year - 1980));
    time = static_cast<uint16_t>(t.Second / 2 + 32 * t.Minute + 2048 * t.Hour);
    return true;
}

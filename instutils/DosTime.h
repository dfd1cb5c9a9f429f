// Conversions between DOS date/time words and LocalDateTime (days since
// 1899-12-30 plus the time of day as a fraction). Platform-neutral, so the
// host-side payload tool stamps entries exactly as the setup reads files back.
#pragma once

#include <cstdint>

using LocalDateTime = double;

// Days from 1899-12-30 to the given civil date (proleptic Gregorian).
constexpr int32_t DaysSince1899(int year, int month, int day) {
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yoe = year - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    // 693899 = days from 0000-03-01 to 1899-12-30 in this era scheme.
    return era * 146097 + doe - 693899;
}

// The value a file carrying these DOS words reads back as. Computed the same
// way every time, so equal DOS values always give bit-equal doubles.
constexpr LocalDateTime DosToLocalDateTime(uint16_t date, uint16_t time) {
    const int year = 1980 + (date >> 9);
    const int month = (date >> 5) & 0x0F;
    const int day = date & 0x1F;
    const int hour = time >> 11;
    const int minute = (time >> 5) & 0x3F;
    const int second = 2 * (time & 0x1F);
    const double fraction =
        static_cast<double>(hour * 3600000 + minute * 60000 + second * 1000) / 86400000.0;
    return static_cast<double>(DaysSince1899(year, month, day)) + fraction;
}

struct TCivilTime {
    int Year, Month, Day, Hour, Minute, Second, Millisecond;
};

// Splits a LocalDateTime into calendar fields, the time of day first taken to
// the nearest millisecond.
TCivilTime SplitLocalDateTime(LocalDateTime value);

// DOS words for a LocalDateTime; false (and both words 0) outside 1980-2099.
bool LocalDateTimeToDos(LocalDateTime value, uint16_t& date, uint16_t& time);

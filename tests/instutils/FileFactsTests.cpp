// File facts: last-write dates at DOS resolution, their exact round trip
// with SetFileWriteDate, and writing a whole file in one call.
#include "instutils/InstUtils.h"
#include "InstUtilsTestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace {

constexpr uint64_t TicksPerDay = 864000000000ull;

uint64_t Ticks(const FILETIME& t) { return uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime; }

uint64_t TicksOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(year);
    s.wMonth = static_cast<WORD>(month);
    s.wDay = static_cast<WORD>(day);
    s.wHour = static_cast<WORD>(hour);
    s.wMinute = static_cast<WORD>(minute);
    s.wSecond = static_cast<WORD>(second);
    s.wMilliseconds = static_cast<WORD>(ms);
    FILETIME t{};
    SystemTimeToFileTime(&s, &t);
    return Ticks(t);
}

// The LocalDateTime of a civil date and time, worked out by the system's
// calendar rather than the unit's own arithmetic.
double Expected(int year, int month, int day, int hour, int minute, int second) {
    const double days = static_cast<double>((TicksOf(year, month, day) - TicksOf(1899, 12, 30)) / TicksPerDay);
    return days + static_cast<double>(hour * 3600000 + minute * 60000 + second * 1000) / 86400000.0;
}

// Stamps a file's last-write time from a local civil time, as another program would.
void SetLocalWriteTime(HANDLE file, int year, int month, int day, int hour, int minute, int second, int ms) {
    const uint64_t local = TicksOf(year, month, day, hour, minute, second, ms);
    FILETIME l{static_cast<DWORD>(local), static_cast<DWORD>(local >> 32)}, utc{};
    LocalFileTimeToFileTime(&l, &utc);
    SetFileTime(file, nullptr, nullptr, &utc);
}

class TOpenFile {
public:
    explicit TOpenFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    HANDLE Get() const { return handle_.get(); }

private:
    TUniqueFile handle_;
};

TEST(FileWriteDate, CalendarAnchors) {
    EXPECT_EQ(Expected(1980, 1, 1, 0, 0, 0), 29221.0);
    EXPECT_EQ(Expected(2000, 1, 1, 12, 0, 0), 36526.5);
}

TEST(FileWriteDate, EvenSecondsRoundTripBitForBit) {
    TScratchFolder scratch;
    const std::string path = scratch / "dated.txt";
    TOpenFile file(path);
    ASSERT_TRUE(file.Get() != INVALID_HANDLE_VALUE);
    struct TCase {
        int Year, Month, Day, Hour, Minute, Second;
    };
    std::vector<TCase> cases;
    for (int year = 1980; year <= 2099; ++year)
        for (int month = 1; month <= 12; ++month)
            cases.push_back({year, month, 1, (year + month) % 24, (year * 7 + month) % 60, 2 * ((year + 3 * month) % 30)});
    cases.push_back({1980, 1, 1, 0, 0, 0});
    cases.push_back({2099, 12, 31, 23, 59, 58});
    cases.push_back({2000, 2, 29, 12, 0, 0});
    std::mt19937 random(20240611);
    const uint64_t first = TicksOf(1980, 1, 1), last = TicksOf(2099, 12, 31);
    for (int i = 0; i < 300; ++i) {
        const uint64_t day = first + random() % ((last - first) / TicksPerDay + 1) * TicksPerDay;
        FILETIME t{static_cast<DWORD>(day), static_cast<DWORD>(day >> 32)};
        SYSTEMTIME s;
        FileTimeToSystemTime(&t, &s);
        const int secondOfDay = 2 * static_cast<int>(random() % 43200);
        cases.push_back({s.wYear, s.wMonth, s.wDay, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60});
    }
    for (const TCase& c : cases) {
        const double date = Expected(c.Year, c.Month, c.Day, c.Hour, c.Minute, c.Second);
        ASSERT_TRUE(SetFileWriteDate(file.Get(), date)) << c.Year << "-" << c.Month << "-" << c.Day;
        const double read = FileWriteDate(path);
        EXPECT_EQ(std::bit_cast<uint64_t>(read), std::bit_cast<uint64_t>(date))
            << c.Year << "-" << c.Month << "-" << c.Day << " " << c.Hour << ":" << c.Minute << ":" << c.Second
            << " read back as " << read;
    }
}

TEST(FileWriteDate, OddSecondsReadAsTheEvenSecondBefore) {
    TScratchFolder scratch;
    const std::string path = scratch / "dated.txt";
    TOpenFile file(path);
    const struct {
        int Second, Millisecond, ReadSecond;
    } rows[] = {
        {0, 0, 0}, {1, 0, 0}, {1, 999, 0}, {2, 0, 2}, {2, 500, 2}, {59, 0, 58},
    };
    for (const auto& row : rows) {
        SetLocalWriteTime(file.Get(), 2024, 6, 11, 10, 0, row.Second, row.Millisecond);
        EXPECT_EQ(FileWriteDate(path), Expected(2024, 6, 11, 10, 0, row.ReadSecond))
            << "10:00:" << row.Second << "." << row.Millisecond;
    }
}

TEST(FileWriteDate, OutsideTheDosRangeMatchesNoStoredDate) {
    TScratchFolder scratch;
    const std::string path = scratch / "dated.txt";
    TOpenFile file(path);
    SetLocalWriteTime(file.Get(), 1979, 12, 31, 23, 59, 58, 0);
    // Not a number, so no stored date equals it and the file counts as changed.
    EXPECT_TRUE(std::isnan(FileWriteDate(path)));
}

TEST(FileWriteDate, MissingFileGivesThePresentMoment) {
    TScratchFolder scratch;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const double expected = Expected(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    const double got = FileWriteDate(scratch / "missing.txt");
    EXPECT_NEAR(got, expected, 5.0 / 86400.0);
}

TEST(SetFileWriteDate, RefusesDatesOutside1980To2099AndLeavesTheFile) {
    TScratchFolder scratch;
    const std::string path = scratch / "dated.txt";
    TOpenFile file(path);
    const double kept = Expected(2010, 5, 5, 5, 5, 4);
    const struct {
        double Date;
        bool Set;
    } rows[] = {
        {Expected(1979, 12, 31, 23, 59, 58), false},
        {Expected(1980, 1, 1, 0, 0, 0), true},
        {Expected(2099, 12, 31, 23, 59, 58), true},
        {Expected(2100, 1, 1, 0, 0, 0), false},  // DOS dates reach 2107; stored dates stop at 2099
        {Expected(2099, 12, 31, 23, 59, 59) + 0.9996 / 86400.0, false},  // to the millisecond: 2100-01-01
        {std::nan(""), false},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(SetFileWriteDate(file.Get(), kept));
        EXPECT_EQ(SetFileWriteDate(file.Get(), row.Date), row.Set) << row.Date;
        EXPECT_EQ(FileWriteDate(path), row.Set ? row.Date : kept) << row.Date;
    }
}

TEST(WriteRawFile, LeavesExactlyTheNewBytes) {
    TScratchFolder scratch;
    const struct {
        const char* What;
        const char* Existing;  // null: no file before
        std::string Bytes;
    } rows[] = {
        {"new file", nullptr, "stamp"},
        {"over a longer file", "a much longer old content", "short"},
        {"empty bytes", "old content", ""},
        {"binary bytes", nullptr, std::string("\0\xFF\r\n\x1A", 5)},
    };
    for (const auto& row : rows) {
        const std::string path = scratch / "raw.bin";
        DeleteFileA(path.c_str());
        if (row.Existing) WriteTextFile(path, row.Existing);
        WriteRawFile(path, row.Bytes);
        EXPECT_TRUE(FileExists(path)) << row.What;
        EXPECT_EQ(ReadWholeFile(path), row.Bytes) << row.What;
    }
}

TEST(WriteRawFile, MissingFolderIsNotCreated) {
    TScratchFolder scratch;
    WriteRawFile(scratch / "missing\\raw.bin", "stamp");
    EXPECT_FALSE(FileExists(scratch / "missing"));
}

}  // namespace

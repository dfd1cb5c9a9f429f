// Path strings, name comparison, the Windows-1252 conversion, and the folder
// questions that go through the current folder: FolderExists and MakeFolders.
#include "instutils/InstUtils.h"
#include "InstUtilsTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(PathStrings, EnsureBackslashLooksOnlyAtTheLastCharacter) {
    const struct {
        std::string In, Out;
    } rows[] = {
        {"", ""},
        {"C:", "C:\\"},
        {"C:\\A/", "C:\\A\\"},
        {"C:\\A\\", "C:\\A\\"},
        {"C:/A/B", "C:/A/B\\"},  // a "/" inside stays
        {"/", "\\"},
        {"\\\\server\\share", "\\\\server\\share\\"},
    };
    for (const auto& row : rows) {
        std::string path = row.In;
        EnsureBackslash(path);
        EXPECT_EQ(path, row.Out) << "in: " << row.In;
    }
}

TEST(PathStrings, JoinPathPutsOneBackslashBetween) {
    const struct {
        std::string Folder, Name, Out;
    } rows[] = {
        {"", "name", "name"},
        {"C:\\A/", "b", "C:\\A\\b"},
        {"C:\\A", "b", "C:\\A\\b"},
        {"C:\\A\\", "sub\\b", "C:\\A\\sub\\b"},
        {"C:\\A\\", "", "C:\\A\\"},
    };
    for (const auto& row : rows) EXPECT_EQ(JoinPath(row.Folder, row.Name), row.Out) << row.Folder << " + " << row.Name;
}

TEST(PathStrings, SameNameIgnoresCaseOnly) {
    const struct {
        std::string A, B;
        bool Same;
    } rows[] = {
        {"c:\\program files\\", "C:\\Program Files\\", true},
        {"a", "a ", false},  // nothing is trimmed
        {"C:/A", "C:\\A", false},
        {"C:\\A\\", "C:\\A", false},
        {"", "", true},
        {"", "a", false},
        {"\xE5\xE4\xF6", "\xC5\xC4\xD6", true},  // å ä ö: upper-cased in code page 1252, Wine's default
    };
    for (const auto& row : rows) EXPECT_EQ(SameName(row.A, row.B), row.Same) << row.A << " | " << row.B;
}

TEST(PathStrings, CharacterHelpersLeaveTheEmptyStringAlone) {
    EXPECT_EQ(LastChar("C:\\"), '\\');
    EXPECT_EQ(LastChar(""), '\0');  // no caller passes one; must not read outside the string
    const struct {
        std::string In, WithoutFirst, WithoutLast;
    } rows[] = {
        {"", "", ""},
        {"x", "", ""},
        {"\"C:\\A\"", "C:\\A\"", "\"C:\\A"},
    };
    for (const auto& row : rows) {
        std::string first = row.In, last = row.In;
        DropFirstChar(first);
        DropLastChar(last);
        EXPECT_EQ(first, row.WithoutFirst) << row.In;
        EXPECT_EQ(last, row.WithoutLast) << row.In;
    }
}

// Wine takes its ANSI code page from the Linux locale; with only C locales
// installed that is 1252, so these runs do not show a different code page.
TEST(ToWide, ReadsBytesAsWindows1252WhateverTheCodePage) {
    // 0x80-0x9F as code page 1252 defines them; the five bytes it leaves
    // undefined map to the C1 control of the same number.
    const wchar_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                              0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const wchar_t expected = byte < 0xA0 ? high[byte - 0x80] : static_cast<wchar_t>(byte);
        EXPECT_EQ(ToWide(std::string(1, static_cast<char>(byte))), std::wstring(1, expected)) << "byte " << byte;
    }
    EXPECT_EQ(ToWide("C:\\Sm\xE5 \xE4pplen\\\xF6"), L"C:\\Sm\u00E5 \u00E4pplen\\\u00F6");
    EXPECT_EQ(ToWide(""), L"");
}

std::string WithoutTrailingBackslash(std::string s) {
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

TEST(FolderExists, AcceptsOnlyTheSystemsSpellingOfAnExistingFolder) {
    TScratchFolder scratch;
    const std::string root = WithoutTrailingBackslash(scratch.Path());
    CreateDirectoryA((scratch / "Sub").c_str(), nullptr);
    WriteTextFile(scratch / "file.txt", "x");
    std::string upper = scratch / "Sub";
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    const std::string missingDrive = MissingDrive();
    TCurrentFolder inScratch(scratch.Path());  // so that "Sub" names an existing folder relatively
    const std::string before = CurrentFolder();
    const struct {
        std::string Path;
        bool Exists;
    } rows[] = {
        {scratch / "Sub", true},
        {scratch / "Sub\\", true},
        {scratch / "Sub/", true},  // a trailing "/" counts as "\"
        {upper, true},
        {root + "/Sub", false},
        {scratch / "Sub\\..\\Sub", false},
        {scratch / "Sub\\.\\", false},
        {"Sub", false},  // relative, though it exists from here
        {"", false},
        {scratch / "missing", false},
        {scratch / "file.txt", false},
        {"C:", true},
        {"C:\\", true},
        {missingDrive + "\\", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FolderExists(row.Path), row.Exists) << "path: " << row.Path;
        EXPECT_EQ(CurrentFolder(), before) << "after: " << row.Path;
    }
}

TEST(FolderExists, CurrentFolderEndsWithOneBackslash) {
    TScratchFolder scratch;
    TCurrentFolder inScratch(scratch.Path());
    EXPECT_TRUE(SameName(CurrentFolder(), scratch.Path()));
    TCurrentFolder atRoot("C:\\");
    EXPECT_EQ(CurrentFolder(), "C:\\");
}

TEST(MakeFolders, CreatesEveryMissingLevelFromTheOutermost) {
    // Creating the inner folders first would fail for want of their parents,
    // leaving only the outermost one.
    TScratchFolder scratch;
    for (const std::string& path : {scratch / "A\\B\\C", scratch / "D\\E\\"}) {
        MakeFolders(path);
        EXPECT_TRUE(FolderPresent(path)) << path;
    }
    EXPECT_TRUE(FolderPresent(scratch / "A\\B"));
    // An existing folder is left as it is, contents included.
    WriteTextFile(scratch / "A\\B\\C\\kept.txt", "kept");
    MakeFolders(scratch / "A\\B\\C");
    EXPECT_EQ(ReadWholeFile(scratch / "A\\B\\C\\kept.txt"), "kept");
}

TEST(MakeFolders, EndsQuietlyWhereGoingUpFindsNoFolder) {
    // Going up from these ends at the empty path or at a bare drive letter;
    // nothing may then be created relative to the current folder.
    TScratchFolder scratch;
    TCurrentFolder inScratch(scratch.Path());
    const std::string missingDrive = MissingDrive();
    const std::string rows[] = {
        "",
        missingDrive + "\\A\\B",
        missingDrive,
        "\\\\nosuchserver\\noshare\\A\\B",
        "\\\\nosuchserver\\noshare",
        "\\\\nosuchserver",
    };
    for (const std::string& path : rows) {
        MakeFolders(path);
        EXPECT_TRUE(SameName(CurrentFolder(), scratch.Path())) << path;
        WIN32_FIND_DATAA found;
        TUniqueFind search(FindFirstFileA((scratch / "*").c_str(), &found));
        int entries = 0;
        if (search) do ++entries; while (FindNextFileA(search.get(), &found));
        EXPECT_EQ(entries, 2) << "only . and .. after " << path;
    }
}

}  // namespace

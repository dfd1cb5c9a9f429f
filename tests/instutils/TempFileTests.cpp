// Special folders and the setup's temporary files: where they go, how they
// are named, and what the purge at the end takes and leaves.
#include "instutils/InstUtils.h"
#include "InstUtilsTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string WithoutLast(std::string s) {
    DropLastChar(s);
    return s;
}

TEST(SpecialFolder, KnownNumbersGiveExistingFoldersUnknownOnesNothing) {
    for (int csidl : {CSIDL_PERSONAL_, CSIDL_COMMON_APPDATA_, CSIDL_PROGRAM_FILES_}) {
        const std::string folder = SpecialFolder(csidl);
        EXPECT_FALSE(folder.empty()) << "CSIDL " << csidl;
        EXPECT_NE(LastChar(folder), '\\') << "the system's text, unchanged: " << folder;
        EXPECT_TRUE(FolderExists(folder)) << folder;
    }
    for (int csidl : {0x70, 0xFF}) EXPECT_EQ(SpecialFolder(csidl), "") << "CSIDL " << csidl;
}

TEST(TempFiles, PrefixIsATildeAndTheLettersOfTheTitle) {
    EXPECT_EQ(TempPrefix(), "~QuorvaneSwedishSpellcheckerSetup");
}

TEST(TempFiles, TempFolderFallsBackToThePersonalFolder) {
    TScratchFolder scratch;
    const std::string personal = SpecialFolder(CSIDL_PERSONAL_) + "\\";
    const struct {
        std::string Variable, Folder;
    } rows[] = {
        {WithoutLast(scratch.Path()), scratch.Path()},
        {scratch / "missing", personal},
        {scratch / "missing\\", personal},
    };
    for (const auto& row : rows) {
        TTempVariables temp(row.Variable);
        EXPECT_TRUE(SameName(TempFolder(), row.Folder)) << "TMP=" << row.Variable << " gave " << TempFolder();
    }
}

struct TTempEntry {
    const char* Name;
    bool Folder;
};

TEST(TempFiles, NewTempFileNameTakesTheFirstNumberNoFileHas) {
    const struct {
        std::vector<TTempEntry> Present;
        const char* Number;
    } rows[] = {
        {{}, "0"},
        {{{"0.tmp", false}, {"1.tmp", false}}, "2"},
        {{{"0.tmp", true}}, "0"},  // a folder of that name does not count
        {{{"0.tmp", false}, {"1.tmp", true}, {"2.tmp", false}}, "1"},
        {{{"1.tmp", false}}, "0"},
    };
    for (const auto& row : rows) {
        TScratchFolder temp;
        for (const TTempEntry& e : row.Present) {
            const std::string path = temp / (TempPrefix() + e.Name);
            if (e.Folder)
                CreateDirectoryA(path.c_str(), nullptr);
            else
                WriteTextFile(path, "x");
        }
        TTempVariables redirected(temp.Path());
        const std::string expected = temp.Path() + TempPrefix() + row.Number + ".tmp";
        EXPECT_EQ(NewTempFileName(), expected);
        EXPECT_EQ(NewTempFileName(), expected) << "nothing is reserved";
        EXPECT_FALSE(FileExists(expected) && !FolderPresent(expected)) << "nothing is created";
    }
}

TEST(TempFiles, PurgeTakesExactlyThePrefixedEntries) {
    TScratchFolder temp;
    const std::string prefix = TempPrefix();
    WriteTextFile(temp / (prefix + "7.tmp"), "x");
    WriteTextFile(temp / (prefix + "hidden.tmp"), "x");
    SetFileAttributesA((temp / (prefix + "hidden.tmp")).c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryA((temp / (prefix + "X")).c_str(), nullptr);
    CreateDirectoryA((temp / (prefix + "X\\Inner")).c_str(), nullptr);
    WriteTextFile(temp / (prefix + "X\\Inner\\a.txt"), "x");
    const std::string kept[] = {
        "~quorvaneswedishspellcheckersetup0.tmp",  // the prefix test is case-sensitive
        "x" + prefix + "0.tmp",
        "~QuorvaneSwedish.tmp",
        "other.tmp",
    };
    for (const std::string& name : kept) WriteTextFile(temp / name, "x");

    {
        TTempVariables redirected(temp.Path());
        PurgeTempFiles();
    }
    EXPECT_FALSE(FileExists(temp / (prefix + "7.tmp")));
    EXPECT_FALSE(FileExists(temp / (prefix + "hidden.tmp")));
    EXPECT_FALSE(FileExists(temp / (prefix + "X")));
    for (const std::string& name : kept) EXPECT_TRUE(FileExists(temp / name)) << name;
}

}  // namespace

// The install queue: exact and prefix matching, the three install modes
// against what stands at the target, ForceReplace, and the public-folder
// list that feeds the update log.
#include "payload/AttachFiles.h"
#include "payload/PayloadTable.h"
#include "instutils/InstUtils.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// 2013-04-06 21:31:14, on an even second as every stored date is.
const LocalDateTime DllDate = DosToLocalDateTime((33 << 9) | (4 << 5) | 6, (21 << 11) | (31 << 5) | 7);

std::unique_ptr<TAttachedFiles> StoreOf(const std::vector<std::pair<std::string, std::string>>& entries,
                                        LocalDateTime date = DllDate) {
    std::string table;
    for (const auto& [name, bytes] : entries) AppendRecord(table, name, date, bytes);
    const std::string stream = DeflateTable(table);
    return std::make_unique<TAttachedFiles>(stream.data(), static_cast<int32_t>(stream.size()));
}

std::vector<std::string> Targets(const TAttachedFiles& store) {
    std::vector<std::string> targets;
    for (const auto& item : store.InstallQueue[0]) targets.push_back(item->Target);
    return targets;
}

void StampFile(const std::string& path, LocalDateTime date) {
    TUniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(SetFileWriteDate(file.get(), date));
}

enum class TAtTarget { Nothing, File, Folder };

struct TModeCase {
    InstallMode Mode;
    bool Force;
    TAtTarget At;
    bool Queued;
};

TEST(QueueFiles, ModeAndForceReplaceAgainstWhatStandsAtTheTarget) {
    using M = InstallMode;
    const TModeCase cases[] = {
        {M::KeepExisting, false, TAtTarget::Nothing, true},
        {M::ReplaceIfChanged, false, TAtTarget::Nothing, true},
        {M::AlwaysReplace, false, TAtTarget::Nothing, true},
        {M::KeepExisting, false, TAtTarget::File, false},
        {M::ReplaceIfChanged, false, TAtTarget::File, false},  // the file carries the entry's date
        {M::AlwaysReplace, false, TAtTarget::File, true},
        {M::KeepExisting, true, TAtTarget::File, true},
        {M::ReplaceIfChanged, true, TAtTarget::File, true},
        {M::KeepExisting, false, TAtTarget::Folder, true},  // a folder is not an existing file
        {M::ReplaceIfChanged, false, TAtTarget::Folder, true},
    };
    for (const TModeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << int(c.Mode) << ", force " << c.Force << ", at target "
                                        << int(c.At));
        TScratchFolder folder;
        const std::string target = folder / "hunspell.dll";
        if (c.At == TAtTarget::File) {
            WriteTextFile(target, "installed earlier");
            StampFile(target, DllDate);
        } else if (c.At == TAtTarget::Folder) {
            ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
        }
        auto store = StoreOf({{"License.txt", "l"}, {"hunspell.dll", "dll"}});
        store->ForceReplace = c.Force;
        std::string bare = folder.Path();
        bare.pop_back();  // the folder without its backslash gets one
        EXPECT_EQ(store->QueueFiles("HUNSPELL.DLL", bare, 0, c.Mode), c.Queued);
        ASSERT_EQ(store->InstallQueue[0].size(), c.Queued ? 1u : 0u);
        if (c.Queued) {
            EXPECT_EQ(store->InstallQueue[0][0]->Entry, store->Files[1].get());
            EXPECT_EQ(store->InstallQueue[0][0]->Target, target);
        }
    }
}

TEST(QueueFiles, ReplaceIfChangedQueuesOnAnyDifferenceOfTheDate) {
    const struct {
        double Seconds;  // file date minus entry date
        bool Queued;
    } cases[] = {{0, false}, {2, true}, {-2, true}, {3600, true}, {-86400, true}};
    for (const auto& c : cases) {
        TScratchFolder folder;
        WriteTextFile(folder / "sv_SE.dic", "old");
        StampFile(folder / "sv_SE.dic", DllDate + c.Seconds / 86400.0);
        auto store = StoreOf({{"sv_SE.dic", "new"}});
        EXPECT_EQ(store->QueueFiles("sv_SE.dic", folder.Path(), 0, InstallMode::ReplaceIfChanged), c.Queued)
            << c.Seconds << " s";
    }
}

TEST(QueueFiles, PrefixQueuesEveryEntryBelowItInAnyLetterCase) {
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"Sub\\a.txt", "a"}, {"Subway.txt", "no"}, {"sub\\B.txt", "b"}, {"Su", "shorter"},
        {"SUB\\deeper\\c.txt", "c"}};
    TScratchFolder folder;
    auto store = StoreOf(entries);
    EXPECT_TRUE(store->QueueFiles("sUb\\", folder.Path(), 0, InstallMode::AlwaysReplace));
    EXPECT_EQ(Targets(*store), (std::vector<std::string>{folder / "Sub\\a.txt", folder / "sub\\B.txt",
                                                         folder / "SUB\\deeper\\c.txt"}));

    // True when any one is queued, false when every match was skipped.
    CreateDirectoryA((folder / "Sub").c_str(), nullptr);
    WriteTextFile(folder / "Sub\\a.txt", "kept");
    auto partly = StoreOf(entries);
    EXPECT_TRUE(partly->QueueFiles("SUB\\", folder.Path(), 0, InstallMode::KeepExisting));
    EXPECT_EQ(Targets(*partly), (std::vector<std::string>{folder / "sub\\B.txt", folder / "SUB\\deeper\\c.txt"}));
    WriteTextFile(folder / "Sub\\B.txt", "kept");
    CreateDirectoryA((folder / "Sub\\deeper").c_str(), nullptr);
    WriteTextFile(folder / "Sub\\deeper\\c.txt", "kept");
    auto none = StoreOf(entries);
    EXPECT_FALSE(none->QueueFiles("SUB\\", folder.Path(), 0, InstallMode::KeepExisting));
    EXPECT_FALSE(none->QueueFiles("Other\\", folder.Path(), 0, InstallMode::AlwaysReplace));
    EXPECT_FALSE(none->QueueFiles("Subway", folder.Path(), 0, InstallMode::AlwaysReplace));  // no exact match
    EXPECT_TRUE(none->InstallQueue[0].empty());
}

TEST(QueueFiles, ExactNameQueuesTheFirstOfTwoExtractByNameWritesTheLast) {
    TScratchFolder folder;
    auto store = StoreOf({{"License.txt", "first"}, {"other.txt", "x"}, {"LICENSE.TXT", "last"}});
    EXPECT_TRUE(store->QueueFiles("license.txt", folder.Path(), 0, InstallMode::AlwaysReplace));
    ASSERT_EQ(store->InstallQueue[0].size(), 1u);
    EXPECT_EQ(store->InstallQueue[0][0]->Entry, store->Files[0].get());
    EXPECT_EQ(store->InstallQueue[0][0]->Target, folder / "License.txt");

    EXPECT_TRUE(store->ExtractFile(nullptr, "License.TXT", folder / "by-name.txt"));
    EXPECT_EQ(ReadWholeFile(folder / "by-name.txt"), "last");
    EXPECT_TRUE(store->ExtractFile(store->InstallQueue[0][0]->Entry, "ignored", folder / "queued.txt"));
    EXPECT_EQ(ReadWholeFile(folder / "queued.txt"), "first");
}

// A folder below the shared public folder, removed with its contents.
class TPublicFolder {
public:
    TPublicFolder() {
        path_ = JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA_), "Quorvane\\Public\\queue-test-" +
                                                                 std::to_string(GetCurrentProcessId()) + "\\");
        MakeFolders(path_);
    }
    ~TPublicFolder() { DeleteFolderTree(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string Upper(std::string s) {
    CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string Lower(std::string s) {
    CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

struct TPublicCase {
    const char* What;
    const char* Name;
    std::string Folder;
    InstallMode Mode;
    bool Force;
    std::vector<std::string> Lines;
};

TEST(QueueFiles, RecordsTargetsBelowThePublicFolderMarkingKeepExisting) {
    TPublicFolder pub;
    TScratchFolder elsewhere;
    ASSERT_FALSE(SpecialFolder(CSIDL_COMMON_APPDATA_).empty());
    WriteTextFile(pub.Path() + "kept.tlx", "the user's words");
    const std::string sibling = JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA_), "Quorvane\\PublicX\\");
    const TPublicCase cases[] = {
        {"as the shell spells it", "new.tlx", pub.Path(), InstallMode::AlwaysReplace, false, {pub.Path() + "new.tlx"}},
        {"lower case", "new.tlx", Lower(pub.Path()), InstallMode::ReplaceIfChanged, false, {Lower(pub.Path()) + "new.tlx"}},
        {"keep, missing target", "new.tlx", Upper(pub.Path()), InstallMode::KeepExisting, false,
         {Upper(pub.Path()) + "new.tlx\t!"}},
        {"keep, forced over an existing file", "kept.tlx", pub.Path(), InstallMode::KeepExisting, true,
         {pub.Path() + "kept.tlx\t!"}},
        {"keep, existing file: not queued", "kept.tlx", pub.Path(), InstallMode::KeepExisting, false, {}},
        {"another folder", "new.tlx", elsewhere.Path(), InstallMode::AlwaysReplace, false, {}},
        {"a sibling whose name starts alike", "new.tlx", sibling, InstallMode::AlwaysReplace, false, {}},
    };
    for (const TPublicCase& c : cases) {
        auto store = StoreOf({{"new.tlx", ""}, {"kept.tlx", ""}});
        store->ForceReplace = c.Force;
        store->QueueFiles(c.Name, c.Folder, 0, c.Mode);
        EXPECT_EQ(store->PublicFiles, c.Lines) << c.What;
    }

    // Queued twice, listed twice.
    auto store = StoreOf({{"new.tlx", ""}});
    store->QueueFiles("new.tlx", pub.Path(), 0, InstallMode::AlwaysReplace);
    store->QueueFiles("new.tlx", pub.Path() + "Orthographe\\", 0, InstallMode::AlwaysReplace);
    EXPECT_EQ(store->PublicFiles,
              (std::vector<std::string>{pub.Path() + "new.tlx", pub.Path() + "Orthographe\\new.tlx"}));
}

TEST(IsSafeEntryName, OnlyNamesThatStayInsideTheFolder) {
    const struct {
        const char* Name;
        bool Safe;
    } cases[] = {
        {"sv_SE.dic", true},
        {"Spellcheck\\sv_SE.aff", true},
        {"sub/a.txt", true},
        {"..a", true},  // dots inside a name are fine
        {"a..b\\c", true},
        {"console.txt", true},
        {"", false},
        {"..", false},
        {"..\\evil.dll", false},
        {"a\\..\\..\\evil.dll", false},
        {"../evil.dll", false},
        {"a\\...\\b", false},  // Windows trims trailing dots
        {"a\\.. \\b", false},  // and blanks
        {".\\a", false},
        {"C:evil.dll", false},
        {"C:\\evil.dll", false},
        {"a.txt:stream", false},
        {"\\evil.dll", false},
        {"/evil.dll", false},
        {"\\\\server\\share\\evil.dll", false},
        {"a\\\\b", false},  // Windows folds the empty part; refused all the same
        {"sub\\", false},  // names a folder, not a file
        {"CON", false},
        {"nul.txt", false},
        {"sub\\LPT1", false},
        {"com9.dic", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSafeEntryName(c.Name), c.Safe) << "\"" << c.Name << "\"";
}

TEST(QueueFiles, EscapingNameIsQueuedUnlookedAtAndNeverRecorded) {
    TPublicFolder pub;
    WriteTextFile(pub.Path() + "..\\outside.txt", "a file outside, which KeepExisting would otherwise skip");
    auto store = StoreOf({{"..\\outside.txt", "x"}});
    EXPECT_TRUE(store->QueueFiles("..\\outside.txt", pub.Path(), 0, InstallMode::KeepExisting));
    EXPECT_EQ(Targets(*store), std::vector<std::string>{pub.Path() + "..\\outside.txt"});
    EXPECT_TRUE(store->PublicFiles.empty());
    DeleteFileA((pub.Path() + "..\\outside.txt").c_str());
}

}  // namespace

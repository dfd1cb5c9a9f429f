// Writing single entries: bytes and time stamp, the Abort/Retry/Ignore
// question with real boxes answered from a second thread, and that no failed
// or refused attempt damages the file that stood at the target or writes
// outside the target folder.
#include "payload/AttachFiles.h"
#include "payload/PayloadTable.h"
#include "instutils/InstUtils.h"
#include "ui/Application.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <future>

namespace {

constexpr LocalDateTime At(int year, int month, int day, int hour, int minute, int second) {
    return DaysSince1899(year, month, day) + (hour * 3600000.0 + minute * 60000.0 + second * 1000.0) / 86400000.0;
}

std::string Pattern(std::size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;  // incompressible, so the payload stays small to build
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

enum Entry : std::size_t {
    LicenceFirst, Dll, Empty, Before1980, After2099, DotDot, Drive, Rooted, Unc, Big, LicenceLast
};

struct TEntrySpec {
    const char* Name;
    LocalDateTime Date;
    std::string Bytes;
};

class ExtractFile : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const TEntrySpec entries[] = {
            {"License.txt", At(2021, 2, 10, 11, 58, 46), "first licence"},
            {"hunspell.dll", At(2013, 4, 6, 21, 31, 14), Pattern(65536, 1)},
            {"userdicse.tlx", At(2003, 8, 10, 12, 10, 54), ""},
            {"old.txt", At(1975, 6, 1, 12, 0, 0), "before 1980"},
            {"late.txt", At(2100, 1, 1, 0, 0, 0), "after 2099"},
            {"..\\escape.txt", At(2013, 4, 7, 1, 47, 32), "escaped"},
            {"C:escape.txt", At(2013, 4, 7, 1, 47, 32), "escaped"},
            {"\\escape.txt", At(2013, 4, 7, 1, 47, 32), "escaped"},
            {"\\\\server\\share\\escape.txt", At(2013, 4, 7, 1, 47, 32), "escaped"},
            {"big.bin", At(2023, 10, 31, 16, 12, 50), Pattern(1536 * 1024, 2)},  // more than F: holds
            {"LICENSE.TXT", At(2021, 2, 10, 11, 58, 48), "last licence"},
        };
        std::string table;
        for (const TEntrySpec& e : entries) AppendRecord(table, e.Name, e.Date, e.Bytes);
        const std::string stream = DeflateTable(table);
        store_ = new TAttachedFiles(stream.data(), static_cast<int32_t>(stream.size()));
    }
    static void TearDownTestSuite() {
        delete store_;
        store_ = nullptr;
    }

    static TAttachedFiles& Store() { return *store_; }
    static const TAttachedFile* EntryAt(Entry index) { return Store().Files[index].get(); }
    static std::string BytesOf(Entry index) {
        const TAttachedFile& e = *EntryAt(index);
        return std::string(reinterpret_cast<const char*>(Store().EntryData(e)), static_cast<std::size_t>(e.Size));
    }

    static inline TAttachedFiles* store_ = nullptr;
};

std::wstring QuestionFor(const std::string& target) {
    return Widen("Cannot create file \"" + target +
                 "\".\rAnother application might already be using this file.\r\rPlease make sure that the "
                 "setup of Quorvane Word Processor is not blocked by your security software "
                 "(firewall/antivirus) in any way.\rYou might want to temporarily disable your security "
                 "software and try again.");
}

// Checks every box seen: the question for this target, Abort/Retry/Ignore, error icon.
void ExpectQuestions(const std::vector<TSeenBox>& seen, std::size_t count, const std::string& target) {
    EXPECT_EQ(seen.size(), count);
    for (const TSeenBox& box : seen) {
        EXPECT_EQ(box.Text, QuestionFor(target));
        EXPECT_EQ(box.Caption, L"Quorvane Swedish Spellchecker - Setup");
        EXPECT_EQ(box.Buttons, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
        EXPECT_EQ(box.Icon, LoadIconW(nullptr, MAKEINTRESOURCEW(32513)));  // IDI_ERROR
    }
}

struct TWriteCase {
    const char* What;
    Entry Index;
    const char* Target;      // below a scratch folder
    const char* Existing;    // written there first, or null
    bool StampedWithEntry;   // else the time of writing
};

TEST_F(ExtractFile, WritesTheEntrysBytesWithItsTimeStampAndNothingElse) {
    const std::string longer(200000, 'x');
    const TWriteCase cases[] = {
        {"missing folders are made", Dll, "a\\b\\c\\hunspell.dll", nullptr, true},
        {"size 0 gives an empty file", Empty, "userdicse.tlx", nullptr, true},
        {"a longer file is replaced, not overwritten in place", Dll, "hunspell.dll", longer.c_str(), true},
        {"before 1980: no DOS time", Before1980, "old.txt", nullptr, false},
        {"after 2099", After2099, "late.txt", "older contents", false},
    };
    for (const TWriteCase& c : cases) {
        SCOPED_TRACE(c.What);
        TScratchFolder folder;
        const std::string target = folder / c.Target;
        if (c.Existing) WriteTextFile(target, c.Existing);
        const LocalDateTime before = NowLocalDateTime();
        TBoxAnswerer answerer({});
        EXPECT_TRUE(Store().ExtractFile(EntryAt(c.Index), "", target));
        const LocalDateTime after = NowLocalDateTime();
        EXPECT_EQ(answerer.Stop().size(), 0u);
        EXPECT_EQ(ReadWholeFile(target), BytesOf(c.Index));
        const LocalDateTime written = FileWriteDate(target);
        if (c.StampedWithEntry) {
            EXPECT_EQ(written, EntryAt(c.Index)->Date);
        } else {
            const double twoSeconds = 2.0 / 86400;  // the DOS resolution
            EXPECT_GE(written, before - twoSeconds);
            EXPECT_LE(written, after + twoSeconds);
        }
        // Nothing left beside it.
        const std::size_t cut = target.find_last_of('\\');
        const std::string name = target.substr(cut + 1);
        EXPECT_EQ(FolderEntries(target.substr(0, cut + 1)), std::vector<std::string>{name});
    }
}

struct TLockedCase {
    const char* What;
    std::vector<int> Answers;
    int ReleaseBeforeBox;  // the blocking handle closes before this box is answered; -1 never
    bool Result;
    bool Written;
};

TEST_F(ExtractFile, TargetHeldOpenWithoutSharingAsksUntilAnsweredAndKeepsTheOldFile) {
    const TLockedCase cases[] = {
        {"Abort", {IDABORT}, -1, false, false},
        {"Ignore", {IDIGNORE}, -1, true, false},
        {"Retry while still held, then Abort", {IDRETRY, IDABORT}, -1, false, false},
        {"Retry after the holder let go", {IDRETRY}, 0, true, true},
        {"Retry, Retry, then the holder lets go", {IDRETRY, IDRETRY, IDRETRY}, 2, true, true},
    };
    const std::string old = Pattern(100000, 3);
    for (const TLockedCase& c : cases) {
        SCOPED_TRACE(c.What);
        TScratchFolder folder;
        const std::string target = folder / "hunspell.dll";
        WriteTextFile(target, old);
        TUniqueFile holder(CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        TBoxAnswerer answerer(c.Answers, [&](std::size_t box, HWND) {
            if (static_cast<int>(box) == c.ReleaseBeforeBox) holder.reset();
        });
        const bool result = Store().ExtractFile(EntryAt(Dll), "", target);
        ExpectQuestions(answerer.Stop(), c.Answers.size(), target);
        holder.reset();
        EXPECT_EQ(result, c.Result);
        EXPECT_EQ(ReadWholeFile(target) == BytesOf(Dll), c.Written);
        if (c.Written)
            EXPECT_EQ(FileWriteDate(target), EntryAt(Dll)->Date);
        else
            EXPECT_EQ(ReadWholeFile(target), old);  // byte for byte
        EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"hunspell.dll"});
    }
}

struct TBlockedCase {
    const char* What;
    std::function<void(const std::string& target)> Block;
    int Answer;
    bool Result;
};

TEST_F(ExtractFile, ReadOnlyFileOrFolderAtTheTargetIsAQuestionAndStaysAsItWas) {
    // Under Wine run as root a read-only file opens for writing (root ignores
    // the Unix mode Wine maps the attribute to); the attribute is checked
    // explicitly so the answer is the one Windows gives.
    const TBlockedCase cases[] = {
        {"read-only file, Ignore",
         [](const std::string& t) {
             WriteTextFile(t, "old");
             SetFileAttributesA(t.c_str(), FILE_ATTRIBUTE_READONLY);
         },
         IDIGNORE, true},
        {"read-only file, Abort",
         [](const std::string& t) {
             WriteTextFile(t, "old");
             SetFileAttributesA(t.c_str(), FILE_ATTRIBUTE_READONLY);
         },
         IDABORT, false},
        {"folder at the target, Ignore",
         [](const std::string& t) {
             CreateDirectoryA(t.c_str(), nullptr);
             WriteTextFile(t + "\\inside.txt", "old");
         },
         IDIGNORE, true},
        {"folder at the target, Abort",
         [](const std::string& t) {
             CreateDirectoryA(t.c_str(), nullptr);
             WriteTextFile(t + "\\inside.txt", "old");
         },
         IDABORT, false},
    };
    for (const TBlockedCase& c : cases) {
        SCOPED_TRACE(c.What);
        TScratchFolder folder;
        const std::string target = folder / "sv_SE.dic";
        c.Block(target);
        const DWORD attributes = GetFileAttributesA(target.c_str());
        TBoxAnswerer answerer({c.Answer});
        EXPECT_EQ(Store().ExtractFile(EntryAt(Dll), "", target), c.Result);
        ExpectQuestions(answerer.Stop(), 1, target);
        EXPECT_EQ(GetFileAttributesA(target.c_str()), attributes);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            EXPECT_EQ(ReadWholeFile(target + "\\inside.txt"), "old");
        else
            EXPECT_EQ(ReadWholeFile(target), "old");
        EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"sv_SE.dic"});
    }
}

TEST_F(ExtractFile, NameThatWouldLeaveTheFolderIsRefusedWithTheQuestion) {
    for (Entry index : {DotDot, Drive, Rooted, Unc}) {
        const std::string name = EntryAt(index)->Name;
        SCOPED_TRACE(name);
        TScratchFolder scratch;
        const std::string folder = scratch / "install\\";
        TAttachedFiles& store = Store();
        const std::size_t queued = store.InstallQueue[0].size();
        ASSERT_TRUE(store.QueueFiles(name, folder, 0, InstallMode::AlwaysReplace));
        ASSERT_EQ(store.InstallQueue[0].size(), queued + 1);
        const TFileToInstall& item = *store.InstallQueue[0].back();
        TBoxAnswerer answerer({IDIGNORE});
        EXPECT_TRUE(store.ExtractFile(item.Entry, "", item.Target));
        ExpectQuestions(answerer.Stop(), 1, item.Target);
        // Not even the install folder was made.
        EXPECT_TRUE(FolderEntries(scratch.Path()).empty());
    }
}

TEST_F(ExtractFile, ByANameNoEntryBearsAsksAndWritesNothing) {
    const struct {
        std::vector<int> Answers;
        bool Result;
    } cases[] = {{{IDRETRY, IDRETRY, IDABORT}, false}, {{IDIGNORE}, true}};
    for (const auto& c : cases) {
        TScratchFolder folder;
        const std::string target = folder / "Readme.txt";
        TBoxAnswerer answerer(c.Answers);
        EXPECT_EQ(Store().ExtractFile(nullptr, "Readme.txt", target), c.Result);
        ExpectQuestions(answerer.Stop(), c.Answers.size(), target);
        EXPECT_TRUE(FolderEntries(folder.Path()).empty());
    }
}

TEST(FailureActionOf, RetryTriesAgainIgnoreSkipsAnythingElseGivesUp) {
    const struct {
        MessageResult Answer;
        TFailureAction Action;
    } cases[] = {
        {MessageResult::Retry, TFailureAction::TryAgain},
        {MessageResult::Ignore, TFailureAction::Skip},
        {MessageResult::Abort, TFailureAction::GiveUp},
        {MessageResult::Ok, TFailureAction::GiveUp},  // the box could not be shown: asking again would loop
        {MessageResult::Cancel, TFailureAction::GiveUp},
        {MessageResult::Yes, TFailureAction::GiveUp},
        {MessageResult::No, TFailureAction::GiveUp},
    };
    for (const auto& c : cases) EXPECT_EQ(FailureActionOf(c.Answer), c.Action) << int(c.Answer);
}

TEST_F(ExtractFile, BoxThatCannotBeShownEndsAsAbortWithoutLooping) {
    // An application window that no longer exists as owner: the system
    // refuses the box, and ShowMessageBox answers Ok.
    TApplication app;
    app.Initialize();
    DestroyWindow(app.Handle());
    Application = &app;
    TScratchFolder folder;
    const std::string target = folder / "Readme.txt";
    TBoxAnswerer answerer({IDRETRY});  // would keep a wrongly shown box going once
    auto extraction = std::async(std::launch::async, [&] { return Store().ExtractFile(nullptr, "Readme.txt", target); });
    const bool finished = extraction.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    Application = nullptr;
    if (!finished) {
        // A loop cannot be stopped from here; end the program with the verdict.
        std::fputs("ExtractFile is still asking after 20 s: it loops when the box cannot be shown\n", stderr);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 1);
    }
    EXPECT_FALSE(extraction.get());
    EXPECT_EQ(answerer.Stop().size(), 0u);
}

// F: is a 1 MB tmpfs when the tests run as root (scripts/wine-env.sh).
TEST_F(ExtractFile, FullDiskLeavesTheOldFileAndNoPartialCopy) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExA("F:\\", &available, &total, &free) || total.QuadPart > 4u * 1024 * 1024 ||
        static_cast<uint64_t>(EntryAt(Big)->Size) <= available.QuadPart)
        GTEST_SKIP() << "F:\\ is not the small full disk (wine_start mounts it only when run as root)";
    const struct {
        bool OldFile;
        std::vector<int> Answers;
        bool Result;
    } cases[] = {
        {true, {IDIGNORE}, true},
        {true, {IDRETRY, IDABORT}, false},
        {false, {IDABORT}, false},  // no old file: the partial new one goes again
    };
    const std::string old = Pattern(300000, 4);
    for (const auto& c : cases) {
        const std::string folder = "F:\\extract-test-" + std::to_string(GetCurrentProcessId()) + "\\";
        const std::string target = folder + "sv_SE.dic";
        MakeFolders(folder);
        if (c.OldFile) WriteTextFile(target, old);
        TBoxAnswerer answerer(c.Answers);
        EXPECT_EQ(Store().ExtractFile(EntryAt(Big), "", target), c.Result);
        ExpectQuestions(answerer.Stop(), c.Answers.size(), target);
        if (c.OldFile) {
            EXPECT_EQ(ReadWholeFile(target), old);  // byte for byte
            EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"sv_SE.dic"});
        } else {
            EXPECT_TRUE(FolderEntries(folder).empty());
        }
        DeleteFolderTree(folder);
    }
}

}  // namespace

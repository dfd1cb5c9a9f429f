// Deleting folder trees: every kind of entry goes, a file the system keeps
// keeps its folders, and links are never followed out of the tree, neither
// by DeleteFolderTree nor by PurgeTempFiles.
#include "instutils/InstUtils.h"
#include "InstUtilsTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(DeleteFolderTree, RemovesHiddenSystemAndNestedEntries) {
    TScratchFolder scratch;
    const std::string tree = scratch / "Tree";
    for (const char* folder : {"", "\\Sub", "\\Sub\\Inner", "\\Sub\\Empty", "\\Hidden"})
        CreateDirectoryA((tree + folder).c_str(), nullptr);
    for (const char* file : {"\\a.txt", "\\.dotfile", "\\hidden.txt", "\\system.txt", "\\Sub\\deep.txt",
                             "\\Sub\\Inner\\x.txt", "\\Hidden\\y.txt"})
        WriteTextFile(tree + file, "x");
    SetFileAttributesA((tree + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((tree + "\\system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((tree + "\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);

    DeleteFolderTree(tree);
    EXPECT_FALSE(FileExists(tree));

    // The same through a trailing "/" and in another letter case.
    CreateDirectoryA(tree.c_str(), nullptr);
    WriteTextFile(tree + "\\a.txt", "x");
    std::string upper = tree;
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    DeleteFolderTree(upper + "/");
    EXPECT_FALSE(FileExists(tree));
}

TEST(DeleteFolderTree, AReadOnlyFileStaysWithTheFoldersAboveIt) {
    TScratchFolder scratch;
    const std::string tree = scratch / "Tree";
    for (const char* folder : {"", "\\Keep", "\\Keep\\Inner", "\\Gone"})
        CreateDirectoryA((tree + folder).c_str(), nullptr);
    for (const char* file : {"\\Keep\\Inner\\ro.txt", "\\Keep\\other.txt", "\\Gone\\gone.txt", "\\top.txt"})
        WriteTextFile(tree + file, "x");
    SetFileAttributesA((tree + "\\Keep\\Inner\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    DeleteFolderTree(tree);
    EXPECT_TRUE(FileExists(tree + "\\Keep\\Inner\\ro.txt"));
    EXPECT_FALSE(FileExists(tree + "\\Keep\\other.txt"));
    EXPECT_FALSE(FileExists(tree + "\\Gone"));
    EXPECT_FALSE(FileExists(tree + "\\top.txt"));
}

TEST(DeleteFolderTree, MissingOrEmptyPathDoesNothing) {
    TScratchFolder scratch;
    TCurrentFolder inScratch(scratch.Path());
    WriteTextFile(scratch / "stays.txt", "x");
    DeleteFolderTree("");  // must not mean the current folder
    DeleteFolderTree(scratch / "missing");
    EXPECT_TRUE(FileExists(scratch / "stays.txt"));
}

enum class TLinkPlace { InsideTree, IsTheTree, InTempFolder };
enum class TLinkTarget { FolderWithFiles, EmptyFolder, File };

TEST(DeleteFolderTree, NeverFollowsALinkOutOfTheTree) {
    const struct {
        const char* What;
        TLinkPlace Place;
        TLinkTarget Target;
    } rows[] = {
        {"link inside the tree to a folder with files", TLinkPlace::InsideTree, TLinkTarget::FolderWithFiles},
        {"link inside the tree to an empty folder", TLinkPlace::InsideTree, TLinkTarget::EmptyFolder},
        {"link inside the tree to a file", TLinkPlace::InsideTree, TLinkTarget::File},
        {"the tree itself is a link to a folder with files", TLinkPlace::IsTheTree, TLinkTarget::FolderWithFiles},
        {"the tree itself is a link to an empty folder", TLinkPlace::IsTheTree, TLinkTarget::EmptyFolder},
        {"prefixed temporary link to a folder with files", TLinkPlace::InTempFolder, TLinkTarget::FolderWithFiles},
        {"prefixed temporary link to an empty folder", TLinkPlace::InTempFolder, TLinkTarget::EmptyFolder},
        {"prefixed temporary link to a file", TLinkPlace::InTempFolder, TLinkTarget::File},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.What);
        TScratchFolder outside, work;
        CreateDirectoryA((outside / "Kept").c_str(), nullptr);
        WriteTextFile(outside / "Kept\\precious.txt", "precious");
        CreateDirectoryA((outside / "EmptyKept").c_str(), nullptr);
        WriteTextFile(outside / "precious-file.txt", "precious");
        const std::string target = row.Target == TLinkTarget::FolderWithFiles ? outside / "Kept"
                                   : row.Target == TLinkTarget::EmptyFolder   ? outside / "EmptyKept"
                                                                              : outside / "precious-file.txt";
        const std::string tree = work / "Tree";
        CreateDirectoryA(tree.c_str(), nullptr);
        WriteTextFile(tree + "\\ours.txt", "ours");
        const std::string link = row.Place == TLinkPlace::InsideTree ? tree + "\\Link"
                                 : row.Place == TLinkPlace::IsTheTree ? work / "LinkedTree"
                                                                      : work / (TempPrefix() + "Link");
        TLink made(link, target, row.Target != TLinkTarget::File);
        if (!made.Made() && !RunningUnderWine() && row.Target == TLinkTarget::File) {
            // Windows lets only privileged users (or developer mode) make file links.
            continue;
        }
        ASSERT_TRUE(made.Made());

        if (row.Place == TLinkPlace::InsideTree) {
            DeleteFolderTree(tree);
        } else if (row.Place == TLinkPlace::IsTheTree) {
            DeleteFolderTree(link);
        } else {
            TTempVariables temp(work.Path());
            PurgeTempFiles();
        }

        EXPECT_EQ(ReadWholeFile(outside / "Kept\\precious.txt"), "precious");
        EXPECT_TRUE(FolderPresent(outside / "EmptyKept"));
        EXPECT_EQ(ReadWholeFile(outside / "precious-file.txt"), "precious");
        if (RunningUnderWine()) {
            // Wine 8 opens a Linux link at its target even with
            // FILE_FLAG_OPEN_REPARSE_POINT, and its RemoveDirectoryW and
            // DeleteFileW act on the target: no Win32 call removes the link
            // itself, so it stays (and so does the folder holding it).
            EXPECT_TRUE(made.LinkPresent());
        } else {
            EXPECT_FALSE(made.LinkPresent());
            if (row.Place == TLinkPlace::InsideTree) {
                EXPECT_FALSE(FileExists(tree));
            }
        }
        if (row.Place == TLinkPlace::InsideTree) {
            EXPECT_FALSE(FileExists(tree + "\\ours.txt"));
        }
    }
}

}  // namespace

// Fixtures shared by the InstUtils tests: a redirected temporary folder, a
// current-folder guard, an unused drive letter and links to folders and files.
#pragma once

#include "TestSupport.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <iterator>
#include <optional>
#include <string>

// Points TMP and TEMP at a folder for the life of the object, then puts back
// what was there (or nothing).
class TTempVariables {
public:
    explicit TTempVariables(const std::string& folder) {
        for (int i = 0; i < 2; ++i) {
            char value[32768];
            const DWORD n = GetEnvironmentVariableA(Names[i], value, sizeof value);
            if (n > 0 && n < sizeof value) saved_[i] = std::string(value, n);
            SetEnvironmentVariableA(Names[i], folder.c_str());
        }
    }
    ~TTempVariables() {
        for (int i = 0; i < 2; ++i) SetEnvironmentVariableA(Names[i], saved_[i] ? saved_[i]->c_str() : nullptr);
    }
    TTempVariables(const TTempVariables&) = delete;
    TTempVariables& operator=(const TTempVariables&) = delete;

private:
    static constexpr const char* Names[2] = {"TMP", "TEMP"};
    std::optional<std::string> saved_[2];
};

// Makes a folder the current one for the life of the object.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::string& folder) {
        char buf[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, buf);
        saved_ = buf;
        SetCurrentDirectoryA(folder.c_str());
    }
    ~TCurrentFolder() { SetCurrentDirectoryA(saved_.c_str()); }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    std::string saved_;
};

// A drive letter that names no drive, as "Q:".
inline std::string MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter >= 'D'; --letter)
        if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    return {};
}

inline bool FolderPresent(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Wine's own name for a Windows path on the Linux side, or empty on Windows.
inline std::string UnixPathOf(const std::string& path) {
    using TUnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<TUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return {};
    char* name = unixName(Widen(path).c_str());
    if (!name) return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Runs a Linux shell command through Wine and waits until it has run. Wine
// cannot wait on a Linux process, so the command leaves a marker file beside
// `windowsFolder` (a folder path with its trailing backslash) and that is
// awaited instead.
inline bool RunUnixCommand(const std::string& command, const std::string& windowsFolder) {
    const std::string done = windowsFolder + "unix-command.done";
    const std::string unixDone = UnixPathOf(done);
    if (unixDone.empty()) return false;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "/bin/sh -c \"" + command + "; touch '" + unixDone + "'\"";
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const bool ran = WaitFor([&] { return FileExists(done); });
    DeleteFileA(done.c_str());
    return ran;
}

// A junction made with FSCTL_SET_REPARSE_POINT, as Windows supports them for
// every user. False where the file system refuses (Wine 8: not supported).
inline bool MakeJunction(const std::string& link, const std::string& target) {
    if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
    const std::wstring substitute = L"\\??\\" + Widen(target);
    const std::wstring print = Widen(target);
    struct {
        DWORD Tag;
        WORD DataLength, Reserved;
        WORD SubstituteOffset, SubstituteLength, PrintOffset, PrintLength;
        WCHAR Names[2 * MAX_PATH + 8];
    } buffer{};
    if (substitute.size() + print.size() + 2 > std::size(buffer.Names)) return false;
    buffer.Tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(buffer.Names, substitute.c_str(), substitute.size() * sizeof(WCHAR));
    std::memcpy(buffer.Names + substitute.size() + 1, print.c_str(), print.size() * sizeof(WCHAR));
    buffer.SubstituteLength = static_cast<WORD>(substitute.size() * sizeof(WCHAR));
    buffer.PrintOffset = static_cast<WORD>((substitute.size() + 1) * sizeof(WCHAR));
    buffer.PrintLength = static_cast<WORD>(print.size() * sizeof(WCHAR));
    buffer.DataLength = static_cast<WORD>(8 + (substitute.size() + print.size() + 2) * sizeof(WCHAR));
    bool made = false;
    HANDLE folder = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder != INVALID_HANDLE_VALUE) {
        DWORD returned = 0;
        made = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, &buffer, buffer.DataLength + 8u, nullptr, 0,
                               &returned, nullptr) != FALSE;
        CloseHandle(folder);
    }
    if (!made) RemoveDirectoryA(link.c_str());
    return made;
}

// A link to a folder or a file that goes away with the object. On Windows a
// junction, or a symbolic link for a file (which needs the right to make
// one); under Wine 8, which can make neither (CreateSymbolicLinkW is a stub
// that makes nothing, junctions are not supported), a Linux symbolic link.
// Wine cannot remove a Linux link through Win32 either, so it is removed on
// the Linux side too.
class TLink {
public:
    TLink(const std::string& link, const std::string& target, bool toFolder) : link_(link) {
        if (RunningUnderWine()) {
            folder_ = link.substr(0, link.find_last_of('\\') + 1);
            unixLink_ = UnixPathOf(link);
            const std::string unixTarget = UnixPathOf(target);
            made_ = !unixLink_.empty() && !unixTarget.empty() &&
                    RunUnixCommand("ln -s -- '" + unixTarget + "' '" + unixLink_ + "'", folder_) &&
                    LinkPresent();
        } else if (toFolder) {
            made_ = MakeJunction(link, target);
        } else {
            made_ = CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;
        }
    }
    ~TLink() {
        if (!made_) return;
        if (!unixLink_.empty()) {
            RunUnixCommand("rm -f -- '" + unixLink_ + "'", folder_);
        } else {
            // On Windows both calls act on the link itself, never on its target.
            if (!DeleteFileA(link_.c_str())) RemoveDirectoryA(link_.c_str());
        }
    }
    TLink(const TLink&) = delete;
    TLink& operator=(const TLink&) = delete;

    bool Made() const { return made_; }
    // The link itself is still there (a search lists it, even when it dangles).
    bool LinkPresent() const {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(link_.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        FindClose(search);
        return true;
    }

private:
    std::string link_;
    std::string folder_;
    std::string unixLink_;
    bool made_ = false;
};

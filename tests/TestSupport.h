// Shared helpers of the target-side tests: host paths under Wine, scratch
// folders that clean up after themselves, processes and their windows.
#pragma once

#include "instutils/UniqueHandle.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "TestPaths.h"
#include "tools/WindowSearch.h"

// A Linux path named by an environment variable (else by the build), as Wine
// sees it (Z:\...).
inline std::string HostPath(const char* variable) {
    const char* value = std::getenv(variable);
    if (!value || !*value) value = BuiltTestPath(variable);
    if (!value) return {};
    std::string path = value;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

inline std::wstring Widen(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

inline bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Polls until the condition holds or the time runs out.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

inline std::string WindowText(HWND wnd) {
    char buf[1024] = {};
    GetWindowTextA(wnd, buf, sizeof buf);
    return buf;
}

// A child process started from a command line; killed if still running when
// the owner goes away.
class TProcess {
public:
    explicit TProcess(const std::string& commandLine, const char* environment = nullptr) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string cmd = commandLine;
        if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0,
                           const_cast<char*>(environment), nullptr, &si, &info_)) {
            process_.reset(info_.hProcess);
            thread_.reset(info_.hThread);
        }
    }
    ~TProcess() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 99);
            WaitForSingleObject(process_.get(), 5000);
        }
    }
    bool Started() const { return static_cast<bool>(process_); }
    DWORD Id() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when the process did not end in time.
    DWORD Wait(int timeoutMs = 15000) {
        if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    PROCESS_INFORMATION info_{};
    TUniqueKernel process_;
    TUniqueKernel thread_;
};

// A uniquely named scratch folder in the temporary folder, removed with
// everything in it when the test ends.
class TScratchFolder {
public:
    TScratchFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "setup-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter_++) + "\\";
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TScratchFolder() { Remove(path_); }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                std::string full = folder + name;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                    Remove(full + "\\");
                } else {
                    SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    if (!DeleteFileA(full.c_str())) RemoveDirectoryA(full.c_str());
                }
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        RemoveDirectoryA(folder.c_str());
    }
    std::string path_;
    static inline int counter_ = 0;
};

inline bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void WriteTextFile(const std::string& path, const std::string& text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

inline std::string ReadWholeFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string data(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    if (!data.empty()) ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
    CloseHandle(h);
    data.resize(got);
    return data;
}

#include <algorithm>
#include <atomic>
#include <vector>

// The names in a folder (without "." and ".."), sorted.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    TUniqueFind search(FindFirstFileA((folder + (folder.empty() || folder.back() == '\\' ? "*" : "\\*")).c_str(),
                                      &found));
    if (!search) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search.get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

// One message box seen by TBoxAnswerer.
struct TSeenBox {
    std::wstring Caption;
    std::wstring Text;          // the static control 0xFFFF
    std::vector<int> Buttons;   // which of IDOK..IDNO the box has, in that order
    HWND Owner = nullptr;
    HICON Icon = nullptr;       // the icon shown, or null
};

// Answers this process's message boxes from a second thread while the test's
// thread sits in the box: the n-th box gets the n-th button id, after
// Before(n, box) ran. A box beyond the script is recorded too and closed with
// Abort, Cancel, No or OK, whichever it has, so a test never hangs on an
// unexpected question.
class TBoxAnswerer {
public:
    explicit TBoxAnswerer(std::vector<int> answers, std::function<void(std::size_t, HWND)> before = {})
        : answers_(std::move(answers)), before_(std::move(before)), thread_([this] { Run(); }) {}
    ~TBoxAnswerer() { Stop(); }
    TBoxAnswerer(const TBoxAnswerer&) = delete;
    TBoxAnswerer& operator=(const TBoxAnswerer&) = delete;

    // Ends the watch; call once the boxes' caller has returned.
    const std::vector<TSeenBox>& Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return seen_;
    }

    static std::wstring TextOf(HWND wnd) {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(wnd)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()))));
        return text;
    }

private:
    static HICON IconOf(HWND box) {
        HICON icon = nullptr;
        EnumChildWindows(
            box,
            [](HWND child, LPARAM param) -> BOOL {
                char cls[32] = {};
                GetClassNameA(child, cls, sizeof cls);
                if (lstrcmpiA(cls, "Static") != 0 || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
                    return TRUE;
                *reinterpret_cast<HICON*>(param) =
                    reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&icon));
        return icon;
    }

    void Run() {
        while (!stop_) {
            HWND box = FindVisibleWindow(GetCurrentProcessId(), "#32770");
            if (!box) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            TSeenBox seen;
            seen.Caption = TextOf(box);
            seen.Text = TextOf(GetDlgItem(box, 0xFFFF));
            for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
                if (GetDlgItem(box, id)) seen.Buttons.push_back(id);
            seen.Owner = GetWindow(box, GW_OWNER);
            seen.Icon = IconOf(box);
            const std::size_t index = seen_.size();
            seen_.push_back(seen);
            if (before_ && index < answers_.size()) before_(index, box);
            int id = 0;
            if (index < answers_.size()) {
                id = answers_[index];
            } else {
                for (int fallback : {IDABORT, IDCANCEL, IDNO, IDOK})
                    if (GetDlgItem(box, fallback)) {
                        id = fallback;
                        break;
                    }
            }
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
            WaitFor([box] { return !IsWindow(box) || !IsWindowVisible(box); });
        }
    }

    std::vector<int> answers_;
    std::function<void(std::size_t, HWND)> before_;
    std::vector<TSeenBox> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

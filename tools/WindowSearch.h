// Finding another program's windows from outside, as UI automation does:
// shared by the end-to-end tests, the benchmarks and the wizard walker.
#pragma once

#include <windows.h>

#include <cstring>

// The first visible top-level window of a process (any process when pid is 0)
// with the given class (any class when null), or null.
inline HWND FindVisibleWindow(DWORD pid, const char* windowClass) {
    struct TSearch {
        DWORD Pid;
        const char* Class;
        HWND Found;
    } search{pid, windowClass, nullptr};
    EnumWindows(
        [](HWND wnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(param);
            if (!IsWindowVisible(wnd)) return TRUE;
            if (s->Pid) {
                DWORD owner = 0;
                GetWindowThreadProcessId(wnd, &owner);
                if (owner != s->Pid) return TRUE;
            }
            if (s->Class) {
                char cls[64] = {};
                GetClassNameA(wnd, cls, sizeof cls);
                if (std::strcmp(cls, s->Class) != 0) return TRUE;
            }
            s->Found = wnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

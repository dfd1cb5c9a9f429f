// One move-only owner for every kind of Win32 handle, parameterised by the
// handle type, its "no handle" value and its close function.
// Closing never disturbs GetLastError, so an owner going out of scope right
// after a failed call leaves the caller's error code intact.
#pragma once

#include <windows.h>

#include <utility>

template <typename Handle, auto Close, auto Invalid>
class TUniqueHandle {
public:
    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(Handle h) noexcept : handle_(h) {}
    TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    ~TUniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Invalid(); }

    Handle release() noexcept { return std::exchange(handle_, Invalid()); }

    void reset(Handle h = Invalid()) noexcept {
        Handle old = std::exchange(handle_, h);
        if (old != Invalid()) {
            DWORD saved = GetLastError();
            Close(old);
            SetLastError(saved);
        }
    }

private:
    Handle handle_ = Invalid();
};

namespace handle_detail {
inline HANDLE InvalidFile() noexcept { return INVALID_HANDLE_VALUE; }
template <typename T> T Null() noexcept { return nullptr; }
inline void CloseKernel(HANDLE h) noexcept { CloseHandle(h); }
inline void CloseFind(HANDLE h) noexcept { FindClose(h); }
inline void CloseKey(HKEY h) noexcept { RegCloseKey(h); }
inline void CloseModule(HMODULE h) noexcept { FreeLibrary(h); }
inline void CloseGdi(HGDIOBJ h) noexcept { DeleteObject(h); }
inline void CloseIcon(HICON h) noexcept { DestroyIcon(h); }
inline void CloseWindow(HWND h) noexcept { DestroyWindow(h); }
}  // namespace handle_detail

using TUniqueFile = TUniqueHandle<HANDLE, handle_detail::CloseKernel, handle_detail::InvalidFile>;
using TUniqueFind = TUniqueHandle<HANDLE, handle_detail::CloseFind, handle_detail::InvalidFile>;
using TUniqueKernel = TUniqueHandle<HANDLE, handle_detail::CloseKernel, handle_detail::Null<HANDLE>>;
using TUniqueKey = TUniqueHandle<HKEY, handle_detail::CloseKey, handle_detail::Null<HKEY>>;
using TUniqueModule = TUniqueHandle<HMODULE, handle_detail::CloseModule, handle_detail::Null<HMODULE>>;
using TUniqueFont = TUniqueHandle<HFONT, handle_detail::CloseGdi, handle_detail::Null<HFONT>>;
using TUniqueBrush = TUniqueHandle<HBRUSH, handle_detail::CloseGdi, handle_detail::Null<HBRUSH>>;
using TUniqueBitmap = TUniqueHandle<HBITMAP, handle_detail::CloseGdi, handle_detail::Null<HBITMAP>>;
using TUniqueIcon = TUniqueHandle<HICON, handle_detail::CloseIcon, handle_detail::Null<HICON>>;
using TUniqueWindow = TUniqueHandle<HWND, handle_detail::CloseWindow, handle_detail::Null<HWND>>;

// A device context from GetDC: released against the window it came from.
class TWindowDC {
public:
    explicit TWindowDC(HWND wnd) noexcept : wnd_(wnd), dc_(GetDC(wnd)) {}
    ~TWindowDC() {
        if (dc_) {
            DWORD saved = GetLastError();
            ReleaseDC(wnd_, dc_);
            SetLastError(saved);
        }
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND wnd_;
    HDC dc_;
};

// Puts back the object that a SelectObject replaced.
class TSelectGuard {
public:
    TSelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~TSelectGuard() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    TSelectGuard(const TSelectGuard&) = delete;
    TSelectGuard& operator=(const TSelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

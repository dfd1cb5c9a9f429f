// The application object and its hidden window.
#include "Application.h"

#include "ui/Errors.h"

TApplication* Application = nullptr;

namespace {

LRESULT CALLBACK ApplicationWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

}  // namespace

TApplication::~TApplication() {
    if (handle_) DestroyWindow(handle_);
}

void TApplication::Initialize() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA cls{};
    cls.lpfnWndProc = ApplicationWndProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    cls.lpszClassName = ApplicationWindowClass;
    if (!RegisterClassA(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastError("RegisterClassA");
    // Never shown: a zero-size popup that owns the wizard form.
    handle_ = CreateWindowExA(0, ApplicationWindowClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!handle_) RaiseLastError("CreateWindowExA");
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_) SetWindowTextA(handle_, title_.c_str());
}

void TApplication::SetIcon(HICON icon) {
    if (handle_) SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

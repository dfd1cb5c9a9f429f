// The form base class and its window procedure.
#include "Form.h"

#include "ui/Application.h"
#include "ui/Errors.h"

#include <exception>

namespace {

constexpr char FormWindowClass[] = "TForm";

void RegisterFormClass(WNDPROC proc) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = proc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = FormWindowClass;
    if (!RegisterClassA(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastError("RegisterClassA");
}

}  // namespace

void ShowUnhandledError(const char* text) {
    const char* title = Application && !Application->Title().empty() ? Application->Title().c_str() : "Error";
    MessageBoxA(Application ? Application->Handle() : nullptr, text, title,
                MB_ICONERROR | MB_OK | MB_TASKMODAL);
}

TForm::~TForm() {
    if (handle_) {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

void TForm::CreateWindowed(HWND owner, const std::string& caption, int width, int height) {
    RegisterFormClass(&TForm::WindowProc);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    handle_ = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, FormWindowClass, caption.c_str(),
                              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                              x, y, width, height, owner, nullptr, GetModuleHandleA(nullptr), this);
    if (!handle_) RaiseLastError("CreateWindowExA");
}

LRESULT TForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        if (CloseQuery()) ModalResult = IDCANCEL;
        return 0;
    }
    return DefWindowProcA(handle_, msg, wParam, lParam);
}

LRESULT CALLBACK TForm::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* form = static_cast<TForm*>(create->lpCreateParams);
        form->handle_ = wnd;
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!form) return DefWindowProcA(wnd, msg, wParam, lParam);
    // No exception may cross into the system: report it and go on.
    try {
        return form->HandleMessage(msg, wParam, lParam);
    } catch (const std::exception& e) {
        ShowUnhandledError(e.what());
    } catch (...) {
        ShowUnhandledError("An unexpected error occurred.");
    }
    return 0;
}

int TForm::ShowModal() {
    HWND owner = GetWindow(handle_, GW_OWNER);
    if (owner) EnableWindow(owner, FALSE);
    ModalResult = 0;
    ShowWindow(handle_, SW_SHOW);
    SetForegroundWindow(handle_);
    MSG msg;
    while (ModalResult == 0) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {  // WM_QUIT: pass it on to whoever runs the outer loop
            PostQuitMessage(static_cast<int>(msg.wParam));
            ModalResult = IDCANCEL;
            break;
        }
        if (got == -1) break;
        if (!IsDialogMessageA(handle_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (owner) EnableWindow(owner, TRUE);
    ShowWindow(handle_, SW_HIDE);
    return ModalResult;
}

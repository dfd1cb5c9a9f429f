// The baseline for start-up and memory: a bare Win32 program that shows one
// window and ends when it is closed. With "ole" it first initialises OLE, as
// the setup must, to tell that cost apart from the payload's.
#include <windows.h>
#include <objbase.h>

#include <cstring>

namespace {

LRESULT CALLBACK BareProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const bool ole = commandLine && std::strstr(commandLine, "ole");
    if (ole) OleInitialize(nullptr);
    WNDCLASSA cls{};
    cls.lpfnWndProc = BareProc;
    cls.hInstance = instance;
    cls.lpszClassName = "BareWindow";
    RegisterClassA(&cls);
    HWND wnd = CreateWindowExA(0, "BareWindow", "Bare", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr,
                               nullptr, instance, nullptr);
    ShowWindow(wnd, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (ole) OleUninitialize();
    return 0;
}

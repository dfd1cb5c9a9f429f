// The wizard form (stand-in until the pages are built).
#include "MainDlg.h"

#include "ResConst.h"
#include "ui/Application.h"
#include "ui/Errors.h"

bool InstallationStarted = false;
TMainDlgForm* MainDlgForm = nullptr;

TMainDlgForm::TMainDlgForm() {
    CreateWindowed(Application ? Application->Handle() : nullptr, SetupTitle, 503, 385);
    Font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND text = CreateWindowExA(0, "STATIC", "Welcome to the Quorvane Swedish Spellchecker setup.",
                                WS_CHILD | WS_VISIBLE, 20, 20, 450, 40, Handle(), nullptr, instance, nullptr);
    CancelBtn = CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                400, 315, 75, 25, Handle(), reinterpret_cast<HMENU>(IDCANCEL), instance,
                                nullptr);
    if (!text || !CancelBtn) RaiseLastError("CreateWindowExA");
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
    SendMessageA(CancelBtn, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
}

LRESULT TMainDlgForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ModalResult = IDCANCEL;
        return 0;
    }
    return TForm::HandleMessage(msg, wParam, lParam);
}

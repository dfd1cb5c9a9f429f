// The message box behind every question and error of the setup.
#include "Dialogs.h"

#include "instutils/InstUtils.h"
#include "ui/Application.h"

#include <windows.h>

unsigned MessageBoxStyle(MessageKind kind, MessageButtons buttons) {
    unsigned icon;
    switch (kind) {
        case MessageKind::Warning: icon = MB_ICONWARNING; break;
        case MessageKind::Information: icon = MB_ICONINFORMATION; break;
        case MessageKind::Question: icon = MB_ICONQUESTION; break;
        default: icon = MB_ICONERROR; break;  // Error, and any unknown kind
    }
    unsigned style;
    switch (buttons.Bits()) {  // the set is compared as a whole
        case 0x0070: style = MB_ABORTRETRYIGNORE; break;
        case 0x000C: style = MB_OKCANCEL; break;
        case 0x0028: style = MB_RETRYCANCEL; break;
        case 0x0003: style = MB_YESNO; break;
        case 0x000B: style = MB_YESNOCANCEL; break;
        default: style = MB_OK; break;
    }
    return icon | style | MB_TASKMODAL;
}

MessageResult MessageResultOf(int answer) {
    if (answer >= IDOK && answer <= IDNO) return static_cast<MessageResult>(answer);
    return MessageResult::Ok;
}

MessageResult ShowMessageBox(const std::string& text, MessageKind kind, MessageButtons buttons) {
    HWND owner = Application ? Application->Handle() : nullptr;
    const int answer = MessageBoxExW(owner, ToWide(text).c_str(), ToWide(SetupTitle).c_str(),
                                     MessageBoxStyle(kind, buttons),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    return MessageResultOf(answer);
}

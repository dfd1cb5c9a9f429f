// Errors that carry the system's own description.
#include "Errors.h"

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<LPSTR>(&text), 0,
        nullptr);
    std::string s = n && text ? std::string(text, n) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

EOSError::EOSError(const std::string& function, DWORD code)
    : std::runtime_error(function + " failed (" + std::to_string(code) + "): " + SystemErrorText(code)),
      code_(code) {}

void RaiseLastError(const char* function) {
    const DWORD code = GetLastError();
    throw EOSError(function, code);
}

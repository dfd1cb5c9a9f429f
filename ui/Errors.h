// Errors that travel: the failing function, its error code and the system's
// text, captured right after the call.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

class EOSError : public std::runtime_error {
public:
    EOSError(const std::string& function, DWORD code);
    DWORD Code() const { return code_; }

private:
    DWORD code_;
};

[[noreturn]] void RaiseLastError(const char* function);

// The text of a system error code, without its trailing line break.
std::string SystemErrorText(DWORD code);

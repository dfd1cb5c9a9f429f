// The application object: the hidden top-level window that owns the wizard,
// carries its taskbar button, title and icon.
#pragma once

#include <windows.h>

#include <string>

class TApplication {
public:
    TApplication() = default;
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Creates the hidden application window. Throws on failure.
    void Initialize();
    HWND Handle() const { return handle_; }
    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }
    void SetIcon(HICON icon);

private:
    HWND handle_ = nullptr;
    std::string title_;
};

// The program's one application object; null before start-up creates it.
extern TApplication* Application;

inline constexpr char ApplicationWindowClass[] = "TApplication";

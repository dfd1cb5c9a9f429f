// The form base class: a top-level window with the one window procedure of
// the component layer, which finds its form through the window's user data
// and forwards to virtual handlers, and a modal loop.
#pragma once

#include <windows.h>

#include <string>

class TForm {
public:
    TForm() = default;
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return handle_; }
    // Shows the form, disables its owner and runs messages until ModalResult
    // becomes non-zero; returns it.
    int ShowModal();
    int ModalResult = 0;

protected:
    // Creates the window; owner may be null. Throws on failure.
    void CreateWindowed(HWND owner, const std::string& caption, int width, int height);
    // Called for every message; the default hands it to DefWindowProc.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // A close request: return false to keep the form open.
    virtual bool CloseQuery() { return true; }

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND handle_ = nullptr;
};

// Reports an error that reached an event boundary, the way the platform
// reports unhandled errors: a task-modal error box with the error's text.
void ShowUnhandledError(const char* text);

// The wizard form. For now it stands in for the six-page wizard: one page
// with the product's name and a Cancel button, run modally by start-up.
#pragma once

#include "ui/Form.h"

class TMainDlgForm : public TForm {
public:
    TMainDlgForm();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND CancelBtn = nullptr;
    HFONT Font = nullptr;  // the system's stock GUI font, not owned
};

// True once the installation run has queued its files; never reset.
extern bool InstallationStarted;
extern TMainDlgForm* MainDlgForm;

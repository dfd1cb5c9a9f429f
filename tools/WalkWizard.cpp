// WalkWizard: drives a running setup from outside for the run script, the way
// a person would, one step per call so that screenshots fit in between.
//   WalkWizard wait      waits until the wizard shows (exit 1 after 20 s)
//   WalkWizard cancel    presses Cancel
#include "WindowSearch.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const char* cmd = argc > 1 ? argv[1] : "";
    for (int i = 0; i < 2000; ++i) {
        if (HWND wizard = FindVisibleWindow(0, "TForm")) {
            if (std::strcmp(cmd, "cancel") == 0) PostMessageA(wizard, WM_COMMAND, IDCANCEL, 0);
            Sleep(200);  // let it paint before the screenshot
            return 0;
        }
        Sleep(10);
    }
    std::fprintf(stderr, "WalkWizard: no wizard window\n");
    return 1;
}

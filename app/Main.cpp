// Program entry: gives the application its identity, creates the payload store
// and the wizard form, runs the wizard modally and takes both down in order.
#include "instutils/InstUtils.h"
#include "payload/AttachFiles.h"
#include "payload/PayloadTable.h"
#include "ui/Application.h"
#include "ui/Components.h"
#include "ui/Form.h"
#include "wizard/MainDlg.h"
#include "wizard/ResConst.h"

#include <windows.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <string>

namespace {

void RegisterComponentClasses() {
    RegisterClasses({
        {"TBevel", "STATIC"},
        {"TButton", "BUTTON"},
        {"TCheckBox", "BUTTON"},
        {"TDirectoryListBox", "LISTBOX"},
        {"TDriveComboBox", "COMBOBOX"},
        {"TEdit", "EDIT"},
        {"TImage", "STATIC"},
        {"TLabel", "STATIC"},
        {"TMemo", "EDIT"},
        {"TPanel", "STATIC"},
        {"TPageControl", "SysTabControl32"},
        {"TTabSheet", "STATIC"},
    });
}

int Run() {
    TApplication application;
    Application = &application;
    int exitCode = 0;
    try {
        application.Initialize();
        RegisterComponentClasses();
        // Shared icons are owned by the system: nothing to destroy.
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
        application.SetIcon(icon);
        application.SetTitle(SetupTitle);

        auto store = std::make_unique<TAttachedFiles>();
        AttachedFiles = store.get();
        {
            auto form = std::make_unique<TMainDlgForm>();
            MainDlgForm = form.get();
            form->ShowModal();  // the modal result is not looked at
            MainDlgForm = nullptr;
        }
        AttachedFiles = nullptr;
    } catch (const EPayloadDamaged& e) {
        const std::string text = std::string(DamagedSetupText) + "\r\r(" + e.what() + ")";
        ShowUnhandledError(text.c_str());
        exitCode = 1;
    } catch (const std::bad_alloc&) {
        ShowUnhandledError("Out of memory.");
        exitCode = 1;
    } catch (const std::exception& e) {
        ShowUnhandledError(e.what());
        exitCode = 1;
    }
    // The store, if it was made, is gone by now, so are its temporary files.
    MainDlgForm = nullptr;
    AttachedFiles = nullptr;
    Application = nullptr;
    return exitCode;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitInstUtils();
    const int exitCode = Run();
    DoneInstUtils();
    return exitCode;
}

// The library's default terminate handler demangles type names for its
// report, which would add a demangler of some 45 KB to the setup. Errors are
// reported by start-up itself; a terminate is simply an abnormal end.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

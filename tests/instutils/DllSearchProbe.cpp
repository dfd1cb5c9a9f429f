// Loads system DLLs by bare name the way later code of the setup does, after
// InitInstUtils or, with "--unprotected", without it. It imports none of
// those DLLs itself, so only these loads can pick up a planted copy.
#include "instutils/InstUtils.h"

#include <cstring>

int main(int argc, char** argv) {
    const bool protect = !(argc > 1 && std::strcmp(argv[1], "--unprotected") == 0);
    if (protect) InitInstUtils();
    for (const char* name : {"version.dll", "uxtheme.dll", "shfolder.dll"}) LoadLibraryA(name);
    const bool found = !SpecialFolder(CSIDL_PERSONAL_).empty();
    if (protect) DoneInstUtils();
    return found ? 0 : 2;
}

// Runner of the tests that use the installation utilities: they need their
// start-up (DLL search, OLE, the special-folder entry) before any case runs,
// as the setup itself does.
#include "instutils/InstUtils.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    InitInstUtils();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    DoneInstUtils();
    return result;
}

// Runner of the InstUtils tests: the utilities need their start-up (DLL
// search, OLE, the special-folder entry) before any case runs.
#include "instutils/InstUtils.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    InitInstUtils();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    DoneInstUtils();
    return result;
}

// Entry point of the Windows test programs: one application object, as the program has.
#include "app.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    CWinApp app;
    app.Start(GetModuleHandleA(nullptr));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The DirectX installers' folder: "directx" in the folder the program was started from.
#include "directx_dlg.h"

#include <gtest/gtest.h>

TEST(DirectXFolder, JoinsWithOneBackslash) {
    EXPECT_EQ(DirectXFolder("D:\\"), "D:\\directx");
    EXPECT_EQ(DirectXFolder("E:\\cdimage"), "E:\\cdimage\\directx");
}

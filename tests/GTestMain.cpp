// SPDX-License-Identifier: MIT
// The entry point of the engine's tests, which need no windows.
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

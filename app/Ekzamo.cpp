// SPDX-License-Identifier: MIT
#include "app/Program.h"
#include "ui/Application.h"

int main(int argc, char* argv[])
{
    return RunApplication(argc, argv, [] {
        InitApplication();
        return RunProgram();
    });
}

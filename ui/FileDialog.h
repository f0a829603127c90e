// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>

class QWidget;

// Runs a file-open dialog for test files from the current directory, with the
// given filter description; on a choice, makes the file's folder current and
// returns the file's path, else an empty string. Both the setup and the test
// window choose a test with it.
std::string RunOpenDialog(QWidget* owner, const QString& description);

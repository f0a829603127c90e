// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// A native path split at its last '/' and at the last '.' of its file part.
struct PathParts {
    std::string_view folder; // up to and including the last '/'; empty if none
    std::string_view stem;   // the file part without its extension
    std::string_view ext;    // from the file part's last '.'; empty if none
};

PathParts SplitPath(std::string_view path);

// "name.ext" in any folder -> the same path ending in ".out" ("name.out" gets
// a second ".out").
std::string ResultNameFor(const std::string& testFile);
// The file part of a path without its extension.
std::string TestNameOf(const std::string& testFile);

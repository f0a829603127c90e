// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// A native path split at its last '/' and at the last '.' of its file part.
struct TPathParts {
    std::string_view Folder; // up to and including the last '/'; empty if none
    std::string_view Stem;   // the file part without its extension
    std::string_view Ext;    // from the file part's last '.'; empty if none
};

TPathParts SplitPath(std::string_view path);

// "name.ext" in any folder -> the same path ending in ".out" ("name.out" gets
// a second ".out").
std::string ResultNameFor(const std::string& testFile);
// The file part of a path without its extension.
std::string TestNameOf(const std::string& testFile);

// A path for a "FILE:LINE: text" line, which a line break in a name would
// split: a backslash, line ends and other control characters as C escapes.
std::string EscapedPath(std::string_view path);

// SPDX-License-Identifier: MIT
#include "engine/Paths.h"

TPathParts SplitPath(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string_view file = path.substr(start);
    const std::size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos)
        return {path.substr(0, start), file, {}};
    return {path.substr(0, start), file.substr(0, dot), file.substr(dot)};
}

std::string ResultNameFor(const std::string& testFile)
{
    const TPathParts parts = SplitPath(testFile);
    std::string result(parts.Folder);
    result += parts.Stem;
    result += ".out";
    // A test that is itself named .out must not be overwritten by its results.
    return result == testFile ? result + ".out" : result;
}

std::string TestNameOf(const std::string& testFile)
{
    return std::string(SplitPath(testFile).Stem);
}

std::string EscapedPath(std::string_view path)
{
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20 || u == 0x7f) {
            out += "\\x";
            out += Hex[u >> 4];
            out += Hex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// SPDX-License-Identifier: MIT
#include "engine/Paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Paths, TheResultsFileAndTheTestsNameComeFromTheTestFilesName)
{
    struct Case {
        const char* test;
        const char* results;
        const char* name;
    } cases[] = {
        {"/home/u/algebra.txt", "/home/u/algebra.out", "algebra"},
        {"algebra.txt", "algebra.out", "algebra"},
        {"/home/u.v/test", "/home/u.v/test.out", "test"},
        {"/home/u/x.tar.gz", "/home/u/x.tar.out", "x.tar"},
        {"/home/u/results.out", "/home/u/results.out.out", "results"},
        {"/home/u/Тесты.TXT", "/home/u/Тесты.out", "Тесты"},
        {"/home/u/.hidden", "/home/u/.out", ""},
        {"/", "/.out", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.test);
        EXPECT_EQ(ResultNameFor(c.test), c.results);
        EXPECT_EQ(TestNameOf(c.test), c.name);
    }
}

TEST(Paths, APathSplitsAtItsLastSlashAndItsFilePartsLastDot)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* stem;
        const char* ext;
    } cases[] = {
        {"a.txt", "", "a", ".txt"},
        {"/a.txt", "/", "a", ".txt"},
        {"d.e/f", "d.e/", "f", ""},
        {"d/f.", "d/", "f", "."},
        {"d/", "d/", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const TPathParts parts = SplitPath(c.path);
        EXPECT_EQ(parts.Folder, c.folder);
        EXPECT_EQ(parts.Stem, c.stem);
        EXPECT_EQ(parts.Ext, c.ext);
    }
}

// A name in a "FILE:LINE: text" line stays on that line and reads back
// unambiguously.
TEST(Paths, ANameInALineHasItsBreaksAndControlsEscaped)
{
    struct Case {
        std::string path;
        const char* shown;
    } cases[] = {
        {"9А/Иванов.out", "9А/Иванов.out"},
        {"a\nb.out", "a\\nb.out"},
        {"a\r\nb", "a\\r\\nb"},
        {"a\\nb", "a\\\\nb"},
        {std::string("a\0b\x1f\x7f", 5), "a\\x00b\\x1f\\x7f"},
        {"a\tb", "a\\x09b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(EscapedPath(c.path), c.shown);
    }
}

} // namespace

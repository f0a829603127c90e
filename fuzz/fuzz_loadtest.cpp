// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to LoadTest as a test file. Each input is loaded
// twice: the table invariants must hold and both loads must agree on
// everything the option shuffle does not decide.
#include "fuzz/LoadCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::string& InputPath()
{
    static const std::string path = [] {
        std::atexit([] { std::remove(InputPath().c_str()); });
        return "/tmp/fuzz_loadtest." + std::to_string(::getpid()) + ".txt";
    }();
    return path;
}

void Fail(const char* why)
{
    std::fprintf(stderr, "fuzz_loadtest: %s\n", why);
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (!f)
        Fail("cannot write the input file");
    if (size && std::fwrite(data, 1, size, f) != size)
        Fail("cannot write the input file");
    std::fclose(f);

    const TLoadOutcome a = LoadFresh(InputPath());
    if (a.Broken)
        Fail(a.Broken);
    const TLoadOutcome b = LoadFresh(InputPath());
    if (b.Broken)
        Fail(b.Broken);
    if (const char* why = ShuffleMismatch(a, b))
        Fail(why);
    return 0;
}

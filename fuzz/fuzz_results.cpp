// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the results-file reader, as files students leave
// behind are untrusted. Whatever it accepts must survive the program's own
// writers: written back with WriteResults and read again, it is the same run.
#include "engine/Ques.h"
#include "engine/ResultsFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <unistd.h>

namespace {

// The journal's cap on one line; without it a file is held whole.
constexpr std::size_t MaxLine = 64 * 1024;

void Fail(const char* why)
{
    std::fprintf(stderr, "fuzz_results: %s\n", why);
    __builtin_trap();
}

// Puts a read run back into the engine's tables as a finished run.
void Restore(const TResults& run)
{
    for (auto& q : TestOrder)
        q.reset();
    QuestionCount = std::uint8_t(run.Questions);
    DetailedResults = run.Detailed();
    for (unsigned k = 1; k <= run.Questions; ++k) {
        auto q = std::make_unique<TQuestion>();
        if (run.Detailed()) {
            const TResultBlock& b = run.Blocks[k - 1];
            q->Text = b.Text;
            q->OptionCount = std::uint8_t(b.Options.size());
            for (std::size_t i = 0; i < b.Options.size(); ++i)
                q->Options[i + 1] = b.Options[i];
            q->Correct = b.Correct;
            Answers[k] = b.Given;
        } else {
            // Score only: any answers that give its score.
            q->Correct = 1;
            Answers[k] = k <= run.Right ? 1 : 0;
        }
        TestOrder[k] = std::move(q);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TResults run;
    try {
        ParseResults(bytes, run, MaxLine);
    } catch (const EResultsError& e) {
        if (e.Line == 0 || std::string(e.what()).empty())
            Fail("an error with no line or no reason");
        return 0;
    } catch (const std::exception&) {
        Fail("an error other than EResultsError");
    }
    if (run.Right > run.Questions || run.Questions > 255 || (run.Detailed() && run.Blocks.size() != run.Questions))
        Fail("accepted a run that contradicts itself");

    static const std::string path = "/tmp/fuzz_results." + std::to_string(::getpid()) + ".out";
    ResultFileName = path;
    Restore(run);
    try {
        WriteResults(ScoreLine());
        TResults again;
        ReadResults(path, again);
        if (!(again == run))
            Fail("written back and read again, the run differs");
    } catch (const std::exception&) {
        Fail("the program's own file was refused");
    }
    std::remove(path.c_str());
    return 0;
}

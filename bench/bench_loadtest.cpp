// SPDX-License-Identifier: MIT
// LoadTest on a typical test (255 questions, 5 options, about 40 KB) and on a
// file with one 64 MB wording line.
//
// The files are written to $EKZAMO_BENCH_DIR (default /tmp/ekzamo-bench) and
// left there so that other tools can be timed on the same bytes.
//   bench_loadtest [benchmark flags]   run the benchmarks
//   bench_loadtest --load FILE         load FILE once, print its time and the peak RSS
#include "engine/Ques.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>

namespace {

constexpr std::size_t LongLineBytes = 64u << 20;

std::string BenchDir()
{
    const char* dir = std::getenv("EKZAMO_BENCH_DIR");
    return dir && *dir ? dir : "/tmp/ekzamo-bench";
}

std::string TypicalPath() { return BenchDir() + "/typical.txt"; }
std::string LongLinePath() { return BenchDir() + "/longline.txt"; }

// Windows-1251 words from a fixed generator, so every run writes the same file.
class Words {
public:
    std::string Next(std::size_t minBytes)
    {
        std::string s;
        while (s.size() < minBytes) {
            const std::size_t len = 3 + Draw(7);
            for (std::size_t i = 0; i < len; ++i)
                s += char(0xE0 + Draw(32));  // а..я
            s += ' ';
        }
        s.pop_back();
        return s;
    }

private:
    std::size_t Draw(std::uint32_t n)
    {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 16) % n;
    }
    std::uint32_t state_ = 1;
};

void WriteTypical()
{
    Words words;
    std::ofstream out(TypicalPath(), std::ios::binary | std::ios::trunc);
    for (int k = 1; k <= 255; ++k) {
        out << words.Next(72) << "?\r\n5\r\n" << (k % 5 + 1) << "\r\n";
        for (int i = 0; i < 5; ++i)
            out << words.Next(13) << "\r\n";
    }
}

void WriteLongLine()
{
    Words words;
    const std::string chunk = words.Next(1 << 20).substr(0, 1 << 20);
    std::ofstream out(LongLinePath(), std::ios::binary | std::ios::trunc);
    for (std::size_t written = 0; written < LongLineBytes; written += chunk.size())
        out.write(chunk.data(), std::streamsize(chunk.size()));
    out << "\r\n3\r\n1\r\n" << words.Next(10) << "\r\n" << words.Next(10) << "\r\n"
        << words.Next(10) << "\r\n";
}

void ResetQuestions()
{
    for (auto& q : Questions)
        q.reset();
    QuestionCount = 0;
}

void LoadEachIteration(benchmark::State& state, const std::string& path, int questions)
{
    for (auto _ : state) {
        state.PauseTiming(); // freeing the last load's questions is not loading
        ResetQuestions();
        state.ResumeTiming();
        LoadTest(path);
        if (QuestionCount != questions)
            state.SkipWithError("unexpected question count");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations())
                            * std::int64_t(std::filesystem::file_size(path)));
}

void BM_LoadTypical(benchmark::State& state) { LoadEachIteration(state, TypicalPath(), 255); }
BENCHMARK(BM_LoadTypical)->Unit(benchmark::kMicrosecond);

void BM_LoadLongLine(benchmark::State& state) { LoadEachIteration(state, LongLinePath(), 1); }
BENCHMARK(BM_LoadLongLine)->Unit(benchmark::kMillisecond)->Iterations(5);

long PeakRssKiB()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0) {
        const long before = PeakRssKiB();
        const auto start = std::chrono::steady_clock::now();
        LoadTest(argv[2]);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        std::printf("questions %d, text bytes %zu, LoadTest %.1f ms, peak RSS %ld KiB before load, %ld KiB after\n",
                    int(QuestionCount), Questions[1] ? Questions[1]->Text.size() : 0, took.count(), before,
                    PeakRssKiB());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    std::filesystem::create_directories(BenchDir());
    WriteTypical();
    WriteLongLine();
    std::printf("typical.txt %ju bytes, longline.txt %ju bytes in %s\n",
                std::uintmax_t(std::filesystem::file_size(TypicalPath())),
                std::uintmax_t(std::filesystem::file_size(LongLinePath())), BenchDir().c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

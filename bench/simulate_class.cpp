// SPDX-License-Identifier: MIT
// simulate_class: a class taking tests through the program's own engine, for
// the sample class and the journal's benchmark. Each student loads the test,
// gets a question order and answers with a seeded chance that depends on
// their ability and the question's difficulty; the results file is written
// by the program's own WriteResults.
//
//   simulate_class [--seed N] [--plain K] [--layout students|tests]
//                  [--skip PERCENT] [--answered K] [--right N]
//                  [--names FILE | --count N] OUTDIR TEST.txt...
//
// --layout students: OUTDIR/<student>/<test>.out (the default);
// --layout tests: OUTDIR/<test>/<student>.out. --plain K: every K-th
// student's results are the score line only. --skip: the chance that a
// question is passed over and never answered (default 4). --answered K: the
// student closes the window after K questions, so the rest are written
// unanswered, as the program does. --right N: exactly N of the answered
// questions are answered right, the others wrong, whatever the ability.
#include "engine/Ansi.h"
#include "engine/Paths.h"
#include "engine/Ques.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

int Usage()
{
    std::cerr << "usage: simulate_class [--seed N] [--plain K] [--layout students|tests] "
                 "[--skip PERCENT] [--answered K] [--right N] [--names FILE | --count N] OUTDIR TEST.txt...\n";
    return 2;
}

// A question's difficulty from its wording, so that it is the same for every
// student whatever the order.
double Difficulty(const std::string& text, unsigned seed)
{
    std::seed_seq seq(text.begin(), text.end());
    std::mt19937 g(seq);
    g.discard(seed % 97);
    return std::uniform_real_distribution<double>(-1.6, 1.6)(g);
}

// A wrong option of the `shown`, the first one a little more tempting; 0
// (no answer) when every option shown is right.
std::uint8_t WrongOption(const TQuestion& q, unsigned shown, std::mt19937& random)
{
    std::uniform_real_distribution<double> u(0, 1);
    unsigned pick = u(random) < 0.3 ? 1 : 1 + unsigned(random() % shown);
    if (pick == q.Correct)
        pick = pick % shown + 1;
    return std::uint8_t(pick == q.Correct ? 0 : pick);
}

} // namespace

int main(int argc, char* argv[])
{
    unsigned seed = 1;
    unsigned plain = 0;
    bool byStudent = true;
    std::vector<std::string> names;
    std::size_t count = 0;
    double skip = 0.04;
    unsigned answered = 255;
    int right = -1;
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--seed" && hasValue) {
            seed = unsigned(std::stoul(argv[++i]));
        } else if (arg == "--plain" && hasValue) {
            plain = unsigned(std::stoul(argv[++i]));
        } else if (arg == "--layout" && hasValue) {
            byStudent = std::strcmp(argv[++i], "tests") != 0;
        } else if (arg == "--skip" && hasValue) {
            skip = std::stod(argv[++i]) / 100;
        } else if (arg == "--answered" && hasValue) {
            answered = unsigned(std::stoul(argv[++i]));
        } else if (arg == "--right" && hasValue) {
            right = int(std::stoul(argv[++i]));
        } else if (arg == "--count" && hasValue) {
            count = std::stoul(argv[++i]);
        } else if (arg == "--names" && hasValue) {
            std::ifstream in(argv[++i]);
            for (std::string line; std::getline(in, line);)
                if (!line.empty())
                    names.push_back(line);
        } else {
            rest.push_back(arg);
        }
    }
    if (rest.size() < 2)
        return Usage();
    for (std::size_t k = names.size(); k < count; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "student%05zu", k + 1);
        names.push_back(name);
    }
    if (names.empty())
        return Usage();

    const std::filesystem::path out(rest[0]);
    std::mt19937 random(seed);
    std::vector<double> ability(names.size());
    for (double& a : ability)
        a = std::normal_distribution<double>(0.3, 0.9)(random);

    for (std::size_t t = 1; t < rest.size(); ++t) {
        const std::string& test = rest[t];
        const std::string testName = TestNameOf(test);
        for (std::size_t s = 0; s < names.size(); ++s) {
            const std::filesystem::path folder = byStudent ? out / names[s] : out / testName;
            std::filesystem::create_directories(folder);
            ResultFileName = (folder / ((byStudent ? testName : names[s]) + ".out")).string();
            DetailedResults = plain == 0 || (s + 1) % plain != 0;
            QuestionCount = 0;
            LoadTest(test);
            ShuffleOrder();
            std::uniform_real_distribution<double> u(0, 1);
            std::vector<unsigned> given; // positions answered
            for (unsigned k = 1; k <= QuestionCount; ++k) {
                const TQuestion& q = *TestOrder[k];
                const unsigned shown = std::min<unsigned>(q.OptionCount, 5);
                const double p = 1 / (1 + std::exp(-1.7 * (ability[s] - Difficulty(q.Text, seed))));
                if (k > answered || u(random) < skip || shown == 0) {
                    Answers[k] = 0;
                    continue;
                }
                given.push_back(k);
                if (u(random) < p && q.Correct >= 1 && q.Correct <= shown)
                    Answers[k] = q.Correct;
                else
                    Answers[k] = WrongOption(q, shown, random);
            }
            if (right >= 0) {
                if (std::size_t(right) > given.size()) {
                    std::cerr << "simulate_class: " << right << " right of " << given.size() << " answered\n";
                    return 2;
                }
                std::shuffle(given.begin(), given.end(), random);
                for (std::size_t i = 0; i < given.size(); ++i) {
                    const TQuestion& q = *TestOrder[given[i]];
                    const unsigned shown = std::min<unsigned>(q.OptionCount, 5);
                    Answers[given[i]] = i < std::size_t(right) ? q.Correct : WrongOption(q, shown, random);
                }
            }
            WriteResults(ScoreLine());
            FreeQuestions();
        }
    }
    return 0;
}

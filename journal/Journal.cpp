// SPDX-License-Identifier: MIT
#include "journal/Journal.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Paths.h"
#include "engine/ResultsFile.h"
#include "engine/Text.h"

#include <QCollator>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <semaphore>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

// A line longer than any wording a test would hold: past it, the file is
// refused rather than held in memory.
constexpr std::size_t MaxLine = 64 * 1024;

std::string Decimal(std::size_t n)
{
    return std::to_string(n);
}

// ---- Gathering: a test's texts held once, each attempt as numbers ------------

struct TViewHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

using TTextIds = std::unordered_map<std::string, std::uint32_t, TViewHash, std::equal_to<>>;

constexpr std::uint32_t NoOption = 0xffffffff;

// An item with this many option texts has them indexed; fewer are compared
// in turn, which is quicker than hashing.
constexpr std::size_t IndexedOptions = 16;

// Every wording of one test and every option of each, held once: files
// written to mislead could bring thousands.
struct TTexts {
    std::vector<std::string> Wordings;
    TTextIds WordingIds;
    std::vector<std::vector<std::string>> Options; // per wording
    std::vector<TTextIds> OptionIds;               // per wording, once it has many

    std::uint32_t Wording(std::string_view text)
    {
        if (const auto found = WordingIds.find(text); found != WordingIds.end())
            return found->second;
        const auto id = std::uint32_t(Wordings.size());
        Wordings.emplace_back(text);
        WordingIds.emplace(std::string(text), id);
        Options.emplace_back();
        OptionIds.emplace_back();
        return id;
    }

    std::uint32_t Option(std::uint32_t wording, std::string_view text)
    {
        std::vector<std::string>& options = Options[wording];
        TTextIds& index = OptionIds[wording];
        if (index.empty()) {
            for (std::size_t k = 0; k < options.size(); ++k)
                if (options[k] == text)
                    return std::uint32_t(k);
            if (options.size() + 1 >= IndexedOptions)
                for (std::size_t k = 0; k < options.size(); ++k)
                    index.emplace(options[k], std::uint32_t(k));
        } else if (const auto found = index.find(text); found != index.end()) {
            return found->second;
        }
        options.emplace_back(text);
        if (!index.empty())
            index.emplace(std::string(text), std::uint32_t(options.size() - 1));
        return std::uint32_t(options.size() - 1);
    }
};

// One question as a student saw it, by the texts' numbers.
struct TBlock {
    std::uint32_t Wording = 0;
    std::array<std::uint32_t, 5> Shown {};
    std::uint8_t ShownCount = 0;
    std::uint32_t Given = NoOption;   // the option chosen, or none
    std::uint32_t Correct = NoOption; // the option the file calls right, or none shown
};

struct TParsed {
    std::size_t File = 0; // in the attempts given
    unsigned Right = 0;
    unsigned Questions = 0;
    std::vector<TBlock> Blocks; // empty for a score-only file
};

struct TGathering {
    std::map<QString, unsigned> Spellings; // of the test's name
    TTexts Texts;
    std::vector<TParsed> Attempts;
};

void Parse(const TResults& run, std::size_t file, TGathering& test)
{
    TParsed& parsed = test.Attempts.emplace_back();
    parsed.File = file;
    parsed.Right = run.Right;
    parsed.Questions = run.Questions;
    parsed.Blocks.reserve(run.Blocks.size());
    for (const TResultBlock& b : run.Blocks) {
        TBlock& block = parsed.Blocks.emplace_back();
        block.Wording = test.Texts.Wording(b.Text);
        block.ShownCount = std::uint8_t(b.Options.size());
        for (std::size_t o = 0; o < b.Options.size(); ++o)
            block.Shown[o] = test.Texts.Option(block.Wording, b.Options[o]);
        // Two option buttons are always shown: a second button chosen under
        // a one-option question is an empty option.
        if (b.Given != 0)
            block.Given = b.Given <= b.Options.size() ? block.Shown[b.Given - 1u] : test.Texts.Option(block.Wording, {});
        if (b.Correct >= 1 && b.Correct <= b.Options.size())
            block.Correct = block.Shown[b.Correct - 1u];
    }
}

// ---- Reading ahead ------------------------------------------------------------

// One file as read: its results, or why they are not used.
struct TRead {
    TResults Run;
    std::optional<TWarning> Refused;
    std::exception_ptr Failure; // anything but a file's fault
};

void ReadOne(const TAttemptFile& file, TRead& into)
{
    into.Refused.reset();
    into.Failure = nullptr;
    const std::string& path = file.Native.empty() ? file.Path : file.Native;
    try {
        if (file.Native.empty())
            ParseResults(file.Content, into.Run, MaxLine);
        else
            ReadResults(path, into.Run, MaxLine);
        if (into.Run.Questions == 0)
            into.Refused = TWarning{path, 1, JournalMsg::NoQuestions};
    } catch (const EResultsError& e) {
        into.Refused = TWarning{path, e.Line, e.what()};
    } catch (const EInOutError& e) {
        into.Refused = TWarning{path, 0, ReadFailure(e, path)};
    } catch (const EError& e) {
        into.Refused = TWarning{path, 0, AsShown(e.what())};
    } catch (...) {
        into.Failure = std::current_exception();
    }
}

// Reads and parses the files on a second thread while the ones already read
// are gathered, as the two take about as long. The files go over in batches,
// as waking a thread for each file would cost more than the file; a few
// batches of slots, reused, keep memory bounded and allocation low. The
// files are gathered in order.
class TReadAhead {
public:
    explicit TReadAhead(const std::vector<TAttemptFile>& files)
        : files_(files)
        , thread_([this] { Run(); })
    {
    }
    ~TReadAhead()
    {
        stop_ = true;
        free_.release(Batches);
        thread_.join();
    }

    // The next file in order, valid until Release().
    TRead& Take()
    {
        if (taken_ % Batch == 0)
            ready_.acquire();
        TRead& read = slots_[taken_ % slots_.size()];
        if (read.Failure)
            std::rethrow_exception(read.Failure);
        return read;
    }
    void Release()
    {
        if (++taken_ % Batch == 0)
            free_.release();
    }

private:
    static constexpr std::size_t Batch = 8;
    static constexpr std::size_t Batches = 2;

    void Run()
    {
        for (std::size_t k = 0; k < files_.size(); ++k) {
            if (k % Batch == 0) {
                free_.acquire();
                if (stop_)
                    return;
            }
            ReadOne(files_[k], slots_[k % slots_.size()]);
            if ((k + 1) % Batch == 0 || k + 1 == files_.size())
                ready_.release();
        }
    }

    const std::vector<TAttemptFile>& files_;
    std::array<TRead, Batch * Batches> slots_;
    std::counting_semaphore<> free_{Batches};
    std::counting_semaphore<> ready_{0};
    std::atomic<bool> stop_ = false;
    std::size_t taken_ = 0;
    std::thread thread_; // last: it starts once the rest is made
};

// ---- Figures ----------------------------------------------------------------

unsigned Flags(const TTestResult& test, std::size_t item, const std::vector<unsigned>& totals, double medianTotal)
{
    const TQuestionResult& q = test.Items[item];
    unsigned flags = 0;
    const TItemFigures& f = q.Figures;
    if (f.Facility && *f.Facility < 5)
        flags |= Hard;
    if (f.Facility && *f.Facility > 95)
        flags |= Easy;
    if (f.Discrimination && *f.Discrimination < 0)
        flags |= NegativeDiscrimination;
    if (f.Efficiency && *f.Efficiency < 15)
        flags |= Dubious;
    if (q.RightNotShown > 0)
        flags |= RightNotShown;
    // The stronger half: students whose total is above the median.
    std::vector<unsigned> counts(q.Options.size(), 0);
    unsigned right = 0;
    for (std::size_t s = 0; s < test.Marks.Students; ++s) {
        if (double(totals[s]) <= medianTotal)
            continue;
        right += test.Marks.At(s, item);
        const std::uint32_t c = test.Chosen[s * test.Marks.Items + item];
        if (c != Skipped)
            ++counts[c];
    }
    for (std::size_t k = 0; k < counts.size(); ++k)
        if (!q.Options[k].Right && counts[k] > right)
            flags |= WrongKeyLikely;
    return flags;
}

void WorkOut(TTestResult& test)
{
    std::vector<unsigned> rights;
    for (const TStudentResult& s : test.Students)
        rights.push_back(s.Right);
    test.Score = ScoreFigures(rights, test.Questions);
    test.Alpha = Alpha(test.Marks);
    test.ErrorRatio = ErrorRatio(test.Alpha);
    test.StandardError = StandardError(test.ErrorRatio, test.Score.Sd);

    const std::vector<TItemFigures> figures = ItemFigures(test.Marks);
    std::vector<unsigned> totals(test.Marks.Students, 0);
    for (std::size_t s = 0; s < test.Marks.Students; ++s)
        for (std::size_t i = 0; i < test.Marks.Items; ++i)
            totals[s] += test.Marks.At(s, i);
    std::vector<unsigned> sorted = totals;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    const double median = n == 0 ? 0 : n % 2 ? sorted[n / 2] : (double(sorted[n / 2 - 1]) + sorted[n / 2]) / 2;
    for (std::size_t i = 0; i < test.Items.size(); ++i) {
        test.Items[i].Figures = figures[i];
        test.Items[i].Flags = Flags(test, i, totals, median);
    }
}

std::string FileCount(std::size_t n)
{
    static constexpr const char* Words[3] = {"файл", "файла", "файлов"};
    return Decimal(n) + " " + Plural(n, Words);
}

// A question of the test as the journal numbers it: the key's, or the one
// the files agree on.
struct TReference {
    std::uint32_t Wording = 0;
    std::uint32_t Right = NoOption;
    unsigned Number = 0; // in the key; 0 without one
    std::vector<std::uint32_t> KeyOptions; // in the key's order
};

// A file's wordings, whatever the order they were shown in.
std::vector<std::uint32_t> WordingSet(const TParsed& p)
{
    std::vector<std::uint32_t> set;
    for (const TBlock& b : p.Blocks)
        set.push_back(b.Wording);
    std::sort(set.begin(), set.end());
    return set;
}

// The questions of the files that agree: the largest group of one set of
// wordings, numbered in the order they were most often shown, each with the
// option most often called right.
std::vector<TReference> AgreedQuestions(const TGathering& g)
{
    std::map<std::vector<std::uint32_t>, std::size_t> sets;
    std::vector<std::uint32_t> best;
    std::size_t bestCount = 0;
    for (const TParsed& p : g.Attempts) {
        if (p.Blocks.empty())
            continue;
        std::vector<std::uint32_t> set = WordingSet(p);
        const std::size_t count = ++sets[set];
        if (count > bestCount) {
            bestCount = count;
            best = std::move(set);
        }
    }
    // Position counts per wording of the chosen set, from its own files.
    std::map<std::uint32_t, std::map<std::size_t, unsigned>> places;
    std::map<std::uint32_t, std::map<std::uint32_t, unsigned>> rights;
    for (const TParsed& p : g.Attempts) {
        if (p.Blocks.empty())
            continue;
        const bool agrees = WordingSet(p) == best;
        for (std::size_t k = 0; k < p.Blocks.size(); ++k) {
            if (agrees)
                ++places[p.Blocks[k].Wording][k];
            if (p.Blocks[k].Correct != NoOption)
                ++rights[p.Blocks[k].Wording][p.Blocks[k].Correct];
        }
    }
    struct TOrder {
        std::size_t Mode;
        double Mean;
        std::uint32_t Wording;
    };
    std::vector<TOrder> order;
    std::map<std::uint32_t, std::size_t> repeats;
    for (const std::uint32_t w : best)
        ++repeats[w];
    best.erase(std::unique(best.begin(), best.end()), best.end());
    for (const std::uint32_t w : best) {
        std::size_t mode = 0;
        unsigned most = 0, n = 0;
        double sum = 0;
        for (const auto& [place, count] : places[w]) {
            if (count > most) {
                most = count;
                mode = place;
            }
            sum += double(place) * count;
            n += count;
        }
        order.push_back({mode, n ? sum / n : 0, w});
    }
    std::sort(order.begin(), order.end(), [](const TOrder& a, const TOrder& b) {
        return a.Mode != b.Mode ? a.Mode < b.Mode : a.Mean != b.Mean ? a.Mean < b.Mean : a.Wording < b.Wording;
    });
    std::vector<TReference> refs;
    for (const TOrder& o : order) {
        TReference r{o.Wording, NoOption, 0, {}};
        unsigned most = 0;
        for (const auto& [option, count] : rights[o.Wording])
            if (count > most) {
                most = count;
                r.Right = option;
            }
        // A wording asked twice in the test is two questions.
        for (auto n = repeats[o.Wording]; n > 0; --n)
            refs.push_back(r);
    }
    return refs;
}

// The key's questions, its texts added to the test's own.
std::vector<TReference> KeyQuestions(const TKey& key, TTexts& texts)
{
    std::vector<TReference> refs;
    for (std::size_t k = 0; k < key.Items.size(); ++k) {
        const TTestItem& item = key.Items[k];
        TReference r{texts.Wording(item.Text), NoOption, unsigned(k + 1), {}};
        // The key's options first, so that they are listed in its order.
        for (std::size_t o = 0; o < item.Options.size(); ++o) {
            const std::uint32_t id = texts.Option(r.Wording, item.Options[o]);
            r.KeyOptions.push_back(id);
            if (int(o) + 1 == item.Correct)
                r.Right = id;
        }
        refs.push_back(r);
    }
    return refs;
}

bool Numeric(const QString& grade, double& value)
{
    bool ok = false;
    value = grade.toDouble(&ok);
    return ok;
}

TGradeSummary SummaryOf(const std::vector<TStudentResult>& students, const TScale& scale)
{
    TGradeSummary s;
    for (const TScale::Step& step : scale.Steps)
        if (std::none_of(s.Counts.begin(), s.Counts.end(), [&](const auto& c) { return c.first == step.Grade; }))
            s.Counts.push_back({step.Grade, 0});
    if (std::none_of(s.Counts.begin(), s.Counts.end(), [&](const auto& c) { return c.first == scale.Lowest; }))
        s.Counts.push_back({scale.Lowest, 0});
    unsigned numeric = 0, pass = 0, quality = 0;
    double sum = 0;
    for (const TStudentResult& student : students) {
        ++s.Graded;
        for (auto& c : s.Counts)
            if (c.first == student.Grade)
                ++c.second;
        double value = 0;
        if (Numeric(student.Grade, value)) {
            ++numeric;
            sum += value;
            pass += value >= 3;
            quality += value >= 4;
        }
    }
    if (numeric > 0) {
        s.Pass = 100.0 * pass / numeric;
        s.Quality = 100.0 * quality / numeric;
        s.Average = sum / numeric;
    }
    return s;
}

const QCollator& RussianOrder()
{
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Russian, QLocale::Russia)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(true);
        return c;
    }();
    return collator;
}

bool ByName(const QString& a, const QString& b)
{
    const int order = RussianOrder().compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

QString MostCommon(const std::map<QString, unsigned>& spellings)
{
    QString best;
    unsigned most = 0;
    for (const auto& [name, count] : spellings)
        if (count > most) {
            most = count;
            best = name;
        }
    return best;
}

// One test from its files: each attempt graded against the questions
// agreed on (the key's where there is one), a student's attempts in the
// order written, one counted.
TTestResult Settle(TGathering& g, const TKey* key, const std::vector<TAttemptFile>& files,
    const TJournalOptions& options, std::vector<TWarning>& warnings)
{
    TTestResult test;
    test.Name = MostCommon(g.Spellings);
    const std::vector<TReference> refs = key ? KeyQuestions(*key, g.Texts) : AgreedQuestions(g);
    if (key)
        test.KeyPath = key->Path;
    // Each wording's questions, in turn for a wording asked more than once.
    std::unordered_map<std::uint32_t, std::vector<unsigned>> places;
    for (std::size_t k = 0; k < refs.size(); ++k)
        places[refs[k].Wording].push_back(unsigned(k));

    if (!refs.empty()) {
        test.Questions = unsigned(refs.size());
    } else {
        // Score-only files alone: the most common question count decides.
        std::map<unsigned, std::size_t> counts;
        for (const TParsed& p : g.Attempts)
            ++counts[p.Questions];
        test.Questions = std::max_element(counts.begin(), counts.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; })->first;
    }

    // Every attempt graded; `items` keeps each block's question, or -1.
    struct TGraded {
        TParsed* Parsed;
        TAttemptResult Result;
        std::vector<int> Items;
    };
    std::vector<TGraded> graded;
    std::unordered_map<std::uint32_t, unsigned> seen;
    const std::size_t agreeing = std::size_t(std::count_if(g.Attempts.begin(), g.Attempts.end(),
        [&](const TParsed& p) { return !p.Blocks.empty() || p.Questions == test.Questions; }));
    for (TParsed& p : g.Attempts) {
        const TAttemptFile& file = files[p.File];
        TGraded a{&p, {}, {}};
        TAttemptResult& r = a.Result;
        r.Path = file.Path;
        r.Found = file.Native.empty() ? file.Path : file.Native;
        r.Written = file.Written;
        r.Collected = file.Collected;
        r.Replaced = file.Replaced;
        if (file.Replaced.isValid())
            r.Flags |= ChangedAfterCollection;
        if (p.Blocks.empty()) {
            if (p.Questions != test.Questions) {
                warnings.push_back({file.Native.empty() ? file.Path : file.Native, 1,
                    Format(JournalMsg::OtherCount, Decimal(p.Questions), Decimal(test.Questions) + " (" + FileCount(agreeing) + ")")});
                continue;
            }
            r.Flags |= ScoreOnly;
            r.Right = p.Right;
            r.Questions = p.Questions;
            r.Answered = p.Questions;
        } else {
            seen.clear();
            for (const TBlock& b : p.Blocks) {
                r.Answered += b.Given != NoOption;
                const auto found = places.find(b.Wording);
                unsigned& n = seen[b.Wording];
                if (found == places.end() || n == found->second.size()) {
                    a.Items.push_back(-1);
                    r.Unmatched.push_back(FromAnsi(g.Texts.Wordings[b.Wording]));
                    continue;
                }
                const unsigned item = found->second[n++];
                a.Items.push_back(int(item));
                const TReference& ref = refs[item];
                ++r.Questions;
                r.Right += b.Given != NoOption && b.Given == ref.Right;
                // An option the program did not show is no disagreement.
                if (b.Correct != NoOption && b.Correct != ref.Right)
                    r.Mismatched.push_back(ref.Number ? ref.Number : item + 1);
            }
            if (r.Answered < p.Blocks.size())
                r.Flags |= Unfinished;
            if (!r.Unmatched.empty())
                r.Flags |= VersionMismatch;
            if (!r.Mismatched.empty())
                r.Flags |= KeyMismatch;
            std::sort(r.Mismatched.begin(), r.Mismatched.end());
            if (r.Questions == 0) {
                warnings.push_back({file.Native.empty() ? file.Path : file.Native, 0, JournalMsg::NoneOfTheKey});
                continue;
            }
        }
        r.Percent = 100.0 * r.Right / r.Questions;
        r.Grade = options.Scale.Grade(r.Percent);
        graded.push_back(std::move(a));
    }

    // A student's attempts, in the order written.
    std::map<QString, std::vector<std::size_t>> byStudent;
    for (std::size_t k = 0; k < graded.size(); ++k)
        byStudent[StudentKey(files[graded[k].Parsed->File].Student)].push_back(k);
    std::vector<std::size_t> counted; // in `graded`, per student in test.Students
    for (auto& [name, indices] : byStudent) {
        std::sort(indices.begin(), indices.end(), [&](std::size_t a, std::size_t b) {
            const TAttemptResult& x = graded[a].Result;
            const TAttemptResult& y = graded[b].Result;
            return x.Written != y.Written ? x.Written < y.Written : x.Path < y.Path;
        });
        TStudentResult s;
        s.Name = files[graded[indices.front()].Parsed->File].Student;
        std::size_t chosen = 0;
        for (std::size_t k = 0; k < indices.size(); ++k) {
            s.Attempts.push_back(graded[indices[k]].Result);
            if (options.Choice == TAttemptChoice::Last
                || (options.Choice == TAttemptChoice::Best && s.Attempts[k].Percent > s.Attempts[chosen].Percent))
                chosen = k;
        }
        s.Counted = chosen;
        test.Students.push_back(std::move(s));
        counted.push_back(indices[chosen]);
    }

    // The counted detailed attempts make the question figures.
    std::vector<std::unordered_map<std::uint32_t, std::uint32_t>> local(refs.size()); // option id to place
    for (std::size_t k = 0; k < refs.size(); ++k) {
        TQuestionResult q;
        q.Text = g.Texts.Wordings[refs[k].Wording];
        q.Number = refs[k].Number;
        test.Items.push_back(std::move(q));
    }
    const auto place = [&](std::size_t item, std::uint32_t option) {
        const auto [it, added] = local[item].emplace(option, std::uint32_t(test.Items[item].Options.size()));
        if (added)
            test.Items[item].Options.push_back({g.Texts.Options[refs[item].Wording][option], 0, option == refs[item].Right});
        return it->second;
    };
    for (std::size_t k = 0; k < refs.size(); ++k)
        for (const std::uint32_t o : refs[k].KeyOptions)
            place(k, o);
    std::size_t rows = 0;
    for (std::size_t s = 0; s < test.Students.size(); ++s)
        rows += !graded[counted[s]].Parsed->Blocks.empty() && !refs.empty();
    test.Marks = {rows, refs.size(), std::vector<std::uint8_t>(rows * refs.size(), 0)};
    test.Chosen.assign(rows * refs.size(), Skipped);
    std::size_t row = 0;
    for (std::size_t s = 0; s < test.Students.size(); ++s) {
        TGraded& a = graded[counted[s]];
        if (a.Parsed->Blocks.empty() || refs.empty())
            continue;
        test.Students[s].Attempts[test.Students[s].Counted].Row = std::ptrdiff_t(row);
        for (std::size_t b = 0; b < a.Parsed->Blocks.size(); ++b) {
            if (a.Items[b] < 0)
                continue;
            const auto item = std::size_t(a.Items[b]);
            const TBlock& block = a.Parsed->Blocks[b];
            TQuestionResult& q = test.Items[item];
            bool rightShown = false;
            for (std::size_t o = 0; o < block.ShownCount; ++o) {
                place(item, block.Shown[o]);
                rightShown |= block.Shown[o] == refs[item].Right;
            }
            if (!rightShown)
                ++q.RightNotShown;
            if (block.Given == NoOption) {
                ++q.Skipped;
                continue;
            }
            const std::uint32_t choice = place(item, block.Given);
            ++q.Options[choice].Chosen;
            test.Chosen[row * refs.size() + item] = choice;
            test.Marks.X[row * refs.size() + item] = block.Given == refs[item].Right;
        }
        ++row;
    }
    for (TStudentResult& s : test.Students) {
        const TAttemptResult& c = s.CountedAttempt();
        s.Path = c.Found;
        s.Right = c.Right;
        s.Questions = c.Questions;
        s.Percent = c.Percent;
        s.Grade = c.Grade;
        s.Row = c.Row;
        if (!test.FirstWritten.isValid() || c.Written < test.FirstWritten)
            test.FirstWritten = c.Written;
        if (!test.LastWritten.isValid() || c.Written > test.LastWritten)
            test.LastWritten = c.Written;
    }
    test.Grades = SummaryOf(test.Students, options.Scale);
    WorkOut(test);
    return test;
}
} // namespace

QString TScale::Grade(double percent) const
{
    for (const Step& s : Steps)
        if (percent >= s.From)
            return s.Grade;
    return Lowest;
}

TScale ParseScale(const std::string& text)
{
    TScale scale;
    const QStringList parts = QString::fromStdString(text).split(u',');
    for (qsizetype k = 0; k < parts.size(); ++k) {
        const QString part = parts[k].trimmed();
        const qsizetype colon = part.indexOf(u':');
        bool ok = colon > 0;
        if (colon < 0 && k == parts.size() - 1 && k > 0 && !part.isEmpty()) {
            scale.Lowest = part;
            break;
        }
        const double from = ok ? part.mid(colon + 1).trimmed().toDouble(&ok) : 0;
        if (!ok || !std::isfinite(from) || from < 0 || from > 100 || (!scale.Steps.empty() && from >= scale.Steps.back().From))
            throw EError(Format(JournalMsg::BadScale, text));
        scale.Steps.push_back({part.left(colon).trimmed(), from});
    }
    return scale;
}

std::string WarningLine(const TWarning& w)
{
    const std::string path = EscapedPath(w.Path);
    return w.Line ? path + ":" + Decimal(w.Line) + ": " + w.Text : path + ": " + w.Text;
}

const char* FlagKeyword(unsigned bit)
{
    switch (bit) {
    case Hard: return "hard";
    case Easy: return "easy";
    case NegativeDiscrimination: return "negative_discrimination";
    case Dubious: return "dubious";
    case WrongKeyLikely: return "wrong_key";
    case RightNotShown: return "right_not_shown";
    default: return "";
    }
}

QString FlagText(unsigned bit)
{
    switch (bit) {
    case Hard: return QStringLiteral("слишком трудный");
    case Easy: return QStringLiteral("слишком лёгкий");
    case NegativeDiscrimination: return QStringLiteral("сильные отвечают хуже слабых");
    case Dubious: return QStringLiteral("сомнительный: плохо различает");
    case WrongKeyLikely: return QStringLiteral("возможно, неверный ключ");
    case RightNotShown: return QStringLiteral("правильный ответ показан не всем");
    default: return {};
    }
}

TJournal BuildJournal(const std::vector<TAttemptFile>& attempts, const TJournalOptions& options,
    std::vector<TWarning> warnings)
{
    TJournal journal;
    journal.Class = options.Class;
    journal.Teacher = options.Teacher;
    journal.Choice = options.Choice;
    journal.Warnings = std::move(warnings);
    journal.Files = attempts.size();

    std::map<QString, TGathering> tests; // by the test's key
    TReadAhead reader(attempts);
    for (std::size_t k = 0; k < attempts.size(); ++k) {
        TRead& read = reader.Take();
        if (read.Refused) {
            journal.Warnings.push_back(std::move(*read.Refused));
        } else {
            TGathering& test = tests[TestKey(attempts[k].Test)];
            ++test.Spellings[attempts[k].Test];
            Parse(read.Run, k, test);
        }
        reader.Release();
    }

    std::map<QString, const TKey*> keys;
    for (const TKey& key : options.Keys)
        keys.emplace(TestKey(key.Test), &key);
    for (auto& [name, gathering] : tests) {
        const auto key = keys.find(name);
        journal.Tests.push_back(Settle(gathering, key == keys.end() ? nullptr : key->second, attempts, options, journal.Warnings));
        for (const TStudentResult& s : journal.Tests.back().Students)
            journal.Used += s.Attempts.size();
    }
    std::sort(journal.Tests.begin(), journal.Tests.end(),
        [](const TTestResult& a, const TTestResult& b) { return ByName(a.Name, b.Name); });

    // The class: the list's students, then anyone else with results.
    std::map<QString, std::size_t> place;
    for (const QString& name : options.ClassList)
        if (place.emplace(StudentKey(name), journal.Students.size()).second)
            journal.Students.push_back({name, true, {}});
    for (TTestResult& test : journal.Tests)
        for (TStudentResult& s : test.Students) {
            const auto [it, added] = place.emplace(StudentKey(s.Name), journal.Students.size());
            if (added) {
                journal.Students.push_back({s.Name, false, {}});
                if (!options.ClassList.empty())
                    journal.Warnings.push_back({s.Path, 0, Format(JournalMsg::NotOnList, s.Name.toStdString())});
            }
            s.Name = journal.Students[it->second].Name;
        }
    std::sort(journal.Students.begin(), journal.Students.end(),
        [](const TClassStudent& a, const TClassStudent& b) { return ByName(a.Name, b.Name); });
    for (TTestResult& test : journal.Tests)
        std::sort(test.Students.begin(), test.Students.end(), [](const TStudentResult& a, const TStudentResult& b) {
            return ByName(a.Name, b.Name);
        });
    place.clear();
    for (std::size_t s = 0; s < journal.Students.size(); ++s)
        place.emplace(StudentKey(journal.Students[s].Name), s);
    journal.Cells.assign(journal.Students.size(), std::vector<std::ptrdiff_t>(journal.Tests.size(), -1));
    std::vector<double> sums(journal.Students.size(), 0);
    std::vector<unsigned> counts(journal.Students.size(), 0);
    for (std::size_t t = 0; t < journal.Tests.size(); ++t)
        for (std::size_t k = 0; k < journal.Tests[t].Students.size(); ++k) {
            const TStudentResult& s = journal.Tests[t].Students[k];
            const std::size_t row = place.at(StudentKey(s.Name));
            journal.Cells[row][t] = std::ptrdiff_t(k);
            double value = 0;
            if (Numeric(s.Grade, value)) {
                sums[row] += value;
                ++counts[row];
            }
        }
    for (std::size_t s = 0; s < journal.Students.size(); ++s)
        if (counts[s])
            journal.Students[s].Average = sums[s] / counts[s];
    return journal;
}

TJournal BuildJournal(const std::vector<std::string>& paths, const TScale& scale)
{
    TFolderScan scan = ScanFolders(paths);
    TJournalOptions options;
    options.Scale = scale;
    options.Class = scan.Class;
    TJournal journal = BuildJournal(AttemptsOf(scan), options, std::move(scan.Warnings));
    journal.Inputs = std::move(scan.Inputs);
    return journal;
}

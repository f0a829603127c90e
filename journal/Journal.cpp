// SPDX-License-Identifier: MIT
#include "journal/Journal.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Paths.h"
#include "engine/ResultsFile.h"
#include "engine/Text.h"

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

// ---- Finding the files ------------------------------------------------------

struct TFound {
    std::string Path; // as the teacher will recognise it
    fs::path Absolute;
};

// Every folder read, by the path it was read under, so that a link to one
// is followed once.
using TWalked = std::map<TFileId, std::string>;

// One folder and its subfolders, links to folders aside: those are gathered
// in `links`, to be followed once every real folder is known.
void Walk(const fs::path& folder, TWalked& walked, std::vector<TFound>& here, std::vector<fs::path>& links,
    std::vector<TWarning>& warnings)
{
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::none, error);
    if (error) {
        warnings.push_back({folder.string(), 0, Format(JournalMsg::NoAccess, SystemReason(error.value()))});
        return;
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (error)
            break;
        const fs::directory_entry& entry = *it;
        std::error_code typeError;
        if (entry.is_symlink(typeError)) {
            const fs::file_status target = fs::status(entry.path(), typeError);
            if (fs::is_directory(target)) {
                links.push_back(entry.path());
                continue;
            }
            // A link that leads nowhere may stand for a student's folder.
            if (typeError && entry.path().extension() != ".out") {
                warnings.push_back({entry.path().string(), 0, Format(JournalMsg::BrokenLink, SystemReason(typeError.value()))});
                continue;
            }
        } else if (entry.is_directory(typeError)) {
            // A folder that cannot be listed is reported and passed by.
            std::error_code listError;
            fs::directory_iterator probe(entry.path(), listError);
            if (listError) {
                warnings.push_back({entry.path().string(), 0, Format(JournalMsg::NoAccess, SystemReason(listError.value()))});
                it.disable_recursion_pending();
            } else if (const std::optional<TFileId> id = FileIdOf(entry.path().string());
                       id && !walked.emplace(*id, entry.path().string()).second) {
                // Reached again through a link to a folder above it: read once.
                it.disable_recursion_pending();
            }
            continue;
        }
        if (entry.path().extension() == ".out")
            here.push_back({entry.path().string(), fs::absolute(entry.path(), typeError).lexically_normal()});
    }
    if (error)
        warnings.push_back({folder.string(), 0, Format(JournalMsg::NoAccess, SystemReason(error.value()))});
}

void Collect(const std::string& arg, std::vector<TFound>& found, std::vector<TWarning>& warnings)
{
    std::error_code error;
    const fs::path root(arg);
    const fs::file_status status = fs::status(root, error);
    if (error || !fs::exists(status)) {
        warnings.push_back({arg, 0, SystemReason(error ? error.value() : ENOENT)});
        return;
    }
    if (!fs::is_directory(status)) {
        found.push_back({arg, fs::absolute(root, error).lexically_normal()});
        return;
    }
    // A student's folder may be a link (to a share, say): it is read as a
    // folder of its own, unless it leads to a folder read already, as a
    // link back up would; then it is named, never passed over unseen.
    TWalked walked;
    if (const std::optional<TFileId> id = FileIdOf(arg))
        walked.emplace(*id, arg);
    std::vector<TFound> here;
    std::vector<fs::path> folders = {root};
    for (std::size_t next = 0; next < folders.size(); ++next) {
        std::vector<fs::path> links;
        Walk(folders[next], walked, here, links, warnings);
        std::sort(links.begin(), links.end());
        for (const fs::path& link : links) {
            const std::optional<TFileId> id = FileIdOf(link.string());
            if (!id) {
                warnings.push_back({link.string(), 0, Format(JournalMsg::BrokenLink, SystemReason(errno))});
            } else if (const auto [place, added] = walked.emplace(*id, link.string()); !added) {
                warnings.push_back({link.string(), 0, Format(JournalMsg::LinkedAgain, place->second)});
            } else {
                folders.push_back(link);
            }
        }
    }
    std::sort(here.begin(), here.end(), [](const TFound& a, const TFound& b) { return a.Path < b.Path; });
    found.insert(found.end(), here.begin(), here.end());
}

// ---- Naming: two layouts told apart by the names ----------------------------

struct TNamed {
    QString Student;
    QString Test;
};

// A file name met in more than one folder is a test's results in one folder
// per student (9А/Иванов/algebra.out); any other is a student's file in one
// folder per test (algebra/Иванов.out).
std::vector<TNamed> Name(const std::vector<TFound>& files)
{
    std::map<std::string, std::set<std::string>> folders;
    for (const TFound& f : files)
        folders[f.Absolute.filename().string()].insert(f.Absolute.parent_path().string());
    std::vector<TNamed> names;
    names.reserve(files.size());
    for (const TFound& f : files) {
        const QString stem = FromNativePath(f.Absolute.stem().string());
        const QString folder = FromNativePath(f.Absolute.parent_path().filename().string());
        if (folders[f.Absolute.filename().string()].size() > 1)
            names.push_back({folder, stem});
        else
            names.push_back({stem, folder});
    }
    return names;
}

// ---- Gathering one test's files ---------------------------------------------

struct TViewHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// Files of one test name that share one set of wordings.
struct TGroup {
    std::vector<TQuestionResult> Items;
    // Item numbers of each wording; more than one when a test repeats it.
    std::unordered_map<std::string, std::vector<unsigned>, TViewHash, std::equal_to<>> Index;
    std::vector<TStudentResult> Students;
    std::vector<std::uint8_t> Marks;
    std::vector<std::uint32_t> Chosen;
    // Option texts of the items that have many: files written to mislead
    // could bring thousands.
    std::vector<std::unordered_map<std::string, std::uint32_t, TViewHash, std::equal_to<>>> OptionIndex;
};

struct TGathering {
    QString Name;
    std::vector<TGroup> Groups;
    std::vector<TStudentResult> ScoreOnly;
};

// Reused from file to file, so that gathering allocates little.
struct TScratch {
    std::vector<unsigned> Items; // each block's item
    std::vector<unsigned> Seen;  // blocks met per wording, by its first item
};

// An item with this many option texts has them indexed; fewer are compared
// in turn, which is quicker than hashing.
constexpr std::size_t IndexedOptions = 16;

std::uint32_t Tally(TGroup& group, unsigned item, std::string_view text)
{
    std::vector<TOptionTally>& options = group.Items[item].Options;
    auto& index = group.OptionIndex[item];
    if (index.empty()) {
        for (std::size_t k = 0; k < options.size(); ++k)
            if (options[k].Text == text)
                return std::uint32_t(k);
        if (options.size() + 1 >= IndexedOptions)
            for (std::size_t k = 0; k < options.size(); ++k)
                index.emplace(options[k].Text, std::uint32_t(k));
    } else if (const auto found = index.find(text); found != index.end()) {
        return found->second;
    }
    options.push_back({std::string(text), 0, false});
    if (!index.empty())
        index.emplace(std::string(text), std::uint32_t(options.size() - 1));
    return std::uint32_t(options.size() - 1);
}

// Whether the file's blocks are the group's wordings, as many times each;
// if so, `scratch.Items` holds each block's item (a repeated wording's
// blocks take its items in turn).
bool Match(const TGroup& group, const TResults& run, TScratch& scratch)
{
    if (run.Blocks.size() != group.Items.size())
        return false;
    scratch.Items.clear();
    scratch.Seen.assign(group.Items.size(), 0);
    for (const TResultBlock& b : run.Blocks) {
        const auto found = group.Index.find(std::string_view(b.Text));
        if (found == group.Index.end())
            return false;
        const std::vector<unsigned>& places = found->second;
        unsigned& seen = scratch.Seen[places.front()];
        if (seen == places.size())
            return false;
        scratch.Items.push_back(places[seen++]);
    }
    return true;
}

void AddDetailed(TGathering& test, const TResults& run, TStudentResult student, TScratch& scratch)
{
    TGroup* group = nullptr;
    for (TGroup& g : test.Groups)
        if (Match(g, run, scratch)) {
            group = &g;
            break;
        }
    if (!group) {
        TGroup& g = test.Groups.emplace_back();
        scratch.Items.clear();
        for (const TResultBlock& b : run.Blocks) {
            scratch.Items.push_back(unsigned(g.Items.size()));
            g.Index[b.Text].push_back(unsigned(g.Items.size()));
            g.Items.push_back({b.Text, {}, 0, 0, {}, 0});
        }
        g.OptionIndex.resize(g.Items.size());
        group = &g;
    }
    const std::size_t items = group->Items.size();
    const std::size_t row = group->Students.size();
    student.Row = std::ptrdiff_t(row);
    group->Students.push_back(std::move(student));
    group->Marks.resize((row + 1) * items);
    group->Chosen.resize((row + 1) * items);
    for (std::size_t k = 0; k < run.Blocks.size(); ++k) {
        const TResultBlock& b = run.Blocks[k];
        const unsigned item = scratch.Items[k];
        TQuestionResult& q = group->Items[item];
        // The options as shown, by their place in the item's list.
        std::uint32_t shown[5];
        for (std::size_t o = 0; o < b.Options.size(); ++o)
            shown[o] = Tally(*group, item, b.Options[o]);
        std::uint32_t choice = Skipped;
        if (b.Given == 0) {
            ++q.Skipped;
        } else {
            // Two option buttons are always shown: a second button chosen
            // under a one-option question is an empty option.
            choice = b.Given <= b.Options.size() ? shown[b.Given - 1u] : Tally(*group, item, {});
            ++q.Options[choice].Chosen;
        }
        if (b.Correct >= 1 && b.Correct <= b.Options.size())
            q.Options[shown[b.Correct - 1u]].Right = true;
        else
            ++q.RightNotShown;
        group->Marks[row * items + item] = b.Given == b.Correct;
        group->Chosen[row * items + item] = choice;
    }
}

// ---- Reading ahead ------------------------------------------------------------

// One file as read: its results, or why they are not used.
struct TRead {
    TResults Run;
    std::optional<TWarning> Refused;
    std::exception_ptr Failure; // anything but a file's fault
};

void ReadOne(const std::string& path, TRead& into)
{
    into.Refused.reset();
    into.Failure = nullptr;
    try {
        ReadResults(path, into.Run, MaxLine);
        if (into.Run.Questions == 0)
            into.Refused = TWarning{path, 1, JournalMsg::NoQuestions};
    } catch (const EResultsError& e) {
        into.Refused = TWarning{path, e.Line, e.what()};
    } catch (const EInOutError& e) {
        into.Refused = TWarning{path, 0, e.SystemError ? SystemReason(e.SystemError) : AsShown(e.what())};
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
    explicit TReadAhead(const std::vector<TFound>& files)
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
            ReadOne(files_[k].Path, slots_[k % slots_.size()]);
            if ((k + 1) % Batch == 0 || k + 1 == files_.size())
                ready_.release();
        }
    }

    const std::vector<TFound>& files_;
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

// Picks the files that agree (the largest group of one set of wordings) and
// reports the rest.
TTestResult Settle(TGathering& g, std::vector<TWarning>& warnings)
{
    TTestResult test;
    test.Name = g.Name;
    const std::string name = g.Name.toStdString();
    std::size_t best = 0;
    for (std::size_t k = 1; k < g.Groups.size(); ++k)
        if (g.Groups[k].Students.size() > g.Groups[best].Students.size())
            best = k;
    if (!g.Groups.empty()) {
        TGroup& chosen = g.Groups[best];
        for (std::size_t k = 0; k < g.Groups.size(); ++k)
            if (k != best)
                for (const TStudentResult& s : g.Groups[k].Students)
                    warnings.push_back({s.Path, 0,
                        Format(JournalMsg::OtherQuestions, name, FileCount(chosen.Students.size()))});
        test.Questions = unsigned(chosen.Items.size());
        test.Items = std::move(chosen.Items);
        test.Students = std::move(chosen.Students);
        test.Marks = {test.Students.size(), test.Items.size(), std::move(chosen.Marks)};
        test.Chosen = std::move(chosen.Chosen);
    } else {
        // Score-only files alone: the most common question count decides.
        std::map<unsigned, std::size_t> counts;
        for (const TStudentResult& s : g.ScoreOnly)
            ++counts[s.Questions];
        test.Questions = std::max_element(counts.begin(), counts.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; })->first;
    }
    const std::size_t agreeing = test.Students.size()
        + std::size_t(std::count_if(g.ScoreOnly.begin(), g.ScoreOnly.end(),
            [&](const TStudentResult& s) { return s.Questions == test.Questions; }));
    for (TStudentResult& s : g.ScoreOnly) {
        if (s.Questions == test.Questions)
            test.Students.push_back(std::move(s));
        else
            warnings.push_back({s.Path, 1, Format(JournalMsg::OtherCount, Decimal(s.Questions),
                Decimal(test.Questions) + " (" + FileCount(agreeing) + ")")});
    }
    std::sort(test.Students.begin(), test.Students.end(), [](const TStudentResult& a, const TStudentResult& b) {
        const int byName = QString::compare(a.Name, b.Name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.Path < b.Path;
    });
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

TJournal BuildJournal(const std::vector<std::string>& paths, const TScale& scale)
{
    TJournal journal;
    std::vector<TFound> found;
    for (const std::string& p : paths)
        Collect(p, found, journal.Warnings);
    // The same file named twice (a folder and a file in it) is read once.
    {
        std::set<TFileId> seen;
        std::set<fs::path> unknown; // files that cannot be told by their identity
        std::vector<TFound> unique;
        for (TFound& f : found) {
            const std::optional<TFileId> id = FileIdOf(f.Path);
            if (id ? seen.insert(*id).second : unknown.insert(f.Absolute).second)
                unique.push_back(std::move(f));
        }
        found = std::move(unique);
        journal.Inputs.assign(seen.begin(), seen.end());
    }
    journal.Files = found.size();
    const std::vector<TNamed> names = Name(found);

    std::map<QString, TGathering> tests;
    TScratch scratch;
    TReadAhead reader(found);
    for (std::size_t k = 0; k < found.size(); ++k) {
        TRead& read = reader.Take();
        if (read.Refused) {
            journal.Warnings.push_back(std::move(*read.Refused));
            reader.Release();
            continue;
        }
        const TResults& run = read.Run;
        TStudentResult student;
        student.Name = names[k].Student;
        student.Path = found[k].Path;
        student.Right = run.Right;
        student.Questions = run.Questions;
        student.Percent = 100.0 * run.Right / run.Questions;
        student.Grade = scale.Grade(student.Percent);
        TGathering& test = tests[names[k].Test];
        test.Name = names[k].Test;
        if (run.Detailed())
            AddDetailed(test, run, std::move(student), scratch);
        else
            test.ScoreOnly.push_back(std::move(student));
        reader.Release();
    }
    for (auto& [name, gathering] : tests) {
        journal.Tests.push_back(Settle(gathering, journal.Warnings));
        journal.Used += journal.Tests.back().Students.size();
    }
    return journal;
}

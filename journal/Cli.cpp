// SPDX-License-Identifier: MIT
#include "journal/Cli.h"

#include "engine/Ansi.h"
#include "engine/CommandLine.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Paths.h"
#include "engine/TestFile.h"
#include "journal/ClassList.h"
#include "journal/Database.h"
#include "journal/Reports.h"

#include <filesystem>
#include <map>
#include <set>

#include <future>
#include <iostream>

TJournalArgs ParseArgs(int argc, char* argv[])
{
    const QCommandLineOption help = HelpOption();
    const QCommandLineOption html(QStringLiteral("html"), {}, QStringLiteral("file"));
    const QCommandLineOption xlsx(QStringLiteral("xlsx"), {}, QStringLiteral("file"));
    const QCommandLineOption csv(QStringLiteral("csv"), {}, QStringLiteral("folder"));
    const QCommandLineOption scale(QStringLiteral("scale"), {}, QStringLiteral("scale"));
    const QCommandLineOption key(QStringLiteral("key"), {}, QStringLiteral("file"));
    const QCommandLineOption attempt(QStringLiteral("attempt"), {}, QStringLiteral("which"));
    const QCommandLineOption teacher(QStringLiteral("teacher"), {}, QStringLiteral("name"));
    const QCommandLineOption className(QStringLiteral("class"), {}, QStringLiteral("name"));
    const QCommandLineOption classList(QStringLiteral("class-list"), {}, QStringLiteral("file"));
    const QCommandLineOption db(QStringLiteral("db"), {}, QStringLiteral("database"));
    const QCommandLineOption exportGrades(QStringLiteral("export-grades"), {}, QStringLiteral("file"));
    const QCommandLineOption test(QStringLiteral("test"), {}, QStringLiteral("name"));
    const QCommandLineOption collectOnly(QStringLiteral("collect-only"));
    QCommandLineParser parser;
    const QStringList arguments = CommandLineArguments(argc, argv);
    ParseCommandLine(parser, {help, html, xlsx, csv, scale, key, attempt, teacher, className, classList, db, exportGrades, test, collectOnly},
        arguments, JournalMsg::UnknownOption, JournalMsg::NoValue);

    TJournalArgs args;
    args.Help = parser.isSet(help);
    args.CollectOnly = parser.isSet(collectOnly);
    for (const QString& path : parser.positionalArguments())
        args.Paths.push_back(ArgumentBytes(path));
    // The last value given counts; an empty one, as in "--html=", is refused.
    const auto value = [&](const QCommandLineOption& option) -> std::optional<std::string> {
        if (!parser.isSet(option))
            return std::nullopt;
        const QStringList given = parser.values(option);
        if (given.contains(QString()))
            throw EError(Format(JournalMsg::NoValue, "--" + ArgumentBytes(option.names().constFirst())));
        return ArgumentBytes(given.constLast());
    };
    args.Html = value(html).value_or(args.Html);
    args.Xlsx = value(xlsx);
    args.Csv = value(csv);
    args.Scale = value(scale).value_or(args.Scale);
    for (const QString& given : parser.values(key)) {
        if (given.isEmpty())
            throw EError(Format(JournalMsg::NoValue, "--key"));
        args.Keys.push_back(ArgumentBytes(given));
    }
    if (const auto which = value(attempt)) {
        if (*which == "first")
            args.Choice = TAttemptChoice::First;
        else if (*which == "last")
            args.Choice = TAttemptChoice::Last;
        else if (*which == "best")
            args.Choice = TAttemptChoice::Best;
        else
            throw EError(Format(JournalMsg::BadAttempt, *which));
    }
    // Names are typed in the terminal's UTF-8.
    args.Teacher = QString::fromStdString(value(teacher).value_or(""));
    args.Class = QString::fromStdString(value(className).value_or("")).simplified();
    args.ClassList = value(classList);
    args.Db = value(db);
    args.ExportGrades = value(exportGrades);
    args.ExportTest = QString::fromStdString(value(test).value_or(""));
    if (args.ExportGrades && args.ExportTest.isEmpty() && !args.Help)
        throw EError(JournalMsg::ExportNeedsTest);
    return args;
}

void WriteOutputs(const TJournal& journal, const TScale& scale, const TJournalArgs& args, bool announce)
{
    // Every file is opened, so checked, before any is written.
    TOutputFiles files(journal.Inputs);
    QSaveFile& html = files.Open(args.Html);
    QSaveFile* xlsx = args.Xlsx ? &files.Open(*args.Xlsx) : nullptr;
    QSaveFile* grades = args.ExportGrades ? &files.Open(*args.ExportGrades) : nullptr;
    // The spreadsheet takes longest: it is written on a second thread while
    // the CSV and the report are written here. Should either fail, the
    // future waits for the spreadsheet as it goes, and nothing is replaced.
    std::future<void> book;
    if (xlsx)
        book = std::async(std::launch::async, [&] { WriteXlsx(journal, *xlsx, *args.Xlsx); });
    if (args.Csv)
        WriteCsv(journal, files, *args.Csv);
    WriteHtml(journal, scale, html, args.Html);
    if (grades)
        WriteGradeExport(journal, args.ExportTest, *grades, *args.ExportGrades);
    if (xlsx)
        book.get();
    files.Commit();
    if (!announce)
        return;
    std::cout << Format(JournalMsg::Written, args.Html);
    if (args.Xlsx)
        std::cout << Format(JournalMsg::Written, *args.Xlsx);
    if (args.Csv)
        std::cout << Format(JournalMsg::Written, *args.Csv);
    if (args.ExportGrades)
        std::cout << Format(JournalMsg::Written, *args.ExportGrades);
}

int ExitStatus(const TJournal& journal)
{
    if (journal.Used == 0)
        return 2;
    return journal.Warnings.empty() ? 0 : 1;
}

namespace {

TKey KeyFrom(const QString& test, const std::string& path, const TTestContent& content, std::vector<TWarning>& warnings)
{
    if (!content.StopMessage.empty())
        warnings.push_back({path, content.StopLine, Format(JournalMsg::KeyStops, content.StopMessage)});
    return {test, path, content.Items};
}

QString TestOfKey(const std::string& path)
{
    return FromNativePath(std::filesystem::path(path).stem().string());
}

std::string KeyBytes(const std::string& path)
{
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const EInOutError& e) {
        throw EError(Format(JournalMsg::KeyProblem, EscapedPath(path), ReadFailure(e, path)));
    } catch (const EError& e) {
        throw EError(Format(JournalMsg::KeyProblem, EscapedPath(path), e.what()));
    }
    if (ReadTestContent(bytes).Items.empty())
        throw EError(Format(JournalMsg::KeyProblem, EscapedPath(path), JournalMsg::KeyEmpty));
    return bytes;
}

struct TGivenKey {
    TKey Key;
    std::string Bytes;
};

// The teacher's keys, read before anything is stored: a bad one stops the
// run with nothing changed.
std::vector<TGivenKey> GivenKeys(const TJournalArgs& args, std::vector<TWarning>& warnings)
{
    std::vector<TGivenKey> given;
    for (const std::string& path : args.Keys) {
        std::string bytes = KeyBytes(path);
        given.push_back({KeyFrom(TestOfKey(path), path, ReadTestContent(bytes), warnings), std::move(bytes)});
    }
    return given;
}

QString StoredClass(const TJournalArgs& args, const TFolderScan& scan)
{
    const QString cls = args.Class.isEmpty() ? scan.Class : args.Class;
    if (cls.isEmpty())
        throw EError(JournalMsg::NoClass);
    return cls;
}

// Opens the database and stores what the run brings: the class list and the
// keys given, then the files found. `stored`: how many files were new.
std::unique_ptr<TDatabase> Store(const TJournalArgs& args, const QString& cls, const std::vector<QString>& list,
    const std::vector<TGivenKey>& given, TFolderScan& scan, std::size_t& stored)
{
    std::unique_ptr<TDatabase> db = TDatabase::Open(args.Db.value_or(""));
    if (args.ClassList)
        db->SetClassList(cls, list);
    for (const TGivenKey& g : given)
        db->SetKey(cls, g.Key.Test, g.Key.Path, g.Bytes);
    stored = db->Collect(cls, scan.Files, scan.Warnings);
    return db;
}

} // namespace

std::vector<TWarning> CollectOnly(const TJournalArgs& args)
{
    const std::vector<QString> list = args.ClassList ? ReadClassList(*args.ClassList) : std::vector<QString>();
    std::vector<TWarning> keyWarnings; // said when the keys are read back for a report
    const std::vector<TGivenKey> given = GivenKeys(args, keyWarnings);
    TFolderScan scan = ScanFolders(args.Paths, list);
    std::size_t stored = 0;
    Store(args, StoredClass(args, scan), list, given, scan, stored);
    std::cout << Format(JournalMsg::Collected, std::to_string(stored), std::to_string(scan.Files.size()));
    return std::move(scan.Warnings);
}

TJournal JournalFor(const TJournalArgs& args, const TScale& scale)
{
    TJournalOptions options;
    options.Scale = scale;
    options.Choice = args.Choice;
    options.Teacher = args.Teacher;
    std::vector<TWarning> warnings;
    if (args.ClassList)
        options.ClassList = ReadClassList(*args.ClassList);
    std::vector<TWarning> givenWarnings; // said once: of the stored keys when there is a database
    std::vector<TGivenKey> given = GivenKeys(args, givenWarnings);
    if (!args.Stored())
        warnings = givenWarnings;

    TFolderScan scan = ScanFolders(args.Paths, options.ClassList);
    std::vector<TAttemptFile> attempts;
    std::map<QString, TKey> keys; // by the test's key
    if (args.Stored()) {
        options.Class = StoredClass(args, scan);
        std::size_t stored = 0;
        const std::unique_ptr<TDatabase> db = Store(args, options.Class, options.ClassList, given, scan, stored);
        if (!args.ClassList)
            options.ClassList = db->ClassList(options.Class);
        attempts = db->Attempts(options.Class);
        for (const TDatabase::TStoredKey& k : db->Keys(options.Class))
            keys[TestKey(k.Test)] = KeyFrom(k.Test, k.Path, ReadTestContent(k.Bytes), warnings);
    } else {
        options.Class = args.Class.isEmpty() ? scan.Class : args.Class;
        attempts = AttemptsOf(scan);
        for (const TGivenKey& g : given)
            keys[TestKey(g.Key.Test)] = g.Key;
    }
    // A test file found beside the results, where none is given or stored.
    for (const auto& [test, path] : scan.Keys)
        if (!keys.count(test)) {
            try {
                keys[test] = KeyFrom(TestOfKey(path), path, LoadTestContent(path), warnings);
            } catch (const EError& e) {
                warnings.push_back({path, 0, AsShown(e.what())});
            }
        }
    std::set<QString> tested;
    for (const TAttemptFile& a : attempts)
        tested.insert(TestKey(a.Test));
    for (const TGivenKey& g : given)
        if (!tested.count(TestKey(g.Key.Test)))
            warnings.push_back({g.Key.Path, 0, Format(JournalMsg::KeyUnused, g.Key.Test.toStdString())});
    for (auto& [test, key] : keys)
        options.Keys.push_back(std::move(key));
    scan.Warnings.insert(scan.Warnings.end(), warnings.begin(), warnings.end());
    TJournal journal = BuildJournal(attempts, options, std::move(scan.Warnings));
    journal.Inputs = std::move(scan.Inputs);
    return journal;
}

// SPDX-License-Identifier: MIT
#include "journal/Cli.h"

#include "engine/CommandLine.h"
#include "engine/Errors.h"
#include "journal/Reports.h"

#include <future>
#include <iostream>

TJournalArgs ParseArgs(int argc, char* argv[])
{
    const QCommandLineOption help = HelpOption();
    const QCommandLineOption html(QStringLiteral("html"), {}, QStringLiteral("file"));
    const QCommandLineOption xlsx(QStringLiteral("xlsx"), {}, QStringLiteral("file"));
    const QCommandLineOption csv(QStringLiteral("csv"), {}, QStringLiteral("folder"));
    const QCommandLineOption scale(QStringLiteral("scale"), {}, QStringLiteral("scale"));
    QCommandLineParser parser;
    const QStringList arguments = CommandLineArguments(argc, argv);
    ParseCommandLine(parser, {help, html, xlsx, csv, scale}, arguments, JournalMsg::UnknownOption, JournalMsg::NoValue);

    TJournalArgs args;
    args.Help = parser.isSet(help);
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
    return args;
}

void WriteOutputs(const TJournal& journal, const TScale& scale, const TJournalArgs& args, bool announce)
{
    // Every file is opened, so checked, before any is written.
    TOutputFiles files(journal.Inputs);
    QSaveFile& html = files.Open(args.Html);
    QSaveFile* xlsx = args.Xlsx ? &files.Open(*args.Xlsx) : nullptr;
    // The spreadsheet takes longest: it is written on a second thread while
    // the CSV and the report are written here. Should either fail, the
    // future waits for the spreadsheet as it goes, and nothing is replaced.
    std::future<void> book;
    if (xlsx)
        book = std::async(std::launch::async, [&] { WriteXlsx(journal, *xlsx, *args.Xlsx); });
    if (args.Csv)
        WriteCsv(journal, files, *args.Csv);
    WriteHtml(journal, scale, html, args.Html);
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
}

int ExitStatus(const TJournal& journal)
{
    if (journal.Used == 0)
        return 2;
    return journal.Warnings.empty() ? 0 : 1;
}

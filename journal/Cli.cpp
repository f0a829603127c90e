// SPDX-License-Identifier: MIT
#include "journal/Cli.h"

#include "engine/Errors.h"
#include "journal/Reports.h"

#include <future>
#include <iostream>

TJournalArgs ParseArgs(int argc, char* argv[])
{
    TJournalArgs args;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!options || arg.size() < 2 || arg[0] != '-') {
            args.Paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            args.Help = true;
            continue;
        }
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        std::string* target = arg == "--html" ? &args.Html : arg == "--scale" ? &args.Scale : nullptr;
        std::optional<std::string>* optional = arg == "--xlsx" ? &args.Xlsx : arg == "--csv" ? &args.Csv : nullptr;
        if (!target && !optional)
            throw EError(Format(JournalMsg::UnknownOption, arg));
        if (!value) {
            if (i + 1 >= argc)
                throw EError(Format(JournalMsg::NoValue, arg));
            value = argv[++i];
        }
        if (value->empty())
            throw EError(Format(JournalMsg::NoValue, arg));
        if (target)
            *target = *value;
        else
            *optional = *value;
    }
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

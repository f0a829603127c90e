// SPDX-License-Identifier: MIT
#include "journal/Cli.h"

#include "engine/Errors.h"
#include "journal/Reports.h"

#include <iostream>

TJournalArgs ParseArgs(int argc, char* argv[])
{
    TJournalArgs args;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!options || arg.size() < 2 || arg[0] != '-') {
            args.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            args.help = true;
            continue;
        }
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        std::string* target = arg == "--html" ? &args.html : arg == "--scale" ? &args.scale : nullptr;
        std::optional<std::string>* optional = arg == "--xlsx" ? &args.xlsx : arg == "--csv" ? &args.csv : nullptr;
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
    WriteHtml(journal, scale, args.html);
    if (announce)
        std::cout << Format(JournalMsg::Written, args.html);
    if (args.xlsx) {
        WriteXlsx(journal, *args.xlsx);
        if (announce)
            std::cout << Format(JournalMsg::Written, *args.xlsx);
    }
    if (args.csv) {
        WriteCsv(journal, *args.csv);
        if (announce)
            std::cout << Format(JournalMsg::Written, *args.csv);
    }
}

int ExitStatus(const TJournal& journal)
{
    if (journal.used == 0)
        return 2;
    return journal.warnings.empty() ? 0 : 1;
}

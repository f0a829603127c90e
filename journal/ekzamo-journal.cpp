// SPDX-License-Identifier: MIT
// ekzamo-journal [OPTIONS] PATH...: the class journal from results files.
// The command line needs no display: no application object is made there;
// only the desktop entry's start (no PATH, in a graphical session) shows a
// dialog. Output is UTF-8; file names are printed as found.
#include "engine/Errors.h"
#include "engine/Files.h"
#include "journal/Cli.h"

#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>

int main(int argc, char* argv[])
{
    // Past a file-size limit a write fails and is reported, rather than the
    // signal ending the run with temporary files left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    TJournalArgs args;
    TScale scale;
    try {
        args = ParseArgs(argc, argv);
        if (args.Help) {
            std::cout << Format(JournalMsg::Help, std::to_string(MaxFileSize >> 20));
            return 0;
        }
        scale = ParseScale(args.Scale);
    } catch (const std::exception& error) {
        std::cerr << error.what();
        return 2;
    }
    if (args.Paths.empty() && !args.Stored()) {
        const char* x = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if ((x && *x) || (wayland && *wayland))
            return RunDialog(argc, argv);
        std::cerr << JournalMsg::NoPath;
        return 2;
    }

    try {
        if (args.CollectOnly) {
            const std::vector<TWarning> warnings = CollectOnly(args);
            for (const TWarning& warning : warnings)
                std::cerr << WarningLine(warning) << '\n';
            std::cout.flush();
            return !std::cout ? 2 : warnings.empty() ? 0 : 1;
        }
        const TJournal journal = JournalFor(args, scale);
        for (const TWarning& warning : journal.Warnings)
            std::cerr << WarningLine(warning) << '\n';
        const int status = ExitStatus(journal);
        if (journal.Used == 0) {
            if (args.Paths.empty())
                std::cerr << Format(JournalMsg::NothingStored, journal.Class.toStdString());
            else
                std::cerr << (journal.Files == 0 ? JournalMsg::NothingFound : JournalMsg::NothingUsable);
            return status;
        }
        WriteOutputs(journal, scale, args, true);
        std::cout.flush();
        return std::cout ? status : 2;
    } catch (const std::exception& error) {
        std::cerr << "ekzamo-journal: " << error.what() << '\n';
        return 2;
    }
}

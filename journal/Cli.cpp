// SPDX-License-Identifier: MIT
#include "journal/Cli.h"

#include "engine/Errors.h"
#include "journal/Reports.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Reason(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR: return "нет такой папки";
    case EACCES:
    case EPERM:
    case EROFS: return "нет прав на запись";
    case EISDIR: return "это папка";
    default: return std::strerror(err);
    }
}

// An output that cannot be written is found before anything is written, so
// that a run either writes every output asked for or none.
void ProbeFile(const std::string& path)
{
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw EError(Format("не удалось записать %s: %s", path, Reason(errno)));
    ::close(fd);
    if (!existed)
        ::unlink(path.c_str());
}

void ProbeFolder(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        throw EError(Format("не удалось записать %s: %s", path, "это не папка"));
    if (!QDir().mkpath(QString::fromLocal8Bit(path.c_str())) || ::access(path.c_str(), W_OK) != 0)
        throw EError(Format("не удалось записать %s: %s", path, Reason(errno ? errno : EACCES)));
}

} // namespace

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
    ProbeFile(args.Html);
    if (args.Xlsx)
        ProbeFile(*args.Xlsx);
    if (args.Csv)
        ProbeFolder(*args.Csv);
    // The spreadsheet takes longest: it is written on a second thread while
    // the report and the CSV are written here (should either fail, the
    // spreadsheet is finished first). Each is announced in the usual order.
    std::future<void> xlsx;
    if (args.Xlsx)
        xlsx = std::async(std::launch::async, [&] { WriteXlsx(journal, *args.Xlsx); });
    WriteHtml(journal, scale, args.Html);
    if (announce)
        std::cout << Format(JournalMsg::Written, args.Html);
    if (args.Csv)
        WriteCsv(journal, *args.Csv);
    if (args.Xlsx) {
        xlsx.get();
        if (announce)
            std::cout << Format(JournalMsg::Written, *args.Xlsx);
    }
    if (args.Csv && announce)
        std::cout << Format(JournalMsg::Written, *args.Csv);
}

int ExitStatus(const TJournal& journal)
{
    if (journal.Used == 0)
        return 2;
    return journal.Warnings.empty() ? 0 : 1;
}

// SPDX-License-Identifier: MIT
#include "engine/CommandLine.h"

#include "engine/Errors.h"

#include <algorithm>

QStringList CommandLineArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLatin1(argv[i]));
    // The parser wants the program's name first, which an exec may leave out.
    if (arguments.isEmpty())
        arguments.append(QString());
    return arguments;
}

std::string ArgumentBytes(const QString& argument)
{
    return argument.toLatin1().toStdString();
}

QCommandLineOption HelpOption()
{
    return QCommandLineOption(QStringList {QStringLiteral("h"), QStringLiteral("help")});
}

void ParseCommandLine(QCommandLineParser& parser, const QList<QCommandLineOption>& options,
    const QStringList& arguments, const char* unknown, const char* noValue)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(options);
    if (parser.parse(arguments))
        return;
    // Find the refused argument as typed, walking the line as the parser did.
    const QStringList unknownNames = parser.unknownOptionNames();
    const auto refuse = [](const char* message, const QString& argument) {
        throw EError(Format(message, ArgumentBytes(argument)));
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--"))
            break;
        if (argument.size() < 2 || !argument.startsWith(u'-'))
            continue;
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1).section(u'=', 0, 0);
        if (unknownNames.contains(name))
            refuse(unknown, argument);
        const auto option = std::find_if(options.begin(), options.end(),
            [&name](const QCommandLineOption& o) { return o.names().contains(name); });
        const bool wantsValue = option != options.end() && !option->valueName().isEmpty();
        if (!wantsValue && argument.contains(u'='))
            refuse(unknown, argument);
        if (wantsValue && !argument.contains(u'=')) {
            if (i + 1 == arguments.size())
                refuse(noValue ? noValue : unknown, argument);
            ++i;
        }
    }
    refuse(unknown, arguments.constLast());
}

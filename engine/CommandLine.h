// SPDX-License-Identifier: MIT
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>

#include <string>

// The tools' command lines, read by QCommandLineParser, which needs no
// application object and so no display. Arguments travel through it byte
// for byte, as Latin-1: file names are native bytes, not always UTF-8.
QStringList CommandLineArguments(int argc, char* argv[]);
std::string ArgumentBytes(const QString& argument);

// -h, --help: each tool prints its own help, in Russian.
QCommandLineOption HelpOption();

// Parses `arguments` with `options`, a word after one dash being an option's
// long name. A refused argument raises EError with `unknown`, or with
// `noValue` for an option the command line ends before the value of, each
// filled with the argument as typed: the parser's own messages are English
// and name an option without its dashes.
void ParseCommandLine(QCommandLineParser& parser, const QList<QCommandLineOption>& options,
    const QStringList& arguments, const char* unknown, const char* noValue = nullptr);

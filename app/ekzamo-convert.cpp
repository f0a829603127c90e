// SPDX-License-Identifier: MIT
// ekzamo-convert [--from FORMAT] [--to FORMAT] IN OUT: converts tests between
// Ekzamo's files (Windows-1251) and Moodle's GIFT and Aiken (UTF-8). Notes
// go to standard error as "FILE:LINE: text", UTF-8, file names as given but
// for control characters, escaped so that a note stays one line.
#include "engine/CommandLine.h"
#include "engine/Errors.h"
#include "engine/Exchange.h"
#include "engine/Files.h"
#include "engine/Paths.h"
#include "engine/TestFile.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace ConvertMsg {
inline constexpr const char* Help =
    "Использование: ekzamo-convert [--from ФОРМАТ] [--to ФОРМАТ] ИСХОДНЫЙ НОВЫЙ\n"
    "Преобразует тест из одного формата в другой и записывает его в новый файл.\n"
    "\n"
    "Форматы:\n"
    "  ekzamo  файл теста Ekzamo в кодировке Windows-1251 (обычно .txt);\n"
    "  gift    формат GIFT системы Moodle, UTF-8 (.gift): вопросы с выбором одного\n"
    "          правильного ответа; вопросы других типов пропускаются, отзывы\n"
    "          отбрасываются, о каждом таком месте выводится замечание;\n"
    "  aiken   формат Aiken системы Moodle, UTF-8: строка вопроса, варианты\n"
    "          «A) текст» или «A. текст», затем «ANSWER: A».\n"
    "Без ключей формат определяется по расширению: .gift — GIFT, .txt — Ekzamo\n"
    "(файл Aiken с расширением .txt указывается ключом --from aiken или --to aiken).\n"
    "\n"
    "Знак «&» в текстах Ekzamo подчёркивает следующую букву, «&&» показывает «&»;\n"
    "в GIFT и Aiken текст записывается так, как его видит ученик.\n"
    "\n"
    "Замечания выводятся в виде «ФАЙЛ:СТРОКА: текст».\n"
    "Код выхода: 0 — преобразовано без замечаний, 1 — преобразовано с замечаниями,\n"
    "2 — ничего не записано (файл не прочитан или больше %d МиБ, символ, которого\n"
    "нет в Windows-1251, нет ни одного вопроса, ошибка записи); существующий новый\n"
    "файл тогда не изменён.\n"
    "\n"
    "  --from ФОРМАТ  формат исходного файла\n"
    "  --to ФОРМАТ    формат нового файла\n"
    "  -h, --help     показать эту справку\n";
inline constexpr const char* More = "Подробнее: ekzamo-convert --help\n";
inline constexpr const char* UnknownOption = "ekzamo-convert: неизвестный ключ %s\n";
inline constexpr const char* NoValue = "ekzamo-convert: после %s нужно указать формат: ekzamo, gift или aiken\n";
inline constexpr const char* UnknownFormat =
    "ekzamo-convert: неизвестный формат «%s»: возможны ekzamo, gift и aiken\n";
inline constexpr const char* TwoFiles = "ekzamo-convert: нужны два файла: исходный и новый\n";
inline constexpr const char* NoExtension =
    "ekzamo-convert: по имени «%s» формат не определить: укажите его ключом %s\n";
inline constexpr const char* SameFile =
    "ekzamo-convert: исходный и новый файл — один и тот же файл «%s»: укажите для результата другое имя\n";
inline constexpr const char* NothingWritten = "%s: файл не записан\n";
}

namespace {

class TConversion {
public:
    TConversion(std::string in, std::string out, TTestFormat from, TTestFormat to)
        : in_(std::move(in)), out_(std::move(out)), from_(from), to_(to)
    {
    }

    // Returns the exit status.
    int Run();

private:
    int Fail(const std::string& message);
    void PrintNotes();

    std::string in_, out_;
    TTestFormat from_, to_;
    std::vector<TFormatNote> notes_;
};

int TConversion::Run()
{
    try {
        std::string bytes;
        try {
            bytes = ReadWholeFile(in_);
        } catch (const EError& e) {
            return Fail(in_ + ": " + AsShown(e.what()));
        }
        TConverted converted = ConvertTest(bytes, from_, to_);
        notes_ = std::move(converted.Notes);
        notes_.insert(notes_.end(), converted.Errors.begin(), converted.Errors.end());
        if (!converted.Errors.empty())
            return Fail({});
        SaveFileBytes(out_, converted.Bytes);
    } catch (const std::exception& e) {
        return Fail(AsShown(e.what()));
    }
    const bool clean = notes_.empty();
    PrintNotes();
    return clean ? 0 : 1;
}

// Prints the notes gathered so far and the reason nothing was written.
int TConversion::Fail(const std::string& message)
{
    PrintNotes();
    if (!message.empty())
        std::cerr << message << '\n';
    std::cerr << Format(ConvertMsg::NothingWritten, out_);
    return 2;
}

void TConversion::PrintNotes()
{
    // Notes on the whole file (line 0) come last.
    std::stable_sort(notes_.begin(), notes_.end(),
        [](const TFormatNote& a, const TFormatNote& b) { return a.Line - 1 < b.Line - 1; });
    const std::string name = EscapedPath(in_);
    for (const TFormatNote& note : notes_) {
        if (note.Line)
            std::cerr << name << ':' << note.Line << ": " << note.Text << '\n';
        else
            std::cerr << name << ": " << note.Text << '\n';
    }
    notes_.clear();
}

int Usage(const std::string& message)
{
    std::cerr << message << ConvertMsg::More;
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    const QCommandLineOption help = HelpOption();
    const QCommandLineOption fromOption(QStringLiteral("from"), {}, QStringLiteral("format"));
    const QCommandLineOption toOption(QStringLiteral("to"), {}, QStringLiteral("format"));
    QCommandLineParser parser;
    try {
        ParseCommandLine(parser, {help, fromOption, toOption}, CommandLineArguments(argc, argv),
            ConvertMsg::UnknownOption, ConvertMsg::NoValue);
    } catch (const std::exception& error) {
        return Usage(error.what());
    }
    if (parser.isSet(help)) {
        std::cout << Format(ConvertMsg::Help, std::to_string(MaxFileSize >> 20));
        return std::cout.flush() ? 0 : 2;
    }
    // An empty format, as in "--from=", leaves it to the file's name.
    const std::string from = ArgumentBytes(parser.value(fromOption));
    const std::string to = ArgumentBytes(parser.value(toOption));
    std::vector<std::string> files;
    for (const QString& file : parser.positionalArguments())
        files.push_back(ArgumentBytes(file));
    for (const std::string* name : {&from, &to})
        if (!name->empty() && !FormatNamed(*name))
            return Usage(Format(ConvertMsg::UnknownFormat, *name));
    if (files.size() != 2)
        return Usage(ConvertMsg::TwoFiles);
    const std::string& in = files[0];
    const std::string& out = files[1];
    const std::optional<TTestFormat> fromKind = from.empty() ? FormatOfPath(in) : FormatNamed(from);
    const std::optional<TTestFormat> toKind = to.empty() ? FormatOfPath(out) : FormatNamed(to);
    if (!fromKind)
        return Usage(Format(ConvertMsg::NoExtension, in, "--from"));
    if (!toKind)
        return Usage(Format(ConvertMsg::NoExtension, out, "--to"));
    if (SameFile(in, out)) {
        std::cerr << Format(ConvertMsg::SameFile, out);
        return 2;
    }
    return TConversion(in, out, *fromKind, *toKind).Run();
}

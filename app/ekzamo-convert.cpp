// SPDX-License-Identifier: MIT
// ekzamo-convert [--from FORMAT] [--to FORMAT] IN OUT: converts tests between
// Ekzamo's files (Windows-1251) and Moodle's GIFT and Aiken (UTF-8). Notes
// go to standard error as "FILE:LINE: text", UTF-8, file names as given but
// for control characters, escaped so that a note stays one line.
#include "engine/Aiken.h"
#include "engine/CommandLine.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Formats.h"
#include "engine/Gift.h"
#include "engine/Paths.h"
#include "engine/TestFile.h"

#include <algorithm>
#include <exception>
#include <iostream>
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

enum class TFormatKind { None, Ekzamo, Gift, Aiken };

TFormatKind FormatByName(const std::string& name)
{
    if (name == "ekzamo")
        return TFormatKind::Ekzamo;
    if (name == "gift")
        return TFormatKind::Gift;
    if (name == "aiken")
        return TFormatKind::Aiken;
    return TFormatKind::None;
}

TFormatKind FormatByExtension(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return TFormatKind::None;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    if (extension == "gift")
        return TFormatKind::Gift;
    if (extension == "txt")
        return TFormatKind::Ekzamo;
    return TFormatKind::None;
}

// Control bytes other than tab, line ends and Ctrl-Z never stand in a test.
bool LooksBinary(const std::string& bytes, TFormatNote& problem)
{
    std::size_t line = 1;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\n')
            ++line;
        else if (u < ' ' && u != '\t' && u != '\r' && u != 26) {
            problem = {line, Format(FormatMsg::NotText, std::to_string(u))};
            return true;
        }
    }
    return false;
}

bool IsUtf8WithLetters(const std::string& bytes)
{
    TFormatNote unused;
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })
        && CheckUtf8Text(bytes, unused);
}

class TConversion {
public:
    TConversion(std::string in, std::string out, TFormatKind from, TFormatKind to)
        : in_(std::move(in)), out_(std::move(out)), from_(from), to_(to)
    {
    }

    // Returns the exit status.
    int Run();

private:
    bool Read(TPlainTest& plain);
    bool Write(const std::vector<TPlainQuestion>& questions, std::string& bytes);
    void Note(const TFormatNote& note) { notes_.push_back(note); }
    int Fail(const std::string& message);
    void PrintNotes();

    std::string in_, out_;
    TFormatKind from_, to_;
    std::vector<TFormatNote> notes_;
};

int TConversion::Run()
{
    TPlainTest plain;
    std::string bytes;
    try {
        if (!Read(plain) || !Write(plain.Questions, bytes))
            return 2;
        SaveFileBytes(out_, bytes);
    } catch (const std::exception& e) {
        return Fail(AsShown(e.what()));
    }
    const bool clean = notes_.empty();
    PrintNotes();
    return clean ? 0 : 1;
}

bool TConversion::Read(TPlainTest& plain)
{
    std::string bytes;
    try {
        bytes = ReadWholeFile(in_);
    } catch (const EError& e) {
        Fail(in_ + ": " + AsShown(e.what()));
        return false;
    }
    TFormatNote problem;
    if (from_ == TFormatKind::Ekzamo) {
        if (LooksBinary(bytes, problem)) {
            Note(problem);
            Fail({});
            return false;
        }
        const bool utf8 = IsUtf8WithLetters(bytes);
        if (utf8) {
            Note({1, FormatMsg::ReadAsUtf8});
            if (bytes.starts_with(Utf8Bom))
                bytes.erase(0, Utf8Bom.size());
        }
        plain = PlainFromTest(ReadTestContent(bytes), utf8);
    } else {
        if (!CheckUtf8Text(bytes, problem)) {
            Note(problem);
            Fail({});
            return false;
        }
        plain = from_ == TFormatKind::Gift ? ReadGift(bytes) : ReadAiken(bytes);
    }
    notes_.insert(notes_.end(), plain.Notes.begin(), plain.Notes.end());
    if (plain.Questions.empty()) {
        Note({0, FormatMsg::NoQuestions});
        Fail({});
        return false;
    }
    return true;
}

bool TConversion::Write(const std::vector<TPlainQuestion>& questions, std::string& bytes)
{
    if (to_ == TFormatKind::Ekzamo) {
        std::vector<TFormatNote> errors;
        const std::vector<TTestItem> items = TestFromPlain(questions, errors);
        if (!errors.empty()) {
            notes_.insert(notes_.end(), errors.begin(), errors.end());
            Fail({});
            return false;
        }
        if (questions.size() > 255)
            Note({questions[255].Line, Format(FormatMsg::TooManyQuestions, Msg::TooManyQuestions)});
        bytes = TestFileBytes(items);
        return true;
    }
    bytes = to_ == TFormatKind::Gift ? GiftBytes(questions, notes_) : AikenBytes(questions, notes_);
    if (bytes.empty()) {
        Note({0, FormatMsg::NoQuestions});
        Fail({});
        return false;
    }
    return true;
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
        if (!name->empty() && FormatByName(*name) == TFormatKind::None)
            return Usage(Format(ConvertMsg::UnknownFormat, *name));
    if (files.size() != 2)
        return Usage(ConvertMsg::TwoFiles);
    const std::string& in = files[0];
    const std::string& out = files[1];
    const TFormatKind fromKind = from.empty() ? FormatByExtension(in) : FormatByName(from);
    const TFormatKind toKind = to.empty() ? FormatByExtension(out) : FormatByName(to);
    if (fromKind == TFormatKind::None)
        return Usage(Format(ConvertMsg::NoExtension, in, "--from"));
    if (toKind == TFormatKind::None)
        return Usage(Format(ConvertMsg::NoExtension, out, "--to"));
    if (SameFile(in, out)) {
        std::cerr << Format(ConvertMsg::SameFile, out);
        return 2;
    }
    return TConversion(in, out, fromKind, toKind).Run();
}

// SPDX-License-Identifier: MIT
#include "engine/Exchange.h"

#include "engine/Aiken.h"
#include "engine/Errors.h"
#include "engine/Gift.h"

#include <algorithm>

namespace {

// The note on the control character at `at` that makes the bytes no text.
TFormatNote NotTextNote(std::string_view bytes, std::size_t at)
{
    return {LineAt(bytes, at), Format(TextMsg::NotText, std::to_string(static_cast<unsigned char>(bytes[at])))};
}

} // namespace

std::optional<TTestFormat> FormatNamed(std::string_view name)
{
    if (name == "ekzamo")
        return TTestFormat::Ekzamo;
    if (name == "gift")
        return TTestFormat::Gift;
    if (name == "aiken")
        return TTestFormat::Aiken;
    return std::nullopt;
}

std::optional<TTestFormat> FormatOfPath(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    if (extension == "gift")
        return TTestFormat::Gift;
    if (extension == "txt")
        return TTestFormat::Ekzamo;
    return std::nullopt;
}

bool CheckUtf8Text(std::string_view bytes, TFormatNote& problem)
{
    const std::size_t control = FirstNonText(bytes, false);
    const std::size_t bad = FirstBadUtf8(bytes.substr(0, control));
    if (bad != NoPlace) {
        problem = {LineAt(bytes, bad), TextMsg::NotUtf8};
        return false;
    }
    if (control != NoPlace) {
        problem = NotTextNote(bytes, control);
        return false;
    }
    return true;
}

TPlainTest ReadPlain(std::string_view bytes, TTestFormat format, std::vector<TFormatNote>& errors)
{
    TPlainTest plain;
    if (format == TTestFormat::Ekzamo) {
        // Ctrl-Z is the old editors' end of file, text to the program's reader.
        if (const std::size_t control = FirstNonText(bytes, true); control != NoPlace) {
            errors.push_back(NotTextNote(bytes, control));
            return {};
        }
        const bool utf8 = SavedAsUtf8(bytes);
        if (utf8 && bytes.starts_with(Utf8Bom))
            bytes.remove_prefix(Utf8Bom.size());
        plain = PlainFromTest(ReadTestContent(bytes), utf8);
        if (utf8)
            plain.Notes.insert(plain.Notes.begin(), {1, FormatMsg::ReadAsUtf8});
    } else {
        TFormatNote problem;
        if (!CheckUtf8Text(bytes, problem)) {
            errors.push_back(problem);
            return {};
        }
        plain = format == TTestFormat::Gift ? ReadGift(bytes) : ReadAiken(bytes);
    }
    if (plain.Questions.empty())
        errors.push_back({0, FormatMsg::NoQuestions});
    return plain;
}

std::string WritePlain(const std::vector<TPlainQuestion>& questions, TTestFormat format,
    std::vector<TFormatNote>& notes, std::vector<TFormatNote>& errors)
{
    if (format == TTestFormat::Ekzamo) {
        const std::size_t before = errors.size();
        const std::vector<TTestItem> items = TestFromPlain(questions, errors);
        if (errors.size() > before)
            return {};
        if (questions.size() > 255)
            notes.push_back({questions[255].Line, Format(FormatMsg::TooManyQuestions, Msg::TooManyQuestions)});
        return TestFileBytes(items);
    }
    std::string bytes = format == TTestFormat::Gift ? GiftBytes(questions, notes) : AikenBytes(questions, notes);
    if (bytes.empty())
        errors.push_back({0, FormatMsg::NoQuestions});
    return bytes;
}

TConverted ConvertTest(std::string_view bytes, TTestFormat from, TTestFormat to)
{
    TConverted converted;
    const TPlainTest plain = ReadPlain(bytes, from, converted.Errors);
    converted.Notes = plain.Notes;
    if (converted.Errors.empty())
        converted.Bytes = WritePlain(plain.Questions, to, converted.Notes, converted.Errors);
    if (!converted.Errors.empty())
        converted.Bytes.clear();
    return converted;
}

// SPDX-License-Identifier: MIT
#include "engine/TestFile.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/TestReader.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstdint>

namespace {

constexpr std::size_t MaxQuestions = 255;

// Line numbers of offsets met in increasing order, counted as the reading
// goes rather than from the start each time.
class TLineCounter {
public:
    explicit TLineCounter(std::string_view bytes)
        : bytes_(bytes)
    {
    }

    std::size_t LineOf(std::uint64_t offset)
    {
        const std::size_t to = std::size_t(std::min<std::uint64_t>(offset, bytes_.size()));
        if (to < at_) {
            at_ = 0;
            line_ = 1;
        }
        line_ += std::size_t(std::count(bytes_.begin() + std::ptrdiff_t(at_), bytes_.begin() + std::ptrdiff_t(to), '\n'));
        at_ = to;
        return line_;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
};

std::string Utf8Path(const std::string& path)
{
    return FromNativePath(path).toStdString();
}

bool HoldsLineBreak(const std::string& text)
{
    return text.find_first_of(std::string_view("\r\n\x1a", 3)) != std::string::npos;
}

// Why a save failed, found from what is on the disk, since QSaveFile only
// says it in English.
std::string SaveFailure(const QString& path, const QFileDevice& file)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (target.isDir())
        return ReasonMsg::IsFolder;
    if (!folder.isDir())
        return Format(ReasonMsg::NoFolder, QDir::toNativeSeparators(folder.filePath()).toStdString());
    if (!folder.isWritable())
        return Format(ReasonMsg::FolderReadOnly, QDir::toNativeSeparators(folder.filePath()).toStdString());
    if (target.exists() && !target.isWritable())
        return ReasonMsg::FileReadOnly;
    if (file.error() == QFileDevice::ResourceError)
        return ReasonMsg::DiskFull;
    return file.errorString().toStdString();
}

} // namespace

TTestContent ReadTestContent(std::string_view bytes)
{
    TTestReader reader(bytes);
    TLineCounter lines(bytes);
    TTestContent content;
    while (!reader.AtEnd()) {
        if (content.Items.size() == MaxQuestions && content.StopMessage.empty()) {
            content.StopMessage = Msg::TooManyQuestions;
            content.StopLine = lines.LineOf(reader.Offset());
        }
        TGroup group;
        TGroupPlaces places;
        places.Correct.Offset = ~std::uint64_t(0);
        const std::uint64_t start = reader.Offset();
        try {
            ReadGroup(reader, group, &places);
        } catch (const EInOutError& e) {
            if (e.ErrorCode != IoCode::InvalidInput)
                throw;
            const bool atCount = places.Correct.Offset == ~std::uint64_t(0);
            content.UnreadLine = lines.LineOf(start);
            if (content.Items.size() < MaxQuestions) {
                content.StopMessage = Msg::InvalidInput;
                content.StopLine = lines.LineOf(atCount ? places.Count.Offset : places.Correct.Offset);
            }
            break;
        }
        content.Items.push_back({std::move(group.Text), std::move(group.Options), std::uint8_t(group.Correct)});
        content.Lines.push_back(lines.LineOf(places.Text));
    }
    return content;
}

TTestContent LoadTestContent(const std::string& path)
{
    return ReadTestContent(ReadWholeFile(path));
}

std::size_t LineLength(std::string_view line, bool utf8)
{
    if (!utf8)
        return line.size();
    // Every byte but those that continue a character.
    return std::size_t(std::count_if(line.begin(), line.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::size_t FirstTooLong(const std::vector<TTestItem>& items, bool utf8)
{
    const auto tooLong = [utf8](const std::string& line) { return LineTooLong(line, utf8); };
    for (std::size_t k = 0; k < items.size(); ++k)
        if (tooLong(items[k].Text) || std::any_of(items[k].Options.begin(), items[k].Options.end(), tooLong))
            return k + 1;
    return 0;
}

std::string TestFileBytes(const std::vector<TTestItem>& items)
{
    std::string bytes;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const TTestItem& item = items[k];
        const std::string number = std::to_string(k + 1);
        if (HoldsLineBreak(item.Text) || std::any_of(item.Options.begin(), item.Options.end(), HoldsLineBreak))
            throw EError(Format(TestFileMsg::LineBreak, number));
        if (item.Options.size() > 255)
            throw EError(Format(TestFileMsg::TooManyOptions, number, std::to_string(item.Options.size())));
        if (item.Correct < 0 || item.Correct > 255)
            throw EError(Format(TestFileMsg::CorrectOutOfRange, number, std::to_string(item.Correct)));
        bytes += item.Text;
        bytes += "\r\n";
        bytes += std::to_string(item.Options.size());
        bytes += "\r\n";
        bytes += std::to_string(item.Correct);
        bytes += "\r\n";
        for (const std::string& option : item.Options) {
            bytes += option;
            bytes += "\r\n";
        }
    }
    return bytes;
}

void SaveTestFile(const std::string& path, const std::vector<TTestItem>& items)
{
    SaveFileBytes(path, TestFileBytes(items));
}

void SaveFileBytes(const std::string& path, const std::string& bytes)
{
    const QString name = FromNativePath(path);
    QSaveFile file(name);
    const bool saved = file.open(QIODevice::WriteOnly)
        && file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size())
        && file.commit();
    if (!saved) {
        const std::string why = SaveFailure(name, file);
        file.cancelWriting();
        throw EError(Format(TestFileMsg::SaveFailed, Utf8Path(path), why));
    }
}

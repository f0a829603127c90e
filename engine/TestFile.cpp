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
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr std::size_t MaxQuestions = 255;

std::size_t LineOf(std::string_view bytes, std::uint64_t offset)
{
    const auto end = bytes.begin() + std::ptrdiff_t(std::min<std::uint64_t>(offset, bytes.size()));
    return std::size_t(std::count(bytes.begin(), end, '\n')) + 1;
}

// One group in file order, as the program's loader reads it but unshuffled.
void ReadItem(TTestReader& reader, TTestItem& item, TGroupPlaces& places)
{
    places.text = reader.Offset();
    item.Text = reader.ReadLine();
    const auto count = std::uint8_t(reader.ReadNumber(&places.count));
    item.Correct = std::uint8_t(reader.ReadNumber(&places.correct));
    for (unsigned i = 0; i < count; ++i)
        item.Options.push_back(reader.ReadLine());
}

// The reader reads files; bytes in memory are given to it as an anonymous
// file.
class TMemoryFile {
public:
    explicit TMemoryFile(std::string_view bytes)
    {
        fd_ = ::memfd_create("ekzamo-test", MFD_CLOEXEC);
        if (fd_ < 0)
            ThrowIo(errno, "memfd");
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                const int err = errno;
                ::close(fd_);
                ThrowIo(err, "memfd");
            }
            done += std::size_t(n);
        }
    }
    ~TMemoryFile() { ::close(fd_); }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_ = -1;
};

std::string Utf8Path(const std::string& path)
{
    return FromNativePath(path).toStdString();
}

std::string Fill(const char* pattern, std::initializer_list<std::string> args)
{
    std::string out;
    auto next = args.begin();
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && (p[1] == 's' || p[1] == 'd') && next != args.end()) {
            out += *next++;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
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
        return TestFileMsg::IsFolder;
    if (!folder.isDir())
        return Fill(TestFileMsg::NoFolder, {QDir::toNativeSeparators(folder.filePath()).toStdString()});
    if (!folder.isWritable())
        return Fill(TestFileMsg::FolderReadOnly, {QDir::toNativeSeparators(folder.filePath()).toStdString()});
    if (target.exists() && !target.isWritable())
        return TestFileMsg::FileReadOnly;
    if (file.error() == QFileDevice::ResourceError)
        return TestFileMsg::DiskFull;
    return file.errorString().toStdString();
}

} // namespace

TTestContent ReadTestContent(std::string_view bytes)
{
    const TMemoryFile memory(bytes);
    TFile file(memory.Path(), O_RDONLY, LOCK_SH, true);
    TTestReader reader(file);
    TTestContent content;
    while (!reader.AtEnd()) {
        if (content.Items.size() == MaxQuestions && content.StopMessage.empty()) {
            content.StopMessage = Msg::TooManyQuestions;
            content.StopLine = LineOf(bytes, reader.Offset());
        }
        TTestItem item;
        TGroupPlaces places;
        places.correct.offset = ~std::uint64_t(0);
        try {
            ReadItem(reader, item, places);
        } catch (const EInOutError& e) {
            if (e.ErrorCode != IoCode::InvalidInput)
                throw;
            const bool atCount = places.correct.offset == ~std::uint64_t(0);
            if (content.Items.size() < MaxQuestions) {
                content.StopMessage = Msg::InvalidInput;
                content.StopLine = LineOf(bytes, atCount ? places.count.offset : places.correct.offset);
            }
            break;
        }
        content.Items.push_back(std::move(item));
    }
    file.Close();
    return content;
}

TTestContent LoadTestContent(const std::string& path)
{
    return ReadTestContent(ReadWholeFile(path));
}

std::string TestFileBytes(const std::vector<TTestItem>& items)
{
    std::string bytes;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const TTestItem& item = items[k];
        const std::string number = std::to_string(k + 1);
        if (HoldsLineBreak(item.Text) || std::any_of(item.Options.begin(), item.Options.end(), HoldsLineBreak))
            throw EError(Fill(TestFileMsg::LineBreak, {number}));
        if (item.Options.size() > 255)
            throw EError(Fill(TestFileMsg::TooManyOptions, {number, std::to_string(item.Options.size())}));
        if (item.Correct < 0 || item.Correct > 255)
            throw EError(Fill(TestFileMsg::CorrectOutOfRange, {number, std::to_string(item.Correct)}));
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
    const std::string bytes = TestFileBytes(items);
    const QString name = FromNativePath(path);
    QSaveFile file(name);
    const bool saved = file.open(QIODevice::WriteOnly)
        && file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size())
        && file.commit();
    if (!saved) {
        const std::string why = SaveFailure(name, file);
        file.cancelWriting();
        throw EError(Fill(TestFileMsg::SaveFailed, {Utf8Path(path), why}));
    }
}

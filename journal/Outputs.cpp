// SPDX-License-Identifier: MIT
#include "journal/Reports.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Paths.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

TOutputFiles::TOutputFiles(const std::vector<TFileId>& inputs)
    : inputs_(inputs)
{
}

QSaveFile& TOutputFiles::Open(const std::string& path)
{
    // QSaveFile would write through a link to wherever it leads, and would
    // open a pipe and wait for a reader: neither is let through.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode))
            CannotWrite(path, JournalMsg::IsLink);
        if (S_ISDIR(st.st_mode))
            CannotWrite(path, SystemReason(EISDIR));
        if (!S_ISREG(st.st_mode))
            CannotWrite(path, JournalMsg::NotRegular);
        if (std::binary_search(inputs_.begin(), inputs_.end(), TFileId{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)}))
            CannotWrite(path, JournalMsg::IsInput);
        if (::access(path.c_str(), W_OK) != 0)
            CannotWrite(path, errno == EACCES ? ReasonMsg::FileReadOnly : SystemReason(errno));
    } else if (errno != ENOENT) {
        CannotWrite(path, SystemReason(errno));
    }
    const TPathParts parts = SplitPath(path);
    const std::string folder = parts.Folder.empty() ? std::string(".") : std::string(parts.Folder);
    // Named in a reason without the slash that ends it in the path.
    const std::string named = folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
    if (::stat(folder.c_str(), &st) != 0)
        CannotWrite(path, errno == ENOENT ? Format(ReasonMsg::NoFolder, named) : SystemReason(errno));
    if (!S_ISDIR(st.st_mode))
        CannotWrite(path, SystemReason(ENOTDIR));
    // The temporary file is made in the folder.
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        CannotWrite(path, errno == EACCES ? Format(ReasonMsg::FolderReadOnly, named) : SystemReason(errno));
    std::pair<TFileId, std::string> place{{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)},
        std::string(parts.Stem) + std::string(parts.Ext)};
    if (std::find(places_.begin(), places_.end(), place) != places_.end())
        CannotWrite(path, JournalMsg::Twice);
    places_.push_back(std::move(place));

    auto file = std::make_unique<QSaveFile>(FromNativePath(path));
    errno = 0;
    if (!file->open(QIODevice::WriteOnly))
        CannotWrite(path, *file);
    files_.emplace_back(path, std::move(file));
    return *files_.back().second;
}

void TOutputFiles::Commit()
{
    // Every file is on the disk before the first replaces its old one:
    // commit() alone would find a full disk only after the earlier renames.
    for (auto& [path, file] : files_) {
        errno = 0;
        if (!file->flush())
            CannotWrite(path, *file);
        if (::fsync(file->handle()) != 0)
            CannotWrite(path, SystemReason(errno));
    }
    for (auto& [path, file] : files_) {
        errno = 0;
        if (!file->commit())
            CannotWrite(path, *file);
    }
}

void CannotWrite(const std::string& path, const std::string& why)
{
    throw EError(Format(JournalMsg::CannotWrite, path, why));
}

void CannotWrite(const std::string& path, const QFileDevice& file)
{
    const int err = errno;
    if (file.error() == QFileDevice::ResourceError)
        CannotWrite(path, SystemReason(err == EFBIG || err == EDQUOT ? err : ENOSPC));
    CannotWrite(path, err ? SystemReason(err) : file.errorString().toStdString());
}

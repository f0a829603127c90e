// SPDX-License-Identifier: MIT
#include "engine/Files.h"

#include "engine/Errors.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TFile::TFile(const std::string& name, int flags, int lockMode, bool regularOnly)
    : name_(name)
{
    fd_ = ::open(name.c_str(), flags | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0), 0666);
    if (fd_ < 0)
        ThrowIo(errno, name_);
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        Fail(errno);
    if (S_ISDIR(st.st_mode) || (regularOnly && !S_ISREG(st.st_mode)))
        Fail(EACCES);
    if (::flock(fd_, lockMode | LOCK_NB) != 0)
        Fail(errno);
    regular_ = S_ISREG(st.st_mode);
    size_ = std::uint64_t(st.st_size);
}

TFile::~TFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::size_t TFile::Read(char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0)
            return std::size_t(n);
        if (errno != EINTR)
            Fail(errno);
    }
}

void TFile::Write(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        done += std::size_t(n);
    }
}

void TFile::Truncate()
{
    if (::ftruncate(fd_, 0) != 0)
        Fail(errno);
}

void TFile::Close()
{
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        ThrowIo(errno, name_);
}

void TFile::Fail(int err)
{
    ThrowIo(err, name_);
}

void ThrowTooLarge()
{
    throw EError(Format(Msg::FileTooLarge, std::to_string(MaxFileSize >> 20)));
}

std::optional<TFileId> FileIdOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return TFileId{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    const std::optional<TFileId> x = FileIdOf(a);
    return x && x == FileIdOf(b);
}

std::string ReadFailure(const EInOutError& error, const std::string& path)
{
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return ReasonMsg::IsFolder;
    return error.SystemError ? SystemReason(error.SystemError) : AsShown(error.what());
}

std::string ReadWholeFile(const std::string& name)
{
    std::optional<std::string> bytes = ReadWholeFile(name, MaxFileSize);
    if (!bytes)
        ThrowTooLarge();
    return std::move(*bytes);
}

std::optional<std::string> ReadWholeFile(const std::string& name, std::size_t most)
{
    TFile file(name, O_RDONLY, LOCK_SH, true);
    if (file.Size() > most)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(std::size_t(file.Size()));
    char buffer[64 * 1024];
    // A file that has grown is known at the first byte past `most`.
    while (const std::size_t n = file.Read(buffer, sizeof buffer)) {
        if (n > most - bytes.size())
            return std::nullopt;
        bytes.append(buffer, n);
    }
    file.Close();
    return bytes;
}

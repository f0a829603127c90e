// SPDX-License-Identifier: MIT
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// An open file descriptor with an advisory lock, every operation checked and
// its failure raised as EInOutError; closed with its errors checked, as on
// some file systems a failed write only shows at close.
class TFile {
public:
    // `flags` and `lockMode` as for open() and flock(); the lock is never
    // waited for. With `regularOnly` anything but a regular file is refused:
    // a pipe or a device could block or never end.
    TFile(const std::string& name, int flags, int lockMode, bool regularOnly);
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    ~TFile();

    bool IsRegular() const { return regular_; }
    // The size when opened; only a hint, as the file may change.
    std::uint64_t Size() const { return size_; }

    // Returns 0 at the end of the file.
    std::size_t Read(char* buffer, std::size_t size);
    void Write(const std::string& bytes);
    void Truncate();
    void Close();

private:
    [[noreturn]] void Fail(int err);

    std::string name_;
    int fd_ = -1;
    bool regular_ = false;
    std::uint64_t size_ = 0;
};

// What tells one file from another whatever its name: a symbolic or hard
// link, "./" or ".." lead to the same.
struct TFileId {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    auto operator<=>(const TFileId&) const = default;
};

// The file `path` leads to, links followed; nothing when it leads nowhere.
std::optional<TFileId> FileIdOf(const std::string& path);
// Whether two names lead to one file: a tool must not write what it reads.
bool SameFile(const std::string& a, const std::string& b);

// The largest test or results file the tools read, so that memory stays
// bounded whatever they are given. A test of 255 questions with five options
// of 1,000 characters each is 1.5 MB, the detailed results of 255 questions
// about 80 KB: the bound leaves ten times the first.
inline constexpr std::size_t MaxFileSize = std::size_t(16) << 20;

// Refuses a file beyond MaxFileSize, with a message that gives the bound.
[[noreturn]] void ThrowTooLarge();

class EInOutError;
// Why reading `path` failed, in the tools' words: the system's reason, and
// "это папка" for a folder, which the program's own error codes call a
// denial of access.
std::string ReadFailure(const EInOutError& error, const std::string& path);

// The whole of a regular file of at most MaxFileSize bytes, read under a
// shared lock; a larger one, known by its size before reading and by what is
// read should it grow, is refused.
std::string ReadWholeFile(const std::string& name);
// The same for a file of at most `most` bytes; nothing for a larger one,
// known by its size before reading and by what is read should it grow.
std::optional<std::string> ReadWholeFile(const std::string& name, std::size_t most);

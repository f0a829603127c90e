// SPDX-License-Identifier: MIT
#include "engine/Errors.h"

#include "engine/Paths.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

std::string IoMessage(int code)
{
    switch (code) {
    case IoCode::FileNotFound: return Msg::FileNotFound;
    case IoCode::PathNotFound: return Msg::InvalidFilename;
    case IoCode::TooManyOpenFiles: return Msg::TooManyOpenFiles;
    case IoCode::AccessDenied: return Msg::AccessDenied;
    case IoCode::DiskFull: return Msg::DiskFull;
    case IoCode::InvalidInput: return Msg::InvalidInput;
    default: return Format(Msg::IoError, std::to_string(code));
    }
}

// An empty folder part names the current directory.
bool IsFolder(std::string_view folder)
{
    const std::string name = folder.empty() ? std::string(".") : std::string(folder);
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

EInOutError::EInOutError(int code, int systemError)
    : EError(IoMessage(code))
    , ErrorCode(code)
    , SystemError(systemError)
{
}

std::string FormatList(const char* pattern, std::initializer_list<std::string_view> args)
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

std::string AsShown(std::string message)
{
    // A byte of a multi-byte UTF-8 sequence is above '.' as its character is.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    return message;
}

int IoCodeFromErrno(int err, const std::string& path)
{
    switch (err) {
    case ENOENT: return IsFolder(SplitPath(path).Folder) ? IoCode::FileNotFound : IoCode::PathNotFound;
    case ENOTDIR: return IoCode::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return IoCode::AccessDenied;
    case EMFILE:
    case ENFILE: return IoCode::TooManyOpenFiles;
    case ENOSPC:
    case EDQUOT: return IoCode::DiskFull;
    case EWOULDBLOCK:
    case ETXTBSY:
    case EBUSY: return IoCode::SharingViolation;
    case ENAMETOOLONG: return IoCode::NameTooLong;
    case EILSEQ: return IoCode::InvalidName;
    case ELOOP: return IoCode::CantResolveName;
    case EFBIG: return IoCode::FileTooLarge;
    case EINVAL: return IoCode::InvalidParameter;
    default: return IoCode::DeviceError;
    }
}

void ThrowIo(int err, const std::string& path)
{
    throw EInOutError(IoCodeFromErrno(err, path), err);
}

std::string SystemReason(int err)
{
    switch (err) {
    case ENOENT: return ReasonMsg::NoSuchFile;
    case ENOTDIR: return ReasonMsg::NotFolder;
    case EACCES:
    case EPERM: return ReasonMsg::NoRights;
    case EROFS: return ReasonMsg::ReadOnlyDisk;
    case EISDIR: return ReasonMsg::IsFolder;
    case ELOOP: return ReasonMsg::LinkLoop;
    case ENAMETOOLONG: return ReasonMsg::NameTooLong;
    case ENOSPC:
    case EDQUOT: return ReasonMsg::DiskFull;
    case EMFILE:
    case ENFILE: return ReasonMsg::TooManyFiles;
    case EFBIG: return ReasonMsg::TooLarge;
    case EWOULDBLOCK:
    case ETXTBSY:
    case EBUSY: return ReasonMsg::Busy;
    case EILSEQ: return ReasonMsg::BadName;
    case EIO: return ReasonMsg::DeviceError;
    default: return Format(ReasonMsg::Other, std::to_string(err));
    }
}

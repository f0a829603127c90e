// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

// Windows file error codes, kept because the messages and their numbers are
// what students and teachers see and report.
namespace IoCode {
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int TooManyOpenFiles = 4;
inline constexpr int AccessDenied = 5;
inline constexpr int SharingViolation = 32;
inline constexpr int InvalidParameter = 87;
inline constexpr int DiskFull = 101;
inline constexpr int InvalidInput = 106;
inline constexpr int InvalidName = 123;
inline constexpr int NameTooLong = 206;
inline constexpr int FileTooLarge = 223;
inline constexpr int DeviceError = 1117;
inline constexpr int CantResolveName = 1921;
}

// The messages of the errors the program raises, each written once. The
// windows' own prompts stand in the one window that shows each.
namespace Msg {
inline constexpr const char* FileNotFound = "File not found";
inline constexpr const char* InvalidFilename = "Invalid filename";
inline constexpr const char* TooManyOpenFiles = "Too many open files";
inline constexpr const char* AccessDenied = "File access denied";
inline constexpr const char* DiskFull = "Disk full";
inline constexpr const char* InvalidInput = "Invalid numeric input";
inline constexpr const char* IoError = "I/O error %d";
inline constexpr const char* TooManyQuestions = "В файле теста больше 255 вопросов";
inline constexpr const char* InvalidTime = "'%s' is not a valid time";
inline constexpr const char* CannotOpenFile = "Cannot open file \"%s\". %s";
inline constexpr const char* MemoTooLarge = "Text exceeds memo capacity";
inline constexpr const char* FileTooLarge =
    "файл больше %d МиБ: тест или файл результатов не бывает таким большим, файл не прочитан";
}

// The tools' reasons for a failed file operation, UTF-8.
namespace ReasonMsg {
inline constexpr const char* NoSuchFile = "нет такого файла или папки";
inline constexpr const char* NotFolder = "часть пути — не папка";
inline constexpr const char* NoRights = "нет прав доступа";
inline constexpr const char* ReadOnlyDisk = "диск доступен только для чтения";
inline constexpr const char* IsFolder = "это папка";
// Why a file cannot be written there, as found on the disk.
inline constexpr const char* NoFolder = "папки «%s» нет";
inline constexpr const char* FolderReadOnly = "нет права записи в папку «%s»";
inline constexpr const char* FileReadOnly = "файл защищён от записи";
inline constexpr const char* LinkLoop = "символические ссылки замкнуты в круг или их слишком много";
inline constexpr const char* NameTooLong = "слишком длинное имя файла или пути";
inline constexpr const char* DiskFull = "не хватило места на диске";
inline constexpr const char* TooManyFiles = "открыто слишком много файлов";
inline constexpr const char* TooLarge = "файл больше, чем разрешено";
inline constexpr const char* Busy = "файл занят другой программой";
inline constexpr const char* BadName = "в имени недопустимые символы";
inline constexpr const char* DeviceError = "ошибка ввода-вывода";
inline constexpr const char* Other = "системная ошибка %d";
}

// Any failure the program reports; what() is the exact text shown to the user
// (UTF-8).
class EError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failed file operation, carrying its Windows error code and, when the
// system reported it, the errno behind it (else 0).
class EInOutError : public EError {
public:
    explicit EInOutError(int code, int systemError = 0);
    const int ErrorCode;
    const int SystemError;
};

// Fills a message's "%s" and "%d" placeholders in order with the texts
// given; placeholders beyond them are kept as they are.
std::string FormatList(const char* pattern, std::initializer_list<std::string_view> args);

template <class... Args>
std::string Format(const char* pattern, const Args&... args)
{
    return FormatList(pattern, {std::string_view(args)...});
}

// A message as the error box shows it: with "." added when its last
// character comes after "." in code order.
std::string AsShown(std::string message);

// Maps a Linux errno to the Windows error code reported for it. `path` tells a
// missing file from a missing folder on the way to it.
int IoCodeFromErrno(int err, const std::string& path);

[[noreturn]] void ThrowIo(int err, const std::string& path);

// Why a file operation failed, in the teacher's words, for the tools that
// speak Russian (the student's program keeps the messages above).
std::string SystemReason(int err);

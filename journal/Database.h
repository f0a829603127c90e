// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Errors.h"
#include "journal/Journal.h"

#include <QString>
#include <memory>
#include <string>
#include <vector>

// Why the journal's database cannot be used, UTF-8; the first "%s" is always
// the database as given.
namespace DatabaseMsg {
inline constexpr const char* NoDriver = "база журнала «%s»: нет драйвера Qt SQL %s (пакет %s)";
inline constexpr const char* NoFolder = "база журнала «%s»: папка не создана";
inline constexpr const char* CannotOpen = "база журнала «%s» не открыта: %s";
inline constexpr const char* Locked =
    "база журнала «%s» занята другой программой (ждали %d с): закройте её и повторите";
inline constexpr const char* NoSuchFolder = "база журнала «%s» не открыта: папки «%s» нет";
inline constexpr const char* ReadOnly = "база журнала «%s» доступна только для чтения: журнал не может в неё записать";
inline constexpr const char* NotDatabase = "«%s» — не база SQLite или она повреждена: %s";
inline constexpr const char* OtherProgram = "«%s» — база другой программы, а не журнала: журнал её не изменит";
inline constexpr const char* Newer =
    "база журнала «%s» записана более новой версией ekzamo-journal (схема %d, эта версия знает схемы до %d): "
    "обновите программу";
inline constexpr const char* ServerRefused = "сервер PostgreSQL не открыл базу журнала «%s»: %s";
inline constexpr const char* DiskFull =
    "база журнала «%s»: не хватило места на диске, файл «%s» не сохранён; сохранённое раньше цело";
inline constexpr const char* FileFailed = "база журнала «%s»: файл «%s» не сохранён: %s";
inline constexpr const char* Failed = "база журнала «%s»: %s";
}

// The journal's record: every results file collected, with its class,
// student and test, kept in SQLite or PostgreSQL through Qt SQL. Every
// failure raises EError with the message to print (exit status 2).
class TDatabase {
public:
    // "postgresql://user@host/db" (libpq's URL; the password as libpq finds
    // it), an SQLite file, or "" for the teacher's own SQLite file in the
    // application's data folder. Creates or migrates the schema.
    static std::unique_ptr<TDatabase> Open(const std::string& where);
    virtual ~TDatabase() = default;

    virtual std::vector<QString> Classes() = 0;
    // The class list as given, empty when none is stored.
    virtual std::vector<QString> ClassList(const QString& cls) = 0;
    virtual void SetClassList(const QString& cls, const std::vector<QString>& names) = 0;

    // Stores the files new or changed since they were last collected, each in
    // a transaction of its own; a file that is not a whole results file is
    // named in `warnings` and left to the next collection. Returns how many
    // were stored.
    virtual std::size_t Collect(const QString& cls, const std::vector<TFoundFile>& files,
        std::vector<TWarning>& warnings) = 0;
    // Every attempt of the class, content held.
    virtual std::vector<TAttemptFile> Attempts(const QString& cls) = 0;

    // The teacher's test files, by test.
    virtual void SetKey(const QString& cls, const QString& test, const std::string& path, const std::string& bytes) = 0;
    struct TStoredKey {
        QString Test;
        std::string Path;
        std::string Bytes;
    };
    virtual std::vector<TStoredKey> Keys(const QString& cls) = 0;
};

// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Errors.h"
#include "journal/Journal.h"

#include <QString>
#include <memory>
#include <string>
#include <vector>

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

// SPDX-License-Identifier: MIT
// The journal's database: the schema kept and refused, files collected once,
// changes kept as new attempts, broken files left for the next collection.
// The collection cases run on SQLite and, when EKZAMO_TEST_PG names a server
// (tests/journal/with-postgres.sh), on PostgreSQL too.
#include "journal/Database.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/mount.h>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A whole results file of one question; `right` picks the answer given.
std::string Results(bool right, const std::string& wording = "2+2?")
{
    const std::string given = right ? "1" : "2";
    return Cp("Вы ответили правильно на ") + (right ? "1" : "0") + Cp(" вопрос(-а/-ов) из 1\r\n")
        + std::string(63, '=') + "\r\n" + Cp("Вопрос:\r\nСколько будет ") + wording
        + Cp("\r\nВарианты ответов:\r\n") + "1. 4\r\n2. 5\r\n" + Cp("Ваш ответ: ") + given + "\r\n"
        + Cp("Правильный ответ: 1\r\n");
}

// Runs SQL on a connection of the test's own, as another program would.
void Sql(const QString& driver, const QString& where, const std::vector<QString>& statements)
{
    const QString name = QStringLiteral("test-%1").arg(std::rand());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
        if (driver == QLatin1String("QPSQL")) {
            // The socket's folder and the database of with-postgres.sh's URL.
            const QUrl url(where);
            db.setUserName(url.userName());
            db.setDatabaseName(url.path().mid(1));
            db.setConnectOptions(QStringLiteral("host=") + QUrlQuery(url).queryItemValue(QStringLiteral("host")));
        } else {
            db.setDatabaseName(where);
        }
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        for (const QString& s : statements) {
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

std::string RefusalOf(const std::string& where)
{
    try {
        TDatabase::Open(where);
    } catch (const EError& e) {
        return e.what();
    }
    return "(opened)";
}

std::string Shown(const char* pattern, const std::string& where)
{
    const std::string text = Format(pattern, where);
    return text.substr(0, text.find('%'));
}

// ---- The schema and the files SQLite refuses.

class DatabaseFile : public ::testing::Test {
protected:
    TempFolder tmp;
    std::string file = tmp.Path("journal.sqlite");
};

TEST_F(DatabaseFile, SchemaIsCreatedThenReopenedWithWhatWasStored)
{
    TDatabase::Open(file)->SetKey(QStringLiteral("9А"), QStringLiteral("Информатика"), "inf.txt", "ключ");
    const auto db = TDatabase::Open(file);
    ASSERT_EQ(db->Keys(QStringLiteral("9А")).size(), 1u);
    EXPECT_EQ(db->Keys(QStringLiteral("9А"))[0].Bytes, "ключ");
    EXPECT_EQ(db->Classes(), std::vector<QString>{QStringLiteral("9А")});
}

TEST_F(DatabaseFile, SeveralOpenAtOnceInOneProcess)
{
    const auto a = TDatabase::Open(file);
    const auto b = TDatabase::Open(tmp.Path("other.sqlite"));
    a->SetClassList(QStringLiteral("A"), {QStringLiteral("Иванов")});
    EXPECT_TRUE(b->Classes().empty());
    EXPECT_EQ(a->Classes().size(), 1u);
}

struct TRefusal {
    const char* Name;
    std::function<void(const std::string& file)> Make;
    const char* Message;
};

class DatabaseRefused : public DatabaseFile, public ::testing::WithParamInterface<TRefusal> {};

TEST_P(DatabaseRefused, WithItsMessageAndTheFileUnchanged)
{
    GetParam().Make(file);
    const std::string before = ReadBytes(file);
    EXPECT_EQ(RefusalOf(file).substr(0, Shown(GetParam().Message, file).size()), Shown(GetParam().Message, file));
    EXPECT_TRUE(ReadBytes(file) == before) << "the file was changed";
}

const TRefusal Refusals[] = {
    {"NewerVersion",
        [](const std::string& f) {
            TDatabase::Open(f);
            Sql(QStringLiteral("QSQLITE"), QString::fromStdString(f),
                {QStringLiteral("PRAGMA journal_mode=DELETE"), QStringLiteral("UPDATE meta SET value = '99'")});
        },
        DatabaseMsg::Newer},
    {"NotADatabase",
        [](const std::string& f) {
            std::string bytes;
            for (int i = 0; i < 200; ++i)
                bytes += "это не база данных\n";
            FILE* out = fopen(f.c_str(), "wb");
            fwrite(bytes.data(), 1, bytes.size(), out);
            fclose(out);
        },
        DatabaseMsg::NotDatabase},
    {"OtherProgramsDatabase",
        [](const std::string& f) {
            Sql(QStringLiteral("QSQLITE"), QString::fromStdString(f), {QStringLiteral("CREATE TABLE notes (t TEXT)")});
        },
        DatabaseMsg::OtherProgram},
};
INSTANTIATE_TEST_SUITE_P(Sqlite, DatabaseRefused, ::testing::ValuesIn(Refusals),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DatabaseFile, ReadOnlyIsRefusedAndUnchanged)
{
    std::string where = file;
    std::string mounted;
    if (geteuid() == 0) {
        // Root writes through any mode: a read-only mount is what stops it.
        mounted = tmp.Path("ro");
        std::filesystem::create_directory(mounted);
        if (mount("tmpfs", mounted.c_str(), "tmpfs", 0, "size=4m") != 0)
            GTEST_SKIP() << "mount is not permitted here: read-only cannot be made as root";
        where = mounted + "/journal.sqlite";
    }
    TDatabase::Open(where)->SetClassList(QStringLiteral("9А"), {QStringLiteral("Иванов")});
    if (!mounted.empty())
        ASSERT_EQ(mount("tmpfs", mounted.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=4m"), 0);
    else
        chmod(where.c_str(), 0444);
    const std::string before = ReadBytes(where);
    EXPECT_EQ(RefusalOf(where), Format(DatabaseMsg::ReadOnly, where));
    EXPECT_TRUE(ReadBytes(where) == before) << "the file was changed";
    if (!mounted.empty())
        umount(mounted.c_str());
}

TEST_F(DatabaseFile, LockedIsRefusedAfterWaiting)
{
    TDatabase::Open(file);
    const QString name = QStringLiteral("holder");
    {
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        holder.setDatabaseName(QString::fromStdString(file));
        ASSERT_TRUE(holder.open());
        QSqlQuery q(holder);
        ASSERT_TRUE(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO classes (name) VALUES ('x')")));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(RefusalOf(file), Format(DatabaseMsg::Locked, file, std::string("3")));
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        q.exec(QStringLiteral("ROLLBACK"));
    }
    QSqlDatabase::removeDatabase(name);
}

TEST(DatabaseServer, DownIsRefusedNamingTheDatabase)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        GTEST_SKIP() << "no QPSQL driver (libqt6sql6-psql)";
    const std::string where = "postgresql://nobody@/journal?host=/nonexistent-ekzamo-socket";
    EXPECT_EQ(RefusalOf(where).substr(0, Shown(DatabaseMsg::ServerRefused, where).size()),
        Shown(DatabaseMsg::ServerRefused, where));
}

TEST_F(DatabaseFile, AFullDiskStopsAtTheFileThatDidNotFitAndKeepsTheRest)
{
    const std::string disk = tmp.Path("disk");
    std::filesystem::create_directory(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "mount is not permitted here: no small disk to fill";
    const std::string where = disk + "/journal.sqlite";
    std::vector<TFoundFile> files;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "s" + std::to_string(i) + ".out";
        const std::string native = tmp.Write(name, Results(true, std::to_string(i) + std::string(60000, 'x')));
        files.push_back({QStringLiteral("s%1").arg(i), QStringLiteral("inf"), name, native, StampOf(native)});
    }
    std::string message;
    std::vector<TWarning> warnings;
    try {
        TDatabase::Open(where)->Collect(QStringLiteral("9А"), files, warnings);
    } catch (const EError& e) {
        message = e.what();
    }
    std::size_t failed = 0;
    while (failed < files.size() && message.find("«" + files[failed].Path + "»") == std::string::npos)
        ++failed;
    EXPECT_EQ(message, Format(DatabaseMsg::DiskFull, where, failed < files.size() ? files[failed].Path : "?"));
    const std::vector<TAttemptFile> kept = TDatabase::Open(where)->Attempts(QStringLiteral("9А"));
    EXPECT_GT(kept.size(), 0u);
    EXPECT_EQ(kept.size(), failed);
    for (const TAttemptFile& a : kept)
        EXPECT_TRUE(a.Content == ReadBytes(tmp.Path(a.Path))) << a.Path;
    umount(disk.c_str());
}

TEST_F(DatabaseFile, AJournalKilledWhileCollectingLeavesWholeFilesAndTheNextRunTheRest)
{
    std::vector<TFoundFile> files;
    for (int i = 0; i < 1000; ++i) {
        const std::string name = "s" + std::to_string(i) + ".out";
        const std::string native = tmp.Write(name, Results(i % 2, std::to_string(i) + std::string(3000, 'x')));
        files.push_back({QStringLiteral("s%1").arg(i), QStringLiteral("inf"), name, native, StampOf(native)});
    }
    TDatabase::Open(file);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::vector<TWarning> warnings;
        TDatabase::Open(file)->Collect(QStringLiteral("9А"), files, warnings);
        _exit(0);
    }
    // Killed once some hundred files are in the log, well before the end.
    const std::string wal = file + "-wal";
    struct stat st {};
    for (int i = 0; i < 5000 && (stat(wal.c_str(), &st) != 0 || st.st_size < 400000); ++i)
        usleep(1000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the collection ended before it was killed";

    {
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        check.setDatabaseName(QString::fromStdString(file));
        ASSERT_TRUE(check.open());
        QSqlQuery q(check);
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    const auto db = TDatabase::Open(file);
    const std::vector<TAttemptFile> kept = db->Attempts(QStringLiteral("9А"));
    EXPECT_GT(kept.size(), 0u);
    EXPECT_LT(kept.size(), files.size());
    for (const TAttemptFile& a : kept)
        EXPECT_TRUE(a.Content == ReadBytes(tmp.Path(a.Path))) << a.Path;
    std::vector<TWarning> warnings;
    EXPECT_EQ(db->Collect(QStringLiteral("9А"), files, warnings), files.size() - kept.size());
    EXPECT_EQ(db->Attempts(QStringLiteral("9А")).size(), files.size());
}

// ---- Collecting, on either engine.

class Collecting : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        if (std::string(GetParam()) == "Postgres") {
            const char* url = std::getenv("EKZAMO_TEST_PG");
            if (!url)
                GTEST_SKIP() << "EKZAMO_TEST_PG names no PostgreSQL server (tests/journal/with-postgres.sh)";
            where = url;
            Sql(QStringLiteral("QPSQL"), QString::fromStdString(where),
                {QStringLiteral("DROP SCHEMA public CASCADE"), QStringLiteral("CREATE SCHEMA public")});
        } else {
            where = tmp.Path("journal.sqlite");
        }
        db = TDatabase::Open(where);
    }
    TFoundFile Put(const std::string& path, const std::string& bytes)
    {
        std::filesystem::create_directories(std::filesystem::path(tmp.Path(path)).parent_path());
        const std::string native = tmp.Write(path, bytes);
        return {QString::fromStdString(path.substr(0, path.find('/'))), QStringLiteral("inf"), path, native,
            StampOf(native)};
    }
    std::size_t Collect(const std::vector<TFoundFile>& files)
    {
        warnings.clear();
        return db->Collect(cls, files, warnings);
    }

    TempFolder tmp;
    std::string where;
    std::unique_ptr<TDatabase> db;
    const QString cls = QStringLiteral("9А");
    std::vector<TWarning> warnings;
};

TEST_P(Collecting, StoresOnceAndSkipsUnchangedFilesWithoutReadingThem)
{
    const TFoundFile a = Put("Иванов/inf.out", Results(true));
    const TFoundFile b = Put("Петров/inf.out", Results(false));
    EXPECT_EQ(Collect({a, b}), 2u);
    // The same stamps, the files gone: a read would warn.
    TFoundFile goneA = a, goneB = b;
    goneA.Native = goneB.Native = tmp.Path("no such file");
    EXPECT_EQ(Collect({goneA, goneB}), 0u);
    EXPECT_TRUE(warnings.empty());
    const std::vector<TAttemptFile> stored = db->Attempts(cls);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].Student, QStringLiteral("Иванов"));
    EXPECT_EQ(stored[0].Content, Results(true));
    EXPECT_EQ(stored[1].Content, Results(false));
    EXPECT_FALSE(stored[0].Replaced.isValid());
    EXPECT_TRUE(stored[0].Collected.isValid());
}

TEST_P(Collecting, SameContentWithANewStampIsNotStoredAgain)
{
    const TFoundFile a = Put("Иванов/inf.out", Results(true));
    Collect({a});
    const TFoundFile again = Put("Иванов/inf.out", Results(true)); // written anew: a new ctime
    ASSERT_NE(again.Stamp, a.Stamp);
    EXPECT_EQ(Collect({again}), 0u);
    TFoundFile gone = again;
    gone.Native = tmp.Path("no such file");
    EXPECT_EQ(Collect({gone}), 0u);
    EXPECT_TRUE(warnings.empty()) << "the new stamp was not kept";
    EXPECT_EQ(db->Attempts(cls).size(), 1u);
}

TEST_P(Collecting, ChangedContentIsANewAttemptMarkedWithTheFirstKept)
{
    Collect({Put("Иванов/inf.out", Results(false))});
    EXPECT_EQ(Collect({Put("Иванов/inf.out", Results(true))}), 1u);
    const std::vector<TAttemptFile> stored = db->Attempts(cls);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].Content, Results(false));
    EXPECT_FALSE(stored[0].Replaced.isValid());
    EXPECT_EQ(stored[1].Content, Results(true));
    EXPECT_EQ(stored[1].Replaced, stored[0].Collected);
}

TEST_P(Collecting, AFileThatIsNotWholeIsWarnedAndLeftForNextTime)
{
    const std::string whole = Results(true);
    const TFoundFile cut = Put("Иванов/inf.out", whole.substr(0, whole.size() - 5));
    EXPECT_EQ(Collect({cut}), 0u);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].Path, cut.Path);
    EXPECT_TRUE(db->Attempts(cls).empty());
    EXPECT_EQ(Collect({Put("Иванов/inf.out", whole)}), 1u);
}

TEST_P(Collecting, ClassListIsReplacedWholeAndKeptInOrder)
{
    const std::vector<QString> first = {QStringLiteral("Яковлев"), QStringLiteral("Ёлкин"), QStringLiteral("Абрамов")};
    db->SetClassList(cls, first);
    EXPECT_EQ(TDatabase::Open(where)->ClassList(cls), first);
    db->SetClassList(cls, {QStringLiteral("Иванов")});
    EXPECT_EQ(db->ClassList(cls), std::vector<QString>{QStringLiteral("Иванов")});
    EXPECT_TRUE(db->ClassList(QStringLiteral("10Б")).empty());
}

TEST_P(Collecting, AKeyIsReplacedByTest)
{
    db->SetKey(cls, QStringLiteral("inf"), "a.txt", "один");
    const char bytes[] = "два\0три";
    const std::string binary(bytes, sizeof bytes - 1);
    db->SetKey(cls, QStringLiteral("inf"), "b.txt", binary);
    const auto keys = db->Keys(cls);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].Path, "b.txt");
    EXPECT_EQ(keys[0].Bytes, binary);
}

INSTANTIATE_TEST_SUITE_P(On, Collecting, ::testing::Values("Sqlite", "Postgres"),
    [](const auto& info) { return std::string(info.param); });

} // namespace

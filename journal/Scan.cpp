// SPDX-License-Identifier: MIT
// Finding the results files of a class and naming each by student and test.
#include "journal/Journal.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Paths.h"

#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool HasExtension(const fs::path& path, const char* ext)
{
    return QString::fromStdString(path.extension().string()).compare(QLatin1String(ext), Qt::CaseInsensitive) == 0;
}

struct TFound {
    std::string Path; // as given or found
    fs::path Relative; // below the folder given; empty for a file given by name
};

// Every folder read, by the path it was read under, so that a link to one
// is followed once.
using TWalked = std::map<TFileId, std::string>;

// One folder and its subfolders, links to folders aside: those are gathered
// in `links`, to be followed once every real folder is known. Test files
// beside the results go to `tests`.
void Walk(const fs::path& folder, TWalked& walked, std::vector<fs::path>& here, std::vector<fs::path>& tests,
    std::vector<fs::path>& links, std::vector<TWarning>& warnings)
{
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::none, error);
    if (error) {
        warnings.push_back({folder.string(), 0, Format(JournalMsg::NoAccess, SystemReason(error.value()))});
        return;
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (error)
            break;
        const fs::directory_entry& entry = *it;
        std::error_code typeError;
        if (entry.is_symlink(typeError)) {
            const fs::file_status target = fs::status(entry.path(), typeError);
            if (fs::is_directory(target)) {
                links.push_back(entry.path());
                continue;
            }
            // A link that leads nowhere may stand for a student's folder.
            if (typeError && !HasExtension(entry.path(), ".out")) {
                warnings.push_back({entry.path().string(), 0, Format(JournalMsg::BrokenLink, SystemReason(typeError.value()))});
                continue;
            }
        } else if (entry.is_directory(typeError)) {
            // A folder that cannot be listed is reported and passed by.
            std::error_code listError;
            fs::directory_iterator probe(entry.path(), listError);
            if (listError) {
                warnings.push_back({entry.path().string(), 0, Format(JournalMsg::NoAccess, SystemReason(listError.value()))});
                it.disable_recursion_pending();
            } else if (const std::optional<TFileId> id = FileIdOf(entry.path().string());
                       id && !walked.emplace(*id, entry.path().string()).second) {
                // Reached again through a link to a folder above it: read once.
                it.disable_recursion_pending();
            }
            continue;
        }
        // Copied through a FAT stick, a name may come in capitals.
        if (HasExtension(entry.path(), ".out"))
            here.push_back(entry.path());
        else if (HasExtension(entry.path(), ".txt"))
            tests.push_back(entry.path());
    }
    if (error)
        warnings.push_back({folder.string(), 0, Format(JournalMsg::NoAccess, SystemReason(error.value()))});
}

// Every results and test file under `root`, each folder read once.
void WalkAll(const std::string& arg, std::vector<fs::path>& found, std::vector<fs::path>& tests,
    std::vector<TWarning>& warnings)
{
    // A student's folder may be a link (to a share, say): it is read as a
    // folder of its own, unless it leads to a folder read already, as a
    // link back up would; then it is named, never passed over unseen.
    TWalked walked;
    if (const std::optional<TFileId> id = FileIdOf(arg))
        walked.emplace(*id, arg);
    std::vector<fs::path> folders = {fs::path(arg)};
    for (std::size_t next = 0; next < folders.size(); ++next) {
        std::vector<fs::path> links;
        Walk(folders[next], walked, found, tests, links, warnings);
        std::sort(links.begin(), links.end());
        for (const fs::path& link : links) {
            const std::optional<TFileId> id = FileIdOf(link.string());
            if (!id) {
                warnings.push_back({link.string(), 0, Format(JournalMsg::BrokenLink, SystemReason(errno))});
            } else if (const auto [place, added] = walked.emplace(*id, link.string()); !added) {
                warnings.push_back({link.string(), 0, Format(JournalMsg::LinkedAgain, place->second)});
            } else {
                folders.push_back(link);
            }
        }
    }
}

QString Shown(const fs::path& path)
{
    return FromNativePath(path.string());
}

// "informatics (2)" is a copy of "informatics", as file managers name one.
QString WithoutCopyMark(const QString& stem, bool* copy = nullptr)
{
    static const QRegularExpression mark(QStringLiteral("^(.*\\S)\\s*\\(\\d{1,3}\\)$"));
    const QRegularExpressionMatch m = mark.match(stem);
    if (copy)
        *copy = m.hasMatch();
    return m.hasMatch() ? m.captured(1) : stem;
}

std::size_t Depth(const fs::path& relative)
{
    return std::size_t(std::distance(relative.begin(), relative.end())) - 1;
}

// The folder `level` steps below the folder given.
QString FolderAt(const fs::path& relative, std::size_t level)
{
    auto it = relative.begin();
    std::advance(it, level);
    return Shown(*it);
}

// How deep below the folder given most files lie: the students' or the
// tests' folders; a file deeper is in a folder of its own within one.
std::size_t CommonDepth(const std::vector<TFound>& files)
{
    std::map<std::size_t, std::size_t> depths;
    for (const TFound& f : files)
        ++depths[Depth(f.Relative)];
    std::size_t best = 0, most = 0;
    for (const auto& [depth, count] : depths)
        if (count > most) {
            most = count;
            best = depth;
        }
    return best;
}

// Two layouts, one per folder given: a folder per student holding a file
// per test (9А/Иванов/algebra.out), or a folder per test holding a file per
// student (algebra/Иванов.out). The class list tells them apart where there
// is one: its names are the folders or the files. Then the test file the
// program wrote its results beside does. Last, a file name met in more than
// one folder is a test's.
bool FolderPerStudent(const std::vector<TFound>& files, const std::vector<fs::path>& tests, std::size_t depth,
    const std::vector<QString>& classList)
{
    std::map<QString, std::set<QString>> stems; // each file name's folders
    std::set<QString> folders;
    for (const TFound& f : files)
        if (Depth(f.Relative) >= depth) {
            folders.insert(StudentKey(FolderAt(f.Relative, depth - 1)));
            stems[StudentKey(WithoutCopyMark(Shown(f.Relative.stem())))].insert(FolderAt(f.Relative, depth - 1));
        }
    if (!classList.empty()) {
        std::size_t byFolder = 0, byFile = 0;
        for (const QString& name : classList) {
            byFolder += folders.count(StudentKey(name));
            byFile += stems.count(StudentKey(name));
        }
        if (byFolder != byFile)
            return byFolder > byFile;
    }
    std::set<fs::path> beside;
    for (const fs::path& t : tests)
        beside.insert(t.parent_path() / t.stem());
    for (const TFound& f : files)
        if (beside.count(fs::path(f.Path).parent_path() / fs::path(f.Path).stem()))
            return true;
    return std::any_of(stems.begin(), stems.end(), [](const auto& s) { return s.second.size() > 1; });
}

// The test file beside the results that every copy agrees on: the one in
// the folder given, or the copies handed out to each student when they are
// all alike.
void FindKeys(const std::vector<fs::path>& tests, const fs::path& root, std::map<QString, std::string>& keys,
    std::vector<TWarning>& warnings)
{
    std::map<QString, std::vector<fs::path>> byTest;
    for (const fs::path& t : tests)
        byTest[TestKey(Shown(t.stem()))].push_back(t);
    for (auto& [key, paths] : byTest) {
        if (keys.count(key))
            continue;
        const auto top = std::find_if(paths.begin(), paths.end(), [&](const fs::path& p) { return p.parent_path() == root; });
        if (top != paths.end()) {
            keys[key] = top->string();
            continue;
        }
        std::optional<std::string> first;
        bool alike = true;
        for (const fs::path& p : paths) {
            const std::optional<std::string> bytes = ReadWholeFile(p.string(), MaxFileSize);
            if (!bytes || (first && *bytes != *first)) {
                alike = false;
                break;
            }
            first = bytes;
        }
        if (alike)
            keys[key] = paths.front().string();
        else
            warnings.push_back({root.string(), 0, Format(JournalMsg::KeyCopiesDiffer, Shown(paths.front().filename()).toStdString())});
    }
}

} // namespace

TFileStamp StampOf(const std::string& path)
{
    struct stat st {};
    TFileStamp stamp;
    if (::stat(path.c_str(), &st) != 0)
        return stamp;
    stamp.Size = st.st_size;
    stamp.ModifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.ChangedNs = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.Id = {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
    return stamp;
}

QString StudentKey(const QString& name)
{
    QString key = name.simplified().toLower();
    key.replace(QChar(0x0451), QChar(0x0435)); // ё is е in a name
    return key;
}

QString TestKey(const QString& name)
{
    return name.simplified().toLower();
}

TFolderScan ScanFolders(const std::vector<std::string>& paths, const std::vector<QString>& classList)
{
    TFolderScan scan;
    std::vector<TFound> files;
    for (const std::string& arg : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(arg, error);
        if (error || !fs::exists(status)) {
            scan.Warnings.push_back({arg, 0, SystemReason(error ? error.value() : ENOENT)});
            continue;
        }
        if (!fs::is_directory(status)) {
            files.push_back({arg, {}});
            continue;
        }
        std::vector<fs::path> found, tests;
        WalkAll(arg, found, tests, scan.Warnings);
        std::sort(found.begin(), found.end());
        std::vector<TFound> here;
        for (const fs::path& f : found)
            here.push_back({f.string(), f.lexically_relative(arg)});
        const std::size_t depth = CommonDepth(here);
        const bool perStudent = depth > 0 && FolderPerStudent(here, tests, depth, classList);
        const fs::path root = fs::absolute(arg).lexically_normal();
        const QString rootName = Shown(root.filename().empty() ? root.parent_path().filename() : root.filename());
        std::set<QString> classes;
        for (TFound& f : here) {
            bool copy = false;
            const QString stem = WithoutCopyMark(Shown(f.Relative.stem()), &copy);
            TFoundFile file;
            file.Path = f.Relative.string();
            file.Native = f.Path;
            if (Depth(f.Relative) < depth) {
                // Beside the students' folders: not a student's.
                scan.Warnings.push_back({f.Path, 0, JournalMsg::NotInStudentFolder});
                continue;
            }
            if (depth == 0) {
                // A folder of one test's files.
                file.Student = stem;
                file.Test = rootName;
            } else if (perStudent) {
                file.Student = FolderAt(f.Relative, depth - 1);
                file.Test = stem;
            } else {
                file.Test = FolderAt(f.Relative, depth - 1);
                file.Student = stem;
            }
            classes.insert(depth >= 2 ? FolderAt(f.Relative, depth - 2) : rootName);
            if (copy)
                scan.Warnings.push_back({f.Path, 0, Format(JournalMsg::CopyRead, file.Student.toStdString(), file.Test.toStdString())});
            else if (Depth(f.Relative) > depth)
                scan.Warnings.push_back({f.Path, 0, Format(JournalMsg::NestedRead, file.Student.toStdString(), file.Test.toStdString())});
            file.Stamp = StampOf(f.Path);
            scan.Files.push_back(std::move(file));
        }
        FindKeys(tests, fs::path(arg), scan.Keys, scan.Warnings);
        if (paths.size() == 1)
            scan.Class = classes.size() == 1 ? *classes.begin() : rootName;
    }

    // Files given by name: a file whose name is met in more than one folder
    // is a test's results in a folder per student, any other a student's in
    // a folder per test.
    std::map<QString, std::set<std::string>> named;
    for (const TFound& f : files)
        if (f.Relative.empty()) {
            const fs::path a = fs::absolute(f.Path).lexically_normal();
            named[TestKey(WithoutCopyMark(Shown(a.stem())))].insert(a.parent_path().string());
        }
    for (const TFound& f : files) {
        if (!f.Relative.empty())
            continue;
        const fs::path a = fs::absolute(f.Path).lexically_normal();
        TFoundFile file;
        const QString stem = WithoutCopyMark(Shown(a.stem()));
        const QString folder = Shown(a.parent_path().filename());
        if (named[TestKey(stem)].size() > 1) {
            file.Student = folder;
            file.Test = stem;
        } else {
            file.Student = stem;
            file.Test = folder;
        }
        file.Path = f.Path;
        file.Native = f.Path;
        file.Stamp = StampOf(f.Path);
        scan.Files.push_back(std::move(file));
    }

    // The same file named twice (a folder and a file in it) is read once.
    std::set<TFileId> seen;
    std::set<fs::path> unknown; // files that cannot be told by their identity
    std::vector<TFoundFile> unique;
    for (TFoundFile& f : scan.Files) {
        const std::optional<TFileId> id = FileIdOf(f.Native);
        if (id ? seen.insert(*id).second : unknown.insert(fs::absolute(f.Native).lexically_normal()).second)
            unique.push_back(std::move(f));
    }
    scan.Files = std::move(unique);
    scan.Inputs.assign(seen.begin(), seen.end());
    return scan;
}

std::vector<TAttemptFile> AttemptsOf(const TFolderScan& scan)
{
    const QDateTime now = QDateTime::currentDateTime();
    std::vector<TAttemptFile> attempts;
    attempts.reserve(scan.Files.size());
    for (const TFoundFile& f : scan.Files) {
        TAttemptFile a;
        a.Student = f.Student;
        a.Test = f.Test;
        a.Path = f.Path;
        a.Native = f.Native;
        a.Written = QDateTime::fromMSecsSinceEpoch(f.Stamp.ModifiedNs / 1000000);
        a.Collected = now;
        attempts.push_back(std::move(a));
    }
    return attempts;
}

// SPDX-License-Identifier: MIT
// Started from the menu: the folder is asked for, the report is written to
// the teacher's data folder and opened in the browser; what was left out is
// told in a message box.
#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "journal/Cli.h"
#include "journal/Reports.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTranslator>
#include <QUrl>
#include <exception>

namespace {

QString Title()
{
    return QStringLiteral("Ekzamo — журнал результатов");
}

// The report goes to the teacher's own data folder, never into the class
// folder: students who hand in over a share can write there, so they could
// read everyone's grades, alter the report, or leave a link in its place.
// It is named after the class folder, so that each class keeps its own.
QString ReportPath(const QString& folder)
{
    const QString reports = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (reports.isEmpty() || !QDir().mkpath(reports)
        || !QFile::setPermissions(reports, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        throw EError(Format(JournalMsg::NoReportFolder, ToNativePath(reports)));
    const QString name = QFileInfo(folder).fileName();
    return QDir(reports).filePath(name.isEmpty() ? QString::fromLatin1(JournalMsg::DefaultHtml) : name + QStringLiteral(".html"));
}

int Run()
{
    const QString folder = QFileDialog::getExistingDirectory(nullptr,
        QStringLiteral("Папка с результатами учеников"), QDir::homePath());
    if (folder.isEmpty())
        return 0;
    const TScale scale = ParseScale(DefaultScale);
    const TJournal journal = BuildJournal({ToNativePath(folder)}, scale);
    QStringList lines;
    for (const TWarning& warning : journal.Warnings)
        lines << QString::fromStdString(WarningLine(warning));
    if (journal.Used == 0) {
        QMessageBox box(QMessageBox::Warning, Title(),
            journal.Files == 0 ? QStringLiteral("В папке «%1» нет файлов результатов (*.out).").arg(folder)
                               : QStringLiteral("Ни один файл результатов в папке «%1» не вошёл в журнал.").arg(folder));
        box.setDetailedText(lines.join(u'\n'));
        box.exec();
        return 2;
    }
    TJournalArgs args;
    args.Html = ToNativePath(ReportPath(folder));
    WriteOutputs(journal, scale, args, false);
    if (!journal.Warnings.empty()) {
        QMessageBox box(QMessageBox::Information, Title(),
            QStringLiteral("В журнал вошли не все файлы: не учтено %1 из %2. Подробности — в начале отчёта.")
                .arg(journal.Files - journal.Used).arg(journal.Files));
        box.setDetailedText(lines.join(u'\n'));
        box.exec();
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromNativePath(args.Html)));
    return ExitStatus(journal);
}

} // namespace

int RunDialog(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ekzamo"));
    QApplication::setApplicationName(QStringLiteral("ekzamo-journal"));
    QApplication::setApplicationDisplayName(Title());
    // Qt's own dialogs speak Russian, as the program's do, when their
    // translation is installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    try {
        return Run();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, Title(), QString::fromUtf8(error.what()));
        return 2;
    }
}

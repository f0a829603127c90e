// SPDX-License-Identifier: MIT
#include "tests/TestUtil.h"

#include "engine/Ansi.h"
#include "engine/Ques.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

void ResetEngine()
{
    for (auto& q : Questions)
        q.reset();
    for (auto& q : TestOrder)
        q.reset();
    std::memset(Answers, 0, sizeof Answers);
    QuestionCount = 0;
    CurrentPos = 0;
    TestFileName.clear();
    ResultFileName.clear();
    TestDuration.clear();
    DetailedResults = false;
}

TempFolder::TempFolder()
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
}

TempCurrentFolder::TempCurrentFolder()
    : old_(QDir::currentPath())
{
    QDir::setCurrent(QString::fromStdString(Path("")));
}

TempCurrentFolder::~TempCurrentFolder()
{
    QDir::setCurrent(old_);
}

std::string TempFolder::Path(const std::string& name) const
{
    return dir_.path().toStdString() + "/" + name;
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Cp(const char* utf8)
{
    return ToAnsi(QString::fromUtf8(utf8));
}

std::string MakeTest(int count, int options, const char* eol)
{
    std::string bytes;
    for (int k = 1; k <= count; ++k) {
        bytes += Cp("Вопрос ") + std::to_string(k) + eol + std::to_string(options) + eol + "1" + eol;
        for (int i = 1; i <= options; ++i)
            bytes += Cp("Ответ ") + std::to_string(k) + "." + std::to_string(i) + eol;
    }
    return bytes;
}

QString Score(int right, int total)
{
    return QStringLiteral("Вы ответили правильно на %1 вопрос(-а/-ов) из %2").arg(right).arg(total);
}

bool CanReadPdf()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

QString PdfText(const QString& pdf, bool layout)
{
    QStringList args {pdf, QStringLiteral("-")};
    if (layout)
        args.prepend(QStringLiteral("-layout"));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), args);
    EXPECT_TRUE(text.waitForFinished(30000)) << pdf.toStdString();
    return QString::fromUtf8(text.readAllStandardOutput());
}

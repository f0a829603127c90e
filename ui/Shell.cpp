// SPDX-License-Identifier: MIT
#include "ui/Shell.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <cctype>
#include <ctime>

static bool InitAssets()
{
    Q_INIT_RESOURCE(assets);
    return true;
}

namespace {

void ShowBox(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, ApplicationTitle(), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

// Reads one to `most` digits as a number, or -1.
int ScanNumber(const std::string& text, std::size_t& pos, std::size_t most)
{
    int value = 0;
    std::size_t digits = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) && digits < most) {
        value = value * 10 + (text[pos++] - '0');
        ++digits;
    }
    return digits == 0 ? -1 : value;
}

void SkipBlanks(const std::string& text, std::size_t& pos)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
}

bool ParseTime(const std::string& text, std::int64_t& ms)
{
    std::size_t pos = 0;
    SkipBlanks(text, pos);
    const int hours = ScanNumber(text, pos, 2);
    if (hours < 0 || pos >= text.size() || text[pos++] != ':')
        return false;
    const int minutes = ScanNumber(text, pos, 2);
    int seconds = 0;
    int millis = 0;
    if (minutes < 0)
        return false;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if ((seconds = ScanNumber(text, pos, 2)) < 0)
            return false;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            const std::size_t start = pos;
            if ((millis = ScanNumber(text, pos, 3)) < 0)
                return false;
            for (std::size_t d = pos - start; d < 3; ++d)
                millis *= 10;
        }
    }
    SkipBlanks(text, pos);
    int hour = hours;
    if (pos + 2 <= text.size()) {
        const char m0 = char(std::toupper(static_cast<unsigned char>(text[pos])));
        const char m1 = char(std::toupper(static_cast<unsigned char>(text[pos + 1])));
        if ((m0 == 'A' || m0 == 'P') && m1 == 'M') {
            if (hours < 1 || hours > 12)
                return false;
            hour = hours % 12 + (m0 == 'P' ? 12 : 0);
            pos += 2;
            SkipBlanks(text, pos);
        }
    }
    if (pos != text.size() || hour > 23 || minutes > 59 || seconds > 59)
        return false;
    ms = ((std::int64_t(hour) * 60 + minutes) * 60 + seconds) * 1000 + millis;
    return true;
}

} // namespace

QString ApplicationTitle()
{
    return TitleFromFileName(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QString TitleFromFileName(const QString& fileName)
{
    const QString name = fileName.left(fileName.indexOf(u'.'));
    return name.left(1) + name.mid(1).toLower();
}

void ShowMessage(const QString& text)
{
    ShowBox(QMessageBox::NoIcon, text);
}

void HandleException(const std::exception& error)
{
    QString text = QString::fromUtf8(error.what());
    if (!text.isEmpty() && text.back() > u'.')
        text += u'.';
    ShowBox(QMessageBox::Critical, text);
}

void HandleUnknownException()
{
    ShowBox(QMessageBox::Critical, QStringLiteral("Unknown error."));
}

std::string TimeToStr(std::int64_t milliseconds)
{
    const std::int64_t seconds = (milliseconds < 0 ? -milliseconds : milliseconds) / 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", int(seconds / 3600 % 24), int(seconds / 60 % 60),
                  int(seconds % 60));
    return text;
}

std::int64_t StrToTime(const std::string& text)
{
    std::int64_t ms = 0;
    if (!ParseTime(text, ms))
        throw EError(Format(Msg::InvalidTime, FromAnsi(text).toStdString()));
    return ms;
}

std::int64_t ElapsedClockMs()
{
    timespec ts {};
    ::clock_gettime(CLOCK_BOOTTIME, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + (ts.tv_nsec + 500000) / 1000000;
}

void SetPixelFont(QWidget* widget, const QString& family, int pixels, bool bold, bool italic)
{
    QFont font;
    if (family.isEmpty()) {
        // MS Sans Serif where it exists, else Arial's metrics, which are close
        // to it and keep the fixed-width captions within their controls.
        font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                          QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
    } else {
        font.setFamily(family);
    }
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    widget->setFont(font);
}

QPixmap Asset(const QString& name)
{
    static const bool ready = InitAssets();
    (void)ready;
    return QPixmap(QStringLiteral(":/") + name);
}

std::string ResultNameFor(const std::string& testFile)
{
    const std::size_t slash = testFile.find_last_of('/');
    const std::size_t dot = testFile.find_last_of('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string result = (hasExt ? testFile.substr(0, dot) : testFile) + ".out";
    // A test that is itself named .out must not be overwritten by its results.
    return result == testFile ? result + ".out" : result;
}

std::string TestNameOf(const std::string& testFile)
{
    const std::size_t slash = testFile.find_last_of('/');
    std::string name = slash == std::string::npos ? testFile : testFile.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

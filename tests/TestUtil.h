// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

// Puts the engine's tables and the settings back to their start-up state.
void ResetEngine();

// A scratch folder removed with the fixture.
class TempFolder {
public:
    TempFolder();
    std::string Path(const std::string& name) const;
    // Writes bytes exactly as given and returns the full path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    QTemporaryDir dir_;
};

// A scratch folder that is the current folder for its lifetime.
class TempCurrentFolder : public TempFolder {
public:
    TempCurrentFolder();
    ~TempCurrentFolder();

private:
    QString old_;
};

// A window's control by its object name; a missing one fails the test.
template <class T>
T* Find(const QObject* window, const char* name)
{
    T* control = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

std::string ReadBytes(const std::string& path);

// Windows-1251 bytes of UTF-8 source text, for building expected file content.
std::string Cp(const char* utf8);

// A test file of `count` questions "Вопрос k", each with `options` options
// "Ответ k.i", the first one right, every line ending in `eol`.
std::string MakeTest(int count, int options = 2, const char* eol = "\r\n");

// Whether pdftotext (poppler-utils) is installed to read PDFs back.
bool CanReadPdf();
// A PDF's text as pdftotext reads it, its pages parted by form feeds;
// `layout` keeps each page's layout. A reading that does not end fails the
// test.
QString PdfText(const QString& pdf, bool layout = true);

// The score line as the program shows it.
QString Score(int right, int total);

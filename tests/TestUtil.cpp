// SPDX-License-Identifier: MIT
#include "tests/TestUtil.h"

#include "engine/Ansi.h"
#include "engine/Ques.h"

#include <QDir>
#include <QScreen>
#include <QWidget>
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

void ExpectDesignPosition(const QWidget* window, const QPoint& designed)
{
    const QRect area = window->screen()->availableGeometry();
    const QRect outer = window->frameGeometry();
    if (area.contains(QRect(designed, outer.size()))) {
        EXPECT_EQ(outer.topLeft(), designed);
        return;
    }
    auto fitted = [](int at, int size, int low, int extent) {
        return size <= extent ? at >= low && at + size <= low + extent : at == low;
    };
    EXPECT_TRUE(fitted(outer.x(), outer.width(), area.x(), area.width())) << "left " << outer.x();
    EXPECT_TRUE(fitted(outer.y(), outer.height(), area.y(), area.height())) << "top " << outer.y();
}

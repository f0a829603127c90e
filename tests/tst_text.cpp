// SPDX-License-Identifier: MIT
// The text rules as every tool applies them: ekzamo-check, the editor's
// open and import, and ekzamo-convert each take the same bytes the same way.
#include "editor/EditorWindow.h"
#include "engine/Check.h"
#include "engine/Errors.h"
#include "engine/Formats.h"
#include "engine/Text.h"
#include "tests/DialogAnswerer.h"
#include "tests/TestUtil.h"

#include <QApplication>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome RunTool(const char* program, const QStringList& args)
{
    QProcess process;
    process.start(QString::fromUtf8(program), args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
        process.readAllStandardError().toStdString()};
}

bool Holds(const std::string& text, const char* part)
{
    const std::string fixed(part, std::string_view(part).find('%') == std::string_view::npos
            ? std::string_view(part).size() : std::string_view(part).find('%'));
    return text.find(fixed) != std::string::npos;
}

// How the bytes of a wording read as an Ekzamo test and as GIFT.
enum class TAsTest { Cp1251, Utf8, NotText };
enum class TAsGift { Text, NotUtf8, NotText };

struct Row {
    const char* name;
    std::string wording; // the first line's bytes
    std::string tail; // after the question, as the file ends
    TAsTest asTest;
    TAsGift asGift;
    bool editable; // within the editor's line limit, counted in characters
};

const Row Rows[] = {
    {"Utf8WithCtrlZ", "Вопрос", "\x1a", TAsTest::Utf8, TAsGift::NotText, true},
    {"Bom", "\xEF\xBB\xBFQuestion", "", TAsTest::Utf8, TAsGift::Text, true},
    {"Overlong", "Q \xC0\xAF", "", TAsTest::Cp1251, TAsGift::NotUtf8, true},
    // "Р°" is UTF-8 for "а"; the "з" after it is not.
    {"Cp1251LookingLikeUtf8", Cp("Р°з"), "", TAsTest::Cp1251, TAsGift::NotUtf8, true},
    {"Nul", std::string("Q\0x", 3), "", TAsTest::NotText, TAsGift::NotText, true},
    {"LineOverTheLimit", std::string(LineLimit + 1, 'w'), "", TAsTest::Cp1251, TAsGift::Text, false},
    {"CyrillicUtf8AtTheLimit", [] {
         std::string s;
         for (std::size_t i = 0; i < LineLimit; ++i)
             s += "я";
         return s;
     }(), "", TAsTest::Utf8, TAsGift::Text, true},
};

class TextAgreement : public ::testing::TestWithParam<Row> {
protected:
    TempFolder tmp;
};

TEST_P(TextAgreement, EveryToolReadsTheBytesAlike)
{
    const Row& row = GetParam();
    const std::string test = tmp.Write("t.txt", row.wording + "\r\n2\r\n1\r\na\r\nb\r\n" + row.tail);
    const std::string gift = tmp.Write("t.gift", row.wording + "{=a ~b}\n" + row.tail);

    const Outcome check = RunTool(EKZAMO_CHECK, {QString::fromStdString(test)});
    EXPECT_EQ(Holds(check.out, CheckMsg::Utf8), row.asTest == TAsTest::Utf8) << check.out;
    EXPECT_EQ(Holds(check.out, TextMsg::NotText), row.asTest == TAsTest::NotText) << check.out;

    const Outcome there = RunTool(EKZAMO_CONVERT, {QString::fromStdString(test), QString::fromStdString(tmp.Path("out.gift"))});
    EXPECT_EQ(there.status == 2, row.asTest == TAsTest::NotText) << there.err;
    EXPECT_EQ(Holds(there.err, TextMsg::NotText), row.asTest == TAsTest::NotText) << there.err;
    EXPECT_EQ(Holds(there.err, FormatMsg::ReadAsUtf8), row.asTest == TAsTest::Utf8) << there.err;

    const Outcome back = RunTool(EKZAMO_CONVERT, {QString::fromStdString(gift), QString::fromStdString(tmp.Path("out.txt"))});
    EXPECT_EQ(back.status == 2, row.asGift != TAsGift::Text) << back.err;
    EXPECT_EQ(Holds(back.err, TextMsg::NotUtf8), row.asGift == TAsGift::NotUtf8) << back.err;
    EXPECT_EQ(Holds(back.err, TextMsg::NotText), row.asGift == TAsGift::NotText) << back.err;

    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(tmp.Path("settings")));
    DialogAnswerer answers; // "Open it as UTF-8?": yes
    answers.reply = QMessageBox::Yes;
    TEditorWindow window;
    std::string opened;
    try {
        window.OpenFile(test);
    } catch (const EError& e) {
        opened = e.what();
    }
    EXPECT_EQ(Holds(opened, TextMsg::NotText), row.asTest == TAsTest::NotText) << opened;
    EXPECT_EQ(Holds(opened, TestFileMsg::LineTooLong), !row.editable) << opened;
    if (opened.empty()) {
        const TTestForEditing read = ReadTestForEditing(test);
        EXPECT_EQ(read.Utf8, row.asTest == TAsTest::Utf8);
    }

    std::string imported;
    try {
        window.ImportFile(gift, TTestFormat::Gift);
    } catch (const EError& e) {
        imported = e.what();
    }
    EXPECT_EQ(Holds(imported, TextMsg::NotUtf8), row.asGift == TAsGift::NotUtf8) << imported;
    EXPECT_EQ(Holds(imported, TextMsg::NotText), row.asGift == TAsGift::NotText) << imported;
    EXPECT_EQ(Holds(imported, TestFileMsg::LineTooLong), row.asGift == TAsGift::Text && !row.editable) << imported;
    EXPECT_EQ(imported.empty(), row.asGift == TAsGift::Text && row.editable) << imported;
    window.Document().UndoStack()->setClean();
}

INSTANTIATE_TEST_SUITE_P(Bytes, TextAgreement, ::testing::ValuesIn(Rows),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

} // namespace

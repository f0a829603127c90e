// SPDX-License-Identifier: MIT
#pragma once

#include "editor/Document.h"
#include "editor/Warnings.h"
#include "engine/Exchange.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QListWidgetItem;

namespace Ui {
class TEditorWindow;
}

// The test editor: the questions in a list beside the selected question's
// pane, the warnings below, every edit undoable. The window holds the
// actions and the dialogs; reading and writing files is the document's.
class TEditorWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit TEditorWindow(QWidget* parent = nullptr);
    ~TEditorWindow() override;

    TTestDocument& Document() { return document_; }
    const std::string& FilePath() const { return path_; }
    int CurrentQuestion() const { return current_; }
    // Opens a test (unsaved changes are the caller's to ask about); raises EError when
    // the file cannot be opened, keeping what was there.
    void OpenFile(const std::string& path);
    // Saves to `path` (which becomes the test's file), asking nothing;
    // raises EError.
    void SaveFile(const std::string& path);
    // Moodle's exchange formats, UTF-8 files. Importing replaces the test
    // (unsaved changes are the caller's to ask about) and leaves it unsaved;
    // both raise EError, and say what was left out in a message.
    void ImportFile(const std::string& path, TTestFormat format);
    void ExportFile(const std::string& path, TTestFormat format);
    // Brings the warnings pane up to date now rather than after the pause.
    void UpdateWarnings();
    const std::vector<TEditorWarning>& ShownWarnings() const { return warnings_; }
    // Shows a question and puts the cursor in one of its fields, selecting
    // `length` characters from `at` in it when `at` is not -1.
    void SelectField(int question, int field, qsizetype at = -1, qsizetype length = 0);

    // The handlers, each run inside the shared guard.
    void NewClick();
    void OpenClick();
    void SaveClick();
    void SaveAsClick();
    void ImportGiftClick();
    void ImportAikenClick();
    void ExportGiftClick();
    void ExportAikenClick();
    void PrintClick();
    void PdfClick();
    void QuitClick();
    void AddQuestionClick();
    void DuplicateClick();
    void RemoveQuestionClick();
    void MoveUpClick();
    void MoveDownClick();
    void AddOptionClick();
    void RemoveOptionClick();
    void OptionUpClick();
    void OptionDownClick();
    void MarkRightClick();
    void QuestionListRowChanged(int row);
    void FieldEdited(int field, const QString& text);
    void OptionWanted(int after);
    void RightChosen(int option);
    void WarningActivated(QListWidgetItem* item);
    void RecentShow();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void MoveOption(int by);
    void DocumentChanged(int at, int removed, int inserted);
    void DocumentFocus(int question, int field);
    void ShowQuestion();
    void UpdateTitle();
    void UpdateActions();
    // Whether saving to `path` would drop lines of the file never opened.
    bool DropsUnread(const std::string& path) const;
    // Asks what to do with unsaved changes: true to go on.
    bool MaybeSave();
    // Saves to the test's file or a chosen one: false when cancelled or failed.
    bool Save(bool choose);
    void ImportClick(TTestFormat format);
    void ExportClick(TTestFormat format);
    void AddRecent(const std::string& path);
    // Runs work that need not keep the window from showing: once the window
    // is first drawn, on the event loop.
    void WhenDrawn(std::function<void()> work);
    void SetContent(std::vector<TEditQuestion> questions, const std::string& path, const QString& note);
    void ShowNotes(const QString& summary, const QStringList& notes);
    void FieldTooLong();

    std::unique_ptr<Ui::TEditorWindow> ui;
    TTestDocument document_;
    std::string path_;
    int current_ = -1;
    std::vector<TEditorWarning> warnings_;
    // What opening the file said: where the program's load stops.
    QString note_;
    // The lines of the test's file from this one on were not opened: 0 when
    // it was read whole.
    std::size_t unreadFrom_ = 0;
    std::size_t fileLines_ = 0;
    QLabel* summary_ = nullptr;
    QTimer warningTimer_;
    bool drawn_ = false;
    std::vector<std::function<void()>> afterDrawn_;
};

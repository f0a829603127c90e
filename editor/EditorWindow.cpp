// SPDX-License-Identifier: MIT
#include "editor/EditorWindow.h"

#include "editor/Markers.h"
#include "editor/NotesDialog.h"
#include "editor/PrintOptions.h"
#include "editor/QuestionPane.h"
#include "editor/RecentFiles.h"
#include "editor/Sheet.h"
#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/TestFile.h"
#include "ui/Appearance.h"
#include "ui/Messages.h"
#include "ui_EditorWindow.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <utility>

namespace {

const QString Untitled = QStringLiteral("Новый тест");
const QString TestFilter = QStringLiteral("Тесты Ekzamo (*.txt);;Все файлы (*)");
const QString GiftFilter = QStringLiteral("GIFT (*.gift *.txt);;Все файлы (*)");
const QString AikenFilter = QStringLiteral("Aiken (*.txt);;Все файлы (*)");
const QString ImportTitle = QStringLiteral("Импорт теста");
const QString ExportTitle = QStringLiteral("Экспорт теста");
const QString ImportNotes = QStringLiteral("Импортировано вопросов: %1. Замечания (%2):");
const QString ImportNote = QStringLiteral("Импорт из «%1»:\n%2");
const QString ExportNotes = QStringLiteral("Тест экспортирован с замечаниями (%1):");
const QString PdfFilter = QStringLiteral("PDF (*.pdf)");
const QString ListEmptyWording = QStringLiteral("(нет текста)");
const QString NoWarnings = QStringLiteral("Предупреждений нет");
const QString Summary = QStringLiteral("Вопросов: %1, предупреждений: %2");
const QString AskSave = QStringLiteral("Тест «%1» изменён. Сохранить изменения?");
const QString AskUtf8 = QStringLiteral(
    "Файл «%1» записан в кодировке UTF-8, а тесты Ekzamo пишутся в Windows-1251.\n"
    "Открыть его как UTF-8? Сохранён он будет в Windows-1251.\n"
    "«Нет» откроет его так, как его прочтёт программа.");
const QString StoppedNote = QStringLiteral("Файл прочитан до строки %1: %2. Открыто вопросов: %3; строки %4–%5 "
                                           "не открыты. Файл не будет перезаписан, пока вы его не сохраните, а перед "
                                           "сохранением в этот же файл редактор спросит, как быть с ними.");
const QString StoppedCause = QStringLiteral("там загрузка теста в программе прервётся с ошибкой «%1»");
const QString TooManyNote = QStringLiteral("Файл прочитан весь, открыто вопросов: %1. Но программа читает не больше "
                                           "255 вопросов: на 256-м (строка %2) её загрузка прервётся с ошибкой «%3», "
                                           "и вопросы после 255-го она не покажет.");
const QString AskDropUnread = QStringLiteral("Файл «%1» открыт не весь: строки %2–%3 (там, где загрузка теста "
                                             "прерывается, и после) в редакторе не показаны. Если сохранить тест "
                                             "в этот файл, они пропадут.\n\nСохранить тест под другим именем?");
const QString SaveElsewhere = QStringLiteral("Сохранить &как...");
const QString Overwrite = QStringLiteral("&Перезаписать");
const QString CancelText = QStringLiteral("Отмена");
const QString TooLongTyped = QStringLiteral("Строка файла теста не может быть длиннее %1 знаков (каждый «&» "
                                            "записывается дважды)");
const QString PutCursorInOption = QStringLiteral("Поставьте курсор в вариант ответа, который нужно отметить");

// The keys of the window's Undo and Redo, the same on every desktop.
const QKeySequence UndoKeys[] = {QKeySequence(Qt::CTRL | Qt::Key_Z)};
const QKeySequence RedoKeys[] = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)};

constexpr int WarningPause = 250; // ms after the last keystroke

QString ListLabel(int index, const TEditQuestion& q)
{
    const QString text = ShownOnly(q.Text).trimmed();
    return QStringLiteral("%1. %2").arg(index + 1).arg(text.isEmpty() ? ListEmptyWording : text.left(200));
}

// The settings of a file dialog, as each of the window's sets them up.
struct TFileChoice {
    QString Title;
    const char* Name = nullptr; // its object name
    QString Filter;
    bool Save = false;
    QString Suffix; // added to a name typed without one
    QString Directory; // where it opens, unless empty
    QString File; // the name it offers, unless empty
};

// Asks for a file in Qt's own dialog, the same on every desktop: its path,
// or an empty one when cancelled.
std::string ChooseFile(QWidget* parent, const TFileChoice& choice)
{
    QFileDialog dialog(parent, choice.Title);
    dialog.setObjectName(QString::fromLatin1(choice.Name));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (choice.Save)
        dialog.setAcceptMode(QFileDialog::AcceptSave);
    else
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(choice.Filter);
    if (!choice.Suffix.isEmpty())
        dialog.setDefaultSuffix(choice.Suffix);
    if (!choice.Directory.isEmpty())
        dialog.setDirectory(choice.Directory);
    if (!choice.File.isEmpty())
        dialog.selectFile(choice.File);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return ToNativePath(dialog.selectedFiles().constFirst());
}

// A push button standing for an action: it shows the action's enabled
// state and triggers it.
void BindButton(QPushButton* button, QAction* action)
{
    button->setEnabled(action->isEnabled());
    QObject::connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
}

} // namespace

TEditorWindow::TEditorWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TEditorWindow>())
{
    ui->setupUi(this);
    // The picture built in, not the installed icon found through the icon
    // theme: the search costs the start more than the whole window, and the
    // editor run from where it was built has an icon too.
    setWindowIcon(ProgramIcon());
    ui->TopSplitter->setStretchFactor(1, 2);
    ui->MainSplitter->setStretchFactor(0, 3);
    ui->MainSplitter->setStretchFactor(1, 1);
    // The counts stay when a menu's status tips come and go.
    summary_ = new QLabel(ui->StatusBar);
    summary_->setObjectName(QStringLiteral("Summary"));
    ui->StatusBar->addWidget(summary_);

    QAction* undo = document_.UndoStack()->createUndoAction(this, QStringLiteral("&Отменить"));
    undo->setObjectName(QStringLiteral("ActionUndo"));
    undo->setShortcuts({std::begin(UndoKeys), std::end(UndoKeys)});
    QAction* redo = document_.UndoStack()->createRedoAction(this, QStringLiteral("Пов&торить"));
    redo->setObjectName(QStringLiteral("ActionRedo"));
    redo->setShortcuts({std::begin(RedoKeys), std::end(RedoKeys)});
    QAction* first = ui->MenuEdit->actions().value(0);
    ui->MenuEdit->insertAction(first, undo);
    ui->MenuEdit->insertAction(first, redo);
    ui->MenuEdit->insertSeparator(first);
    TQuestionPane* pane = ui->QuestionPane;
    pane->SetWindowKeys(undo->shortcuts() + redo->shortcuts());

    // Each action once: its text in the form, here its keys, its handler and
    // the push button that stands for it. The keys are given as keys, not as
    // a form's text: text is parsed through the installed translation of
    // every key's name, which cost the window's start 3 million instructions
    // for these fifteen.
    struct TActionSpec {
        QAction* Action;
        std::vector<QKeyCombination> Keys;
        void (TEditorWindow::*Handler)();
        QPushButton* Button;
    };
    const TActionSpec actions[] = {
        {ui->ActionNew, {Qt::CTRL | Qt::Key_N}, &TEditorWindow::NewClick, nullptr},
        {ui->ActionOpen, {Qt::CTRL | Qt::Key_O}, &TEditorWindow::OpenClick, nullptr},
        {ui->ActionSave, {Qt::CTRL | Qt::Key_S}, &TEditorWindow::SaveClick, nullptr},
        {ui->ActionSaveAs, {Qt::CTRL | Qt::SHIFT | Qt::Key_S}, &TEditorWindow::SaveAsClick, nullptr},
        {ui->ActionImportGift, {}, &TEditorWindow::ImportGiftClick, nullptr},
        {ui->ActionImportAiken, {}, &TEditorWindow::ImportAikenClick, nullptr},
        {ui->ActionExportGift, {}, &TEditorWindow::ExportGiftClick, nullptr},
        {ui->ActionExportAiken, {}, &TEditorWindow::ExportAikenClick, nullptr},
        {ui->ActionPrint, {Qt::CTRL | Qt::Key_P}, &TEditorWindow::PrintClick, nullptr},
        {ui->ActionPdf, {}, &TEditorWindow::PdfClick, nullptr},
        {ui->ActionQuit, {Qt::CTRL | Qt::Key_Q}, &TEditorWindow::QuitClick, nullptr},
        {ui->ActionAddQuestion, {Qt::CTRL | Qt::Key_Return}, &TEditorWindow::AddQuestionClick, ui->AddQuestion},
        {ui->ActionDuplicate, {Qt::CTRL | Qt::Key_D}, &TEditorWindow::DuplicateClick, ui->DuplicateQuestion},
        {ui->ActionRemoveQuestion, {Qt::CTRL | Qt::SHIFT | Qt::Key_Delete}, &TEditorWindow::RemoveQuestionClick,
            ui->RemoveQuestion},
        {ui->ActionMoveUp, {Qt::CTRL | Qt::SHIFT | Qt::Key_Up}, &TEditorWindow::MoveUpClick, ui->MoveUp},
        {ui->ActionMoveDown, {Qt::CTRL | Qt::SHIFT | Qt::Key_Down}, &TEditorWindow::MoveDownClick, ui->MoveDown},
        {ui->ActionAddOption, {Qt::CTRL | Qt::SHIFT | Qt::Key_Return}, &TEditorWindow::AddOptionClick,
            pane->AddOptionButton()},
        {ui->ActionRemoveOption, {Qt::ALT | Qt::Key_Delete}, &TEditorWindow::RemoveOptionClick,
            pane->RemoveOptionButton()},
        // Alt+Shift+Up and Down are the window manager's on many desktops
        // (openbox's own configuration among them): kept as the second keys.
        {ui->ActionOptionUp, {Qt::ALT | Qt::Key_Up, Qt::ALT | Qt::SHIFT | Qt::Key_Up}, &TEditorWindow::OptionUpClick,
            pane->OptionUpButton()},
        {ui->ActionOptionDown, {Qt::ALT | Qt::Key_Down, Qt::ALT | Qt::SHIFT | Qt::Key_Down},
            &TEditorWindow::OptionDownClick, pane->OptionDownButton()},
        {ui->ActionMarkRight, {Qt::CTRL | Qt::Key_R}, &TEditorWindow::MarkRightClick, nullptr},
    };
    for (const auto& [action, keys, handler, button] : actions) {
        action->setShortcuts(QList<QKeySequence>(keys.begin(), keys.end()));
        connect(action, &QAction::triggered, this, handler);
        if (button)
            BindButton(button, action);
    }
    // The question list's buttons, then the question pane, then the warnings.
    setTabOrder(ui->MoveDown, pane);
    setTabOrder(pane->OptionDownButton(), ui->Warnings);

    warningTimer_.setSingleShot(true);
    warningTimer_.setInterval(WarningPause);
    connect(&warningTimer_, &QTimer::timeout, this, &TEditorWindow::UpdateWarnings);

    connect(ui->QuestionList, &QListWidget::currentRowChanged, this, &TEditorWindow::QuestionListRowChanged);
    connect(pane, &TQuestionPane::TextEdited, this, &TEditorWindow::FieldEdited);
    connect(pane, &TQuestionPane::OptionWanted, this, &TEditorWindow::OptionWanted);
    connect(pane, &TQuestionPane::RightChosen, this, &TEditorWindow::RightChosen);
    connect(pane, &TQuestionPane::TooLong, this, &TEditorWindow::FieldTooLong);
    connect(ui->Warnings, &QListWidget::itemActivated, this, &TEditorWindow::WarningActivated);
    connect(ui->MenuRecent, &QMenu::aboutToShow, this, &TEditorWindow::RecentShow);
    connect(&document_, &TTestDocument::Changed, this, &TEditorWindow::DocumentChanged);
    connect(&document_, &TTestDocument::Focus, this, &TEditorWindow::DocumentFocus);
    connect(document_.UndoStack(), &QUndoStack::cleanChanged, this, &TEditorWindow::UpdateTitle);

    SetContent({NewQuestion()}, {}, {});
    pane->SelectField(Fields::Wording);
}

TEditorWindow::~TEditorWindow()
{
    // The members go before the window: the undo stack says it is clean as
    // it goes, with nothing left to hear.
    document_.UndoStack()->disconnect(this);
    document_.disconnect(this);
}

void TEditorWindow::SetContent(std::vector<TEditQuestion> questions, const std::string& path, const QString& note)
{
    path_ = path;
    note_ = note;
    unreadFrom_ = 0;
    // The first question is current as the list is filled, so that its
    // option rows are made once, not removed and made again.
    current_ = questions.empty() ? -1 : 0;
    document_.Reset(std::move(questions));
    SelectField(current_, Fields::Wording);
    UpdateTitle();
    // Checked once the window is drawn: a test just opened is shown first.
    warningTimer_.stop();
    WhenDrawn([this] { UpdateWarnings(); });
}

void TEditorWindow::OpenFile(const std::string& path)
{
    TTestForEditing test = ReadTestForEditing(path);
    bool utf8 = false;
    if (test.Utf8) {
        const QString name = QFileInfo(FromNativePath(path)).fileName();
        QMessageBox ask(QMessageBox::Question, ApplicationTitle(), AskUtf8.arg(name),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        ask.setTextFormat(Qt::PlainText); // a file's name is data
        ask.setAccessibleDescription(ask.text());
        ask.setDefaultButton(QMessageBox::Yes);
        const int reply = ask.exec();
        if (reply == QMessageBox::Cancel)
            return;
        utf8 = reply == QMessageBox::Yes;
        test.Questions = DecodeForEditing(path, test.Content, utf8);
    }
    const TTestContent& content = test.Content;
    QString note;
    QString message;
    const std::size_t lastLine = std::max(test.LineCount, content.UnreadLine);
    if (content.UnreadLine > 0) {
        const QString cause = test.StopWarning.empty() ? StoppedCause.arg(QString::fromUtf8(content.StopMessage))
                                                       : QString::fromStdString(test.StopWarning);
        note = StoppedNote.arg(content.StopLine > 0 ? content.StopLine : content.UnreadLine)
                   .arg(cause)
                   .arg(content.Items.size())
                   .arg(content.UnreadLine)
                   .arg(lastLine);
        message = note;
    } else if (!content.StopMessage.empty()) {
        // Read whole: the warnings name the 256th question.
        message = TooManyNote.arg(content.Items.size()).arg(content.StopLine).arg(QString::fromUtf8(content.StopMessage));
    }
    SetContent(std::move(test.Questions), path, note);
    unreadFrom_ = content.UnreadLine;
    fileLines_ = lastLine;
    if (utf8) // saved in Windows-1251 only when the teacher saves
        document_.UndoStack()->resetClean();
    UpdateTitle();
    AddRecent(path);
    if (!message.isEmpty())
        ShowMessage(message);
}

void TEditorWindow::SaveFile(const std::string& path)
{
    try {
        SaveForEditing(path, document_.Questions());
    } catch (const ENotSaved& error) {
        SelectField(error.Question, error.Field, error.At, error.Length);
        throw;
    }
    path_ = path;
    note_.clear();
    unreadFrom_ = 0;
    document_.UndoStack()->setClean();
    AddRecent(path);
    UpdateTitle();
    UpdateWarnings();
}

void TEditorWindow::UpdateWarnings()
{
    Guard([this] {
        warningTimer_.stop();
        warnings_ = EditorWarnings(document_.Questions());
        ui->Warnings->clear();
        if (!note_.isEmpty()) {
            auto* item = new QListWidgetItem(note_, ui->Warnings);
            item->setData(Qt::UserRole, -1);
        }
        for (std::size_t i = 0; i < warnings_.size(); ++i) {
            auto* item = new QListWidgetItem(WarningLabel(warnings_[i]), ui->Warnings);
            item->setData(Qt::UserRole, int(i));
        }
        if (ui->Warnings->count() == 0) {
            auto* item = new QListWidgetItem(NoWarnings, ui->Warnings);
            item->setFlags(Qt::NoItemFlags);
            item->setData(Qt::UserRole, -1);
        }
        summary_->setText(Summary.arg(document_.Count()).arg(warnings_.size() + (note_.isEmpty() ? 0 : 1)));
    });
}

void TEditorWindow::SelectField(int question, int field, qsizetype at, qsizetype length)
{
    if (question != current_)
        ui->QuestionPane->ForgetLastOption();
    current_ = question;
    {
        const QSignalBlocker block(ui->QuestionList);
        ui->QuestionList->setCurrentRow(question);
    }
    ShowQuestion();
    if (question >= 0)
        ui->QuestionPane->SelectField(field, at, length);
}

void TEditorWindow::ShowQuestion()
{
    const bool any = current_ >= 0 && current_ < document_.Count();
    ui->QuestionPane->Show(any ? &document_.Questions()[std::size_t(current_)] : nullptr);
    UpdateActions();
}

void TEditorWindow::DocumentChanged(int at, int removed, int inserted)
{
    {
        const QSignalBlocker block(ui->QuestionList);
        for (int i = 0; i < removed; ++i)
            delete ui->QuestionList->takeItem(at);
        // Inserted at once: one by one, each row would be announced to the
        // view and laid out by itself, 255 times as a test is opened.
        QStringList labels;
        labels.reserve(inserted);
        for (int i = at; i < at + inserted; ++i)
            labels += ListLabel(i, document_.Questions()[std::size_t(i)]);
        ui->QuestionList->insertItems(at, labels);
        // Numbers after a change of length move too.
        const int last = removed == inserted ? at + inserted : document_.Count();
        for (int i = at + inserted; i < last; ++i)
            ui->QuestionList->item(i)->setText(ListLabel(i, document_.Questions()[std::size_t(i)]));
        if (current_ >= document_.Count())
            current_ = document_.Count() - 1;
        ui->QuestionList->setCurrentRow(current_);
    }
    ShowQuestion();
    warningTimer_.start();
}

void TEditorWindow::DocumentFocus(int question, int field)
{
    SelectField(question, field);
}

void TEditorWindow::UpdateTitle()
{
    const QString name = path_.empty() ? Untitled : QFileInfo(FromNativePath(path_)).fileName();
    setWindowTitle(name + QStringLiteral("[*] — ") + ApplicationTitle());
    setWindowModified(!document_.UndoStack()->isClean());
}

void TEditorWindow::UpdateActions()
{
    const bool any = current_ >= 0;
    const int options = any ? int(document_.Questions()[std::size_t(current_)].Options.size()) : 0;
    for (QAction* action : {ui->ActionDuplicate, ui->ActionRemoveQuestion, ui->ActionMarkRight})
        action->setEnabled(any);
    ui->ActionMoveUp->setEnabled(current_ > 0);
    ui->ActionMoveDown->setEnabled(any && current_ + 1 < document_.Count());
    ui->ActionAddOption->setEnabled(any && options < MaxOptions);
    ui->ActionRemoveOption->setEnabled(options > 0);
    for (QAction* action : {ui->ActionOptionUp, ui->ActionOptionDown})
        action->setEnabled(options > 1);
}

void TEditorWindow::FieldTooLong()
{
    ui->StatusBar->showMessage(TooLongTyped.arg(LineLimit), 5000);
}

bool TEditorWindow::DropsUnread(const std::string& path) const
{
    return unreadFrom_ > 0 && QFileInfo(FromNativePath(path)) == QFileInfo(FromNativePath(path_));
}

bool TEditorWindow::MaybeSave()
{
    if (document_.UndoStack()->isClean())
        return true;
    const QString name = path_.empty() ? Untitled : QFileInfo(FromNativePath(path_)).fileName();
    QMessageBox ask(QMessageBox::Warning, ApplicationTitle(), AskSave.arg(name),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    ask.setTextFormat(Qt::PlainText); // a file's name is data
    ask.setAccessibleDescription(ask.text());
    ask.setDefaultButton(QMessageBox::Save);
    switch (ask.exec()) {
    case QMessageBox::Save:
        return Save(false);
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

bool TEditorWindow::Save(bool choose)
{
    std::string path = path_;
    for (;;) {
        if (choose || path.empty()) {
            path = ChooseFile(this, {QStringLiteral("Сохранить тест"), "SaveDialog", TestFilter, true,
                QStringLiteral("txt"), {}, path.empty() ? QString() : FromNativePath(path)});
            if (path.empty())
                return false;
        }
        if (!DropsUnread(path))
            break;
        // What the teacher never saw goes only when the teacher says so.
        QMessageBox ask(QMessageBox::Warning, ApplicationTitle(),
            AskDropUnread.arg(QFileInfo(FromNativePath(path)).fileName()).arg(unreadFrom_).arg(fileLines_),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        ask.setTextFormat(Qt::PlainText); // a file's name is data
        ask.setAccessibleDescription(ask.text());
        ask.button(QMessageBox::Save)->setText(SaveElsewhere);
        ask.button(QMessageBox::Discard)->setText(Overwrite);
        ask.button(QMessageBox::Cancel)->setText(CancelText);
        ask.setDefaultButton(QMessageBox::Save);
        ask.setEscapeButton(QMessageBox::Cancel);
        const int reply = ask.exec();
        if (reply == QMessageBox::Discard)
            break;
        if (reply != QMessageBox::Save)
            return false;
        choose = true;
    }
    return Guard([this, &path] { SaveFile(path); });
}

void TEditorWindow::AddRecent(const std::string& path)
{
    // Settings are read and written to disk, which a window that is still
    // to be shown need not wait for.
    WhenDrawn([path] { Guard([&path] { AddRecentFile(path); }); });
}

void TEditorWindow::WhenDrawn(std::function<void()> work)
{
    if (drawn_)
        QTimer::singleShot(0, this, std::move(work));
    else
        afterDrawn_.push_back(std::move(work));
}

void TEditorWindow::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    // The whole window is drawn in this round: what waited for it runs after.
    if (!drawn_) {
        drawn_ = true;
        for (auto& work : std::exchange(afterDrawn_, {}))
            QTimer::singleShot(0, this, std::move(work));
    }
}

void TEditorWindow::RecentShow()
{
    Guard([this] {
        FillRecentMenu(ui->MenuRecent, [this](const std::string& path) {
            Guard([this, &path] {
                if (MaybeSave())
                    OpenFile(path);
            });
        });
    });
}

void TEditorWindow::NewClick()
{
    Guard([this] {
        if (MaybeSave())
            SetContent({NewQuestion()}, {}, {});
    });
}

void TEditorWindow::OpenClick()
{
    Guard([this] {
        if (!MaybeSave())
            return;
        const std::string path = ChooseFile(this, {QStringLiteral("Открыть тест"), "OpenDialog", TestFilter, false, {},
            path_.empty() ? QString() : QFileInfo(FromNativePath(path_)).absolutePath(), {}});
        if (!path.empty())
            OpenFile(path);
    });
}

void TEditorWindow::SaveClick()
{
    Save(false);
}

void TEditorWindow::SaveAsClick()
{
    Save(true);
}

void TEditorWindow::ImportFile(const std::string& path, TTestFormat format)
{
    TImported imported = ImportForEditing(path, format);
    const QStringList& notes = imported.Notes;
    const QString name = QFileInfo(FromNativePath(path)).fileName();
    SetContent(std::move(imported.Questions), {}, notes.isEmpty() ? QString() : ImportNote.arg(name, notes.join(u'\n')));
    // Not yet a test file: saving asks for its name.
    document_.UndoStack()->resetClean();
    UpdateTitle();
    if (!notes.isEmpty())
        ShowNotes(ImportNotes.arg(document_.Count()).arg(notes.size()), notes);
}

void TEditorWindow::ExportFile(const std::string& path, TTestFormat format)
{
    const QStringList notes = ExportEdited(path, document_.Questions(), format);
    if (!notes.isEmpty())
        ShowNotes(ExportNotes.arg(notes.size()), notes);
}

void TEditorWindow::ShowNotes(const QString& summary, const QStringList& notes)
{
    TNotesDialog dialog(summary, notes, this);
    dialog.exec();
}

void TEditorWindow::ImportClick(TTestFormat format)
{
    Guard([this, format] {
        if (!MaybeSave())
            return;
        const std::string path = ChooseFile(this,
            {ImportTitle, "ImportDialog", format == TTestFormat::Gift ? GiftFilter : AikenFilter, false, {}, {}, {}});
        if (!path.empty())
            ImportFile(path, format);
    });
}

void TEditorWindow::ExportClick(TTestFormat format)
{
    Guard([this, format] {
        const bool gift = format == TTestFormat::Gift;
        const std::string path = ChooseFile(this,
            {ExportTitle, "ExportDialog", gift ? GiftFilter : AikenFilter, true,
                gift ? QStringLiteral("gift") : QStringLiteral("txt"), {},
                path_.empty() ? QString()
                              : QFileInfo(FromNativePath(path_)).completeBaseName()
                        + (gift ? QStringLiteral(".gift") : QStringLiteral("-aiken.txt"))});
        if (!path.empty())
            ExportFile(path, format);
    });
}

void TEditorWindow::ImportGiftClick()
{
    ImportClick(TTestFormat::Gift);
}

void TEditorWindow::ImportAikenClick()
{
    ImportClick(TTestFormat::Aiken);
}

void TEditorWindow::ExportGiftClick()
{
    ExportClick(TTestFormat::Gift);
}

void TEditorWindow::ExportAikenClick()
{
    ExportClick(TTestFormat::Aiken);
}

void TEditorWindow::PrintClick()
{
    Guard([this] {
        TPrintOptions options(this);
        if (options.exec() != QDialog::Accepted)
            return;
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        PrintSheet(printer, SheetTitle(path_), document_.Questions(), options.Options());
    });
}

void TEditorWindow::PdfClick()
{
    Guard([this] {
        TPrintOptions options(this);
        if (options.exec() != QDialog::Accepted)
            return;
        const std::string path = ChooseFile(this, {QStringLiteral("Экспорт в PDF"), "PdfDialog", PdfFilter, true,
            QStringLiteral("pdf"), {},
            path_.empty() ? QString() : QFileInfo(FromNativePath(path_)).completeBaseName() + QStringLiteral(".pdf")});
        if (path.empty())
            return;
        WritePdf(FromNativePath(path), SheetTitle(path_), document_.Questions(), options.Options());
    });
}

void TEditorWindow::QuitClick()
{
    close();
}

void TEditorWindow::AddQuestionClick()
{
    Guard([this] { document_.InsertQuestion(current_ + 1, NewQuestion()); });
}

void TEditorWindow::DuplicateClick()
{
    Guard([this] {
        if (current_ >= 0)
            document_.DuplicateQuestion(current_);
    });
}

void TEditorWindow::RemoveQuestionClick()
{
    Guard([this] {
        if (current_ >= 0)
            document_.RemoveQuestion(current_);
    });
}

void TEditorWindow::MoveUpClick()
{
    Guard([this] {
        if (current_ > 0)
            document_.MoveQuestion(current_, -1);
    });
}

void TEditorWindow::MoveDownClick()
{
    Guard([this] {
        if (current_ >= 0 && current_ + 1 < document_.Count())
            document_.MoveQuestion(current_, 1);
    });
}

void TEditorWindow::AddOptionClick()
{
    Guard([this] {
        if (current_ < 0 || ui->QuestionPane->OptionCount() >= MaxOptions)
            return;
        const int focused = ui->QuestionPane->FocusedOption();
        document_.AddOption(current_, focused > 0 ? focused : ui->QuestionPane->OptionCount());
    });
}

void TEditorWindow::RemoveOptionClick()
{
    Guard([this] {
        if (current_ < 0 || ui->QuestionPane->OptionCount() == 0)
            return;
        const int focused = ui->QuestionPane->FocusedOption();
        document_.RemoveOption(current_, focused > 0 ? focused : ui->QuestionPane->OptionCount());
    });
}

void TEditorWindow::OptionUpClick()
{
    MoveOption(-1);
}

void TEditorWindow::OptionDownClick()
{
    MoveOption(1);
}

// The option with the cursor moves (the buttons take no focus from it when
// clicked), else the last one.
void TEditorWindow::MoveOption(int by)
{
    Guard([this, by] {
        if (current_ < 0 || ui->QuestionPane->OptionCount() == 0)
            return;
        const int focused = ui->QuestionPane->FocusedOption();
        document_.MoveOption(current_, focused > 0 ? focused : ui->QuestionPane->OptionCount(), by);
    });
}

void TEditorWindow::MarkRightClick()
{
    Guard([this] {
        const int option = ui->QuestionPane->FocusedOption();
        if (current_ < 0 || option == 0)
            ui->StatusBar->showMessage(PutCursorInOption, 5000);
        else
            document_.SetCorrect(current_, option);
    });
}

void TEditorWindow::QuestionListRowChanged(int row)
{
    Guard([this, row] {
        if (row != current_)
            ui->QuestionPane->ForgetLastOption();
        current_ = row;
        ShowQuestion();
    });
}

void TEditorWindow::FieldEdited(int field, const QString& text)
{
    Guard([this, field, &text] {
        if (current_ >= 0)
            document_.SetText(current_, field, text);
    });
}

void TEditorWindow::OptionWanted(int after)
{
    Guard([this, after] {
        if (current_ >= 0 && ui->QuestionPane->OptionCount() < MaxOptions)
            document_.AddOption(current_, after);
    });
}

void TEditorWindow::RightChosen(int option)
{
    Guard([this, option] {
        if (current_ >= 0)
            document_.SetCorrect(current_, option);
    });
}

void TEditorWindow::WarningActivated(QListWidgetItem* item)
{
    Guard([this, item] {
        const int index = item->data(Qt::UserRole).toInt();
        if (index >= 0 && index < int(warnings_.size())) {
            const TEditorWarning& w = warnings_[std::size_t(index)];
            SelectField(w.Question, w.Field, w.At, w.Length);
        }
    });
}

void TEditorWindow::closeEvent(QCloseEvent* event)
{
    bool close = false;
    Guard([this, &close] { close = MaybeSave(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

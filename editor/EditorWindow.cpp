// SPDX-License-Identifier: MIT
#include "editor/EditorWindow.h"

#include "editor/Markers.h"
#include "editor/NotesDialog.h"
#include "editor/PrintOptions.h"
#include "editor/Sheet.h"
#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Exchange.h"
#include "engine/Files.h"
#include "engine/TestFile.h"
#include "ui/Appearance.h"
#include "ui/Messages.h"
#include "ui_EditorWindow.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSettings>
#include <QValidator>
#include <algorithm>
#include <utility>

namespace {

const QString Untitled = QStringLiteral("Новый тест");
const QString TestFilter = QStringLiteral("Тесты Ekzamo (*.txt);;Все файлы (*)");
const QString GiftFilter = QStringLiteral("GIFT (*.gift *.txt);;Все файлы (*)");
const QString AikenFilter = QStringLiteral("Aiken (*.txt);;Все файлы (*)");
const QString ImportTitle = QStringLiteral("Импорт теста");
const QString ExportTitle = QStringLiteral("Экспорт теста");
const QString CannotImport = QStringLiteral("Не удалось импортировать «%1»: %2");
const QString ImportNotes = QStringLiteral("Импортировано вопросов: %1. Замечания (%2):");
const QString ImportNote = QStringLiteral("Импорт из «%1»:\n%2");
const QString ExportNotes = QStringLiteral("Тест экспортирован с замечаниями (%1):");
const QString QuestionNote = QStringLiteral("вопрос %1");
const QString LineNote = QStringLiteral("строка %1");
const QString PdfFilter = QStringLiteral("PDF (*.pdf)");
const QString ListEmptyWording = QStringLiteral("(нет текста)");
const QString RightName = QStringLiteral("Вариант %1 — правильный ответ");
const QString OptionName = QStringLiteral("Вариант %1");
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
const QString NotSaved = QStringLiteral("Тест не сохранён: символ «%1» в вопросе %2 нельзя записать в "
                                        "Windows-1251. Замените его.");
const QString NotSavedTooLong = QStringLiteral("Тест не сохранён: %1.");
const QString PutCursorInOption = QStringLiteral("Поставьте курсор в вариант ответа, который нужно отметить");
const QString RecentEmpty = QStringLiteral("(пусто)");
const QString RecentKey = QStringLiteral("recentFiles");
const QString BadFieldStyle = QStringLiteral("QLineEdit { background: #ffd8d8; }");
const QString BadFieldTip = QStringLiteral("Символ «%1» нельзя записать в Windows-1251");

// The keys of the window's Undo and Redo, the same on every desktop.
const QKeySequence UndoKeys[] = {QKeySequence(Qt::CTRL | Qt::Key_Z)};
const QKeySequence RedoKeys[] = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)};

constexpr int MaxOptions = 255;
constexpr int RecentCount = 8;
constexpr int WarningPause = 250; // ms after the last keystroke

void StoreRecent(const std::string& path)
{
    QSettings settings;
    QStringList recent = settings.value(RecentKey).toStringList();
    const QString full = QFileInfo(FromNativePath(path)).absoluteFilePath();
    recent.removeAll(full);
    recent.prepend(full);
    while (recent.size() > RecentCount)
        recent.removeLast();
    settings.setValue(RecentKey, recent);
}


QString ShownOnly(QString text)
{
    text.remove(MarkerLine);
    return text;
}

QString ListLabel(int index, const TEditQuestion& q)
{
    const QString text = ShownOnly(q.Text).trimmed();
    return QStringLiteral("%1. %2").arg(index + 1).arg(text.isEmpty() ? ListEmptyWording : text.left(200));
}

// Shows the character a field cannot save, or nothing.
void MarkBadCharacter(QLineEdit* field, const QString& text)
{
    const TBadSpot bad = BadCharacterIn(text);
    field->setStyleSheet(bad.At < 0 ? QString() : BadFieldStyle);
    field->setToolTip(bad.At < 0 ? QString() : BadFieldTip.arg(bad.Character));
}

// The window's own Undo and Redo, not those of the line edit with the focus.
class TUndoKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            const QKeySequence keys(static_cast<QKeyEvent*>(event)->keyCombination());
            const auto same = [&keys](const QKeySequence& k) { return k == keys; };
            if (std::any_of(std::begin(UndoKeys), std::end(UndoKeys), same)
                || std::any_of(std::begin(RedoKeys), std::end(RedoKeys), same))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// A field takes no edit that would make too long a line of the file.
class TLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return TooLongForFile(input) ? Invalid : Acceptable; }
};

// Makes one of the window's fields: its own undo is the window's, and it
// holds no more than a line of the file.
void SetUpField(QLineEdit* field)
{
    field->installEventFilter(new TUndoKeys(field));
    field->setValidator(new TLineValidator(field));
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
    SetUpField(ui->Wording);
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

    // The shortcuts are given as keys, not as a form's text: text is parsed
    // through the installed translation of every key's name, which cost the
    // window's start 3 million instructions for these fifteen.
    const std::pair<QAction*, std::vector<QKeyCombination>> shortcuts[] = {
        {ui->ActionNew, {Qt::CTRL | Qt::Key_N}},
        {ui->ActionOpen, {Qt::CTRL | Qt::Key_O}},
        {ui->ActionSave, {Qt::CTRL | Qt::Key_S}},
        {ui->ActionSaveAs, {Qt::CTRL | Qt::SHIFT | Qt::Key_S}},
        {ui->ActionPrint, {Qt::CTRL | Qt::Key_P}},
        {ui->ActionQuit, {Qt::CTRL | Qt::Key_Q}},
        {ui->ActionAddQuestion, {Qt::CTRL | Qt::Key_Return}},
        {ui->ActionDuplicate, {Qt::CTRL | Qt::Key_D}},
        {ui->ActionRemoveQuestion, {Qt::CTRL | Qt::SHIFT | Qt::Key_Delete}},
        {ui->ActionMoveUp, {Qt::CTRL | Qt::SHIFT | Qt::Key_Up}},
        {ui->ActionMoveDown, {Qt::CTRL | Qt::SHIFT | Qt::Key_Down}},
        {ui->ActionAddOption, {Qt::CTRL | Qt::SHIFT | Qt::Key_Return}},
        {ui->ActionRemoveOption, {Qt::ALT | Qt::Key_Delete}},
        // Alt+Shift+Up and Down are the window manager's on many desktops
        // (openbox's own configuration among them): kept as the second keys.
        {ui->ActionOptionUp, {Qt::ALT | Qt::Key_Up, Qt::ALT | Qt::SHIFT | Qt::Key_Up}},
        {ui->ActionOptionDown, {Qt::ALT | Qt::Key_Down, Qt::ALT | Qt::SHIFT | Qt::Key_Down}},
        {ui->ActionMarkRight, {Qt::CTRL | Qt::Key_R}},
    };
    for (const auto& [action, keys] : shortcuts)
        action->setShortcuts(QList<QKeySequence>(keys.begin(), keys.end()));

    warningTimer_.setSingleShot(true);
    warningTimer_.setInterval(WarningPause);
    connect(&warningTimer_, &QTimer::timeout, this, &TEditorWindow::UpdateWarnings);

    connect(ui->ActionNew, &QAction::triggered, this, &TEditorWindow::NewClick);
    connect(ui->ActionOpen, &QAction::triggered, this, &TEditorWindow::OpenClick);
    connect(ui->ActionSave, &QAction::triggered, this, &TEditorWindow::SaveClick);
    connect(ui->ActionSaveAs, &QAction::triggered, this, &TEditorWindow::SaveAsClick);
    connect(ui->ActionImportGift, &QAction::triggered, this, &TEditorWindow::ImportGiftClick);
    connect(ui->ActionImportAiken, &QAction::triggered, this, &TEditorWindow::ImportAikenClick);
    connect(ui->ActionExportGift, &QAction::triggered, this, &TEditorWindow::ExportGiftClick);
    connect(ui->ActionExportAiken, &QAction::triggered, this, &TEditorWindow::ExportAikenClick);
    connect(ui->ActionPrint, &QAction::triggered, this, &TEditorWindow::PrintClick);
    connect(ui->ActionPdf, &QAction::triggered, this, &TEditorWindow::PdfClick);
    connect(ui->ActionQuit, &QAction::triggered, this, &QWidget::close);
    connect(ui->ActionAddQuestion, &QAction::triggered, this, &TEditorWindow::AddQuestionClick);
    connect(ui->ActionDuplicate, &QAction::triggered, this, &TEditorWindow::DuplicateClick);
    connect(ui->ActionRemoveQuestion, &QAction::triggered, this, &TEditorWindow::RemoveQuestionClick);
    connect(ui->ActionMoveUp, &QAction::triggered, this, &TEditorWindow::MoveUpClick);
    connect(ui->ActionMoveDown, &QAction::triggered, this, &TEditorWindow::MoveDownClick);
    connect(ui->ActionAddOption, &QAction::triggered, this, &TEditorWindow::AddOptionClick);
    connect(ui->ActionRemoveOption, &QAction::triggered, this, &TEditorWindow::RemoveOptionClick);
    connect(ui->ActionOptionUp, &QAction::triggered, this, &TEditorWindow::OptionUpClick);
    connect(ui->ActionOptionDown, &QAction::triggered, this, &TEditorWindow::OptionDownClick);
    connect(ui->ActionMarkRight, &QAction::triggered, this, &TEditorWindow::MarkRightClick);
    connect(ui->AddQuestion, &QPushButton::clicked, this, &TEditorWindow::AddQuestionClick);
    connect(ui->DuplicateQuestion, &QPushButton::clicked, this, &TEditorWindow::DuplicateClick);
    connect(ui->RemoveQuestion, &QPushButton::clicked, this, &TEditorWindow::RemoveQuestionClick);
    connect(ui->MoveUp, &QPushButton::clicked, this, &TEditorWindow::MoveUpClick);
    connect(ui->MoveDown, &QPushButton::clicked, this, &TEditorWindow::MoveDownClick);
    connect(ui->AddOption, &QPushButton::clicked, this, &TEditorWindow::AddOptionClick);
    connect(ui->RemoveOption, &QPushButton::clicked, this, &TEditorWindow::RemoveOptionClick);
    connect(ui->OptionUp, &QPushButton::clicked, this, &TEditorWindow::OptionUpClick);
    connect(ui->OptionDown, &QPushButton::clicked, this, &TEditorWindow::OptionDownClick);
    connect(ui->QuestionList, &QListWidget::currentRowChanged, this, &TEditorWindow::QuestionListRowChanged);
    connect(ui->Wording, &QLineEdit::textEdited, this, &TEditorWindow::WordingEdited);
    connect(ui->Wording, &QLineEdit::returnPressed, this, &TEditorWindow::WordingReturn);
    connect(ui->Warnings, &QListWidget::itemActivated, this, &TEditorWindow::WarningActivated);
    connect(ui->MenuRecent, &QMenu::aboutToShow, this, &TEditorWindow::RecentShow);
    connect(&document_, &TTestDocument::Changed, this, &TEditorWindow::DocumentChanged);
    connect(&document_, &TTestDocument::Focus, this, &TEditorWindow::DocumentFocus);
    connect(document_.UndoStack(), &QUndoStack::cleanChanged, this, &TEditorWindow::UpdateTitle);
    connect(qApp, &QApplication::focusChanged, this, &TEditorWindow::FocusChanged);
    connect(ui->Wording, &QLineEdit::inputRejected, this, &TEditorWindow::FieldTooLong);

    SetContent({NewQuestion()}, {}, {});
    ui->Wording->setFocus();
}

TEditorWindow::~TEditorWindow()
{
    // The members go before the window: the undo stack says it is clean as
    // it goes, and the fields give up the focus, with nothing left to hear.
    document_.UndoStack()->disconnect(this);
    document_.disconnect(this);
    qApp->disconnect(this);
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
    const TBadCharacter bad = FirstBadCharacter(document_.Questions());
    if (bad.Question >= 0) {
        SelectField(bad.Question, bad.Field, bad.Spot.At, bad.Spot.Character.size());
        throw EError(NotSaved.arg(bad.Spot.Character).arg(bad.Question + 1).toStdString());
    }
    const std::vector<TTestItem> items = ToItems(document_.Questions());
    if (const std::size_t k = FirstTooLong(items)) {
        SelectField(int(k) - 1, Fields::Wording);
        throw EError(NotSavedTooLong.arg(TooLongMessage(k)).toStdString());
    }
    SaveTestFile(path, items);
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
        lastOption_ = 0;
    current_ = question;
    {
        const QSignalBlocker block(ui->QuestionList);
        ui->QuestionList->setCurrentRow(question);
    }
    ShowQuestion();
    if (question < 0)
        return;
    const TEditQuestion& q = document_.Questions()[std::size_t(question)];
    QWidget* target = ui->Wording;
    if (field > 0 && field <= int(rows_.size()))
        target = rows_[std::size_t(field - 1)].Text;
    else if (field == Fields::RightMark && !rows_.empty())
        target = rows_[std::size_t(q.Correct >= 1 && q.Correct <= int(rows_.size()) ? q.Correct - 1 : 0)].Right;
    else if (field == Fields::OptionList)
        target = rows_.empty() ? static_cast<QWidget*>(ui->AddOption) : rows_.front().Text;
    if (target != QApplication::focusWidget())
        target->setFocus();
    if (auto* text = qobject_cast<QLineEdit*>(target); text && at >= 0)
        text->setSelection(int(at), int(length));
}

void TEditorWindow::ShowQuestion()
{
    const bool any = current_ >= 0 && current_ < document_.Count();
    ui->QuestionPane->setEnabled(any);
    if (!any) {
        ui->Wording->clear();
        BuildRows(0);
        UpdateActions();
        return;
    }
    const TEditQuestion& q = document_.Questions()[std::size_t(current_)];
    if (ui->Wording->text() != q.Text)
        ui->Wording->setText(q.Text);
    MarkBadCharacter(ui->Wording, q.Text);
    BuildRows(int(q.Options.size()));
    for (int k = 0; k < q.Options.size(); ++k) {
        const TOptionRow& row = rows_[std::size_t(k)];
        if (row.Text->text() != q.Options[k])
            row.Text->setText(q.Options[k]);
        MarkBadCharacter(row.Text, q.Options[k]);
        const QSignalBlocker block(row.Right);
        row.Right->setChecked(k + 1 == q.Correct);
    }
    UpdateActions();
}

void TEditorWindow::BuildRows(int count)
{
    while (int(rows_.size()) > count) {
        delete rows_.back().Right;
        delete rows_.back().Text;
        rows_.pop_back();
    }
    auto* grid = static_cast<QGridLayout*>(ui->OptionsPanel->layout());
    while (int(rows_.size()) < count) {
        const int option = int(rows_.size()) + 1;
        TOptionRow row;
        row.Right = new QRadioButton(option <= 9 ? QStringLiteral("&%1").arg(option) : QString::number(option),
            ui->OptionsPanel);
        row.Right->setObjectName(QStringLiteral("Right%1").arg(option));
        row.Right->setAutoExclusive(false);
        row.Right->setAccessibleName(RightName.arg(option));
        row.Text = new QLineEdit(ui->OptionsPanel);
        row.Text->setObjectName(QStringLiteral("Option%1").arg(option));
        row.Text->setAccessibleName(OptionName.arg(option));
        SetUpField(row.Text);
        grid->addWidget(row.Right, option - 1, 0);
        grid->addWidget(row.Text, option - 1, 1);
        connect(row.Right, &QRadioButton::clicked, this, [this, option](bool checked) { RightToggled(option, checked); });
        connect(row.Text, &QLineEdit::textEdited, this, [this, option](const QString& text) { OptionEdited(option, text); });
        connect(row.Text, &QLineEdit::returnPressed, this, [this, option] { OptionReturn(option); });
        connect(row.Text, &QLineEdit::inputRejected, this, &TEditorWindow::FieldTooLong);
        rows_.push_back(row);
        row.Right->show();
        row.Text->show();
    }
    // The rows at the top, the room left below them.
    for (int r = 0; r < grid->rowCount(); ++r)
        grid->setRowStretch(r, r == count ? 1 : 0);
    if (count >= grid->rowCount())
        grid->setRowStretch(count, 1);
    // Wording, then each option's mark and text, then the option buttons.
    QWidget* previous = ui->Wording;
    for (const TOptionRow& row : rows_) {
        setTabOrder(previous, row.Right);
        setTabOrder(row.Right, row.Text);
        previous = row.Text;
    }
    setTabOrder(previous, ui->AddOption);
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
    ui->DuplicateQuestion->setEnabled(any);
    ui->RemoveQuestion->setEnabled(any);
    ui->MoveUp->setEnabled(ui->ActionMoveUp->isEnabled());
    ui->MoveDown->setEnabled(ui->ActionMoveDown->isEnabled());
    ui->AddOption->setEnabled(ui->ActionAddOption->isEnabled());
    ui->RemoveOption->setEnabled(options > 0);
    for (QAction* action : {ui->ActionOptionUp, ui->ActionOptionDown})
        action->setEnabled(options > 1);
    ui->OptionUp->setEnabled(options > 1);
    ui->OptionDown->setEnabled(options > 1);
}

int TEditorWindow::FocusedOption() const
{
    const QWidget* focus = QApplication::focusWidget();
    for (std::size_t k = 0; k < rows_.size(); ++k)
        if (focus == rows_[k].Text || focus == rows_[k].Right)
            return int(k) + 1;
    // A button clicked or reached by Tab acts where the cursor was.
    const bool onButton = focus == ui->AddOption || focus == ui->RemoveOption || focus == ui->OptionUp
        || focus == ui->OptionDown;
    return onButton && lastOption_ <= int(rows_.size()) ? lastOption_ : 0;
}

void TEditorWindow::FocusChanged(QWidget*, QWidget* now)
{
    if (now == ui->Wording)
        lastOption_ = 0;
    for (std::size_t k = 0; k < rows_.size(); ++k)
        if (now == rows_[k].Text || now == rows_[k].Right)
            lastOption_ = int(k) + 1;
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
            QFileDialog dialog(this, QStringLiteral("Сохранить тест"));
            dialog.setObjectName(QStringLiteral("SaveDialog"));
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setNameFilter(TestFilter);
            dialog.setDefaultSuffix(QStringLiteral("txt"));
            if (!path.empty())
                dialog.selectFile(FromNativePath(path));
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return false;
            path = ToNativePath(dialog.selectedFiles().constFirst());
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
    WhenDrawn([path] { Guard([&path] { StoreRecent(path); }); });
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
        ui->MenuRecent->clear();
        const QStringList recent = QSettings().value(RecentKey).toStringList();
        for (int i = 0; i < recent.size(); ++i) {
            QAction* action = ui->MenuRecent->addAction(
                QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(recent[i]).fileName().replace(u'&', QStringLiteral("&&"))));
            action->setToolTip(recent[i]);
            action->setStatusTip(recent[i]);
            const std::string path = ToNativePath(recent[i]);
            connect(action, &QAction::triggered, this, [this, path] {
                Guard([this, &path] {
                    if (MaybeSave())
                        OpenFile(path);
                });
            });
        }
        if (recent.isEmpty())
            ui->MenuRecent->addAction(RecentEmpty)->setEnabled(false);
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
        QFileDialog dialog(this, QStringLiteral("Открыть тест"));
        dialog.setObjectName(QStringLiteral("OpenDialog"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(TestFilter);
        if (!path_.empty())
            dialog.setDirectory(QFileInfo(FromNativePath(path_)).absolutePath());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            OpenFile(ToNativePath(dialog.selectedFiles().constFirst()));
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
    const QString name = QFileInfo(FromNativePath(path)).fileName();
    const auto fail = [&name](const QString& why) { throw EError(CannotImport.arg(name, why).toStdString()); };
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const EError& error) {
        fail(QString::fromUtf8(error.what()));
    }
    std::vector<TFormatNote> errors;
    const TPlainTest plain = ReadPlain(bytes, format, errors);
    const QStringList notes = NoteLines(plain.Notes, LineNote);
    if (!errors.empty()) {
        const TFormatNote& error = errors.front();
        const QString why = QString::fromStdString(error.Text);
        fail(error.Line > 0 ? LineNote.arg(error.Line) + QStringLiteral(": ") + why
                            : why + (notes.isEmpty() ? QString() : u'\n' + notes.join(u'\n')));
    }
    std::vector<TEditQuestion> questions;
    for (const TPlainQuestion& p : plain.Questions) {
        // The exchange formats hold text as shown: '&' is an ampersand.
        TEditQuestion q;
        q.Text = JoinLines(QString::fromStdString(p.Text));
        for (const std::string& option : p.Options)
            q.Options << JoinLines(QString::fromStdString(option));
        q.Correct = p.Correct;
        questions.push_back(std::move(q));
    }
    if (const std::size_t k = FirstTooLong(ToItems(questions)))
        fail(LineNote.arg(plain.Questions[k - 1].Line) + QStringLiteral(": ") + TooLongMessage(k));
    SetContent(std::move(questions), {}, notes.isEmpty() ? QString() : ImportNote.arg(name, notes.join(u'\n')));
    // Not yet a test file: saving asks for its name.
    document_.UndoStack()->resetClean();
    UpdateTitle();
    if (!notes.isEmpty())
        ShowNotes(ImportNotes.arg(document_.Count()).arg(notes.size()), notes);
}

void TEditorWindow::ExportFile(const std::string& path, TTestFormat format)
{
    std::vector<TPlainQuestion> plain;
    std::vector<TFormatNote> notes;
    for (std::size_t k = 0; k < document_.Questions().size(); ++k) {
        const TEditQuestion& q = document_.Questions()[k];
        TPlainQuestion p;
        p.Line = k + 1;
        bool marker = q.Text.contains(MarkerLine);
        p.Text = ShownOnly(q.Text).toStdString();
        for (const QString& option : q.Options) {
            marker = marker || option.contains(MarkerLine);
            p.Options.push_back(ShownOnly(option).toStdString());
            p.OptionLines.push_back(k + 1);
        }
        p.Correct = q.Correct;
        if (marker)
            notes.push_back({k + 1, FormatMsg::LoneMarker});
        plain.push_back(std::move(p));
    }
    std::vector<TFormatNote> errors;
    const std::string bytes = WritePlain(plain, format, notes, errors);
    const QStringList lines = NoteLines(notes, QuestionNote);
    if (!errors.empty())
        throw EError((QString::fromStdString(errors.front().Text) + u'\n' + lines.join(u'\n')).toStdString());
    SaveFileBytes(path, bytes);
    if (!lines.isEmpty())
        ShowNotes(ExportNotes.arg(lines.size()), lines);
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
        QFileDialog dialog(this, ImportTitle);
        dialog.setObjectName(QStringLiteral("ImportDialog"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(format == TTestFormat::Gift ? GiftFilter : AikenFilter);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            ImportFile(ToNativePath(dialog.selectedFiles().constFirst()), format);
    });
}

void TEditorWindow::ExportClick(TTestFormat format)
{
    Guard([this, format] {
        QFileDialog dialog(this, ExportTitle);
        dialog.setObjectName(QStringLiteral("ExportDialog"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(format == TTestFormat::Gift ? GiftFilter : AikenFilter);
        const QString suffix = format == TTestFormat::Gift ? QStringLiteral("gift") : QStringLiteral("txt");
        dialog.setDefaultSuffix(suffix);
        if (!path_.empty())
            dialog.selectFile(QFileInfo(FromNativePath(path_)).completeBaseName()
                + (format == TTestFormat::Gift ? QStringLiteral(".gift") : QStringLiteral("-aiken.txt")));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            ExportFile(ToNativePath(dialog.selectedFiles().constFirst()), format);
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
        QFileDialog dialog(this, QStringLiteral("Экспорт в PDF"));
        dialog.setObjectName(QStringLiteral("PdfDialog"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(PdfFilter);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        if (!path_.empty())
            dialog.selectFile(QFileInfo(FromNativePath(path_)).completeBaseName() + QStringLiteral(".pdf"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        WritePdf(dialog.selectedFiles().constFirst(), SheetTitle(path_), document_.Questions(), options.Options());
    });
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
        if (current_ < 0 || int(rows_.size()) >= MaxOptions)
            return;
        const int focused = FocusedOption();
        document_.AddOption(current_, focused > 0 ? focused : int(rows_.size()));
    });
}

void TEditorWindow::RemoveOptionClick()
{
    Guard([this] {
        if (current_ < 0 || rows_.empty())
            return;
        const int focused = FocusedOption();
        document_.RemoveOption(current_, focused > 0 ? focused : int(rows_.size()));
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
        if (current_ < 0 || rows_.empty())
            return;
        const int focused = FocusedOption();
        document_.MoveOption(current_, focused > 0 ? focused : int(rows_.size()), by);
    });
}

void TEditorWindow::MarkRightClick()
{
    Guard([this] {
        const int option = FocusedOption();
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
            lastOption_ = 0;
        current_ = row;
        ShowQuestion();
    });
}

void TEditorWindow::WordingEdited(const QString& text)
{
    Guard([this, &text] {
        if (current_ < 0)
            return;
        const QString line = JoinLines(text);
        if (line != text) {
            const int cursor = ui->Wording->cursorPosition() - int(text.size() - line.size());
            ui->Wording->setText(line);
            ui->Wording->setCursorPosition(std::max(0, cursor));
        }
        document_.SetText(current_, Fields::Wording, line);
    });
}

void TEditorWindow::OptionEdited(int option, const QString& text)
{
    Guard([this, option, &text] {
        if (current_ < 0)
            return;
        QLineEdit* field = rows_[std::size_t(option - 1)].Text;
        const QString line = JoinLines(text);
        if (line != text) {
            const int cursor = field->cursorPosition() - int(text.size() - line.size());
            field->setText(line);
            field->setCursorPosition(std::max(0, cursor));
        }
        document_.SetText(current_, option, line);
    });
}

void TEditorWindow::WordingReturn()
{
    Guard([this] {
        if (rows_.empty())
            AddOptionClick();
        else
            rows_.front().Text->setFocus();
    });
}

void TEditorWindow::OptionReturn(int option)
{
    Guard([this, option] {
        if (option < int(rows_.size()))
            rows_[std::size_t(option)].Text->setFocus();
        else if (!rows_[std::size_t(option - 1)].Text->text().trimmed().isEmpty() && option < MaxOptions)
            document_.AddOption(current_, option);
    });
}

void TEditorWindow::RightToggled(int option, bool checked)
{
    Guard([this, option, checked] {
        if (current_ < 0)
            return;
        if (!checked) { // the mark moves only to another option
            const QSignalBlocker block(rows_[std::size_t(option - 1)].Right);
            rows_[std::size_t(option - 1)].Right->setChecked(true);
            return;
        }
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

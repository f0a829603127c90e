// SPDX-License-Identifier: MIT
#include "editor/QuestionPane.h"

#include "editor/Markers.h"
#include "ui_QuestionPane.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QValidator>
#include <algorithm>

namespace {

const QString RightName = QStringLiteral("Вариант %1 — правильный ответ");
const QString OptionName = QStringLiteral("Вариант %1");
const QString BadFieldStyle = QStringLiteral("QLineEdit { background: #ffd8d8; }");
const QString BadFieldTip = QStringLiteral("Символ «%1» нельзя записать в Windows-1251");

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
    TUndoKeys(const QList<QKeySequence>* keys, QObject* parent)
        : QObject(parent)
        , keys_(keys)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride
            && keys_->contains(QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination())))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    const QList<QKeySequence>* keys_;
};

// A field takes no edit that would make too long a line of the file.
class TLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return TooLongForFile(input) ? Invalid : Acceptable; }
};

} // namespace

TQuestionPane::TQuestionPane(QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TQuestionPane>())
{
    ui->setupUi(this);
    SetUpField(ui->Wording);
    connect(ui->Wording, &QLineEdit::textEdited, this,
        [this](const QString& text) { FieldEdited(ui->Wording, Fields::Wording, text); });
    connect(ui->Wording, &QLineEdit::returnPressed, this, &TQuestionPane::WordingReturn);
    connect(qApp, &QApplication::focusChanged, this, &TQuestionPane::FocusChanged);
}

TQuestionPane::~TQuestionPane()
{
    // The fields give up the focus as they go, with no rows left to look in.
    qApp->disconnect(this);
}

QPushButton* TQuestionPane::AddOptionButton() const
{
    return ui->AddOption;
}

QPushButton* TQuestionPane::RemoveOptionButton() const
{
    return ui->RemoveOption;
}

QPushButton* TQuestionPane::OptionUpButton() const
{
    return ui->OptionUp;
}

QPushButton* TQuestionPane::OptionDownButton() const
{
    return ui->OptionDown;
}

// Makes one of the pane's fields: its own undo is the window's, and it
// holds no more than a line of the file.
void TQuestionPane::SetUpField(QLineEdit* field)
{
    field->installEventFilter(new TUndoKeys(&windowKeys_, field));
    field->setValidator(new TLineValidator(field));
    connect(field, &QLineEdit::inputRejected, this, &TQuestionPane::TooLong);
}

void TQuestionPane::Show(const TEditQuestion* question)
{
    setEnabled(question != nullptr);
    if (!question) {
        ui->Wording->clear();
        BuildRows(0);
        correct_ = 0;
        return;
    }
    const TEditQuestion& q = *question;
    correct_ = q.Correct;
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
}

void TQuestionPane::SelectField(int field, qsizetype at, qsizetype length)
{
    QWidget* target = ui->Wording;
    if (field > 0 && field <= int(rows_.size()))
        target = rows_[std::size_t(field - 1)].Text;
    else if (field == Fields::RightMark && !rows_.empty())
        target = rows_[std::size_t(correct_ >= 1 && correct_ <= int(rows_.size()) ? correct_ - 1 : 0)].Right;
    else if (field == Fields::OptionList)
        target = rows_.empty() ? static_cast<QWidget*>(ui->AddOption) : rows_.front().Text;
    if (target != QApplication::focusWidget())
        target->setFocus();
    if (auto* text = qobject_cast<QLineEdit*>(target); text && at >= 0)
        text->setSelection(int(at), int(length));
}

void TQuestionPane::BuildRows(int count)
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
        QLineEdit* text = row.Text;
        connect(text, &QLineEdit::textEdited, this,
            [this, text, option](const QString& typed) { FieldEdited(text, option, typed); });
        connect(text, &QLineEdit::returnPressed, this, [this, option] { OptionReturn(option); });
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

void TQuestionPane::FieldEdited(QLineEdit* field, int number, const QString& text)
{
    const QString line = JoinLines(text);
    if (line != text) {
        const int cursor = field->cursorPosition() - int(text.size() - line.size());
        field->setText(line);
        field->setCursorPosition(std::max(0, cursor));
    }
    emit TextEdited(number, line);
}

void TQuestionPane::WordingReturn()
{
    if (rows_.empty())
        emit OptionWanted(0);
    else
        rows_.front().Text->setFocus();
}

void TQuestionPane::OptionReturn(int option)
{
    if (option < int(rows_.size()))
        rows_[std::size_t(option)].Text->setFocus();
    else if (!rows_[std::size_t(option - 1)].Text->text().trimmed().isEmpty() && option < MaxOptions)
        emit OptionWanted(option);
}

void TQuestionPane::RightToggled(int option, bool checked)
{
    if (!checked) { // the mark moves only to another option
        const QSignalBlocker block(rows_[std::size_t(option - 1)].Right);
        rows_[std::size_t(option - 1)].Right->setChecked(true);
        return;
    }
    emit RightChosen(option);
}

int TQuestionPane::FocusedOption() const
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

void TQuestionPane::FocusChanged(QWidget*, QWidget* now)
{
    if (now == ui->Wording)
        lastOption_ = 0;
    for (std::size_t k = 0; k < rows_.size(); ++k)
        if (now == rows_[k].Text || now == rows_[k].Right)
            lastOption_ = int(k) + 1;
}

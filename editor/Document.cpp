// SPDX-License-Identifier: MIT
#include "editor/Document.h"

#include "editor/Markers.h"
#include "editor/Warnings.h"
#include "engine/Ansi.h"
#include "engine/Check.h"
#include "engine/Errors.h"
#include "engine/Exchange.h"
#include "engine/Files.h"
#include "engine/TestFile.h"
#include "engine/TestReader.h"
#include "engine/Text.h"

#include <QFileInfo>
#include <QUndoCommand>
#include <algorithm>
#include <chrono>

namespace {

// One keystroke's change of a field's text: `removed` characters at `at`
// replaced with `inserted`.
struct TTyping {
    std::int64_t Time = 0;
    qsizetype At = 0;
    qsizetype Removed = 0;
    QString Inserted;
    // The step this ends holds more than blanks.
    bool Word = false;

    bool Deleting() const { return Inserted.isEmpty(); }
    qsizetype End() const { return At + Inserted.size(); }
};

TTyping Change(const QString& from, const QString& to, std::int64_t time)
{
    qsizetype head = 0;
    const qsizetype shorter = std::min(from.size(), to.size());
    while (head < shorter && from[head] == to[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && from[from.size() - 1 - tail] == to[to.size() - 1 - tail])
        ++tail;
    const QString inserted = to.mid(head, to.size() - head - tail);
    const bool word = std::any_of(inserted.begin(), inserted.end(), [](QChar c) { return !c.isSpace(); });
    return {time, head, from.size() - head - tail, inserted, word};
}

// Whether `next` goes on with the typing that `last` ended, as text editors
// group it: at the same place, the same way, with no pause, in one word
// (the blanks after a word end its step, the next word starts a new one).
bool GoesOn(const TTyping& last, const TTyping& next, const QString& text)
{
    if (next.Time - last.Time >= TypingPause || (next.Removed > 0 && !next.Deleting()))
        return false;
    if (next.Deleting())
        return last.Deleting() && (next.At == last.At || next.At + next.Removed == last.At);
    if (last.Deleting() || next.At != last.End())
        return false;
    const bool startsWord = !next.Inserted.front().isSpace() && next.At > 0 && text[next.At - 1].isSpace();
    return !(startsWord && last.Word);
}

// Replaces a run of questions; typing in one field merges as GoesOn says.
class TReplaceCommand : public QUndoCommand {
public:
    TReplaceCommand(TTestDocument* document, int at, std::vector<TEditQuestion> before,
        std::vector<TEditQuestion> after, const QString& what, int focusQuestion, int focusField, int mergeKey)
        : QUndoCommand(what)
        , document_(document)
        , at_(at)
        , before_(std::move(before))
        , after_(std::move(after))
        , focusQuestion_(focusQuestion)
        , focusField_(focusField)
        , mergeKey_(mergeKey)
    {
    }

    void SetTyping(const TTyping& typing) { typing_ = typing; }

    void redo() override { document_->Apply(at_, int(before_.size()), after_, focusQuestion_, focusField_); }
    void undo() override
    {
        // Typing after an undo is a step of its own.
        open_ = false;
        document_->Apply(at_, int(after_.size()), before_, focusQuestion_, focusField_);
    }
    int id() const override { return mergeKey_ < 0 ? -1 : 1; }

    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const TReplaceCommand*>(other);
        if (!open_ || next->mergeKey_ != mergeKey_ || next->at_ != at_ || next->focusField_ != focusField_
            || next->before_.size() != 1 || after_.size() != 1)
            return false;
        if (!GoesOn(typing_, next->typing_, FieldText(next->after_[0], focusField_)))
            return false;
        after_ = next->after_;
        const bool word = typing_.Word;
        typing_ = next->typing_;
        typing_.Word = typing_.Word || word;
        return true;
    }

private:
    static const QString& FieldText(const TEditQuestion& q, int field)
    {
        return field == Fields::Wording ? q.Text : q.Options[field - 1];
    }

    TTestDocument* document_;
    int at_;
    std::vector<TEditQuestion> before_;
    std::vector<TEditQuestion> after_;
    int focusQuestion_;
    int focusField_;
    int mergeKey_;
    TTyping typing_;
    bool open_ = true;
};

// Undo step names, as the Edit menu shows them.
const QString Typing = QStringLiteral("ввод текста");
const QString Marking = QStringLiteral("выбор правильного ответа");
const QString OptionAdded = QStringLiteral("добавление варианта");
const QString OptionRemoved = QStringLiteral("удаление варианта");
const QString QuestionAdded = QStringLiteral("добавление вопроса");
const QString QuestionRemoved = QStringLiteral("удаление вопроса");
const QString QuestionMoved = QStringLiteral("перемещение вопроса");
const QString OptionMoved = QStringLiteral("перемещение варианта");
const QString QuestionDuplicated = QStringLiteral("копия вопроса");

// Typing merges with typing in the same field only.
constexpr int TypingKey = 1;

const QString CannotOpen = QStringLiteral("Не удалось открыть «%1»: %2");
const QString NotATest = QStringLiteral("это не тест: загрузка прерывается в строке %1 с ошибкой «%2», "
                                        "не прочитав ни одного вопроса");
const QString CannotImport = QStringLiteral("Не удалось импортировать «%1»: %2");
const QString QuestionNote = QStringLiteral("вопрос %1");
const QString LineNote = QStringLiteral("строка %1");
const QString NotSaved = QStringLiteral("Тест не сохранён: символ «%1» в вопросе %2 нельзя записать в "
                                        "Windows-1251. Замените его.");
const QString NotSavedTooLong = QStringLiteral("Тест не сохранён: %1.");
const QString NotSavedTooLarge = QStringLiteral("Тест не сохранён: файл вышел бы больше %1 МиБ, а такие файлы "
                                                "не открываются. Разделите тест на несколько.");

void CheckLineLengths(const std::string& path, const TTestContent& content, bool utf8)
{
    if (const std::size_t k = FirstTooLong(content.Items, utf8))
        throw EError(CannotOpen.arg(FromNativePath(path), TooLongMessage(k)).toStdString());
}

} // namespace

TEditQuestion NewQuestion()
{
    return {QString(), {QString(), QString()}, 0};
}

TTestDocument::TTestDocument(QObject* parent)
    : QObject(parent)
    , clock_([] {
        return std::int64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch()).count());
    })
{
}

void TTestDocument::Reset(std::vector<TEditQuestion> questions)
{
    const int removed = Count();
    undo_.clear();
    questions_ = std::move(questions);
    emit Changed(0, removed, Count());
}

void TTestDocument::Replace(int at, int count, std::vector<TEditQuestion> with, const QString& what,
    int focusQuestion, int focusField, int mergeKey)
{
    std::vector<TEditQuestion> before(questions_.begin() + at, questions_.begin() + at + count);
    if (before == with)
        return;
    undo_.push(new TReplaceCommand(this, at, std::move(before), std::move(with), what, focusQuestion, focusField,
        mergeKey));
}

void TTestDocument::Apply(int at, int count, const std::vector<TEditQuestion>& with, int focusQuestion, int focusField)
{
    questions_.erase(questions_.begin() + at, questions_.begin() + at + count);
    questions_.insert(questions_.begin() + at, with.begin(), with.end());
    emit Changed(at, count, int(with.size()));
    emit Focus(std::min(focusQuestion, Count() - 1), focusField);
}

void TTestDocument::SetText(int question, int field, const QString& text)
{
    TEditQuestion q = questions_[std::size_t(question)];
    QString& shown = field == Fields::Wording ? q.Text : q.Options[field - 1];
    if (shown == text)
        return;
    const TTyping typing = Change(shown, text, clock_());
    shown = text;
    auto* step = new TReplaceCommand(this, question, {questions_[std::size_t(question)]}, {q}, Typing, question,
        field, TypingKey);
    step->SetTyping(typing);
    undo_.push(step);
}

void TTestDocument::SetCorrect(int question, int option)
{
    TEditQuestion q = questions_[std::size_t(question)];
    q.Correct = option;
    Replace(question, 1, {q}, Marking, question, option);
}

void TTestDocument::AddOption(int question, int after)
{
    TEditQuestion q = questions_[std::size_t(question)];
    q.Options.insert(after, QString());
    // The mark stays with its option.
    if (q.Correct > after && q.Correct <= q.Options.size() - 1)
        ++q.Correct;
    Replace(question, 1, {q}, OptionAdded, question, after + 1);
}

void TTestDocument::RemoveOption(int question, int option)
{
    TEditQuestion q = questions_[std::size_t(question)];
    q.Options.removeAt(option - 1);
    if (q.Correct == option)
        q.Correct = 0;
    else if (q.Correct > option && q.Correct <= q.Options.size() + 1)
        --q.Correct;
    Replace(question, 1, {q}, OptionRemoved, question,
        q.Options.isEmpty() ? Fields::OptionList : std::min(option, int(q.Options.size())));
}

void TTestDocument::MoveOption(int question, int option, int by)
{
    TEditQuestion q = questions_[std::size_t(question)];
    const int to = option + by;
    if (by == 0 || option < 1 || option > q.Options.size() || to < 1 || to > q.Options.size())
        return;
    q.Options.swapItemsAt(option - 1, to - 1);
    if (q.Correct == option)
        q.Correct = to;
    else if (q.Correct == to)
        q.Correct = option;
    Replace(question, 1, {q}, OptionMoved, question, to);
}

void TTestDocument::InsertQuestion(int at, const TEditQuestion& question)
{
    Replace(at, 0, {question}, QuestionAdded, at, Fields::Wording);
}

void TTestDocument::RemoveQuestion(int question)
{
    Replace(question, 1, {}, QuestionRemoved, std::max(0, std::min(question, Count() - 2)), Fields::Wording);
}

void TTestDocument::MoveQuestion(int question, int by)
{
    const int to = question + by;
    if (by == 0 || to < 0 || to >= Count())
        return;
    const int first = std::min(question, to);
    std::vector<TEditQuestion> swapped {questions_[std::size_t(first + 1)], questions_[std::size_t(first)]};
    Replace(first, 2, std::move(swapped), QuestionMoved, to, Fields::Wording);
}

void TTestDocument::DuplicateQuestion(int question)
{
    Replace(question + 1, 0, {questions_[std::size_t(question)]}, QuestionDuplicated, question + 1, Fields::Wording);
}

std::vector<TTestItem> ToItems(const std::vector<TEditQuestion>& questions)
{
    // All the texts converted at once, one per line: a converter costs more
    // to make than a question's text takes to convert.
    QString all;
    for (const TEditQuestion& q : questions) {
        all += MarkedFromEdit(q.Text) + u'\n';
        for (const QString& option : q.Options)
            all += MarkedFromEdit(option) + u'\n';
    }
    // A character the code page lacks becomes '?' here, for the warnings'
    // sake; saving refuses such text before it gets this far.
    const std::string bytes = ToAnsi(all, '?');
    std::size_t from = 0;
    const auto next = [&bytes, &from] {
        const std::size_t end = bytes.find('\n', from);
        std::string line = bytes.substr(from, end - from);
        from = end + 1;
        return line;
    };
    std::vector<TTestItem> items;
    items.reserve(questions.size());
    for (const TEditQuestion& q : questions) {
        TTestItem item;
        item.Text = next();
        for (qsizetype i = 0; i < q.Options.size(); ++i)
            item.Options.push_back(next());
        item.Correct = q.Correct;
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<TEditQuestion> FromItems(const std::vector<TTestItem>& items, bool utf8)
{
    // Each text decoded by itself: joining them first to decode at once held
    // the whole test three times over, and a 255-question test's start paid
    // for every page of it.
    const auto decode = [utf8](const std::string& line) {
        return EditFromMarked(utf8 ? QString::fromStdString(line) : FromAnsi(line));
    };
    std::vector<TEditQuestion> questions;
    questions.reserve(items.size());
    for (const TTestItem& item : items) {
        TEditQuestion q;
        q.Text = decode(item.Text);
        q.Options.reserve(qsizetype(item.Options.size()));
        for (const std::string& option : item.Options)
            q.Options.push_back(decode(option));
        q.Correct = item.Correct;
        questions.push_back(std::move(q));
    }
    return questions;
}

TBadSpot BadCharacterIn(const QString& edit)
{
    // The marker's low line is no character of the file: looked past.
    for (qsizetype at = FirstNonAnsi(edit); at >= 0; at = FirstNonAnsi(edit, at + 1))
        if (edit[at] != MarkerLine)
            return {at, CharacterAt(edit, at).Text};
    return {};
}

TBadCharacter FirstBadCharacter(const std::vector<TEditQuestion>& questions)
{
    for (std::size_t k = 0; k < questions.size(); ++k) {
        const TEditQuestion& q = questions[k];
        for (int field = 0; field <= q.Options.size(); ++field) {
            const TBadSpot spot = BadCharacterIn(field == 0 ? q.Text : q.Options[field - 1]);
            if (spot.At >= 0)
                return {int(k), field, spot};
        }
    }
    return {};
}

QString TooLongMessage(std::size_t question)
{
    return QString::fromUtf8(Format(TestFileMsg::LineTooLong, std::to_string(question), std::to_string(LineLimit)));
}

bool TooLongForFile(const QString& edit)
{
    // '&' doubled at most doubles a text: most need no look.
    if (edit.size() * 2 <= qsizetype(LineLimit))
        return false;
    return LineTooLong(MarkedFromEdit(edit).toUtf8().toStdString(), true);
}

std::vector<TEditQuestion> DecodeForEditing(const std::string& path, const TTestContent& content, bool utf8)
{
    CheckLineLengths(path, content, utf8);
    return FromItems(content.Items, utf8);
}

TTestForEditing ReadTestForEditing(const std::string& path)
{
    const auto fail = [&path](const QString& why) {
        throw EError(CannotOpen.arg(FromNativePath(path), why).toStdString());
    };
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const EError& error) {
        fail(QString::fromUtf8(error.what()));
    }
    if (const std::size_t control = FirstNonText(bytes, true); control != NoPlace)
        fail(QString::fromUtf8(Format(TextMsg::NotText, std::to_string(static_cast<unsigned char>(bytes[control])))));
    TTestForEditing test;
    test.Utf8 = SavedAsUtf8(bytes);
    test.Content = ReadTestContent(bytes);
    const TTestContent& content = test.Content;
    if (content.Items.empty() && !content.StopMessage.empty())
        fail(NotATest.arg(content.StopLine).arg(QString::fromUtf8(content.StopMessage)));
    test.LineCount = std::size_t(std::count(bytes.begin(), bytes.end(), '\n')) + (bytes.ends_with('\n') ? 0 : 1);
    // The checker says why, as ekzamo-check would; it also knows a Ctrl-Z
    // that ends the file before its end, which the reader takes as the end.
    if (content.StopLine > 0 || bytes.find(CtrlZ) != std::string::npos) {
        for (const TCheckWarning& warning : CheckTestBytes(bytes).Warnings) {
            if (content.StopLine > 0 && warning.Line == content.StopLine && test.StopWarning.empty())
                test.StopWarning = warning.Text;
            if (content.UnreadLine == 0 && warning.Text == CheckMsg::CtrlZEndsFile) {
                test.Content.UnreadLine = warning.Line;
                test.StopWarning = warning.Text;
            }
        }
    }
    bytes = {};
    // A file that may be UTF-8 is decoded once the teacher says how.
    if (!test.Utf8)
        test.Questions = DecodeForEditing(path, content, false);
    else
        CheckLineLengths(path, content, true);
    return test;
}

ENotSaved::ENotSaved(const QString& message, int question, int field, qsizetype at, qsizetype length)
    : EError(message.toStdString())
    , Question(question)
    , Field(field)
    , At(at)
    , Length(length)
{
}

void SaveForEditing(const std::string& path, const std::vector<TEditQuestion>& questions)
{
    const TBadCharacter bad = FirstBadCharacter(questions);
    if (bad.Question >= 0)
        throw ENotSaved(NotSaved.arg(bad.Spot.Character).arg(bad.Question + 1), bad.Question, bad.Field, bad.Spot.At,
            bad.Spot.Character.size());
    const std::vector<TTestItem> items = ToItems(questions);
    if (const std::size_t k = FirstTooLong(items))
        throw ENotSaved(NotSavedTooLong.arg(TooLongMessage(k)), int(k) - 1, Fields::Wording);
    // Never a file larger than the tools, the editor among them, read again.
    const std::string bytes = TestFileBytes(items);
    if (bytes.size() > MaxFileSize)
        throw EError(NotSavedTooLarge.arg(MaxFileSize >> 20).toStdString());
    SaveFileBytes(path, bytes);
}

TImported ImportForEditing(const std::string& path, TTestFormat format)
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
    TImported imported;
    imported.Notes = NoteLines(plain.Notes, LineNote);
    if (!errors.empty()) {
        const TFormatNote& error = errors.front();
        const QString why = QString::fromStdString(error.Text);
        fail(error.Line > 0 ? LineNote.arg(error.Line) + QStringLiteral(": ") + why
                            : why + (imported.Notes.isEmpty() ? QString() : u'\n' + imported.Notes.join(u'\n')));
    }
    for (const TPlainQuestion& p : plain.Questions) {
        // The exchange formats hold text as shown: '&' is an ampersand.
        TEditQuestion q;
        q.Text = JoinLines(QString::fromStdString(p.Text));
        for (const std::string& option : p.Options)
            q.Options << JoinLines(QString::fromStdString(option));
        q.Correct = p.Correct;
        imported.Questions.push_back(std::move(q));
    }
    if (const std::size_t k = FirstTooLong(ToItems(imported.Questions)))
        fail(LineNote.arg(plain.Questions[k - 1].Line) + QStringLiteral(": ") + TooLongMessage(k));
    return imported;
}

QStringList ExportEdited(const std::string& path, const std::vector<TEditQuestion>& questions, TTestFormat format)
{
    std::vector<TPlainQuestion> plain;
    std::vector<TFormatNote> notes;
    for (std::size_t k = 0; k < questions.size(); ++k) {
        const TEditQuestion& q = questions[k];
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
    return lines;
}

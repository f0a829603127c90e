// SPDX-License-Identifier: MIT
#include "journal/Reports.h"

#include <algorithm>

const char* AttemptFlagKeyword(unsigned bit)
{
    switch (bit) {
    case ChangedAfterCollection: return "changed_after_collection";
    case KeyMismatch: return "key_mismatch";
    case Unfinished: return "unfinished";
    case ScoreOnly: return "score_only";
    case VersionMismatch: return "version_mismatch";
    default: return "";
    }
}

namespace {

QString Time(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QString();
}

} // namespace

QStringList AttemptNotes(const TAttemptResult& a)
{
    QStringList notes;
    if (a.Flags & ChangedAfterCollection)
        notes << QStringLiteral("файл изменён после сбора (прежнее содержимое собрано %1, это — %2)")
                     .arg(Time(a.Replaced), Time(a.Collected));
    if (a.Flags & KeyMismatch) {
        QStringList numbers;
        for (const unsigned n : a.Mismatched)
            numbers << QString::number(n);
        notes << QStringLiteral("не совпадает с ключом: %1 %2")
                     .arg(numbers.size() == 1 ? QStringLiteral("вопрос") : QStringLiteral("вопросы"), numbers.join(QStringLiteral(", ")));
    }
    if (a.Flags & Unfinished)
        notes << QStringLiteral("не закончен: без ответа %1 из %2").arg(a.Questions - std::min(a.Answered, a.Questions)).arg(a.Questions);
    if (a.Flags & ScoreOnly)
        notes << QStringLiteral("только итог");
    if (a.Flags & VersionMismatch) {
        QStringList wordings;
        for (const QString& w : a.Unmatched)
            wordings << QStringLiteral("«%1»").arg(Readable(w));
        notes << (wordings.size() == 1 ? QStringLiteral("другая версия теста: вопрос %1 не найден в ключе")
                                       : QStringLiteral("другая версия теста: вопросы %1 не найдены в ключе"))
                     .arg(wordings.join(QStringLiteral(", ")));
    }
    return notes;
}


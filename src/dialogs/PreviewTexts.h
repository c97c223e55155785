#pragma once
// What the dialog preview and the fit warnings say, in one place.

#include "dialogs/FitCheck.h"

#include <QString>

namespace kvarsel::preview_texts {

inline const QString kCaption = QStringLiteral("Предпросмотр диалога");
inline const QString kMenuEntry = QStringLiteral("Предпросмотр диалога");
inline const QString kNoDialog =
    QStringLiteral("Выберите в списке Dialog строку, которая относится к диалогу.");
inline const QString kAllFit = QStringLiteral("Все тексты помещаются.");

inline QString controlName(const QString& statement, const QString& id, const QString& className)
{
    return className.isEmpty() ? QStringLiteral("%1 %2").arg(statement, id)
                               : QStringLiteral("%1 %2 (%3)").arg(statement, id, className);
}

// The tooltip line of a control whose text does not fit.
inline QString misfit(const TextFit& fit)
{
    QString text = QStringLiteral("Текст не помещается: нужно %1, есть %2 (не хватает %3)")
                       .arg(fit.neededWidth)
                       .arg(fit.availableWidth)
                       .arg(fit.missing());
    if (fit.linesNeeded > fit.linesAvailable)
        text += QStringLiteral("; строк нужно %1, есть %2").arg(fit.linesNeeded).arg(fit.linesAvailable);
    return text;
}

inline QString fontMissing(const QString& family, const QString& package)
{
    return QStringLiteral("Шрифт %1 не установлен (пакет %2): размеры текстов приблизительные.")
        .arg(family, package);
}

inline QString header(const QString& dialogName, const QString& fileName, int controls)
{
    return QStringLiteral("%1 - %2, элементов: %3").arg(dialogName, fileName).arg(controls);
}

inline QString misfitCount(int count)
{
    return count == 0 ? kAllFit : QStringLiteral("Не помещается текстов: %1").arg(count);
}

// The warning under a translation box.
inline QString fitWarning(const FitProblem& problem)
{
    return QStringLiteral("Не помещается в элемент диалога %1 (нужно %2, есть %3)")
        .arg(describeControl(problem))
        .arg(problem.fit.neededWidth)
        .arg(problem.fit.availableWidth);
}

inline QString moreWarnings(qsizetype count) { return QStringLiteral("и еще элементов: %1").arg(count); }

} // namespace kvarsel::preview_texts

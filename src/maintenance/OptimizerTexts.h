#pragma once
// Every text the user dictionary optimiser shows.

#include "workbench/ProductName.h"

#include <QString>

namespace kvarsel::optimizer_texts {

inline const QString kCaption = QStringLiteral("Оптимизация словаря пользователя");
inline const QString kPhraseFrame = QStringLiteral("Фраза на английском : ");
inline const QString kCandidatesFrame = QStringLiteral("Наиболее корректный перевод на русский язык : ");
inline const QString kErrorsFrame = QStringLiteral("Ошибка в словаре : ");
inline const QString kActionsFrame = QStringLiteral("Варианты действий : ");

inline const QString kChoiceLabel =
    QStringLiteral("Вы можете использовать наиболее корректный вариант перевода из списка, или ввести свой "
                   "собственный вариант");
inline const QString kUseSelected = QStringLiteral("Использовать выделенную фразу");
inline const QString kUseNewValue = QStringLiteral("Использовать новое значение");

inline const QString kRepairLabel = QStringLiteral(
    "Бывают случаи, когда оператор по ошибке использует буквы, написание которых в русском и "
    "английском языках одинаково, например а, о или с. Проще всего тогда отредактировать строку "
    "прямо отсюда : ");
inline const QString kDeleteRow = QStringLiteral("Удалить строку");
inline const QString kChangeRow = QStringLiteral("Изменить строку");
inline const QString kSkipRow = QStringLiteral("Пропустить строку");

inline const QString kContinue = QStringLiteral("Продолжить оптимизацию");
inline const QString kCheck = QStringLiteral("Проверить на ошибки");
inline const QString kExit = QStringLiteral("Выход");

inline const QString kFailureTitle = QStringLiteral("Сообщение об ошибке");
inline const QString kFailureIntro = QStringLiteral("В модуле оптимизации произошла ошибка № ");
inline const QString kFailureOutro = QStringLiteral("Сейчас произойдет выход из процедуры оптимизации.");

inline const QString kMessageTitle = kProductName;

// The status line after a job.
inline QString repeatsRemoved(qsizetype n) { return QStringLiteral("Удалено повторов: %1").arg(n); }
inline QString translationsChosen(qsizetype n) { return QStringLiteral("Выбрано переводов: %1").arg(n); }
inline QString rowsChecked(qsizetype rows, qsizetype errors)
{
    return errors == 0 ? QStringLiteral("Проверено строк: %1, ошибок не найдено").arg(rows)
                       : QStringLiteral("Проверено строк: %1, найдено ошибок: %2").arg(rows).arg(errors);
}

} // namespace kvarsel::optimizer_texts

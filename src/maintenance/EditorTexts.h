#pragma once
// Every text the user dictionary editor shows.

#include <QString>

namespace kvarsel::editor_texts {

inline const QString kCaption = QStringLiteral("Редактирование словаря пользователя");
inline const QString kPatternLabel = QStringLiteral("Образец для поиска :");
inline const QString kFoundLabel = QStringLiteral("Фраза в словаре :");
inline const QString kChangeLabel = QStringLiteral("Измененная фраза :");
inline const QString kFind = QStringLiteral("Найти");
inline const QString kFindNext = QStringLiteral("Найти далее");
inline const QString kOk = QStringLiteral("OK");
inline const QString kExit = QStringLiteral("Выход");
inline QString notFound(const QString& pattern)
{
    return QStringLiteral("Образец «%1» в словаре не найден.").arg(pattern);
}
inline const QString kNoMoreFound =
    QStringLiteral("Больше совпадений нет. Следующий поиск начнется сначала.");

} // namespace kvarsel::editor_texts

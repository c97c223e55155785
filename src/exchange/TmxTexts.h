#pragma once
// Everything the TMX exchange says, in one place, for the window and kvarsel-batch alike.

#include <QString>

namespace kvarsel::tmx_texts {

inline const QString kImportButton = QStringLiteral("Импорт TMX…");
inline const QString kExportButton = QStringLiteral("Экспорт в TMX…");
inline const QString kImportTitle = QStringLiteral("Импорт TMX");
inline const QString kExportTitle = QStringLiteral("Экспорт в TMX");
inline const QString kFilter = QStringLiteral("Память переводов TMX (*.tmx);;Все файлы (*)");

inline const QString kNotRead = QStringLiteral("Файл TMX не прочитан, словарь не записан.");
inline const QString kNotWritten = QStringLiteral("Файл TMX не записан.");
inline const QString kDictionaryNotWritten = QStringLiteral("Словарь не записан.");
inline const QString kNothingTaken =
    QStringLiteral("В файле TMX нет ни одной пары с текстами на обоих языках.");
inline const QString kNothingToExport = QStringLiteral("В словаре нет ни одной пары для экспорта.");

// XML failures: the kind of fault, then where it is.
inline const QString kNotWellFormed = QStringLiteral("нарушена разметка XML");
inline const QString kPrematureEnd = QStringLiteral("файл обрывается до конца документа");
inline const QString kUnexpectedElement = QStringLiteral("неожиданный элемент XML");
inline const QString kNotTmx = QStringLiteral("это не файл TMX: корневой элемент не <tmx>");
inline QString xmlFault(const QString& kind, qint64 line, qint64 column, const QString& detail)
{
    return QStringLiteral("%1 в строке %2, столбце %3 (%4)").arg(kind).arg(line).arg(column).arg(detail);
}

inline QString unitsRead(qsizetype n) { return QStringLiteral("Прочитано единиц перевода: %1").arg(n); }
inline QString unitsTaken(qsizetype n) { return QStringLiteral("Взято в словарь: %1").arg(n); }
inline QString unitsLeftOut(qsizetype n) { return QStringLiteral("Пропущено: %1").arg(n); }
inline QString noSource(qsizetype n, const QString& lang)
{
    return QStringLiteral("  нет текста на языке %2: %1").arg(n).arg(lang);
}
inline QString lineBreaks(qsizetype n)
{
    return QStringLiteral("  текст содержит перевод строки: %1").arg(n);
}
inline QString repeats(qsizetype n) { return QStringLiteral("  повторяют уже взятую пару: %1").arg(n); }
inline QString written(const QString& path, const QString& encoding)
{
    return QStringLiteral("Словарь записан в файл %1 (%2)").arg(path, encoding);
}
inline const QString kCp1251 = QStringLiteral("кодировка Windows-1251");
inline const QString kUtf8 = QStringLiteral("кодировка UTF-8 с меткой порядка байтов");

inline QString exported(qsizetype n, const QString& path)
{
    return QStringLiteral("Записано единиц перевода: %1 в файл %2").arg(n).arg(path);
}
inline QString emptyRowsLeftOut(qsizetype n)
{
    return QStringLiteral("Пропущены пары с пустой строкой словаря пользователя: %1").arg(n);
}
inline QString unpairedLeftOut(qsizetype n)
{
    return QStringLiteral("Пропущена последняя строка словаря без перевода: %1").arg(n);
}
inline QString notXmlLeftOut(qsizetype n)
{
    return QStringLiteral("Пропущены пары с управляющими символами, недопустимыми в XML: %1").arg(n);
}

inline const QString kTargetExists = QStringLiteral("файл уже существует (--force, чтобы заменить его)");
inline const QString kUserDictionaryTarget =
    QStringLiteral("импорт не записывает словарь пользователя: укажите другой файл");

} // namespace kvarsel::tmx_texts

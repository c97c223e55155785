#pragma once
// Every text the help window shows, and the help list it is filled with.

#include "text/FileError.h"
#include "workbench/ProductName.h"

#include <QStringList>
#include <optional>

namespace kvarsel {

namespace help_texts {

inline const QString kCaption = QStringLiteral("Кварсел - Справка");
inline const QString kWorkDirLabel = QStringLiteral("Рабочий каталог программы :");
inline const QString kVersion = QStringLiteral("Версия программы - 2.0");
inline const QString kDocumentationLabel =
    QStringLiteral("Более подробная справка - в документации, установленной вместе с программой: ");
inline const QString kDocumentationButton = QStringLiteral("Документация программы");
inline const QString kOk = QStringLiteral("Ok");
inline const QString kMessageTitle = kProductName;

inline const QString kReadmeName = QStringLiteral("Readme.txt");
inline const QString kReadmeMissing = QStringLiteral("Файла Readme.txt нет в рабочем каталоге программы!");
inline const QString kReadmeMissingRow =
    QString(21, u' ') + QStringLiteral("Файла Readme.txt нет в рабочем каталоге программы!!");
inline const QString kSeeDocumentation =
    QStringLiteral("Более подробная справка - в документации программы:");
inline QString documentationMissing(const QString& path)
{
    return QStringLiteral("Файл документации программы не найден:\n%1").arg(path);
}
inline QString documentationNotOpened(const QString& path)
{
    return QStringLiteral("Файл документации программы не открыт: нет программы, которая открывает "
                          "файлы HTML.\n%1")
        .arg(path);
}

// Opens the help list, above the line of "=".
inline const QStringList kInformation = {
    QStringLiteral("Кварсел 2.0 переводит тексты ресурсов программ Windows (меню, диалоги, таблицы"),
    QStringLiteral("строк и данные форм) с английского языка на русский по словарям фраз."),
    QStringLiteral("Ниже приведен файл Readme.txt из рабочего каталога программы."),
};

} // namespace help_texts

struct HelpList {
    QStringList rows;
    bool readmeMissing = false;         // the fallback rows stand where the file would
    std::optional<FileError> readError; // the file exists but could not be read
};

// The help list for `directory`: an empty row, the information text, a row of 88
// "=", an empty row, then Readme.txt line by line (empty lines kept), or the rows
// that say it is missing and name the `documentation` file.
HelpList buildHelpList(const QString& directory, const QString& documentation);

// The message box text when Readme.txt is missing: three lines.
QString readmeMissingMessage(const QString& documentation);

// The user's guide, docs/guide.md rendered to HTML when the program is built,
// for the executable in `programDir`: installed with it (bin/../share/doc/kvarsel),
// or beside it in the build tree (share/doc/kvarsel). The first that exists; the
// installed one when neither does, so that a message names where it belongs.
QString documentationPath(const QString& programDir);

} // namespace kvarsel

#pragma once
// Every text the help window shows, and the help list it is filled with.

#include "text/FileError.h"
#include "workbench/ProductName.h"

#include <QStringList>
#include <optional>

namespace kvarsel {

namespace help_texts {

// The program's web address: the button's caption, the page it opens, and the
// line that names it when Readme.txt is missing. A placeholder domain reserved
// for documentation, not a product site.
inline const QString kProjectAddress = QStringLiteral("https://example.com/kvarsel");

inline const QString kCaption = QStringLiteral("Кварсел - Справка");
inline const QString kWorkDirLabel = QStringLiteral("Рабочий каталог программы :");
inline const QString kVersion = QStringLiteral("Версия программы - 2.0");
inline const QString kSiteLabel =
    QStringLiteral("Более подробная справка, словари и новые версии программы  на сайте ");
inline const QString kOk = QStringLiteral("Ok");
inline const QString kMessageTitle = kProductName;

inline const QString kReadmeName = QStringLiteral("Readme.txt");
inline const QString kReadmeMissing = QStringLiteral("Файла Readme.txt нет в рабочем каталоге программы!");
inline const QString kReadmeMissingRow =
    QString(21, u' ') + QStringLiteral("Файла Readme.txt нет в рабочем каталоге программы!!");
inline const QString kVisitSite = QStringLiteral("Для получения Справки или обновления программы зайдите на");
inline const QString kSiteLine = QStringLiteral("сайт программы Кварсел: ") + kProjectAddress;

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
// that say it is missing.
HelpList buildHelpList(const QString& directory);

// The message box text when Readme.txt is missing: three lines.
QString readmeMissingMessage();

} // namespace kvarsel

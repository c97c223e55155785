#include "workbench/QtTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kvarsel {

namespace {
QLocale russian() { return QLocale(QLocale::Russian, QLocale::Russia); }
} // namespace

bool installQtRussianTranslation(QCoreApplication& app, QString* error)
{
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    // qtbase holds the texts of every widget the program uses.
    if (!translator->load(russian(), QStringLiteral("qtbase"), QStringLiteral("_"), dir)) {
        delete translator;
        if (error)
            *error = QStringLiteral("Qt's Russian translation qtbase_ru.qm was not found in %1")
                         .arg(QDir::toNativeSeparators(dir));
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

void setRussianLocale() { QLocale::setDefault(russian()); }

} // namespace kvarsel

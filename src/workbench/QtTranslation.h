#pragma once
// Qt's own texts (file dialog, context menus of text boxes, standard buttons) in
// Russian, like the rest of the program, from the translations Qt ships
// (Debian: qt6-translations-l10n), and Russian as the program's locale.

#include <QString>

class QCoreApplication;

namespace kvarsel {

// Installs Qt's Russian translation into `app`, whatever the system language is.
// False, with the reason in `*error`, when the catalogue cannot be loaded; the
// program then goes on with Qt's English texts.
bool installQtRussianTranslation(QCoreApplication& app, QString* error = nullptr);

// Russian (Russia) as the locale of every QLocale() made from now on, whatever the
// system's is: dates, sizes and file type names Qt formats read like the rest of
// the program. Called before the first window is built, which takes its locale then.
void setRussianLocale();

} // namespace kvarsel

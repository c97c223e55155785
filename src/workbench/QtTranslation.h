#pragma once
// Qt's own texts (file dialog, context menus of text boxes, standard buttons) in
// Russian, like the rest of the program, from the translations Qt ships
// (Debian: qt6-translations-l10n).

#include <QString>

class QCoreApplication;

namespace kvarsel {

// Installs Qt's Russian translation into `app`, whatever the system language is.
// False, with the reason in `*error`, when the catalogue cannot be loaded; the
// program then goes on with Qt's English texts.
bool installQtRussianTranslation(QCoreApplication& app, QString* error = nullptr);

} // namespace kvarsel

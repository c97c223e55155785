#include "deferred/InstallDeferredTranslation.h"
#include "dialogs/InstallDialogPreview.h"
#include "help/InstallHelp.h"
#include "maintenance/InstallMaintenance.h"
#include "text/NativePath.h"
#include "workbench/MainWindow.h"
#include "workbench/QtTranslation.h"
#include "workbench/UiServices.h"
#include "workbench/WindowPlacement.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvarsel"));
    kvarsel::setRussianLocale();
    QString translationError;
    if (!kvarsel::installQtRussianTranslation(app, &translationError))
        qWarning("%s", qPrintable(translationError));
    // Outside a desktop session Qt knows no icon theme; the freedesktop one is the
    // closest to a native look, and every button has a built-in fallback anyway.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    kvarsel::DesktopUiServices services;
    // With every byte of its name, which Qt's own reading would not keep.
    kvarsel::MainWindow window(kvarsel::currentDirectoryPath(), services);
    kvarsel::installDeferredTranslation(window);
    kvarsel::installMaintenance(window);
    kvarsel::installHelp(window);
    new kvarsel::WindowPlacement(&window); // owned by the window
    kvarsel::installDialogPreview(window);
    // Without any dictionary the program has told the user why and ends, as
    // planned, not as a failure.
    if (!window.start())
        return 0;
    window.endProcess(QApplication::exec());
}

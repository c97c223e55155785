#include "deferred/InstallDeferredTranslation.h"

#include "deferred/DeferredTranslation.h"
#include "workbench/MainWindow.h"

namespace kvarsel {

void installDeferredTranslation(MainWindow& main)
{
    auto* deferred = new DeferredTranslation(&main, main.project(), main.statusPanels(), main.services(),
                                             [&main] { return main.resourcesDirectory(); });
    QObject::connect(deferred, &DeferredTranslation::busyChanged, &main, &MainWindow::setBusy);
    QObject::connect(deferred, &DeferredTranslation::repaintRequested, &main, &MainWindow::repaintNow);
    QObject::connect(deferred, &DeferredTranslation::exitRequested, &main, &MainWindow::runExitSequence);
    QObject::connect(deferred, &DeferredTranslation::loadRequested, &main, &MainWindow::loadResourcesFrom);
    main.setButtonAction(MainWindow::DeferredTranslate, [deferred] { deferred->onButton(); });
}

} // namespace kvarsel

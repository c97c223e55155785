#include "help/InstallHelp.h"

#include "help/HelpTexts.h"
#include "help/HelpWindow.h"
#include "workbench/MainWindow.h"

#include <QCoreApplication>
#include <QDir>

namespace kvarsel {

void installHelp(MainWindow& main)
{
    main.setButtonAction(MainWindow::Help, [&main] {
        auto* help = main.findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
        if (!help)
            help = new HelpWindow(&main, main.services(), main.project().workDir(),
                                  documentationPath(QCoreApplication::applicationDirPath()));
        help->showOverMain();
    });
}

} // namespace kvarsel

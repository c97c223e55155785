#include "maintenance/InstallMaintenance.h"

#include "maintenance/UserDictionaryEditor.h"
#include "maintenance/UserDictionaryOptimizer.h"
#include "workbench/MainWindow.h"

namespace kvarsel {

void installMaintenance(MainWindow& main)
{
    main.setButtonAction(MainWindow::OptimizeDictionary, [&main] {
        auto* optimizer = main.findChild<UserDictionaryOptimizer*>(QString(), Qt::FindDirectChildrenOnly);
        if (!optimizer)
            optimizer = new UserDictionaryOptimizer(&main, main.project().dictionary(), main.services());
        optimizer->showOverMain();
    });
    main.setButtonAction(MainWindow::EditDictionary, [&main] {
        auto* editor = main.findChild<UserDictionaryEditor*>(QString(), Qt::FindDirectChildrenOnly);
        if (!editor)
            editor = new UserDictionaryEditor(&main, main.project().dictionary(), main.services(),
                                              main.project().workDir());
        editor->showOverMain();
    });
    // The export belongs to the editor: the menu opens it as its button does, then exports.
    main.setCommandAction(MainWindow::ExportTmx, [&main] {
        main.menuAction(MainWindow::EditDictionary)->trigger();
        if (auto* editor = main.findChild<UserDictionaryEditor*>(QString(), Qt::FindDirectChildrenOnly))
            editor->exportTmx();
    });
}

} // namespace kvarsel

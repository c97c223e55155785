#pragma once
// "Сохранение ресурсов": asked at exit when the loaded scripts changed.
// "Да" rewrites every script and asks for the program's end, "Нет" asks for it
// without writing, "Отмена" goes back to work. A script that could not be written is
// named in a message and the program keeps running, so no translation is lost.

#include "workbench/SecondaryWindow.h"

class QProgressBar;
class QPushButton;

namespace kvarsel {

class Project;
class UiServices;

class SaveResourcesDialog : public SecondaryWindow {
    Q_OBJECT
public:
    SaveResourcesDialog(QWidget* parent, Project& project, UiServices& services);

    void saveAndExit(); // "Да"
    // Writes the changed scripts now, as "Да" does, asking first about scripts that
    // another program changed on disk meanwhile; messages go over `messageParent`.
    // True when nothing is left unsaved that the user wanted saved.
    bool saveScripts(QWidget* messageParent);
    void exitWithoutSaving(); // "Нет"
    void cancel();            // "Отмена"

Q_SIGNALS:
    // Nothing is left to keep: the program may end.
    void endProgramRequested();

private:
    Project& m_project;
    UiServices& m_services;
    QProgressBar* m_progress = nullptr;
};

} // namespace kvarsel

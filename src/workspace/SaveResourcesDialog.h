#pragma once
// "Сохранение ресурсов": asked at exit when the loaded scripts changed.
// "Да" rewrites every script and ends the program, "Нет" ends it without
// writing, "Отмена" goes back to work. A script that could not be written is
// named in a message and the program keeps running, so no translation is lost.

#include "workbench/SecondaryWindow.h"

class QProgressBar;
class QPushButton;

namespace kvarsel {

class MainWindow;

class SaveResourcesDialog : public SecondaryWindow {
    Q_OBJECT
public:
    explicit SaveResourcesDialog(MainWindow& main);

    void saveAndExit();       // "Да"
    void exitWithoutSaving(); // "Нет"
    void cancel();            // "Отмена"

private:
    MainWindow& m_main;
    QProgressBar* m_progress = nullptr;
};

} // namespace kvarsel

#pragma once
// "Создание отложенного перевода": explains the deferred road and, on
// "Продолжить", writes the untranslated English phrases to DepTrans.txt in the
// resource directory, then asks for the exit sequence.

#include "deferred/ExportList.h"
#include "workbench/SecondaryWindow.h"

#include <functional>

class QProgressBar;
class QPushButton;

namespace kvarsel {

class Project;
class StatusPanels;
class UiServices;

class DeferredTranslationDialog : public SecondaryWindow {
    Q_OBJECT
public:
    // `resourcesDirectory` answers where DepTrans.txt goes at the time of the export:
    // the directory the resources dialog holds, which may differ from the project's.
    DeferredTranslationDialog(QWidget* parent, Project& project, StatusPanels& panels, UiServices& services,
                              std::function<QString()> resourcesDirectory);

    // Shows the window over the disabled main window, with its own caption.
    void showForExport();

    void runExport(); // "Продолжить"
    void cancel();    // "Отмена"

    const ExportList& exportList() const { return m_exportList; }

Q_SIGNALS:
    void busyChanged(bool busy);
    void repaintRequested();
    // DepTrans.txt is written: the program ends the way "Выход" ends it.
    void exitRequested();

private:
    // Ends a run that wrote nothing: back to the main window in manual mode.
    void abandonRun();

    Project& m_project;
    StatusPanels& m_panels;
    UiServices& m_services;
    std::function<QString()> m_resourcesDirectory;
    QProgressBar* m_progress = nullptr;
    ExportList m_exportList;
};

} // namespace kvarsel

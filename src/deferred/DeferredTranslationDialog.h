#pragma once
// "Создание отложенного перевода": explains the deferred road and, on
// "Продолжить", writes the untranslated English phrases to DepTrans.txt in the
// resource directory, then hands over to the main window's exit sequence.

#include "deferred/ExportList.h"
#include "workbench/SecondaryWindow.h"

class QProgressBar;
class QPushButton;

namespace kvarsel {

class MainWindow;

class DeferredTranslationDialog : public SecondaryWindow {
    Q_OBJECT
public:
    explicit DeferredTranslationDialog(MainWindow& main);

    // Shows the window over the disabled main window, with its own caption.
    void showForExport();

    void runExport(); // "Продолжить"
    void cancel();    // "Отмена"

    const ExportList& exportList() const { return m_exportList; }

private:
    // Ends a run that wrote nothing: back to the main window in manual mode.
    void abandonRun();

    MainWindow& m_main;
    QProgressBar* m_progress = nullptr;
    ExportList m_exportList;
};

} // namespace kvarsel

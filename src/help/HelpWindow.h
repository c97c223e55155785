#pragma once
// "Кварсел - Справка": Readme.txt of the working directory in a list, the working
// directory, the version and the button that opens the program's documentation.
// Filled once, when created; later openings show the same content, so the
// missing-file message appears only once.

#include "workbench/SecondaryWindow.h"

class QListView;

namespace kvarsel {

class UiServices;

class HelpWindow : public SecondaryWindow {
    Q_OBJECT
public:
    // `documentation` is the HTML file the documentation button opens (documentationPath()).
    HelpWindow(QWidget* mainWindow, UiServices& services, const QString& directory,
               const QString& documentation);

    QListView* helpList() const { return m_list; }

private:
    void openDocumentation();

    UiServices& m_services;
    QString m_documentation;
    QListView* m_list = nullptr;
};

} // namespace kvarsel

#pragma once
// "Кварсел - Справка": Readme.txt of the working directory in a list, the working
// directory, the version and the web-site button. Filled once, when created; later
// openings show the same content, so the missing-file message appears only once.

#include "workbench/SecondaryWindow.h"

class QListView;

namespace kvarsel {

class UiServices;

class HelpWindow : public SecondaryWindow {
    Q_OBJECT
public:
    HelpWindow(QWidget* mainWindow, UiServices& services, const QString& directory);

    QListView* helpList() const { return m_list; }

private:
    UiServices& m_services;
    QListView* m_list = nullptr;
};

} // namespace kvarsel

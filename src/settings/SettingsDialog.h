#pragma once
// "Настройки": which dictionaries are connected and in which order, and the two
// hide modes. Created at start and only hidden afterwards; it edits the project's
// settings, which the rest of the program reads.

#include "settings/SettingsFile.h"
#include "workbench/SecondaryWindow.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace kvarsel {

class Project;
class UiServices;

class SettingsDialog : public SecondaryWindow {
    Q_OBJECT
public:
    SettingsDialog(QWidget* mainWindow, Project& project, UiServices& services);

    // Start-up: fills the controls from `load` and applies it to the main window's
    // project. Returns false when the program must end (no dictionary file at all).
    bool applyLoad(const SettingsLoad& load);

    // The settings as the controls hold them now.
    Settings currentSettings() const;

    void setPathLabel(const QString& path);

    void accept() override; // "OK"
    void reject() override; // "Отмена"
    // "Импорт TMX…": also the main window's menu item.
    void importTmxFile();

Q_SIGNALS:
    // "OK" changed how lines are split, and the user wants the scripts loaded again.
    void reloadRequested(const QString& resourceDirectory);

private:
    void setAllMarks(bool marked);
    void addAvailableDictionary(const QString& name);

    Project& m_project;
    UiServices& m_services;
    Settings m_loaded; // the list of available dictionaries and the user dictionary's presence
    // Why velmora.ini could not be read at start: "OK" replaces it only once the user agrees.
    std::optional<FileError> m_unreadFile;
    QTabWidget* m_tabs = nullptr;
    QCheckBox* m_autoHideTranslateString = nullptr;
    QCheckBox* m_autoHideRussianString = nullptr;
    QCheckBox* m_keepAccelerators = nullptr;
    QCheckBox* m_translateControlTexts = nullptr;
    QCheckBox* m_userFirst = nullptr;
    QListWidget* m_available = nullptr;
    QPushButton* m_connectAll = nullptr;
    QPushButton* m_disconnectAll = nullptr;
    QPushButton* m_importTmx = nullptr;
    QLabel* m_path = nullptr;
};

} // namespace kvarsel

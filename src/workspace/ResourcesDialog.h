#pragma once
// "Ресурсы": choose the directory whose sub-directories menu, dialog, string and
// rcdata hold the scripts, then load them. Hidden, not destroyed, after loading,
// so its chosen directory stays what later exports write into.

#include "workbench/SecondaryWindow.h"
#include "workspace/ResourceLoader.h"

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeView;

namespace kvarsel {

class Project;
class UiServices;

class ResourcesDialog : public SecondaryWindow {
    Q_OBJECT
public:
    // The project's autoHideRussianString shows the mode label; it is read once, when the dialog is made.
    ResourcesDialog(QWidget* mainWindow, Project& project, UiServices& services);

    QString chosenDirectory() const { return m_chosen; }
    // Points the tree at `dir` and applies the rule that enables "ОК".
    void setChosenDirectory(const QString& dir);
    bool okEnabled() const;

    // The volume chooser's change: the tree moves to that volume's root, or to the
    // home directory (with a beep and a message) when the volume cannot be entered.
    void chooseVolume(const QString& rootPath);

    // "ОК": loads the chosen directory into the main window's stores, then hides.
    void load();
    // "Отмена": back to the main window; the dialog is destroyed.
    void cancel();

Q_SIGNALS:
    void loaded(const kvarsel::LoadResult& result);
    // The main window should show what changed now, before the next long step.
    void repaintRequested();

private:
    void onTreeCurrentChanged();
    void fillVolumes();
    void revealChosen();
    // The path typed into the box, made absolute from where typing began; empty for an empty box.
    QString typedPath() const;
    // Typing: an existing directory is chosen at once (the box is left as typed).
    void followTypedPath();
    // Enter in the box: the typed directory is chosen and, when it holds resources,
    // loaded as "ОК" loads it; a missing one is reported.
    void enterTypedPath();
    // Shows the chosen directory in the box again, typing over.
    void showChosenInBox();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Project& m_project;
    UiServices& m_services;
    QString m_chosen;
    QComboBox* m_volumes = nullptr;
    QFileSystemModel* m_fsModel = nullptr;
    QTreeView* m_tree = nullptr;
    QLineEdit* m_chosenBox = nullptr;
    QLabel* m_modeLabel = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
    bool m_settingDirectory = false;
    QString m_typingFrom; // the chosen directory when typing in the box began; empty when not typing
    bool m_keepChosenInView = false; // until the user scrolls, clicks or types in the tree
};

} // namespace kvarsel

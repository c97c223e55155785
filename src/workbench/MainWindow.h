#pragma once
// The program's first window. It owns the working state (Project) and opens
// every other window: it disables itself, shows the other window without making
// it modal, and that window enables it again when it hides.

#include "project/Project.h"
#include "workbench/StatusPanels.h"
#include "workbench/UiServices.h"
#include "workspace/ResourceLoader.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QKeyEvent;
class QLabel;
class QListView;
class QProgressBar;
class QStackedWidget;
class QTabBar;
class QToolButton;

namespace kvarsel {

class DirectoryLock;

class ListNavigation;
class ManualTranslationDialog;
class ResourcesDialog;
class SaveResourcesDialog;
class SettingsDialog;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The eight buttons along the bottom edge, in their order.
    enum Button {
        OpenResources,
        AutoTranslate,
        DeferredTranslate,
        OptimizeDictionary,
        EditDictionary,
        Settings,
        Help,
        Exit,
        ButtonCount
    };

    // The menu bar's items that no button has.
    enum Command {
        Find,
        NextUntranslated,
        PreviousUntranslated,
        DialogPreview,
        Undo,
        Redo,
        ExportTmx,
        ImportTmx,
        About,
        Save,
        OpenProgram,
        WriteProgram,
        CommandCount
    };

    MainWindow(const QString& workDir, UiServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up after construction: settings and user dictionary, the warning when
    // no dictionary is connected, then the window shows. Returns false when the
    // program must end at once (no dictionary file at all in the working directory).
    bool start();
    // Ends the process once the event loop has ended with `status`: the working
    // directory is let go, output flushed, and nothing else is taken apart.
    [[noreturn]] void endProcess(int status);

    Project& project() { return m_project; }
    StatusPanels& statusPanels() { return m_statusPanels; }
    UiServices& services() { return m_services; }
    SettingsDialog* settingsDialog() const { return m_settings; }

    // The resources dialog's chosen directory (kept while the dialog is hidden).
    QString resourcesDirectory() const;
    void setResourcesDirectory(const QString& dir);
    // Loads a directory exactly as the resources dialog's "ОК" does, with the dialog shown meanwhile.
    void loadResourcesFrom(const QString& dir);

    // Repaints the whole window at once (long operations call this between steps).
    void repaintNow();
    // Busy cursor over the application while a long operation runs.
    void setBusy(bool busy);

    // The visible list and the panels, for the row handlers and tests.
    QListView* listView(ResourceKind kind) const { return m_lists[size_t(kindIndex(kind))]; }
    QListView* visibleList() const;
    ResourceKind visibleKind() const;
    QTabBar* tabBar() const { return m_tabs; }
    QToolButton* button(Button which) const { return m_buttons[size_t(which)]; }
    // The status bar's panels, left to right; panel(int) counts them from 1.
    enum class Panel {
        HideMode,
        RowLabel,
        RowNumber,
        OfLabel,
        RemainingRows,
        RemainingLabel,
        Dictionary,
        Mode
    };
    QLabel* panel(Panel which) const { return m_panels[size_t(which)]; }
    QLabel* panel(int number) const { return m_panels[size_t(number - 1)]; }
    QProgressBar* progressBar() const { return m_progress; }

    // Selects a row of a list as a click does, and scrolls it into view.
    void selectRow(ResourceKind kind, qsizetype row);

    // The manual translation dialog, created on first use.
    ManualTranslationDialog* manualTranslationDialog();

    // Exit sequence: the user dictionary saved when changed, then the scripts
    // offered for saving when changed; otherwise the program ends at once.
    void runExitSequence();
    // Saves the user dictionary, reporting a failure; false when it failed.
    bool saveUserDictionary();
    // "Файл → Сохранить": the user dictionary and the scripts changed so far are
    // written now, as the exit would write them, and the work goes on.
    void saveNow();
    // Ends the program: every window is put away and the event loop told to quit.
    // Only the exit sequence and the save dialog's answers call it.
    void endProgram();

    // Hooks for the windows that come with the translation, deferred-translation,
    // maintenance and help functions: the button calls the slot when one is set.
    void setButtonAction(Button which, std::function<void()> action);
    // The same for the menu's own items (the preview, the editor's TMX export…).
    void setCommandAction(Command which, std::function<void()> action);

    // The menu bar's item of a button (it runs the button's action, and is
    // enabled while the button is), and of a command.
    QAction* menuAction(Button which) const { return m_buttonItems[size_t(which)]; }
    QAction* menuAction(Command which) const { return m_commandItems[size_t(which)]; }

    // "Отменить перевод" and "Повторить": the last translation step of the run is
    // taken back or done again, and its row selected.
    void undoTranslation();
    void redoTranslation();

Q_SIGNALS:
    void resourcesLoaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void buildMenus();
    void refreshUndo();
    void showHistoryPlace(const std::optional<HistoryPlace>& place);
    void showAbout();
    void refreshPanels();
    void onTabChanged(int index);
    void showKindList(ResourceKind kind);
    void openResourcesDialog();
    void openResourcesDialogHidden();
    void openSettings();
    void applyLoadResult(const LoadResult& result);
    void onButton(Button which);
    void onRowSelected(ResourceKind kind, qsizetype row);
    void onRowDoubleClicked(ResourceKind kind, qsizetype row);
    // Enter or keypad Enter on the list's current row; false for any other key.
    bool openRowByKey(ResourceKind kind, const QKeyEvent& key);
    void onAutoTranslate();
    SaveResourcesDialog* saveDialog();

    Project m_project;
    StatusPanels m_statusPanels;
    UiServices& m_services;
    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_listStack = nullptr;
    std::array<QListView*, kKindCount> m_lists{};
    std::array<QLabel*, 8> m_panels{};
    QProgressBar* m_progress = nullptr;
    std::array<QToolButton*, ButtonCount> m_buttons{};
    std::array<std::function<void()>, ButtonCount> m_actions{};
    std::array<QAction*, ButtonCount> m_buttonItems{};
    std::array<QAction*, CommandCount> m_commandItems{};
    std::array<std::function<void()>, CommandCount> m_commands{};
    SettingsDialog* m_settings = nullptr;
    QPointer<ResourcesDialog> m_resources;
    SaveResourcesDialog* m_saveDialog = nullptr;
    ManualTranslationDialog* m_manual = nullptr;
    bool m_ending = false;
    std::unique_ptr<DirectoryLock> m_workLock; // held for the whole run
    ListNavigation* m_navigation = nullptr;
};

} // namespace kvarsel

#pragma once
// The main window's "Отложенный перевод" button: with resources loaded it opens
// the export window; before any are loaded it imports a bilingual file, loads the
// resources of the file's directory and opens the review of its pairs.

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace kvarsel {

class AutoTranslationEditor;
class DeferredTranslationDialog;
class Project;
class StatusPanels;
class UiServices;

class DeferredTranslation : public QObject {
    Q_OBJECT
public:
    // `parent` is the window the two windows and the file dialog stand over;
    // `resourcesDirectory` answers where the resources dialog points now.
    DeferredTranslation(QWidget* parent, Project& project, StatusPanels& panels, UiServices& services,
                        std::function<QString()> resourcesDirectory);

    void onButton();
    void importBilingual();

    // Created on first use, then only shown and hidden.
    DeferredTranslationDialog* exportWindow();
    AutoTranslationEditor* reviewWindow();

Q_SIGNALS:
    void busyChanged(bool busy);
    void repaintRequested();
    void exitRequested();
    // The scripts of `dir` are to be loaded, exactly as the resources dialog's "ОК"
    // loads them; the import goes on once the signal returns.
    void loadRequested(const QString& dir);

private:
    QWidget* m_parent;
    Project& m_project;
    StatusPanels& m_panels;
    UiServices& m_services;
    std::function<QString()> m_resourcesDirectory;
    QPointer<DeferredTranslationDialog> m_export;
    QPointer<AutoTranslationEditor> m_review;
};

} // namespace kvarsel

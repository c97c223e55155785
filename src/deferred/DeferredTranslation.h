#pragma once
// The main window's "Отложенный перевод" button: with resources loaded it opens
// the export window; before any are loaded it imports a bilingual file, loads the
// resources of the file's directory and opens the review of its pairs.

#include <QObject>
#include <QPointer>

namespace kvarsel {

class AutoTranslationEditor;
class DeferredTranslationDialog;
class MainWindow;

class DeferredTranslation : public QObject {
    Q_OBJECT
public:
    explicit DeferredTranslation(MainWindow& main);

    void onButton();
    void importBilingual();

    // Created on first use, then only shown and hidden.
    DeferredTranslationDialog* exportWindow();
    AutoTranslationEditor* reviewWindow();

private:
    MainWindow& m_main;
    QPointer<DeferredTranslationDialog> m_export;
    QPointer<AutoTranslationEditor> m_review;
};

// Wires the button to a DeferredTranslation owned by the main window.
void installDeferredTranslation(MainWindow& main);

} // namespace kvarsel

#pragma once
// "Редактирование словаря пользователя": finds rows of the dictionary in memory by
// a fragment and overwrites a found row with a corrected text. Created on first
// use, then only hidden and shown; each opening starts a new search (the pattern
// kept), since the rows may have changed in between, an undo among them.

#include "maintenance/EditorSearch.h"
#include "workbench/SecondaryWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kvarsel {

class UiServices;

class UserDictionaryEditor : public SecondaryWindow {
    Q_OBJECT
public:
    // `workDir` is where "Экспорт в TMX…" suggests to write.
    UserDictionaryEditor(QWidget* mainWindow, CurrentDictionary& dictionary, UiServices& services,
                         const QString& workDir);

    const EditorSearch& search() const { return m_search; }
    // "Экспорт в TMX…": also the main window's menu item.
    void exportTmx();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void runSearch();
    void onOk();
    void refreshButtons();

    CurrentDictionary& m_dictionary;
    UiServices& m_services;
    QString m_workDir;
    EditorSearch m_search;
    QLineEdit* m_pattern = nullptr;
    QPushButton* m_searchButton = nullptr;
    QLineEdit* m_found = nullptr;
    QLineEdit* m_change = nullptr;
    QPushButton* m_ok = nullptr;
    QLabel* m_note = nullptr; // says when a search found nothing
};

} // namespace kvarsel

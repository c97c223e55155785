#pragma once
// Finding one's way in the main window's text lists: the find bar (Ctrl+F, Enter,
// F3, Shift+F3, Esc), the jump to the next or previous untranslated text
// (Ctrl+Down, Ctrl+Up), the "Переведено N из M" label beside the tabs and the
// painter that names files and marks translated rows. Every move selects the row
// as a click does, so the row handlers run exactly as they would for the user.

#include "model/RowSearch.h"

#include <QObject>
#include <QTimer>

class QLabel;

namespace kvarsel {

class FindBar;
class MainWindow;
class RowDelegate;

class ListNavigation : public QObject {
    Q_OBJECT
public:
    explicit ListNavigation(MainWindow& main);

    FindBar* findBar() const { return m_findBar; }
    QLabel* translatedLabel() const { return m_translated; }
    RowDelegate* rowDelegate() const { return m_delegate; }

    void openFind();
    void findNext(SearchDirection direction);
    void nextUntranslated(SearchDirection direction);
    // Recounts the visible kind at once; the window calls it whenever another list shows.
    void refreshCount();

private:
    qsizetype currentRow() const;
    void moveTo(qsizetype row);
    void onTyped(const QString& text);

    MainWindow& m_main;
    FindBar* m_findBar = nullptr;
    QLabel* m_translated = nullptr;
    RowDelegate* m_delegate = nullptr;
    // A large automatic translation changes rows one by one; the label counts once
    // the run gives control back, not once per row.
    QTimer m_countLater;
};

} // namespace kvarsel

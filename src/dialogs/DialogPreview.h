#pragma once
// "Предпросмотр диалога": the dialog that holds the selected Dialog row, drawn to
// scale with its current texts. It only shows, so unlike the other windows it
// leaves the main window usable: it follows the selected row and redraws after
// every change of the Dialog lines.

#include "dialogs/DialogScript.h"

#include <QWidget>

class QLabel;
class QScrollArea;
class QTimer;

namespace kvarsel {

class DialogCanvas;

class DialogPreview : public QWidget {
    Q_OBJECT
public:
    DialogPreview(const LineStore& dialogs, QWidget* parent = nullptr);

    // Shows the dialog of `row` with its control marked. A row outside every
    // dialog keeps the dialog shown, unmarked.
    void showRow(qsizetype row);
    qsizetype selectedRow() const { return m_row; }

    // Sizes the window for the dialog shown and puts it beside `main`, on its
    // screen: right of it, else left of it, else narrower on the wider side; only
    // a screen with no room beside the main window puts it over it.
    void placeBeside(const QWidget& main);
    // The window's size for the dialog shown, frame left out.
    QSize wantedSize() const;

    DialogCanvas* canvas() const { return m_canvas; }
    QLabel* headerLabel() const { return m_header; }
    QLabel* statusLabel() const { return m_status; }

Q_SIGNALS:
    // A control was clicked: its row should become the selected one.
    void rowClicked(qsizetype row);

private:
    void refresh();
    // Shown, the window grows for a larger dialog up to its screen's free area, and
    // is moved back inside that area where it would reach past it.
    void growWithinScreen();
    void scheduleRefresh();
    void showPlaceholder();
    void forgetFile();
    const std::vector<DialogResource>& dialogsOfFile(const LineStore::Script& file);

    const LineStore& m_dialogs;
    DialogCanvas* m_canvas = nullptr;
    QLabel* m_header = nullptr;
    QLabel* m_status = nullptr;
    QScrollArea* m_scroll = nullptr;
    QTimer* m_refresh = nullptr;
    qsizetype m_row = -1;    // the selected row
    qsizetype m_anchor = -1; // a row of the dialog shown; -1 for none
    // The dialogs of the file last looked at, so moving through its rows reads it
    // once; any change of the lines forgets them.
    std::optional<LineStore::Script> m_file;
    std::vector<DialogResource> m_fileDialogs;
    bool m_dirty = true; // the lines changed since the canvas was drawn
};

} // namespace kvarsel

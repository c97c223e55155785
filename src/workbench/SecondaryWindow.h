#pragma once
// Base of every window opened from the main window. The main window disables
// itself and shows the window without making it modal; the window enables the
// main window again whenever it hides or closes, so at most one of them works at
// a time and the main window can never be left disabled.

#include <QAbstractButton>
#include <QDialog>
#include <QPointer>

namespace kvarsel {

class SecondaryWindow : public QDialog {
    Q_OBJECT
public:
    explicit SecondaryWindow(QWidget* mainWindow);

    // Disables the main window and shows this one, raised and active, centred on
    // the main window (kept on its screen).
    void showOverMain();

protected:
    QWidget* mainWindow() const { return m_main; }
    void hideEvent(QHideEvent* event) override;
    // Esc presses the window's cancelling button ("Отмена", "Выход", ...), so it runs
    // that button's own logic; without one set, Esc does nothing (it would otherwise
    // hide the window behind the back of that logic).
    void setEscapeButton(QAbstractButton* button) { m_escapeButton = button; }
    void keyPressEvent(QKeyEvent* event) override;

private:
    void centreOnMain();

    QPointer<QWidget> m_main;
    QPointer<QAbstractButton> m_escapeButton;
};

} // namespace kvarsel

#include "workbench/SecondaryWindow.h"

#include <QKeyEvent>
#include <QScreen>

namespace kvarsel {

SecondaryWindow::SecondaryWindow(QWidget* mainWindow) : QDialog(mainWindow), m_main(mainWindow)
{
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void SecondaryWindow::showOverMain()
{
    if (m_main)
        m_main->setEnabled(false);
    // A disabled parent disables its children too; the window is a top-level
    // dialog, so it stays usable.
    setEnabled(true);
    centreOnMain();
    show();
    raise();
    activateWindow();
}

void SecondaryWindow::centreOnMain()
{
    if (!m_main)
        return;
    // Placed anew at every showing: left to itself, a window shown again after
    // hiding comes back where the window manager last put it, often a frame lower.
    // The size the first showing would give it, so the centre is right from the start.
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    const QWidget* main = m_main->window();
    const QRect mainFrame = main->frameGeometry();
    // A window never shown has no frame yet; the main window's tells its size.
    const QSize decoration = main->frameGeometry().size() - main->geometry().size();
    const QSize frame = size() + decoration;
    QRect target(QPoint(), frame);
    target.moveCenter(mainFrame.center());
    if (const QScreen* screen = main->screen()) {
        const QRect room = screen->availableGeometry();
        target.moveLeft(
            qBound(room.left(), target.left(), qMax(room.left(), room.right() - frame.width() + 1)));
        target.moveTop(
            qBound(room.top(), target.top(), qMax(room.top(), room.bottom() - frame.height() + 1)));
    }
    move(target.topLeft());
}

void SecondaryWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (m_main)
        m_main->setEnabled(true);
}

void SecondaryWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_escapeButton && m_escapeButton->isVisible() && m_escapeButton->isEnabled())
            m_escapeButton->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kvarsel

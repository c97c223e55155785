#include "workbench/SecondaryWindow.h"

#include <QKeyEvent>

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
    show();
    raise();
    activateWindow();
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

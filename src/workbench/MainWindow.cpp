#include "workbench/MainWindow.h"

namespace kvarsel {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Кварсел"));
    resize(900, 600);
}

} // namespace kvarsel

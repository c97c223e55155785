#include "workbench/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvarsel"));
    kvarsel::MainWindow window;
    window.show();
    return QApplication::exec();
}

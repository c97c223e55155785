// kvarsel-batch: the window program's translation, export and counting for scripts.
#include "batch/BatchConsole.h"
#include "batch/BatchRun.h"

#include <QCoreApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    kvarsel::StandardConsole console;
    return kvarsel::runBatch(app.arguments().mid(1), QDir::currentPath(), console);
}

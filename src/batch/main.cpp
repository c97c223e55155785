// kvarsel-batch: the window program's translation, export and counting for scripts.
#include "batch/BatchConsole.h"
#include "batch/BatchRun.h"
#include "text/NativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <memory>

int main(int argc, char* argv[])
{
    // Only the fit check measures text, and the font engine comes with QtGui; it
    // runs on the offscreen platform, so no display is needed.
    const bool measuresText = argc > 1 && qstrcmp(argv[1], "fit") == 0;
    std::unique_ptr<QCoreApplication> app;
    if (measuresText) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    kvarsel::StandardConsole console;
    // Qt's own reading of the arguments and of the current directory turns bytes
    // that are not UTF-8 into U+FFFD, and the directory is then "not found".
    return kvarsel::runBatch(kvarsel::argumentsOf(argc, argv).mid(1), kvarsel::currentDirectoryPath(),
                             console);
}

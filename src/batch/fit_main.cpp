// kvarsel-fit: kvarsel-batch with the font engine. kvarsel-batch hands its fit
// command over to this program, which takes the same command lines.
#include "batch/BatchConsole.h"
#include "batch/BatchFitRun.h"
#include "batch/BatchRun.h"
#include "text/NativePath.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    // The offscreen platform: no display is needed to measure text.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    kvarsel::StandardConsole console;
    return kvarsel::runBatch(kvarsel::argumentsOf(argc, argv).mid(1), kvarsel::currentDirectoryPath(),
                             console, kvarsel::runFit);
}

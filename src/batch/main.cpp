// kvarsel-batch: the window program's translation, export and counting for scripts.
#include "batch/BatchConsole.h"
#include "batch/BatchRun.h"
#include "batch/BatchTexts.h"
#include "text/FileError.h"
#include "text/NativePath.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// fit measures texts with the font engine, which the other commands do without:
// kvarsel-fit, kvarsel-batch with QtGui linked in, takes this process over with the
// same arguments. Returns only when it could not be started.
int handOverToFit(int argc, char* argv[], kvarsel::BatchConsole& console)
{
    std::string own(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", own.data(), own.size() - 1);
    own.resize(length > 0 ? size_t(length) : 0);
    const std::string dir = own.substr(0, own.rfind('/') + 1);
    std::vector<char*> args(argv, argv + argc + 1);
    int error = ENOENT;
    std::string tried;
    for (const std::string& path : {dir + "kvarsel-fit", dir + KVARSEL_FIT_FROM_BINDIR "/kvarsel-fit"}) {
        tried = path;
        args[0] = tried.data();
        ::execv(path.c_str(), args.data());
        error = errno;
        if (error != ENOENT)
            break;
    }
    console.err(kvarsel::batch_texts::kProgram +
                QStringLiteral(": команду fit выполняет программа %1, её не удалось запустить: %2")
                    .arg(QString::fromLocal8Bit(tried), kvarsel::reasonForErrno(error)));
    return kvarsel::kExitFileError;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "fit") == 0) {
        kvarsel::StandardConsole console;
        return handOverToFit(argc, argv, console);
    }
    QCoreApplication app(argc, argv);
    kvarsel::StandardConsole console;
    // Qt's own reading of the arguments and of the current directory turns bytes
    // that are not UTF-8 into U+FFFD, and the directory is then "not found".
    return kvarsel::runBatch(kvarsel::argumentsOf(argc, argv).mid(1), kvarsel::currentDirectoryPath(),
                             console);
}

// unpack and pack on a generated program (1,000 dialogs, 500 menus, 2,000 string
// tables) beside windres decompiling and compiling the same resources: wall time
// (best of the runs) and peak memory of each step, as a Markdown table.
//   kvarsel_program_bench [--runs N] [--keep DIR]

#include "ProgramWorkload.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Measure {
    double seconds = 0;
    long peakKb = 0;
    int status = -1;
};

// Runs a program and waits for it, its own peak memory from wait4.
Measure runOnce(const QStringList& command)
{
    std::vector<QByteArray> args;
    for (const QString& a : command)
        args.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
            _exit(126);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    Measure m;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.seconds = double(timer.nsecsElapsed()) / 1e9;
    m.peakKb = usage.ru_maxrss;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

Measure best(const QStringList& command, int runs, const std::function<void()>& before = {})
{
    Measure result;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        const Measure m = runOnce(command);
        if (i == 0 || m.seconds < result.seconds)
            result = m;
        result.peakKb = std::max(result.peakKb, m.peakKb);
        if (m.status != 0) {
            std::fprintf(stderr, "failed (%d): %s\n", m.status, qPrintable(command.join(u' ')));
            result.status = m.status;
            break;
        }
    }
    return result;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.contains(QStringLiteral("--runs"))
                         ? args.value(args.indexOf(QStringLiteral("--runs")) + 1).toInt()
                         : 3;
    QTemporaryDir tmp;
    const QString keep = args.contains(QStringLiteral("--keep"))
                             ? args.value(args.indexOf(QStringLiteral("--keep")) + 1)
                             : QString();
    const QDir dir(keep.isEmpty() ? tmp.path() : keep);
    QDir().mkpath(dir.path());
    const QString batch = QStringLiteral(KVARSEL_BATCH_EXE);
    const QString windres = QStringLiteral("x86_64-w64-mingw32-windres");

    const QString script = dir.filePath(QStringLiteral("gen.rc"));
    {
        QFile f(script);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(kvarsel::bench::programResourceScript(1000, 500, 2000).toUtf8()) < 0)
            return 1;
    }
    const QString object = dir.filePath(QStringLiteral("gen.o"));
    const QString program = dir.filePath(QStringLiteral("gen.exe"));
    const QString main = dir.filePath(QStringLiteral("main.c"));
    {
        QFile f(main);
        if (!f.open(QIODevice::WriteOnly) || f.write("int main(void) { return 0; }\n") < 0)
            return 1;
    }
    const Measure compile =
        best({windres, QStringLiteral("--preprocessor=cpp"), QStringLiteral("-c"), QStringLiteral("65001"),
              script, QStringLiteral("-O"), QStringLiteral("coff"), QStringLiteral("-o"), object},
             runs);
    if (compile.status != 0 ||
        runOnce({QStringLiteral("x86_64-w64-mingw32-gcc"), main, object, QStringLiteral("-o"), program})
                .status != 0)
        return 1;
    const Measure decompile = best({windres, QStringLiteral("-i"), program, QStringLiteral("-o"),
                                    dir.filePath(QStringLiteral("dec.rc"))},
                                   runs);
    const QString resources = dir.filePath(QStringLiteral("resources"));
    const Measure unpack = best({batch, QStringLiteral("unpack"), program, resources}, runs,
                                [&] { QDir(resources).removeRecursively(); });
    const QString packed = dir.filePath(QStringLiteral("gen.ru.exe"));
    const Measure pack =
        best({batch, QStringLiteral("pack"), resources, QStringLiteral("--output"), packed}, runs);
    const double size = double(QFileInfo(program).size()) / (1024.0 * 1024.0);

    std::printf("Program: %.1f MiB (1,000 dialogs, 500 menus, 2,000 string tables); best of %d runs\n\n",
                size, runs);
    std::printf("| step | kvarsel-batch | windres |\n|---|---|---|\n");
    std::printf("| resources -> scripts | unpack %.2f s, %.0f MiB | decompile (-i prog.exe -o .rc) %.2f s, "
                "%.0f MiB |\n",
                unpack.seconds, unpack.peakKb / 1024.0, decompile.seconds, decompile.peakKb / 1024.0);
    std::printf("| scripts -> resources | pack %.2f s, %.0f MiB | compile (.rc -O coff) %.2f s, %.0f MiB |\n",
                pack.seconds, pack.peakKb / 1024.0, compile.seconds, compile.peakKb / 1024.0);
    std::printf("| round trip | %.2f s | %.2f s |\n", unpack.seconds + pack.seconds,
                decompile.seconds + compile.seconds);
    return unpack.status == 0 && pack.status == 0 ? 0 : 1;
}

// unpack and pack on a generated program (1,000 dialogs, 500 menus, 2,000 string
// tables) beside windres decompiling and compiling the same resources, and beside
// the floor of unpack: writing the very files it wrote. Wall time (best of the
// runs), peak memory, and the part of it the program's size costs (above the same
// step on a program of one dialog, one menu and one string table), as a Markdown table.
//   kvarsel_program_bench [--runs N] [--keep DIR]

#include "ProgramWorkload.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

struct Measure {
    double seconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

double mib(long kib) { return double(kib) / 1024.0; }

// A child's peak memory (ru_maxrss) is at least the memory of the process that
// spawned it, even across exec: spawned from the benchmark, which holds the
// generated script and the unpacked files, windres --version would seem as large
// as the benchmark. So programs are started by kvarsel_child_runner, a small
// process of its own started before anything is generated.
class ChildRunner {
public:
    explicit ChildRunner(const QString& cwd) : m_cwd(cwd)
    {
        m_process.start(QStringLiteral(KVARSEL_CHILD_RUNNER_EXE), QStringList());
        m_process.waitForStarted();
    }
    ~ChildRunner()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished();
    }
    // Runs a program to its end with its output thrown away: its wall time and
    // its own peak memory.
    Measure run(const QStringList& command)
    {
        m_process.write((QStringList{m_cwd} + command).join(u'\t').toLocal8Bit() + '\n');
        Measure m;
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(-1))
                return m;
        const QList<QByteArray> f = m_process.readLine().trimmed().split(' ');
        if (f.size() >= 4)
            m = {f[0].toDouble(), f[2].toLong(), f[3] == "1"};
        if (!m.ok)
            std::fprintf(stderr, "failed: %s\n", qPrintable(command.join(u' ')));
        return m;
    }

private:
    QString m_cwd;
    QProcess m_process;
};

// Runs `work` in a forked child and waits for it: the wall time from the fork
// and the child's own peak memory, which starts at the benchmark's memory at the
// fork (what a child that does nothing measures).
Measure forkOnce(const std::function<int()>& work)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work());
    Measure m;
    if (pid < 0)
        return m;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR)
            return m;
    m.seconds = double(timer.nsecsElapsed()) / 1e9;
    m.peakKiB = usage.ru_maxrss;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return m;
}

// The fastest of the runs, with the highest peak memory of them all; stops at
// the first failure.
Measure best(int runs, const std::function<Measure()>& run)
{
    Measure result;
    long peak = 0;
    for (int i = 1; i <= runs; ++i) {
        const Measure m = run();
        if (!m.ok)
            return m;
        if (i == 1 || m.seconds < result.seconds)
            result = m;
        peak = std::max(peak, m.peakKiB);
    }
    result.peakKiB = peak;
    return result;
}

// A name under `dir` that nothing has yet: stem-1, stem-2, ... Every timed run
// writes into a new directory, as a user does, never into one emptied a moment
// before: ext4 creates files far slower right after many were deleted.
QString freshPath(const QDir& dir, const QString& stem)
{
    for (int i = 1;; ++i) {
        const QString path = dir.filePath(stem + u'-' + QString::number(i));
        if (!QFileInfo::exists(path))
            return path;
    }
}

// The directories and files of a tree, by their paths inside it, a directory
// always before what it holds.
struct Tree {
    std::vector<std::string> dirs;
    std::vector<std::pair<std::string, QByteArray>> files;
};

Tree readTree(const QString& root)
{
    Tree tree;
    const auto relative = [&](const QString& path) {
        return std::string(QFile::encodeName(path.mid(root.size() + 1)).constData());
    };
    QDirIterator dirs(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (dirs.hasNext())
        tree.dirs.push_back(relative(dirs.next()));
    // A parent's path is a prefix of its children's, so it sorts before them.
    std::sort(tree.dirs.begin(), tree.dirs.end());
    QDirIterator files(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        tree.files.emplace_back(relative(file.fileName()), file.readAll());
    }
    std::sort(tree.files.begin(), tree.files.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return tree;
}

// What writing the tree costs with nothing else done: each file created, written
// and closed, then the whole file system flushed once, as unpack does. Plain
// system calls only, as it runs in a forked child.
int writeTree(const std::string& root, const Tree& tree)
{
    if (::mkdir(root.c_str(), 0777) != 0)
        return 1;
    for (const std::string& dir : tree.dirs)
        if (::mkdir((root + '/' + dir).c_str(), 0777) != 0)
            return 1;
    for (const auto& [name, bytes] : tree.files) {
        const int fd = ::open((root + '/' + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return 1;
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno != EINTR)
                return 1;
            done += std::max<ssize_t>(n, 0);
        }
        if (::close(fd) != 0)
            return 1;
    }
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::syncfs(fd) != 0)
        return 1;
    ::close(fd);
    return 0;
}

// Flushes the file system that holds `dir`, as unpack does once its files are
// written: the seconds it took, or a negative number on failure.
double syncFileSystem(const QString& dir)
{
    QElapsedTimer timer;
    timer.start();
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const int synced = ::syncfs(fd);
    ::close(fd);
    return synced == 0 ? double(timer.nsecsElapsed()) / 1e9 : -1;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString withCommas(qsizetype n)
{
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return digits;
}

// A step's row: its time, its peak memory and the part of it above the same step
// on a program of one dialog, one menu and one string table (what the size costs).
void printRow(const QString& step, const Measure& m, const Measure& small, const char* peakMark = "")
{
    std::printf("| %s | %.3f s | %.1f MiB%s | %.1f MiB |\n", qPrintable(step), m.seconds, mib(m.peakKiB),
                peakMark, mib(m.peakKiB - small.peakKiB));
}

void printTimeRow(const QString& step, double seconds)
{
    std::printf("| %s | %.3f s | | |\n", qPrintable(step), seconds);
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
    ChildRunner runner(dir.path());
    const QString batch = QStringLiteral(KVARSEL_BATCH_EXE);
    const QString windres = QStringLiteral("x86_64-w64-mingw32-windres");
    const auto repeat = [&](const QStringList& command) {
        return best(runs, [&] { return runner.run(command); });
    };

    const QString main = dir.filePath(QStringLiteral("main.c"));
    if (!writeFile(main, "int main(void) { return 0; }\n"))
        return 1;
    // windres compiles the script (timed) and mingw links it into the program.
    const auto build = [&](const QString& stem, const QString& text, Measure& compile) {
        const QString script = dir.filePath(stem + QStringLiteral(".rc"));
        const QString object = dir.filePath(stem + QStringLiteral(".o"));
        if (!writeFile(script, text.toUtf8()))
            return false;
        compile = repeat({windres, QStringLiteral("--preprocessor=cpp"), QStringLiteral("-c"),
                          QStringLiteral("65001"), script, QStringLiteral("-O"), QStringLiteral("coff"),
                          QStringLiteral("-o"), object});
        return compile.ok && runner
                                 .run({QStringLiteral("x86_64-w64-mingw32-gcc"), main, object,
                                       QStringLiteral("-o"), dir.filePath(stem + QStringLiteral(".exe"))})
                                 .ok;
    };
    const QString program = dir.filePath(QStringLiteral("gen.exe"));
    const QString small = dir.filePath(QStringLiteral("small.exe"));
    Measure compile, smallCompile;
    if (!build(QStringLiteral("gen"), kvarsel::bench::programResourceScript(1000, 500, 2000), compile) ||
        !build(QStringLiteral("small"), kvarsel::bench::programResourceScript(1, 1, 1), smallCompile))
        return 1;
    const Measure decompile = repeat({windres, QStringLiteral("-i"), program, QStringLiteral("-o"),
                                      dir.filePath(QStringLiteral("dec.rc"))});
    const Measure smallDecompile = repeat({windres, QStringLiteral("-i"), small, QStringLiteral("-o"),
                                           dir.filePath(QStringLiteral("small-dec.rc"))});
    // windres does not flush what it writes; unpack does, before its record names the
    // files. The same decompile with its file flushed as unpack's are.
    const Measure decompileSynced = best(runs, [&] {
        (void)syncFileSystem(dir.path()); // nothing of earlier steps left to flush
        const QString output = freshPath(dir, QStringLiteral("dec-synced"));
        Measure m = runner.run({windres, QStringLiteral("-i"), program, QStringLiteral("-O"),
                                QStringLiteral("rc"), QStringLiteral("-o"), output});
        const double synced = syncFileSystem(dir.path());
        QFile::remove(output);
        m.ok = m.ok && synced >= 0;
        m.seconds += synced;
        return m;
    });

    // Every run into a directory of its own, removed only when all timing is done.
    QStringList written;
    const auto freshDir = [&](const QString& stem) {
        written << freshPath(dir, stem);
        return written.last();
    };
    const Measure unpack = best(runs, [&] {
        return runner.run({batch, QStringLiteral("unpack"), program, freshDir(QStringLiteral("resources"))});
    });
    if (!unpack.ok)
        return 1;
    const QString resources = written.first();

    const Tree tree = readTree(resources);
    if (tree.files.empty())
        return 1;
    // A child that does nothing: the floor's start-up, the benchmark as it is at the fork.
    const Measure floorStartUp = best(runs, [] { return forkOnce([] { return 0; }); });
    const Measure floor = best(runs, [&] {
        const std::string root = QFile::encodeName(freshDir(QStringLiteral("floor"))).toStdString();
        return forkOnce([&] { return writeTree(root, tree); });
    });
    if (!floorStartUp.ok || !floor.ok) {
        std::fprintf(stderr, "failed: writing the unpacked files again\n");
        return 1;
    }

    const QString packed = dir.filePath(QStringLiteral("gen.ru.exe"));
    const Measure pack =
        repeat({batch, QStringLiteral("pack"), resources, QStringLiteral("--output"), packed});
    const Measure smallUnpack = best(runs, [&] {
        return runner.run({batch, QStringLiteral("unpack"), small, freshDir(QStringLiteral("small"))});
    });
    const Measure smallPack =
        repeat({batch, QStringLiteral("pack"), written.last(), QStringLiteral("--output"),
                dir.filePath(QStringLiteral("small.ru.exe"))});
    // What each program costs before it does anything: loading its libraries.
    const Measure batchStartUp = repeat({batch, QStringLiteral("--version")});
    const Measure windresStartUp = repeat({windres, QStringLiteral("--version")});
    const Measure helper = runner.run({QStringLiteral("true")});
    if (!decompile.ok || !decompileSynced.ok || !pack.ok || !smallDecompile.ok || !smallUnpack.ok ||
        !smallPack.ok || !batchStartUp.ok || !windresStartUp.ok || !helper.ok)
        return 1;

    // The first unpacked tree stays as "resources" for a look with --keep.
    for (const QString& path : written)
        if (path != resources)
            QDir(path).removeRecursively();
    QDir(dir.filePath(QStringLiteral("resources"))).removeRecursively();
    QDir().rename(resources, dir.filePath(QStringLiteral("resources")));

    const double size = double(QFileInfo(program).size()) / (1024.0 * 1024.0);
    const QString files = withCommas(qsizetype(tree.files.size()));
    std::printf("Program: %.1f MiB (1,000 dialogs, 500 menus, 2,000 string tables); best of %d runs\n\n",
                size, runs);
    std::printf("| step | time | peak memory | above a one-dialog program |\n|---|---|---|---|\n");
    printRow(QStringLiteral("kvarsel-batch unpack (program -> %1 files)").arg(files), unpack, smallUnpack);
    printRow(QStringLiteral("floor: write the same %1 files (open, write, close, one syncfs)").arg(files),
             floor, floorStartUp, " *");
    printRow(QStringLiteral("windres decompile (-i prog.exe -o .rc)"), decompile, smallDecompile);
    printTimeRow(QStringLiteral("windres decompile, its file then flushed (one syncfs), as unpack flushes"),
                 decompileSynced.seconds);
    printRow(QStringLiteral("kvarsel-batch pack (files -> program)"), pack, smallPack);
    printRow(QStringLiteral("windres compile (.rc -O coff)"), compile, smallCompile);
    printTimeRow(QStringLiteral("start-up alone: kvarsel-batch --version (Qt's libraries loaded)"),
                 batchStartUp.seconds);
    printTimeRow(QStringLiteral("start-up alone: windres --version"), windresStartUp.seconds);
    printTimeRow(QStringLiteral("round trip, kvarsel-batch (unpack + pack)"), unpack.seconds + pack.seconds);
    printTimeRow(QStringLiteral("round trip, windres (decompile + compile)"),
                 decompile.seconds + compile.seconds);
    std::printf("\nprogram size %.1f MiB, twice that %.1f MiB\n", size, 2 * size);
    std::printf("* a fork of the benchmark, measured above a fork that does nothing (the benchmark "
                "itself at the fork, %.1f MiB, the files' contents included)\n",
                mib(floorStartUp.peakKiB));
    std::printf("programs are started by a helper of %.1f MiB, and no peak of theirs reads below it\n",
                mib(helper.peakKiB));
    return 0;
}

// Measures the program's heavy steps on a large generated workload: a resource
// directory of 30,000 lines per kind, three 250,000-entry dictionaries and a
// 250,000-entry user dictionary. Prints wall time and peak memory per step.
//
//   kvarsel_bench [--keep DIR [--generate-only]]
//   kvarsel_bench --compare [--sizes 0.125,0.25,...] [--runs N] [--program PATH] [--keep DIR]
//   kvarsel_bench --machinery [--size S] [--runs N]
//   kvarsel_bench --growth
//
// --keep copies the workload, as generated and before any step changes it, to DIR:
// DIR/res holds the untranslated scripts, DIR/work the dictionaries and a
// velmora.ini connecting d0.dic, d1.dic and d2.dic, so the same run can be made
// again in the program (working directory DIR/work) or with kvarsel-batch.
// --generate-only stops after that copy.
//
// The comparison mode runs whole processes side by side on the workload scaled
// to each size: kvarsel-batch translate, the byte-level floor (kvarsel_floor),
// the plain Python translator (plain_translate.py, checked to write the same
// bytes) and msgmerge with compendia (given only the distinct texts). Runs of
// the peers alternate and the medians are reported, with each child's peak
// memory (ru_maxrss). A peer that is not installed is skipped, and said so.
//
// The machinery mode measures what each piece of machinery that only makes the
// program faster buys: the translate command's work (load, automatic translation,
// save) runs in this process with every piece on and with each piece off in turn,
// the runs alternated, and the medians of wall and CPU time are reported.
//
// The growth mode times the steps whose cost could grow faster than their input,
// each at sizes that double: reading a personal word list (Words.txt) of 40,000
// to 1,000,000 words, and translating one popup and one dialog of 1,000 to 16,000
// items with their accelerators kept (load, automatic translation, save, the
// check of clashing accelerators). Time that doubles with the size is linear.

#include "Workload.h"
#include "assist/Spelling.h"
#include "dictionary/DictionaryFiles.h"
#include "dictionary/SearchString.h"
#include "exchange/TmxImport.h"
#include "maintenance/OptimizerSession.h"
#include "model/Accelerators.h"
#include "project/Project.h"
#include "settings/SettingsFile.h"
#include "text/Cp1251.h"
#include "text/Machinery.h"
#include "text/TextFile.h"
#include "workbench/AutoTranslation.h"
#include "workspace/ResourceSaver.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>

using namespace kvarsel;
using namespace kvarsel::bench;

namespace {

// Resets the peak-memory mark, so each step reports its own peak.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

qint64 peakKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

qint64 currentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

struct Row {
    QString step;
    double seconds;
    qint64 peak;
    QString note;
};
QList<Row> table;

double measure(const QString& step, const std::function<QString()>& run)
{
    resetPeak();
    QElapsedTimer t;
    t.start();
    const QString note = run();
    const double s = double(t.nsecsElapsed()) / 1e9;
    table.append({step, s, peakKiB(), note});
    std::fprintf(stderr, "%-46s %8.3f s\n", qPrintable(step), s);
    return s;
}

void copyWorkload(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(file, target)) {
            std::fprintf(stderr, "Cannot copy %s to %s\n", qPrintable(file), qPrintable(target));
            std::exit(1);
        }
    }
}

// ---- comparison mode -------------------------------------------------------

struct ChildRun {
    double seconds = 0;
    double cpuSeconds = 0;
    qint64 peakKiB = 0;
    bool ok = false;
};

// The small process that spawns the peers (see kvarsel_child_runner.cpp); started
// before any workload is generated, while the benchmark itself is still small.
class ChildRunner {
public:
    ChildRunner()
    {
        m_process.start(QStringLiteral(KVARSEL_CHILD_RUNNER_EXE), QStringList());
        m_process.waitForStarted();
    }
    ~ChildRunner()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished();
    }
    // Runs a program to its end with its output thrown away: wall and CPU time,
    // and its own peak resident memory.
    ChildRun run(const QStringList& args, const QString& cwd)
    {
        m_process.write((QStringList{cwd} + args).join(u'\t').toLocal8Bit() + '\n');
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(-1))
                return {};
        const QList<QByteArray> f = m_process.readLine().trimmed().split(' ');
        if (f.size() < 4)
            return {};
        return {f[0].toDouble(), f[1].toDouble(), f[2].toLongLong(), f[3] == "1"};
    }

private:
    QProcess m_process;
};

bool onPath(const QString& program)
{
    for (const QString& dir : qEnvironmentVariable("PATH").split(u':'))
        if (!dir.isEmpty() && QFileInfo(QDir(dir).filePath(program)).isExecutable())
            return true;
    return false;
}

void copyTree(const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(file, target);
    }
}

// The files under `a` that differ from, or are missing in, `b`.
QStringList differences(const QString& a, const QString& b)
{
    QStringList differ;
    QDirIterator it(a, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QByteArray x, y;
        readFileBytes(file, x);
        if (readFileBytes(b + file.mid(a.size()), y) || x != y)
            differ << file.mid(a.size());
    }
    return differ;
}

QString poString(const QString& s)
{
    QString e = s;
    e.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + e + u'"';
}

void writeUtf8(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text.toUtf8());
}

// msgmerge's inputs: a template of the distinct texts the program looks up, and one
// compendium per dictionary (a PO file allows one entry per source: the first).
void writeGettextInputs(const QString& root, const QStringList& dictionaries)
{
    const QString header =
        QStringLiteral("msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n");
    Project state(root + "/work");
    loadResources(root + "/res", state.stores(), false);
    QSet<QString> seen;
    QString pot = header;
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = state.store(kind);
        for (qsizetype i = 0; i < store.RowCount(); ++i) {
            const QString& t = store.Text(i);
            if (t.isEmpty() || cp1251::charCode(t.front()) > 127 || seen.contains(t))
                continue;
            seen.insert(t);
            pot += QStringLiteral("msgid %1\nmsgstr \"\"\n\n").arg(poString(t));
        }
    }
    writeUtf8(root + "/gettext/ref.pot", pot);
    writeUtf8(root + "/gettext/def.po", header);
    for (qsizetype d = 0; d < dictionaries.size(); ++d) {
        QStringList rows;
        for (const QString& line : readLines(dictionaries[d]).lines)
            if (!line.isEmpty())
                rows << line;
        QSet<QString> sources;
        QString po = header;
        for (qsizetype r = 0; r + 1 < rows.size(); r += 2) {
            if (sources.contains(rows[r]))
                continue;
            sources.insert(rows[r]);
            po += QStringLiteral("msgid %1\nmsgstr %2\n\n").arg(poString(rows[r]), poString(rows[r + 1]));
        }
        writeUtf8(root + QStringLiteral("/gettext/c%1.po").arg(d), po);
    }
}

double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct PeerResult {
    QList<double> seconds;
    QList<double> cpuSeconds;
    qint64 peakKiB = 0;
    bool ran = false;
    bool failed = false;
};

int compare(const QStringList& args)
{
    QList<double> sizes{0.125, 0.25, 0.5, 1, 2, 4};
    int runs = 5;
    QString program = QStringLiteral(KVARSEL_BATCH_EXE);
    QTemporaryDir tmp;
    QString base = tmp.path();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--sizes") {
            sizes.clear();
            for (const QString& s : args[++i].split(u','))
                sizes << s.toDouble();
        } else if (args[i] == "--runs") {
            runs = qMax(1, args[++i].toInt());
        } else if (args[i] == "--program") {
            program = args[++i];
        } else if (args[i] == "--keep") {
            base = args[++i];
        }
    }
    ChildRunner runner;
    const QString python = QStringLiteral("python3");
    const bool havePython = onPath(python);
    const bool haveMsgmerge = onPath(QStringLiteral("msgmerge"));
    if (!havePython)
        std::fprintf(stderr, "python3 is not installed: the plain Python translator is skipped\n");
    if (!haveMsgmerge)
        std::fprintf(stderr, "msgmerge is not installed (Debian package gettext): it is skipped\n");

    enum Peer { Program, Floor, Python, Msgmerge, PeerCount };
    const char* names[PeerCount] = {"kvarsel-batch translate", "byte-level floor", "plain Python",
                                    "msgmerge exact"};
    struct SizeRow {
        double size;
        qsizetype lines;
        PeerResult peers[PeerCount];
        QString sameBytes;
    };
    QList<SizeRow> rows;
    for (const double size : std::as_const(sizes)) {
        scaleWorkload(size);
        const QString root = base + QStringLiteral("/size-%1").arg(size);
        QDir(root).removeRecursively();
        std::fprintf(stderr, "size %g: generating ...\n", size);
        generate(root);
        const QString work = root + "/work";
        const QStringList dictionaries{work + "/d0.dic", work + "/d1.dic", work + "/d2.dic"};
        if (haveMsgmerge)
            writeGettextInputs(root, dictionaries);
        SizeRow row{size, 4 * qsizetype(linesPerKind), {}, QString()};
        const QString res = root + "/res";
        const auto argsFor = [&](int peer, const QString& dir) -> QStringList {
            switch (peer) {
            case Program: {
                QStringList a{program, QStringLiteral("translate"), dir, QStringLiteral("--workdir"), work};
                for (const QString& d : dictionaries)
                    a << QStringLiteral("--dictionary") << d;
                return a;
            }
            case Floor:
                return QStringList{QStringLiteral(KVARSEL_FLOOR_EXE), dir} + dictionaries;
            case Python:
                return QStringList{python, QStringLiteral(KVARSEL_PLAIN_TRANSLATOR), dir} + dictionaries;
            default:
                return {QStringLiteral("msgmerge"), QStringLiteral("--no-fuzzy-matching"),
                        QStringLiteral("-q"),       QStringLiteral("--compendium"),
                        root + "/gettext/c0.po",    QStringLiteral("--compendium"),
                        root + "/gettext/c1.po",    QStringLiteral("--compendium"),
                        root + "/gettext/c2.po",    QStringLiteral("-o"),
                        root + "/gettext/out.po",   root + "/gettext/def.po",
                        root + "/gettext/ref.pot"};
            }
        };
        for (int r = 0; r < runs; ++r) {
            for (int peer = 0; peer < PeerCount; ++peer) {
                if ((peer == Python && !havePython) || (peer == Msgmerge && !haveMsgmerge))
                    continue;
                const QString dir = root + QStringLiteral("/out-%1").arg(peer);
                if (peer != Msgmerge)
                    copyTree(res, dir);
                const ChildRun run = runner.run(argsFor(peer, dir), work);
                PeerResult& p = row.peers[peer];
                p.ran = true;
                p.failed = p.failed || !run.ok;
                p.seconds << run.seconds;
                p.cpuSeconds << run.cpuSeconds;
                p.peakKiB = qMax(p.peakKiB, run.peakKiB);
            }
            std::fprintf(stderr, "size %g: run %d of %d done\n", size, r + 1, runs);
        }
        if (havePython) {
            const QStringList differ =
                differences(root + "/out-0", root + QStringLiteral("/out-%1").arg(Python));
            row.sameBytes =
                differ.isEmpty()
                    ? QStringLiteral("same bytes")
                    : QStringLiteral("%1 files differ, first %2").arg(differ.size()).arg(differ.first());
        }
        rows << row;
        if (base == tmp.path())
            QDir(root).removeRecursively();
    }

    QTextStream out(stdout);
    out << "Whole processes, medians of " << runs << " runs alternated between the peers. Size 1: 120,000\n"
        << "script lines, three dictionaries of 250,000 entries. Peak memory is each child's ru_maxrss.\n";
    const auto cell = [](double v, int digits) {
        return v < 0 ? QStringLiteral("—") : QString::number(v, 'f', digits);
    };
    const auto median_of = [](const PeerResult& p, bool cpu) {
        return p.ran ? median(cpu ? p.cpuSeconds : p.seconds) : -1.0;
    };
    const auto table = [&](const QString& title, bool cpu) {
        out << "\n" << title << "\n\n| size | script lines |";
        for (int peer = 0; peer < PeerCount; ++peer)
            out << " " << names[peer] << " |";
        out << " ÷ Python | ÷ floor | ÷ msgmerge |\n|---:|---:|";
        for (int i = 0; i < PeerCount + 3; ++i)
            out << "---:|";
        out << "\n";
        for (const SizeRow& row : std::as_const(rows)) {
            out << "| " << row.size << " | " << row.lines << " |";
            for (int peer = 0; peer < PeerCount; ++peer)
                out << " " << cell(median_of(row.peers[peer], cpu), 3)
                    << (row.peers[peer].failed ? " (failed)" : "") << " |";
            const double own = median_of(row.peers[Program], cpu);
            for (const int peer : {int(Python), int(Floor), int(Msgmerge)}) {
                const double other = median_of(row.peers[peer], cpu);
                out << " " << cell(other > 0 ? own / other : -1, 2) << " |";
            }
            out << "\n";
        }
    };
    table(QStringLiteral("Wall time, s:"), false);
    table(QStringLiteral("CPU time (user + system), s:"), true);
    out << "\nPeak memory, MiB:\n\n| size |";
    for (int peer = 0; peer < PeerCount; ++peer)
        out << " " << names[peer] << " |";
    out << " ÷ Python | same bytes as Python |\n|---:|";
    for (int i = 0; i < PeerCount + 1; ++i)
        out << "---:|";
    out << "---|\n";
    for (const SizeRow& row : std::as_const(rows)) {
        out << "| " << row.size << " |";
        for (int peer = 0; peer < PeerCount; ++peer)
            out << " " << cell(row.peers[peer].ran ? double(row.peers[peer].peakKiB) / 1024.0 : -1, 0)
                << " |";
        out << " "
            << cell(row.peers[Python].ran
                        ? double(row.peers[Program].peakKiB) / double(row.peers[Python].peakKiB)
                        : -1,
                    2)
            << " | " << (row.sameBytes.isEmpty() ? QStringLiteral("—") : row.sameBytes) << " |\n";
    }
    const auto seconds = [&](const PeerResult& p) { return median_of(p, false); };
    // Growth: each size against the one four times smaller, when both were run.
    for (const SizeRow& big : std::as_const(rows))
        for (const SizeRow& small : std::as_const(rows))
            if (qFuzzyCompare(big.size, 4 * small.size))
                out << "\n4× the work (" << small.size << " → " << big.size << "): kvarsel-batch "
                    << QString::number(seconds(big.peers[Program]) / seconds(small.peers[Program]), 'f', 2)
                    << "× the wall time, "
                    << QString::number(median_of(big.peers[Program], true) /
                                           median_of(small.peers[Program], true),
                                       'f', 2)
                    << "× the CPU time";
    out << "\n";
    return 0;
}

// ---- machinery mode --------------------------------------------------------

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int machineryTable(const QStringList& args)
{
    double size = 1;
    int runs = 7;
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--size")
            size = args[++i].toDouble();
        else if (args[i] == "--runs")
            runs = qMax(1, args[++i].toInt());
    }
    struct Setup {
        const char* name;
        Machinery pieces;
    };
    const auto without = [](bool Machinery::*piece) {
        Machinery m;
        m.*piece = false;
        return m;
    };
    const QList<Setup> setups{
        {"every piece on", Machinery{}},
        {"no second thread for loading and saving", without(&Machinery::loadSaveThread)},
        {"no byte-level dictionary path", without(&Machinery::byteDictionaryPath)},
    };

    QTemporaryDir tmp;
    const QString root = tmp.path();
    scaleWorkload(size);
    std::fprintf(stderr, "size %g: generating ...\n", size);
    generate(root);
    const QString work = root + "/work";
    const QStringList dictionaries{work + "/d0.dic", work + "/d1.dic", work + "/d2.dic"};

    // What kvarsel-batch translate does between its start and its summary, on a fresh
    // copy of the scripts. The state is let go of after the clocks stop, as the
    // command leaves its own to the end of the process.
    const auto translate = [&](const QString& res, double& wall, double& cpu) {
        auto state = std::make_unique<Project>(work);
        state->setConnectedDictionaries(dictionaries);
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer t;
        t.start();
        loadResources(res, state->stores(), false);
        runAutomaticTranslation(*state, false, {}, UserDictionaryAtEnd::Leave);
        saveResources(std::as_const(*state).stores());
        wall = double(t.nsecsElapsed()) / 1e9;
        cpu = processCpuSeconds() - cpuBefore;
    };
    const QString reference = root + "/out-reference";
    copyTree(root + "/res", reference);
    double wall = 0, cpu = 0;
    translate(reference, wall, cpu); // also warms the caches up

    QList<QList<double>> walls(setups.size()), cpus(setups.size());
    QStringList differ(setups.size());
    // Each round runs every setup, starting one further on each time, so no setup
    // always follows the same other one.
    for (int r = 0; r < runs; ++r) {
        for (qsizetype t = 0; t < setups.size(); ++t) {
            const qsizetype s = (r + t) % setups.size();
            const QString out = root + QStringLiteral("/out-%1").arg(s);
            copyTree(root + "/res", out);
            setMachinery(setups[s].pieces);
            translate(out, wall, cpu);
            setMachinery(Machinery{});
            walls[s] << wall;
            cpus[s] << cpu;
            if (const QStringList d = differences(out, reference); differ[s].isEmpty() && !d.isEmpty())
                differ[s] = QStringLiteral("differs from every piece on: ") + d.first();
        }
        std::fprintf(stderr, "round %d of %d done\n", r + 1, runs);
    }
    // What a piece buys is taken round by round, against the run with every piece on
    // of the same round: the machine's speed drifts between rounds far more than
    // within one.
    const auto buys = [&](const QList<QList<double>>& times, qsizetype s) {
        QList<double> longer;
        for (int r = 0; r < runs; ++r)
            longer << 100 * (times[s][r] - times[0][r]) / times[0][r];
        return QString::number(median(longer), 'f', 1) + QStringLiteral(" %");
    };

    QTextStream out(stdout);
    out << "translate (load, automatic translation, save) in one process, size " << size << ", medians of "
        << runs
        << " rounds, each running every setup once.\n\"Buys\": how much longer the run takes without the "
           "piece, in % of the "
        << "run with every piece on of the same round (median over the rounds).\n\n"
        << "| run | wall, s | CPU, s | buys, wall | buys, CPU | output |\n|---|---:|---:|---:|---:|---|\n";
    for (qsizetype s = 0; s < setups.size(); ++s) {
        const double w = median(walls[s]);
        const double c = median(cpus[s]);
        out << "| " << setups[s].name << " | " << QString::number(w, 'f', 3) << " | "
            << QString::number(c, 'f', 3) << " | ";
        if (s == 0)
            out << "— | — | ";
        else
            out << buys(walls, s) << " | " << buys(cpus, s) << " | ";
        out << (differ[s].isEmpty() ? QStringLiteral("same bytes") : differ[s]) << " |\n";
    }
    return 0;
}

} // namespace

// Times one run of `step` at each size, in a fresh scratch directory each that
// `prepare` fills first, untimed.
void growthRows(const QString& what, const QList<int>& sizes,
                const std::function<void(const QString&, int)>& prepare,
                const std::function<QString(const QString&, int)>& step)
{
    for (const int n : sizes) {
        QTemporaryDir tmp;
        prepare(tmp.path(), n);
        measure(what.arg(n), [&] { return step(tmp.path(), n); });
    }
}

int growthTable()
{
    growthRows(
        QStringLiteral("read a Words.txt of %1 words"), {40000, 80000, 160000, 1000000},
        [](const QString& dir, int n) {
            QStringList words;
            words.reserve(n + n / 10);
            for (int i = 0; i < n; ++i) {
                words << russian(i).section(u' ', 0, 0) + QString::number(i, 36).replace(u'0', u'о');
                if (i % 10 == 0)
                    words << words.back(); // a word listed twice is read once
            }
            writeLines(dir + QStringLiteral("/Words.txt"), words, TextEncoding::Utf8);
        },
        [](const QString& dir, int) {
            SpellChecker spelling(dir);
            return QStringLiteral("%1 words kept").arg(spelling.personalWords().size());
        });
    // One popup of n items, or one dialog of n controls, every item marked and every
    // text in the dictionary, so each translation looks for a free letter.
    for (const bool dialog : {false, true}) {
        growthRows(
            dialog ? QStringLiteral("accelerators kept: a dialog of %1 controls, translate and save")
                   : QStringLiteral("accelerators kept: a popup of %1 items, translate and save"),
            {1000, 2000, 4000, 16000},
            [dialog](const QString& dir, int n) {
                QStringList script = dialog ? QStringList{"D DIALOGEX 0, 0, 200, 100", "BEGIN"}
                                            : QStringList{"M MENU", "BEGIN", "  POPUP \"&File\"", "  BEGIN"};
                QStringList pairs;
                for (int i = 0; i < n; ++i) {
                    const QString text = phrase(i);
                    script << (dialog ? QStringLiteral("    PUSHBUTTON \"&%1\", %2, 7, 7, 50, 14")
                                      : QStringLiteral("    MENUITEM \"&%1\", %2"))
                                  .arg(text)
                                  .arg(1000 + i);
                    pairs << text << russian(i);
                }
                script << "  END";
                if (!dialog)
                    script << "END";
                writeFile(dir + (dialog ? "/res/dialog/d.rc" : "/res/menu/m.rc"), script);
                writeFile(dir + "/a.dic", pairs);
            },
            [dialog](const QString& dir, int) {
                Project project(dir);
                Settings settings;
                settings.keepAccelerators = true;
                project.setSettings(settings);
                SplitOptions options;
                options.keepAccelerators = true;
                loadResources(dir + "/res", project.stores(), options);
                project.setConnectedDictionaries({dir + "/a.dic"});
                const AutoTranslationResult r = runAutomaticTranslation(project, false);
                const SaveResult saved = saveResources(std::as_const(project).stores());
                const qsizetype clashes =
                    acceleratorClashes(project.store(dialog ? ResourceKind::Dialog : ResourceKind::Menu))
                        .size();
                return QStringLiteral("%1 texts, %2 files written, %3 clashes")
                    .arg(r.textsLookedUp)
                    .arg(saved.filesWritten)
                    .arg(clashes);
            });
    }
    QTextStream out(stdout);
    out << "| step | wall time, s | peak memory, MiB | result |\n|---|---:|---:|---|\n";
    for (const Row& r : table)
        out << "| " << r.step << " | " << QString::number(r.seconds, 'f', 3) << " | "
            << QString::number(double(r.peak) / 1024.0, 'f', 0) << " | " << r.note << " |\n";
    return 0;
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--compare")
        return compare(QCoreApplication::arguments());
    if (argc > 1 && QByteArray(argv[1]) == "--machinery")
        return machineryTable(QCoreApplication::arguments());
    if (argc > 1 && QByteArray(argv[1]) == "--growth")
        return growthTable();
    if (argc > 3 && QByteArray(argv[1]) == "--generate") {
        scaleWorkload(QByteArray(argv[3]).toDouble());
        generate(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    // The steps run on a scratch copy: the save step writes the translated scripts
    // over the ones it loaded, and the kept workload must stay as generated.
    QTemporaryDir tmp;
    const QString root = tmp.path();
    QString keep;
    bool generateOnly = false;
    if (argc > 2 && QByteArray(argv[1]) == "--keep") {
        keep = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
        generateOnly = argc > 3 && QByteArray(argv[3]) == "--generate-only";
    }
    std::fprintf(stderr, "Generating the workload ...\n");
    generate(root);
    if (!keep.isEmpty()) {
        std::fprintf(stderr, "Keeping it in %s\n", qPrintable(keep));
        copyWorkload(root, keep);
        if (generateOnly)
            return 0;
    }
    const QString work = root + "/work";
    const QStringList dictionaries{work + "/d0.dic", work + "/d1.dic", work + "/d2.dic"};

    Project state(work);
    state.setConnectedDictionaries(dictionaries);

    measure(QStringLiteral("read and decode the three dictionaries (floor)"), [&] {
        qsizetype lines = 0;
        for (const QString& path : dictionaries)
            lines += readLines(path).lines.size();
        return QStringLiteral("%1 lines").arg(lines);
    });
    measure(QStringLiteral("load the three dictionaries and build their indexes"), [&] {
        CurrentDictionary d;
        for (const QString& path : dictionaries) {
            LoadDictionary(path, d);
            d.lookupIndex();
        }
        return QString();
    });
    measure(QStringLiteral("load 120,000 script lines"), [&] {
        const LoadResult r = loadResources(root + "/res", state.stores(), false);
        return QStringLiteral("%1 rows, %2 errors").arg(state.totalRows()).arg(r.errors.size());
    });
    measure(QStringLiteral("automatic translation, 3 dictionaries"), [&] {
        const AutoTranslationResult r = runAutomaticTranslation(state, false);
        qsizetype translated = 0;
        for (qsizetype n : r.translatedByDictionary)
            translated += n;
        QStringList per;
        for (qsizetype n : r.translatedByDictionary)
            per << QString::number(n);
        return QStringLiteral("%1 texts, %2 translated (%3)")
            .arg(r.textsLookedUp)
            .arg(translated)
            .arg(per.join(QStringLiteral(" + ")));
    });
    measure(QStringLiteral("save 120,000 script lines"), [&] {
        const SaveResult r = saveResources(std::as_const(state).stores());
        return QStringLiteral("%1 files").arg(r.filesWritten);
    });

    // Lookup: the row walk against the index, on 2,000 phrases of the scripts.
    CurrentDictionary dictionary;
    LoadDictionary(dictionaries[0], dictionary);
    QStringList sample;
    QRandomGenerator rng(7);
    for (int i = 0; i < 2000; ++i)
        sample << phrase(int(rng.bounded(phraseCount)));
    qsizetype linearFound = 0, indexedFound = 0;
    const double linear = measure(QStringLiteral("lookup of 2,000 phrases, row walk"), [&] {
        for (const QString& p : sample)
            linearFound += SearchStringLinear(dictionary, p).found;
        return QStringLiteral("%1 found").arg(linearFound);
    });
    dictionary.lookupIndex(); // the index is built once per load; time the lookups alone
    const double indexed = measure(QStringLiteral("lookup of 2,000 phrases, index"), [&] {
        for (const QString& p : sample)
            indexedFound += SearchString(dictionary, p).found;
        return QStringLiteral("%1 found").arg(indexedFound);
    });
    if (linearFound != indexedFound) {
        std::fprintf(stderr, "The index disagrees with the row walk!\n");
        return 1;
    }

    // The optimiser over the 250,000-entry user dictionary; every choice is answered
    // with the first candidate and every report skipped, so each pass runs to its end.
    CurrentDictionary user;
    LoadUserDictionary(work, user);
    OptimizerSession session(user);
    session.PrepareDictionary();
    measure(QStringLiteral("optimizer: duplicate search, 250,000 entries"), [&] {
        qsizetype choices = 0;
        session.FindDuplicates();
        while (session.pending() == OptimizerSession::Pending::Choice) {
            ++choices;
            session.setSelected(0);
            session.useSelected();
        }
        return QStringLiteral("%1 choices answered").arg(choices);
    });
    measure(QStringLiteral("optimizer: alphabet check, 250,000 entries"), [&] {
        qsizetype reports = 0;
        session.CheckAlphabet();
        while (session.pending() == OptimizerSession::Pending::Repair) {
            ++reports;
            session.skipRow();
        }
        return QStringLiteral("%1 rows reported").arg(reports);
    });

    // Spelling as the translation box does it on every key: a 200-character
    // translation checked 1,000 times, each time with one more new word, so every
    // check asks Hunspell at least once.
    {
        SpellChecker spelling(root);
        const QString box = QStringLiteral("Сохранить все изменения в документе %s перед закрытием? Если "
                                           "не сохранить, последние правки будут потеряны, а файл "
                                           "останется в прежнем виде. Отменить выход можно кнопкой.");
        measure(QStringLiteral("spelling: 1,000 checks of a 200-character box"), [&] {
            qsizetype wrong = 0;
            for (int i = 0; i < 1000; ++i)
                wrong += spelling
                             .misspelled(box + QStringLiteral(" слво") + QChar(0x0430 + i % 32) +
                                         QChar(0x0430 + i / 32))
                             .size();
            return spelling.isAvailable() ? QStringLiteral("%1 words reported").arg(wrong)
                                          : spelling.offReason();
        });
    }

    // TMX: a 500,000-unit memory with markup, repeats and units in a third language,
    // imported against a plain pass of the XML reader over the same file.
    const QString tmxPath = root + "/memory.tmx";
    {
        TmxEntries entries;
        for (int i = 0; i < 500000; ++i)
            entries.append({phrase(i) + (i % 50 == 0 ? QStringLiteral(" → %s") : QString()), russian(i)});
        if (auto e = writeFileSafely(tmxPath, tmxDocument(entries))) {
            std::fprintf(stderr, "%s\n", qPrintable(e->message()));
            return 1;
        }
    }
    const double tmxMiB = double(QFileInfo(tmxPath).size()) / 1048576.0;
    // The two alternate three times and the best of each counts: on a shared machine
    // a single run says more about the neighbours than about the code.
    const auto plainRead = [&] {
        QFile file(tmxPath);
        file.open(QIODevice::ReadOnly);
        QXmlStreamReader xml(&file);
        qsizetype characters = 0;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::Characters)
                characters += xml.text().size();
        return characters;
    };
    double tmxRead = 1e9;
    double tmxImport = 1e9;
    qint64 readPeak = 0;
    qint64 importPeak = 0;
    qint64 before = 0;
    TmxImport imported;
    for (int round = 0; round < 3; ++round) {
        resetPeak();
        QElapsedTimer t;
        t.start();
        plainRead();
        tmxRead = qMin(tmxRead, double(t.nsecsElapsed()) / 1e9);
        readPeak = qMax(readPeak, peakKiB());
        before = currentKiB();
        resetPeak();
        t.restart();
        imported = importTmx(tmxPath, root + "/memory.dic", {}, true);
        tmxImport = qMin(tmxImport, double(t.nsecsElapsed()) / 1e9);
        importPeak = qMax(importPeak, peakKiB());
    }
    table.append({QStringLiteral("read the 500,000-unit TMX file (floor, best of 3)"), tmxRead, readPeak,
                  QStringLiteral("%1 MiB of XML").arg(tmxMiB, 0, 'f', 0)});
    table.append({QStringLiteral("import the 500,000-unit TMX file (best of 3)"), tmxImport, importPeak,
                  imported.error
                      ? imported.error->message()
                      : QStringLiteral("%1 units taken, %2 MiB in use before, %3 MiB dictionary")
                            .arg(imported.counts.taken)
                            .arg(double(before) / 1024.0, 0, 'f', 0)
                            .arg(double(QFileInfo(root + "/memory.dic").size()) / 1048576.0, 0, 'f', 0)});

    QTextStream out(stdout);
    out << "| step | wall time, s | peak memory, MiB | result |\n|---|---:|---:|---|\n";
    for (const Row& r : table)
        out << "| " << r.step << " | " << QString::number(r.seconds, 'f', 3) << " | "
            << QString::number(double(r.peak) / 1024.0, 'f', 0) << " | " << r.note << " |\n";
    out << "\nindexed lookup is " << QString::number(linear / qMax(indexed, 1e-9), 'f', 0)
        << " times faster than the row walk\n";
    out << "TMX import takes " << QString::number(tmxImport / qMax(tmxRead, 1e-9), 'f', 2)
        << " times the time of reading the file\n";
    return 0;
}

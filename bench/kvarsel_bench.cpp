// Measures the program's heavy steps on a large generated workload: a resource
// directory of 30,000 lines per kind, three 250,000-entry dictionaries and a
// 250,000-entry user dictionary. Prints wall time and peak memory per step.
//
//   kvarsel_bench [--keep DIR]

#include "Workload.h"
#include "dictionary/DictionaryFiles.h"
#include "dictionary/SearchString.h"
#include "text/Cp1251.h"
#include "text/TextFile.h"
#include "workbench/AutoTranslation.h"
#include "workbench/WorkState.h"
#include "maintenance/OptimizerSession.h"
#include "workspace/ResourceSaver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <functional>

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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QString root = tmp.path();
    if (argc > 2 && QByteArray(argv[1]) == "--keep") {
        root = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(root);
    }
    std::fprintf(stderr, "Generating the workload in %s ...\n", qPrintable(root));
    generate(root);
    const QString work = root + "/work";
    const QStringList dictionaries{work + "/d0.dic", work + "/d1.dic", work + "/d2.dic"};

    WorkState state(work);
    state.connectedDictionaries = dictionaries;

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
        return QStringLiteral("%1 texts, %2 translated (%3)").arg(r.textsLookedUp).arg(translated).arg(per.join(QStringLiteral(" + ")));
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
        sample << phrase(int(rng.bounded(kPhrases)));
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

    QTextStream out(stdout);
    out << "| step | wall time, s | peak memory, MiB | result |\n|---|---:|---:|---|\n";
    for (const Row& r : table)
        out << "| " << r.step << " | " << QString::number(r.seconds, 'f', 3) << " | "
            << QString::number(double(r.peak) / 1024.0, 'f', 0) << " | " << r.note << " |\n";
    out << "\nindexed lookup is " << QString::number(linear / qMax(indexed, 1e-9), 'f', 0)
        << " times faster than the row walk\n";
    return 0;
}

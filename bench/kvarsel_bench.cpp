// Measures the program's heavy steps on a large generated workload: a resource
// directory of 30,000 lines per kind, three 250,000-entry dictionaries and a
// 250,000-entry user dictionary. Prints wall time and peak memory per step.
//
//   kvarsel_bench [--keep DIR [--generate-only]]
//
// --keep copies the workload, as generated and before any step changes it, to DIR:
// DIR/res holds the untranslated scripts, DIR/work the dictionaries and a
// velmora.ini connecting d0.dic, d1.dic and d2.dic, so the same run can be made
// again in the program (working directory DIR/work) or with kvarsel-batch.
// --generate-only stops after that copy.

#include "dictionary/DictionaryFiles.h"
#include "dictionary/SearchString.h"
#include "exchange/TmxImport.h"
#include "text/Cp1251.h"
#include "text/TextFile.h"
#include "workbench/AutoTranslation.h"
#include "workbench/WorkState.h"
#include "maintenance/OptimizerSession.h"
#include "settings/SettingsFile.h"
#include "workspace/ResourceSaver.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamReader>
#include <cstdio>
#include <functional>

using namespace kvarsel;

namespace {

constexpr int kLinesPerKind = 30000;
constexpr int kFilesPerKind = 10;
constexpr int kDictionaryEntries = 250000;
constexpr int kPhrases = 120000; // distinct phrases the scripts use; the dictionaries know the even ones

QString phrase(int n)
{
    static const char* words[] = {"Open", "Save", "Close", "Print", "Find", "Replace", "Export", "Import",
                                  "Settings", "Window", "Layer", "Brush", "Filter", "Color", "Image", "Text"};
    // The number stands inside: trailing digits would be trimmed off most texts.
    return QStringLiteral("%1 %2 %3").arg(QLatin1String(words[n % 16])).arg(n).arg(QLatin1String(words[(n / 16) % 16]));
}

QString russian(int n) { return QStringLiteral("Фраза номер %1").arg(n); }

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

void writeFile(const QString& path, const QStringList& lines)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (auto e = writeLines(path, lines)) {
        std::fprintf(stderr, "%s\n", qPrintable(e->message()));
        std::exit(1);
    }
}

void generate(const QString& root)
{
    QRandomGenerator rng(20261208);
    // Scripts: every kind's grammar, texts drawn from the phrase set.
    const auto text = [&] { return phrase(int(rng.bounded(kPhrases))); };
    for (int f = 0; f < kFilesPerKind; ++f) {
        QStringList menu, dialog, string, rcdata;
        for (int i = 0; i < kLinesPerKind / kFilesPerKind; ++i) {
            menu << QStringLiteral("        MENUITEM \"&%1...\\tCtrl+%2\", ID_M%3").arg(text()).arg(i % 10).arg(i);
            dialog << (i % 7 == 0 ? QStringLiteral("    CONTROL \"%1\",IDC_C%2,\"Button\",WS_TABSTOP,7,7,50,10").arg(text()).arg(i)
                                  : QStringLiteral("    LTEXT \"%1:\",IDC_STATIC,7,%2,40,8").arg(text()).arg(i));
            string << QStringLiteral("    IDS_%1 \"%2.\\tF1\"").arg(i).arg(text());
            rcdata << (i % 5 == 0 ? QStringLiteral("  object B%1: TButton").arg(i)
                                  : QStringLiteral("  Caption = '%1...'").arg(text()));
        }
        const QString name = QStringLiteral("/f%1").arg(f, 2, 10, QChar(u'0'));
        writeFile(root + "/res/menu" + name + ".rc", menu);
        writeFile(root + "/res/dialog" + name + ".rc", dialog);
        writeFile(root + "/res/string" + name + ".rc", string);
        writeFile(root + "/res/rcdata" + name + ".txt", rcdata);
    }
    // Dictionaries: each knows about a third of the phrases, with traps: longer
    // sources that merely begin with a phrase come first, case variants repeat
    // entries, and now and then a translation row begins with a later source.
    for (int d = 0; d < 3; ++d) {
        QStringList lines;
        int n = 0;
        while (lines.size() < 2 * kDictionaryEntries) {
            const int p = 2 * ((n * 3 + d) % (kPhrases / 2)); // each dictionary a third of the even phrases
            ++n;
            if (n % 9 == 0)
                lines << phrase(p) + QStringLiteral(" and more") << russian(p) + QStringLiteral(" и ещё");
            if (n % 97 == 0)
                lines << phrase(p).toUpper() << russian(p).toUpper();
            if (n % 1013 == 0)
                lines << QStringLiteral("Trap %1").arg(n) << phrase(p + 3);
            lines << phrase(p) << russian(p);
        }
        lines = lines.mid(0, 2 * kDictionaryEntries);
        writeFile(root + QStringLiteral("/work/d%1.dic").arg(d), lines);
    }
    // The user dictionary: duplicates, several translations, rows in the wrong alphabet.
    QStringList user;
    for (int e = 0; e < kDictionaryEntries; ++e) {
        const int p = int(rng.bounded(kDictionaryEntries));
        const int kind = e % 50;
        if (kind == 0)
            user << russian(p) << phrase(p);            // swapped: both rows in the wrong alphabet
        else if (kind == 1)
            user << phrase(p) << russian(p) + QStringLiteral("а");
        else
            user << phrase(p) << russian(p);
    }
    writeFile(root + "/work/User.dic", user);

    // The settings the measured run uses: the three dictionaries, in this order.
    Settings settings;
    settings.availableDictionaries = dictionaryFileNames(root + "/work");
    for (const QString& name : settings.availableDictionaries)
        settings.marked << name.startsWith(u'd');
    if (auto e = writeSettings(root + "/work", settings)) {
        std::fprintf(stderr, "%s\n", qPrintable(e->message()));
        std::exit(1);
    }
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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
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
                  imported.error ? imported.error->message()
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

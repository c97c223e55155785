// Similar translations on the benchmark workload: kvarsel-batch suggest over all
// untranslated texts next to msgmerge's fuzzy matching of the same texts against
// the same three dictionaries as a compendium, then the time of one phrase's
// suggestions as the windows ask for them, at 750,000 entries.
//
// Then long texts: one phrase of 10,000 to 40,000 characters against dictionaries
// holding an edited copy of it and unrelated texts as long, in the window and in a
// whole kvarsel-batch suggest run.
//
//   kvarsel_suggest_bench [--keep DIR] [--long-texts]   (--long-texts: only that part)

#include "Workload.h"
#include "assist/SuggestionIndex.h"
#include "batch/BatchSuggest.h"
#include "dictionary/CurrentDictionary.h"
#include "project/Project.h"
#include "text/TextFile.h"
#include "workspace/ResourceLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

using namespace kvarsel;
using namespace kvarsel::bench;

namespace {

QTextStream out(stdout);

QString poString(const QString& s)
{
    QString e = s;
    e.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + e + u'"';
}

bool writeUtf8(const QString& path, const QString& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0;
}

const QString kPoHeader =
    QStringLiteral("msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n");

double childCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Processor time of the last program run, user and system, all its threads.
double lastCpu = 0;

// Runs a program, returns wall seconds (negative on failure).
double timed(const QString& program, const QStringList& args, const QString& outputFile = QString())
{
    const double cpuBefore = childCpuSeconds();
    QProcess p;
    if (!outputFile.isEmpty())
        p.setStandardOutputFile(outputFile);
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    const double s = double(t.nsecsElapsed()) / 1e9;
    lastCpu = childCpuSeconds() - cpuBefore;
    return p.exitCode() == 0 ? s : -s;
}

qsizetype lineCount(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return f.readAll().count('\n');
}

struct Times {
    double mean, median, p99, max, cpuMean;
};

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Times phraseTimes(const SuggestionIndex& index, const QStringList& phrases)
{
    std::vector<double> ms;
    const double cpuStart = threadCpuMs();
    for (const QString& p : phrases) {
        QElapsedTimer t;
        t.start();
        const QList<Suggestion> s = index.suggest(p);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        Q_UNUSED(s);
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    const double cpu = (threadCpuMs() - cpuStart) / double(ms.size());
    return {sum / double(ms.size()), ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back(), cpu};
}

// 750,000 entries with no two sources alike: words drawn from a made-up vocabulary.
void writeDistinctDictionaries(const QString& dir)
{
    QRandomGenerator rng(99);
    QStringList vocabulary;
    const char* letters = "abcdefghijklmnopqrstuvwxyz";
    while (vocabulary.size() < 3000) {
        QString w;
        const int n = 3 + int(rng.bounded(7));
        for (int i = 0; i < n; ++i)
            w += QLatin1Char(letters[rng.bounded(26)]);
        vocabulary << w;
    }
    QSet<QString> seen;
    for (int d = 0; d < 3; ++d) {
        QStringList lines;
        while (lines.size() < 2 * dictionaryEntries) {
            QStringList words;
            const int n = 2 + int(rng.bounded(4));
            for (int i = 0; i < n; ++i)
                words << vocabulary[rng.bounded(vocabulary.size())];
            QString source = words.join(u' ');
            source[0] = source[0].toUpper();
            if (seen.contains(source))
                continue;
            seen.insert(source);
            lines << source << QStringLiteral("Перевод %1").arg(lines.size());
        }
        writeFile(dir + QStringLiteral("/x%1.dic").arg(d), lines);
    }
}

// Words of a made-up language, `length` characters of them.
QString wordsOfLength(QRandomGenerator& rng, qsizetype length)
{
    static const char* letters = "abcdefghijklmnopqrstuvwxyz";
    QString text;
    while (text.size() < length) {
        if (!text.isEmpty())
            text += u' ';
        const int n = 2 + int(rng.bounded(8));
        for (int i = 0; i < n; ++i)
            text += QLatin1Char(letters[rng.bounded(26)]);
    }
    text.truncate(length);
    return text;
}

// Long texts: for each length a dictionary with an edited copy of the phrase (one
// word in 40 changed), two unrelated texts of about the same length and 2,000 short
// entries; the phrase is a script's only text.
void longTexts(const QString& root)
{
    out << "## Long texts (one phrase, 5 suggestions from 60)\n\n";
    out << "| characters | edited copy found, % | one phrase in the window, ms (median of 5) | "
           "kvarsel-batch suggest, whole run, s |\n|---:|---:|---:|---:|\n";
    out.flush();
    for (const qsizetype length : {10000, 20000, 40000}) {
        QRandomGenerator rng{quint32(length)};
        const QString dir = root + QStringLiteral("/long%1").arg(length);
        QDir().mkpath(dir + "/work");
        QDir().mkpath(dir + "/res/string");
        const QString phrase = wordsOfLength(rng, length);
        QStringList words = phrase.split(u' ');
        for (qsizetype i = 0; i < words.size(); i += 40)
            words[i] = QStringLiteral("changed");
        const QString copy = words.join(u' ');
        QStringList dictionary{copy,
                               QStringLiteral("Длинный перевод"),
                               wordsOfLength(rng, length),
                               QStringLiteral("Другой"),
                               wordsOfLength(rng, length + length / 10),
                               QStringLiteral("Третий")};
        for (int i = 0; i < 2000; ++i)
            dictionary << wordsOfLength(rng, 10 + rng.bounded(40)) << QStringLiteral("Короткий %1").arg(i);
        writeFile(dir + "/work/d.dic", dictionary);
        writeFile(dir + "/work/velmora.ini", {"d.dic"});
        writeFile(dir + "/res/string/long.rc",
                  {"STRINGTABLE", "BEGIN", QStringLiteral("    IDS_LONG \"%1\"").arg(phrase), "END"});

        Project state(dir + "/work");
        state.setConnectedDictionaries({dir + "/work/d.dic"});
        state.suggestions().refresh(state.workDir(), state.connectedDictionaries(), state.dictionary());
        std::vector<double> ms;
        QList<Suggestion> found;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer t;
            t.start();
            found = state.suggestions().suggest(phrase);
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        const double batch =
            timed(QStringLiteral(KVARSEL_BATCH_EXE), {"suggest", dir + "/res", "--workdir", dir + "/work"},
                  dir + "/suggest.tsv");
        out << "| " << length << " | "
            << (found.isEmpty() ? QStringLiteral("none") : QString::number(found[0].similarity)) << " | "
            << QString::number(ms[2], 'f', 2) << " | " << QString::number(batch, 'f', 2) << " |\n";
        out.flush();
    }
    out << "\n";
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QString root = tmp.path();
    bool onlyLong = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--keep" && i + 1 < argc) {
            root = QString::fromLocal8Bit(argv[++i]);
            QDir().mkpath(root);
        } else if (QByteArray(argv[i]) == "--long-texts") {
            onlyLong = true;
        }
    }
    if (onlyLong) {
        longTexts(root);
        return 0;
    }
    std::fprintf(stderr, "Generating the workload in %s ...\n", qPrintable(root));
    generate(root);
    // The three dictionaries alone, connected, without the workload's user
    // dictionary: both tools then search exactly the same entries.
    const QString work = root + "/work3";
    QDir().mkpath(work);
    for (int d = 0; d < 3; ++d)
        QFile::copy(root + QStringLiteral("/work/d%1.dic").arg(d), work + QStringLiteral("/d%1.dic").arg(d));
    writeFile(work + "/velmora.ini", {"d0.dic", "d1.dic", "d2.dic"});

    Project state(work);
    state.setConnectedDictionaries({work + "/d0.dic", work + "/d1.dic", work + "/d2.dic"});
    loadResources(root + "/res", state.stores(), false);
    QElapsedTimer build;
    build.start();
    state.suggestions().refresh(work, state.connectedDictionaries(), state.dictionary());
    const double buildSeconds = double(build.nsecsElapsed()) / 1e9;
    const QStringList texts = textsWithoutExactTranslation(state, state.suggestions());

    out << "## Similar translations, benchmark workload\n\n";
    out << "Texts without an exact translation: " << texts.size() << "; dictionaries: 3 × "
        << dictionaryEntries << " entries.\n\n";
    out << "| step | wall time, s | processor time, s | result |\n|---|---:|---:|---|\n";
    out.flush();

    const QString batch = QStringLiteral(KVARSEL_BATCH_EXE);
    for (const int limit : {1, 3}) {
        const QString file = root + QStringLiteral("/suggest%1.tsv").arg(limit);
        const double s = timed(
            batch, {"suggest", root + "/res", "--workdir", work, "--limit", QString::number(limit)}, file);
        out << "| kvarsel-batch suggest --limit " << limit << " (whole run) | " << QString::number(s, 'f', 2)
            << " | " << QString::number(lastCpu, 'f', 2) << " | " << lineCount(file) << " lines |\n";
        out.flush();
    }

    const QString msgmerge = QStandardPaths::findExecutable(QStringLiteral("msgmerge"));
    if (msgmerge.isEmpty()) {
        out << "| msgmerge | – | – | not installed (Debian package gettext); skipped |\n";
    } else {
        QString pot = kPoHeader;
        for (const QString& t : texts)
            pot += QStringLiteral("msgid %1\nmsgstr \"\"\n\n").arg(poString(t));
        // A compendium may name each msgid once: the first entry, as the lookup takes it.
        QString compendium = kPoHeader;
        QSet<QString> ids;
        for (int d = 0; d < 3; ++d) {
            const QStringList lines = readLines(work + QStringLiteral("/d%1.dic").arg(d)).lines;
            for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
                if (lines[i].isEmpty() || ids.contains(lines[i]))
                    continue;
                ids.insert(lines[i]);
                compendium +=
                    QStringLiteral("msgid %1\nmsgstr %2\n\n").arg(poString(lines[i]), poString(lines[i + 1]));
            }
        }
        writeUtf8(root + "/ref.pot", pot);
        writeUtf8(root + "/def.po", kPoHeader);
        writeUtf8(root + "/compendium.po", compendium);
        const double s = timed(msgmerge, {"--quiet", "--compendium=" + root + "/compendium.po", "-o",
                                          root + "/out.po", root + "/def.po", root + "/ref.pot"});
        QFile po(root + "/out.po");
        po.open(QIODevice::ReadOnly);
        const qsizetype fuzzy = po.readAll().count("#, fuzzy");
        out << "| msgmerge --compendium (fuzzy matching, one best match) | " << QString::number(s, 'f', 2)
            << " | " << QString::number(lastCpu, 'f', 2) << " | " << fuzzy << " fuzzy matches of "
            << ids.size() << " compendium entries |\n";
    }
    out << "\nSuggestion index of the three dictionaries built in " << QString::number(buildSeconds, 'f', 2)
        << " s.\n\n";
    out.flush();

    // One phrase as the windows ask: five suggestions from 60.
    QRandomGenerator rng(5);
    QStringList sample;
    for (int i = 0; i < 1000 && !texts.isEmpty(); ++i)
        sample << texts[rng.bounded(texts.size())];
    out << "## One phrase's suggestions (five, from 60), 1,000 phrases\n\n";
    out << "| dictionaries | mean, ms | median, ms | 99th percentile, ms | slowest, ms | processor time, "
           "mean, ms |\n"
           "|---|---:|---:|---:|---:|---:|\n";
    const auto row = [](const QString& what, const Times& t) {
        out << "| " << what << " | " << QString::number(t.mean, 'f', 2) << " | "
            << QString::number(t.median, 'f', 2) << " | " << QString::number(t.p99, 'f', 2) << " | "
            << QString::number(t.max, 'f', 2) << " | " << QString::number(t.cpuMean, 'f', 2) << " |\n";
        out.flush();
    };
    row(QStringLiteral("workload, 3 × 250,000 entries"), phraseTimes(state.suggestions(), sample));

    const QString distinct = root + "/distinct";
    QDir().mkpath(distinct);
    writeDistinctDictionaries(distinct);
    SuggestionIndex hard;
    CurrentDictionary none;
    build.restart();
    hard.refresh(distinct, {distinct + "/x0.dic", distinct + "/x1.dic", distinct + "/x2.dic"}, none);
    const double hardBuild = double(build.nsecsElapsed()) / 1e9;
    // Queries: existing sources with one word changed, and made-up phrases.
    QStringList hardSample;
    const QStringList rows = hard.rowsOf(1);
    for (int i = 0; i < 1000; ++i) {
        QString s = rows[2 + 2 * qsizetype(rng.bounded(int((rows.size() - 2) / 2)))];
        if (i % 2)
            s = s.left(s.size() / 2) + QStringLiteral(" entry");
        hardSample << s;
    }
    row(QStringLiteral("750,000 distinct sources (index built in %1 s)").arg(hardBuild, 0, 'f', 2),
        phraseTimes(hard, hardSample));
    out << "\n";
    longTexts(root);
    return 0;
}
